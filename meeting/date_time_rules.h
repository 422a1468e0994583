// The meeting's date, start and duration as the form's edits hold them: "hh:mm" texts of five
// characters ("  :  " when empty, a one-digit hour with a leading blank) and dates as
// "dd/mm/yyyy". Pure rules, no Qt, no server.
#pragma once

#include <optional>
#include <string>

#include "platform/date_time.h"

namespace Cli_zel00400 {

// The empty text of an hh:mm edit.
inline constexpr const char* kEmptyTime = "  :  ";

// Hours and minutes of an "hh:mm" text read as the checks read them: characters 1-2 and 4-5,
// blanks around allowed. EConvertError when either is not a number.
struct HourMinute {
    int hours = 0;
    int minutes = 0;
};
HourMinute SplitTime(const std::string& text);

// The end of a meeting that starts at `start` and lasts `duration` (both "hh:mm"), as "HH:MM"
// with two digits each; nullopt when it would end at 24:00 or later (the meeting must end the
// day it starts). 09:50 + 00:50 gives "10:40"; 22:30 + 01:29 gives "23:59".
std::optional<std::string> MeetingEndTime(const std::string& start, const std::string& duration);

// "hh:mm" as the room methods take times: "hhmm" (characters 1-2 and 4-5).
std::string HourDigits(const std::string& text);

// The complete start of a meeting from its day and its "hh:mm" start, no seconds. Raises
// EConvertError when the start is no time of day.
TDateTime MeetingStart(TDateTime day, const std::string& start);

}  // namespace Cli_zel00400
