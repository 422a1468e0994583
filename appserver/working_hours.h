// The working hours of a branch (FILIAL.HRINIEXPFIL, HRFINEXPFIL, DSDIASEXPFIL): the time of
// day its meetings may start and must end by, and the weekdays it works. The slot suggestions
// keep to them; the administration commands set them.
#pragma once

#include <string>

#include "appserver/storage.h"
#include "platform/date_time.h"

namespace zel::appserver {

struct WorkingHours {
    int startMinute = 8 * 60;    // minutes since midnight
    int endMinute = 18 * 60;     // after startMinute, at most 24:00
    std::string days = "12345";  // ISO weekday digits, 1 = Monday .. 7 = Sunday, ascending

    bool WorksOn(TDateTime day) const;
    // "08:00 às 18:00, de segunda a sexta" style text for the operator.
    std::string Text() const;
};

// A time of day typed as "HH:MM" or "HHMM" (00:00 to 24:00) in minutes since midnight.
// Throws RpcError bad_arguments naming `what`.
int ClockMinutes(const std::string& text, const std::string& what);
// Minutes since midnight as "HHMM" (1440 is "2400") and as "HH:MM".
std::string HhmmText(int minutes);
std::string ClockText(int minutes);

// The branch's working hours; throws RpcError not_found for an unknown branch.
WorkingHours ReadWorkingHours(SqlConnection& db, const std::string& branch);

// Hours from the texts an administrator types; an empty text keeps the value of `current`.
// Throws RpcError bad_arguments for a bad time, an end not after the start, or bad weekdays.
WorkingHours ParseWorkingHours(const WorkingHours& current, const std::string& start,
                               const std::string& end, const std::string& days);

// Stores the branch's working hours; throws RpcError not_found for an unknown branch.
void WriteWorkingHours(SqlConnection& db, const std::string& branch, const WorkingHours& hours);

}  // namespace zel::appserver
