// pt-BR date and time texts: dates dd/mm/yyyy, times hh:nn:ss, as the platform shows and reads
// them with the Brazilian settings. Number texts are in number_format.cpp.
#include <cmath>
#include <cstdio>

#include "platform/date_time.h"
#include "platform/exceptions.h"

namespace {

// Reads the blanks-trimmed text left to right; every Read... returns false on a mismatch.
class TextScanner {
  public:
    explicit TextScanner(const std::string& text) : m_text(text) {
        const auto first = text.find_first_not_of(' ');
        m_pos = first == std::string::npos ? text.size() : first;
        const auto last = text.find_last_not_of(' ');
        m_end = last == std::string::npos ? 0 : last + 1;
    }

    // One to `maxDigits` decimal digits.
    bool ReadNumber(int maxDigits, int& value, int& count) {
        value = 0;
        count = 0;
        while (m_pos < m_end && count < maxDigits && m_text[m_pos] >= '0' && m_text[m_pos] <= '9') {
            value = value * 10 + (m_text[m_pos++] - '0');
            ++count;
        }
        return count > 0;
    }
    bool ReadChar(char c) {
        if (m_pos >= m_end || m_text[m_pos] != c) return false;
        ++m_pos;
        return true;
    }
    bool SkipBlanks() {
        const size_t start = m_pos;
        while (m_pos < m_end && m_text[m_pos] == ' ')
            ++m_pos;
        return m_pos > start;
    }
    bool AtEnd() const { return m_pos >= m_end; }

  private:
    const std::string& m_text;
    size_t m_pos = 0;
    size_t m_end = 0;
};

// d/m/yyyy or d/m/yy. A year of one or two digits goes through the platform's window:
// below 50 is 20yy, else 19yy.
bool ReadDate(TextScanner& in, TDateTime& out) {
    int day, month, year, count;
    if (!in.ReadNumber(2, day, count) || !in.ReadChar('/')) return false;
    if (!in.ReadNumber(2, month, count) || !in.ReadChar('/')) return false;
    if (!in.ReadNumber(4, year, count) || count == 3) return false;
    if (count <= 2) year += year < 50 ? 2000 : 1900;
    if (!IsValidDate(year, month, day)) return false;
    out = EncodeDate(year, month, day);
    return true;
}

// h:n or h:n:s, one or two digits each.
bool ReadTime(TextScanner& in, TDateTime& out) {
    int hour, minute, second = 0, count;
    if (!in.ReadNumber(2, hour, count) || !in.ReadChar(':')) return false;
    if (!in.ReadNumber(2, minute, count)) return false;
    if (in.ReadChar(':') && !in.ReadNumber(2, second, count)) return false;
    if (!IsValidTime(hour, minute, second, 0)) return false;
    out = EncodeTime(hour, minute, second, 0);
    return true;
}

std::string TwoDigits(int value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", value);
    return buf;
}

}  // namespace

std::string DateToStr(TDateTime value) {
    const DateParts d = DecodeDate(value);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", d.day, d.month, d.year);
    return buf;
}

std::string TimeToStr(TDateTime value) {
    const TimeParts t = DecodeTime(value);
    return TwoDigits(t.hour) + ":" + TwoDigits(t.minute) + ":" + TwoDigits(t.second);
}

std::string DateTimeToStr(TDateTime value) {
    const TDateTime day = DateOf(value);
    const TimeParts t = DecodeTime(value);
    const bool noTime = t.hour == 0 && t.minute == 0 && t.second == 0 && t.msec == 0;
    if (day == 0 && !noTime) return TimeToStr(value);
    if (noTime) return DateToStr(value);
    return DateToStr(value) + " " + TimeToStr(value);
}

bool TryStrToDate(const std::string& text, TDateTime& out) {
    TextScanner in(text);
    TDateTime value = 0;
    if (!ReadDate(in, value) || !in.AtEnd()) return false;
    out = value;
    return true;
}

bool TryStrToTime(const std::string& text, TDateTime& out) {
    TextScanner in(text);
    TDateTime value = 0;
    if (!ReadTime(in, value) || !in.AtEnd()) return false;
    out = value;
    return true;
}

// A date, a time, or a date and a time separated by blanks.
bool TryStrToDateTime(const std::string& text, TDateTime& out) {
    TDateTime time = 0;
    if (TryStrToTime(text, time)) {
        out = time;
        return true;
    }
    TextScanner in(text);
    TDateTime date = 0;
    if (!ReadDate(in, date)) return false;
    if (!in.AtEnd() && (!in.SkipBlanks() || !ReadTime(in, time) || !in.AtEnd())) return false;
    out = date >= 0 ? date + time : date - time;
    return true;
}

std::string InvalidDateMessage(const std::string& text) {
    return "'" + text + "' não é uma data válida";
}

TDateTime StrToDate(const std::string& text) {
    TDateTime value = 0;
    if (!TryStrToDate(text, value)) throw EConvertError(InvalidDateMessage(text));
    return value;
}

TDateTime StrToTime(const std::string& text) {
    TDateTime value = 0;
    if (!TryStrToTime(text, value)) throw EConvertError("'" + text + "' não é uma hora válida");
    return value;
}

TDateTime StrToDateTime(const std::string& text) {
    TDateTime value = 0;
    if (!TryStrToDateTime(text, value))
        throw EConvertError("'" + text + "' não é uma data e hora válida");
    return value;
}
