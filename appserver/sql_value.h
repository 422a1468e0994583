// Conversions between protocol values and what the two database engines store.
// Date-times are stored as "YYYY-MM-DD HH:MM:SS" (SQLite TEXT, PostgreSQL timestamp(0)),
// rounded to the second, so both engines compare and order them the same way.
#pragma once

#include <string>
#include <string_view>

#include "platform/date_time.h"
#include "platform/routines.h"
#include "platform/variant.h"

namespace zel::appserver {

std::string SqlDateTimeText(TDateTime value);
// Accepts "YYYY-MM-DD", "YYYY-MM-DD HH:MM:SS" and the same with "T" or fractional seconds.
// Throws EConvertError otherwise.
TDateTime ParseSqlDateTime(const std::string& text);
// A Variant as a bound parameter: dates become text, booleans 0/1, packets their JSON text.
Variant SqlParam(const Variant& v);
// True for exactly "YYYY-MM-DD HH:MM:SS", the form both engines hand date-times back in.
bool IsSqlDateTimeText(std::string_view text);

}  // namespace zel::appserver
