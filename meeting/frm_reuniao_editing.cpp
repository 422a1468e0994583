// Record editing: the standard buttons as they act on each page, the page menu items and the
// events of cdsControle other than its post (frm_reuniao_saving.cpp).
#include <QAction>
#include <QGroupBox>
#include <QPlainTextEdit>

#include "base/busy_scope.h"
#include "base/date_picker_edit.h"
#include "base/db_edit.h"
#include "base/dialogs.h"
#include "base/guard.h"
#include "base/handler_scope.h"
#include "base/login_context.h"
#include "base/mask_edit.h"
#include "base/page_control_ex.h"
#include "base/routines.h"
#include "meeting/cli_zel00400.h"
#include "meeting/dataset_rows.h"
#include "meeting/frm_reuniao.h"
#include "server/check_server_result.h"

using namespace Cli_zel00400;

namespace {

// The meeting's status letter; "" when there is no current meeting.
std::string MeetingStatus(const TClientDataSet& cds) {
    if (!cds.Active() || cds.IsEmpty()) return {};
    return cds.FieldByName("IDSITTAREFA").AsString();
}

}  // namespace

void TfrmReuniao::attachEditingHandlers() {
    cdsControle.OnNewRecord = [this](TClientDataSet&) { cdsControleNewRecord(); };
    cdsControle.BeforeInsert = [this](TClientDataSet&) { cdsControleBeforeInsert(); };
    cdsControle.BeforeEdit = [this](TClientDataSet&) { cdsControleBeforeEdit(); };
    cdsControle.BeforePost = [this](TClientDataSet&) { cdsControleBeforePost(); };
    cdsControle.AfterPost = [this](TClientDataSet&) { cdsControleAfterPost(); };
    cdsControle.AfterCancel = [this](TClientDataSet&) { cdsControleAfterCancel(); };
    cdsControle.BeforeDelete = [this](TClientDataSet&) { cdsControleBeforeDelete(); };
    cdsControle.AfterDelete = [this](TClientDataSet&) { cdsControleAfterDelete(); };
    const std::function<void()> pageHandlers[] = {
        [this] { mnuReuniaoClick(); }, [this] { mnuFormularioClick(); },
        [this] { mnuParticipantesClick(); }, [this] { mnuPautaClick(); },
        [this] { mnuAtaClick(); }};
    const auto items = pageMenuItems();
    for (size_t i = 0; i < items.size(); ++i)
        connect(items[i].first, &QAction::triggered, this,
                [handler = pageHandlers[i]] { Guard(handler); });
}

bool TfrmReuniao::EditandoReuniao() const {
    return Editing(cdsControle) || Editing(cdsAgeAtiviSala);
}

// --- buttons ---

void TfrmReuniao::sbtIncluirClick() {
    QWidget* page = pgcReuniao->ActivePage();
    if (page == tshReuniao || page == tshFormulario) {
        includeMeeting();
    } else if (page == tshParticipantes) {
        cdsAtividades.Insert();
        cdsAtividades.FieldByName("CDARVPROCESS").FocusControl();
        cdsAtividades.FieldByName("IDOPERPAREUNIAO").SetAsString("N");
    } else if (TClientDataSet* d = dtsPadrao.DataSet()) {
        d->Insert();
    }
    dtsPadraoStateChange();
}

void TfrmReuniao::includeMeeting() {
    // A new meeting has no details: what is typed in the current one's is kept first.
    KeepPendingWork(TReload::Details);
    SetChildrenEnabled(grbFormulario, true);
    for (QWidget* w : std::initializer_list<QWidget*>{dbeNmProcesso, dbeNmResp, dbeNmAssunto,
                                                      dbeNMProjeto, depDataFin, medHoraFin})
        w->setEnabled(false);
    pgcReuniao->SetActivePage(tshFormulario);
    if (!cdsAgeAtiviSala.Active()) cdsAgeAtiviSala.CreateDataSet();
    cdsAgeAtiviSala.Insert();
    try {
        cdsControle.Insert();
    } catch (...) {
        if (Editing(cdsAgeAtiviSala)) cdsAgeAtiviSala.Cancel();
        throw;
    }
    resetRepeatChoice(Date());
    SetFocus(dbeDsReferencia);
}

void TfrmReuniao::sbtAlterarClick() {
    QWidget* page = pgcReuniao->ActivePage();
    if (page == tshReuniao || page == tshFormulario)
        changeMeeting();
    else if (TClientDataSet* d = dtsPadrao.DataSet())
        d->Edit();
}

void TfrmReuniao::changeMeeting() {
    // Saving the meeting reloads its details.
    KeepPendingWork(TReload::Details);
    pgcReuniao->SetActivePage(tshFormulario);
    SetFocus(dbeDsReferencia);
    // The booking and the meeting leave browse together or not at all: a refused edit of the
    // meeting takes the booking back out of edit.
    try {
        if (!cdsAgeAtiviSala.Active()) cdsAgeAtiviSala.CreateDataSet();
        cdsAgeAtiviSala.Edit();
        cdsControle.Edit();
    } catch (...) {
        if (!Editing(cdsControle) && Editing(cdsAgeAtiviSala)) cdsAgeAtiviSala.Cancel();
        throw;
    }
}

void TfrmReuniao::sbtExcluirClick() {
    QWidget* page = pgcReuniao->ActivePage();
    TClientDataSet* d = dtsPadrao.DataSet();
    if (page == tshReuniao || page == tshFormulario) {
        deleteMeeting();
        return;
    }
    if (!d || d->IsEmpty()) return;
    if (msgMensagensPadroes.ShowMsg("Excl", TMsgDlgType::mtConfirmation, mbYes | mbNo) == mrYes)
        d->Delete();
}

void TfrmReuniao::deleteMeeting() {
    if (!cdsControle.Active() || cdsControle.IsEmpty()) return;
    KeepPendingWork(TReload::Everything);
    if (msgMensagensPadroes.ShowMsg("Excl", TMsgDlgType::mtConfirmation, mbYes | mbNo) != mrYes)
        return;
    // Only a pending meeting may go; its activities are not removed for one that may not.
    if (MeetingStatus(cdsControle) != "P") throw EAbort();
    CheckServerResult(netReuniao.AppServer().Call(
                          "GetDelAtiv", {Arg(CurrentBranch()),
                                         Arg(cdsControle.FieldByName("NRTAREFA").AsString())}),
                      true, 0);
    cdsControle.Delete();
    sbtVerificarClick();
}

void TfrmReuniao::sbtProcurarClick() {
    QWidget* page = pgcReuniao->ActivePage();
    TClientDataSet* d = nullptr;
    if (page == tshReuniao || page == tshFormulario)
        d = dtsPadrao.DataSet();
    else if (page == tshParticipantes)
        d = &cdsAtividades;
    else if (page == tshPauta)
        d = &cdsItemTarefa;
    if (d && d->Active()) FindRecordDialog(*d);
}

void TfrmReuniao::sbtConfirmarClick() {
    QWidget* page = pgcReuniao->ActivePage();
    if (page == tshFormulario)
        cdsControle.Post();
    else if (page == tshReuniao)
        TSimpleFormBase::sbtConfirmarClick();
    else if (TClientDataSet* d = dtsPadrao.DataSet())
        d->Post();
}

void TfrmReuniao::sbtCancelarClick() {
    QWidget* page = pgcReuniao->ActivePage();
    TClientDataSet* d =
        (page == tshReuniao || page == tshFormulario) ? &cdsControle : dtsPadrao.DataSet();
    if (d && (Editing(*d) || (d == &cdsControle && EditandoReuniao())) &&
        msgMensagensPadroes.ShowMsg("Canc", TMsgDlgType::mtConfirmation, mbYes | mbNo) == mrYes) {
        d->Cancel();
        if (d == &cdsControle) sbtVerificarClick();
    }
    if (page == tshPauta) {
        const bool hasItem = cdsItemTarefa.Active() && !cdsItemTarefa.IsEmpty();
        if (hasItem)
            memObs->setPlainText(
                QString::fromStdString(cdsItemTarefa.FieldByName("TXPLANITTARE").AsString()));
        else
            memObs->clear();
    }
    dtsPadraoStateChange();
}

void TfrmReuniao::sbtImprimirClick() {
    // The report walks the agenda and reloads the minutes: what is typed there is saved
    // first, so the report prints it.
    KeepPendingWork(TReload::Agenda, TPendingEdit::Post);
    if (const auto& open = DialogHooks().relAta) open();
}

// --- page menu items ---

std::array<std::pair<QAction*, QWidget*>, 5> TfrmReuniao::pageMenuItems() const {
    return {{{mnuReuniao, tshReuniao},
             {mnuFormulario, tshFormulario},
             {mnuParticipantes, tshParticipantes},
             {mnuPauta, tshPauta},
             {mnuAta, tshAta}}};
}

void TfrmReuniao::selectPageFromMenu(QWidget* page) {
    pgcReuniao->SetActivePage(page);
    for (auto [item, p] : pageMenuItems())
        item->setChecked(p == page);
    dtsPadraoStateChange();
}

void TfrmReuniao::mnuReuniaoClick() {
    selectPageFromMenu(tshReuniao);
}
void TfrmReuniao::mnuFormularioClick() {
    selectPageFromMenu(tshFormulario);
}
void TfrmReuniao::mnuParticipantesClick() {
    selectPageFromMenu(tshParticipantes);
}
void TfrmReuniao::mnuPautaClick() {
    selectPageFromMenu(tshPauta);
}
void TfrmReuniao::mnuAtaClick() {
    selectPageFromMenu(tshAta);
}

// --- events of cdsControle ---

void TfrmReuniao::cdsControleNewRecord() {
    {
        DetachedHandler quiet(medQtdeHoras->OnChange);
        for (TMaskEdit* e : {medHoraIni, medHoraFin, medQtdeHoras})
            e->SetText({});
    }
    depDataIni->SetText({});
    depDataFin->SetText({});
    medQtdeHoras->OnExit = [this] { medQtdeHorasExit(); };
}

void TfrmReuniao::cdsControleBeforeInsert() {
    if (!cdsAgeAtiviSala.Active()) cdsAgeAtiviSala.CreateDataSet();
    if (cdsAgeAtiviSala.State() == dsBrowse) cdsAgeAtiviSala.Insert();
    if (cdsControle.Active() && !cdsControle.IsEmpty())
        stCodLocate = cdsControle.FieldByName("NRTAREFA").AsString();
}

void TfrmReuniao::cdsControleBeforeEdit() {
    stCodLocate = cdsControle.FieldByName("NRTAREFA").AsString();
    const std::string m = MeetingStatus(cdsControle);
    if (!boEdit || m == "X" || m == "C") throw EAbort();
    if (cdsAgeAtiviSala.State() == dsBrowse) {
        // The booking's own after-edit would put the meeting into edit a second time.
        DetachedHandler quiet(cdsAgeAtiviSala.AfterEdit);
        cdsAgeAtiviSala.Edit();
    }
}

void TfrmReuniao::cdsControleBeforeDelete() {
    if (MeetingStatus(cdsControle) != "P") throw EAbort();
}

void TfrmReuniao::cdsControleAfterCancel() {
    if (Editing(cdsAgeAtiviSala)) cdsAgeAtiviSala.Cancel();
    m_oldBookingGoes = false;
    if (m_unsent.pending) {
        // The operator gives up what the server did not take: nothing of it may be sent later
        // with another meeting's changes.
        m_unsent = {};
        cdsControle.CancelUpdates();
        cdsAgeAtiviSala.CancelUpdates();
    }
    cdsControle.Locate("NRTAREFA", {Variant(stCodLocate)}, {loCaseInsensitive});
    cdsControleAfterScroll();
}

void TfrmReuniao::cdsControleAfterDelete() {
    if (cdsControle.ChangeCount() == 0) return;
    {
        BusyScope busy(this, 1);
        CheckServerResult(netReuniao.AppServer().Call("SetControle", {Arg(cdsControle.Delta())}),
                          true, 0);
    }
    // Sent: a later send must not repeat the delete.
    cdsControle.MergeChangeLog();
}

void TfrmReuniao::CarregaAtividades() {
    KeepPendingWork(TReload::Activities);
    const std::string meeting = cdsControle.Active() && !cdsControle.IsEmpty()
                                    ? cdsControle.FieldByName("NRTAREFA").AsString()
                                    : std::string();
    cdsAtividades.SetData(CheckServerResult(
        netReuniao.AppServer().Call("GetAtividades", {Arg(CurrentBranch()), Arg(meeting)}), true,
        0));
}

void TfrmReuniao::RecarregaReuniao() {
    if (boDiaExato)
        CarregaControle();
    else
        Atualiza();
    if (!cdsControle.Locate("NRTAREFA", {Variant(stCodLocate)}, {loCaseInsensitive}))
        cdsControleAfterScroll();
}
