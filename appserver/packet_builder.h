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

// A data packet's JSON text written row by row straight from database cells, without an
// intermediate tree or Variant per value: each cell is turned into its field's kind as
// FromSqlValue does, appended to `out`. Cells come in field order, one per field.
class PacketTextWriter {
  public:
    // `expectedSize`: room to reserve for the whole text (a previous result's size, say).
    PacketTextWriter(const std::vector<FieldDef>& fields, std::string& out,
                     size_t expectedSize = 0);
    // The next field's value in the current row (a row starts with its first cell).
    void Cell(const SqlCell& raw);
    // The next field's value, already of the field's kind.
    void Value(const Variant& value);
    // Ends the current row; throws std::logic_error when it lacks cells.
    void EndRow();
    // Closes the packet; the writer is spent.
    void Finish();

  private:
    const FieldDef& next();

    const std::vector<FieldDef>& m_fields;
    std::string& m_out;
    size_t m_column = 0;
    bool m_firstRow = true;
};

// The packet's JSON as a result value.
Variant PacketResult(const DataPacket& packet);

}  // namespace zel::appserver
