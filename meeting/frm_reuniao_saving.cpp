// Saving a meeting: the checks and values before the post, and what is sent and reloaded
// after it (the meeting, its booking, its activities, the list).
#include "base/busy_scope.h"
#include "base/date_picker_edit.h"
#include "base/db_edit.h"
#include "base/login_context.h"
#include "base/mask_edit.h"
#include "base/routines.h"
#include "meeting/cli_zel00400.h"
#include "meeting/dataset_rows.h"
#include "meeting/date_time_rules.h"
#include "meeting/frm_reuniao.h"
#include "platform/routines.h"
#include "server/check_server_result.h"

using namespace Cli_zel00400;

void TfrmReuniao::cdsControleBeforePost() {
    const std::string reference = dbeDsReferencia->Text();
    stArvProcReuniao = dbeProcesso->Text();
    // A room typed and not yet left is the room the meeting is saved with.
    if (Editing(cdsAgeAtiviSala)) {
        dbeCdSalas->UpdateRecord();
        TField& room = cdsAgeAtiviSala.FieldByName("CDSALA");
        if (!IsBlank(room.AsString())) room.SetAsString(PadField(room.AsString(), 5));
    }
    vd_Referencia();
    vd_Processo(true);
    vd_Assunto(true);
    vd_Resp(true);
    vd_DataIni(true);
    vd_HoraIni(true);
    vd_QtdeHoras(true);
    vd_Confirma();
    vd_sala();
    vd_Lotacao();
    // The checks widened codes and wrote names into the edits after the edits had written
    // their text into the record: the record takes them now.
    for (TDBEdit* e : {dbeProcesso, dbeAssunto, dbeCDProjeto, dbeResp, dbeNmProcesso, dbeNmAssunto,
                       dbeNMProjeto, dbeNmResp})
        e->UpdateRecord();

    TField& start = cdsControle.FieldByName("DTHRREUNIAO");
    const TDateTime oldValue = start.IsNull() ? -1 : start.AsDateTime();
    const std::string oldStart = oldValue < 0 ? std::string() : TimeToStr(oldValue).substr(0, 5);
    const TDateTime oldDay = oldValue < 0 ? -1 : DateOf(oldValue);

    const TDateTime newStart = typedStart();
    start.SetAsDateTime(newStart);
    if (HoraServidor() > newStart) fail(depDataIni, "dt_reun_deve");
    cdsControle.FieldByName("QTHRREUNIAO").SetAsFloat(timeTextToReal(medQtdeHoras->Text()));
    vd_Serie(oldValue, newStart,
             cdsAgeAtiviSala.IsEmpty() ? std::string()
                                       : cdsAgeAtiviSala.FieldByName("CDSALA").AsString());

    // A new meeting whose save is resumed keeps the number it got the first time.
    const bool inserting = insertingMeeting();
    cdsControle.FieldByName("CDFILIAL").SetAsString(CurrentBranch());
    if (inserting && !m_unsent.pending) {
        stNovaTarefa =
            netReuniao.AppServer().Call("GetPrxTarefa", {Arg(CurrentBranch())}).AsString();
        cdsControle.FieldByName("NRTAREFA").SetAsString(stNovaTarefa);
    }
    cdsControle.FieldByName("CDOPERABER").SetAsString(CurrentOperator());
    const std::string meeting = cdsControle.FieldByName("NRTAREFA").AsString();

    cdsAuxAtiv.SetData(CheckServerResult(
        netReuniao.AppServer().Call("GetAuxAtiv", {Arg(CurrentBranch()), Arg(meeting)}), true, 0));
    if (!cdsAuxAtiv.IsEmpty()) fail(nullptr, "ATIVJA");
    boStateIns = inserting;
    boStateEd = !inserting;

    cdsSeqSalas.SetData(CheckServerResult(
        netReuniao.AppServer().Call("GetSeqSalas", {ArgDate(typedDay())}), true, 0));
    stSeq = PadField(IntToStr(cdsSeqSalas.FieldByName("NRSEQAGESALA").AsInteger()), 5);
    stCodLocate = meeting;
    writeBooking(reference, oldDay, oldStart);

    arr_StParamAtiv[0] = DateTimeToStr(newStart);
    arr_StParamAtiv[1] = DateToStr(depDataFin->GetDate()) + " " + TimeToStr(typedEnd());
    arr_StParamAtiv[2] = FloatToStr(cdsControle.FieldByName("QTHRREUNIAO").AsFloat());
}

bool TfrmReuniao::insertingMeeting() const {
    return cdsControle.State() == dsInsert || (m_unsent.pending && m_unsent.inserted);
}

void TfrmReuniao::cdsControleAfterPost() {
    if (cdsControle.ChangeCount() > 0) {
        try {
            BusyScope busy(this, 1);
            CheckServerResult(
                netReuniao.AppServer().Call("SetControle", {Arg(cdsControle.Delta())}), true, 0);
        } catch (...) {
            // Not taken: the meeting goes back into edit with what was typed, so the operator
            // confirms again once the server answers; a new meeting stays new. Nothing of its
            // booking was sent: a moved meeting keeps its room at its old time meanwhile.
            m_unsent = {true, boStateIns, false};
            try {
                cdsControle.Edit();
            } catch (...) {
            }
            throw;
        }
        cdsControle.MergeChangeLog();
    }
    // The meeting is stored. Its booking follows; a booking step the server refuses (a room
    // taken meanwhile, a lost connection) stops the save there and is what the operator is
    // shown: the meeting goes back into edit with the room typed, and the next confirm sends
    // the booking, then the activities and the list.
    const bool bookingInserted = cdsAgeAtiviSala.State() == dsInsert;
    const auto typedBooking = bookingValues();
    try {
        sendBooking();
    } catch (...) {
        m_unsent = {true, boStateIns, true};
        reopenBooking(typedBooking, bookingInserted);
        throw;
    }
    m_unsent = {};
    if (boStateIns)
        GravaAtividade();
    else if (boStateEd)
        AlteraAtividade();
    // A series follows its first meeting; the list is reloaded before the series' result is
    // shown.
    enviaSerie([this] { RecarregaReuniao(); });
}
