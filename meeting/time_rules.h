// Conversions between real hours and the hh:mm texts of the meeting window's edits.
//
// Durations are kept as real hours (QTHRREUNIAO, QTHRPATIVTAR); the edits show them as
// "hh:mm". Both conversions are pure (no Qt, no server) and callable from anywhere.
#pragma once

#include <optional>
#include <string>

namespace Cli_zel00400 {

// Real hours as "hh:mm": hours and minutes each at least two digits, "-" in front of a
// negative value. Minutes are rounded to the nearest whole minute (halves away from zero) with
// no carry into the hours, so 1.999 gives "01:60". 1.5 gives "01:30".
std::string RealToStTime(double hours);

// "hh:mm" as real hours, rounded to 8 decimals: "01:30" gives 1.5, "00:20" 0.33333333. Blank
// hours or minutes count as 0 ("  :  " gives 0); only the two characters after the first ":"
// are read, and minutes of 60 or more are not refused ("01:75" gives 2.25): range checks are
// the callers'. Throws EConvertError when either part is not a number.
double StTimeToReal(const std::string& text);

// End of a meeting for the participants booked from another meeting: `start` is the
// meeting's start as date-time text ("dd/mm/yyyy hh:nn:ss"; a midnight start may come as the
// date alone), `hours` its duration in real hours as text ("1,5"). The end is the start's
// date at start + duration, "dd/mm/yyyy hh:nn:00", minutes carried into the hours at 60.
// nullopt when the end would reach 24:00 (a meeting stays within its day). Throws
// EConvertError when the start's time or the duration is not a number.
std::optional<std::string> calculaHoraFinal(const std::string& start, const std::string& hours);

}  // namespace Cli_zel00400
