#include "base/db_navigator.h"

#include <QHBoxLayout>
#include <QToolButton>

#include "base/guard.h"
#include "base/suite_icons.h"
#include "platform/client_data_set.h"

namespace {

struct ButtonInfo {
    TNavigateBtn id;
    SuiteIcon icon;
    const char* hint;
};

const ButtonInfo kButtons[] = {
    {nbFirst, SuiteIcon::First, "Primeiro"},   {nbPrior, SuiteIcon::Prior, "Anterior"},
    {nbNext, SuiteIcon::Next, "Próximo"},      {nbLast, SuiteIcon::Last, "Último"},
    {nbInsert, SuiteIcon::Insert, "Incluir"},  {nbDelete, SuiteIcon::Delete, "Excluir"},
    {nbEdit, SuiteIcon::Edit, "Alterar"},      {nbPost, SuiteIcon::Confirm, "Confirmar"},
    {nbCancel, SuiteIcon::Cancel, "Cancelar"}, {nbRefresh, SuiteIcon::Refresh, "Atualizar"},
};

}  // namespace

TDBNavigator::TDBNavigator(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (const auto& info : kButtons) {
        auto* button = new QToolButton(this);
        button->setIcon(Icon(info.icon));
        button->setToolTip(QString::fromUtf8(info.hint));
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRaise(true);
        layout->addWidget(button);
        m_buttons[info.id] = button;
        connect(button, &QToolButton::clicked, this, [this, id = info.id] { BtnClick(id); });
    }
    SetVisibleButtons({nbFirst, nbPrior, nbNext, nbLast});
    updateButtons();
}

TDBNavigator::~TDBNavigator() {
    if (m_source) m_source->RemoveListener(this);
}

void TDBNavigator::SetDataSource(TDataSource* source) {
    if (m_source == source) return;
    if (m_source) m_source->RemoveListener(this);
    m_source = source;
    if (m_source) m_source->AddListener(this);
    updateButtons();
}

void TDBNavigator::SetVisibleButtons(std::initializer_list<TNavigateBtn> buttons) {
    for (auto& [id, button] : m_buttons)
        button->setVisible(false);
    for (TNavigateBtn id : buttons)
        m_buttons[id]->setVisible(true);
}

QToolButton* TDBNavigator::Button(TNavigateBtn button) const {
    return m_buttons.at(button);
}

void TDBNavigator::DataSourceDestroyed(TDataSource& source) {
    if (m_source == &source) m_source = nullptr;
    updateButtons();
}

bool TDBNavigator::BtnClick(TNavigateBtn button) {
    TClientDataSet* ds = m_source ? m_source->DataSet() : nullptr;
    if (!ds) return false;
    return Guard([&] {
        if (BeforeAction) BeforeAction(button);
        switch (button) {
            case nbFirst:
                ds->First();
                break;
            case nbPrior:
                ds->Prior();
                break;
            case nbNext:
                ds->Next();
                break;
            case nbLast:
                ds->Last();
                break;
            case nbInsert:
                ds->Insert();
                break;
            case nbDelete:
                ds->Delete();
                break;
            case nbEdit:
                ds->Edit();
                break;
            case nbPost:
                ds->Post();
                break;
            case nbCancel:
                ds->Cancel();
                break;
            case nbRefresh:
                break;
        }
        if (OnClick) OnClick(button);
    });
}

void TDBNavigator::updateButtons() {
    TClientDataSet* ds = m_source ? m_source->DataSet() : nullptr;
    const bool active = ds && m_source->State() != dsInactive;
    const bool browsing = active && m_source->State() == dsBrowse;
    const bool editing = active && !browsing;
    const bool empty = !active || ds->IsEmpty();
    const bool atFirst = !active || ds->Bof() || ds->RecNo() <= 1;
    const bool atLast = !active || ds->Eof() || ds->RecNo() >= ds->RecordCount();
    m_buttons[nbFirst]->setEnabled(active && !atFirst);
    m_buttons[nbPrior]->setEnabled(active && !atFirst);
    m_buttons[nbNext]->setEnabled(active && !atLast);
    m_buttons[nbLast]->setEnabled(active && !atLast);
    m_buttons[nbInsert]->setEnabled(browsing);
    m_buttons[nbDelete]->setEnabled(browsing && !empty);
    m_buttons[nbEdit]->setEnabled(browsing && !empty);
    m_buttons[nbPost]->setEnabled(editing);
    m_buttons[nbCancel]->setEnabled(editing);
    m_buttons[nbRefresh]->setEnabled(active);
}
