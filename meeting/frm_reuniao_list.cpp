// The meeting list: loading it with the parameter set, the status tool bar's client filter,
// the status texts and the drawing of the list grid.
#include <QPalette>

#include "base/busy_scope.h"
#include "base/buttons.h"
#include "base/canvas.h"
#include "base/db_grid.h"
#include "base/handler_scope.h"
#include "base/login_context.h"
#include "base/page_control_ex.h"
#include "base/routines.h"
#include "meeting/cli_zel00400.h"
#include "meeting/frm_reuniao.h"
#include "platform/routines.h"
#include "server/check_server_result.h"

using namespace Cli_zel00400;

namespace {

// Status colours of the list's text.
QColor StatusColor(const std::string& letter, const QColor& fallback) {
    if (letter == "P") return QColor(0, 0, 128);      // navy
    if (letter == "A") return QColor(0, 128, 0);      // green
    if (letter == "X") return QColor(128, 0, 0);      // maroon
    if (letter == "C") return QColor(128, 128, 128);  // grey text
    return fallback;
}

}  // namespace

void TfrmReuniao::Atualiza() {
    if (boFiltro) {
        if (auto choices = LastFilterChoices()) FillListParameters(*choices);
    }
    BusyScope busy(this, 1);
    CarregaControle();
}

void TfrmReuniao::CarregaControle() {
    KeepPendingWork(TReload::Everything);
    const Variant result = netReuniao.AppServer().Call(
        "GetControle", {Arg(CurrentBranch()), ArgRef(stReuniao), ArgRef(stTReuniao),
                        ArgRef(stSituacao), ArgRef(stResp), ArgRef(stTResp), ArgRef(stPauta),
                        ArgRef(stTPauta), ArgRef(dtInicial), ArgRef(dtFinal), ArgRef(stTData)});
    cdsControle.SetData(CheckServerResult(result, true, 0));
}

void TfrmReuniao::FILTRA_CONTROLE() {
    // Filtering again moves through the list and reloads the current meeting's details.
    TToolButtonEx* const buttons[] = {tbtPendente, tbtAndamento, tbtCancelada, tbtConcluida};
    try {
        KeepPendingWork(TReload::Everything);
    } catch (...) {
        // Kept: the list stays filtered as it is, and so do the buttons.
        for (size_t i = 0; i < std::size(buttons); ++i)
            buttons[i]->SetDown(m_statusApplied[i]);
        throw;
    }
    for (size_t i = 0; i < std::size(buttons); ++i)
        m_statusApplied[i] = buttons[i]->Down();
    const std::string filter = StatusFilterText(tbtPendente->Down(), tbtAndamento->Down(),
                                                tbtCancelada->Down(), tbtConcluida->Down());
    {
        // The filter is applied without loading the details of every row it passes over.
        DetachedHandler quiet(cdsControle.AfterScroll);
        cdsControle.SetFiltered(false);
        cdsControle.SetFilter(filter);
        cdsControle.SetFiltered(true);
    }
    pgcReuniao->SetActivePage(tshReuniao);
    if (!cdsControle.Active()) return;
    // Found, the locate loads that meeting's details. Otherwise the first meeting that passed
    // the filter is current and its details are loaded here, so they never belong to a row
    // the filter took away.
    if (!cdsControle.Locate("NRTAREFA", {Variant(stCodLocate)}, {loCaseInsensitive}))
        cdsControleAfterScroll();
}

// The four status buttons act alike: keep the current meeting and filter again.
void TfrmReuniao::tbtPendenteClick() {
    if (!cdsControle.Active()) throw EAbort();
    stCodLocate = cdsControle.FieldByName("NRTAREFA").AsString();
    FILTRA_CONTROLE();
}
void TfrmReuniao::tbtAndamentoClick() {
    tbtPendenteClick();
}
void TfrmReuniao::tbtCanceladaClick() {
    tbtPendenteClick();
}
void TfrmReuniao::tbtConcluidaClick() {
    tbtPendenteClick();
}

void TfrmReuniao::cdsControleIDSITTAREFAGetText(TField& sender, std::string& text, bool) {
    const std::string key = StatusMessageKey(sender.AsString());
    text = key.empty() ? std::string() : Msg(key);
}

void TfrmReuniao::dbgTarefasDrawColumnCell(TCanvas& canvas, const QRect& rect, int, TField* field,
                                           int state) {
    if (cdsControle.IsEmpty() || !field) return;
    std::string text = field->DisplayText();
    canvas.Brush.Color = dbgTarefas->palette().color(QPalette::Base);
    canvas.Font.Color = StatusColor(cdsControle.FieldByName("IDSITTAREFA").AsString(),
                                    dbgTarefas->palette().color(QPalette::Text));

    const std::string& name = field->FieldName();
    if (name == "CDOPERRESP" || name == "CDOPERABER") {
        const bool showCode =
            cdsControle.State() == dsBrowse && dbgTarefas->EditorMode() && state == gdSelected;
        if (!IsBlank(field->AsString()) && !showCode) {
            text = cdsControle.FieldByName(name == "CDOPERRESP" ? "NMOPERADOR" : "NMOPERABER")
                       .AsString();
        }
    }
    if (state & gdSelected) {
        canvas.Brush.Color = dbgTarefas->palette().color(QPalette::Highlight);
        canvas.Font.Color = Qt::white;
    }
    canvas.TextRect(rect, rect.left(), rect.top() + 2, text);
}
