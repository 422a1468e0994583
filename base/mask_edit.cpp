#include "base/mask_edit.h"

#include <QKeyEvent>

#include "base/guard.h"

TMaskEdit::TMaskEdit(QWidget* parent) : QLineEdit(parent), TFocusEvents(this) {
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (!m_changeSilenced && OnChange) Guard(OnChange);
    });
}

void TMaskEdit::SetEditMask(const std::string& platformMask) {
    m_platformMask = platformMask;
    m_mask = TranslateEditMask(QString::fromStdString(platformMask));
    m_changeSilenced = true;
    setInputMask(m_mask.qtInputMask);
    m_changeSilenced = false;
}

std::string TMaskEdit::Text() const {
    // text() drops the blanks of empty positions; the platform keeps them.
    return MaskedValue(m_mask, m_mask.qtInputMask.isEmpty() ? text() : displayText()).toStdString();
}

void TMaskEdit::SetText(const std::string& text) {
    setText(QString::fromStdString(text));
}

void TMaskEdit::keyPressEvent(QKeyEvent* event) {
    int key = event->key();
    if (OnKeyDown && !Guard([&] { OnKeyDown(key, event->modifiers()); })) return;
    if (key == 0) return;
    QString text = event->text();
    if (!text.isEmpty() && text[0].isPrint()) {
        QChar ch = text[0];
        if (OnKeyPress && !Guard([&] { OnKeyPress(ch); })) return;
        if (ch.isNull()) return;
        if (!BeforeTyping(event)) return;
        if (ch != text[0]) {
            QKeyEvent changed(event->type(), event->key(), event->modifiers(), QString(ch));
            QLineEdit::keyPressEvent(&changed);
            return;
        }
    } else if ((key == Qt::Key_Backspace || key == Qt::Key_Delete) && !BeforeTyping(event)) {
        return;
    }
    QLineEdit::keyPressEvent(event);
}
