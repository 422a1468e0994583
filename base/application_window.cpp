#include "base/application_window.h"

#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

namespace {
QPointer<QMainWindow> g_mainWindow;
QPointer<QMdiArea> g_mdiArea;
}  // namespace

void SetApplicationMainWindow(QMainWindow* window, QMdiArea* mdiArea) {
    g_mainWindow = window;
    g_mdiArea = mdiArea;
}

QMainWindow* ApplicationMainWindow() {
    return g_mainWindow.data();
}
QMdiArea* ApplicationMdiArea() {
    return g_mdiArea.data();
}

void ShowSubWindowAt(QMdiSubWindow* sub, const QSize& formSize) {
    sub->show();
    QWidget* form = sub->widget();
    // The frame's title bar and borders are known once it is shown.
    if (form && formSize.isValid() && form->size() != formSize)
        sub->resize(sub->size() + formSize.expandedTo(form->minimumSizeHint()) - form->size());
}

void ShowAsMdiChild(QWidget* form) {
    if (!form) return;
    QMdiArea* area = g_mdiArea.data();
    if (!area) {
        form->show();
        form->raise();
        form->activateWindow();
        return;
    }
    QMdiSubWindow* sub = nullptr;
    for (QMdiSubWindow* w : area->subWindowList())
        if (w->widget() == form) sub = w;
    // A form that was given a size (its design size) opens at that size; the frame would
    // otherwise take the form's size hint.
    QSize designed;
    if (!sub) {
        if (form->testAttribute(Qt::WA_Resized)) designed = form->size();
        sub = area->addSubWindow(form);
        // The sub-window frame goes with the form: closing the form closes the frame.
        sub->setAttribute(Qt::WA_DeleteOnClose);
    }
    ShowSubWindowAt(sub, designed);
    form->show();
    area->setActiveSubWindow(sub);
    sub->raise();
}
