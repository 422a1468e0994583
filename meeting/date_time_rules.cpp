#include "meeting/date_time_rules.h"

#include <cstdio>

#include "platform/exceptions.h"

namespace Cli_zel00400 {

HourMinute SplitTime(const std::string& text) {
    const std::string padded = text + std::string(text.size() < 5 ? 5 - text.size() : 0, ' ');
    return {static_cast<int>(StrToInt(padded.substr(0, 2))),
            static_cast<int>(StrToInt(padded.substr(3, 2)))};
}

std::optional<std::string> MeetingEndTime(const std::string& start, const std::string& duration) {
    const HourMinute s = SplitTime(start);
    const HourMinute q = SplitTime(duration);
    int minutes = s.minutes + q.minutes;
    int hours = s.hours + q.hours;
    if (minutes >= 60) {
        minutes -= 60;
        hours += 1;
    }
    if (hours > 23) return std::nullopt;
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d", hours, minutes);
    return std::string(text);
}

std::string HourDigits(const std::string& text) {
    return text.substr(0, 2) + (text.size() > 3 ? text.substr(3, 2) : std::string());
}

TDateTime MeetingStart(TDateTime day, const std::string& start) {
    const HourMinute t = SplitTime(start);
    if (t.hours < 0 || t.hours > 23 || t.minutes < 0 || t.minutes > 59)
        throw EConvertError("'" + start + "' não é uma hora válida");
    return DateOf(day) + EncodeTime(t.hours, t.minutes, 0, 0);
}

}  // namespace Cli_zel00400
