#include "meeting/time_rules.h"

#include <cmath>

#include "platform/date_time.h"
#include "platform/routines.h"

namespace Cli_zel00400 {

std::string RealToStTime(double hours) {
    std::string sign;
    if (hours < 0.0) {
        sign = "-";
        hours = std::fabs(hours);
    }
    const int64_t whole = Trunc(hours);
    const double minutes = (hours - static_cast<double>(whole)) * 60;
    const std::string minutesText = PadField(FloatToStrF(minutes, TFloatFormat::ffFixed, 15, 0), 2);
    return sign + PadField(IntToStr(whole), 2) + ":" + minutesText;
}

double StTimeToReal(const std::string& text) {
    const size_t colon = text.find(':');
    std::string hoursText, minutesText;
    if (colon == std::string::npos) {
        // No colon: no hours, and the first two characters are read as the minutes.
        minutesText = PadField(TrimAll(text.substr(0, 2)), 2);
    } else {
        hoursText = TrimAll(text.substr(0, colon));
        minutesText = PadField(TrimAll(text.substr(colon + 1, 2)), 2);
    }
    if (hoursText.empty()) hoursText = "0";
    if (minutesText.empty()) minutesText = "0";
    return RoundToPlaces(StrToFloat(hoursText) + StrToFloat(minutesText) / 60, 8);
}

std::optional<std::string> calculaHoraFinal(const std::string& start, const std::string& hours) {
    // The time sits at positions 12-13 (hours) and 15-16 (minutes) of the start text.
    const std::string startHours = start.size() > 11 ? start.substr(11, 2) : "0";
    const std::string startMinutes = start.size() > 14 ? start.substr(14, 2) : "0";
    const double duration = StrToFloat(hours);
    const int64_t durationHours = Trunc(duration);
    int64_t minutes =
        StrToInt(startMinutes) + Round((duration - static_cast<double>(durationHours)) * 60);
    int64_t total = StrToInt(startHours) + durationHours;
    if (minutes >= 60) {
        minutes -= 60;
        total += 1;
    }
    if (total >= 24) return std::nullopt;
    return start.substr(0, 10) + " " + PadField(IntToStr(total), 2) + ":" +
           PadField(IntToStr(minutes), 2) + ":00";
}

}  // namespace Cli_zel00400
