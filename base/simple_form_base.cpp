#include "base/simple_form_base.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QVBoxLayout>

#include "base/dialogs.h"
#include "base/focus_events.h"
#include "base/guard.h"
#include "base/suite_icons.h"
#include "messages/message_tables.h"
#include "platform/client_data_set.h"
#include "platform/exceptions.h"

TSimpleFormBase::TSimpleFormBase(QWidget* parent)
    : QWidget(parent), msgMensagensPadroes(MeetingWindowStandardMessages()) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    mnuMenu = new QMenuBar(this);
    mnuMenu->setObjectName("mnuMenu");
    mnuOperacao = mnuMenu->addMenu(QStringLiteral("&Operação"));
    mnuOperacao->setObjectName("mnuOperacao");
    mnuManutencao = mnuMenu->addMenu(QStringLiteral("&Manutenção"));
    mnuManutencao->setObjectName("mnuManutencao");
    layout->setMenuBar(mnuMenu);

    panMenu = new QFrame(this);
    panMenu->setObjectName("panMenu");
    panMenu->setFrameShape(QFrame::StyledPanel);
    panMenuLayout = new QHBoxLayout(panMenu);
    panMenuLayout->setContentsMargins(2, 2, 2, 2);
    panMenuLayout->setSpacing(1);
    using I = SuiteIcon;
    sbtConfirmar = addButton("sbtConfirmar", I::Confirm, "Confirmar");
    sbtCancelar = addButton("sbtCancelar", I::Cancel, "Cancelar");
    sbtIncluir = addButton("sbtIncluir", I::Insert, "Incluir");
    sbtAlterar = addButton("sbtAlterar", I::Edit, "Alterar");
    sbtExcluir = addButton("sbtExcluir", I::Delete, "Excluir");
    sbtProcurar = addButton("sbtProcurar", I::Find, "Procurar");
    sbtVerificar = addButton("sbtVerificar", I::Refresh, "Atualizar");
    sbtImprimir = addButton("sbtImprimir", I::Print, "Imprimir");
    sbtAjuda = addButton("sbtAjuda", I::Help, "Ajuda");
    sbtFechar = addButton("sbtFechar", I::Close, "Fechar");
    dbtNome = new QLabel(panMenu);
    dbtNome->setObjectName("dbtNome");
    panMenuLayout->addStretch(1);
    panMenuLayout->addWidget(dbtNome);
    layout->addWidget(panMenu);

    m_client = new QWidget(this);
    layout->addWidget(m_client, 1);
    lblCodTela = new QLabel(this);
    lblCodTela->setObjectName("lblCodTela");
    lblCodTela->setAlignment(Qt::AlignRight);
    layout->addWidget(lblCodTela);

    sbtConfirmar->OnClick = [this] {
        LeaveFocusedControl();
        sbtConfirmarClick();
    };
    sbtCancelar->OnClick = [this] { sbtCancelarClick(); };
    sbtIncluir->OnClick = [this] { sbtIncluirClick(); };
    sbtAlterar->OnClick = [this] { sbtAlterarClick(); };
    sbtExcluir->OnClick = [this] { sbtExcluirClick(); };
    sbtProcurar->OnClick = [this] { sbtProcurarClick(); };
    sbtVerificar->OnClick = [this] { sbtVerificarClick(); };
    sbtImprimir->OnClick = [this] { sbtImprimirClick(); };
    sbtAjuda->OnClick = [this] { sbtAjudaClick(); };
    sbtFechar->OnClick = [this] { sbtFecharClick(); };
    dtsPadrao.OnStateChange = [this](TDataSource&) { dtsPadraoStateChange(); };
    // Standard buttons start disabled; the state rules enable them.
    for (TFlatButton* b :
         {sbtConfirmar, sbtCancelar, sbtIncluir, sbtAlterar, sbtExcluir, sbtProcurar, sbtVerificar})
        b->setEnabled(false);
    mnuConfirmar = addButtonItem(sbtConfirmar, "mnuConfirmar");
    mnuCancelar = addButtonItem(sbtCancelar, "mnuCancelar");
    mnuIncluir = addButtonItem(sbtIncluir, "mnuIncluir");
    mnuAlterar = addButtonItem(sbtAlterar, "mnuAlterar");
    mnuExcluir = addButtonItem(sbtExcluir, "mnuExcluir");
    mnuProcurar = addButtonItem(sbtProcurar, "mnuProcurar");
    mnuVerificar = addButtonItem(sbtVerificar, "mnuVerificar");
}

TSimpleFormBase::~TSimpleFormBase() = default;

TFlatButton* TSimpleFormBase::addButton(const char* name, SuiteIcon icon, const char* hint) {
    auto* b = new TFlatButton(panMenu);
    b->setObjectName(QString::fromLatin1(name));
    b->setIcon(Icon(icon));
    b->setToolTip(QString::fromUtf8(hint));
    panMenuLayout->addWidget(b);
    return b;
}

QAction* TSimpleFormBase::addButtonItem(TFlatButton* button, const char* name) {
    QAction* item = mnuManutencao->addAction(button->toolTip());
    item->setObjectName(QString::fromLatin1(name));
    item->setEnabled(button->isEnabled());
    m_buttonItems.emplace_back(button, item);
    connect(item, &QAction::triggered, button, [button] { button->Click(); });
    // The button's enabled state is set from many places; the item follows its changes.
    button->installEventFilter(this);
    return item;
}

bool TSimpleFormBase::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::EnabledChange) {
        for (auto [button, item] : m_buttonItems)
            if (button == watched) item->setEnabled(static_cast<QWidget*>(watched)->isEnabled());
    }
    return QWidget::eventFilter(watched, e);
}

void TSimpleFormBase::Create() {
    Guard([this] { FormCreate(); });
}

namespace {

bool Pending(const TClientDataSet* ds) {
    return ds && (ds->State() == dsEdit || ds->State() == dsInsert);
}

}  // namespace

void TSimpleFormBase::KeepPendingEdits(const std::vector<TClientDataSet*>& dataSets,
                                       TPendingEdit rule, const std::string& refusalKey) {
    std::vector<TClientDataSet*> pending;
    for (TClientDataSet* ds : dataSets)
        if (Pending(ds)) pending.push_back(ds);
    if (pending.empty()) return;
    switch (rule) {
        case TPendingEdit::Refuse:
            if (!refusalKey.empty() && msgPadrao)
                msgPadrao->ShowMsg(refusalKey, TMsgDlgType::mtInformation, mbOK);
            throw EAbort();
        case TPendingEdit::Ask:
            if (msgMensagensPadroes.ShowMsg("Canc", TMsgDlgType::mtConfirmation, mbYes | mbNo) !=
                mrYes)
                throw EAbort();
            // Cancelling one record may reload others (a meeting's cancel reloads its
            // details): each is cancelled only while it is still pending.
            for (TClientDataSet* ds : pending)
                if (Pending(ds)) ds->Cancel();
            return;
        case TPendingEdit::Post:
            for (TClientDataSet* ds : pending)
                if (Pending(ds)) ds->Post();
            return;
    }
}

void TSimpleFormBase::LeaveFocusedControl() {
    QWidget* focus = QApplication::focusWidget();
    if (!focus || !isAncestorOf(focus)) return;
    if (TFocusEvents* control = FocusOwnerOf(focus)) control->DoExit();
}

bool TSimpleFormBase::FormCloseQuery() {
    KeepPendingEdits({dtsPadrao.DataSet()}, TPendingEdit::Ask);
    return true;
}

void TSimpleFormBase::sbtConfirmarClick() {
    if (TClientDataSet* ds = dtsPadrao.DataSet()) ds->Post();
}

void TSimpleFormBase::sbtCancelarClick() {
    TClientDataSet* ds = dtsPadrao.DataSet();
    if (!ds) return;
    if (msgMensagensPadroes.ShowMsg("Canc", TMsgDlgType::mtConfirmation, mbYes | mbNo) == mrYes)
        ds->Cancel();
}

void TSimpleFormBase::sbtIncluirClick() {
    if (TClientDataSet* ds = dtsPadrao.DataSet()) ds->Insert();
}

void TSimpleFormBase::sbtAlterarClick() {
    if (TClientDataSet* ds = dtsPadrao.DataSet()) ds->Edit();
}

void TSimpleFormBase::sbtExcluirClick() {
    TClientDataSet* ds = dtsPadrao.DataSet();
    if (!ds || ds->IsEmpty()) return;
    if (msgMensagensPadroes.ShowMsg("Excl", TMsgDlgType::mtConfirmation, mbYes | mbNo) == mrYes)
        ds->Delete();
}

void TSimpleFormBase::sbtProcurarClick() {
    if (TClientDataSet* ds = dtsPadrao.DataSet()) FindRecordDialog(*ds);
}

void TSimpleFormBase::sbtFecharClick() {
    close();
}

void TSimpleFormBase::dtsPadraoStateChange() {
    const TDataSetState state = dtsPadrao.State();
    const bool browsing = state == dsBrowse;
    const bool editing = state == dsEdit || state == dsInsert;
    const bool hasRows = browsing && dtsPadrao.DataSet() && !dtsPadrao.DataSet()->IsEmpty();
    sbtConfirmar->setEnabled(editing);
    sbtCancelar->setEnabled(editing);
    sbtIncluir->setEnabled(browsing);
    sbtAlterar->setEnabled(hasRows);
    sbtExcluir->setEnabled(hasRows);
    sbtProcurar->setEnabled(hasRows);
    sbtVerificar->setEnabled(browsing);
}

bool TSimpleFormBase::event(QEvent* e) {
    if (e->type() == QEvent::ParentChange || e->type() == QEvent::Show) watchMdiActivation();
    return QWidget::event(e);
}

void TSimpleFormBase::watchMdiActivation() {
    auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget());
    QMdiArea* area = sub ? sub->mdiArea() : nullptr;
    if (!area || area == m_watchedArea) return;
    m_watchedArea = area;
    m_lastActiveSub = area->activeSubWindow();
    connect(area, &QMdiArea::subWindowActivated, this,
            [this](QMdiSubWindow* w) { mdiSubWindowActivated(w); });
}

void TSimpleFormBase::mdiSubWindowActivated(QWidget* subWindow) {
    // A modal box takes the activation from the whole main window: the area reports no active
    // child, then the same child again. Only a change of child is an activation.
    if (!subWindow || subWindow == m_lastActiveSub) return;
    m_lastActiveSub = subWindow;
    if (subWindow == parentWidget() && !m_activationSilenced) Guard([this] { FormActivate(); });
}

void TSimpleFormBase::closeEvent(QCloseEvent* e) {
    if (m_closing) {
        e->accept();
        return;
    }
    bool canClose = true;
    if (!Guard([&] { canClose = FormCloseQuery(); })) canClose = false;
    if (!canClose) {
        e->ignore();
        return;
    }
    m_closing = true;
    Guard([this] { FormClose(); });
    m_closing = false;
    e->accept();
}
