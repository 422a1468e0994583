// Calendar arithmetic of TDateTime: encoding, decoding, the clock and the ISO form used by
// packets. The pt-BR text conversions live in conversions.cpp.
#include "platform/date_time.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "platform/exceptions.h"

namespace {

// Days from 1970-01-01 to 1899-12-30 is -25569.
constexpr int64_t kUnixEpochOffset = 25569;

// Howard Hinnant's civil-date algorithms (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

DateParts CivilFromDays(int64_t z) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t y = static_cast<int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return DateParts{static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

// Splits a TDateTime into whole days and milliseconds of the day. Negative values count the
// days backwards but the time forwards, as on the platform (-1.25 is 29/12/1899 06:00).
void Split(TDateTime value, int64_t& days, int64_t& msOfDay) {
    if (!IsValidDateTime(value)) throw EConvertError("Valor de data e hora inválido");
    const double whole = std::trunc(value);
    int64_t ms = std::llround(std::fabs(value - whole) * 86400000.0);
    days = static_cast<int64_t>(whole);
    if (ms >= 86400000) {
        ms -= 86400000;
        days += value < 0 ? -1 : 1;
    }
    msOfDay = ms;
}

}  // namespace

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool IsValidDate(int year, int month, int day) {
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
           day <= DaysInMonth(year, month);
}

bool IsValidTime(int hour, int minute, int second, int msec) {
    return hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60 &&
           msec >= 0 && msec < 1000;
}

bool IsValidDateTime(TDateTime value) {
    // 01/01/0001 is day -693593; negative values count their time forwards, so the first
    // day reaches down to -693594 (exclusive). 01/01/10000 is day 2958466.
    return std::isfinite(value) && value > -693594.0 && value < 2958466.0;
}

TDateTime EncodeDate(int year, int month, int day) {
    if (!IsValidDate(year, month, day))
        throw EConvertError("Argumento inválido para compor uma data");
    return static_cast<double>(DaysFromCivil(year, month, day) + kUnixEpochOffset);
}

TDateTime EncodeTime(int hour, int minute, int second, int msec) {
    if (!IsValidTime(hour, minute, second, msec))
        throw EConvertError("Argumento inválido para compor uma hora");
    return (hour * 3600000.0 + minute * 60000.0 + second * 1000.0 + msec) / 86400000.0;
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int msec) {
    const TDateTime d = EncodeDate(year, month, day);
    const TDateTime t = EncodeTime(hour, minute, second, msec);
    return d >= 0 ? d + t : d - t;
}

DateParts DecodeDate(TDateTime value) {
    int64_t days, ms;
    Split(value, days, ms);
    return CivilFromDays(days - kUnixEpochOffset);
}

TimeParts DecodeTime(TDateTime value) {
    int64_t days, ms;
    Split(value, days, ms);
    TimeParts t;
    t.hour = static_cast<int>(ms / 3600000);
    t.minute = static_cast<int>(ms / 60000 % 60);
    t.second = static_cast<int>(ms / 1000 % 60);
    t.msec = static_cast<int>(ms % 1000);
    return t;
}

int DayOfWeek(TDateTime value) {
    int64_t days, ms;
    Split(value, days, ms);
    // 30/12/1899 was a Saturday (7).
    int64_t w = (days + 6) % 7;
    if (w < 0) w += 7;
    return static_cast<int>(w) + 1;
}

TDateTime DateOf(TDateTime value) {
    int64_t days, ms;
    Split(value, days, ms);
    return static_cast<double>(days);
}

TDateTime TimeOf(TDateTime value) {
    int64_t days, ms;
    Split(value, days, ms);
    return ms / 86400000.0;
}

TDateTime Now() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t secs = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&secs, &local);
    const int ms =
        static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
    return EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                          local.tm_min, local.tm_sec, ms);
}

TDateTime Date() {
    return DateOf(Now());
}

std::string DateTimeToIso(TDateTime value) {
    const DateParts d = DecodeDate(value);
    const TimeParts t = DecodeTime(value);
    char buf[40];
    if (t.msec != 0)
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", d.year, d.month, d.day,
                      t.hour, t.minute, t.second, t.msec);
    else
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d", d.year, d.month, d.day,
                      t.hour, t.minute, t.second);
    return buf;
}

namespace {

// Digits of text[pos, pos + count) as a number; -1 when any of them is not a digit.
int IsoNumber(const std::string& text, size_t pos, size_t count) {
    int value = 0;
    for (size_t i = pos; i < pos + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

}  // namespace

// Exactly "yyyy-mm-dd" or "yyyy-mm-ddThh:nn:ss" with an optional ".f", ".ff" or ".fff".
TDateTime IsoToDateTime(const std::string& text) {
    const auto bad = [&] { return EConvertError("'" + text + "' não é uma data e hora válida"); };
    const size_t n = text.size();
    if (n != 10 && n != 19 && !(n >= 21 && n <= 23 && text[19] == '.')) throw bad();
    if (text[4] != '-' || text[7] != '-') throw bad();
    const int y = IsoNumber(text, 0, 4), mo = IsoNumber(text, 5, 2), d = IsoNumber(text, 8, 2);
    int h = 0, mi = 0, s = 0, ms = 0;
    if (n > 10) {
        if (text[10] != 'T' || text[13] != ':' || text[16] != ':') throw bad();
        h = IsoNumber(text, 11, 2);
        mi = IsoNumber(text, 14, 2);
        s = IsoNumber(text, 17, 2);
        if (n > 20) {
            const size_t digits = n - 20;
            ms = IsoNumber(text, 20, digits);
            if (ms >= 0) ms *= digits == 1 ? 100 : digits == 2 ? 10 : 1;
        }
    }
    if (y < 0 || mo < 0 || d < 0 || h < 0 || mi < 0 || s < 0 || ms < 0) throw bad();
    if (!IsValidDate(y, mo, d) || !IsValidTime(h, mi, s, ms)) throw bad();
    return EncodeDateTime(y, mo, d, h, mi, s, ms);
}
