#include "appserver/packet_builder.h"

#include <cmath>
#include <nlohmann/json.hpp>

#include "appserver/json_text.h"
#include "appserver/sql_value.h"
#include "platform/exceptions.h"

namespace zel::appserver {

FieldDef Field(const std::string& name, TFieldType type, int size, unsigned flags) {
    FieldDef f;
    f.name = name;
    f.type = type;
    f.size = size;
    f.flags = flags;
    return f;
}

Variant FromSqlValue(const FieldDef& f, const Variant& raw) {
    if (raw.IsNull()) return raw;
    switch (f.type) {
        case TFieldType::ftString:
        case TFieldType::ftFixedChar: {
            std::string s = raw.AsString();
            if (f.size > 0 && Utf8Length(s) > static_cast<size_t>(f.size))
                s = Utf8Prefix(s, static_cast<size_t>(f.size));
            return Variant(std::move(s));
        }
        case TFieldType::ftMemo:
        case TFieldType::ftBlob:
            return Variant(raw.AsString());
        case TFieldType::ftInteger:
            if (raw.kind() == Variant::Kind::Float)
                return Variant(static_cast<long long>(std::llround(raw.AsFloat())));
            if (raw.kind() == Variant::Kind::String) {
                double d = 0;
                return ParsePtBrNumber(raw.AsString(), d) ? Variant(static_cast<long long>(d))
                                                          : Variant();
            }
            return raw;
        case TFieldType::ftFloat:
            if (raw.kind() == Variant::Kind::String) {
                double d = 0;
                return ParsePtBrNumber(raw.AsString(), d) ? Variant(d) : Variant();
            }
            return Variant(raw.AsFloat());
        case TFieldType::ftDateTime:
            if (raw.kind() == Variant::Kind::String) {
                if (raw.AsString().empty()) return Variant();
                return Variant::FromDateTime(ParseSqlDateTime(raw.AsString()));
            }
            return Variant::FromDateTime(raw.AsFloat());
        case TFieldType::ftBoolean:
            return Variant(raw.AsInteger() != 0);
    }
    return raw;
}

DataPacket BuildDataPacket(std::vector<FieldDef> fields, const std::vector<SqlRow>& rows) {
    DataPacket p;
    p.fields = std::move(fields);
    p.rows.reserve(rows.size());
    for (const SqlRow& raw : rows) {
        PacketRow row;
        row.reserve(p.fields.size());
        for (size_t i = 0; i < p.fields.size(); ++i)
            row.push_back(FromSqlValue(p.fields[i], i < raw.size() ? raw[i] : Variant()));
        p.rows.push_back(std::move(row));
    }
    return p;
}

namespace {

bool IsSqlDateTimeText(const std::string& s) {
    if (s.size() != 19 || s[4] != '-' || s[7] != '-' || s[10] != ' ' || s[13] != ':' ||
        s[16] != ':')
        return false;
    for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15, 17, 18})
        if (s[i] < '0' || s[i] > '9') return false;
    return true;
}

}  // namespace

std::string PacketText(const std::vector<FieldDef>& fields, const std::vector<SqlRow>& rows) {
    std::string out = "{\"fields\":[";
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i) out += ',';
        out += FieldDefToJson(fields[i]).dump();
    }
    out += "],\"rows\":[";
    out.reserve(out.size() + rows.size() * fields.size() * 24);
    for (size_t r = 0; r < rows.size(); ++r) {
        out += r ? ",[" : "[";
        for (size_t i = 0; i < fields.size(); ++i) {
            if (i) out += ',';
            const Variant raw = i < rows[r].size() ? rows[r][i] : Variant();
            if (fields[i].type == TFieldType::ftDateTime && raw.kind() == Variant::Kind::String &&
                IsSqlDateTimeText(raw.AsString())) {
                std::string iso = raw.AsString();
                iso[10] = 'T';
                out += "{\"$dt\":\"" + iso + "\"}";
                continue;
            }
            const Variant v = FromSqlValue(fields[i], raw);
            switch (v.kind()) {
                case Variant::Kind::Null:
                    out += "null";
                    break;
                case Variant::Kind::String:
                    AppendJsonString(out, v.AsString());
                    break;
                case Variant::Kind::Integer:
                    out += std::to_string(v.AsInteger());
                    break;
                case Variant::Kind::Float:
                    AppendJsonNumber(out, v.AsFloat());
                    break;
                default:
                    out += VariantToJson(v).dump();
            }
        }
        out += ']';
    }
    out += "]}";
    return out;
}

Variant PacketResult(const DataPacket& packet) {
    return Variant::FromPacket(DataPacketToJson(packet));
}

}  // namespace zel::appserver
