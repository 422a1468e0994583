// Unit Cli_zel00400: the module-level state of the meeting window's unit, one copy per process.
//
// The variables keep their values across meeting windows: closing the window and opening a new
// one through IniProc reloads the list with the parameter set as it was left. Initialization()
// sets every variable to its initial value (run when the library is loaded); Finalization()
// releases the strings: the package's shut-down runs it before the library is unloaded or the
// application quits, never a static destructor. GUI thread only; nothing here is
// guarded, and there is one meeting window at a time.
//
// This header has no Qt: the pure rules below (status filter text, status message keys,
// filter-dialog choices to parameter set) are tested without a window.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/date_time.h"

class TfrmReuniao;

namespace Cli_zel00400 {

// --- the window ---
extern TfrmReuniao* frmReuniao;  // the one meeting window; nullptr when there is none
extern bool boIdCriado;          // set after creation, cleared on close

// --- list loading mode ---
extern bool boFiltro;    // the list was last loaded through the filter dialog
extern bool boDiaExato;  // the list shows one exact day chosen by "Ir Para"

// --- record editing ---
extern bool boEdit;  // editing of the current meeting is allowed (no activity started)
extern bool boStateIns;
extern bool boStateEd;
extern std::string stCodLocate;    // meeting number to return to after a reload
extern std::string stStateChange;  // status letter of the row being left
extern std::string stSeq;          // room-booking sequence of the meeting being posted
extern std::array<std::string, 3> arr_StParamAtiv;  // start, end, duration for the activities
extern std::string stDtHrReuniao;
extern std::string stQtHrReuniao;
extern std::string stDtHrFinReuniao;
extern std::string stNovaTarefa;  // number just obtained for a new meeting
extern int nrPrxPlanAtiv;         // plan-activity number used when booking activities

// --- captured when the window is created ---
extern std::string stOperador;  // the logged-in operator's code
extern TDateTime stData;        // the workstation's date (no time)

// --- list-loading parameter set, passed in this order after the branch to GetControle ---
extern std::string stReuniao;
extern std::string stTReuniao;
extern std::string stSituacao;
extern std::string stResp;
extern std::string stTResp;
extern std::string stPauta;
extern std::string stTPauta;
extern TDateTime dtInicial;
extern TDateTime dtFinal;
extern std::string stTData;

// Unit initialisation: every variable above gets its initial value.
void Initialization();
// Unit finalisation: releases the strings (and forgets the window reference).
void Finalization();

// Sets the parameter set to all meetings, every status, every responsible and any agenda
// (dates and stTData are left alone).
void ResetListParameters();

// --- pure rules of the list ---

// Status letter -> the message key of its two-letter grid label ("P" -> "PEND", "A" -> "AND",
// "I" -> "PARA", "C" -> "CONC", "X" -> "CANC"); "" for any other letter.
std::string StatusMessageKey(const std::string& letter);

// The client filter of the status tool bar. The blank status is always admitted, then the
// letters of the buttons that are down, in the order Pendente, Andamento, Cancelada, Concluída:
// with the first two down, "IDSITTAREFA IN (' ', 'P', 'A')".
std::string StatusFilterText(bool pendente, bool andamento, bool cancelada, bool concluida);

// The last confirmed choices of the filter dialog, as the list reload reads them.
struct FilterChoices {
    std::string stFiltroReuniao, stFiltroResp, stFiltroPauta;
    bool boTodas = false, boAndamento = true, boPendente = true, boConcluido = false,
         boCancelado = false;
    TDateTime dtAberturaDe = 0, dtAberturaAte = 0;
    bool todosReuniao = true, todosResp = true, todosPauta = true;  // "Todos" radio buttons
};

// Fills the parameter set from the filter dialog's choices (filter mode of the list reload).
// The status set is "_P_A_C_X" when "Todas" is checked, followed by "_P", "_A", "_C", "_X" for
// each status checked; the dates count only when both are above 0.
void FillListParameters(const FilterChoices& choices);

// The filter dialog's unit registers where its last confirmed choices come from; without one
// (the dialog never opened) the reload in filter mode keeps the parameter set as it is.
using FilterChoicesProvider = std::function<std::optional<FilterChoices>()>;
void SetFilterChoicesProvider(FilterChoicesProvider provider);
std::optional<FilterChoices> LastFilterChoices();

// --- the dialogs the window opens ---
// The dialogs' units sit above this one (they reach the meeting window), so the window opens
// them through these hooks, which the module installs at start-up (tests install their own).
struct DialogOpeners {
    // The filter dialog (CriaFiltroReuniao): true when the operator confirmed it.
    std::function<bool()> filtroReuniao;
    // The go-to-day dialog (CriaIrParaDia): the chosen date as text, "" when cancelled.
    std::function<std::string(uint16_t& year, uint16_t& month, uint16_t& day)> irParaDia;
    // The minutes report (CriaRelAta) of the current meeting.
    std::function<void()> relAta;

    // The agenda import dialog (CriaImpReuniao) for the current meeting.
    std::function<void()> impReuniao;

    // The automatic participant registration (CriaRotiParticipa) for the current meeting.
    std::function<void()> rotiParticipa;
};
void SetDialogOpeners(DialogOpeners openers);
const DialogOpeners& DialogHooks();

}  // namespace Cli_zel00400
