#include "appserver/json_text.h"

#include <charconv>
#include <cmath>

namespace zel::appserver {

namespace {

// Length of the valid UTF-8 sequence starting at s[i], or 0 when it is not valid.
size_t Utf8Sequence(std::string_view s, size_t i) {
    const auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = b(i);
    size_t n = 0;
    unsigned min = 0;
    unsigned cp = 0;
    if (c >= 0xC2 && c <= 0xDF)
        n = 2, cp = c & 0x1F, min = 0x80;
    else if (c >= 0xE0 && c <= 0xEF)
        n = 3, cp = c & 0x0F, min = 0x800;
    else if (c >= 0xF0 && c <= 0xF4)
        n = 4, cp = c & 0x07, min = 0x10000;
    else
        return 0;
    if (i + n > s.size()) return 0;
    for (size_t k = 1; k < n; ++k) {
        if ((b(i + k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b(i + k) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return n;
}

}  // namespace

void AppendJsonString(std::string& out, std::string_view s) {
    static const char* const kHex = "0123456789abcdef";
    out += '"';
    // Bytes that need no escape (printable ASCII, valid UTF-8 sequences) are copied in runs.
    size_t run = 0;
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c >= 0x20 && c < 0x80 && c != '"' && c != '\\') {
            ++i;
            continue;
        }
        if (c >= 0x80) {
            if (const size_t n = Utf8Sequence(s, i); n != 0) {
                i += n;
                continue;
            }
        }
        out.append(s.data() + run, i - run);
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    out += "\\u00";
                    out += kHex[c >> 4];
                    out += kHex[c & 0xF];
                } else {
                    out += "\xEF\xBF\xBD";  // not valid UTF-8
                }
        }
        run = ++i;
    }
    out.append(s.data() + run, s.size() - run);
    out += '"';
}

void AppendJsonNumber(std::string& out, double d) {
    if (!std::isfinite(d)) {
        out += "null";
        return;
    }
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, d);
    out.append(buf, r.ptr);
}

std::string JsonShapeProblem(std::string_view body) {
    int depth = 0;
    // Values and keys: every container, every string and every other token (number, true,
    // false, null) is counted where it starts.
    size_t elements = 0;
    bool inString = false;
    bool inToken = false;
    for (size_t i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (inString) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                inString = false;
            }
            continue;
        }
        const bool structural = c == '[' || c == '{' || c == ']' || c == '}' || c == ',' ||
                                c == ':' || c == '"' || c == ' ' || c == '\t' || c == '\n' ||
                                c == '\r';
        if (!structural) {
            if (!inToken) ++elements;
            inToken = true;
            continue;
        }
        inToken = false;
        if (c == '"') {
            inString = true;
            ++elements;
        } else if (c == '[' || c == '{') {
            if (++depth > kMaxJsonDepth)
                return "O pedido aninha listas e objetos em mais de " +
                       std::to_string(kMaxJsonDepth) + " níveis.";
            ++elements;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    if (elements > kMaxJsonElements)
        return "O pedido tem mais de " + std::to_string(kMaxJsonElements) +
               " elementos (listas, objetos, chaves e valores).";
    return {};
}

}  // namespace zel::appserver
