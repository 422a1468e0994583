// The application's main window as the modules see it: the host registers its MDI main
// window once at start; modules create their windows as sub-windows of its MDI area and show
// busy indicators over it. Without a registered window (tests, tools) module windows are
// shown as top-level windows.
#pragma once

class QMainWindow;
class QMdiArea;
class QMdiSubWindow;
class QSize;
class QWidget;

void SetApplicationMainWindow(QMainWindow* window, QMdiArea* mdiArea);
QMainWindow* ApplicationMainWindow();  // nullptr when none was registered
QMdiArea* ApplicationMdiArea();        // nullptr when none was registered

// Shows `form` as an MDI child of the application's main window (or top-level without one)
// and brings it to the front.
void ShowAsMdiChild(QWidget* form);

// Shows `sub` with its form at `formSize` (at least the form's minimum size); an invalid size
// leaves the frame as it is. A frame takes its form's size hint, not the size the form was
// given, so a form's design size is restored through this.
void ShowSubWindowAt(QMdiSubWindow* sub, const QSize& formSize);
