// Writing JSON text directly (no intermediate tree), for results of many rows.
#pragma once

#include <string>
#include <string_view>

#include "platform/variant.h"

namespace zel::appserver {

// Deepest nesting of arrays and objects a request may have; the protocol needs seven.
inline constexpr int kMaxJsonDepth = 32;
// Most values and keys (arrays, objects, keys, items) a request may hold. A decoded value costs
// tens of bytes however short its text ("[]" is two bytes), so the count, not the length of
// the body, bounds the memory a request's tree takes. The largest change packet the client
// sends holds a few thousand rows of a few dozen fields.
inline constexpr size_t kMaxJsonElements = 250000;

// Why a request body may not be decoded, or "" when it may: nesting deeper than
// kMaxJsonDepth or more than kMaxJsonElements values are refused by a scan of the text,
// before any parser recurses into it or allocates a value.
std::string JsonShapeProblem(std::string_view body);

// Appends `s` as a JSON string literal; bytes that are not valid UTF-8 become U+FFFD.
void AppendJsonString(std::string& out, std::string_view s);
// Appends a number (shortest exact form; NaN and infinities as null).
void AppendJsonNumber(std::string& out, double d);

}  // namespace zel::appserver
