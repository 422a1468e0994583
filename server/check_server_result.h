// CheckServerResult and the display of server failures.
//
// How a failed call is reported: TAppServer::Call never returns a failed result; it raises
// EServerError (transport, protocol or the server's own error, with the operator's message).
// The exception ends the handler that made the call (its clean-up runs, a post in progress is
// cancelled) and the base library's exception guard, where the handler was entered from the
// event loop, shows its message exactly once. So a caller writes
//
//   cdsHoraServidor.Data(CheckServerResult(net.AppServer().Call("getHoraServidor"), true, 0));
//
// and a result taken "unchecked" is just as safe. `showError` false means the caller handles
// the failure quietly: it catches EServerError itself around the call.
//
// The server-error display is the process-wide hook that shows a message box; the base
// library installs it. Without one, messages go to standard error.
#pragma once

#include <functional>
#include <string>

#include "platform/variant.h"

// Returns the data part of a successful result (the packet or value the method returned).
// `mode` is accepted for the callers' sake; 0 is the only mode.
Variant CheckServerResult(const Variant& result, bool showError = true, int mode = 0);

// Installs the hook that shows a server error text to the operator (nullptr: back to stderr).
void SetServerErrorDisplay(std::function<void(const std::string&)> display);
// Shows `text` through the hook (used for connect failures of connections that do not raise).
void ShowServerError(const std::string& text);
