// The time rules of a participant's activity: its start date-time, its duration (the text
// HHHHMM that the activity grid edits) and the end computed from both. An activity lies
// within one calendar day; a new one must not start before the application server's current
// time.
//
// The rules are pure: no Qt and no server. A check returns the key of the message the window
// shows ("" when the value passes); the server clock is handed in as a function that the rule
// calls afresh at every comparison (and only when a comparison is due), so the window passes
// its HoraServidor.
#pragma once

#include <functional>
#include <string>

#include "platform/date_time.h"

namespace Cli_zel00400 {

using ServerClock = std::function<TDateTime()>;

// Texts of an activity's start: "dd/mm/yyyy hh:nn:ss", "" for no start (value 0).
std::string ActivityStartText(TDateTime start);

// True when `text` holds no digit: empty, blanks, or the empty mask "  /  /       :  :  ".
bool IsBlankDateTimeText(const std::string& text);

// The start check of a posted or left cell ("dd/mm/yyyy hh:nn:ss"). Blank: "DTDEVE" when
// `required`, else passes. Too short, a part that is not a number, a month, day, hour, minute
// or second out of range, or a day the month does not have: "DTHR_INV". Only for a new
// activity (`inserting`): a year before the server's, or a moment before the server's:
// "DTHR_MEN". An existing activity may keep a past start.
std::string ActivityStartError(const std::string& text, bool required, bool inserting,
                               const ServerClock& now);

// The quiet start check of a text typed in the grid: true when it is invalid. The parts are
// read at their fixed positions and must be digits; every range of ActivityStartError applies,
// and the moment must not be before the server's (for any activity).
bool ActivityStartTextInvalid(const std::string& text, const ServerClock& now);

// The duration check (HHHHMM). Blank: "qtde_vaz" when `required`, else passes. Not six
// digits: "qtde_inv". 100 hours or more, or hours above 23: "DTFIN_ULTR". Minutes above 59:
// "MIN_EXCED". Zero: "qtde_inv".
std::string ActivityDurationError(const std::string& duration, bool required);

// HHHHMM as "HHHH:MM" for StTimeToReal; a text whose third character from the end is already
// ":" is returned as it is ("0001:30" stays, "000130" gives "0001:30").
std::string ActivityDurationTimeText(const std::string& duration);

// The end of an activity from its start and its (checked) duration HHHHMM.
struct ActivityEnd {
    std::string error;     // "DTFIN_ULTR" when the end is not on the start's day
    TDateTime end = 0;     // the start's day, at start + duration, with the start's seconds
    std::string duration;  // the duration rewritten as "00" + its last four characters
};
ActivityEnd ActivityEndOf(TDateTime start, const std::string& duration);

}  // namespace Cli_zel00400
