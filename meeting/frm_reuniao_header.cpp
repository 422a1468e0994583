// The meeting's header: reference, process, subject, project and responsible operator, their
// pick lists, their checks against the server and the handlers of their edits.
#include <QApplication>
#include <QGroupBox>

#include "base/db_edit.h"
#include "base/focus_events.h"
#include "base/guard.h"
#include "base/login_context.h"
#include "base/lookup_button.h"
#include "base/page_control_ex.h"
#include "base/routines.h"
#include "meeting/cli_zel00400.h"
#include "meeting/dataset_rows.h"
#include "meeting/frm_reuniao.h"
#include "platform/routines.h"
#include "server/check_server_result.h"

using namespace Cli_zel00400;

namespace {

bool Inside(const QWidget* w, const QWidget* box) {
    for (; w; w = w->parentWidget())
        if (w == box) return true;
    return false;
}

}  // namespace

void TfrmReuniao::attachHeaderHandlers() {
    btnProcesso->BeforePesq = [this](bool& c) { btnProcessoBeforePesq(c); };
    btnProcesso->AfterPesq = [this] { btnProcessoAfterPesq(); };
    btnAssunto->BeforePesq = [this](bool& c) { btnAssuntoBeforePesq(c); };
    btnAssunto->AfterPesq = [this] { btnAssuntoAfterPesq(); };
    btnProjeto->BeforePesq = [this](bool& c) { btnProjetoBeforePesq(c); };
    btnProjeto->AfterPesq = [this] { btnProjetoAfterPesq(); };
    btnRespon->BeforePesq = [this](bool& c) { btnResponBeforePesq(c); };
    btnRespon->AfterPesq = [this] { btnResponAfterPesq(); };
    dbeProcesso->OnChange = [this] { dbeProcessoChange(); };
    dbeProcesso->OnExit = [this] { dbeProcessoExit(); };
    dbeAssunto->OnChange = [this] { dbeAssuntoChange(); };
    dbeAssunto->OnExit = [this] { dbeAssuntoExit(); };
    dbeCDProjeto->OnChange = [this] { dbeCDProjetoChange(); };
    dbeCDProjeto->OnExit = [this] { dbeCDProjetoExit(); };
    dbeResp->OnChange = [this] { dbeRespChange(); };
    dbeResp->OnExit = [this] { dbeRespExit(); };
    dbeResp->OnKeyPress = [this](QChar& key) { dbeRespKeyPress(key); };
    dbeDsReferencia->OnKeyPress = [this](QChar& key) { dbeDsReferenciaKeyPress(key); };
    watchFormGroupFocus();
}

void TfrmReuniao::watchFormGroupFocus() {
    // The group box is no control of its own: its exit is the focus moving from a control
    // inside it to one of this window outside it. The focus going to another window, or to
    // another MDI child of the host (they share its main window), is no exit.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        if (!old || !now || !Inside(now, this) || !Inside(old, grbFormulario) ||
            Inside(now, grbFormulario))
            return;
        Guard([this] { grbFormularioExit(); });
    });
}

void TfrmReuniao::onFailureFocus(QWidget* control, bool toFormPage,
                                 const std::function<void()>& check) {
    try {
        check();
    } catch (...) {
        if (toFormPage) pgcReuniao->SetActivePage(tshFormulario);
        SetFocus(control);
        throw;
    }
}

// --- validators ---

void TfrmReuniao::vd_Referencia() {
    if (!IsBlank(dbeDsReferencia->Text())) return;
    pgcReuniao->SetActivePage(tshFormulario);
    SetFocus(dbeDsReferencia);
    ShowErrorMessage(Msg("Refdeve"), true);
}

void TfrmReuniao::vd_Resp(bool required) {
    onFailureFocus(dbeResp, true, [&] {
        if (IsBlank(dbeResp->Text())) {
            if (required) ShowErrorMessage(Msg("Respdeve"), true);
            return;
        }
        dbeResp->SetText(PadField(dbeResp->Text(), 12));
        cdsVdResp.SetData(CheckServerResult(
            netReuniao.AppServer().Call("GetVdResp", {Arg(dbeResp->Text()), Arg(CurrentBranch())}),
            true, 0));
        dbeNmResp->SetText(RowText(cdsVdResp, "NMOPERADOR"));
        if (cdsVdResp.IsEmpty()) ShowErrorMessage(Msg("Respncad"), true);
    });
}

void TfrmReuniao::vd_Assunto(bool required) {
    onFailureFocus(dbeAssunto, true, [&] {
        if (IsBlank(dbeAssunto->Text())) {
            if (required) ShowErrorMessage(Msg("Assudeve"), true);
            return;
        }
        dbeAssunto->SetText(PadField(dbeAssunto->Text(), 5));
        cdsAssunto.SetData(CheckServerResult(
            netReuniao.AppServer().Call("GetAssunto", {Arg(dbeAssunto->Text())}), true, 0));
        dbeNmAssunto->SetText(RowText(cdsAssunto, "NMASSUNTO"));
        if (cdsAssunto.IsEmpty()) ShowErrorMessage(Msg("Assuncad"), true);
    });
}

void TfrmReuniao::vd_Processo(bool required) {
    onFailureFocus(dbeProcesso, true, [&] {
        if (IsBlank(dbeProcesso->Text())) {
            if (required) ShowErrorMessage(Msg("Procdeve"), true);
            return;
        }
        cdsProcesso.SetData(CheckServerResult(
            netReuniao.AppServer().Call("GetProcesso", {Arg(dbeProcesso->Text())}), true, 0));
        dbeNmProcesso->SetText(RowText(cdsProcesso, "NMPROCESSO"));
        if (Editing(cdsControle))
            cdsControle.FieldByName("CDPROCESSO").SetAsString(RowText(cdsProcesso, "CDPROCESSO"));
        if (cdsProcesso.IsEmpty()) ShowErrorMessage(Msg("Procncad"), true);
    });
}

void TfrmReuniao::vd_Projeto(bool required) {
    onFailureFocus(dbeCDProjeto, false, [&] {
        dbeCDProjeto->UpdateRecord();
        TField& code = cdsControle.FieldByName("CDPROJETO");
        if (IsBlank(code.AsString())) {
            if (required) ShowErrorMessage(Msg("CDPROJETO_INF"), true);
            return;
        }
        code.SetAsString(PadField(code.AsString(), 10));
        cdsProjeto.SetData(
            CheckServerResult(netReuniao.AppServer().Call(
                                  "GetProjeto", {Arg(CurrentBranch()), Arg(dbeCDProjeto->Text())}),
                              true, 0));
        if (cdsProjeto.IsEmpty()) ShowErrorMessage(Msg("CDPROJETO_ERRO"), true);
        dbeNMProjeto->SetText(RowText(cdsProjeto, "NMPROJETO"));
    });
}

// --- pick lists ---

void TfrmReuniao::btnResponBeforePesq(bool&) {
    cdsResp.SetData(
        CheckServerResult(netReuniao.AppServer().Call("GetResp", {Arg(CurrentBranch())}), true, 0));
}

void TfrmReuniao::btnResponAfterPesq() {
    if (cdsControle.State() == dsBrowse) cdsControle.Edit();
    dbeResp->SetText(RowText(cdsResp, "CDOPERADOR"));
    dbeNmResp->SetText(RowText(cdsResp, "NMOPERADOR"));
}

void TfrmReuniao::btnAssuntoBeforePesq(bool&) {
    cdsAssunto.SetData(
        CheckServerResult(netReuniao.AppServer().Call("GetAssunto", {Arg("")}), true, 0));
}

void TfrmReuniao::btnAssuntoAfterPesq() {
    if (cdsControle.State() == dsBrowse) cdsControle.Edit();
    dbeNmAssunto->SetText(RowText(cdsAssunto, "NMASSUNTO"));
    dbeAssunto->SetText(RowText(cdsAssunto, "CDASSUNTO"));
}

void TfrmReuniao::btnProcessoBeforePesq(bool&) {
    cdsProcesso.SetData(
        CheckServerResult(netReuniao.AppServer().Call("GetProcesso", {Arg("")}), true, 0));
}

void TfrmReuniao::btnProcessoAfterPesq() {
    if (cdsControle.State() == dsBrowse) cdsControle.Edit();
    cdsControle.FieldByName("CDPROCESSO").SetAsString(RowText(cdsProcesso, "CDPROCESSO"));
    dbeNmProcesso->SetText(RowText(cdsProcesso, "NMPROCESSO"));
    dbeProcesso->SetText(cdsProcesso.FieldByName("CDARVPROCESS").DisplayText());
}

void TfrmReuniao::btnProjetoBeforePesq(bool&) {
    cdsProjeto.SetData(CheckServerResult(
        netReuniao.AppServer().Call("GetProjeto", {Arg(CurrentBranch()), Arg("")}), true, 0));
}

void TfrmReuniao::btnProjetoAfterPesq() {
    if (cdsControle.State() == dsBrowse) cdsControle.Edit();
    dbeCDProjeto->SetText(RowText(cdsProjeto, "CDPROJETO"));
    dbeNMProjeto->SetText(RowText(cdsProjeto, "NMPROJETO"));
}

// --- change, exit and key handlers ---

void TfrmReuniao::dbeProcessoChange() {
    dbeNmProcesso->clear();
}

void TfrmReuniao::dbeProcessoExit() {
    vd_Processo(false);
}

void TfrmReuniao::dbeAssuntoChange() {
    if (Editing(cdsControle)) dbeNmAssunto->clear();
}

void TfrmReuniao::dbeAssuntoExit() {
    vd_Assunto(false);
}

void TfrmReuniao::dbeCDProjetoChange() {
    if (Editing(cdsControle)) dbeNMProjeto->clear();
}

void TfrmReuniao::dbeCDProjetoExit() {
    if (Editing(cdsControle)) vd_Projeto(false);
}

void TfrmReuniao::dbeRespChange() {
    if (Editing(cdsControle)) dbeNmResp->clear();
}

void TfrmReuniao::dbeRespExit() {
    vd_Resp(false);
}

void TfrmReuniao::dbeRespKeyPress(QChar& key) {
    if (key != QChar(8) && (key < QLatin1Char('0') || key > QLatin1Char('9'))) key = QChar();
}

void TfrmReuniao::dbeDsReferenciaKeyPress(QChar&) {
    cdsControle.Edit();
}

void TfrmReuniao::grbFormularioExit() {
    if (!Editing(cdsControle)) return;
    vd_Referencia();
    vd_Processo(true);
    vd_Assunto(true);
    vd_Resp(true);
    vd_DataIni(true);
    vd_QtdeHoras(true);
    vd_Confirma();
}
