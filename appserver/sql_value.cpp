#include "appserver/sql_value.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>

#include "platform/exceptions.h"

namespace zel::appserver {

std::string SqlDateTimeText(TDateTime value) {
    // Round to the second first so 10:59:59.9996 becomes 11:00:00 on the right day.
    const double seconds = std::round(value * 86400.0);
    const TDateTime rounded = seconds / 86400.0;
    const DateParts d = DecodeDate(rounded);
    const TimeParts t = DecodeTime(rounded);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", d.year, d.month, d.day,
                  t.hour % 24, t.minute, t.second);
    return buf;
}

TDateTime ParseSqlDateTime(const std::string& text) {
    std::string iso = text;
    if (iso.size() > 10 && iso[10] == ' ') iso[10] = 'T';
    return IsoToDateTime(iso);
}

Variant SqlParam(const Variant& v) {
    switch (v.kind()) {
        case Variant::Kind::DateTime:
            return Variant(SqlDateTimeText(v.AsDateTime()));
        case Variant::Kind::Bool:
            return Variant(v.AsBool() ? 1 : 0);
        case Variant::Kind::Packet:
            return Variant(v.AsPacket().dump());
        default:
            return v;
    }
}

size_t Utf8Length(const std::string& text) {
    size_t n = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

std::string Utf8Prefix(const std::string& text, size_t n) {
    size_t count = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            if (count == n) return text.substr(0, i);
            ++count;
        }
    }
    return text;
}

bool ParsePtBrNumber(const std::string& text, double& out) {
    std::string s;
    size_t b = text.find_first_not_of(" \t");
    size_t e = text.find_last_not_of(" \t");
    if (b == std::string::npos) return false;
    s = text.substr(b, e - b + 1);
    if (s.find(',') != std::string::npos) {
        // pt-BR: "." groups thousands, "," is the decimal separator.
        std::string t;
        for (char c : s)
            if (c != '.') t += (c == ',' ? '.' : c);
        s = t;
    }
    if (s.empty()) return false;
    char* end = nullptr;
    const double v = std::strtod(s.c_str(), &end);
    if (end != s.c_str() + s.size() || !std::isfinite(v)) return false;
    // strtod also takes hex and "inf"; a number typed by an operator has neither.
    for (char c : s)
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+' ||
              c == 'e' || c == 'E'))
            return false;
    out = v;
    return true;
}

}  // namespace zel::appserver
