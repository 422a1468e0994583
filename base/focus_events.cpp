#include "base/focus_events.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include "base/guard.h"

namespace {

const char* kOwnerProperty = "zelFocusOwner";

// The form `widget` belongs to: its window, or its MDI child inside the host's main window
// (the MDI children share one window, but each is a form of its own).
const QWidget* FormOf(const QWidget* widget) {
    for (const QWidget* w = widget; w; w = w->parentWidget())
        if (w->isWindow() || qobject_cast<const QMdiSubWindow*>(w)) return w;
    return nullptr;
}

// Watches focus changes and the inputs that would cause them.
class FocusController : public QObject {
  public:
    FocusController() {
        qApp->installEventFilter(this);
        connect(qApp, &QApplication::focusChanged, this, &FocusController::focusChanged);
    }

    // Runs the exit of the control that has the focus, unless `target` belongs to the same
    // control. False when the exit raised.
    bool leaveFor(QWidget* target) {
        TFocusEvents* current = currentOwner();
        if (!current || FocusOwnerOf(target) == current) return true;
        if (m_exitDone == current || m_exiting) return true;
        if (!runExit(current)) return false;
        m_exitDone = current;
        // The input may not move the focus after all; the mark must not outlive it.
        QTimer::singleShot(0, this, [this] { m_exitDone = nullptr; });
        return true;
    }

    void forget(TFocusEvents* owner) {
        if (m_exitDone == owner) m_exitDone = nullptr;
        if (m_current == owner) m_current = nullptr;
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // QApplication gives the focus for a click before the widget's filters see the press,
        // so the press is caught where it enters: at its window.
        if (event->type() == QEvent::MouseButtonPress && watched->isWindowType()) {
            QWidget* w = widgetUnder(static_cast<QWindow*>(watched),
                                     static_cast<QMouseEvent*>(event)->position().toPoint());
            return w && !mousePress(w);
        }
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
                !(key->modifiers() & Qt::ControlModifier) && watched == qApp->focusWidget())
                return !tabPress(static_cast<QWidget*>(watched));
        }
        return false;
    }

  private:
    // Runs a control's exit. A check inside it that moves the focus (to the control it
    // refuses) moves it without running exits or enters again, so it cannot recurse.
    bool runExit(TFocusEvents* control) {
        m_exiting = control;
        m_movedDuringExit = false;
        const bool ok = Guard([&] { control->DoExit(); });
        m_exiting = nullptr;
        return ok;
    }

    TFocusEvents* currentOwner() const {
        return m_current && m_currentWidget ? m_current : nullptr;
    }

    static QWidget* widgetUnder(QWindow* window, const QPoint& pos) {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->windowHandle() != window) continue;
            QWidget* child = top->childAt(pos);
            return child ? child : top;
        }
        return nullptr;
    }

    // The widget a click on `w` gives the focus to, as QApplication decides it.
    static QWidget* clickFocusTarget(QWidget* w) {
        for (QWidget* f = w; f; f = f->parentWidget()) {
            if (f->isEnabled() && (f->focusPolicy() & Qt::ClickFocus)) return f;
            if (f->isWindow()) break;
        }
        return nullptr;
    }

    bool mousePress(QWidget* w) {
        QWidget* target = clickFocusTarget(w);
        if (!target || target == qApp->focusWidget()) return true;
        if (!currentOwner() || FormOf(target) != FormOf(m_currentWidget)) return true;
        return leaveFor(target);
    }

    bool tabPress(QWidget* focus) {
        TFocusEvents* owner = currentOwner();
        // Controls that use Tab inside themselves (grids move between columns) handle it.
        if (!owner || focus->property("zelOwnTab").toBool()) return true;
        return leaveFor(nullptr);
    }

    void focusChanged(QWidget* old, QWidget* now) {
        if (m_restoring || !now) return;
        TFocusEvents* next = FocusOwnerOf(now);
        TFocusEvents* current = currentOwner();
        if (current && FormOf(now) != FormOf(m_currentWidget)) return;  // another form
        if (next == current) return;
        // Coming back from another form, the focus may pass through the form's frame on its
        // way to the control it had: that is no move away from the control.
        if (!next && (!old || FormOf(old) != FormOf(now))) return;
        if (m_exiting) {
            // Moved by the exit being run: the focus is where the exit put it.
            m_current = next;
            m_currentWidget = next ? next->Widget() : nullptr;
            m_movedDuringExit = true;
            return;
        }
        if (current && m_exitDone != current && !runExit(current)) {
            if (m_movedDuringExit) return;
            QPointer<QWidget> back = m_currentWidget;
            m_restoring = true;
            back->setFocus(Qt::OtherFocusReason);
            m_restoring = false;
            return;
        }
        m_exitDone = nullptr;
        m_current = next;
        m_currentWidget = next ? next->Widget() : nullptr;
        if (next) Guard([&] { next->DoEnter(); });
    }

    TFocusEvents* m_current = nullptr;
    QPointer<QWidget> m_currentWidget;
    TFocusEvents* m_exitDone = nullptr;
    TFocusEvents* m_exiting = nullptr;
    bool m_movedDuringExit = false;
    bool m_restoring = false;
};

FocusController*& controller() {
    static FocusController* c = nullptr;
    return c;
}

}  // namespace

TFocusEvents::TFocusEvents(QWidget* self) : m_self(self) {
    self->setProperty(kOwnerProperty, QVariant::fromValue(static_cast<void*>(this)));
    InstallFocusController();
}

TFocusEvents::~TFocusEvents() {
    if (controller()) controller()->forget(this);
}

TFocusEvents* FocusOwnerOf(QWidget* widget) {
    for (QWidget* w = widget; w; w = w->parentWidget()) {
        const QVariant p = w->property(kOwnerProperty);
        if (p.isValid()) return static_cast<TFocusEvents*>(p.value<void*>());
        if (w->isWindow()) break;
    }
    return nullptr;
}

void InstallFocusController() {
    if (!controller() && qApp) {
        controller() = new FocusController();
        controller()->setParent(qApp);
    }
}

bool SetFocus(QWidget* target) {
    InstallFocusController();
    if (!target) return false;
    if (!controller()->leaveFor(target)) return false;
    target->setFocus(Qt::OtherFocusReason);
    return true;
}
