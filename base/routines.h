// Routines of the base library that windows call.
#pragma once

#include <string>
#include <vector>

#include "platform/exceptions.h"

class QWidget;
class TDBGrid;

// Raised by ShowErrorMessage(text, true) after the operator saw `text`: it ends the operation
// (clean-up and rethrowing handlers still run) and the guard swallows it without a second box.
class EErrorShown : public Exception {
  public:
    using Exception::Exception;
};

// Shows `text` in the error box; with `raise`, then throws EErrorShown.
void ShowErrorMessage(const std::string& text, bool raise);

// Index of the grid column bound to field `fieldName` (case ignored); -1 when none.
int GridColumnIndex(const TDBGrid& grid, const std::string& fieldName);
// The text that column shows for the current row: the open editor's text while the cell is
// being edited there, else the field's edit text. "" when no column has the field.
std::string GridColumnText(const TDBGrid& grid, const std::string& fieldName);

// Enables or disables every child widget of `control` (not the control itself).
void SetChildrenEnabled(QWidget* control, bool enabled);

// Busy indicator over `form` (nullptr: the main window) plus the wait cursor. Calls nest: only
// the outermost Show shows and the matching Hide hides. A Hide without a Show does nothing.
void ShowBusyAnimation(QWidget* form, int kind);
void HideBusyAnimation();
int BusyAnimationDepth();

// The suite refreshes its workstation caches of the named tables. This client keeps no table
// cache (every read goes to the server), so it only counts the request for tests.
void RefreshLocalCache(const std::vector<std::string>& tables);
const std::vector<std::string>& RefreshedLocalCaches();

// Registers a window created by a package, so the host knows when the package's last window
// is gone and may unload it. The registration ends when the window is destroyed.
void RegisterPackageForm(const std::string& formClass, QWidget* form);
int PackageFormCount();

// Applies the operator's language to a window. The suite runs in Portuguese only, and the
// windows are written in it, so nothing changes; kept so windows call it where they must.
void TranslateForm(QWidget* form);
