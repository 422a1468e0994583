#include "appserver/sql_value.h"

#include <cmath>
#include <cstdio>
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

bool IsSqlDateTimeText(std::string_view s) {
    if (s.size() != 19 || s[4] != '-' || s[7] != '-' || s[10] != ' ' || s[13] != ':' ||
        s[16] != ':')
        return false;
    for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15, 17, 18})
        if (s[i] < '0' || s[i] > '9') return false;
    return true;
}

}  // namespace zel::appserver
