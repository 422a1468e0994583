// pt-BR number texts: decimal comma, "." as the thousands separator, 15 significant digits
// for a double as on the platform.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "platform/date_time.h"
#include "platform/decimal_digits.h"
#include "platform/exceptions.h"

namespace zel::detail {

DecimalDigits ToDecimalDigits(double value, int precision) {
    DecimalDigits number;
    number.negative = std::signbit(value);
    if (value == 0) return number;
    if (precision < 1) precision = 1;
    if (precision > 17) precision = 17;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*e", precision - 1, std::fabs(value));
    // "d.ddddde+XX": mantissa digits, then the exponent of the first digit.
    const char* p = buf;
    for (; *p != 'e'; ++p)
        if (*p != '.') number.digits += *p;
    number.exponent = std::atoi(p + 1) + 1;
    while (!number.digits.empty() && number.digits.back() == '0')
        number.digits.pop_back();
    return number;
}

void RoundDecimalDigits(DecimalDigits& number, int places) {
    const int keep = number.exponent + places;  // digits that stay
    if (keep >= static_cast<int>(number.digits.size())) return;
    if (keep < 0) {
        number.digits.clear();
        number.exponent = 0;
        return;
    }
    const bool up = number.digits[keep] >= '5';
    number.digits.resize(keep);
    if (up) {
        int i = keep - 1;
        while (i >= 0 && number.digits[i] == '9')
            number.digits[i--] = '0';
        if (i >= 0) {
            ++number.digits[i];
        } else {
            number.digits.insert(number.digits.begin(), '1');
            ++number.exponent;
        }
    }
    while (!number.digits.empty() && number.digits.back() == '0')
        number.digits.pop_back();
    if (number.digits.empty()) number.exponent = 0;
}

std::string DecimalDigitsToPlainText(const DecimalDigits& number) {
    if (number.digits.empty()) return "0";
    std::string text = number.negative ? "-" : "";
    const int count = static_cast<int>(number.digits.size());
    if (number.exponent <= 0) {
        text += "0.";
        text.append(-number.exponent, '0');
        text += number.digits;
        return text;
    }
    for (int i = 0; i < number.exponent; ++i)
        text += i < count ? number.digits[i] : '0';
    if (count > number.exponent) {
        // Appended piece by piece: GCC 12 at -O3 warns (restrict) on a temporary "." + text.
        text += '.';
        text.append(number.digits, static_cast<size_t>(number.exponent));
    }
    return text;
}

}  // namespace zel::detail

namespace {

using zel::detail::DecimalDigits;

constexpr int kDoublePrecision = 15;

// Digit `i` of the number counting from the first significant one; '0' outside.
char DigitAt(const DecimalDigits& n, int i) {
    return i >= 0 && i < static_cast<int>(n.digits.size()) ? n.digits[i] : '0';
}

std::string IntegerPart(const DecimalDigits& n, bool thousands) {
    std::string text;
    const int count = n.exponent > 0 ? n.exponent : 1;
    for (int i = 0; i < count; ++i) {
        if (thousands && i > 0 && (count - i) % 3 == 0) text += '.';
        text += n.exponent > 0 ? DigitAt(n, i) : '0';
    }
    return text;
}

// Fixed notation with exactly `places` decimals; `n` is already rounded to them.
std::string FixedText(const DecimalDigits& n, int places, bool thousands) {
    std::string text = n.negative && !n.digits.empty() ? "-" : "";
    text += IntegerPart(n, thousands);
    if (places > 0) {
        text += ',';
        for (int i = 0; i < places; ++i)
            text += DigitAt(n, n.exponent + i);
    }
    return text;
}

// General notation: fixed while the integer digits fit the precision and the value is not
// below 0,00001, else "1,5E20" with at least `expDigits` exponent digits.
std::string GeneralText(const DecimalDigits& n, int precision, int expDigits) {
    if (n.digits.empty()) return "0";
    std::string text = n.negative ? "-" : "";
    const int count = static_cast<int>(n.digits.size());
    if (n.exponent <= precision && n.exponent >= -4) {
        text += IntegerPart(n, false);
        if (count > n.exponent) {
            text += ',';
            for (int i = std::min(n.exponent, 0); i < 0; ++i)
                text += '0';
            text += n.digits.substr(std::max(n.exponent, 0));
        }
        return text;
    }
    text += n.digits[0];
    if (count > 1) {
        text += ',';
        text.append(n.digits, 1);
    }
    const int exponent = n.exponent - 1;
    std::string expText = std::to_string(std::abs(exponent));
    if (static_cast<int>(expText.size()) < expDigits)
        expText.insert(0, expDigits - expText.size(), '0');
    return text + "E" + (exponent < 0 ? "-" : "") + expText;
}

std::string NonFiniteText(double value) {
    if (std::isnan(value)) return "NAN";
    return value < 0 ? "-INF" : "INF";
}

std::string TrimBlanks(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Checks the shape [sign] digits [sep digits] [e [sign] digits] with one decimal separator,
// "," or ".", and digits on at least one side of it; returns the C form ('.' decimal).
bool NormaliseFloatText(const std::string& text, std::string& out) {
    size_t i = 0;
    out.clear();
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') out += '-';
        ++i;
    }
    int mantissaDigits = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i, ++mantissaDigits)
        out += text[i];
    if (i < text.size() && (text[i] == ',' || text[i] == '.')) {
        out += '.';
        for (++i; i < text.size() && IsDigit(text[i]); ++i, ++mantissaDigits)
            out += text[i];
    }
    if (mantissaDigits == 0) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        out += 'e';
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) out += text[i++];
        int expDigits = 0;
        for (; i < text.size() && IsDigit(text[i]); ++i, ++expDigits)
            out += text[i];
        if (expDigits == 0) return false;
    }
    return i == text.size();
}

}  // namespace

std::string FloatToStr(double value) {
    return FloatToStrF(value, TFloatFormat::ffGeneral, kDoublePrecision, 0);
}

std::string FloatToStrF(double value, TFloatFormat format, int precision, int digits) {
    if (!std::isfinite(value)) return NonFiniteText(value);
    precision = std::clamp(precision, 1, 17);
    digits = std::clamp(digits, 0, 18);
    DecimalDigits number = zel::detail::ToDecimalDigits(value, precision);
    if (format == TFloatFormat::ffGeneral || number.exponent > precision)
        return GeneralText(number, precision, format == TFloatFormat::ffGeneral ? digits : 0);
    zel::detail::RoundDecimalDigits(number, digits);
    return FixedText(number, digits, format == TFloatFormat::ffNumber);
}

bool TryStrToFloat(const std::string& text, double& out) {
    std::string plain;
    if (!NormaliseFloatText(TrimBlanks(text), plain)) return false;
    double value = 0;
    const auto result = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (result.ec != std::errc() || result.ptr != plain.data() + plain.size()) return false;
    out = value;
    return true;
}

double StrToFloat(const std::string& text) {
    double value = 0;
    if (!TryStrToFloat(text, value)) throw EConvertError("'" + text + "' não é um número válido");
    return value;
}

bool TryStrToInt(const std::string& text, int64_t& out) {
    const std::string trimmed = TrimBlanks(text);
    const char* first = trimmed.data();
    const char* last = first + trimmed.size();
    if (first != last && *first == '+' && first + 1 != last && first[1] != '-') ++first;
    if (first == last || (*first == '-' && first + 1 == last)) return false;
    int64_t value = 0;
    const auto result = std::from_chars(first, last, value);
    if (result.ec != std::errc() || result.ptr != last) return false;
    out = value;
    return true;
}

int64_t StrToInt(const std::string& text) {
    int64_t value = 0;
    if (!TryStrToInt(text, value))
        throw EConvertError("'" + text + "' não é um número inteiro válido");
    return value;
}

int64_t StrToIntDef(const std::string& text, int64_t fallback) {
    int64_t value = 0;
    return TryStrToInt(text, value) ? value : fallback;
}

std::string IntToStr(int64_t value) {
    return std::to_string(value);
}

namespace {

// The range where a double converts to int64 without overflow.
void CheckIntegerRange(double value) {
    if (!(value >= -9223372036854775808.0 && value < 9223372036854775808.0))
        throw EConvertError("Operação de ponto flutuante inválida");
}

}  // namespace

int64_t Trunc(double value) {
    const double whole = std::trunc(value);
    CheckIntegerRange(whole);
    return static_cast<int64_t>(whole);
}

int64_t Round(double value) {
    const double whole = std::round(value);  // halves away from zero
    CheckIntegerRange(whole);
    return static_cast<int64_t>(whole);
}
