// Pure text and number routines the windows use: blank checks, trimming, code padding,
// decimal rounding, case handling and %s formatting. No state; callable from any thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/date_time.h"

// True when `s` is empty or holds only blanks (spaces, tabs, line breaks).
bool IsBlank(const std::string& s);

// `s` without blanks at both ends.
std::string TrimAll(const std::string& s);

// Length of a UTF-8 text in characters (code points), as field and column sizes count.
size_t Utf8Length(std::string_view text);

// The first `n` characters of a UTF-8 text (all of it when it is shorter), never cutting a
// character in two. The result points into `text`.
std::string_view Utf8Prefix(std::string_view text, size_t n);

// A number in the client's pt-BR form ("1,5", "1.234,5") or plain ("1.5"), blanks around
// it allowed. False when the text is not such a number (hex, "inf" and empty texts are not).
bool ParsePtBrNumber(std::string_view text, double& out);

// Trims `s`, then fills it on the left with "0" up to `width` characters: a code "12" at
// width 10 is "0000000012". A value already as long or longer is returned as it is.
std::string PadField(const std::string& s, int width);

// `x` rounded to `places` decimals (0..15), halves away from zero, taken on the number's
// 15-digit decimal form so that 2.675 gives 2.68 although 2.675 is stored as 2.67499...
// Negative places round to tens, hundreds, ... Non-finite values come back unchanged.
double RoundToPlaces(double x, int places);

// The last day of `date`'s month, without time.
TDateTime LastDayOfMonth(TDateTime date);

// Case mapping of ASCII letters and of the accented Latin letters of Portuguese (UTF-8
// "á" <-> "Á", "ç" <-> "Ç", ...). Other bytes pass through.
std::string UpperCase(const std::string& s);
std::string LowerCase(const std::string& s);

// Equal without regard to case (as UpperCase maps it).
bool SameText(const std::string& a, const std::string& b);

// Fills the "%s" (and "%d") placeholders of `fmt` with `args` in order; "%%" is a "%".
// A placeholder without an argument stays in the text as it is written, so a short argument
// list shows in the message instead of crashing; surplus arguments are ignored.
std::string Format(const std::string& fmt, const std::vector<std::string>& args);
