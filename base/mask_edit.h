// TMaskEdit: a line edit with the platform's edit masks and text semantics (edit_mask.h).
// Text() reads what the platform reads: "  :  " for an empty "!90:00;1; " edit. Setting the
// text from code fires OnChange exactly as typing does.
#pragma once

#include <QLineEdit>
#include <functional>
#include <string>

#include "base/edit_mask.h"
#include "base/focus_events.h"

class TMaskEdit : public QLineEdit, public TFocusEvents {
    Q_OBJECT
  public:
    explicit TMaskEdit(QWidget* parent = nullptr);

    // Platform mask ("!90:00;1; "); "" removes it. Does not fire OnChange.
    void SetEditMask(const std::string& platformMask);
    const std::string& EditMaskText() const { return m_platformMask; }

    std::string Text() const;
    void SetText(const std::string& text);
    bool Modified() const { return isModified(); }

    // After every change of the text, typed or set.
    std::function<void()> OnChange;
    // Before a key is handled: clear `key` (set 0) to drop it.
    std::function<void(int& key, Qt::KeyboardModifiers modifiers)> OnKeyDown;
    // A character being typed: set it to a null QChar to drop it.
    std::function<void(QChar& key)> OnKeyPress;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    // For subclasses: may the key go on? (data-aware edits start editing here)
    virtual bool BeforeTyping(QKeyEvent*) { return true; }
    bool m_changeSilenced = false;

  private:
    EditMask m_mask;
    std::string m_platformMask;
};
