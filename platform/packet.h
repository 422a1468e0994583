// Data packets (a table: field descriptors + rows) and change packets (a change log: field
// descriptors + inserted, updated and deleted rows), and their JSON form:
//
//   data:   {"fields":[{"name":"CDFILIAL","type":"string","size":4},...],
//            "rows":[["0001","0000000001",...],...]}
//   change: {"fields":[...],
//            "changes":[{"op":"insert","new":[...]},
//                       {"op":"update","old":[...],"new":[...]},
//                       {"op":"delete","old":[...]}]}
//
// Values inside rows use the Variant encoding (dates as {"$dt":...}). Every row holds one value
// per field, in field order. An update carries the whole original row and the whole current row.
//
// The readers are strict: an unknown type, a missing key, a row of the wrong width or a value
// of the wrong kind for its field throws EDatabaseError naming what is wrong, and nothing
// half-read is returned.
#pragma once

#include <nlohmann/json_fwd.hpp>
#include <string>
#include <vector>

#include "platform/variant.h"

enum class TFieldType {
    ftString,     // variable text, cut to Size
    ftFixedChar,  // fixed-width text (codes), cut to Size
    ftInteger,    // 64-bit integer
    ftFloat,      // double
    ftDateTime,   // TDateTime
    ftMemo,       // long text (rich-text minutes), no size limit
    ftBlob,       // binary, base64 in JSON
    ftBoolean,
};

// Provider flags: how the resolver uses a field. The default is InUpdate | InWhere.
enum TProviderFlag : unsigned {
    pfInUpdate = 1u << 0,  // written on insert/update
    pfInWhere = 1u << 1,   // its old value is part of the where clause when it was changed
    pfInKey = 1u << 2,     // part of the row's key (always in the where clause)
    pfHidden = 1u << 3,    // travels, never shown
};

struct FieldDef {
    std::string name;
    TFieldType type = TFieldType::ftString;
    int size = 0;  // characters for strings; 0 for other kinds
    unsigned flags = pfInUpdate | pfInWhere;

    friend bool operator==(const FieldDef&, const FieldDef&) = default;
};

using PacketRow = std::vector<Variant>;

struct DataPacket {
    std::vector<FieldDef> fields;
    std::vector<PacketRow> rows;

    int FieldIndex(const std::string& name) const;  // case-insensitive; -1 when absent
};

enum class ChangeOp { Insert, Update, Delete };

struct Change {
    ChangeOp op = ChangeOp::Insert;
    PacketRow oldValues;  // update, delete
    PacketRow newValues;  // insert, update
};

struct ChangePacket {
    std::vector<FieldDef> fields;
    std::vector<Change> changes;

    int FieldIndex(const std::string& name) const;  // case-insensitive; -1 when absent
};

const char* FieldTypeName(TFieldType type);             // "string", "fixedchar", "integer", ...
TFieldType FieldTypeFromName(const std::string& name);  // EDatabaseError when unknown

nlohmann::json FieldDefToJson(const FieldDef& f);
FieldDef FieldDefFromJson(const nlohmann::json& j);

// The pieces every packet reader and writer shares (the client dataset reads and writes its
// rows with them too):
// Position of the field called `name` (case-insensitive); -1 when absent.
int IndexOfField(const std::vector<FieldDef>& fields, const std::string& name);
// The descriptors of a packet object's "fields", each name once; EDatabaseError otherwise.
std::vector<FieldDef> PacketFieldsFromJson(const nlohmann::json& packet);
nlohmann::json PacketFieldsToJson(const std::vector<FieldDef>& fields);
// One JSON value of a row as a value of field `def`, strictly: texts only for text fields,
// whole numbers within range for integers, {"$dt":"..."} for date-times, true/false for
// booleans; null fits every field. Throws EConvertError naming the kind that does not fit.
// The overload for an rvalue moves a text out instead of copying it.
Variant PacketCellFromJson(const FieldDef& def, const nlohmann::json& cell);
Variant PacketCellFromJson(const FieldDef& def, nlohmann::json&& cell);
nlohmann::json PacketRowToJson(const PacketRow& row);
// One change of a change packet: {"op":...,"old":[...],"new":[...]} with the rows its kind
// carries (an update both, an insert the new values, a delete the old ones).
nlohmann::json PacketChangeToJson(ChangeOp op, const PacketRow* oldValues,
                                  const PacketRow* newValues);

nlohmann::json DataPacketToJson(const DataPacket& p);
DataPacket DataPacketFromJson(const nlohmann::json& j);

nlohmann::json ChangePacketToJson(const ChangePacket& p);
ChangePacket ChangePacketFromJson(const nlohmann::json& j);

// Checks that `v` may be stored in a field of `def` (null always may) and returns it in the
// field's own kind (an integer in a float field becomes a float, an ISO text stays a text).
// Throws EDatabaseError naming the field when the kind does not fit.
Variant CoerceToField(const FieldDef& def, const Variant& v);
