// Cancelling a meeting: the participants' notices, the meeting and its activities marked
// cancelled on the server, its room freed, and the list reloaded with the meeting current.
#include <QAction>

#include "base/buttons.h"
#include "base/date_picker_edit.h"
#include "base/dialogs.h"
#include "base/guard.h"
#include "base/login_context.h"
#include "base/mask_edit.h"
#include "base/page_control_ex.h"
#include "base/routines.h"
#include "meeting/cli_zel00400.h"
#include "meeting/frm_reuniao.h"
#include "platform/routines.h"
#include "server/check_server_result.h"

using namespace Cli_zel00400;

namespace {

// "hh:mm" of a time control -> "hhmm", as the room methods take times.
std::string HourDigits(const TMaskEdit& edit) {
    const std::string text = edit.Text();
    return text.substr(0, 2) + (text.size() > 3 ? text.substr(3, 2) : std::string());
}

}  // namespace

void TfrmReuniao::attachCancellationAndImport() {
    btnCanReuniao->OnClick = [this] { btnCanReuniaoClick(); };
    sbtImpArq->OnClick = [this] { sbtImpArqClick(); };
    connect(mnuCanReuniao, &QAction::triggered, this,
            [this] { Guard([this] { btnCanReuniaoClick(); }); });
    connect(mnuImportar, &QAction::triggered, this,
            [this] { Guard([this] { sbtImpArqClick(); }); });
}

void TfrmReuniao::btnCanReuniaoClick() {
    if (!cdsControle.Active() || cdsControle.IsEmpty()) throw EAbort();
    // The cancellation changes the meeting's activities and reloads the whole list.
    KeepPendingWork(TReload::Everything, TPendingEdit::Refuse, "canc_reun_dig");
    bool following = false;
    if (!SerieAtual().empty()) {
        const int scope = CurrentDialogs().Choice("Esta reunião faz parte de uma série. Cancelar:",
                                                  {"Somente esta reunião", "Esta e as seguintes"});
        if (scope < 0) throw EAbort();
        following = scope == 1;
    }
    CancelaReuniao(cdsControle.FieldByName("CDFILIAL").AsString(),
                   cdsControle.FieldByName("NRTAREFA").AsString(), following);
}

void TfrmReuniao::CancelaReuniao(std::string branch, std::string number, bool following) {
    const std::string series = following ? SerieAtual() : std::string();
    cdsTestaReuniao.SetData(CheckServerResult(
        netReuniao.AppServer().Call("GetTestaReuniao", {ArgRef(branch), ArgRef(number)}), true, 0));
    if (!cdsTestaReuniao.IsEmpty() && cdsTestaReuniao.FieldByName("IDSITTAREFA").AsString() == "X")
        ShowErrorMessage(Msg("Tare_Canc"), true);
    if (msgPadrao->ShowMsg("Cancel_Reu", TMsgDlgType::mtConfirmation, mbYes | mbNo) != mrYes)
        return;
    // An optional reason, kept with the cancellation and told to the participants; backing
    // out of the question backs out of the cancellation.
    motivoCancelamento.clear();
    if (!CurrentDialogs().InputText(Msg("Cancel_Mot"), kMaxMotivoCancelamento, motivoCancelamento))
        return;
    motivoCancelamento = TrimAll(motivoCancelamento);
    const TDateTime day = depDataIni->IsBlankDate() ? 0 : depDataIni->GetDate();
    cdsDadosSalas.SetData(netReuniao.AppServer().Call(
        "GetDadosSalas",
        {Arg(CurrentBranch()), Arg(cdsControle.FieldByName("CDSALA").AsString()), ArgDate(day),
         Arg(HourDigits(*medHoraIni)), Arg(HourDigits(*medHoraFin))}));
    cancelProgress = {};
    try {
        stCodLocate = number;
        enviaCancelamento(branch, number);
    } catch (const std::exception& e) {
        // The server's reason first, then that the cancellation did not go through. Only the
        // server steps count: once they are done the meeting is cancelled, and a failing
        // reload afterwards is shown as what it is, not as a failed cancellation. Until the
        // meeting is cancelled, the notices already left are withdrawn.
        if (!cancelProgress.cancelled) retiraAvisos();
        if (dynamic_cast<const EAbort*>(&e)) throw;
        if (!dynamic_cast<const EErrorShown*>(&e)) CurrentDialogs().Error(e.what());
        msgPadrao->ShowMsg("Cancel_N_Ok", TMsgDlgType::mtInformation, mbOK);
        throw EErrorShown(e.what());
    }
    // The later meetings of the series each go through the same server steps; one that
    // fails is reported and ends the run, the meeting itself stays cancelled.
    const int later = series.empty() ? 0 : cancelaSeguintes(branch, series, number);
    msgPadrao->ShowMsg("Cancel_Ok", TMsgDlgType::mtInformation, mbOK);
    if (later > 0)
        CurrentDialogs().Notice(IntToStr(later) +
                                (later == 1 ? " reunião seguinte da série também foi cancelada."
                                            : " reuniões seguintes da série também foram "
                                              "canceladas."));
    pgcReuniao->SetActivePage(tshReuniao);
    recarregaLista(stCodLocate);
}

void TfrmReuniao::enviaCancelamento(std::string& branch, std::string& number) {
    cdsAtivReuniao.SetData(CheckServerResult(
        netReuniao.AppServer().Call("GetAtivReuniao", {ArgRef(branch), ArgRef(number)}), true, 0));
    avisaParticipantes();
    CheckServerResult(
        netReuniao.AppServer().Call("GetUpdCancelAtiv", {ArgRef(branch), ArgRef(number)}), true, 0);
    CheckServerResult(
        netReuniao.AppServer().Call("GetUpdCancelTarefa",
                                    {ArgRef(branch), ArgRef(number), Arg(motivoCancelamento)}),
        true, 0);
    cancelProgress.cancelled = true;
    cdsDadosSalas.First();
    if (!cdsDadosSalas.IsEmpty() && !IsBlank(cdsDadosSalas.FieldByName("CDFILIAL").AsString())) {
        CheckServerResult(
            netReuniao.AppServer().Call(
                "GetDelSala", {Arg(cdsDadosSalas.FieldByName("CDFILIAL").AsString()),
                               Arg(cdsDadosSalas.FieldByName("CDSALA").AsString()),
                               ArgDate(cdsDadosSalas.FieldByName("DTATIAGESALA").AsDateTime()),
                               Arg(cdsDadosSalas.FieldByName("NRSEQAGESALA").AsString())}),
            true, 0);
    }
}

void TfrmReuniao::avisaParticipantes() {
    const std::string name = std::string(Utf8Prefix(CurrentOperatorName(), 20));
    for (cdsAtivReuniao.First(); !cdsAtivReuniao.Eof(); cdsAtivReuniao.Next()) {
        const std::string participant = cdsAtivReuniao.FieldByName("CDOPERRESP").AsString();
        if (participant == CurrentOperator()) continue;
        std::string text = Format(
            Msg("Msg_Cancel"),
            {std::string(Utf8Prefix(cdsAtivReuniao.FieldByName("DSREFETAREFA").AsString(), 35)),
             DateToStr(cdsAtivReuniao.FieldByName("DTHRREUNIAO").AsDateTime()), name});
        if (!motivoCancelamento.empty())
            text += " " + Format(Msg("Msg_CancelMot"), {motivoCancelamento});
        // A notice holds kMaxTextoAviso characters; the reason is what gives way.
        text = std::string(Utf8Prefix(text, kMaxTextoAviso));
        int n = static_cast<int>(
            netReuniao.AppServer().Call("GetPrxAtivPessoal", {Arg(participant)}).AsInteger());
        const TDateTime now = HoraServidor();
        CheckServerResult(netReuniao.AppServer().Call("GetInsAtivPessoal",
                                                      {Arg(participant), ArgRef(n), Arg(text),
                                                       ArgDate(now), Arg("P"), Arg("S"), Arg("0")}),
                          true, 0);
        cancelProgress.notices.push_back({participant, n, text});
    }
}

void TfrmReuniao::recarregaLista(const std::string& number) {
    if (boDiaExato)
        CarregaControle();
    else
        Atualiza();
    cdsControle.Locate("NRTAREFA", {Variant(number)}, {loCaseInsensitive});
}

void TfrmReuniao::retiraAvisos() {
    for (const CancelProgress::Notice& notice : cancelProgress.notices) {
        try {
            netReuniao.AppServer().Call("GetDelAtivPessoal",
                                        {Arg(notice.op), Arg(notice.number), Arg(notice.text)});
        } catch (const std::exception&) {
            // Unreachable server: the notices stay; the failure itself is what is shown.
            return;
        }
    }
}
