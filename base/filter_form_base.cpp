#include "base/filter_form_base.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QRadioButton>
#include <QSettings>
#include <QShowEvent>
#include <QStyle>
#include <QVBoxLayout>

#include "base/buttons.h"
#include "base/date_picker_edit.h"
#include "base/guard.h"
#include "platform/exceptions.h"

namespace {

constexpr const char* kOptionGroup = "Opcoes";

}  // namespace

TFilterFormBase::TFilterFormBase(QWidget* parent) : QDialog(parent) {
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);

    auto* panBotoes = new QFrame(this);
    panBotoes->setObjectName("panBotoes");
    panBotoes->setFrameShape(QFrame::StyledPanel);
    auto* buttons = new QHBoxLayout(panBotoes);
    buttons->setContentsMargins(2, 2, 2, 2);
    sbtConfirma = PanelButton(panBotoes, "sbtConfirma", QStringLiteral("Confirma"),
                              QStyle::SP_DialogApplyButton);
    sbtCancel = PanelButton(panBotoes, "sbtCancel", QStringLiteral("Cancela"),
                            QStyle::SP_DialogCancelButton);
    sbtOpcoes = PanelButton(panBotoes, "sbtOpcoes", QStringLiteral("Opções"),
                            QStyle::SP_FileDialogDetailedView);
    ppmOpcoes = new QMenu(this);
    ppmOpcoes->setObjectName("ppmOpcoes");
    btfSaveOpc = ppmOpcoes->addAction(QStringLiteral("Salvar Opções"));
    btfSaveOpc->setObjectName("btfSaveOpc");
    btfLoadOpc = ppmOpcoes->addAction(QStringLiteral("Carregar Opções"));
    btfLoadOpc->setObjectName("btfLoadOpc");
    buttons->addWidget(sbtConfirma);
    buttons->addWidget(sbtCancel);
    buttons->addStretch(1);
    buttons->addWidget(sbtOpcoes);
    layout->addWidget(panBotoes);

    grbFiltroPadrao = new QGroupBox(this);
    grbFiltroPadrao->setObjectName("grbFiltroPadrao");
    grbFiltroPadraoLayout = new QVBoxLayout(grbFiltroPadrao);
    layout->addWidget(grbFiltroPadrao, 1);

    lblCodTela = new QLabel(this);
    lblCodTela->setObjectName("lblCodTela");
    lblCodTela->setAlignment(Qt::AlignRight);
    layout->addWidget(lblCodTela);

    sbtConfirma->OnClick = [this] { sbtConfirmaClick(); };
    sbtCancel->OnClick = [this] { sbtCancelClick(); };
    sbtOpcoes->OnClick = [this] {
        ppmOpcoes->popup(sbtOpcoes->mapToGlobal(QPoint(0, sbtOpcoes->height())));
    };
    connect(btfSaveOpc, &QAction::triggered, this,
            [this] { Guard([this] { btfSaveOpcClick(); }); });
    connect(btfLoadOpc, &QAction::triggered, this,
            [this] { Guard([this] { btfLoadOpcClick(); }); });
}

TFilterFormBase::~TFilterFormBase() = default;

void TFilterFormBase::Create() {
    Guard([this] { FormCreate(); });
}

void TFilterFormBase::sbtCancelClick() {
    QDialog::reject();
}

void TFilterFormBase::reject() {
    if (!Guard([this] { sbtCancelClick(); })) return;
    // A derived cancel that did not call the base still ends the dialog.
    if (isVisible()) QDialog::reject();
}

void TFilterFormBase::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) Guard([this] { FormActivate(); });
}

QString TFilterFormBase::SettingsGroup() const {
    const QString code = lblCodTela->text().trimmed();
    return code.isEmpty() ? objectName() : code;
}

void TFilterFormBase::openSettings(QSettings& settings) const {
    settings.beginGroup(SettingsGroup());
}

void TFilterFormBase::SetOption(const std::string& key, const std::string& value) {
    m_options[key] = value;
}

std::string TFilterFormBase::Option(const std::string& key, const std::string& fallback) const {
    auto it = m_options.find(key);
    return it == m_options.end() ? fallback : it->second;
}

std::string TFilterFormBase::SavedOption(const std::string& key,
                                         const std::string& fallback) const {
    QSettings settings;
    openSettings(settings);
    const QString name = QString::fromLatin1(kOptionGroup) + '/' + QString::fromStdString(key);
    if (!settings.contains(name)) return fallback;
    return settings.value(name).toString().toStdString();
}

void TFilterFormBase::btfSaveOpcClick() {
    QSettings settings;
    openSettings(settings);
    settings.remove(QString());  // what an earlier save kept and this one lacks goes
    for (QCheckBox* c : grbFiltroPadrao->findChildren<QCheckBox*>())
        if (!c->objectName().isEmpty()) settings.setValue(c->objectName(), c->isChecked());
    for (QRadioButton* r : grbFiltroPadrao->findChildren<QRadioButton*>())
        if (!r->objectName().isEmpty()) settings.setValue(r->objectName(), r->isChecked());
    for (TDatePickerEdit* d : grbFiltroPadrao->findChildren<TDatePickerEdit*>())
        if (!d->objectName().isEmpty())
            settings.setValue(d->objectName(), QString::fromStdString(d->Text()));
    settings.beginGroup(QString::fromLatin1(kOptionGroup));
    for (const auto& [key, value] : m_options)
        settings.setValue(QString::fromStdString(key), QString::fromStdString(value));
    settings.endGroup();
    settings.sync();
    if (settings.status() != QSettings::NoError)
        throw Exception("As opções não puderam ser gravadas em " +
                        settings.fileName().toStdString() + ".");
}

void TFilterFormBase::btfLoadOpcClick() {
    QSettings settings;
    openSettings(settings);
    settings.beginGroup(QString::fromLatin1(kOptionGroup));
    for (const QString& key : settings.childKeys())
        m_options[key.toStdString()] = settings.value(key).toString().toStdString();
    settings.endGroup();
    // In the order the controls were created; each change runs the control's handlers.
    for (QCheckBox* c : grbFiltroPadrao->findChildren<QCheckBox*>())
        if (settings.contains(c->objectName()))
            c->setChecked(settings.value(c->objectName()).toBool());
    // A radio button is set by checking the saved one of its group.
    for (QRadioButton* r : grbFiltroPadrao->findChildren<QRadioButton*>())
        if (settings.contains(r->objectName()) && settings.value(r->objectName()).toBool())
            r->setChecked(true);
    for (TDatePickerEdit* d : grbFiltroPadrao->findChildren<TDatePickerEdit*>())
        if (settings.contains(d->objectName()))
            d->SetText(settings.value(d->objectName()).toString().toStdString());
}
