// The package zel00400: its exported entry points and its start-up and shut-down.
//
// The host loads the library, which runs the meeting unit's initialisation (its module-level
// variables get their initial values; unloading runs its finalisation), and calls IniProc.
// Nothing thrown inside may cross the C boundary into the host: every entry runs through the
// base library's guard, which shows the error to the operator once.
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

extern "C" __attribute__((visibility("default"))) void IniProc() {
    CriaReuniao();
}

namespace {
// Unit initialisation of the package: the meeting window opens its dialogs through these
// hooks (its unit sits below the dialogs' units). Finalisation drops the dialogs' instances.
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
    ~DialogUnits() {
        Cli_zel00404::Finalization();
        Cli_zel00405::Finalization();
        // Minutes report.
        Cli_zel00402::Finalization();

        // Agenda import.
        Cli_zel00401::Finalization();

        // Participant registration.
        Cli_zel00403::Finalization();
    }
};
const DialogUnits g_dialogUnits;
}  // namespace
