#include "base/buttons.h"

#include "base/guard.h"

TFlatButton::TFlatButton(QWidget* parent) : QToolButton(parent) {
    setAutoRaise(true);
    setFocusPolicy(Qt::NoFocus);
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    connect(this, &QToolButton::clicked, this, [this] { Click(); });
}

bool TFlatButton::Click() {
    return !OnClick || Guard(OnClick);
}

TFlatButton* PanelButton(QWidget* parent, const char* name, const QString& text,
                         QStyle::StandardPixmap icon) {
    auto* b = new TFlatButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(text);
    b->setToolTip(text);
    b->setIcon(parent->style()->standardIcon(icon));
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    return b;
}

TToolButtonEx::TToolButtonEx(QWidget* parent) : QToolButton(parent) {
    setAutoRaise(true);
    setCheckable(true);
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QToolButton::clicked, this, [this] { Click(); });
}

bool TToolButtonEx::Click() {
    return !OnClick || Guard(OnClick);
}
