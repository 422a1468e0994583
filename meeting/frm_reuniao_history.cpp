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
#include "base/multi_select_keys.h"
#include "base/page_control_ex.h"
#include "meeting/frm_reuniao.h"
#include "meeting/history_dialog.h"
#include "meeting/reuniao_pictures.h"
#include "platform/routines.h"
#include "server/check_server_result.h"

namespace {

using Cli_zel00400::HistoryNames;

std::vector<std::string> Keys(const std::map<std::string, std::string>& codes) {
    std::vector<std::string> keys;
    for (const auto& entry : codes)
        keys.push_back(entry.first);
    return keys;
}

// The names of the operators and rooms the history mentions, asked of the server in one
// call; those it does not answer (removed, or not the caller's to see) stay codes.
HistoryNames NamesOf(TServerConnection& net, const std::string& branch, const DataPacket& history) {
    HistoryNames names;
    const int changes = history.FieldIndex("DSALTERACAO");
    for (const PacketRow& row : history.rows)
        if (changes >= 0 && !row.at(changes).IsNull())
            CollectHistoryCodes(row.at(changes).AsString(), names);
    if (names.operators.empty() && names.rooms.empty()) return names;
    const DataPacket found = DataPacketFromJson(
        CheckServerResult(
            net.AppServer().Call("GetNomesHistorico",
                                 {Arg(branch), Arg(FormatKeyList(Keys(names.operators))),
                                  Arg(FormatKeyList(Keys(names.rooms)))}),
            true, 0)
            .AsPacket());
    const int kind = found.FieldIndex("IDTIPO"), code = found.FieldIndex("CODIGO"),
              name = found.FieldIndex("NOME");
    for (const PacketRow& row : found.rows) {
        auto& target = row.at(kind).AsString() == "S" ? names.rooms : names.operators;
        const auto it = target.find(TrimAll(row.at(code).AsString()));
        if (it != target.end()) it->second = TrimAll(row.at(name).AsString());
    }
    return names;
}

}  // namespace

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
    QPointer<THistoryDialog> dialog =
        new THistoryDialog(this, caption, history, NamesOf(netReuniao, branch, history));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->show();
}
