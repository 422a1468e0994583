#include "base/routine_form_base.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

#include "base/buttons.h"
#include "base/guard.h"

namespace {

TFlatButton* panelButton(QWidget* parent, const char* name, const QString& text,
                         QStyle::StandardPixmap icon) {
    auto* b = new TFlatButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(text);
    b->setToolTip(text);
    b->setIcon(parent->style()->standardIcon(icon));
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    return b;
}

}  // namespace

TRoutineForm::TRoutineForm(QWidget* parent) : QDialog(parent) {
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);

    auto* panBotoes = new QFrame(this);
    panBotoes->setObjectName("panBotoes");
    panBotoes->setFrameShape(QFrame::StyledPanel);
    auto* buttons = new QHBoxLayout(panBotoes);
    buttons->setContentsMargins(2, 2, 2, 2);
    sbtConfirma = panelButton(panBotoes, "sbtConfirma", QStringLiteral("Confirma"),
                              QStyle::SP_DialogApplyButton);
    sbtFechar =
        panelButton(panBotoes, "sbtFechar", QStringLiteral("Fecha"), QStyle::SP_DialogCloseButton);
    buttons->addWidget(sbtConfirma);
    buttons->addStretch(1);
    buttons->addWidget(sbtFechar);
    layout->addWidget(panBotoes);

    grbDadosRel = new QGroupBox(this);
    grbDadosRel->setObjectName("grbDadosRel");
    grbDadosRelLayout = new QVBoxLayout(grbDadosRel);
    layout->addWidget(grbDadosRel, 1);

    lblCodTela = new QLabel(this);
    lblCodTela->setObjectName("lblCodTela");
    lblCodTela->setAlignment(Qt::AlignRight);
    layout->addWidget(lblCodTela);

    sbtConfirma->OnClick = [this] { sbtConfirmaClick(); };
    sbtFechar->OnClick = [this] { closeWith(QDialog::Rejected); };
}

TRoutineForm::~TRoutineForm() = default;

void TRoutineForm::Create() {
    Guard([this] { FormCreate(); });
}

void TRoutineForm::FormClose() {
    hide();
}

void TRoutineForm::CloseRoutine() {
    closeWith(QDialog::Accepted);
}

void TRoutineForm::closeWith(int result) {
    if (m_closing) return;
    m_closing = true;
    const bool closed = Guard([this] { FormClose(); });
    m_closing = false;
    if (!closed) return;  // a derived FormClose that raised keeps the dialog open
    // Ends the modal loop whatever the derived FormClose did with the window.
    done(result);
}

void TRoutineForm::reject() {
    closeWith(QDialog::Rejected);
}

void TRoutineForm::closeEvent(QCloseEvent* event) {
    event->ignore();
    closeWith(QDialog::Rejected);
}
