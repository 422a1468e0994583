// The package zel00400: its exported entry points and its start-up and shut-down.
//
// The host loads the library, which runs the meeting unit's initialisation (its module-level
// variables get their initial values; unloading runs its finalisation), and calls IniProc.
// Nothing thrown inside may cross the C boundary into the host: every entry runs through the
// base library's guard, which shows the error to the operator once.
#include "base/guard.h"
#include "meeting/frm_reuniao.h"

extern "C" __attribute__((visibility("default"))) void CriaReuniao() {
    try {
        Guard([] { Cli_zel00400::CriaReuniao(); });
    } catch (...) {
        // The guard shows and swallows everything; nothing reaches the host even if the
        // message display itself failed.
    }
}

extern "C" __attribute__((visibility("default"))) void IniProc() {
    CriaReuniao();
}
