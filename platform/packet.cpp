#include "platform/packet.h"

#include <strings.h>
#include <cmath>
#include <nlohmann/json.hpp>
#include <type_traits>

#include "platform/exceptions.h"

using nlohmann::json;

namespace {

struct TypeName {
    TFieldType type;
    const char* name;
};
constexpr TypeName kTypeNames[] = {
    {TFieldType::ftString, "string"},     {TFieldType::ftFixedChar, "fixedchar"},
    {TFieldType::ftInteger, "integer"},   {TFieldType::ftFloat, "float"},
    {TFieldType::ftDateTime, "datetime"}, {TFieldType::ftMemo, "memo"},
    {TFieldType::ftBlob, "blob"},         {TFieldType::ftBoolean, "boolean"},
};

struct FlagName {
    unsigned flag;
    const char* name;
};
constexpr FlagName kFlagNames[] = {
    {pfInUpdate, "update"}, {pfInWhere, "where"}, {pfInKey, "key"}, {pfHidden, "hidden"}};
constexpr unsigned kDefaultFlags = pfInUpdate | pfInWhere;

[[noreturn]] void Fail(const std::string& what) {
    throw EDatabaseError("Malformed packet: " + what);
}

int IndexOf(const std::vector<FieldDef>& fields, const std::string& name) {
    for (size_t i = 0; i < fields.size(); ++i)
        if (strcasecmp(fields[i].name.c_str(), name.c_str()) == 0) return static_cast<int>(i);
    return -1;
}

// The value's JSON for an error message, cut short.
std::string Shown(const json& cell) {
    const std::string text = cell.dump(-1, ' ', false, json::error_handler_t::replace);
    return text.size() > 40 ? std::string(text, 0, 40) + "..." : text;
}

template <typename Json>
Variant CellFromJson(const FieldDef& def, Json& cell) {
    using K = json::value_t;
    const K kind = cell.type();
    if (kind == K::null) return {};
    switch (def.type) {
        case TFieldType::ftString:
        case TFieldType::ftFixedChar:
        case TFieldType::ftMemo:
        case TFieldType::ftBlob:
            if (kind != K::string) break;
            if constexpr (std::is_const_v<Json>) {
                return Variant(cell.template get_ref<const std::string&>());
            } else {
                return Variant(std::move(cell.template get_ref<std::string&>()));
            }
        case TFieldType::ftInteger:
            if (kind == K::number_integer) return Variant(cell.template get<long long>());
            if (kind == K::number_unsigned) {
                const auto u = cell.template get<uint64_t>();
                if (u <= static_cast<uint64_t>(INT64_MAX))
                    return Variant(static_cast<long long>(u));
            }
            if (kind == K::number_float) {
                // A whole number inside the int64 range only (no rounding, no overflow).
                const double d = cell.template get<double>();
                if (std::trunc(d) == d && d >= -9223372036854775808.0 && d < 9223372036854775808.0)
                    return Variant(static_cast<long long>(d));
            }
            break;
        case TFieldType::ftFloat:
            if (kind == K::number_float || kind == K::number_integer)
                return Variant(cell.template get<double>());
            if (kind == K::number_unsigned &&
                cell.template get<uint64_t>() <= static_cast<uint64_t>(INT64_MAX))
                return Variant(cell.template get<double>());
            break;
        case TFieldType::ftDateTime:
            if (kind == K::object && cell.size() == 1) {
                const auto it = cell.find("$dt");
                if (it != cell.end() && it->is_string())
                    return Variant::FromDateTime(
                        IsoToDateTime(it->template get_ref<const std::string&>()));
            }
            break;
        case TFieldType::ftBoolean:
            if (kind == K::boolean) return Variant(cell.template get<bool>());
            break;
    }
    throw EConvertError(Shown(cell) + " does not fit type " + FieldTypeName(def.type));
}

PacketRow RowFromJson(const std::vector<FieldDef>& fields, const json& j, const char* what) {
    if (!j.is_array()) Fail(std::string(what) + " must be an array");
    if (j.size() != fields.size())
        Fail(std::string(what) + " has " + std::to_string(j.size()) + " values for " +
             std::to_string(fields.size()) + " fields");
    PacketRow row;
    row.reserve(fields.size());
    for (size_t i = 0; i < fields.size(); ++i) {
        try {
            row.push_back(CellFromJson(fields[i], j[i]));
        } catch (const EConvertError& e) {
            Fail("field '" + fields[i].name + "': " + e.what());
        }
    }
    return row;
}

}  // namespace

int IndexOfField(const std::vector<FieldDef>& fields, const std::string& name) {
    return IndexOf(fields, name);
}

std::vector<FieldDef> PacketFieldsFromJson(const json& j) {
    if (!j.is_object()) Fail("not an object");
    const auto it = j.find("fields");
    if (it == j.end() || !it->is_array()) Fail("'fields' must be an array");
    std::vector<FieldDef> fields;
    fields.reserve(it->size());
    for (const json& f : *it) {
        fields.push_back(FieldDefFromJson(f));
        if (IndexOf(fields, fields.back().name) != static_cast<int>(fields.size()) - 1)
            Fail("field '" + fields.back().name + "' appears twice");
    }
    return fields;
}

json PacketFieldsToJson(const std::vector<FieldDef>& fields) {
    json::array_t out;
    out.reserve(fields.size());
    for (const FieldDef& f : fields)
        out.push_back(FieldDefToJson(f));
    return json(std::move(out));
}

Variant PacketCellFromJson(const FieldDef& def, const json& cell) {
    return CellFromJson(def, cell);
}

Variant PacketCellFromJson(const FieldDef& def, json&& cell) {
    return CellFromJson(def, cell);
}

json PacketRowToJson(const PacketRow& row) {
    json::array_t out;
    out.reserve(row.size());
    for (const Variant& v : row)
        out.push_back(VariantToJson(v));
    return json(std::move(out));
}

int DataPacket::FieldIndex(const std::string& name) const {
    return IndexOf(fields, name);
}
int ChangePacket::FieldIndex(const std::string& name) const {
    return IndexOf(fields, name);
}

const char* FieldTypeName(TFieldType type) {
    for (const auto& t : kTypeNames)
        if (t.type == type) return t.name;
    return "string";
}

TFieldType FieldTypeFromName(const std::string& name) {
    for (const auto& t : kTypeNames)
        if (name == t.name) return t.type;
    Fail("unknown field type '" + name + "'");
}

json FieldDefToJson(const FieldDef& f) {
    json out = {{"name", f.name}, {"type", FieldTypeName(f.type)}};
    if (f.size > 0) out["size"] = f.size;
    if (f.flags != kDefaultFlags) {
        json flags = json::array();
        for (const auto& fl : kFlagNames)
            if (f.flags & fl.flag) flags.push_back(fl.name);
        out["flags"] = std::move(flags);
    }
    return out;
}

FieldDef FieldDefFromJson(const json& j) {
    if (!j.is_object()) Fail("a field descriptor must be an object");
    FieldDef f;
    const auto name = j.find("name");
    if (name == j.end() || !name->is_string() || name->get_ref<const std::string&>().empty())
        Fail("a field descriptor needs a name");
    f.name = name->get<std::string>();
    const auto type = j.find("type");
    if (type == j.end() || !type->is_string()) Fail("field '" + f.name + "' needs a type");
    f.type = FieldTypeFromName(type->get<std::string>());
    if (const auto size = j.find("size"); size != j.end()) {
        if (!size->is_number_integer() || size->get<int64_t>() < 0 ||
            size->get<int64_t>() > 1000000)
            Fail("field '" + f.name + "' has a bad size");
        f.size = size->get<int>();
    }
    if (const auto flags = j.find("flags"); flags != j.end()) {
        if (!flags->is_array()) Fail("field '" + f.name + "' flags must be an array");
        f.flags = 0;
        for (const json& fl : *flags) {
            bool known = false;
            for (const auto& n : kFlagNames)
                if (fl.is_string() && fl.get_ref<const std::string&>() == n.name) {
                    f.flags |= n.flag;
                    known = true;
                }
            if (!known) Fail("field '" + f.name + "' has an unknown flag");
        }
    }
    return f;
}

json DataPacketToJson(const DataPacket& p) {
    json rows = json::array();
    for (const PacketRow& r : p.rows)
        rows.push_back(PacketRowToJson(r));
    return {{"fields", PacketFieldsToJson(p.fields)}, {"rows", std::move(rows)}};
}

DataPacket DataPacketFromJson(const json& j) {
    DataPacket p;
    p.fields = PacketFieldsFromJson(j);
    const auto rows = j.find("rows");
    if (rows == j.end() || !rows->is_array()) Fail("'rows' must be an array");
    p.rows.reserve(rows->size());
    for (const json& r : *rows)
        p.rows.push_back(RowFromJson(p.fields, r, "a row"));
    return p;
}

json PacketChangeToJson(ChangeOp op, const PacketRow* oldValues, const PacketRow* newValues) {
    static const PacketRow kNone;
    switch (op) {
        case ChangeOp::Insert:
            return {{"op", "insert"}, {"new", PacketRowToJson(newValues ? *newValues : kNone)}};
        case ChangeOp::Update:
            return {{"op", "update"},
                    {"old", PacketRowToJson(oldValues ? *oldValues : kNone)},
                    {"new", PacketRowToJson(newValues ? *newValues : kNone)}};
        case ChangeOp::Delete:
            break;
    }
    return {{"op", "delete"}, {"old", PacketRowToJson(oldValues ? *oldValues : kNone)}};
}

json ChangePacketToJson(const ChangePacket& p) {
    json::array_t changes;
    changes.reserve(p.changes.size());
    for (const Change& c : p.changes)
        changes.push_back(PacketChangeToJson(c.op, &c.oldValues, &c.newValues));
    return {{"fields", PacketFieldsToJson(p.fields)}, {"changes", json(std::move(changes))}};
}

ChangePacket ChangePacketFromJson(const json& j) {
    ChangePacket p;
    p.fields = PacketFieldsFromJson(j);
    const auto changes = j.find("changes");
    if (changes == j.end() || !changes->is_array()) Fail("'changes' must be an array");
    for (const json& cj : *changes) {
        if (!cj.is_object()) Fail("a change must be an object");
        const auto op = cj.find("op");
        if (op == cj.end() || !op->is_string()) Fail("a change needs an 'op'");
        const std::string& name = op->get_ref<const std::string&>();
        Change c;
        const auto need = [&](const char* key) -> const json& {
            const auto it = cj.find(key);
            if (it == cj.end()) Fail("a '" + name + "' change needs '" + key + "'");
            return *it;
        };
        if (name == "insert") {
            c.op = ChangeOp::Insert;
            c.newValues = RowFromJson(p.fields, need("new"), "'new'");
        } else if (name == "update") {
            c.op = ChangeOp::Update;
            c.oldValues = RowFromJson(p.fields, need("old"), "'old'");
            c.newValues = RowFromJson(p.fields, need("new"), "'new'");
        } else if (name == "delete") {
            c.op = ChangeOp::Delete;
            c.oldValues = RowFromJson(p.fields, need("old"), "'old'");
        } else {
            Fail("unknown change op '" + name + "'");
        }
        p.changes.push_back(std::move(c));
    }
    return p;
}

Variant CoerceToField(const FieldDef& def, const Variant& v) {
    if (v.IsNull()) return v;
    const auto bad = [&]() -> EDatabaseError {
        return EDatabaseError("Value " + v.DebugString() + " does not fit field '" + def.name +
                              "' of type " + FieldTypeName(def.type));
    };
    using K = Variant::Kind;
    switch (def.type) {
        case TFieldType::ftString:
        case TFieldType::ftFixedChar:
        case TFieldType::ftMemo:
        case TFieldType::ftBlob:
            if (v.kind() != K::String) throw bad();
            return v;
        case TFieldType::ftInteger:
            if (v.kind() == K::Integer) return v;
            if (v.kind() == K::Float) {
                // A whole number inside the int64 range only (no rounding, no overflow).
                const double d = v.AsFloat();
                if (std::trunc(d) == d && d >= -9223372036854775808.0 && d < 9223372036854775808.0)
                    return Variant(static_cast<int64_t>(d));
            }
            throw bad();
        case TFieldType::ftFloat:
            if (v.kind() == K::Float) return v;
            if (v.kind() == K::Integer) return Variant(v.AsFloat());
            throw bad();
        case TFieldType::ftDateTime:
            if (v.kind() == K::DateTime) return v;
            throw bad();
        case TFieldType::ftBoolean:
            if (v.kind() == K::Bool) return v;
            throw bad();
    }
    throw bad();
}
