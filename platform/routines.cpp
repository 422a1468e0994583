#include "platform/routines.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "platform/decimal_digits.h"

namespace {

bool IsBlankChar(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Lead byte of the two-byte UTF-8 sequences of U+00C0..U+00FF; the accented capitals are
// 0x80..0x9E and their small letters 0x20 above (0xD7 and 0xF7 are the signs x and /).
constexpr unsigned char kLatin1Lead = 0xC3;

template <bool kUpper>
std::string MapCase(const std::string& s) {
    std::string out = s;
    for (size_t i = 0; i < out.size(); ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (c < 0x80) {
            if (kUpper && c >= 'a' && c <= 'z') out[i] = static_cast<char>(c - 32);
            if (!kUpper && c >= 'A' && c <= 'Z') out[i] = static_cast<char>(c + 32);
        } else if (c == kLatin1Lead && i + 1 < out.size()) {
            const auto next = static_cast<unsigned char>(out[++i]);
            if (kUpper && next >= 0xA0 && next <= 0xBE && next != 0xB7)
                out[i] = static_cast<char>(next - 0x20);
            if (!kUpper && next >= 0x80 && next <= 0x9E && next != 0x97)
                out[i] = static_cast<char>(next + 0x20);
        }
    }
    return out;
}

}  // namespace

bool IsBlank(const std::string& s) {
    for (char c : s)
        if (!IsBlankChar(c)) return false;
    return true;
}

std::string TrimAll(const std::string& s) {
    size_t first = 0;
    size_t last = s.size();
    while (first < last && IsBlankChar(s[first]))
        ++first;
    while (last > first && IsBlankChar(s[last - 1]))
        --last;
    return s.substr(first, last - first);
}

size_t Utf8Length(std::string_view text) {
    size_t n = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++n;  // a byte 10xxxxxx continues a character
    return n;
}

std::string_view Utf8Prefix(std::string_view text, size_t n) {
    if (text.size() <= n) return text;
    size_t count = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            if (count == n) return text.substr(0, i);
            ++count;
        }
    }
    return text;
}

bool ParsePtBrNumber(std::string_view text, double& out) {
    const size_t b = text.find_first_not_of(" \t");
    if (b == std::string_view::npos) return false;
    const size_t e = text.find_last_not_of(" \t");
    std::string s(text.substr(b, e - b + 1));
    if (s.find(',') != std::string::npos) {
        // pt-BR: "." groups thousands, "," is the decimal separator.
        std::string t;
        for (char c : s)
            if (c != '.') t += (c == ',' ? '.' : c);
        s = std::move(t);
    }
    if (s.empty()) return false;
    // strtod also takes hex and "inf"; a number typed by an operator has neither.
    for (char c : s)
        if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E'))
            return false;
    char* end = nullptr;
    const double v = std::strtod(s.c_str(), &end);
    if (end != s.c_str() + s.size() || !std::isfinite(v)) return false;
    out = v;
    return true;
}

std::string PadField(const std::string& s, int width) {
    std::string value = TrimAll(s);
    if (width > static_cast<int>(value.size())) value.insert(0, width - value.size(), '0');
    return value;
}

double RoundToPlaces(double x, int places) {
    if (!std::isfinite(x)) return x;
    if (places > 15) places = 15;
    zel::detail::DecimalDigits number = zel::detail::ToDecimalDigits(x, 15);
    zel::detail::RoundDecimalDigits(number, places);
    const std::string text = zel::detail::DecimalDigitsToPlainText(number);
    double result = 0;
    std::from_chars(text.data(), text.data() + text.size(), result);
    return result;
}

TDateTime LastDayOfMonth(TDateTime date) {
    const DateParts d = DecodeDate(date);
    return EncodeDate(d.year, d.month, DaysInMonth(d.year, d.month));
}

std::string UpperCase(const std::string& s) {
    return MapCase<true>(s);
}

std::string LowerCase(const std::string& s) {
    return MapCase<false>(s);
}

bool SameText(const std::string& a, const std::string& b) {
    return a.size() == b.size() && LowerCase(a) == LowerCase(b);
}

std::string Format(const std::string& fmt, const std::vector<std::string>& args) {
    std::string out;
    size_t next = 0;
    for (size_t i = 0; i < fmt.size(); ++i) {
        if (fmt[i] != '%' || i + 1 >= fmt.size()) {
            out += fmt[i];
            continue;
        }
        const char spec = fmt[i + 1];
        if (spec == '%') {
            out += '%';
            ++i;
        } else if ((spec == 's' || spec == 'd') && next < args.size()) {
            out += args[next++];
            ++i;
        } else {
            out += fmt[i];
        }
    }
    return out;
}
