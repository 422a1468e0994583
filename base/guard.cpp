#include "base/guard.h"

#include "base/dialogs.h"
#include "base/routines.h"
#include "platform/exceptions.h"

bool Guard(const std::function<void()>& handler) {
    try {
        handler();
        return true;
    } catch (const EAbort&) {
    } catch (const EErrorShown&) {
    } catch (const std::exception& e) {
        // Showing may itself fail (a broken dialog); nothing may leave the guard.
        try {
            CurrentDialogs().Error(e.what());
        } catch (...) {
        }
    } catch (...) {
        try {
            CurrentDialogs().Error("Erro inesperado.");
        } catch (...) {
        }
    }
    return false;
}
