// The exception guard: every entry from Qt into a handler runs through it, so no exception
// ever crosses the Qt event loop.
//   - EAbort: swallowed silently (a refused operation).
//   - EErrorShown (raised by ShowErrorMessage after its box): swallowed, no second message.
//   - any other exception: its message shown once through Dialogs::Error.
#pragma once

#include <functional>

// Runs `handler`; true when it ended normally, false when it raised.
bool Guard(const std::function<void()>& handler);
