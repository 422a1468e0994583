// What the operator is typing in the meeting window survives what would reload or close it: a
// status button, closing the window (also in the host's MDI area with a real question), a
// confirm with the focus still in a field, a key that empties the duration, a trip to another
// window of the host; and a date that does not exist is refused in Portuguese.
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "base/db_navigator.h"
#include "base/db_rich_edit.h"
#include "base/focus_events.h"
#include "base/page_control_ex.h"
#include "base/qt_dialogs.h"
#include "tests/meeting/meeting_edit_support.h"
#include "tests/meeting/meeting_seed.h"

using namespace Cli_zel00400;

namespace {

class TypedWorkTest : public MeetingEditFixture {
  protected:
    // The page shown as a click on its tab shows it.
    static void ShowPage(TfrmReuniao& w, QWidget* page) {
        w.pgcReuniao->SetActivePage(page);
        w.pgcReuniaoChange();
    }
    static void Key(QWidget* w, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(w, &press);
    }
    static bool FocusOn(QWidget* control) {
        SetFocus(control);
        return QTest::qWaitFor([&] { return QApplication::focusWidget() == control; });
    }
    // A meeting saved without a room, with an agenda item, current on the list.
    std::string MeetingWithAgenda(TfrmReuniao& w) {
        const std::string nr = SaveMeeting(w, day, "10:00", "01:00", "");
        seed.AgendaItem(nr, "0000900001", "Abertura");
        w.sbtVerificarClick();
        EXPECT_FALSE(w.cdsItemTarefa.IsEmpty());
        return nr;
    }
    // Runs on the next real message box: keeps its text, then presses `button` on it.
    static void AnswerBox(QString& text, QMessageBox::StandardButton button) {
        QTimer::singleShot(0, [&text, button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return ADD_FAILURE() << "no message box";
            text = box->text();
            box->button(button)->click();
        });
    }

    meeting_seed::Seeder seed{server};
    const TDateTime day = Date() + 49;
};

TEST_F(TypedWorkTest, AStatusButtonAsksBeforeTheActivityBeingTypedIsDropped) {
    TfrmReuniao& w = Open();
    const std::string nr = SaveMeeting(w, day, "10:00", "01:00", "");
    ShowPage(w, w.tshParticipantes);
    ASSERT_TRUE(w.sbtIncluir->Click()) << dialogs->ShownText();
    w.cdsAtividades.FieldByName("CDOPERRESP").SetAsString("000000000002");
    const int activities = static_cast<int>(ActivitiesOf(nr));
    const std::string filter = w.cdsControle.Filter();
    dialogs->ClearShown();
    recorder->Clear();

    dialogs->AnswerQuestion(false);
    w.tbtConcluida->click();
    EXPECT_EQ("question: Deseja cancelar as alterações?", dialogs->ShownText());
    EXPECT_EQ(dsInsert, w.cdsAtividades.State()) << "No: the activity stays as typed";
    EXPECT_EQ("000000000002", w.cdsAtividades.FieldByName("CDOPERRESP").AsString());
    EXPECT_FALSE(w.tbtConcluida->Down()) << "the button shows the filter still in force";
    EXPECT_EQ(filter, w.cdsControle.Filter());
    EXPECT_EQ(0, CallCount("GetAtividades"));

    // Yes: the activity typed goes, and the list is filtered as asked.
    dialogs->AnswerQuestion(true);
    w.tbtConcluida->click();
    EXPECT_TRUE(w.tbtConcluida->Down());
    EXPECT_NE(std::string::npos, w.cdsControle.Filter().find("'C'"));
    EXPECT_EQ(dsBrowse, w.cdsAtividades.State());
    EXPECT_EQ(activities, ActivitiesOf(nr)) << "nothing of it reached the server";
}

TEST_F(TypedWorkTest, ClosingAsksAboutAnActivityOrMinutesBeingTyped) {
    TfrmReuniao& w = Open();
    MeetingWithAgenda(w);
    ShowPage(w, w.tshParticipantes);
    ASSERT_TRUE(w.sbtIncluir->Click()) << dialogs->ShownText();
    w.cdsAtividades.FieldByName("CDOPERRESP").SetAsString("000000000003");
    dialogs->ClearShown();
    dialogs->AnswerQuestion(false);
    EXPECT_FALSE(w.close());
    EXPECT_EQ("question: Deseja cancelar as alterações?", dialogs->ShownText());
    EXPECT_EQ(dsInsert, w.cdsAtividades.State());
    EXPECT_EQ("000000000003", w.cdsAtividades.FieldByName("CDOPERRESP").AsString());
    dialogs->AnswerQuestion(true);
    ASSERT_TRUE(w.sbtCancelar->Click());

    ShowPage(w, w.tshAta);
    ASSERT_TRUE(w.sbtIncluir->Click()) << dialogs->ShownText();
    w.dbrDescricao->setPlainText(QStringLiteral("Aprovado."));
    ASSERT_EQ(dsInsert, w.cdsDescItTare.State());
    dialogs->ClearShown();
    dialogs->AnswerQuestion(false);
    EXPECT_FALSE(w.close());
    EXPECT_EQ("question: Deseja cancelar as alterações?", dialogs->ShownText());
    EXPECT_TRUE(boIdCriado);
    EXPECT_EQ(QStringLiteral("Aprovado."), w.dbrDescricao->toPlainText());

    dialogs->AnswerQuestion(true);
    EXPECT_TRUE(w.close()) << "Yes: the minutes typed go, and the window with them";
    EXPECT_FALSE(boIdCriado);
}

// In the host's MDI area, with the real question box of a running application.
TEST_F(TypedWorkTest, ClosingTheWindowInTheHostAsksBeforeAnAgendaItemBeingTypedIsLost) {
    MdiMainWindow host;
    ASSERT_TRUE(host.Activate());
    TfrmReuniao& w = Open();
    auto* frame = qobject_cast<QMdiSubWindow*>(w.parentWidget());
    ASSERT_NE(nullptr, frame);
    MeetingWithAgenda(w);
    ShowPage(w, w.tshPauta);
    ASSERT_TRUE(w.sbtIncluir->Click()) << dialogs->ShownText();
    w.cdsItemTarefa.FieldByName("DSREFEITTARE").SetAsString("Orçamento do ano");
    InstallDialogs(std::make_unique<QtDialogs>());

    QString asked;
    AnswerBox(asked, QMessageBox::No);
    frame->close();
    QCoreApplication::processEvents();
    EXPECT_EQ(QStringLiteral("Deseja cancelar as alterações?"), asked);
    EXPECT_TRUE(boIdCriado);
    EXPECT_EQ(1, host.area()->subWindowList().size()) << "the window stays open";
    EXPECT_EQ(dsInsert, w.cdsItemTarefa.State());
    EXPECT_EQ("Orçamento do ano", w.cdsItemTarefa.FieldByName("DSREFEITTARE").AsString());

    asked.clear();
    AnswerBox(asked, QMessageBox::Yes);
    frame->close();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(QStringLiteral("Deseja cancelar as alterações?"), asked);
    EXPECT_FALSE(boIdCriado);
    InstallDialogs(nullptr);
}

TEST_F(TypedWorkTest, ConfirmWithTheFocusStillInTheProjectChecksAndWidensIt) {
    MdiMainWindow host;
    ASSERT_TRUE(host.Activate());
    TfrmReuniao& w = Open();
    StartNewMeeting(w);
    TypeWindow(w, day, "10:00", "01:00");
    ASSERT_TRUE(FocusOn(w.dbeCDProjeto));
    TypeKeys(w.dbeCDProjeto, "9");
    dialogs->ClearShown();
    recorder->Clear();
    EXPECT_FALSE(w.sbtConfirmar->Click()) << "the tool button leaves the focus in the field";
    EXPECT_EQ("error: Projeto não cadastrado.", dialogs->ShownText());
    EXPECT_EQ(0, CallCount("SetControle"));
    EXPECT_EQ(w.dbeCDProjeto, QApplication::focusWidget());
    EXPECT_EQ(dsInsert, w.cdsControle.State());

    w.dbeCDProjeto->selectAll();
    TypeKeys(w.dbeCDProjeto, "2");
    dialogs->ClearShown();
    ASSERT_TRUE(w.sbtConfirmar->Click()) << dialogs->ShownText();
    const auto rows = seed.Rows("SELECT CDPROJETO FROM TAREFA WHERE NRTAREFA = ?", {stNovaTarefa});
    ASSERT_EQ(1u, rows.size());
    EXPECT_EQ("0000000002", rows[0][0].AsString()) << "stored widened, as leaving it does";
}

TEST_F(TypedWorkTest, BackspaceOrDeleteInTheDurationStartsTheEditAndMovingOnDoesNotDropIt) {
    TfrmReuniao& w = Open();
    const std::string nr = SaveMeeting(w, day, "10:00", "01:00", "");
    ShowPage(w, w.tshFormulario);
    ASSERT_EQ(dsBrowse, w.cdsControle.State());
    const auto moveOn = [&] {
        return w.dbnPadrao->BtnClick(w.dbnPadrao->Button(nbNext)->isEnabled() ? nbNext : nbPrior);
    };

    // Backspace starts the edit; the meeting is saved with what was typed when the operator
    // moves to another meeting.
    w.medQtdeHoras->setCursorPosition(5);
    Key(w.medQtdeHoras, Qt::Key_Backspace);
    EXPECT_EQ(dsEdit, w.cdsControle.State());
    TypeKeys(w.medQtdeHoras, "5");
    ASSERT_EQ("01:05", w.medQtdeHoras->Text());
    dialogs->ClearShown();
    ASSERT_TRUE(moveOn()) << dialogs->ShownText();
    const auto stored = [&] {
        return seed.Rows("SELECT QTHRREUNIAO FROM TAREFA WHERE NRTAREFA = ?", {nr})
            .at(0)
            .at(0)
            .AsFloat();
    };
    EXPECT_NEAR(1 + 5 / 60.0, stored(), 1e-6);
    EXPECT_NE(nr, w.cdsControle.FieldByName("NRTAREFA").AsString());

    // Delete empties the duration: moving on is refused by the duration's check, and the
    // meeting stays in edit as typed.
    ASSERT_TRUE(w.cdsControle.Locate("NRTAREFA", {Variant(nr)}));
    w.medQtdeHoras->selectAll();
    Key(w.medQtdeHoras, Qt::Key_Delete);
    EXPECT_EQ(dsEdit, w.cdsControle.State());
    dialogs->ClearShown();
    EXPECT_FALSE(moveOn());
    EXPECT_EQ("error: Qtde. de Horas deve ser informada.", dialogs->ShownText());
    EXPECT_EQ(dsEdit, w.cdsControle.State());
    EXPECT_EQ(nr, w.cdsControle.FieldByName("NRTAREFA").AsString());
    EXPECT_NEAR(1 + 5 / 60.0, stored(), 1e-6);
}

TEST_F(TypedWorkTest, AnotherWindowOfTheHostNeitherChecksTheFieldLeftNorSendsTheFormToTheList) {
    MdiMainWindow host;
    ASSERT_TRUE(host.Activate());
    TfrmReuniao& w = Open();
    auto* ours = qobject_cast<QMdiSubWindow*>(w.parentWidget());
    ASSERT_NE(nullptr, ours);
    auto* inbox = host.area()->addSubWindow(new QLineEdit);
    inbox->show();
    host.area()->setActiveSubWindow(ours);
    QCoreApplication::processEvents();
    // Only the reference: leaving the header would ask for the process.
    StartNewMeeting(w, false);
    ASSERT_TRUE(FocusOn(w.dbeCDProjeto));
    TypeKeys(w.dbeCDProjeto, "9");
    dialogs->ClearShown();
    recorder->Clear();

    host.area()->setActiveSubWindow(inbox);
    inbox->widget()->setFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ("", dialogs->ShownText()) << "no check of leaving the field or the header";
    EXPECT_EQ(0, CallCount("GetProjeto"));

    host.area()->setActiveSubWindow(ours);
    QCoreApplication::processEvents();
    EXPECT_EQ(w.tshFormulario, w.pgcReuniao->ActivePage());
    EXPECT_EQ(dsInsert, w.cdsControle.State());
    EXPECT_EQ("Reunião de teste", w.dbeDsReferencia->Text());
    EXPECT_EQ("9", w.dbeCDProjeto->Text());
    EXPECT_EQ("", dialogs->ShownText());
}

TEST_F(TypedWorkTest, ADateThatDoesNotExistIsRefusedInPortuguese) {
    TfrmReuniao& w = Open();
    StartNewMeeting(w);
    w.depDataIni->SetText("31/02/2027");
    w.medHoraIni->SetText("10:00");
    w.medQtdeHoras->SetText("01:00");
    dialogs->ClearShown();
    EXPECT_FALSE(w.sbtConfirmar->Click());
    EXPECT_EQ("error: '31/02/2027' não é uma data válida", dialogs->ShownText());
    EXPECT_EQ(dsInsert, w.cdsControle.State());
    EXPECT_EQ(0, CallCount("SetControle"));
}

// Not a check: saves pictures of the question asked before typed work is dropped and of a
// refusal, each over the window as the operator sees it, when ZEL_SCREENSHOT_DIR names a
// folder.
TEST_F(TypedWorkTest, SavesPicturesOfTheQuestionAndOfARefusal) {
    if (qEnvironmentVariableIsEmpty("ZEL_SCREENSHOT_DIR")) GTEST_SKIP() << "no ZEL_SCREENSHOT_DIR";
    const QString dir = qEnvironmentVariable("ZEL_SCREENSHOT_DIR");
    MdiMainWindow host;
    ASSERT_TRUE(host.Activate());
    TfrmReuniao& w = Open();
    w.parentWidget()->showMaximized();
    MeetingWithAgenda(w);
    ShowPage(w, w.tshPauta);
    ASSERT_TRUE(w.sbtIncluir->Click());
    w.cdsItemTarefa.FieldByName("DSREFEITTARE").SetAsString("Orçamento do ano");
    InstallDialogs(std::make_unique<QtDialogs>());
    const auto shoot = [&](const QString& file, QMessageBox::StandardButton button) {
        QTimer::singleShot(100, [&host, file, button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return ADD_FAILURE() << "no message box";
            QPixmap shot = host.window().grab();
            const QPixmap boxShot = box->grab();
            QPainter painter(&shot);
            painter.drawPixmap((shot.width() - boxShot.width()) / 2,
                               (shot.height() - boxShot.height()) / 2, boxShot);
            painter.end();
            EXPECT_TRUE(shot.save(file));
            box->button(button)->click();
        });
    };
    shoot(dir + "/typed-item-question.png", QMessageBox::No);
    w.parentWidget()->close();
    QCoreApplication::processEvents();
    w.cdsItemTarefa.Cancel();
    ShowPage(w, w.tshParticipantes);
    ASSERT_TRUE(w.sbtIncluir->Click());
    shoot(dir + "/typed-activity-refusal.png", QMessageBox::Ok);
    w.btnCanReuniao->Click();
    w.cdsAtividades.Cancel();
    InstallDialogs(nullptr);
}

}  // namespace
