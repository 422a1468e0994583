// Recurring meetings on the window's side, without Qt: the check of a rule typed on the form
// page before the first meeting is saved, and the texts the window shows for a series (the
// rule in words, what became of each date).
#pragma once

#include <string>

#include "platform/series_dates.h"

namespace reuniao {

// Abbreviated weekday of an ISO weekday (1 = "Seg" .. 7 = "Dom").
std::string WeekdayAbbrev(int isoWeekday);

// The operator's message when `rule` may not be planned from `firstStart`; "" when it may.
// Checked: at least one weekday for a weekly rule and the first meeting's own among them, a
// working day for a working-days rule, an end date after the first meeting's day, a count of
// at least 2, no occurrence more than one year after the first meeting, and a second date.
std::string SeriesRuleProblem(const SeriesRule& rule, TDateTime firstStart);

// What became of one date: "Sala <name>" (booked with its room), "Sem sala", "Pulada"
// (skipped, the room was taken), "Cancelada"; "" for an unknown state.
std::string SeriesOutcomeText(const std::string& situation, const std::string& roomName);

// The rule in words, as the series dialog heads its list: "Toda semana (Seg, Qua), até
// 31/03/2027; sala ocupada: pular a data".
std::string SeriesRuleText(const std::string& frequency, const std::string& weekdays,
                           TDateTime until, int count, const std::string& conflict);

}  // namespace reuniao
