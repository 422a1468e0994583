// Building result packets from query rows: each raw database value is turned into its
// field's kind (date-time texts into dates, numbers into floats) and texts are cut to the
// field's size, so a packet always matches the fields it declares.
#pragma once

#include <string>
#include <vector>

#include "appserver/storage.h"
#include "platform/packet.h"

namespace zel::appserver {

FieldDef Field(const std::string& name, TFieldType type, int size = 0,
               unsigned flags = pfInUpdate | pfInWhere);
inline FieldDef StringField(const std::string& name, int size,
                            unsigned flags = pfInUpdate | pfInWhere) {
    return Field(name, TFieldType::ftString, size, flags);
}

// A raw database value (null, integer, float or text) as a value of field `f`.
Variant FromSqlValue(const FieldDef& f, const Variant& raw);

// The rows must have one value per field, in field order.
DataPacket BuildDataPacket(std::vector<FieldDef> fields, const std::vector<SqlRow>& rows);

// The same packet as JSON text, written without an intermediate tree (the fastest path).
std::string PacketText(const std::vector<FieldDef>& fields, const std::vector<SqlRow>& rows);

// The packet's JSON as a result value.
Variant PacketResult(const DataPacket& packet);

}  // namespace zel::appserver
