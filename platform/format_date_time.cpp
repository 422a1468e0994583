// FormatDateTime with the platform's specifiers and the Brazilian names of days and months.
#include <cctype>
#include <cstdio>
#include <string>

#include "platform/date_time.h"

namespace {

const char* const kShortDayNames[] = {"dom", "seg", "ter", "qua", "qui", "sex", "sáb"};
const char* const kLongDayNames[] = {"domingo",      "segunda-feira", "terça-feira", "quarta-feira",
                                     "quinta-feira", "sexta-feira",   "sábado"};
const char* const kShortMonthNames[] = {"jan", "fev", "mar", "abr", "mai", "jun",
                                        "jul", "ago", "set", "out", "nov", "dez"};
const char* const kLongMonthNames[] = {"janeiro",  "fevereiro", "março",    "abril",
                                       "maio",     "junho",     "julho",    "agosto",
                                       "setembro", "outubro",   "novembro", "dezembro"};
const char* const kShortDateFormat = "dd/mm/yyyy";
const char* const kLongDateFormat = "dddd, d' de 'mmmm' de 'yyyy";
const char* const kShortTimeFormat = "hh:nn";
const char* const kLongTimeFormat = "hh:nn:ss";

char Upper(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

bool StartsWithNoCase(const std::string& text, size_t pos, const char* prefix) {
    for (size_t i = 0; prefix[i] != '\0'; ++i)
        if (pos + i >= text.size() || Upper(text[pos + i]) != Upper(prefix[i])) return false;
    return true;
}

std::string Number(int value, int minDigits) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*d", minDigits, value);
    return buf;
}

// Whether an am/pm specifier appears outside quotes: then hours run 1..12.
bool UsesTwelveHourClock(const std::string& format) {
    char quote = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (quote != 0) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (StartsWithNoCase(format, i, "am/pm") || StartsWithNoCase(format, i, "a/p") ||
                   StartsWithNoCase(format, i, "ampm")) {
            return true;
        }
    }
    return false;
}

class DateTimeFormatter {
  public:
    explicit DateTimeFormatter(TDateTime value)
        : m_value(value), m_date(DecodeDate(value)), m_time(DecodeTime(value)) {}

    std::string Format(const std::string& format) {
        std::string out;
        const bool twelveHour = UsesTwelveHourClock(format);
        char lastLetter = 0;
        size_t i = 0;
        while (i < format.size()) {
            const char c = format[i];
            const char token = Upper(c);
            if (c == '"' || c == '\'') {
                const size_t close = format.find(c, i + 1);
                const size_t end = close == std::string::npos ? format.size() : close;
                out += format.substr(i + 1, end - i - 1);
                i = end + 1;
                continue;
            }
            if (AppendAmPm(format, i, out)) {
                lastLetter = 'A';
                continue;
            }
            size_t count = 1;
            while (i + count < format.size() && Upper(format[i + count]) == token)
                ++count;
            if (!AppendToken(c, count, lastLetter == 'H', twelveHour, out)) count = 1;
            if (token >= 'A' && token <= 'Z') lastLetter = token;
            i += count;
        }
        return out;
    }

  private:
    // The am/pm family; the text follows the specifier's case.
    bool AppendAmPm(const std::string& format, size_t& i, std::string& out) const {
        const bool pm = m_time.hour >= 12;
        if (StartsWithNoCase(format, i, "am/pm")) {
            const bool lower = format[i] == 'a';
            out += pm ? (lower ? "pm" : "PM") : (lower ? "am" : "AM");
            i += 5;
        } else if (StartsWithNoCase(format, i, "a/p")) {
            const bool lower = format[i] == 'a';
            out += pm ? (lower ? "p" : "P") : (lower ? "a" : "A");
            i += 3;
        } else if (StartsWithNoCase(format, i, "ampm")) {
            out += pm ? "PM" : "AM";
            i += 4;
        } else {
            return false;
        }
        return true;
    }

    // Appends the run of `count` letters `token`; false when it is no specifier (the first
    // character is then copied as a literal).
    bool AppendToken(char original, size_t count, bool afterHour, bool twelveHour,
                     std::string& out) {
        const char token = Upper(original);
        const int n = static_cast<int>(count);
        switch (token) {
            case 'C':
                out += Format(kShortDateFormat);
                if (m_time.hour || m_time.minute || m_time.second || m_time.msec) {
                    // Appended piece by piece: GCC 12 at -O3 warns (restrict) on " " + text.
                    out += ' ';
                    out += Format(kLongTimeFormat);
                }
                return true;
            case 'D':
                AppendDay(n, out);
                return true;
            case 'M':
                if (afterHour && n <= 2)
                    out += Number(m_time.minute, n);
                else
                    AppendMonth(n, out);
                return true;
            case 'Y':
                out += n <= 2 ? Number(m_date.year % 100, 2) : Number(m_date.year, 4);
                return true;
            case 'H': {
                int hour = m_time.hour;
                if (twelveHour) hour = hour % 12 == 0 ? 12 : hour % 12;
                out += Number(hour, n >= 2 ? 2 : 1);
                return true;
            }
            case 'N':
                out += Number(m_time.minute, n >= 2 ? 2 : 1);
                return true;
            case 'S':
                out += Number(m_time.second, n >= 2 ? 2 : 1);
                return true;
            case 'Z':
                out += Number(m_time.msec, n >= 2 ? 3 : 1);
                return true;
            case 'T':
                out += Format(n >= 2 ? kLongTimeFormat : kShortTimeFormat);
                return true;
            default:  // "/" and ":" are the pt-BR separators themselves
                out += original;
                return false;
        }
    }

    void AppendDay(int n, std::string& out) {
        const int weekday = DayOfWeek(m_value) - 1;
        if (n <= 2)
            out += Number(m_date.day, n);
        else if (n == 3)
            out += kShortDayNames[weekday];
        else if (n == 4)
            out += kLongDayNames[weekday];
        else if (n == 5)
            out += Format(kShortDateFormat);
        else
            out += Format(kLongDateFormat);
    }

    void AppendMonth(int n, std::string& out) const {
        if (n <= 2)
            out += Number(m_date.month, n);
        else if (n == 3)
            out += kShortMonthNames[m_date.month - 1];
        else
            out += kLongMonthNames[m_date.month - 1];
    }

    TDateTime m_value;
    DateParts m_date;
    TimeParts m_time;
};

}  // namespace

std::string FormatDateTime(const std::string& format, TDateTime value) {
    return DateTimeFormatter(value).Format(format);
}
