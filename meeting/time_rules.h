// Conversions between real hours and the hh:mm texts of the meeting window's edits.
//
// Durations are kept as real hours (QTHRREUNIAO, QTHRPATIVTAR); the edits show them as
// "hh:mm". Both conversions are pure (no Qt, no server) and callable from anywhere.
#pragma once

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

}  // namespace Cli_zel00400
