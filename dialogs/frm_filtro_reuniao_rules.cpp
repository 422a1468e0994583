// TfrmFiltroReuniao: confirm and its checks, cancel, activation, the status boxes, the
// "Todos" / "Lista" choices with their pick lists, the date edits and the saved options.
#include <QCheckBox>
#include <QMainWindow>
#include <QRadioButton>

#include "base/application_window.h"
#include "base/busy_scope.h"
#include "base/date_picker_edit.h"
#include "base/dialogs.h"
#include "base/focus_events.h"
#include "base/login_context.h"
#include "base/lookup_button.h"
#include "base/routines.h"
#include "dialogs/frm_filtro_reuniao.h"
#include "meeting/frm_reuniao.h"
#include "platform/routines.h"
#include "server/check_server_result.h"

namespace {

// The date of a date edit, 0 when it is blank.
TDateTime DateOrZero(const TDatePickerEdit& edit) {
    return edit.IsBlankDate() ? 0 : edit.GetDate();
}

// Shows `date` in the edit; 0 (no date) leaves it blank.
void ShowDate(TDatePickerEdit& edit, TDateTime date) {
    if (date > 0)
        edit.SetDate(date);
    else
        edit.SetText("");
}

std::string Flag(bool all) {
    return all ? "T" : "";
}

}  // namespace

void TfrmFiltroReuniao::FormCreate() {
    TFilterFormBase::FormCreate();
    Cli_zel00404::boConfirma = false;
    rfUltimoFiltro = TRecordFilter{};
}

void TfrmFiltroReuniao::FormActivate() {
    TFilterFormBase::FormActivate();
    Atualiza_Tela();
}

// The choices of the last confirm come back at every opening: what an opening that ended
// with cancel changed is undone (the radio buttons keep their state).
void TfrmFiltroReuniao::Atualiza_Tela() {
    stListaReuniao = rfUltimoFiltro.stFiltroReuniao;
    stListaResp = rfUltimoFiltro.stFiltroResp;
    stListaPauta = rfUltimoFiltro.stFiltroPauta;
    ckbTodas->setChecked(rfUltimoFiltro.boTodas);
    ckbAndamento->setChecked(rfUltimoFiltro.boAndamento);
    ckbPendente->setChecked(rfUltimoFiltro.boPendente);
    ckbConcluido->setChecked(rfUltimoFiltro.boConcluido);
    ckbCancelado->setChecked(rfUltimoFiltro.boCancelado);
    ShowDate(*depDtAberturaDe, rfUltimoFiltro.dtAberturaDe);
    ShowDate(*depDtAberturaAte, rfUltimoFiltro.dtAberturaAte);
}

void TfrmFiltroReuniao::Atualiza_Filtro() {
    rfUltimoFiltro.stFiltroReuniao = stListaReuniao;
    rfUltimoFiltro.stFiltroResp = stListaResp;
    rfUltimoFiltro.stFiltroPauta = stListaPauta;
    rfUltimoFiltro.boTodas = ckbTodas->isChecked();
    rfUltimoFiltro.boAndamento = ckbAndamento->isChecked();
    rfUltimoFiltro.boPendente = ckbPendente->isChecked();
    rfUltimoFiltro.boConcluido = ckbConcluido->isChecked();
    rfUltimoFiltro.boCancelado = ckbCancelado->isChecked();
    rfUltimoFiltro.dtAberturaDe = DateOrZero(*depDtAberturaDe);
    rfUltimoFiltro.dtAberturaAte = DateOrZero(*depDtAberturaAte);
}

void TfrmFiltroReuniao::Falha(QWidget* control, const std::string& key) {
    SetFocus(control);
    ShowErrorMessage(Msg(key), true);
    throw EAbort();  // not reached: ShowErrorMessage raised
}

std::string TfrmFiltroReuniao::SituacaoSelecionada() const {
    std::string situacao;
    if (ckbTodas->isChecked()) situacao = "_P_A_C_X";
    if (ckbAndamento->isChecked()) situacao += "_A";
    if (ckbConcluido->isChecked()) situacao += "_C";
    if (ckbPendente->isChecked()) situacao += "_P";
    if (ckbCancelado->isChecked()) situacao += "_X";
    return situacao;
}

// The checks of a confirm, in order; the first that fails ends it.
void TfrmFiltroReuniao::ValidaFiltro() {
    if (rbtListaReuniao->isChecked() && IsBlank(stListaReuniao))
        Falha(rbtListaReuniao, "Reuniao_inf");
    if (SituacaoSelecionada().empty()) Falha(ckbTodas, "Status_inf");
    if (rbtListaResp->isChecked() && IsBlank(stListaResp)) Falha(rbtListaResp, "Resp_inf");
    if (rbtListaPauta->isChecked() && IsBlank(stListaPauta)) Falha(rbtListaPauta, "Pauta_inf");
    for (TDatePickerEdit* edit : {depDtAberturaDe, depDtAberturaAte}) {
        if (edit->IsBlankDate()) continue;
        try {
            edit->CheckValidDate();
        } catch (const EConvertError&) {
            SetFocus(edit);
            throw;
        }
    }
    const bool deVazio = depDtAberturaDe->IsBlankDate();
    const bool ateVazio = depDtAberturaAte->IsBlankDate();
    if (deVazio && !ateVazio) Falha(depDtAberturaDe, "Dt_ini_inf");
    if (ateVazio && !deVazio) Falha(depDtAberturaAte, "Dt_fin_inf");
    if (DateOrZero(*depDtAberturaAte) < DateOrZero(*depDtAberturaDe))
        Falha(depDtAberturaDe, "Dt_Ini_Maior");
}

TServerConnection& TfrmFiltroReuniao::Conexao() const {
    if (!Cli_zel00400::frmReuniao)
        throw Exception("A janela de Controle de Reunião não está aberta.");
    return Cli_zel00400::frmReuniao->netReuniao;
}

// Asks the server for the meetings the choices select and loads them into the meeting
// window's list.
void TfrmFiltroReuniao::CarregaReunioes() {
    std::string tReuniao = Flag(rbtTdReuniao->isChecked());
    std::string tResp = Flag(rbtTdResp->isChecked());
    std::string tPauta = Flag(rbtTdPauta->isChecked());
    std::string situacao = SituacaoSelecionada();
    std::string tData = Flag(depDtAberturaDe->IsBlankDate() || depDtAberturaAte->IsBlankDate());
    const TDateTime de = DateOrZero(*depDtAberturaDe);
    const TDateTime ate = DateOrZero(*depDtAberturaAte);
    TServerConnection& net = Conexao();
    BusyScope busy(ApplicationMainWindow(), 6);
    const Variant result = net.AppServer().Call(
        "GetControle", {Arg(CurrentBranch()), ArgRef(stListaReuniao), ArgRef(tReuniao),
                        ArgRef(situacao), ArgRef(stListaResp), ArgRef(tResp), ArgRef(stListaPauta),
                        ArgRef(tPauta), ArgDate(de), ArgDate(ate), ArgRef(tData)});
    Cli_zel00400::frmReuniao->cdsControle.SetData(CheckServerResult(result, true, 0));
}

void TfrmFiltroReuniao::sbtConfirmaClick() {
    Cli_zel00404::boConfirma = true;
    ValidaFiltro();
    CarregaReunioes();
    Atualiza_Filtro();
    boConfirmado = true;
    CloseConfirmed();
}

void TfrmFiltroReuniao::sbtCancelClick() {
    TFilterFormBase::sbtCancelClick();
    boConfirmado = false;
}

// "Todas" excludes the four others: checking it unchecks them (their handlers uncheck it in
// turn), then checks it again.
void TfrmFiltroReuniao::ckbTodasClick() {
    if (!ckbTodas->isChecked()) return;
    for (QCheckBox* c : {ckbAndamento, ckbConcluido, ckbPendente, ckbCancelado})
        c->setChecked(false);
    ckbTodas->setChecked(true);
}

void TfrmFiltroReuniao::ckbStatusClick() {
    ckbTodas->setChecked(false);
}

void TfrmFiltroReuniao::rbtTdReuniaoClick() {
    btpReuniao->setEnabled(!rbtTdReuniao->isChecked());
    stListaReuniao.clear();
}

void TfrmFiltroReuniao::rbtListaReuniaoClick() {
    btpReuniao->setEnabled(rbtListaReuniao->isChecked());
}

void TfrmFiltroReuniao::rbtTdRespClick() {
    btpResp->setEnabled(!rbtTdResp->isChecked());
    stListaResp.clear();
}

void TfrmFiltroReuniao::rbtListaRespClick() {
    btpResp->setEnabled(rbtListaResp->isChecked());
}

void TfrmFiltroReuniao::rbtTdPautaClick() {
    btpPauta->setEnabled(!rbtTdPauta->isChecked());
    stListaPauta.clear();
}

void TfrmFiltroReuniao::rbtListaPautaClick() {
    btpPauta->setEnabled(rbtListaPauta->isChecked());
}

namespace {
// "title|message when empty" of a pick list: the dialog's title, the lookup button's message.
std::string PickCaptions(const std::string& title, const TLookupButton& button) {
    const size_t bar = button.Captions.find('|');
    return title + "|" + (bar == std::string::npos ? "" : button.Captions.substr(bar + 1));
}
}  // namespace

void TfrmFiltroReuniao::btpReuniaoClick() {
    qryReuniao.Connection = &Conexao();
    qryReuniao.Close();
    qryReuniao.ParamByName("P_CDFILIAL").SetAsString(CurrentBranch());
    qryReuniao.Open();
    MultiSelectDialog(dtsReuniao, "NRTAREFA", PickCaptions(Msg("Reuniao"), *btpReuniao),
                      stListaReuniao);
}

void TfrmFiltroReuniao::btpRespClick() {
    qryResp.Connection = &Conexao();
    qryResp.Close();
    qryResp.Open();
    MultiSelectDialog(dtsResp, "CDOPERADOR", PickCaptions(Msg("Resp"), *btpResp), stListaResp);
}

// The agenda items offered follow the meetings chosen: all of the branch when none is.
void TfrmFiltroReuniao::btpPautaClick() {
    qryPauta.Connection = &Conexao();
    qryPauta.Close();
    qryPauta.ParamByName("P_NRTAREFA").SetAsString(stListaReuniao);
    qryPauta.ParamByName("P_TNRTAREFA").SetAsString(IsBlank(stListaReuniao) ? "T" : "");
    qryPauta.ParamByName("P_CDFILIAL").SetAsString(CurrentBranch());
    qryPauta.Open();
    MultiSelectDialog(dtsPauta, "CODIGO", PickCaptions(Msg("Pauta"), *btpPauta), stListaPauta);
}

void TfrmFiltroReuniao::depDtAberturaExit(TDatePickerEdit* edit) {
    if (!edit->IsBlankDate()) edit->CheckValidDate();
}

// Only the meetings' list is among the saved options ("T": all meetings).
void TfrmFiltroReuniao::btfSaveOpcClick() {
    SetOption("stReuniao", IsBlank(stListaReuniao) ? "T" : stListaReuniao);
    TFilterFormBase::btfSaveOpcClick();
}

void TfrmFiltroReuniao::btfLoadOpcClick() {
    const std::string reunioes = SavedOption("stReuniao", "T");
    if (reunioes != "T")
        stListaReuniao = reunioes;
    else
        stListaReuniao.clear();
    TFilterFormBase::btfLoadOpcClick();
}
