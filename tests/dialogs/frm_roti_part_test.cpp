// The automatic participant registration against the real application server, with the
// meeting window open on a pending meeting of the logged-in operator.
#include <QDialog>
#include <QRadioButton>

#include "appserver/app_server_impl.h"

#include "base/date_picker_edit.h"
#include "base/lookup_button.h"
#include "base/mask_edit.h"
#include "base/page_control_ex.h"
#include "dialogs/frm_roti_part.h"
#include "meeting/cli_zel00400.h"
#include "meeting/frm_reuniao.h"
#include "tests/dialogs/dialog_fixture.h"

namespace {

class FrmRotiPartTest : public DialogTest {
  protected:
    void SetUp() override {
        DialogTest::SetUp();
        Cli_zel00400::DialogOpeners openers;
        openers.rotiParticipa = Cli_zel00403::CriaRotiParticipa;
        Cli_zel00400::SetDialogOpeners(openers);
        TfrmReuniao& w = *Window();
        ASSERT_TRUE(w.cdsControle.Locate("IDSITTAREFA;CDOPERRESP",
                                         {Variant("P"), Variant("000000000001")}));
        w.pgcReuniao->SetActivePage(w.tshParticipantes);
        w.pgcReuniaoChange();
        meeting = w.cdsControle.FieldByName("NRTAREFA").AsString();
        recorder->Clear();
    }
    void TearDown() override {
        Cli_zel00403::Finalization();
        Cli_zel00400::SetDialogOpeners({});
        DialogTest::TearDown();
    }

    std::vector<const CallRecorder::Call*> CallsOf(const std::string& method) const {
        std::vector<const CallRecorder::Call*> calls;
        for (const CallRecorder::Call& c : recorder->Calls())
            if (c.method == method) calls.push_back(&c);
        return calls;
    }

    std::string meeting;
};

TEST_F(FrmRotiPartTest, BooksEachChosenParticipantWithTheTemplatesFirstRow) {
    TfrmReuniao& w = *Window();
    // A second participation process: the template then has two rows.
    server->Impl().db().Transact(true, [](zel::appserver::SqlConnection& c) {
        c.Exec(
            "INSERT INTO PROCESSO (CDPROCESSO, CDNVPROCESSO, CDARVPROCESS, NMPROCESSO, "
            "IDTPPROCESSO, CDSETOR, IDPROREUNIAO, IDATIVO) VALUES ('0000000006', '2', "
            "'0103', 'Reunião de Área', 'A', '0001', 'S', 'S')");
        return true;
    });
    const int before = w.cdsAtividades.RecordCount();
    w.depDataFin->SetDate(w.depDataIni->GetDate());
    dialogs->AnswerMultiSelect("'000000000004','000000000002','000000000003'");
    std::string template0;
    int templateRows = 0;
    WhenModal([&](QDialog& d) {
        auto& form = static_cast<TfrmRotiPart&>(d);
        EXPECT_EQ(QStringLiteral("Cadastramento Automático"), form.windowTitle());
        EXPECT_FALSE(form.rbtTodos->isEnabled());
        EXPECT_TRUE(form.rbtLista->isChecked());
        form.btnPart->Click();
        form.sbtConfirma->Click();
        templateRows = form.cdsCarAtividade.RecordCount();
        form.cdsCarAtividade.First();
        template0 = form.cdsCarAtividade.FieldByName("CDPROCESSO").AsString();
        EXPECT_FALSE(form.isVisible()) << "closed after the registration";
        EXPECT_EQ("", form.stListaPart) << "the list goes with the close";
    });
    w.btnCadAutoClick();
    EXPECT_EQ("multiselect: Participante", dialogs->ShownText());
    EXPECT_EQ(2, templateRows);

    const auto numbers = CallsOf("GetPrxPlanAtivTare");
    const auto inserts = CallsOf("GetInsCadAtiv");
    ASSERT_EQ(3u, numbers.size());
    ASSERT_EQ(3u, inserts.size());
    const char* order[] = {"000000000002", "000000000003", "000000000004"};  // by name
    const TDateTime end =
        StrToDateTime(DateToStr(w.depDataFin->GetDate()) + " " + w.medHoraFin->Text() + ":00");
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(order[i], inserts[i]->args.at(5).AsString());
        EXPECT_EQ(template0, inserts[i]->args.at(3).AsString()) << "the first row only";
        EXPECT_EQ(meeting, inserts[i]->args.at(1).AsString());
        EXPECT_EQ(end, inserts[i]->args.at(7).AsDateTime()) << "from the end controls";
    }
    // Each number is asked just before its insert; one reload at the end.
    const std::vector<std::string> methods = recorder->Methods();
    std::vector<std::string> loop;
    for (const std::string& m : methods)
        if (m == "GetPrxPlanAtivTare" || m == "GetInsCadAtiv" || m == "GetAtividades")
            loop.push_back(m);
    EXPECT_EQ((std::vector<std::string>{"GetPrxPlanAtivTare", "GetInsCadAtiv", "GetPrxPlanAtivTare",
                                        "GetInsCadAtiv", "GetPrxPlanAtivTare", "GetInsCadAtiv",
                                        "GetAtividades"}),
              loop);
    EXPECT_EQ(before + 3, w.cdsAtividades.RecordCount());
}

TEST_F(FrmRotiPartTest, NobodyChosenBooksNobodyAndStillReloads) {
    WhenModal([](QDialog& d) { static_cast<TfrmRotiPart&>(d).sbtConfirma->Click(); });
    Window()->btnCadAutoClick();
    EXPECT_EQ(0, CallCount("GetInsCadAtiv"));
    EXPECT_EQ(1, CallCount("GetAuxPart")) << "asked with the empty list";
    EXPECT_EQ(1, CallCount("GetAtividades"));
    EXPECT_EQ("", dialogs->ShownText());
}

TEST_F(FrmRotiPartTest, AFailurePartWayKeepsWhatWasBookedAndTheDialogOpen) {
    TfrmReuniao& w = *Window();
    w.depDataFin->SetDate(w.depDataIni->GetDate());
    dialogs->AnswerMultiSelect("'000000000002','000000000003'");
    bool openAfter = false;
    WhenModal([&](QDialog& d) {
        auto& form = static_cast<TfrmRotiPart&>(d);
        form.btnPart->Click();
        // The second participant leaves the branch once the first is booked.
        recorder->Clear();
        server->Impl().db().Transact(true, [](zel::appserver::SqlConnection& c) {
            c.Exec("DELETE FROM OPERFILIAL WHERE CDOPERADOR = '000000000003'");
            return true;
        });
        form.sbtConfirma->Click();
        openAfter = form.isVisible();
    });
    w.btnCadAutoClick();
    EXPECT_TRUE(openAfter);
    EXPECT_EQ(2, CallCount("GetInsCadAtiv"));
    EXPECT_EQ(0, CallCount("GetAtividades")) << "stopped at the failure";
    EXPECT_NE(std::string::npos, dialogs->ShownText().find("error: Participante não cadastrado."));
    w.sbtVerificarClick();
    EXPECT_TRUE(w.cdsAtividades.Locate("CDOPERRESP", {Variant("000000000002")}))
        << "the first stays booked";
}

// The menu item "Cad. Participante" stays enabled while the button is not: the registration's
// reload of the activities must not run over an activity being typed, nor book participants
// on a closed meeting or one not yet stored.
TEST_F(FrmRotiPartTest, MenuItemRefusedWhileAnActivityIsTypedOrTheMeetingCannotTakeParticipants) {
    TfrmReuniao& w = *Window();
    int opened = 0;
    Cli_zel00400::DialogOpeners openers;
    openers.rotiParticipa = [&] { ++opened; };
    Cli_zel00400::SetDialogOpeners(openers);
    ASSERT_TRUE(w.mnuCadPart->isEnabled());

    TClientDataSet& a = w.cdsAtividades;
    a.Insert();
    a.FieldByName("CDARVPROCESS").SetAsString("0101");
    a.FieldByName("CDOPERRESP").SetAsString("000000000002");
    dialogs->ClearShown();
    w.mnuCadPart->trigger();
    EXPECT_EQ(0, opened);
    EXPECT_EQ(
        "notice: Grave ou cancele a atividade em digitação antes do cadastramento "
        "automático de participantes.",
        dialogs->ShownText());
    EXPECT_EQ(dsInsert, a.State()) << "the typed activity stays";
    EXPECT_EQ("000000000002", a.FieldByName("CDOPERRESP").AsString());
    EXPECT_EQ(0, CallCount("GetAtividades"));
    a.Cancel();

    w.mnuCadPart->trigger();
    EXPECT_EQ(1, opened) << "once the activity is gone the registration opens";

    // Closed meetings and a meeting being inserted: silently nothing.
    Cli_zel00400::ResetListParameters();
    Cli_zel00400::stTData = "T";
    w.CarregaControle();
    w.cdsControle.SetFiltered(false);
    for (const char* closed : {"X", "C"}) {
        ASSERT_TRUE(w.cdsControle.Locate("IDSITTAREFA", {Variant(closed)})) << closed;
        dialogs->ClearShown();
        w.mnuCadPart->trigger();
        EXPECT_EQ(1, opened) << closed;
        EXPECT_EQ("", dialogs->ShownText()) << closed;
    }
    w.pgcReuniao->SetActivePage(w.tshReuniao);
    w.pgcReuniaoChange();
    w.sbtIncluirClick();
    ASSERT_EQ(dsInsert, w.cdsControle.State());
    w.mnuCadPart->trigger();
    EXPECT_EQ(1, opened);
    w.cdsControle.Cancel();
}

}  // namespace
