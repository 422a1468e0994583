#include "host/login_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

LoginDialog::LoginDialog(Attempt attempt, QWidget* parent)
    : QDialog(parent), m_attempt(std::move(attempt)) {
    setWindowTitle(QStringLiteral("Acesso ao sistema"));
    m_server = new QLineEdit(this);
    m_server->setPlaceholderText(QStringLiteral("127.0.0.1:8400"));
    m_operator = new QLineEdit(this);
    m_operator->setMaxLength(12);
    m_password = new QLineEdit(this);
    m_password->setEchoMode(QLineEdit::Password);
    m_branch = new QLineEdit(this);
    m_branch->setMaxLength(4);
    m_error = new QLabel(this);
    m_error->setStyleSheet(QStringLiteral("color: #a00000"));
    m_error->setWordWrap(true);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Servidor:"), m_server);
    form->addRow(QStringLiteral("Operador:"), m_operator);
    form->addRow(QStringLiteral("Senha:"), m_password);
    form->addRow(QStringLiteral("Filial:"), m_branch);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Entrar"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancelar"));
    connect(buttons, &QDialogButtonBox::accepted, this, &LoginDialog::tryLogin);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_error);
    layout->addWidget(buttons);

    QSettings settings;
    m_server->setText(settings.value("login/server", "127.0.0.1:8400").toString());
    m_operator->setText(settings.value("login/operator").toString());
    m_branch->setText(settings.value("login/branch", "0001").toString());
    if (!m_operator->text().isEmpty()) m_password->setFocus();
}

LoginRequest LoginDialog::request() const {
    return {m_server->text().trimmed(), m_operator->text().trimmed(), m_password->text(),
            m_branch->text().trimmed()};
}

void LoginDialog::setRequest(const LoginRequest& r) {
    m_server->setText(r.server);
    m_operator->setText(r.operatorCode);
    m_password->setText(r.password);
    m_branch->setText(r.branch);
}

QString LoginDialog::errorText() const {
    return m_error->text();
}

void LoginDialog::tryLogin() {
    const LoginRequest r = request();
    m_error->clear();
    const QString error = m_attempt(r);
    if (!error.isEmpty()) {
        m_error->setText(error);
        m_password->selectAll();
        m_password->setFocus();
        return;
    }
    QSettings settings;
    settings.setValue("login/server", r.server);
    settings.setValue("login/operator", r.operatorCode);
    settings.setValue("login/branch", r.branch);
    accept();
}
