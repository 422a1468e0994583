// The window's own buttons in the top panel, the bottom bar (navigator, description, status
// tool bar) and the main menu entries.
#include <QAction>
#include <QFont>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QToolBar>
#include <QVBoxLayout>

#include "base/buttons.h"
#include "base/db_grid.h"
#include "base/db_navigator.h"
#include "base/page_control_ex.h"
#include "meeting/frm_reuniao.h"
#include "meeting/reuniao_pictures.h"

using reuniao::ReuniaoIcon;

namespace {

TFlatButton* NewFlatButton(QWidget* parent, const char* name, reuniao::ReuniaoImage picture,
                           const QString& hint) {
    auto* button = new TFlatButton(parent);
    button->setObjectName(name);
    button->setIcon(ReuniaoIcon(picture));
    button->setToolTip(hint);
    return button;
}

TToolButtonEx* NewStatusButton(QToolBar* bar, const char* name, reuniao::ReuniaoImage picture,
                               const QString& hint, bool down) {
    auto* button = new TToolButtonEx(bar);
    button->setObjectName(name);
    button->setCheckable(true);
    button->SetDown(down);
    button->setIcon(ReuniaoIcon(picture));
    button->setToolTip(hint);
    bar->addWidget(button);
    return button;
}

QLabel* NewPicture(QWidget* parent, const char* name, const QPixmap& picture) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setPixmap(picture);
    label->setFixedSize(16, 16);
    label->hide();
    return label;
}

QAction* NewMenuItem(QMenu* menu, const char* name, const QString& caption,
                     const QKeySequence& shortcut = {}) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    if (!shortcut.isEmpty()) action->setShortcut(shortcut);
    return action;
}

}  // namespace

void TfrmReuniao::buildTopPanel() {
    btnFiltro = NewFlatButton(panMenu, "btnFiltro", reuniao::imgFilter, QStringLiteral("Filtrar"));
    btnIrParaDia =
        NewFlatButton(panMenu, "btnIrParaDia", reuniao::imgGoToDay, QStringLiteral("Ir Para"));
    btnHojeDia = NewFlatButton(panMenu, "btnHojeDia", reuniao::imgToday, QStringLiteral("Hoje"));
    sbtImpArq = NewFlatButton(panMenu, "sbtImpArq", reuniao::imgImport,
                              QStringLiteral("Importar Reunião Anterior"));
    btnCadAuto = NewFlatButton(panMenu, "btnCadAuto", reuniao::imgParticipants,
                               QStringLiteral("Cadastro Automático de Participantes"));
    btnCadAuto->setEnabled(false);
    btnCanReuniao = NewFlatButton(panMenu, "btnCanReuniao", reuniao::imgCancelMeeting,
                                  QStringLiteral("Cancela Reunião"));
    // After the standard buttons, before the stretch that pushes dbtNome to the right.
    int at = panMenuLayout->indexOf(sbtFechar) + 1;
    for (QWidget* w : {static_cast<QWidget*>(btnFiltro), static_cast<QWidget*>(btnIrParaDia),
                       static_cast<QWidget*>(btnHojeDia), static_cast<QWidget*>(sbtImpArq),
                       static_cast<QWidget*>(btnCadAuto), static_cast<QWidget*>(btnCanReuniao)})
        panMenuLayout->insertWidget(at++, w);

    imgChecked = NewPicture(panMenu, "imgChecked", reuniao::CheckedPicture());
    imgUnchecked = NewPicture(panMenu, "imgUnchecked", reuniao::UncheckedPicture());
}

void TfrmReuniao::buildBottomBar() {
    Panel3 = new QFrame(ClientArea());
    Panel3->setObjectName("Panel3");
    Panel3->setFrameShape(QFrame::StyledPanel);
    auto* row = new QHBoxLayout(Panel3);
    row->setContentsMargins(2, 1, 2, 1);

    dbnPadrao = new TDBNavigator(Panel3);
    dbnPadrao->setObjectName("dbnPadrao");
    dbnPadrao->SetVisibleButtons({nbFirst, nbPrior, nbNext, nbLast});
    dbnPadrao->SetDataSource(&dtsPadrao);

    dbtNavigator = new QLabel(Panel3);
    dbtNavigator->setObjectName("dbtNavigator");
    QFont bold = dbtNavigator->font();
    bold.setBold(true);
    dbtNavigator->setFont(bold);

    tbtFiltro = new QToolBar(Panel3);
    tbtFiltro->setObjectName("tbtFiltro");
    tbtFiltro->setIconSize(QSize(16, 16));
    tbtPendente = NewStatusButton(tbtFiltro, "tbtPendente", reuniao::imgPending,
                                  QStringLiteral("Pendente"), true);
    tbtAndamento = NewStatusButton(tbtFiltro, "tbtAndamento", reuniao::imgInProgress,
                                   QStringLiteral("Em Andamento"), true);
    tbtCancelada = NewStatusButton(tbtFiltro, "tbtCancelada", reuniao::imgCancelled,
                                   QStringLiteral("Cancelada"), false);
    tbtConcluida = NewStatusButton(tbtFiltro, "tbtConcluida", reuniao::imgConcluded,
                                   QStringLiteral("Concluída"), false);
    tbtPendente->OnClick = [this] { tbtPendenteClick(); };
    tbtAndamento->OnClick = [this] { tbtAndamentoClick(); };
    tbtCancelada->OnClick = [this] { tbtCanceladaClick(); };
    tbtConcluida->OnClick = [this] { tbtConcluidaClick(); };

    row->addWidget(dbnPadrao);
    row->addWidget(dbtNavigator, 1);
    row->addWidget(tbtFiltro);
    m_clientLayout->addWidget(Panel3);
}

void TfrmReuniao::buildMenu() {
    mnuReuniao = NewMenuItem(mnuOperacao, "mnuReuniao", QStringLiteral("&Reunião"));
    mnuFormulario = NewMenuItem(mnuOperacao, "mnuFormulario", QStringLiteral("&Formulário"));
    mnuParticipantes =
        NewMenuItem(mnuOperacao, "mnuParticipantes", QStringLiteral("Part&icipantes"));
    mnuPauta = NewMenuItem(mnuOperacao, "mnuPauta", QStringLiteral("&Pauta"));
    mnuAta = NewMenuItem(mnuOperacao, "mnuAta", QStringLiteral("A&ta"));
    mnuOperacao->addSeparator();
    for (auto [item, page] : pageMenuItems())
        item->setCheckable(true);
    mnuReuniao->setChecked(true);

    mnuManutencao->addSeparator();
    mnuFiltro = NewMenuItem(mnuManutencao, "mnuFiltro", QStringLiteral("Filtrar"),
                            QKeySequence(Qt::CTRL | Qt::Key_L));
    mnuIrPara = NewMenuItem(mnuManutencao, "mnuIrPara", QStringLiteral("Ir Para "),
                            QKeySequence(Qt::CTRL | Qt::Key_I));
    mnuHoje = NewMenuItem(mnuManutencao, "mnuHoje", QStringLiteral("Hoje"),
                          QKeySequence(Qt::CTRL | Qt::Key_H));
    mnuImportar = NewMenuItem(mnuManutencao, "mnuImportar", QStringLiteral("Importar Pauta"),
                              QKeySequence(Qt::CTRL | Qt::Key_M));
    mnuCadPart = NewMenuItem(mnuManutencao, "mnuCadPart", QStringLiteral("Cad. Participante"),
                             QKeySequence(Qt::CTRL | Qt::Key_A));
    mnuCanReuniao = NewMenuItem(mnuManutencao, "mnuCanReuniao", QStringLiteral("Cancela Reunião"));
    // The shortcuts work wherever the focus is inside the window.
    for (QAction* a : {mnuFiltro, mnuIrPara, mnuHoje, mnuImportar, mnuCadPart, mnuCanReuniao}) {
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(a);
    }
}
