// The window's life: creation once per IniProc, activation, close, the connection to the
// application server and the server clock.
#include <QApplication>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStackedWidget>

#include <QMainWindow>

#include "base/application_window.h"
#include "base/busy_scope.h"
#include "base/db_grid.h"
#include "base/focus_events.h"
#include "base/guard.h"
#include "base/login_context.h"
#include "base/page_control_ex.h"
#include "base/routines.h"
#include "meeting/cli_zel00400.h"
#include "meeting/frm_reuniao.h"
#include "server/check_server_result.h"

using namespace Cli_zel00400;

namespace {

// Destroys a window whose creation failed, with its MDI frame when it got one.
void DiscardWindow(TfrmReuniao* form) {
    if (!form) return;
    form->netReuniao.Close();
    if (auto* sub = qobject_cast<QMdiSubWindow*>(form->parentWidget())) {
        sub->setWidget(nullptr);
        delete form;
        delete sub;
    } else {
        delete form;
    }
}

}  // namespace

void Cli_zel00400::CriaReuniao() {
    BusyScope busy(ApplicationMainWindow(), 1);
    HourglassCursor hourglass;
    if (!boIdCriado) {
        // Being an MDI child, the window is shown and activated while it is created, so its
        // first activation (which loads the list) runs while boIdCriado is still false.
        auto* form = new TfrmReuniao();
        frmReuniao = form;
        try {
            form->BringToFront();
        } catch (...) {
            frmReuniao = nullptr;
            DiscardWindow(form);
            throw;
        }
        boIdCriado = true;
        return;
    }
    if (frmReuniao) frmReuniao->BringToFront();
}

void TfrmReuniao::BringToFront() {
    // Showing the window makes it the active MDI child; its activation runs here, once, so
    // that CriaReuniao sees what it raises.
    SetActivationSilenced(true);
    ShowAsMdiChild(this);
    SetActivationSilenced(false);
    m_bringingToFront = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{m_bringingToFront};
    FormActivate();
}

// In the host the window lives in an MDI frame: closing the window closes the frame too
// (queued, as the frame closes its window again on its way out).
void TfrmReuniao::closeEvent(QCloseEvent* e) {
    TSimpleFormBase::closeEvent(e);
    // A refused close (the operator kept what he was typing) keeps the frame as well.
    if (!e->isAccepted()) return;
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        QMetaObject::invokeMethod(sub, &QWidget::close, Qt::QueuedConnection);
}

void TfrmReuniao::FormCreate() {
    TSimpleFormBase::FormCreate();
    netReuniao.Open();
    ntbReuniao->setCurrentIndex(0);  // "DEFAULT"
    stOperador = CurrentOperator();
    stData = Date();
}

void TfrmReuniao::FormActivate() {
    update();
    boDiaExato = false;
    const bool first = !boIdCriado;
    // The list page when the window is new or IniProc brings it to the front, unless a record
    // is being typed. Coming back from another window of the host finds the window as it was
    // left.
    if (first || (m_bringingToFront && !HasPendingWork(TReload::Everything)))
        pgcReuniao->SetActivePage(tshReuniao);
    applyCodeMasks();
    if (first) {
        // The list and details are loaded with their controls suspended (resumed also when
        // the load fails).
        cdsItemTarefa.DisableControls();
        cdsDescItTare.DisableControls();
        cdsControle.DisableControls();
        struct Resume {
            TfrmReuniao& f;
            ~Resume() {
                f.cdsControle.EnableControls();
                f.cdsItemTarefa.EnableControls();
                f.cdsDescItTare.EnableControls();
            }
        } resume{*this};
        Atualiza();
        FILTRA_CONTROLE();
    }
    if (pgcReuniao->ActivePage() == tshReuniao && dbgTarefas->isEnabled()) SetFocus(dbgTarefas);
}

// The code pictures of the login: process tree codes and work-item tree codes.
void TfrmReuniao::applyCodeMasks() {
    const std::string processMask = PictureMask(13);
    const std::string workItemMask = PictureMask(15);
    for (TClientDataSet* cds : {&cdsProcesso, &cdsAtividades, &cdsControle, &cdsPesqProc})
        cds->FieldByName("CDARVPROCESS").SetEditMask(processMask);
    for (TClientDataSet* cds : {&cdsPesqItemTrab, &cdsAtividades})
        cds->FieldByName("CDARVITTRAB").SetEditMask(workItemMask);
}

bool TfrmReuniao::FormCloseQuery() {
    KeepPendingWork(TReload::Everything);
    return true;
}

void TfrmReuniao::FormClose() {
    if (m_closed) return;
    m_closed = true;
    boIdCriado = false;
    netReuniao.Close();
    TSimpleFormBase::FormClose();
}

void TfrmReuniao::netReuniaoBeforeConnect(TServerConnection& connection) {
    connection.Host = ServerHost();
    connection.Port = ServerPort();
}

TDateTime TfrmReuniao::HoraServidor() {
    cdsHoraServidor.SetData(
        CheckServerResult(netReuniao.AppServer().Call("getHoraServidor"), true, 0));
    return cdsHoraServidor.FieldByName("SYSDATE").AsDateTime();
}
