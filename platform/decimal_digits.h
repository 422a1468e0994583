// Decimal digits of a double, the way the platform's float formatting sees a number: the value
// is first taken to a fixed count of significant digits (15 for a double), and every later
// rounding works on those decimal digits. That is why 2.675 rounds to 2.68 at two places even
// though its binary value is 2.67499999...
//
// Internal to zel_platform (number formatting and routines); not a public header.
#pragma once

#include <string>

namespace zel::detail {

// value = (negative ? -1 : 1) * 0.d1d2d3... * 10^exponent. `digits` has no trailing zeros;
// zero has no digits. Only finite values are represented.
struct DecimalDigits {
    bool negative = false;
    std::string digits;
    int exponent = 0;
};

// `precision` significant digits (1..17), rounded to nearest by the C library.
DecimalDigits ToDecimalDigits(double value, int precision);

// Rounds to `places` digits after the decimal point, halves away from zero.
void RoundDecimalDigits(DecimalDigits& number, int places);

// "1234.5" style text, '.' as the decimal point, no exponent: the C form of the number.
std::string DecimalDigitsToPlainText(const DecimalDigits& number);

}  // namespace zel::detail
