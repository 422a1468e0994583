#include "meeting/activity_time_rules.h"

#include <cctype>

#include "platform/routines.h"

namespace Cli_zel00400 {

namespace {

// The number in `text` at [pos, pos + count): blanks around allowed, at least one digit, nothing
// else. False when it is not such a number (or lies beyond the text).
bool NumberAt(const std::string& text, size_t pos, size_t count, int& out) {
    if (pos + count > text.size()) return false;
    const std::string part = text.substr(pos, count);
    int64_t value = 0;
    if (IsBlank(part) || !TryStrToInt(part, value)) return false;
    for (char c : TrimAll(part))
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    out = static_cast<int>(value);
    return true;
}

bool AllDigits(const std::string& text) {
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return !text.empty();
}

struct StartParts {
    int day = 0, month = 0, year = 0, hour = 0, minute = 0, second = 0;
};

TDateTime MomentOf(const StartParts& p) {
    return EncodeDateTime(p.year, p.month, p.day, p.hour, p.minute, p.second, 0);
}

int ServerYear(const ServerClock& now) {
    return DecodeDate(now()).year;
}

}  // namespace

std::string ActivityStartText(TDateTime start) {
    return start != 0 ? FormatDateTime("dd/mm/yyyy hh:nn:ss", start) : std::string();
}

bool IsBlankDateTimeText(const std::string& text) {
    for (char c : text)
        if (std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

std::string ActivityStartError(const std::string& text, bool required, bool inserting,
                               const ServerClock& now) {
    if (IsBlankDateTimeText(text)) return required ? "DTDEVE" : "";
    if (text.size() < 19) return "DTHR_INV";
    // dd/mm/yyyy hh:nn:ss without its separators: ddmmyyyyhhnnss.
    std::string s = text;
    for (size_t pos : {2u, 4u, 8u, 10u, 12u})
        s.erase(pos, 1);
    StartParts p;
    if (!NumberAt(s, 0, 2, p.day) || !NumberAt(s, 2, 2, p.month) || !NumberAt(s, 4, 4, p.year) ||
        !NumberAt(s, 8, 2, p.hour) || !NumberAt(s, 10, 2, p.minute) ||
        !NumberAt(s, 12, 2, p.second))
        return "DTHR_INV";
    if (p.month > 12 || p.month < 1 || p.year < 1) return "DTHR_INV";
    if (inserting && ServerYear(now) > p.year) return "DTHR_MEN";
    if (p.day > 31 || p.day < 1 || DaysInMonth(p.year, p.month) < p.day) return "DTHR_INV";
    if (p.hour > 23 || p.minute > 59 || p.second > 59) return "DTHR_INV";
    if (inserting && now() > MomentOf(p)) return "DTHR_MEN";
    return "";
}

bool ActivityStartTextInvalid(const std::string& text, const ServerClock& now) {
    if (text.size() < 19) return true;
    const std::string digits = text.substr(0, 2) + text.substr(3, 2) + text.substr(6, 4) +
                               text.substr(11, 2) + text.substr(14, 2) + text.substr(17, 2);
    if (!AllDigits(digits)) return true;
    StartParts p;
    p.day = std::stoi(digits.substr(0, 2));
    p.month = std::stoi(digits.substr(2, 2));
    p.year = std::stoi(digits.substr(4, 4));
    p.hour = std::stoi(digits.substr(8, 2));
    p.minute = std::stoi(digits.substr(10, 2));
    p.second = std::stoi(digits.substr(12, 2));
    if (p.hour > 23 || p.minute > 59 || p.second > 59) return true;
    if (p.day > 31 || p.month > 12 || p.day < 1 || p.month < 1 || p.year < 1) return true;
    if (ServerYear(now) > p.year) return true;
    if (DaysInMonth(p.year, p.month) < p.day) return true;
    return now() > MomentOf(p);
}

std::string ActivityDurationError(const std::string& duration, bool required) {
    if (IsBlank(duration)) return required ? "qtde_vaz" : "";
    if (duration.size() != 6 || !AllDigits(duration)) return "qtde_inv";
    if (duration.compare(0, 2, "00") != 0) return "DTFIN_ULTR";
    const int hours = std::stoi(duration.substr(2, 2));
    const int minutes = std::stoi(duration.substr(4, 2));
    if (hours > 23) return "DTFIN_ULTR";
    if (minutes > 59) return "MIN_EXCED";
    if (hours == 0 && minutes == 0) return "qtde_inv";
    return "";
}

std::string ActivityDurationTimeText(const std::string& duration) {
    const size_t n = duration.size();
    if (n < 3 || duration[n - 3] == ':') return duration;
    return duration.substr(0, n - 2) + ":" + duration.substr(n - 2, 2);
}

ActivityEnd ActivityEndOf(TDateTime start, const std::string& duration) {
    ActivityEnd result;
    const TimeParts from = DecodeTime(start);
    int hours = 0, minutes = 0;
    if (!NumberAt(duration, 2, 2, hours) || !NumberAt(duration, 4, 2, minutes)) {
        result.error = "qtde_inv";
        return result;
    }
    minutes += from.minute;
    hours += from.hour;
    if (minutes >= 60) {
        minutes -= 60;
        hours += 1;
    }
    if (hours >= 24) {
        result.error = "DTFIN_ULTR";
        return result;
    }
    result.end = DateOf(start) + EncodeTime(hours, minutes, from.second, 0);
    result.duration = "00" + duration.substr(2, 4);
    return result;
}

}  // namespace Cli_zel00400
