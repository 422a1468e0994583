// Enabling: the header controls for the current meeting's status, and the buttons, menu items
// and pages for the data set the active page works on, its state and the meeting's status.
#include <QAction>
#include <QGroupBox>
#include <QLabel>

#include "base/buttons.h"
#include "base/date_picker_edit.h"
#include "base/db_edit.h"
#include "base/lookup_button.h"
#include "base/mask_edit.h"
#include "base/page_control_ex.h"
#include "base/routines.h"
#include "meeting/frm_reuniao.h"

namespace {

// Status letter of the current row of `cds`; "" when it has none.
std::string CurrentLetter(const TClientDataSet& cds, const char* field) {
    if (!cds.Active() || cds.IsEmpty()) return {};
    return cds.FieldByName(field).AsString();
}

bool Editing(TDataSetState s) {
    return s == dsEdit || s == dsInsert;
}

bool BrowseOrClosed(TDataSetState s) {
    return s == dsBrowse || s == dsInactive;
}

bool HasRows(const TClientDataSet& cds) {
    return cds.Active() && !cds.IsEmpty();
}

}  // namespace

void TfrmReuniao::AfterScroll() {
    const std::string m = CurrentLetter(cdsControle, "IDSITTAREFA");
    const TDataSetState meetingState = cdsControle.State();
    QWidget* const displayOnly[] = {dbeNmProcesso, dbeNmResp,  dbeNmAssunto,
                                    dbeNMProjeto,  depDataFin, medHoraFin};
    if (m == "C" || (m == "X" && BrowseOrClosed(meetingState))) {
        SetChildrenEnabled(grbFormulario, false);
        for (QWidget* w : displayOnly)
            w->setEnabled(false);
    }
    if (m != "X" && m != "C") {
        SetChildrenEnabled(grbFormulario, true);
        for (QWidget* w : displayOnly)
            w->setEnabled(false);
    }
    // The process is chosen only for a new meeting.
    const bool inserting = dtsPadrao.State() == dsInsert;
    btnProcesso->setEnabled(inserting);
    dbeProcesso->setEnabled(inserting);

    // A meeting in progress keeps its reference, subject, project and responsible.
    if (meetingState == dsBrowse && (m == "A" || m == "P")) {
        for (QWidget* w : std::initializer_list<QWidget*>{
                 lblReferencia, dbeDsReferencia, lblProcesso, lblAssuTare, dbeAssunto, btnAssunto,
                 lblProjeto, dbeCDProjeto, btnProjeto, lblFuncTare, dbeResp, btnRespon})
            w->setEnabled(m == "P");
    }
    verificaSala();
    dtsPadraoStateChange();
}

void TfrmReuniao::setPageEnabled(QWidget* page, bool enabled) {
    page->setEnabled(enabled);
    // Qt moves away from a current tab that gets disabled; the platform keeps the page and
    // only greys its contents, so the current tab keeps its tab enabled.
    const int index = pgcReuniao->indexOf(page);
    if (enabled || page != pgcReuniao->ActivePage()) pgcReuniao->setTabEnabled(index, enabled);
}

void TfrmReuniao::dtsPadraoStateChange() {
    // Runs on every state change of dtsPadrao, also while the window is being built or torn
    // down: nothing to do before the pages exist.
    if (!pgcReuniao || !mnuAta) return;
    const TClientDataSet* d = dtsPadrao.DataSet();
    const TDataSetState s = dtsPadrao.State();
    const bool browse = s == dsBrowse;
    const bool dEmpty = !d || d->IsEmpty();
    const bool dIsControle = d == &cdsControle;
    const bool dIsAtividades = d == &cdsAtividades;
    const bool dIsItemTarefa = d == &cdsItemTarefa;
    const bool dIsDescItTare = d == &cdsDescItTare;
    const std::string m = CurrentLetter(cdsControle, "IDSITTAREFA");
    const std::string t = CurrentLetter(cdsAtividades, "IDSITATIVTAR");
    const bool meetingOpen = m != "X" && m != "C";  // neither cancelled nor concluded
    const bool meetingRows = HasRows(cdsControle);
    const TDataSetState meetingState = cdsControle.State();

    sbtIncluir->setEnabled(
        browse && (dIsControle ||
                   (meetingRows && meetingOpen && (!dIsDescItTare || !HasRows(cdsDescItTare)))));
    sbtAlterar->setEnabled(browse && !dEmpty && t != "X" && t != "C" &&
                           (dIsItemTarefa || (t == "P" && (dIsAtividades || dIsControle))));
    sbtExcluir->setEnabled(browse && !dEmpty &&
                           ((dIsControle || dIsAtividades) ? m == "P" : meetingOpen));
    sbtProcurar->setEnabled(browse && !dIsDescItTare && !dEmpty);
    sbtVerificar->setEnabled(browse);
    sbtConfirmar->setEnabled(Editing(s));
    sbtCancelar->setEnabled(Editing(s));
    const bool dayNavigation = BrowseOrClosed(s) && BrowseOrClosed(meetingState);
    btnIrParaDia->setEnabled(dayNavigation);
    btnHojeDia->setEnabled(dayNavigation);
    sbtImpArq->setEnabled(browse && BrowseOrClosed(meetingState));
    btnCadAuto->setEnabled(pgcReuniao->ActivePage() == tshParticipantes &&
                           !Editing(cdsAtividades.State()) && meetingOpen);
    btnCanReuniao->setEnabled(!Editing(meetingState) && meetingRows && m != "C" && m != "A" &&
                              m != "X");

    setPageEnabled(tshReuniao, BrowseOrClosed(s));
    setPageEnabled(tshFormulario, (!dEmpty && dIsControle) || (browse && !dIsControle));
    setPageEnabled(tshParticipantes, meetingRows && (dIsAtividades || browse));
    setPageEnabled(tshPauta, meetingRows && (dIsItemTarefa || browse));
    setPageEnabled(tshAta, meetingRows && HasRows(cdsItemTarefa) && (browse || dIsDescItTare));

    mnuIrPara->setEnabled(btnIrParaDia->isEnabled());
    mnuHoje->setEnabled(btnHojeDia->isEnabled());
    mnuImportar->setEnabled(sbtImpArq->isEnabled());
    mnuCanReuniao->setEnabled(btnCanReuniao->isEnabled());
    for (auto [item, page] : pageMenuItems())
        item->setEnabled(page->isEnabled());
    mnuFiltro->setEnabled(true);
    mnuCadPart->setEnabled(true);
    updateCalendarExport();
    updateHistory();
    updateSeriesControls();
}
