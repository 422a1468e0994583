// Importing an earlier meeting's agenda into the current meeting: the import button keeps the
// destination meeting and opens the import dialog; after the agenda is copied the operator
// may book the source meeting's participants into the destination meeting as well.
#include <QMainWindow>

#include "base/application_window.h"
#include "base/login_context.h"
#include "base/routines.h"
#include "meeting/busy_scope.h"
#include "meeting/cli_zel00400.h"
#include "meeting/frm_reuniao.h"
#include "meeting/time_rules.h"
#include "server/check_server_result.h"

using namespace Cli_zel00400;

void TfrmReuniao::sbtImpArqClick() {
    if (!cdsControle.Active() || cdsControle.IsEmpty()) throw EAbort();
    // The import adds to the meeting's agenda and participants and reloads them all.
    KeepPendingWork(TReload::Everything, TPendingEdit::Refuse, "imp_pauta_dig");
    stFilialDestino = cdsControle.FieldByName("CDFILIAL").AsString();
    stTarefaDestino = cdsControle.FieldByName("NRTAREFA").AsString();
    stDtHrReuniao = cdsControle.FieldByName("DTHRREUNIAO").AsString();
    stQtHrReuniao = cdsControle.FieldByName("QTHRREUNIAO").AsString();
    if (const auto& open = DialogHooks().impReuniao) open();
}

void TfrmReuniao::InsereParticipante() {
    if (boImpParticipantes &&
        msgPadrao->ShowMsg("imp_part", TMsgDlgType::mtConfirmation, mbYes | mbNo) == mrYes) {
        // The destination's activities travel as the server sent them: their layout is the
        // participant import's, not the activities page's, so they are not loaded into
        // cdsAtividades (which the reload at the end refreshes).
        Variant destino;
        {
            reuniao::BusyScope busy(ApplicationMainWindow(), 1);
            cdsAtividadesAux.SetData(CheckServerResult(
                netReuniao.AppServer().Call("GetAtividadesAux",
                                            {ArgRef(stFilialOrigem), ArgRef(stTarefaOrigem)}),
                true, 0));
            destino = CheckServerResult(
                netReuniao.AppServer().Call("GetAtividadesAux",
                                            {ArgRef(stFilialDestino), ArgRef(stTarefaDestino)}),
                true, 0);
        }
        const std::optional<std::string> end = calculaHoraFinal(stDtHrReuniao, stQtHrReuniao);
        if (!end) ShowErrorMessage(Msg("DTFIN_ULTR"), true);
        stDtHrFinReuniao = *end;
        CheckServerResult(netReuniao.AppServer().Call(
                              "SetParticipantesAuto",
                              {Arg(destino), Arg(cdsAtividadesAux.Data()), ArgRef(stFilialDestino),
                               ArgRef(stTarefaDestino), ArgDate(StrToDateTime(stDtHrFinReuniao)),
                               ArgDate(StrToDateTime(stDtHrReuniao)), ArgRef(stQtHrReuniao),
                               ArgDate(HoraServidor()), Arg(CurrentOperator())}),
                          true, 0);
    }
    boImpParticipantes = false;
    // The destination meeting stays current, so its new activities show on their page.
    recarregaLista(stTarefaDestino);
}
