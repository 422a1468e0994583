// The package zel00400: its exported entry points and its start-up and shut-down.
//
// The host loads the library, which runs the units' initialisations (module-level variables
// get their initial values, the meeting window learns how to open its dialogs), and calls
// IniProc. The units' finalisations run in FinProc, while everything they touch is alive: the
// host calls it before it unloads the package, and the package runs it itself when the
// application is about to quit. Never from a static destructor: at exit the order in which
// the units' own statics (the dialogs' instance pointers) are destroyed is not defined.
// Nothing thrown inside may cross the C boundary into the host: every entry runs through the
// base library's guard, which shows the error to the operator once.
#include <QCoreApplication>

#include "base/guard.h"
#include "dialogs/frm_filtro_reuniao.h"
#include "dialogs/frm_imp_reuniao.h"
#include "dialogs/frm_ir_para_dia.h"
#include "dialogs/frm_rel_ata.h"
#include "dialogs/frm_roti_part.h"
#include "meeting/frm_reuniao.h"

#include <utility>

extern "C" __attribute__((visibility("default"))) void CriaReuniao() {
    try {
        Guard([] { Cli_zel00400::CriaReuniao(); });
    } catch (...) {
        // The guard shows and swallows everything; nothing reaches the host even if the
        // message display itself failed.
    }
}

namespace {
bool g_finalised = false;
}  // namespace

// Unit finalisation of the package, once: the dialogs' units first (they reach the meeting
// window's unit), then the meeting unit's.
extern "C" __attribute__((visibility("default"))) void FinProc() {
    if (g_finalised) return;
    g_finalised = true;
    try {
        Cli_zel00403::Finalization();
        Cli_zel00401::Finalization();
        Cli_zel00402::Finalization();
        Cli_zel00405::Finalization();
        Cli_zel00404::Finalization();
        Cli_zel00400::Finalization();
    } catch (...) {
        // Shutting down: nothing may reach the host.
    }
}

extern "C" __attribute__((visibility("default"))) void IniProc() {
    // Opened again after its finalisation (the library stayed in memory): the units start
    // afresh, as a new load would.
    if (g_finalised) {
        g_finalised = false;
        Cli_zel00400::Initialization();
    }
    // A host that quits without unloading the package still finalises it while its windows
    // and the application are alive.
    static bool watchingQuit = false;
    if (!watchingQuit && QCoreApplication::instance()) {
        watchingQuit = true;
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit,
                         QCoreApplication::instance(), [] { FinProc(); });
    }
    CriaReuniao();
}

namespace {
// Unit initialisation of the package: the meeting window opens its dialogs through these
// hooks (its unit sits below the dialogs' units). Their finalisation is FinProc's.
struct DialogUnits {
    DialogUnits() {
        Cli_zel00400::DialogOpeners openers;
        openers.filtroReuniao = Cli_zel00404::AbreFiltroReuniao;
        openers.irParaDia = Cli_zel00405::CriaIrParaDia;
        // Minutes report.
        openers.relAta = Cli_zel00402::CriaRelAta;

        // Agenda import.
        openers.impReuniao = Cli_zel00401::CriaImpReuniao;

        // Participant registration.
        openers.rotiParticipa = Cli_zel00403::CriaRotiParticipa;

        Cli_zel00400::SetDialogOpeners(std::move(openers));
    }
};
const DialogUnits g_dialogUnits;
}  // namespace
