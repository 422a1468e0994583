// The go-to-day dialog: it opens at the server's today every time, returns the confirmed day
// as text and "" for every other way of closing it, and its calendar covers the years around
// the server's today.
#include <QCalendarWidget>
#include <QDate>
#include <QDialog>
#include <QPushButton>

#include "dialogs/frm_ir_para_dia.h"
#include "meeting/frm_reuniao.h"
#include "tests/dialogs/dialog_fixture.h"

using Cli_zel00405::CriaIrParaDia;

namespace {

class IrParaDiaTest : public DialogTest {
  protected:
    std::string Abre(const std::function<void(TfrmIrParaDia&)>& script) {
        WhenModal([&](QDialog& d) { script(static_cast<TfrmIrParaDia&>(d)); });
        return CriaIrParaDia(year, month, day);
    }
    QDate Hoje() {
        const DateParts p = DecodeDate(Window()->HoraServidor());
        return QDate(p.year, p.month, p.day);
    }
    uint16_t year = 2015, month = 6, day = 1;
};

TEST_F(IrParaDiaTest, EveryOpeningStartsAtTheServersToday) {
    const QDate hoje = Hoje();
    recorder->Clear();
    EXPECT_EQ("01/02/2020", Abre([&](TfrmIrParaDia& d) {
                  EXPECT_EQ("Ir para dia", d.windowTitle().toStdString());
                  EXPECT_EQ(hoje, d.mtcData->selectedDate());
                  d.mtcData->setSelectedDate(QDate(2020, 2, 1));
                  d.bitConfirma->click();
              }));
    EXPECT_EQ(1, CallCount("getHoraServidor"));
    Abre([&](TfrmIrParaDia& d) {
        EXPECT_EQ(hoje, d.mtcData->selectedDate()) << "not the day picked before";
        d.mtcData->setSelectedDate(hoje.addDays(-3));
        d.bitAtual->click();
        EXPECT_EQ(hoje, d.mtcData->selectedDate());
    });
    EXPECT_EQ(3, CallCount("getHoraServidor")) << "the server's clock at every use";
    EXPECT_EQ(2015, year);
    EXPECT_EQ(6, month);
    EXPECT_EQ(1, day);
}

TEST_F(IrParaDiaTest, OnlyAConfirmOfThisOpeningGivesADate) {
    ASSERT_EQ("10/12/2026", Abre([](TfrmIrParaDia& d) {
                  d.mtcData->setSelectedDate(QDate(2026, 12, 10));
                  d.bitConfirma->click();
              }));
    EXPECT_EQ("", Abre([](TfrmIrParaDia& d) { d.bitCancela->click(); }));
    EXPECT_EQ("", Abre([](TfrmIrParaDia& d) { d.close(); })) << "the title bar";
    EXPECT_EQ("", Abre([](TfrmIrParaDia&) {})) << "Esc";
    EXPECT_EQ("", dialogs->ShownText());
}

TEST_F(IrParaDiaTest, ActivatingADayConfirmsItAtOnce) {
    EXPECT_EQ("24/12/2026", Abre([](TfrmIrParaDia& d) {
                  d.mtcData->setSelectedDate(QDate(2026, 12, 24));
                  emit d.mtcData->activated(d.mtcData->selectedDate());
                  EXPECT_FALSE(d.isVisible());
              }));
}

TEST_F(IrParaDiaTest, CalendarCoversTheYearsAroundTheServersToday) {
    const QDate hoje = Hoje();
    Abre([&](TfrmIrParaDia& d) {
        EXPECT_LE(d.mtcData->minimumDate(), hoje.addYears(-10));
        EXPECT_GE(d.mtcData->maximumDate(), hoje.addYears(10));
        d.mtcData->setSelectedDate(hoje.addYears(10));
        EXPECT_EQ(hoje.addYears(10), d.mtcData->selectedDate());
    });
}

TEST_F(IrParaDiaTest, WithoutTheMeetingWindowTheFailureIsShownAndNoDateReturned) {
    CloseWindow();
    ASSERT_EQ(nullptr, Window());
    EXPECT_EQ("", Abre([](TfrmIrParaDia& d) { d.bitCancela->click(); }));
    EXPECT_EQ("error: A janela de Controle de Reunião não está aberta.", dialogs->ShownText());
}

}  // namespace
