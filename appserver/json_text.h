// Writing JSON text directly (no intermediate tree), for results of many rows.
#pragma once

#include <string>

#include "platform/variant.h"

namespace zel::appserver {

// Appends `s` as a JSON string literal; bytes that are not valid UTF-8 become U+FFFD.
void AppendJsonString(std::string& out, const std::string& s);
// Appends a number (shortest exact form; NaN and infinities as null).
void AppendJsonNumber(std::string& out, double d);

}  // namespace zel::appserver
