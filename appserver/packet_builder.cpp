#include "appserver/packet_builder.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>
#include <stdexcept>

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
            if (f.size > 0) s.resize(Utf8Prefix(s, static_cast<size_t>(f.size)).size());
            return Variant(std::move(s));
        }
        case TFieldType::ftMemo:
        case TFieldType::ftBlob:
            return Variant(raw.AsString());
        case TFieldType::ftInteger:
            if (raw.kind() == Variant::Kind::Float)
                return Variant(static_cast<long long>(Round(raw.AsFloat())));
            if (raw.kind() == Variant::Kind::String) {
                double d = 0;
                return ParsePtBrNumber(raw.AsString(), d)
                           ? Variant(static_cast<long long>(Trunc(d)))
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

void AppendInteger(std::string& out, long long v) {
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, r.ptr);
}

void AppendValue(std::string& out, const Variant& v) {
    switch (v.kind()) {
        case Variant::Kind::Null:
            out += "null";
            break;
        case Variant::Kind::String:
            AppendJsonString(out, *v.StringPtr());
            break;
        case Variant::Kind::Integer:
            AppendInteger(out, v.AsInteger());
            break;
        case Variant::Kind::Float:
            AppendJsonNumber(out, v.AsFloat());
            break;
        default:
            out += VariantToJson(v).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    }
}

}  // namespace

PacketTextWriter::PacketTextWriter(const std::vector<FieldDef>& fields, std::string& out,
                                   size_t expectedSize)
    : m_fields(fields), m_out(out) {
    m_out.reserve(m_out.size() + std::max<size_t>(expectedSize, 1 << 12));
    m_out += "{\"fields\":[";
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i) m_out += ',';
        m_out += FieldDefToJson(fields[i]).dump();
    }
    m_out += "],\"rows\":[";
}

const FieldDef& PacketTextWriter::next() {
    if (m_column == m_fields.size())
        throw std::logic_error("packet row has more cells than fields");
    if (m_column == 0) {
        m_out += m_firstRow ? "[" : ",[";
        m_firstRow = false;
    } else {
        m_out += ',';
    }
    return m_fields[m_column++];
}

void PacketTextWriter::Cell(const SqlCell& raw) {
    const FieldDef& f = next();
    using K = SqlCell::Kind;
    // The usual pairs of field kind and stored kind are written directly; the rest takes
    // the general conversion.
    switch (f.type) {
        case TFieldType::ftString:
        case TFieldType::ftFixedChar:
            if (raw.kind == K::Text) {
                AppendJsonString(m_out, f.size > 0
                                            ? Utf8Prefix(raw.text, static_cast<size_t>(f.size))
                                            : raw.text);
                return;
            }
            break;
        case TFieldType::ftMemo:
        case TFieldType::ftBlob:
            if (raw.kind == K::Text) {
                AppendJsonString(m_out, raw.text);
                return;
            }
            break;
        case TFieldType::ftInteger:
            if (raw.kind == K::Integer) {
                AppendInteger(m_out, raw.integer);
                return;
            }
            break;
        case TFieldType::ftFloat:
            if (raw.kind == K::Float || raw.kind == K::Integer) {
                AppendJsonNumber(
                    m_out, raw.kind == K::Float ? raw.real : static_cast<double>(raw.integer));
                return;
            }
            break;
        case TFieldType::ftDateTime:
            if (raw.kind == K::Text && IsSqlDateTimeText(raw.text)) {
                m_out += "{\"$dt\":\"";
                m_out.append(raw.text.data(), 10);
                m_out += 'T';
                m_out.append(raw.text.data() + 11, 8);
                m_out += "\"}";
                return;
            }
            break;
        case TFieldType::ftBoolean:
            break;
    }
    if (raw.IsNull()) {
        m_out += "null";
        return;
    }
    AppendValue(m_out, FromSqlValue(f, raw.ToVariant()));
}

void PacketTextWriter::Value(const Variant& value) {
    next();
    AppendValue(m_out, value);
}

void PacketTextWriter::EndRow() {
    if (m_column != m_fields.size())
        throw std::logic_error("packet row has fewer cells than fields");
    m_out += ']';
    m_column = 0;
}

void PacketTextWriter::Finish() {
    m_out += "]}";
}

Variant PacketResult(const DataPacket& packet) {
    return Variant::FromPacket(DataPacketToJson(packet));
}

}  // namespace zel::appserver
