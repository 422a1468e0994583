// Conversions between protocol values and what the two database engines store.
// Date-times are stored as "YYYY-MM-DD HH:MM:SS" (SQLite TEXT, PostgreSQL timestamp(0)),
// rounded to the second, so both engines compare and order them the same way.
#pragma once

#include <string>

#include "platform/date_time.h"
#include "platform/variant.h"

namespace zel::appserver {

std::string SqlDateTimeText(TDateTime value);
// Accepts "YYYY-MM-DD", "YYYY-MM-DD HH:MM:SS" and the same with "T" or fractional seconds.
// Throws EConvertError otherwise.
TDateTime ParseSqlDateTime(const std::string& text);
// A Variant as a bound parameter: dates become text, booleans 0/1, packets their JSON text.
Variant SqlParam(const Variant& v);
// Length of a UTF-8 text in characters (code points), as column sizes count.
size_t Utf8Length(const std::string& text);
// The first `n` characters of a UTF-8 text.
std::string Utf8Prefix(const std::string& text, size_t n);
// A number in the client's pt-BR form ("1,5", "1.234,5") or plain ("1.5"). False when not.
bool ParsePtBrNumber(const std::string& text, double& out);

}  // namespace zel::appserver
