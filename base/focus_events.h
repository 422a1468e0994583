// OnEnter / OnExit of controls, with the platform's rule that an exception raised in OnExit
// keeps the focus where it was.
//
// A control class derives from TFocusEvents (beside its Qt base). One application-wide
// FocusController watches the focus:
//   - before a mouse press or a Tab would take the focus away from a control, it runs the
//     control's exit first; when the exit raises, the press or the key is dropped, so the focus
//     never leaves;
//   - for any other focus move inside one window (SetFocus from code, a shortcut), it runs the
//     exit when the move is reported and, when the exit raises, puts the focus back;
//   - OnEnter fires when a control receives the focus from another control of its window.
// A focus move to another window (a message box, a dialog) or to another MDI child of the host
// (the notices) is not an exit: the control gets the focus back when its form does.
// Exceptions are passed through the guard (guard.h).
#pragma once

#include <functional>

class QWidget;

class TFocusEvents {
  public:
    explicit TFocusEvents(QWidget* self);
    virtual ~TFocusEvents();

    std::function<void()> OnEnter;
    std::function<void()> OnExit;

    QWidget* Widget() const { return m_self; }

    // The exit work of the control: data-aware controls write their pending text first, then
    // OnExit runs. Raises to keep the focus.
    virtual void DoExit() {
        if (OnExit) OnExit();
    }
    virtual void DoEnter() {
        if (OnEnter) OnEnter();
    }

  private:
    QWidget* m_self;
};

// The control (TFocusEvents) that `widget` belongs to: itself or its nearest ancestor that is
// one, inside the same window. nullptr when none.
TFocusEvents* FocusOwnerOf(QWidget* widget);

// Moves the focus to `target` as the platform does: the exit of the control being left runs
// first; when it raises, the focus stays and false is returned. Installs the controller.
bool SetFocus(QWidget* target);

// Installs the application-wide focus controller (done by every TFocusEvents; idempotent).
void InstallFocusController();
