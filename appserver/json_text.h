// Writing JSON text directly (no intermediate tree), for results of many rows.
#pragma once

#include <string>
#include <string_view>

#include "platform/variant.h"

namespace zel::appserver {

// Deepest nesting of arrays and objects a request may have; the protocol needs seven.
inline constexpr int kMaxJsonDepth = 32;

// Why a request body may not be decoded, or "" when it may: nesting deeper than
// kMaxJsonDepth is refused by a scan of the text, before any parser recurses into it.
std::string JsonShapeProblem(std::string_view body);

// Appends `s` as a JSON string literal; bytes that are not valid UTF-8 become U+FFFD.
void AppendJsonString(std::string& out, std::string_view s);
// Appends a number (shortest exact form; NaN and infinities as null).
void AppendJsonNumber(std::string& out, double d);

}  // namespace zel::appserver
