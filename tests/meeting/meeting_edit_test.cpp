// Planning a meeting on the form page against the real application server (demo branch): a
// new meeting typed and saved, the header and date/time checks, moving and dropping a room,
// what may be changed or deleted, and a save while the server cannot be reached.
#include <QApplication>

#include "base/buttons.h"
#include "base/date_picker_edit.h"
#include "base/db_edit.h"
#include "base/lookup_button.h"
#include "base/mask_edit.h"
#include "base/page_control_ex.h"
#include "meeting/cli_zel00400.h"
#include "meeting/frm_reuniao.h"
#include "platform/routines.h"
#include "tests/meeting/meeting_edit_support.h"

using namespace Cli_zel00400;

namespace {

class MeetingEditTest : public MeetingEditFixture {};

// --- a new meeting ---

TEST_F(MeetingEditTest, NewMeetingTypedFromScratchIsSavedWithBookingAndActivities) {
    TfrmReuniao& w = Open();
    ASSERT_TRUE(w.sbtIncluir->Click()) << dialogs->ShownText();
    EXPECT_EQ(w.tshFormulario, w.pgcReuniao->ActivePage());
    EXPECT_EQ(dsInsert, w.cdsControle.State());
    EXPECT_EQ(dsInsert, w.cdsAgeAtiviSala.State());
    EXPECT_TRUE(w.btnProcesso->isEnabled() && w.dbeProcesso->isEnabled());
    EXPECT_TRUE(w.sbtConfirmar->isEnabled() && !w.sbtIncluir->isEnabled());

    w.dbeDsReferencia->SetText("Revisão trimestral");
    dialogs->AnswerSearch("CDPROCESSO", "0000000001");
    ASSERT_TRUE(w.btnProcesso->Pesquisa());
    EXPECT_EQ("0000000001", w.cdsControle.FieldByName("CDPROCESSO").AsString());
    w.dbeAssunto->SetText("1");
    w.dbeAssunto->DoExit();
    EXPECT_EQ("00001", w.dbeAssunto->Text()) << "widened before the lookup";
    EXPECT_EQ("Planejamento Estratégico", w.dbeNmAssunto->Text());
    TypeKeys(w.dbeResp, "x5");
    EXPECT_EQ("5", w.dbeResp->Text()) << "digits only";
    w.dbeResp->DoExit();
    EXPECT_EQ("000000000005", w.dbeResp->Text());
    EXPECT_EQ("Diego Rocha", w.dbeNmResp->Text());

    const TDateTime day = Date() + 40;
    TypeWindow(w, day, "09:50", "00:50");
    w.vd_Confirma();
    EXPECT_EQ("10:40", w.medHoraFin->Text());
    dialogs->AnswerSearch("CDSALA", "00002");
    ASSERT_TRUE(w.btnPesqSalas->Pesquisa()) << dialogs->ShownText();
    EXPECT_EQ("00002", w.dbeCdSalas->Text());
    EXPECT_EQ("Sala de Reuniões 2", w.dbeNmSala->Text());

    recorder->Clear();
    ASSERT_TRUE(w.sbtConfirmar->Click()) << dialogs->ShownText();
    EXPECT_EQ("search: Processo\nsearch: Sala", dialogs->ShownText());
    EXPECT_EQ((std::vector<std::string>{"GetPrxTarefa", "GetAuxAtiv", "GetSeqSalas", "SetControle",
                                        "SetSalas", "GetCarregaAtividade", "GetPrxPlanAtivTare",
                                        "GetInsereAtiv", "GetPrxPlanAtivTare", "GetInsereAtiv",
                                        "GetAtividades", "GetControle"}),
              SavingCalls());

    EXPECT_EQ(dsBrowse, w.cdsControle.State());
    ASSERT_FALSE(stNovaTarefa.empty());
    EXPECT_EQ(stNovaTarefa, w.cdsControle.FieldByName("NRTAREFA").AsString()) << "current";
    EXPECT_EQ(MeetingStart(day, "09:50"), w.cdsControle.FieldByName("DTHRREUNIAO").AsDateTime());
    EXPECT_EQ(CurrentOperator(), w.cdsControle.FieldByName("CDOPERABER").AsString());
    ASSERT_EQ(1, w.cdsAgeAtiviSala.RecordCount()) << "the booking, read back from the server";
    EXPECT_EQ("00002", w.cdsAgeAtiviSala.FieldByName("CDSALA").AsString());
    EXPECT_EQ("0950", w.cdsAgeAtiviSala.FieldByName("HRINIAGESALA").AsString());
    EXPECT_EQ("1040", w.cdsAgeAtiviSala.FieldByName("HRFINAGESALA").AsString());
    EXPECT_EQ("Revisão trimestral", w.cdsAgeAtiviSala.FieldByName("DSAGENDASALA").AsString());
    ASSERT_TRUE(w.cdsAtividades.Locate("CDPROCESSO", {Variant("0000000002")}));
    EXPECT_EQ(MeetingStart(day, "09:50"), w.cdsAtividades.FieldByName("DTINPATIVTAR").AsDateTime())
        << "the participation carries the meeting's window";
    EXPECT_EQ(MeetingStart(day, "10:40"), w.cdsAtividades.FieldByName("DTFIPATIVTAR").AsDateTime());
    EXPECT_EQ(CurrentOperator(), w.cdsAtividades.FieldByName("CDOPERRESP").AsString());
    ASSERT_TRUE(w.cdsAtividades.Locate("CDPROCESSO", {Variant("0000000001")}));
    EXPECT_TRUE(w.cdsAtividades.FieldByName("DTINPATIVTAR").IsNull());
}

TEST_F(MeetingEditTest, MeetingSavedWithoutRoomLeavesNoBooking) {
    TfrmReuniao& w = Open();
    StartNewMeeting(w);
    TypeWindow(w, Date() + 41, "14:00", "01:00");
    recorder->Clear();
    ASSERT_TRUE(w.sbtConfirmar->Click()) << dialogs->ShownText();
    EXPECT_EQ(0, CallCount("SetSalas")) << "a blank room is cancelled, nothing is sent";
    EXPECT_EQ(1, CallCount("SetControle"));
    EXPECT_TRUE(w.cdsAgeAtiviSala.IsEmpty());
    EXPECT_EQ(0, BookingsOf(stNovaTarefa));
}

// --- checks, their messages, focus and page ---

TEST_F(MeetingEditTest, PostRunsTheHeaderChecksInOrderWithMessageFocusAndPage) {
    TfrmReuniao& w = Open();
    ASSERT_TRUE(w.sbtIncluir->Click());
    const auto post = [&](const char* message, QWidget* focus) {
        dialogs->ClearShown();
        w.pgcReuniao->SetActivePage(w.tshReuniao);
        EXPECT_FALSE(w.sbtConfirmar->Click());
        EXPECT_EQ(std::string("error: ") + message, dialogs->ShownText());
        EXPECT_EQ(focus, w.focusWidget()) << message;
        EXPECT_EQ(dsInsert, w.cdsControle.State()) << "what was typed stays";
    };
    w.pgcReuniao->SetActivePage(w.tshReuniao);
    dialogs->ClearShown();
    EXPECT_THROW(w.cdsControle.Post(), EErrorShown);
    EXPECT_EQ(w.tshFormulario, w.pgcReuniao->ActivePage());
    post("Referência deve ser informada.", w.dbeDsReferencia);
    w.dbeDsReferencia->SetText("Comitê");
    post("Processo deve ser informado.", w.dbeProcesso);
    EXPECT_EQ(w.tshFormulario, w.pgcReuniao->ActivePage());
    w.dbeProcesso->SetText("99");
    post("Processo não cadastrado.", w.dbeProcesso);
    EXPECT_EQ("", w.cdsControle.FieldByName("CDPROCESSO").AsString());
    w.dbeProcesso->SetText("01");
    post("Assunto deve ser informado.", w.dbeAssunto);
    w.dbeAssunto->SetText("77");
    post("Assunto não cadastrado.", w.dbeAssunto);
    w.dbeAssunto->SetText("2");
    post("Responsável deve ser informado.", w.dbeResp);
    w.dbeResp->SetText("7");
    recorder->Clear();
    post("Responsável não cadastrado.", w.dbeResp);
    ASSERT_EQ(1, CallCount("GetVdResp"));
    EXPECT_EQ("GetVdResp('000000000007', '0001')", CallsText("GetVdResp"));
    w.dbeResp->SetText("1");
    post("Data Início deve ser informada.", w.depDataIni->Edit());
    w.depDataIni->SetDate(Date() + 42);
    post("Hora inicial deve ser informada", w.medHoraIni);
    w.medHoraIni->SetText("25:00");
    post("Hora inicial informada incorretamente", w.medHoraIni);
    w.medHoraIni->SetText("22:30");
    post("Qtde. de Horas deve ser informada.", w.medQtdeHoras);
    w.medQtdeHoras->SetText("00:00");
    post("Quantidade de horas informada incorretamente.", w.medQtdeHoras);
    w.medQtdeHoras->SetText("01:30");
    post("Reunião deve ser cadastrada para o mesmo dia", w.medHoraIni);
    w.dbeCdSalas->SetText("9");
    w.medQtdeHoras->SetText("01:29");
    w.dbeCdSalas->SetText("9");
    post("Sala não cadastrada.", w.dbeCdSalas);
    EXPECT_EQ("23:59", w.medHoraFin->Text());
    w.dbeCdSalas->SetText("");
    dialogs->ClearShown();
    ASSERT_TRUE(w.sbtConfirmar->Click()) << dialogs->ShownText();
    EXPECT_EQ("000000000001", w.cdsControle.FieldByName("CDOPERRESP").AsString());
    EXPECT_EQ("00002", w.cdsControle.FieldByName("CDASSUNTO").AsString());
}

TEST_F(MeetingEditTest, StartEqualToTheServersNowPassesAndOneMinuteEarlierDoesNot) {
    TfrmReuniao& w = Open();
    // Within the session's lifetime, on the minute.
    const TDateTime start = MinuteAfter(Now() + 1.0 / 24);
    StartNewMeeting(w);
    TypeWindow(w, DateOf(start), TimeToStr(start).substr(0, 5), "00:10");

    SetServerClock(start + 1.0 / 1440);
    EXPECT_FALSE(w.sbtConfirmar->Click());
    EXPECT_EQ("error: Data informada deve ser maior do que a data atual.", dialogs->ShownText());
    EXPECT_EQ(w.depDataIni->Edit(), w.focusWidget());

    // The clock passes the start between the end check and the start check of the post.
    recorder->Clear();
    dialogs->ClearShown();
    SetServerClock(
        [this, start] { return CallCount("getHoraServidor") >= 2 ? start + 1.0 / 1440 : start; });
    EXPECT_FALSE(w.sbtConfirmar->Click());
    EXPECT_EQ("error: Data da Reunião deve ser maior que data atual.", dialogs->ShownText());
    EXPECT_EQ(dsInsert, w.cdsControle.State());

    dialogs->ClearShown();
    SetServerClock(start);
    ASSERT_TRUE(w.sbtConfirmar->Click()) << dialogs->ShownText();
    EXPECT_EQ(start, w.cdsControle.FieldByName("DTHRREUNIAO").AsDateTime());
}

TEST_F(MeetingEditTest, LeavingHeaderEditsChecksOnlyWhatWasTyped) {
    TfrmReuniao& w = Open();
    StartNewMeeting(w, false);
    w.dbeResp->SetText("");
    w.dbeResp->DoExit();  // blank passes on exit
    w.dbeAssunto->DoExit();
    EXPECT_EQ("", dialogs->ShownText());
    w.dbeCDProjeto->SetText("9");
    EXPECT_THROW(w.dbeCDProjeto->DoExit(), EErrorShown);
    EXPECT_EQ("error: Projeto não cadastrado.", dialogs->ShownText());
    EXPECT_EQ(w.dbeCDProjeto, w.focusWidget());
    EXPECT_EQ("0000000009", w.cdsControle.FieldByName("CDPROJETO").AsString());
    w.dbeCDProjeto->SetText("2");
    w.dbeCDProjeto->DoExit();
    EXPECT_EQ("Nova Sede", w.dbeNMProjeto->Text());

    // The group box left while editing runs the header checks.
    dialogs->ClearShown();
    EXPECT_THROW(w.grbFormularioExit(), EErrorShown);
    EXPECT_EQ("error: Processo deve ser informado.", dialogs->ShownText());
}

// --- an existing meeting ---

TEST_F(MeetingEditTest, MovedMeetingGetsANewBookingRowAndTheOldOneGoes) {
    TfrmReuniao& w = Open();
    const std::string nr = SaveMeeting(w, Date() + 43, "10:00", "01:00", "00003");
    ASSERT_EQ(1, BookingsOf(nr));
    const std::string oldSeq = w.cdsAgeAtiviSala.FieldByName("NRSEQAGESALA").AsString();

    ASSERT_TRUE(w.sbtAlterar->Click()) << dialogs->ShownText();
    w.medHoraIni->SetText("15:00");
    EXPECT_EQ("", w.dbeCdSalas->Text()) << "a new start drops the room";
    dialogs->AnswerSearch("CDSALA", "00003");
    ASSERT_TRUE(w.btnPesqSalas->Pesquisa()) << dialogs->ShownText();
    recorder->Clear();
    ASSERT_TRUE(w.sbtConfirmar->Click()) << dialogs->ShownText();
    EXPECT_EQ(2, CallCount("SetSalas")) << "the old row deleted, the new one inserted";
    EXPECT_EQ(1, CallCount("GetAlteraAtiv"));
    EXPECT_EQ(0, CallCount("GetPrxTarefa"));
    ASSERT_EQ(1, BookingsOf(nr));
    EXPECT_EQ("1500", w.cdsAgeAtiviSala.FieldByName("HRINIAGESALA").AsString());
    EXPECT_NE(oldSeq, w.cdsAgeAtiviSala.FieldByName("NRSEQAGESALA").AsString());
    ASSERT_TRUE(w.cdsAtividades.Locate("CDPROCESSO", {Variant("0000000002")}));
    EXPECT_EQ(MeetingStart(Date() + 43, "15:00"),
              w.cdsAtividades.FieldByName("DTINPATIVTAR").AsDateTime())
        << "the participation follows the meeting";

    // Only the duration changes, the room stays: the booking's new end reaches the server.
    ASSERT_TRUE(w.sbtAlterar->Click());
    w.medQtdeHoras->SetText("02:00");
    w.dbeCdSalas->SetText("00003");
    ASSERT_TRUE(w.sbtConfirmar->Click()) << dialogs->ShownText();
    EXPECT_EQ("1700", w.cdsAgeAtiviSala.FieldByName("HRFINAGESALA").AsString());

    // A cleared room deletes the booking.
    ASSERT_TRUE(w.sbtAlterar->Click());
    w.dbeCdSalas->SetText("");
    ASSERT_TRUE(w.sbtConfirmar->Click()) << dialogs->ShownText();
    EXPECT_EQ(0, BookingsOf(nr));
}

TEST_F(MeetingEditTest, TypedRoomMustExistAndBeFreeUnlessItIsTheMeetingsOwnBooking) {
    TfrmReuniao& w = Open();
    const TDateTime day = Date() + 46;
    const std::string first = SaveMeeting(w, day, "10:00", "01:00", "00001");

    // A second meeting overlapping the first: its room is not offered, and typed it is refused.
    StartNewMeeting(w);
    TypeWindow(w, day, "10:30", "01:00");
    w.vd_Confirma();
    bool cancel = false;
    w.btnPesqSalasBeforePesq(cancel);
    EXPECT_FALSE(w.cdsSalas.Locate("CDSALA", {Variant("00001")})) << "booked in the window";
    EXPECT_TRUE(w.cdsSalas.Locate("CDSALA", {Variant("00002")}));
    EXPECT_THROW(w.cdsSalas.Edit(), EAbort) << "the pick list is read only";

    dialogs->ClearShown();
    w.dbeCdSalas->SetText("99");
    EXPECT_THROW(w.dbeCdSalas->DoExit(), EErrorShown);
    EXPECT_EQ("error: Sala não cadastrada.", dialogs->ShownText());
    dialogs->ClearShown();
    w.dbeCdSalas->SetText("1");
    EXPECT_THROW(w.dbeCdSalas->DoExit(), EErrorShown);
    EXPECT_EQ("error: Sala já está reservada para este horário.", dialogs->ShownText());
    EXPECT_EQ("00001", w.cdsAgeAtiviSala.FieldByName("CDSALA").AsString()) << "widened";
    dialogs->ClearShown();
    w.dbeCdSalas->SetText("2");
    w.dbeCdSalas->DoExit();
    EXPECT_EQ("", dialogs->ShownText());
    EXPECT_EQ("Sala de Reuniões 2", w.dbeNmSala->Text());
    dialogs->AnswerQuestion(true);
    ASSERT_TRUE(w.sbtCancelar->Click());

    // The first meeting typing its own room again: its own booking is no collision.
    ASSERT_TRUE(w.cdsControle.Locate("NRTAREFA", {Variant(first)}));
    ASSERT_TRUE(w.sbtAlterar->Click()) << dialogs->ShownText();
    dialogs->ClearShown();
    w.dbeCdSalas->SetText("1");
    w.dbeCdSalas->DoExit();
    EXPECT_EQ("", dialogs->ShownText());
    EXPECT_EQ("Sala de Reuniões 1", w.dbeNmSala->Text());
    ASSERT_TRUE(w.sbtConfirmar->Click()) << dialogs->ShownText();
    EXPECT_EQ(1, BookingsOf(first));
}

TEST_F(MeetingEditTest, MeetingWithAnActivityInProgressCannotBeChanged) {
    TfrmReuniao& w = Open();
    const std::string nr = SaveMeeting(w, Date() + 44, "10:00", "01:00", "");
    SetActivityStatus(nr, "A");
    ASSERT_TRUE(w.sbtVerificar->Click());
    ASSERT_TRUE(w.cdsControle.Locate("NRTAREFA", {Variant(nr)}));
    EXPECT_FALSE(boEdit);
    EXPECT_FALSE(w.depDataIni->isEnabled() || w.medHoraIni->isEnabled() ||
                 w.dbeCdSalas->isEnabled());
    dialogs->ClearShown();
    EXPECT_FALSE(w.sbtAlterar->Click()) << "refused silently";
    EXPECT_EQ("", dialogs->ShownText());
    EXPECT_EQ(dsBrowse, w.cdsControle.State());
    EXPECT_EQ(dsBrowse, w.cdsAgeAtiviSala.State()) << "the booking left edit with it";
}

TEST_F(MeetingEditTest, ClosedMeetingsCannotBeChangedAndOnlyPendingOnesDeleted) {
    TfrmReuniao& w = Open();
    SetStatusButtons(w, true, true, true, true);
    for (const char* status : {"C", "X"}) {
        ASSERT_TRUE(w.cdsControle.Locate("IDSITTAREFA", {Variant(status)}));
        EXPECT_FALSE(w.sbtAlterar->Click()) << status;
        EXPECT_EQ(dsBrowse, w.cdsControle.State());
    }
    ASSERT_TRUE(w.cdsControle.Locate("IDSITTAREFA", {Variant("A")}));
    const std::string inProgress = w.cdsControle.FieldByName("NRTAREFA").AsString();
    dialogs->AnswerQuestion(true);
    recorder->Clear();
    EXPECT_FALSE(w.sbtExcluir->Click());
    EXPECT_EQ(0, CallCount("GetDelAtiv")) << "its activities are kept";
    EXPECT_TRUE(w.cdsControle.Locate("NRTAREFA", {Variant(inProgress)}));

    // A pending meeting with agenda, activities and a booking goes with all of them.
    const std::string nr = SaveMeeting(w, Date() + 45, "08:00", "01:00", "00001");
    ASSERT_GT(ActivitiesOf(nr), 0);
    AddAgendaItem(nr);
    dialogs->ClearShown();
    dialogs->AnswerQuestion(true);
    recorder->Clear();
    ASSERT_TRUE(w.sbtExcluir->Click()) << dialogs->ShownText();
    EXPECT_EQ("question: Deseja excluir o registro?", dialogs->ShownText());
    EXPECT_EQ(
        (std::vector<std::string>{"GetDelAtiv", "SetControle", "GetAtividades", "GetControle"}),
        SavingCalls());
    EXPECT_EQ(0, ActivitiesOf(nr));
    EXPECT_EQ(0, BookingsOf(nr));
    EXPECT_EQ(0, AgendaItemsOf(nr));
    EXPECT_FALSE(w.cdsControle.Locate("NRTAREFA", {Variant(nr)}));
}

// --- nothing typed is lost ---

TEST_F(MeetingEditTest, CancelAndCloseAskBeforeDroppingWhatWasTyped) {
    TfrmReuniao& w = Open();
    StartNewMeeting(w);
    dialogs->ClearShown();
    dialogs->AnswerQuestion(false);
    EXPECT_FALSE(w.close()) << "No keeps the window";
    EXPECT_EQ("question: Deseja cancelar as alterações?", dialogs->ShownText());
    EXPECT_EQ(dsInsert, w.cdsControle.State());
    EXPECT_EQ("Reunião de teste", w.dbeDsReferencia->Text());

    dialogs->AnswerQuestion(false);
    ASSERT_TRUE(w.sbtCancelar->Click());
    EXPECT_EQ(dsInsert, w.cdsControle.State());
    dialogs->AnswerQuestion(true);
    ASSERT_TRUE(w.sbtCancelar->Click());
    EXPECT_EQ(dsBrowse, w.cdsControle.State());
    EXPECT_EQ(dsBrowse, w.cdsAgeAtiviSala.State());
    EXPECT_EQ(0, w.cdsControle.ChangeCount());
}

}  // namespace
