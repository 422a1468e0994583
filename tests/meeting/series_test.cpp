// Recurring meetings from the meeting window against the real application server: the repeat
// choice and its checks, the series made after the first save and its result list, "this and
// the following" for a new time, and the cancellation of a series' later meetings.
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>

#include "base/page_control_ex.h"
#include "base/qt_dialogs.h"
#include "base/table_dialog.h"
#include "meeting/series_dialog.h"
#include "meeting/series_rules.h"
#include "tests/meeting/meeting_edit_support.h"
#include "tests/meeting/meeting_seed.h"

using namespace Cli_zel00400;

namespace {

constexpr int kDay = 70;  // days from today: beyond every demo meeting
constexpr const char* kRoom = "00003";

class SeriesTest : public MeetingEditFixture {
  protected:
    // The window with the list showing every meeting of the branch, whatever its day.
    TfrmReuniao& OpenAll() {
        TfrmReuniao& w = Open();
        ResetListParameters();
        stTData = "T";
        SetStatusButtons(w, true, true, true, true);
        return w;
    }
    // The weekly rule on the weekday of day `offset`, ending after `count` meetings.
    static void ChooseWeekly(TfrmReuniao& w, TDateTime day, int count, bool skipTaken) {
        w.cbxRepete->setCurrentIndex(2);
        for (int d = 0; d < 7; ++d)
            w.chkDiaSemana[d]->setChecked(d + 1 == IsoWeekday(day));
        w.cbxFimSerie->setCurrentIndex(1);
        w.spnQtdeSerie->setValue(count);
        w.cbxConflito->setCurrentIndex(skipTaken ? 1 : 0);
    }
    // Saves a weekly series of `count` meetings from day kDay at 10:00 for one hour in kRoom;
    // the first meeting's number.
    std::string SaveWeeklySeries(TfrmReuniao& w, int count, bool skipTaken = false) {
        StartNewMeeting(w);
        TypeWindow(w, seed.Day(kDay), "10:00", "01:00");
        w.dbeCdSalas->SetText(kRoom);
        ChooseWeekly(w, seed.Day(kDay), count, skipTaken);
        dialogs->ClearShown();
        EXPECT_TRUE(w.sbtConfirmar->Click()) << dialogs->ShownText();
        return stNovaTarefa;
    }
    // "yyyy-mm-dd hh:mm" of a stored start (either backend's text form).
    static std::string Iso(std::string text) {
        if (text.size() > 10) text[10] = ' ';
        return text.substr(0, 16);
    }
    static std::string Day(TDateTime day) { return DateTimeToIso(day).substr(0, 10); }
    // The series' meetings: "number start status" per line, by start.
    std::vector<std::string> SeriesMeetings(const std::string& series) {
        std::vector<std::string> out;
        for (const auto& r : seed.Rows("SELECT NRTAREFA, DTHRREUNIAO, IDSITTAREFA FROM TAREFA "
                                       "WHERE NRSERIETARE = ? ORDER BY DTHRREUNIAO",
                                       {series}))
            out.push_back(r[0].AsString() + " " + Iso(r[1].AsString()) + " " + r[2].AsString());
        return out;
    }
    // The active booking of meeting `nr`: "room hhmm-hhmm", "" when none.
    std::string BookingOf(const std::string& nr) {
        const auto rows = seed.Rows(
            "SELECT CDSALA, HRINIAGESALA, HRFINAGESALA FROM AGEATIVISALA "
            "WHERE NRTAREFA = ? AND IDSITAGESALA = 'A'",
            {nr});
        return rows.empty() ? std::string()
                            : rows[0][0].AsString() + " " + rows[0][1].AsString() + "-" +
                                  rows[0][2].AsString();
    }
    std::string RoomName() {
        return seed.Rows("SELECT NMSALA FROM SALA WHERE CDSALA = ?", {std::string(kRoom)})[0][0]
            .AsString();
    }
    std::string Line(int offset, const std::string& nr, const std::string& outcome) {
        const TDateTime day = seed.Day(offset);
        return "  " + DateToStr(day) + " | " + reuniao::WeekdayAbbrev(IsoWeekday(day)) +
               " | 10:00 | " + TrimAll(nr) + " | " + outcome;
    }

    meeting_seed::Seeder seed{server};
};

TEST_F(SeriesTest, RepeatChoiceOnlyWhileInsertingAndARuleThatCannotBePlannedIsRefused) {
    TfrmReuniao& w = OpenAll();
    EXPECT_FALSE(w.panRepete->isEnabled()) << "browsing";
    StartNewMeeting(w);
    EXPECT_TRUE(w.panRepete->isEnabled());
    EXPECT_EQ(0, w.cbxRepete->currentIndex()) << "a new meeting starts as a single one";
    EXPECT_TRUE(w.chkDiaSemana[0]->isHidden()) << "weekdays only for a weekly rule";
    TypeWindow(w, seed.Day(kDay), "10:00", "01:00");

    // No weekday, an end before the start, a count reaching past one year: each refused
    // before the server hands out a number.
    ChooseWeekly(w, seed.Day(kDay), 4, false);
    EXPECT_FALSE(w.chkDiaSemana[0]->isHidden());
    for (QCheckBox* box : w.chkDiaSemana)
        box->setChecked(false);
    dialogs->ClearShown();
    recorder->Clear();
    EXPECT_FALSE(w.sbtConfirmar->Click());
    w.chkDiaSemana[0]->setChecked(true);
    w.cbxFimSerie->setCurrentIndex(0);
    w.depFimSerie->SetDate(seed.Day(kDay));
    EXPECT_FALSE(w.sbtConfirmar->Click());
    w.cbxRepete->setCurrentIndex(3);
    w.cbxFimSerie->setCurrentIndex(1);
    w.spnQtdeSerie->setValue(14);
    EXPECT_FALSE(w.sbtConfirmar->Click());
    const std::string limit = DateToStr(OneYearAfter(seed.Day(kDay)));
    EXPECT_EQ(
        "error: Marque ao menos um dia da semana para a repetição.\n"
        "error: A data final da repetição deve ser posterior à data da reunião.\n"
        "error: A repetição pode ir no máximo até " +
            limit + " (um ano após a primeira reunião).",
        dialogs->ShownText());
    EXPECT_EQ(0, CallCount("GetPrxTarefa"));
    EXPECT_EQ(dsInsert, w.cdsControle.State());

    // Given up: the choice goes back to a single meeting and may not be changed.
    dialogs->AnswerQuestion(true);
    ASSERT_TRUE(w.sbtCancelar->Click());
    EXPECT_FALSE(w.panRepete->isEnabled());
    EXPECT_EQ(0, w.cbxRepete->currentIndex());
}

TEST_F(SeriesTest, WeeklySeriesBooksTheFreeDatesSkipsATakenOneAndListsEachDate) {
    // Someone holds the room on the third date.
    seed.Meeting("0000900001", "Outra reunião", kDay + 14, 10);
    seed.Booking("0000900001", kRoom, kDay + 14, "1000", "1100", "00001");
    TfrmReuniao& w = OpenAll();
    const std::string first = SaveWeeklySeries(w, 4, true);

    const std::vector<std::string> meetings = SeriesMeetings(first);
    ASSERT_EQ(3u, meetings.size()) << "the first meeting and two more; the taken date skipped";
    const std::string second = meetings[1].substr(0, 10), fourth = meetings[2].substr(0, 10);
    EXPECT_EQ(Day(seed.Day(kDay + 21)) + " 10:00 P", meetings[2].substr(11));
    EXPECT_EQ(std::string(kRoom) + " 1000-1100", BookingOf(second));
    EXPECT_EQ(std::string(kRoom) + " 1000-1100", BookingOf(fourth));

    const std::string room = "Sala " + RoomName();
    EXPECT_EQ(
        "table: Série criada\n  3 reuniões na série: 3 com sala, 0 sem sala, 1 data "
        "pulada.\n" +
            Line(kDay, first, room) + "\n" + Line(kDay + 7, second, room) + "\n" +
            Line(kDay + 14, "", "Pulada") + "\n" + Line(kDay + 21, fourth, room),
        dialogs->ShownText());
    // The series is made once the first meeting is stored, and the list shows the new ones.
    const std::vector<std::string> methods = recorder->Methods();
    const auto made = std::find(methods.begin(), methods.end(), "SetSerieReuniao");
    ASSERT_NE(methods.end(), made);
    EXPECT_LT(std::find(methods.begin(), methods.end(), "SetControle"), made);
    EXPECT_NE(methods.end(), std::find(made, methods.end(), "GetControle"));
    EXPECT_TRUE(w.cdsControle.Locate("NRTAREFA", {Variant(fourth)}));
    EXPECT_EQ(TrimAll(first), w.SerieAtual());
}

TEST_F(SeriesTest, ThisAndTheFollowingMovesTheLaterMeetingsAndTheirBookings) {
    TfrmReuniao& w = OpenAll();
    const std::string first = SaveWeeklySeries(w, 3);
    const std::vector<std::string> before = SeriesMeetings(first);
    ASSERT_EQ(3u, before.size());
    const std::string second = before[1].substr(0, 10), third = before[2].substr(0, 10);

    // The second meeting one hour later, in the same room.
    ASSERT_TRUE(w.cdsControle.Locate("NRTAREFA", {Variant(second)}));
    ASSERT_TRUE(w.sbtAlterar->Click()) << dialogs->ShownText();
    w.medHoraIni->SetText("11:00");
    w.medHoraIniExit();
    w.dbeCdSalas->SetText(kRoom);
    dialogs->ClearShown();
    dialogs->AnswerChoice(1);
    ASSERT_TRUE(w.sbtConfirmar->Click()) << dialogs->ShownText();

    EXPECT_EQ(
        "choice: Esta reunião faz parte de uma série. A mudança de horário ou de sala vale "
        "para: [Somente esta reunião|Esta e as seguintes] -> Esta e as seguintes",
        dialogs->Shown().front());
    const std::vector<std::string> after = SeriesMeetings(first);
    EXPECT_EQ(before[0], after[0]) << "the earlier meeting stays";
    EXPECT_EQ(Day(seed.Day(kDay + 7)) + " 11:00 P", after[1].substr(11));
    EXPECT_EQ(Day(seed.Day(kDay + 14)) + " 11:00 P", after[2].substr(11));
    EXPECT_EQ(std::string(kRoom) + " 1100-1200", BookingOf(second));
    EXPECT_EQ(std::string(kRoom) + " 1100-1200", BookingOf(third));
    EXPECT_EQ(std::string(kRoom) + " 1000-1100", BookingOf(first));
    EXPECT_NE(std::string::npos, dialogs->ShownText().find("table: Série alterada"));

    // "Somente esta reunião" keeps the others where they are.
    ASSERT_TRUE(w.cdsControle.Locate("NRTAREFA", {Variant(second)}));
    ASSERT_TRUE(w.sbtAlterar->Click());
    w.medHoraIni->SetText("15:00");
    w.medHoraIniExit();
    w.dbeCdSalas->SetText(kRoom);
    dialogs->AnswerChoice(0);
    recorder->Clear();
    ASSERT_TRUE(w.sbtConfirmar->Click()) << dialogs->ShownText();
    EXPECT_EQ(0, CallCount("SetSerieSeguintes"));
    EXPECT_EQ(Day(seed.Day(kDay + 14)) + " 11:00 P", SeriesMeetings(first)[2].substr(11));
}

TEST_F(SeriesTest, CancellingThisAndTheFollowingNotifiesEachParticipantOncePerMeeting) {
    TfrmReuniao& w = OpenAll();
    const std::string first = SaveWeeklySeries(w, 3);
    const std::vector<std::string> meetings = SeriesMeetings(first);
    ASSERT_EQ(3u, meetings.size());
    std::vector<std::string> nrs;
    for (const std::string& m : meetings) {
        nrs.push_back(m.substr(0, 10));
        seed.Activity(nrs.back(), "00050", "000000000002");
    }
    w.sbtVerificarClick();
    ASSERT_TRUE(w.cdsControle.Locate("NRTAREFA", {Variant(nrs[1])}));
    w.cdsControleAfterScroll();
    dialogs->ClearShown();
    dialogs->AnswerChoice(1);
    dialogs->AnswerQuestion(true);
    dialogs->AnswerInput("");
    ASSERT_TRUE(w.btnCanReuniao->Click()) << dialogs->ShownText();

    EXPECT_EQ(
        "choice: Esta reunião faz parte de uma série. Cancelar: [Somente esta reunião|Esta e as "
        "seguintes] -> Esta e as seguintes\n"
        "question: Deseja cancelar a reunião?\n"
        "input: Motivo do cancelamento (opcional): -> \n"
        "notice: Cancelamento realizado com sucesso.\n"
        "notice: 1 reunião seguinte da série também foi cancelada.",
        dialogs->ShownText());
    const std::vector<std::string> after = SeriesMeetings(first);
    EXPECT_EQ('P', after[0].back());
    EXPECT_EQ('X', after[1].back());
    EXPECT_EQ('X', after[2].back());
    EXPECT_EQ("", BookingOf(nrs[1]));
    EXPECT_EQ("", BookingOf(nrs[2]));
    EXPECT_EQ(std::string(kRoom) + " 1000-1100", BookingOf(nrs[0]));
    // One notice per cancelled meeting for the participant, none for the operator.
    const auto notices = seed.Rows(
        "SELECT DSATIVPESSOAL FROM ATIVPESSOAL WHERE CDOPERADOR = '000000000002' AND "
        "DSATIVPESSOAL LIKE 'Reunião de teste%' ORDER BY NRATIVPESSOAL");
    ASSERT_EQ(2u, notices.size());
    EXPECT_NE(std::string::npos, notices[0][0].AsString().find(DateToStr(seed.Day(kDay + 7))));
    EXPECT_NE(std::string::npos, notices[1][0].AsString().find(DateToStr(seed.Day(kDay + 14))));
    EXPECT_TRUE(
        seed.Rows("SELECT 1 FROM ATIVPESSOAL WHERE CDOPERADOR = ?", {CurrentOperator()}).empty());
}

// "Incluir data" in the series dialog: while the skipped date's room is still taken the date
// is refused and nothing changes; once the room is free the date gets its meeting, booked in
// the series' room, and both the window's list and the dialog show it.
TEST_F(SeriesTest, IncludingASkippedDateBooksItsRoomOnceFreeAndListsTheNewMeeting) {
    seed.Meeting("0000900001", "Outra reunião", kDay + 7, 10);
    seed.Booking("0000900001", kRoom, kDay + 7, "1000", "1100", "00001");
    TfrmReuniao& w = OpenAll();
    const std::string first = SaveWeeklySeries(w, 3, true);
    ASSERT_EQ(2u, SeriesMeetings(first).size());
    ASSERT_TRUE(w.mnuSerie->isEnabled());
    w.mnuSerie->trigger();
    TSeriesDialog* d = w.dlgSerie;
    ASSERT_NE(nullptr, d);
    d->SelectRow(1);
    ASSERT_EQ("P", d->Rows()[1].state);
    ASSERT_TRUE(d->btnIncluirData->isEnabled());

    dialogs->ClearShown();
    d->btnIncluirData->click();
    EXPECT_EQ("error: A sala " + TrimAll(RoomName()) + " está ocupada em " +
                  DateToStr(seed.Day(kDay + 7)) + " das 10:00 às 11:00.",
              dialogs->ShownText());
    EXPECT_EQ(2u, SeriesMeetings(first).size());
    EXPECT_EQ("P", d->Rows()[1].state);

    seed.Exec("DELETE FROM AGEATIVISALA WHERE NRTAREFA = '0000900001'");
    dialogs->ClearShown();
    d->btnIncluirData->click();
    const std::vector<std::string> meetings = SeriesMeetings(first);
    ASSERT_EQ(3u, meetings.size()) << dialogs->ShownText();
    const std::string added = meetings[1].substr(0, 10);
    EXPECT_EQ(Day(seed.Day(kDay + 7)) + " 10:00 P", meetings[1].substr(11));
    EXPECT_EQ(std::string(kRoom) + " 1000-1100", BookingOf(added));
    EXPECT_EQ("table: Data incluída na série\n  Data " + DateToStr(seed.Day(kDay + 7)) +
                  " incluída na série.\n" + Line(kDay + 7, added, "Sala " + RoomName()),
              dialogs->ShownText());
    EXPECT_TRUE(w.cdsControle.Locate("NRTAREFA", {Variant(added)})) << "the list shows it";
    EXPECT_EQ(TrimAll(added), d->Rows()[1].meeting);
    EXPECT_EQ("R", d->Rows()[1].state);
    EXPECT_FALSE(d->btnIncluirData->isEnabled()) << "the date is no longer skipped";
}

// The result list in the real table dialog, inside a real MDI area: the box is modal, lists
// each date, and the window carries on once it is closed.
TEST_F(SeriesTest, TheResultListIsARealModalTable) {
    MdiMainWindow host;
    ASSERT_TRUE(host.Activate());
    TfrmReuniao& w = OpenAll();
    StartNewMeeting(w);
    TypeWindow(w, seed.Day(kDay), "10:00", "01:00");
    w.dbeCdSalas->SetText(kRoom);
    ChooseWeekly(w, seed.Day(kDay), 2, false);
    InstallDialogs(std::make_unique<QtDialogs>());
    QStringList shown;
    QTimer::singleShot(0, [&] {
        auto* table = qobject_cast<TTableDialog*>(QApplication::activeModalWidget());
        if (!table) return ADD_FAILURE() << "no table dialog";
        shown << table->windowTitle();
        for (int r = 0; r < table->grdTabela->rowCount(); ++r)
            shown << table->grdTabela->item(r, 0)->text() + " " +
                         table->grdTabela->item(r, 4)->text();
        table->accept();
    });
    ASSERT_TRUE(w.sbtConfirmar->Click());
    const QString room = QStringLiteral("Sala ") + QString::fromStdString(RoomName());
    EXPECT_EQ(QStringList({QStringLiteral("Série criada"),
                           QString::fromStdString(DateToStr(seed.Day(kDay))) + " " + room,
                           QString::fromStdString(DateToStr(seed.Day(kDay + 7))) + " " + room}),
              shown);
    EXPECT_EQ(dsBrowse, w.cdsControle.State());
    InstallDialogs(nullptr);
}

}  // namespace
