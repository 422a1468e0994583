// Controls against a real client dataset: masked text, data-aware edit, grid cursor and
// column rules, focus rules.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCalendarWidget>
#include <QLabel>
#include <QTest>
#include <QVBoxLayout>
#include <memory>

#include "base/date_picker_edit.h"
#include "base/db_edit.h"
#include "base/db_grid.h"
#include "base/edit_mask.h"
#include "base/mask_edit.h"
#include "base/scripted_dialogs.h"
#include "platform/client_data_set.h"
#include "platform/data_source.h"

namespace {

TEST(MaskEditTest, EmptyTimeEditReadsBlanksAndLiterals) {
    TMaskEdit edit;
    edit.SetEditMask("!90:00;1; ");
    EXPECT_EQ(edit.Text(), "  :  ");
    edit.SetText("09:30");
    EXPECT_EQ(edit.Text(), "09:30");
}

TEST(MaskEditTest, PlatformDigitsTranslateToQtDigits) {
    // The platform's 0 is a required digit (Qt 9), its 9 an optional one (Qt 0).
    EXPECT_EQ(TranslateEditMask("!90:00;1; ").qtInputMask, "09:99; ");
    EXPECT_EQ(TranslateEditMask("99.99;0;_").qtInputMask, "00.00;_");
    // A platform literal that means something to Qt is escaped.
    EXPECT_EQ(TranslateEditMask("0H0;1;_").qtInputMask, "9\\H9;_");
}

TEST(MaskEditTest, WithoutKeptLiteralsTheValueHoldsOnlyTheTypedCharacters) {
    TMaskEdit edit;
    edit.SetEditMask("99.99;0;_");
    edit.SetText("12.3");
    EXPECT_EQ(edit.Text(), "123");
}

TEST(MaskEditTest, SettingTextFromCodeFiresOnChangeButSettingTheMaskDoesNot) {
    TMaskEdit edit;
    int changes = 0;
    edit.OnChange = [&] { ++changes; };
    edit.SetEditMask("!90:00;1; ");
    EXPECT_EQ(changes, 0);
    edit.SetText("10:00");
    EXPECT_EQ(changes, 1);
}

// The calendar of a date edit is Portuguese on any machine: its week runs from Sunday and its
// header names the days, not the machine locale's abbreviations.
TEST(DatePickerEditTest, CalendarNamesTheWeekInPortugueseFromSunday) {
    std::unique_ptr<QCalendarWidget> calendar(TDatePickerEdit::NewCalendar(nullptr));
    EXPECT_EQ(Qt::Sunday, calendar->firstDayOfWeek());
    EXPECT_EQ(QLocale::Portuguese, calendar->locale().language());
    EXPECT_EQ(QCalendarWidget::NoHorizontalHeader, calendar->horizontalHeaderFormat());
    const auto* header = calendar->findChild<QWidget*>("dayNames");
    ASSERT_NE(nullptr, header);
    QStringList names;
    for (const QLabel* day : header->findChildren<QLabel*>())
        names << day->text();
    EXPECT_EQ(QStringList({"Domingo", "Segunda", "Terça", "Quarta", "Quinta", "Sexta", "Sábado"}),
              names);
}

// A window with a two-column grid and an edit over a three-row dataset.
class DataControlsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dialogs = &ScriptedDialogs::Install();
        cds.AddField("CODIGO", TFieldType::ftString, 4);
        cds.AddField("NOME", TFieldType::ftString, 20);
        cds.CreateDataSet();
        for (auto [code, name] : {std::pair{"0001", "Ana"}, {"0002", "Bruno"}, {"0003", "Carla"}}) {
            cds.Append();
            cds.FieldByName("CODIGO").SetAsString(code);
            cds.FieldByName("NOME").SetAsString(name);
            cds.Post();
        }
        cds.MergeChangeLog();
        cds.First();
        source.SetDataSet(&cds);

        auto* layout = new QVBoxLayout(&window);
        grid = new TDBGrid(&window);
        grid->SetColumns({TColumn{"CODIGO", "Código", 60}, TColumn{"NOME", "Nome", 120}});
        grid->SetDataSource(&source);
        edit = new TDBEdit(&window);
        edit->SetDataSource(&source);
        edit->SetDataField("NOME");
        other = new TMaskEdit(&window);
        layout->addWidget(grid);
        layout->addWidget(edit);
        layout->addWidget(other);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    void TearDown() override { dialogs->ClearShown(); }

    // A click as the operator makes it: through the window, where the focus decision starts.
    void click(QWidget* target) {
        QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {},
                          target->mapTo(&window, target->rect().center()));
        QApplication::processEvents();
    }

    ScriptedDialogs* dialogs = nullptr;
    TClientDataSet cds{"cdsTeste"};
    TDataSource source;
    QWidget window;
    TDBGrid* grid = nullptr;
    TDBEdit* edit = nullptr;
    TMaskEdit* other = nullptr;
};

TEST_F(DataControlsTest, GridFollowsTheDataSetAndMovesIt) {
    cds.Next();
    EXPECT_EQ(grid->currentIndex().row(), 1);
    grid->setCurrentIndex(grid->model()->index(2, 0));
    EXPECT_EQ(cds.RecNo(), 3);
    EXPECT_EQ(cds.FieldByName("NOME").AsString(), "Carla");
}

TEST_F(DataControlsTest, RefusedScrollKeepsTheGridOnTheDataSetRow) {
    cds.BeforeScroll = [](TClientDataSet&) { throw EAbort(); };
    grid->setCurrentIndex(grid->model()->index(2, 0));
    EXPECT_EQ(cds.RecNo(), 1);
    EXPECT_EQ(grid->currentIndex().row(), 0);
    EXPECT_EQ(dialogs->ShownText(), "") << "EAbort is silent";
}

TEST_F(DataControlsTest, ColExitExceptionKeepsTheColumn) {
    grid->setFocus();
    grid->SetSelectedIndex(0);
    int enters = 0;
    grid->OnColEnter = [&] { ++enters; };
    grid->OnColExit = [] { throw Exception("Código inválido."); };
    EXPECT_FALSE(grid->SetSelectedIndex(1));
    EXPECT_EQ(grid->SelectedField()->FieldName(), "CODIGO");
    QTest::keyClick(grid, Qt::Key_Right);
    EXPECT_EQ(grid->SelectedIndex(), 0);
    EXPECT_EQ(enters, 0);
    EXPECT_EQ(dialogs->ShownText(), "error: Código inválido.\nerror: Código inválido.");

    grid->OnColExit = nullptr;
    EXPECT_TRUE(grid->SetSelectedIndex(1));
    EXPECT_EQ(grid->SelectedField()->FieldName(), "NOME");
    EXPECT_EQ(enters, 1);
}

TEST_F(DataControlsTest, TypedTextReachesTheFieldOnlyOnPost) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, "Alice");
    EXPECT_EQ(cds.State(), dsEdit) << "typing puts the dataset into edit (AutoEdit)";
    EXPECT_EQ(cds.FieldByName("NOME").AsString(), "Ana");
    EXPECT_EQ(edit->Text(), "Alice");
    cds.Post();
    EXPECT_EQ(cds.FieldByName("NOME").AsString(), "Alice");
    EXPECT_EQ(cds.ChangeCount(), 1);
}

TEST_F(DataControlsTest, RefusedEditDropsTheKey) {
    cds.BeforeEdit = [](TClientDataSet&) { throw EAbort(); };
    edit->setFocus();
    QTest::keyClicks(edit, "x");
    EXPECT_EQ(edit->Text(), "Ana");
    EXPECT_EQ(cds.State(), dsBrowse);
}

TEST_F(DataControlsTest, ExceptionInOnExitKeepsTheFocus) {
    edit->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(edit->hasFocus());
    int exits = 0;
    edit->OnExit = [&] {
        ++exits;
        throw Exception("Nome inválido.");
    };
    click(other);
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_FALSE(other->hasFocus()) << "the focus never left";
    QTest::keyClick(edit, Qt::Key_Tab);
    QApplication::processEvents();
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(exits, 2);

    edit->OnExit = [&] { ++exits; };
    int enters = 0;
    other->OnEnter = [&] { ++enters; };
    click(other);
    EXPECT_TRUE(other->hasFocus());
    EXPECT_EQ(exits, 3) << "one exit per focus move";
    EXPECT_EQ(enters, 1);
}

TEST_F(DataControlsTest, LeavingTheEditWritesTheTypedText) {
    edit->setFocus();
    QApplication::processEvents();
    edit->selectAll();
    QTest::keyClicks(edit, "Beatriz");
    click(other);
    EXPECT_EQ(cds.FieldByName("NOME").AsString(), "Beatriz");
    EXPECT_EQ(cds.State(), dsEdit);
}

}  // namespace
