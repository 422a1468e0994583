// The meeting filter dialog against the real application server: what its confirm sends and
// loads into the meeting window, its checks and their messages, the pick lists, and what a
// cancel leaves for the next opening.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QRadioButton>
#include <QTimer>
#include <set>

#include "base/buttons.h"
#include "base/date_picker_edit.h"
#include "base/db_edit.h"
#include "base/lookup_button.h"
#include "base/page_control_ex.h"
#include "dialogs/frm_filtro_reuniao.h"
#include "meeting/frm_reuniao.h"
#include "platform/date_time.h"
#include "tests/dialogs/dialog_fixture.h"

using Cli_zel00404::boConfirma;
using Cli_zel00404::CriaFiltroReuniao;
using Cli_zel00404::frmFiltroReuniao;

namespace {

class FiltroReuniaoTest : public DialogTest {
  protected:
    // Opens the dialog and runs `script` on it while it is shown.
    bool Abre(const std::function<void(TfrmFiltroReuniao&)>& script) {
        WhenModal([&](QDialog& d) { script(static_cast<TfrmFiltroReuniao&>(d)); });
        return CriaFiltroReuniao();
    }
    // The GetControle calls the dialog made, as the recorder prints them.
    std::string ControleCalls() const {
        std::string out;
        for (const CallRecorder::Call& c : recorder->Calls())
            if (c.method == "GetControle") {
                CallRecorder one;
                one.Record(c);
                out += one.ToString() + "\n";
            }
        return out;
    }
    // The status letters of every row the meeting window holds (its tool-bar filter aside).
    std::set<std::string> StatusesLoaded() const {
        std::set<std::string> out;
        const DataPacket p = Window()->cdsControle.DataAsPacket();
        const int col = p.FieldIndex("IDSITTAREFA");
        for (const PacketRow& r : p.rows)
            out.insert(r[col].AsString());
        return out;
    }
};

constexpr const char* kSemDatas = "#1899-12-30T00:00:00#";

// --- confirm: the status string and the list loaded into the meeting window ---

TEST_F(FiltroReuniaoTest, DefaultChoicesSendAndamentoThenPendenteAndLoadTheWindowList) {
    EXPECT_TRUE(Abre([](TfrmFiltroReuniao& d) {
        EXPECT_EQ("ZEL00404", d.lblCodTela->text().toStdString());
        EXPECT_EQ("Filtro de Controle de Reunião", d.windowTitle().toStdString());
        EXPECT_TRUE(d.ckbAndamento->isChecked() && d.ckbPendente->isChecked());
        EXPECT_FALSE(d.btpReuniao->isEnabled() || d.btpResp->isEnabled() ||
                     d.btpPauta->isEnabled());
        d.sbtConfirma->Click();
        EXPECT_FALSE(d.isVisible());
    }));
    EXPECT_EQ(std::string("GetControle('0001', &'', &'T', &'_A_P', &'', &'T', &'', &'T', ") +
                  kSemDatas + ", " + kSemDatas + ", &'T')\n",
              ControleCalls());
    EXPECT_EQ((std::set<std::string>{"A", "P"}), StatusesLoaded());
    EXPECT_TRUE(frmFiltroReuniao->boConfirmado);
    EXPECT_TRUE(boConfirma);
    EXPECT_EQ("", dialogs->ShownText());
    EXPECT_EQ(0, dialogs->BusyVisible());
}

TEST_F(FiltroReuniaoTest, TodasAloneSendsEveryStatusAndIsKeptForTheWindowReload) {
    Abre([](TfrmFiltroReuniao& d) {
        d.ckbTodas->setChecked(true);
        EXPECT_FALSE(d.ckbAndamento->isChecked() || d.ckbPendente->isChecked())
            << "checking Todas unchecks the four others";
        EXPECT_TRUE(d.ckbTodas->isChecked());
        EXPECT_EQ("_P_A_C_X", d.SituacaoSelecionada());
        d.sbtConfirma->Click();
    });
    EXPECT_NE(std::string::npos, ControleCalls().find("&'_P_A_C_X', "));
    EXPECT_EQ((std::set<std::string>{"A", "C", "P", "X"}), StatusesLoaded());
    const auto choices = Cli_zel00400::LastFilterChoices();
    ASSERT_TRUE(choices.has_value());
    EXPECT_TRUE(choices->boTodas);
    EXPECT_FALSE(choices->boPendente || choices->boAndamento);
    EXPECT_TRUE(choices->todosReuniao && choices->todosResp && choices->todosPauta);
}

TEST_F(FiltroReuniaoTest, CheckingAnotherStatusUnchecksTodas) {
    Abre([](TfrmFiltroReuniao& d) {
        d.ckbTodas->setChecked(true);
        d.ckbConcluido->setChecked(true);
        EXPECT_FALSE(d.ckbTodas->isChecked());
        EXPECT_EQ("_C", d.SituacaoSelecionada());
        d.ckbCancelado->setChecked(true);
        d.ckbPendente->setChecked(true);
        EXPECT_EQ("_C_P_X", d.SituacaoSelecionada());
    });
}

TEST_F(FiltroReuniaoTest, EqualDatesAreAcceptedAndSentAsTheRange) {
    Abre([](TfrmFiltroReuniao& d) {
        d.depDtAberturaDe->SetText("07/12/2026");
        d.depDtAberturaAte->SetText("07/12/2026");
        d.sbtConfirma->Click();
        EXPECT_FALSE(d.isVisible());
    });
    EXPECT_NE(std::string::npos,
              ControleCalls().find("#2026-12-07T00:00:00#, #2026-12-07T00:00:00#, &'')"));
    EXPECT_EQ(EncodeDate(2026, 12, 7), frmFiltroReuniao->rfUltimoFiltro.dtAberturaDe);
    EXPECT_EQ(EncodeDate(2026, 12, 7), frmFiltroReuniao->rfUltimoFiltro.dtAberturaAte);
}

// --- checks: message, focus, the dialog stays open and nothing is asked of the server ---

class FiltroChecksTest : public FiltroReuniaoTest {
  protected:
    // Confirms after `prepare`; expects the message and the focus, and the dialog still open.
    void EsperaFalha(const std::function<void(TfrmFiltroReuniao&)>& prepare,
                     const std::string& message,
                     const std::function<QWidget*(TfrmFiltroReuniao&)>& focus) {
        recorder->Clear();
        Abre([&](TfrmFiltroReuniao& d) {
            prepare(d);
            dialogs->ClearShown();
            EXPECT_FALSE(d.sbtConfirma->Click());
            EXPECT_EQ("error: " + message, dialogs->ShownText());
            QWidget* expected = focus(d);
            EXPECT_TRUE(Focused() == expected || expected->isAncestorOf(Focused()))
                << (Focused() ? Focused()->objectName().toStdString() : "no focus");
            EXPECT_TRUE(d.isVisible());
        });
        EXPECT_EQ("", ControleCalls());
        EXPECT_EQ(0, dialogs->BusyVisible());
    }
};

TEST_F(FiltroChecksTest, NoStatusCheckedFocusesTodas) {
    EsperaFalha(
        [](TfrmFiltroReuniao& d) {
            d.ckbAndamento->setChecked(false);
            d.ckbPendente->setChecked(false);
        },
        "Situação deve ser informada.", [](TfrmFiltroReuniao& d) { return d.ckbTodas; });
    EXPECT_FALSE(frmFiltroReuniao->boConfirmado) << "closed afterwards by Esc";
    EXPECT_TRUE(boConfirma) << "set at the start of every confirm";
}

TEST_F(FiltroChecksTest, ListWithoutPicksFocusesItsRadioButton) {
    EsperaFalha([](TfrmFiltroReuniao& d) { d.rbtListaReuniao->setChecked(true); },
                "Reunião deve ser informada.",
                [](TfrmFiltroReuniao& d) { return d.rbtListaReuniao; });
    EsperaFalha(
        [](TfrmFiltroReuniao& d) {
            d.rbtTdReuniao->setChecked(true);
            d.rbtListaResp->setChecked(true);
        },
        "Responsável deve ser informado.", [](TfrmFiltroReuniao& d) { return d.rbtListaResp; });
    EsperaFalha(
        [](TfrmFiltroReuniao& d) {
            d.rbtTdResp->setChecked(true);
            d.rbtListaPauta->setChecked(true);
        },
        "Pauta deve ser informada.", [](TfrmFiltroReuniao& d) { return d.rbtListaPauta; });
}

TEST_F(FiltroChecksTest, OnlyOneDateNamesTheMissingOne) {
    EsperaFalha([](TfrmFiltroReuniao& d) { d.depDtAberturaDe->SetText("01/12/2026"); },
                "Data de Abertura final deve ser informada.",
                [](TfrmFiltroReuniao& d) { return d.depDtAberturaAte; });
    EsperaFalha(
        [](TfrmFiltroReuniao& d) {
            d.depDtAberturaDe->SetText("");
            d.depDtAberturaAte->SetText("01/12/2026");
        },
        "Data de Abertura inicial deve ser informada.",
        [](TfrmFiltroReuniao& d) { return d.depDtAberturaDe; });
}

TEST_F(FiltroChecksTest, StartAfterEndFocusesTheStart) {
    EsperaFalha(
        [](TfrmFiltroReuniao& d) {
            d.depDtAberturaDe->SetText("08/12/2026");
            d.depDtAberturaAte->SetText("07/12/2026");
        },
        "Data de Abertura Inicial deve ser menor ou igual à Data de Abertura Final.",
        [](TfrmFiltroReuniao& d) { return d.depDtAberturaDe; });
}

TEST_F(FiltroChecksTest, InvalidDateIsRefusedBeforeAnyServerCall) {
    EsperaFalha(
        [](TfrmFiltroReuniao& d) {
            d.depDtAberturaDe->SetText("31/02/2026");
            d.depDtAberturaAte->SetText("07/12/2026");
        },
        "'31/02/2026' não é uma data válida",
        [](TfrmFiltroReuniao& d) { return d.depDtAberturaDe; });
}

TEST_F(FiltroChecksTest, AFailedConfirmAfterAGoodOneKeepsTheWindowListAndLastChoices) {
    Abre([](TfrmFiltroReuniao& d) { d.sbtConfirma->Click(); });
    const size_t rows = Window()->cdsControle.DataAsPacket().rows.size();
    EsperaFalha(
        [](TfrmFiltroReuniao& d) {
            d.ckbAndamento->setChecked(false);
            d.ckbPendente->setChecked(false);
        },
        "Situação deve ser informada.", [](TfrmFiltroReuniao& d) { return d.ckbTodas; });
    EXPECT_EQ(rows, Window()->cdsControle.DataAsPacket().rows.size());
    EXPECT_TRUE(frmFiltroReuniao->rfUltimoFiltro.boPendente);
}

// --- cancel and the next opening ---

TEST_F(FiltroReuniaoTest, CancelRestoresTheCheckBoxesAndDatesAtTheNextOpening) {
    Abre([](TfrmFiltroReuniao& d) {
        d.ckbTodas->setChecked(true);
        d.depDtAberturaDe->SetText("01/12/2026");
        d.sbtCancel->Click();
        EXPECT_FALSE(d.isVisible());
    });
    EXPECT_FALSE(frmFiltroReuniao->boConfirmado);
    Abre([](TfrmFiltroReuniao& d) {
        EXPECT_FALSE(d.ckbTodas->isChecked());
        EXPECT_TRUE(d.ckbAndamento->isChecked() && d.ckbPendente->isChecked());
        EXPECT_FALSE(d.ckbConcluido->isChecked() || d.ckbCancelado->isChecked());
        EXPECT_TRUE(d.depDtAberturaDe->IsBlankDate()) << d.depDtAberturaDe->Text();
    });
    EXPECT_EQ("", ControleCalls());
}

TEST_F(FiltroReuniaoTest, CancelAfterAConfirmClearsBoConfirmadoButKeepsBoConfirma) {
    Abre([](TfrmFiltroReuniao& d) {
        d.ckbConcluido->setChecked(true);
        d.sbtConfirma->Click();
    });
    ASSERT_TRUE(frmFiltroReuniao->boConfirmado);
    const TfrmFiltroReuniao* first = frmFiltroReuniao.data();
    EXPECT_TRUE(Abre([](TfrmFiltroReuniao& d) {
        EXPECT_TRUE(d.ckbConcluido->isChecked()) << "the confirmed choices come back";
        d.ckbConcluido->setChecked(false);
        d.reject();  // Esc or the title bar
    }));
    EXPECT_FALSE(frmFiltroReuniao->boConfirmado);
    EXPECT_EQ(first, frmFiltroReuniao.data()) << "closing only hides the one instance";
    EXPECT_TRUE(frmFiltroReuniao->rfUltimoFiltro.boConcluido);
}

// --- lists ---

TEST_F(FiltroReuniaoTest, PickedMeetingsAreSentAndTodosEmptiesTheList) {
    dialogs->AnswerMultiSelect("'0000000001','0000000004'");
    Abre([this](TfrmFiltroReuniao& d) {
        d.rbtListaReuniao->setChecked(true);
        EXPECT_TRUE(d.btpReuniao->isEnabled());
        d.btpReuniao->Click();
        EXPECT_EQ("multiselect: Reunião", dialogs->ShownText());
        EXPECT_EQ("'0000000001','0000000004'", d.stListaReuniao);
        EXPECT_EQ("Código        ", d.qryReuniao.FieldByName("NRTAREFA").DisplayLabel());
        EXPECT_EQ(30, d.qryReuniao.RecordCount()) << "every meeting of the branch";
        d.ckbTodas->setChecked(true);
        d.sbtConfirma->Click();
    });
    EXPECT_NE(std::string::npos,
              ControleCalls().find("&''0000000001','0000000004'', &'', &'_P_A_C_X'"))
        << ControleCalls();
    EXPECT_EQ(2u, Window()->cdsControle.DataAsPacket().rows.size());
    EXPECT_FALSE(Cli_zel00400::LastFilterChoices()->todosReuniao);

    Abre([this](TfrmFiltroReuniao& d) {
        EXPECT_EQ("'0000000001','0000000004'", d.stListaReuniao);
        d.rbtTdReuniao->setChecked(true);
        EXPECT_EQ("", d.stListaReuniao);
        EXPECT_FALSE(d.btpReuniao->isEnabled());
        d.rbtListaReuniao->setChecked(true);
        dialogs->ClearShown();
        EXPECT_FALSE(d.sbtConfirma->Click()) << "a new pick is needed";
        EXPECT_EQ("error: Reunião deve ser informada.", dialogs->ShownText());
    });
}

TEST_F(FiltroReuniaoTest, AgendaPickListFollowsTheChosenMeetings) {
    dialogs->AnswerMultiSelect("");  // agenda items of every meeting: nothing picked
    dialogs->AnswerMultiSelect("'0000000001'");
    dialogs->AnswerMultiSelect("");
    Abre([](TfrmFiltroReuniao& d) {
        d.rbtListaPauta->setChecked(true);
        d.btpPauta->Click();
        EXPECT_EQ("T", d.qryPauta.ParamByName("P_TNRTAREFA").AsString());
        EXPECT_EQ(20, d.qryPauta.RecordCount()) << "every agenda item of the branch";
        EXPECT_FALSE(d.qryPauta.FieldByName("CODIGO").Visible());
        d.rbtListaReuniao->setChecked(true);
        d.btpReuniao->Click();
        d.btpPauta->Click();
        EXPECT_EQ("", d.qryPauta.ParamByName("P_TNRTAREFA").AsString());
        EXPECT_EQ("'0000000001'", d.qryPauta.ParamByName("P_NRTAREFA").AsString());
        EXPECT_EQ(2, d.qryPauta.RecordCount()) << "the items of meeting 1";
    });
    EXPECT_EQ("multiselect: Pauta\nmultiselect: Reunião\nmultiselect: Pauta", dialogs->ShownText());
}

TEST_F(FiltroReuniaoTest, PickedResponsibleAndAgendaItemNarrowTheList) {
    dialogs->AnswerMultiSelect("'000000000001'");
    dialogs->AnswerMultiSelect("'00010000000001" + std::string("0000000001") + "'");
    Abre([](TfrmFiltroReuniao& d) {
        d.ckbTodas->setChecked(true);
        d.rbtListaResp->setChecked(true);
        d.btpResp->Click();
        d.rbtListaPauta->setChecked(true);
        d.btpPauta->Click();
        d.sbtConfirma->Click();
        EXPECT_FALSE(d.isVisible());
    });
    const DataPacket p = Window()->cdsControle.DataAsPacket();
    ASSERT_EQ(1u, p.rows.size());
    EXPECT_EQ("0000000001", p.rows[0][p.FieldIndex("NRTAREFA")].AsString());
}

// --- saved options ---

TEST_F(FiltroReuniaoTest, SavedOptionsBringBackTheMeetingListAndControls) {
    dialogs->AnswerMultiSelect("'0000000002'");
    Abre([](TfrmFiltroReuniao& d) {
        d.rbtListaReuniao->setChecked(true);
        d.btpReuniao->Click();
        d.ckbCancelado->setChecked(true);
        d.depDtAberturaDe->SetText("01/11/2026");
        d.btfSaveOpc->trigger();
        EXPECT_EQ("'0000000002'", d.Option("stReuniao"));

        d.rbtTdReuniao->setChecked(true);
        d.ckbCancelado->setChecked(false);
        d.depDtAberturaDe->SetText("");
        d.btfLoadOpc->trigger();
        EXPECT_EQ("'0000000002'", d.stListaReuniao);
        EXPECT_TRUE(d.rbtListaReuniao->isChecked());
        EXPECT_TRUE(d.btpReuniao->isEnabled());
        EXPECT_TRUE(d.ckbCancelado->isChecked());
        EXPECT_EQ("01/11/2026", d.depDtAberturaDe->Text());

        d.rbtTdReuniao->setChecked(true);
        d.btfSaveOpc->trigger();
        EXPECT_EQ("T", d.SavedOption("stReuniao"));
        d.stListaReuniao = "'0000000003'";
        d.btfLoadOpc->trigger();
        EXPECT_EQ("", d.stListaReuniao) << "\"T\" stands for all meetings";
    });
}

// "Filtrar" (button, menu item, Ctrl+L) while a new meeting or an agenda item is being typed:
// the operator is asked before the dialog would reload the list, and No keeps what was typed.
TEST_F(FiltroReuniaoTest, TheFilterAsksBeforeAMeetingOrAnAgendaItemBeingTypedIsDropped) {
    Cli_zel00400::DialogOpeners openers;
    openers.filtroReuniao = Cli_zel00404::AbreFiltroReuniao;
    Cli_zel00400::SetDialogOpeners(openers);
    TfrmReuniao& w = *Window();
    // Any dialog opened by mistake is closed, and seen.
    bool opened = false;
    const auto closeAny = [&opened] {
        QTimer::singleShot(0, [&opened] {
            if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                opened = true;
                d->reject();
            }
        });
    };

    ASSERT_TRUE(w.sbtIncluir->Click());
    w.dbeDsReferencia->SetText("Reunião em digitação");
    dialogs->AnswerQuestion(false);
    closeAny();
    w.mnuFiltro->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ("question: Deseja cancelar as alterações?", dialogs->ShownText());
    EXPECT_FALSE(opened) << "No: the dialog does not open";
    EXPECT_EQ(dsInsert, w.cdsControle.State());
    EXPECT_EQ("Reunião em digitação", w.dbeDsReferencia->Text());
    EXPECT_EQ(0, CallCount("GetControle"));

    // Yes: the meeting typed goes, and the filter reloads the list.
    dialogs->AnswerQuestion(true);
    WhenModal([](QDialog& d) { static_cast<TfrmFiltroReuniao&>(d).sbtConfirma->Click(); });
    ASSERT_TRUE(w.btnFiltro->Click());
    EXPECT_EQ(dsBrowse, w.cdsControle.State());
    EXPECT_EQ(1, CallCount("GetControle"));

    // An agenda item typed in a pending meeting: asked the same way.
    ASSERT_TRUE(w.cdsControle.Locate("IDSITTAREFA", {Variant("P")}));
    w.pgcReuniao->SetActivePage(w.tshPauta);
    w.pgcReuniaoChange();
    ASSERT_TRUE(w.sbtIncluir->Click());
    w.cdsItemTarefa.FieldByName("DSREFEITTARE").SetAsString("Assunto em digitação");
    dialogs->ClearShown();
    recorder->Clear();
    dialogs->AnswerQuestion(false);
    closeAny();
    EXPECT_FALSE(w.btnFiltro->Click());
    QCoreApplication::processEvents();
    EXPECT_EQ("question: Deseja cancelar as alterações?", dialogs->ShownText());
    EXPECT_FALSE(opened);
    EXPECT_EQ(dsInsert, w.cdsItemTarefa.State());
    EXPECT_EQ("Assunto em digitação", w.cdsItemTarefa.FieldByName("DSREFEITTARE").AsString());
    EXPECT_EQ(0, CallCount("GetControle"));
    Cli_zel00400::SetDialogOpeners({});
}

// Not a check: saves a picture of the dialog for the documentation (run with
// --gtest_also_run_disabled_tests; ZEL_SCREENSHOT_DIR names the folder).
TEST_F(FiltroReuniaoTest, DISABLED_SavesAPictureOfTheDialog) {
    const QString dir = qEnvironmentVariable("ZEL_SCREENSHOT_DIR", QStringLiteral("."));
    Abre([&](TfrmFiltroReuniao& d) {
        d.rbtListaResp->setChecked(true);
        d.depDtAberturaDe->SetText("01/12/2026");
        d.depDtAberturaAte->SetText("31/12/2026");
        QApplication::processEvents();
        EXPECT_TRUE(d.grab().save(dir + "/filter-dialog.png"));
    });
}

}  // namespace
