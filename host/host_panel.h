// What the host's own windows (notices, calendars) share: their connection to the server of the
// login context, and the way they run a server action and show its failure inside the window.
#pragma once

#include <QString>
#include <functional>
#include <memory>

class QLabel;
class QWidget;
class TServerConnection;

namespace host_panel {

// A connection that raises on every failure and reaches the server of the login context as it
// is at each connect; `setup` may route it elsewhere (tests).
std::unique_ptr<TServerConnection> SessionConnection(
    const std::function<void(TServerConnection&)>& setup);

// A hidden red label for a window's failures.
QLabel* NewErrorLabel(QWidget* parent);

// Runs `action`; a failure (Exception) is shown in `error` after `what`, a success hides it.
// Returns whether it succeeded.
bool Attempt(QLabel* error, const QString& what, const std::function<void()>& action);

// Closes the window: inside the host's MDI area, the frame around it.
void CloseFrame(QWidget* window);

}  // namespace host_panel
