// A meeting's history: the button and menu entry "Histórico" on the list and form pages show
// every recorded change of the current meeting (the server records them; the window only
// reads them).
#include <QAction>
#include <QBoxLayout>
#include <QFrame>
#include <QIcon>
#include <QMenu>
#include <QPointer>

#include "base/buttons.h"
#include "base/guard.h"
#include "base/page_control_ex.h"
#include "meeting/frm_reuniao.h"
#include "meeting/history_dialog.h"
#include "meeting/reuniao_pictures.h"
#include "platform/routines.h"
#include "server/check_server_result.h"

void TfrmReuniao::buildHistory() {
    btnHistorico = new TFlatButton(panMenu);
    btnHistorico->setObjectName("btnHistorico");
    btnHistorico->setIcon(
        QIcon::fromTheme("document-open-recent", reuniao::ReuniaoIcon(reuniao::imgToday)));
    btnHistorico->setToolTip(QStringLiteral("Histórico"));
    panMenuLayout->insertWidget(panMenuLayout->indexOf(btnExpCalendario) + 1, btnHistorico);
    mnuHistorico = mnuManutencao->addAction(QStringLiteral("Histórico..."));
    mnuHistorico->setObjectName("mnuHistorico");
    btnHistorico->OnClick = [this] { btnHistoricoClick(); };
    connect(mnuHistorico, &QAction::triggered, this,
            [this] { Guard([this] { btnHistoricoClick(); }); });
}

void TfrmReuniao::updateHistory() {
    if (!btnHistorico) return;  // the enabling rules also run while the window is built
    const QWidget* page = pgcReuniao->ActivePage();
    const bool on = (page == tshReuniao || page == tshFormulario) && cdsControle.Active() &&
                    !cdsControle.IsEmpty() && cdsControle.State() != dsInsert;
    btnHistorico->setEnabled(on);
    mnuHistorico->setEnabled(on);
}

void TfrmReuniao::btnHistoricoClick() {
    if (!cdsControle.Active() || cdsControle.IsEmpty()) throw EAbort();
    KeepPendingWork(TReload::Everything, TPendingEdit::Refuse, "hist_dig");
    std::string branch = cdsControle.FieldByName("CDFILIAL").AsString();
    std::string number = cdsControle.FieldByName("NRTAREFA").AsString();
    const DataPacket history = DataPacketFromJson(
        CheckServerResult(netReuniao.AppServer().Call("GetHistorico", {Arg(branch), Arg(number)}),
                          true, 0)
            .AsPacket());
    const std::string caption = "Reunião " + TrimAll(number) + " - " +
                                TrimAll(cdsControle.FieldByName("DSREFETAREFA").AsString());
    QPointer<THistoryDialog> dialog = new THistoryDialog(this, caption, history);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->show();
}
