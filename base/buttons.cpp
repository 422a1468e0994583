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

TToolButtonEx::TToolButtonEx(QWidget* parent) : QToolButton(parent) {
    setAutoRaise(true);
    setCheckable(true);
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QToolButton::clicked, this, [this] { Click(); });
}

bool TToolButtonEx::Click() {
    return !OnClick || Guard(OnClick);
}
