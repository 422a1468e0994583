// The agenda import dialog with the meeting window open, against the real application server:
// the copy of a source meeting's agenda, the participant import that follows, the refusal of
// a source without items, the keys, the placement and a fresh instance per opening.
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMainWindow>
#include <QTest>

#include "base/application_window.h"
#include "base/buttons.h"
#include "base/db_grid.h"
#include "base/login_context.h"
#include "base/routines.h"
#include "dialogs/frm_imp_reuniao.h"
#include "meeting/cli_zel00400.h"
#include "meeting/frm_reuniao.h"
#include "tests/dialogs/dialog_fixture.h"
#include "tests/meeting/meeting_seed.h"

namespace {

constexpr int kDay = 70;  // days from today: beyond every demo meeting
const std::string kSource = "0000910001";
const std::string kDestination = "0000910002";

class ImpReuniaoTest : public DialogTest {
  protected:
    void SetUp() override {
        DialogTest::SetUp();
        Cli_zel00400::DialogOpeners openers;
        openers.impReuniao = Cli_zel00401::CriaImpReuniao;
        Cli_zel00400::SetDialogOpeners(openers);
        seed.Meeting(kSource, "Planejamento anterior", kDay, 9);
        for (int i = 1; i <= 5; ++i)
            seed.AgendaItem(kSource, "000000090" + std::to_string(i),
                            "Assunto " + std::to_string(i));
        seed.Activity(kSource, "00001", "000000000002");
        seed.Activity(kSource, "00002", "000000000003");
        seed.Activity(kSource, "00003", "000000000004", "X");
        seed.Meeting(kDestination, "Planejamento seguinte", kDay + 1, 14, 1.5);
        seed.Activity(kDestination, "00001", CurrentOperator());
    }
    void TearDown() override {
        Cli_zel00401::Finalization();
        Cli_zel00400::SetDialogOpeners({});
        DialogTest::TearDown();
    }
    // The list reloaded with `nr` current, then the import dialog opened on it; `script` runs
    // inside the dialog's modal loop with the source meeting selected.
    void Import(const std::string& nr, const std::function<void(TfrmImpReuniao&)>& script) {
        TfrmReuniao& w = *Window();
        w.Atualiza();
        ASSERT_TRUE(w.cdsControle.Locate("NRTAREFA", {Variant(nr)}));
        WhenModal([&](QDialog& d) {
            auto& dialog = static_cast<TfrmImpReuniao&>(d);
            ASSERT_TRUE(dialog.cdsReuniao.Locate("NRTAREFA", {Variant(kSource)}));
            candidateLoads += CallCount("GetReuniao");
            recorder->Clear();
            dialogs->ClearShown();
            script(dialog);
        });
        ASSERT_TRUE(w.sbtImpArq->Click());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // The calls of the import, without the details every reload brings.
    std::vector<std::string> ImportCalls() const {
        std::vector<std::string> out;
        for (const std::string& m : recorder->Methods())
            if (m == "GetImpAssunto" || m == "GetInsAssunto" || m == "GetControle" ||
                m == "GetAtividadesAux" || m == "SetParticipantesAuto")
                out.push_back(m);
        return out;
    }
    std::vector<std::string> Column(const std::string& sql, const std::string& nr) {
        std::vector<std::string> out;
        for (const auto& r : seed.Rows(sql, {nr}))
            out.push_back(r[0].AsString());
        return out;
    }

    // A moment as the database stores it.
    static std::string Stored(TDateTime t) { return FormatDateTime("yyyy-mm-dd hh:nn:ss", t); }

    meeting_seed::Seeder seed{server};
    int candidateLoads = 0;  // GetReuniao calls, one per opening
};

TEST_F(ImpReuniaoTest, EnterCopiesEveryItemInOrderThenNoImportsNoParticipants) {
    TfrmReuniao& w = *Window();
    Import(kDestination, [&](TfrmImpReuniao& d) {
        EXPECT_EQ("Selecione a reunião desejada", d.windowTitle().toStdString());
        EXPECT_EQ("ZEL00401", d.lblCodTela->text().toStdString());
        d.dbgReuniao->setFocus();
        ASSERT_EQ(d.dbgReuniao, Focused());
        dialogs->AnswerQuestion(false);
        QTest::keyClick(Focused(), Qt::Key_Return);
        ASSERT_NE(nullptr, Focused());
        EXPECT_TRUE(d.isVisible()) << "the dialog stays open after a confirm";
        QTest::keyClick(Focused(), Qt::Key_Escape);
        EXPECT_FALSE(d.isVisible()) << "Esc closes wherever the focus is";
    });
    // Five copies in the source's order, one reload, the question, the reload after No.
    EXPECT_EQ((std::vector<std::string>{"GetImpAssunto", "GetInsAssunto", "GetInsAssunto",
                                        "GetInsAssunto", "GetInsAssunto", "GetInsAssunto",
                                        "GetControle", "GetControle"}),
              ImportCalls());
    std::vector<std::string> items;
    for (const CallRecorder::Call& c : recorder->Calls())
        if (c.method == "GetInsAssunto") {
            EXPECT_EQ(9u, c.args.size());
            EXPECT_EQ(kDestination, c.args[1].AsString());
            items.push_back(c.args[2].AsString());
        }
    EXPECT_EQ((std::vector<std::string>{"0000000901", "0000000902", "0000000903", "0000000904",
                                        "0000000905"}),
              items);
    EXPECT_EQ(items, Column("SELECT NRSEQUITTARE FROM ITEMTAREFA WHERE NRTAREFA = ? ORDER BY "
                            "NRSEQUITTARE",
                            kDestination));
    EXPECT_EQ("question: Deseja importar participantes?", dialogs->ShownText());
    EXPECT_FALSE(w.boImpParticipantes);
    EXPECT_EQ(kSource, w.stTarefaOrigem);
    EXPECT_EQ(kDestination, w.cdsControle.FieldByName("NRTAREFA").AsString());
    EXPECT_EQ(std::vector<std::string>{CurrentOperator()},
              Column("SELECT CDOPERRESP FROM PLANATIVTARE WHERE NRTAREFA = ?", kDestination));
}

TEST_F(ImpReuniaoTest, YesBooksTheSourcesParticipantsAtTheDestinationsTimes) {
    TfrmReuniao& w = *Window();
    Import(kDestination, [&](TfrmImpReuniao& d) {
        dialogs->AnswerQuestion(true);
        ASSERT_TRUE(d.sbtConfirma->Click());
    });
    EXPECT_EQ("GetAtividadesAux", ImportCalls().at(7));
    EXPECT_EQ("SetParticipantesAuto", ImportCalls().at(9));
    EXPECT_EQ("GetControle", ImportCalls().back());
    EXPECT_EQ(DateToStr(seed.Day(kDay + 1)) + " 15:30:00", Cli_zel00400::stDtHrFinReuniao);
    EXPECT_EQ(0, dialogs->BusyVisible());
    EXPECT_FALSE(w.boImpParticipantes);
    // The cancelled participant of the source is not booked.
    EXPECT_EQ((std::vector<std::string>{CurrentOperator(), "000000000002", "000000000003"}),
              Column("SELECT CDOPERRESP FROM PLANATIVTARE WHERE NRTAREFA = ? ORDER BY "
                     "NRPLATIVTARE",
                     kDestination));
    const auto booked = seed.Rows(
        "SELECT DTINPATIVTAR, DTFIPATIVTAR FROM PLANATIVTARE WHERE "
        "NRTAREFA = ? AND CDOPERRESP = '000000000002'",
        {kDestination});
    ASSERT_EQ(1u, booked.size());
    EXPECT_EQ(Stored(seed.Day(kDay + 1, 14)), booked[0][0].AsString());
    EXPECT_EQ(Stored(seed.Day(kDay + 1, 15, 30)), booked[0][1].AsString());
    // The activities page of the destination meeting shows them.
    ASSERT_EQ(kDestination, w.cdsControle.FieldByName("NRTAREFA").AsString());
    EXPECT_EQ(3, w.cdsAtividades.RecordCount());
    EXPECT_TRUE(w.cdsAtividades.Locate("CDOPERRESP", {Variant("000000000003")}));
}

TEST_F(ImpReuniaoTest, AFailedParticipantImportKeepsTheFlagAndTheList) {
    // A destination ending past midnight cannot receive participants.
    seed.Meeting("0000910003", "Plantão", kDay + 2, 23, 1.5);
    TfrmReuniao& w = *Window();
    Import("0000910003", [&](TfrmImpReuniao& d) {
        dialogs->AnswerQuestion(true);
        EXPECT_FALSE(d.sbtConfirma->Click());
    });
    EXPECT_EQ(
        "question: Deseja importar participantes?\n"
        "error: A data final não pode ultrapassar o dia.",
        dialogs->ShownText());
    EXPECT_TRUE(w.boImpParticipantes);
    EXPECT_EQ(1, CallCount("GetControle")) << "only the reload after the agenda copy";
    EXPECT_EQ(0, CallCount("SetParticipantesAuto"));
    EXPECT_EQ(0, BusyAnimationDepth());
}

TEST_F(ImpReuniaoTest, AConnectionLostDuringTheParticipantImportKeepsTheFlagAndTheList) {
    TfrmReuniao& w = *Window();
    int before = 0;
    Import(kDestination, [&](TfrmImpReuniao& d) {
        before = w.cdsControle.RecordCount();
        dialogs->AnswerQuestion(true);
        dropNextCall = "SetParticipantesAuto";
        EXPECT_FALSE(d.sbtConfirma->Click());
    });
    EXPECT_EQ("question: Deseja importar participantes?", dialogs->Shown().at(0));
    EXPECT_EQ(2u, dialogs->Shown().size()) << "the lost connection is shown, nothing else";
    EXPECT_TRUE(w.boImpParticipantes);
    EXPECT_EQ(
        (std::vector<std::string>{"GetImpAssunto", "GetInsAssunto", "GetInsAssunto",
                                  "GetInsAssunto", "GetInsAssunto", "GetInsAssunto", "GetControle",
                                  "GetAtividadesAux", "GetAtividadesAux", "SetParticipantesAuto"}),
        ImportCalls())
        << "no reload after the failure";
    EXPECT_EQ(before, w.cdsControle.RecordCount());
    EXPECT_EQ(kDestination, w.cdsControle.FieldByName("NRTAREFA").AsString());
    EXPECT_EQ(std::vector<std::string>{CurrentOperator()},
              Column("SELECT CDOPERRESP FROM PLANATIVTARE WHERE NRTAREFA = ?", kDestination));
    EXPECT_EQ(0, BusyAnimationDepth());
    EXPECT_EQ(0, dialogs->BusyVisible());
}

TEST_F(ImpReuniaoTest, TheSameSourceImportedTwiceIsNotDoubled) {
    Import(kDestination, [&](TfrmImpReuniao& d) {
        dialogs->AnswerQuestion(false);
        ASSERT_TRUE(d.sbtConfirma->Click());
        dialogs->ClearShown();
        recorder->Clear();
        EXPECT_FALSE(d.sbtConfirma->Click());
    });
    // The server refuses the first item already there; the copy stops and asks nothing.
    EXPECT_EQ(
        "error: O assunto 0000000901 já está cadastrado na pauta da reunião 0000910002.\n"
        "error: Arquivo já cadastrado no sistema.",
        dialogs->ShownText());
    EXPECT_EQ((std::vector<std::string>{"GetImpAssunto", "GetInsAssunto"}), ImportCalls());
    EXPECT_EQ(
        5u, Column("SELECT NRSEQUITTARE FROM ITEMTAREFA WHERE NRTAREFA = ?", kDestination).size());
}

TEST_F(ImpReuniaoTest, ASourceWithoutItemsIsRefusedAndNothingIsAsked) {
    Import(kDestination, [&](TfrmImpReuniao& d) {
        // Its items were removed after the candidates were loaded.
        seed.Exec("DELETE FROM ITEMTAREFA WHERE NRTAREFA = ?", {kSource});
        EXPECT_FALSE(d.sbtConfirma->Click());
    });
    EXPECT_EQ(
        "error: Operação bloqueada. Reunião selecionada não possui assuntos a serem "
        "importados.\n"
        "error: Arquivo já cadastrado no sistema.",
        dialogs->ShownText());
    EXPECT_EQ((std::vector<std::string>{"GetImpAssunto"}), ImportCalls());
}

TEST_F(ImpReuniaoTest, WithoutCandidatesTheConfirmIsRefusedAsForASourceWithoutItems) {
    // No other meeting of the branch has an agenda: nothing is offered.
    seed.Exec("DELETE FROM DESCITEMTARE WHERE NRTAREFA <> ?", {kDestination});
    seed.Exec("DELETE FROM ITEMTAREFA WHERE NRTAREFA <> ?", {kDestination});
    TfrmReuniao& w = *Window();
    w.Atualiza();
    ASSERT_TRUE(w.cdsControle.Locate("NRTAREFA", {Variant(kDestination)}));
    WhenModal([&](QDialog& d) {
        auto& dialog = static_cast<TfrmImpReuniao&>(d);
        EXPECT_TRUE(dialog.cdsReuniao.IsEmpty());
        recorder->Clear();
        dialogs->ClearShown();
        EXPECT_FALSE(dialog.sbtConfirma->Click());
    });
    ASSERT_TRUE(w.sbtImpArq->Click());
    EXPECT_EQ(
        "error: Operação bloqueada. Reunião selecionada não possui assuntos a serem "
        "importados.\n"
        "error: Arquivo já cadastrado no sistema.",
        dialogs->ShownText());
    EXPECT_EQ(std::vector<std::string>{}, ImportCalls()) << "no server call for no meeting";
}

TEST_F(ImpReuniaoTest, PlacedOverTheMainWindowNeverLeftOfTheScreenFreshEachOpening) {
    QMainWindow main;
    main.setGeometry(0, 0, 300, 400);
    main.show();
    SetApplicationMainWindow(&main, nullptr);
    QPointer<TfrmImpReuniao> first;
    Import(kDestination, [&](TfrmImpReuniao& d) {
        first = &d;
        EXPECT_GT(d.width(), main.width());
        EXPECT_EQ(0, d.pos().x()) << "narrower main window: left 0";
        EXPECT_EQ(main.mapToGlobal(QPoint(0, 200 - d.height() / 2)).y(), d.pos().y());
    });
    EXPECT_TRUE(first.isNull()) << "closing destroys the instance";
    EXPECT_FALSE(Cli_zel00401::boIdCriado);

    main.setGeometry(100, 50, 1000, 600);
    Import(kDestination, [&](TfrmImpReuniao& d) {
        EXPECT_EQ(main.mapToGlobal(QPoint(500 - d.width() / 2, 0)).x(), d.pos().x());
        EXPECT_EQ(2, candidateLoads) << "a new instance loads the candidates";
        // Help opens at the focused control's context, else at the dialog's.
        int opened = 0;
        Cli_zel00401::SetHelpViewer([&](int context) { opened = context; });
        d.HelpContext = 401;
        d.sbtHelp->Click();
        EXPECT_EQ(401, opened);
        d.dbgReuniao->setProperty("HelpContext", 40101);
        d.dbgReuniao->setFocus();
        d.sbtHelp->Click();
        EXPECT_EQ(40101, opened);
    });
    SetApplicationMainWindow(nullptr, nullptr);
}

// Not a check: saves a picture of the dialog with its candidates for the documentation, when
// ZEL_SCREENSHOT_DIR names a folder.
TEST_F(ImpReuniaoTest, SavesAPictureOfTheDialog) {
    if (qEnvironmentVariableIsEmpty("ZEL_SCREENSHOT_DIR")) GTEST_SKIP() << "no ZEL_SCREENSHOT_DIR";
    const QString dir = qEnvironmentVariable("ZEL_SCREENSHOT_DIR");
    Import(kDestination, [&](TfrmImpReuniao& d) {
        QApplication::processEvents();
        EXPECT_TRUE(d.grab().save(dir + "/import-dialog.png"));
    });
}

}  // namespace
