// TClientDataSet: data packets in (SetData) and out (Data), and the change log (Delta,
// ChangeCount, MergeChangeLog, CancelUpdates, EmptyDataSet).
#include <strings.h>
#include <algorithm>
#include <nlohmann/json.hpp>
#include <type_traits>

#include "platform/client_data_set.h"
#include "platform/client_data_set_impl.h"
#include "platform/exceptions.h"

using nlohmann::json;

namespace {

[[noreturn]] void Fail(const std::string& what) {
    throw EDatabaseError("Malformed packet: " + what);
}

// Where each target field's value sits in a packet row. Without declared fields the packet's
// own fields are the targets.
std::vector<int> MapColumns(const std::vector<FieldDef>& packetFields,
                            const std::vector<FieldDef>& declared) {
    std::vector<int> map;
    if (declared.empty()) {
        for (size_t i = 0; i < packetFields.size(); ++i)
            map.push_back(static_cast<int>(i));
        return map;
    }
    for (const FieldDef& f : declared) {
        const int at = IndexOfField(packetFields, f.name);
        if (at < 0) throw EDatabaseError("Field '" + f.name + "' is missing from the data packet");
        map.push_back(at);
    }
    return map;
}

template <typename Json>
LoadedData LoadJson(Json& packet, const std::vector<FieldDef>& declared) {
    LoadedData out;
    out.fields = PacketFieldsFromJson(packet);
    const std::vector<FieldDef>& targets = declared.empty() ? out.fields : declared;
    const std::vector<int> map = MapColumns(out.fields, declared);
    const auto rowsIt = packet.find("rows");
    if (rowsIt == packet.end() || !rowsIt->is_array()) Fail("'rows' must be an array");
    out.rows.reserve(rowsIt->size());
    size_t rowNo = 0;
    for (auto& rowJson : *rowsIt) {
        ++rowNo;
        if (!rowJson.is_array()) Fail("row " + std::to_string(rowNo) + " must be an array");
        if (rowJson.size() != out.fields.size())
            Fail("row " + std::to_string(rowNo) + " has " + std::to_string(rowJson.size()) +
                 " values for " + std::to_string(out.fields.size()) + " fields");
        DataSetRow& row = out.rows.emplace_back();
        row.values.reserve(targets.size());
        for (size_t t = 0; t < targets.size(); ++t) {
            try {
                if constexpr (std::is_const_v<Json>) {
                    row.values.push_back(PacketCellFromJson(targets[t], rowJson[map[t]]));
                } else {
                    row.values.push_back(
                        PacketCellFromJson(targets[t], std::move(rowJson[map[t]])));
                }
            } catch (const EConvertError& e) {
                Fail("row " + std::to_string(rowNo) + ", field '" + targets[t].name +
                     "': " + e.what());
            }
        }
    }
    return out;
}

}  // namespace

LoadedData LoadPacketJson(const json& packet, const std::vector<FieldDef>& declared) {
    return LoadJson(packet, declared);
}

LoadedData LoadPacketJson(json&& packet, const std::vector<FieldDef>& declared) {
    return LoadJson(packet, declared);
}

LoadedData LoadDataPacket(const DataPacket& packet, const std::vector<FieldDef>& declared) {
    LoadedData out;
    out.fields = packet.fields;
    const std::vector<FieldDef>& targets = declared.empty() ? out.fields : declared;
    const std::vector<int> map = MapColumns(out.fields, declared);
    out.rows.reserve(packet.rows.size());
    for (size_t r = 0; r < packet.rows.size(); ++r) {
        const PacketRow& source = packet.rows[r];
        if (source.size() != out.fields.size())
            Fail("row " + std::to_string(r + 1) + " does not hold one value per field");
        DataSetRow& row = out.rows.emplace_back();
        row.values.reserve(targets.size());
        for (size_t t = 0; t < targets.size(); ++t)
            row.values.push_back(CoerceToField(targets[t], source[map[t]]));
    }
    return out;
}

// ---- data in ----

void TClientDataSet::SetData(const Variant& packet) {
    switch (packet.kind()) {
        case Variant::Kind::Packet:
            SetData(packet.AsPacket());
            return;
        case Variant::Kind::String:
            SetDataFromJsonText(*packet.StringPtr());
            return;
        case Variant::Kind::Null:
            Close();
            return;
        default:
            throw Error("A " + packet.DebugString() + " value is not a data packet");
    }
}

void TClientDataSet::SetData(const json& packet) {
    Install(LoadPacketJson(packet, m_impl->fieldsDeclared ? FieldDefs() : std::vector<FieldDef>{}));
}

void TClientDataSet::SetData(const DataPacket& packet) {
    Install(LoadDataPacket(packet, m_impl->fieldsDeclared ? FieldDefs() : std::vector<FieldDef>{}));
}

void TClientDataSet::SetDataFromJsonText(std::string_view text) {
    json parsed = json::parse(text, nullptr, false);
    if (parsed.is_discarded()) throw Error("Malformed packet: the text is not valid JSON");
    Install(LoadPacketJson(std::move(parsed),
                           m_impl->fieldsDeclared ? FieldDefs() : std::vector<FieldDef>{}));
}

// Everything that can fail is checked before the dataset is touched.
void TClientDataSet::Install(LoadedData&& data) {
    const std::vector<FieldDef> defs = m_impl->fieldsDeclared ? FieldDefs() : data.fields;
    std::unique_ptr<FilterExpression> filter;
    std::vector<int> sortFields;
    BindView(defs, filter, sortFields, m_filtered);

    CloseCursor();
    if (!m_impl->fieldsDeclared) ReplaceFields(data.fields);
    m_impl->rows = std::move(data.rows);
    for (DataSetRow& row : m_impl->rows)
        row.id = m_impl->nextId++;
    m_impl->hasData = true;
    m_impl->filter = std::move(filter);
    m_impl->sortFields = std::move(sortFields);
    OpenCursor();
}

// Fields taken from a packet keep their TField objects (and the handlers set on them) when
// a later packet has a field of the same name.
void TClientDataSet::ReplaceFields(const std::vector<FieldDef>& defs) {
    std::vector<std::unique_ptr<TField>> fields;
    fields.reserve(defs.size());
    for (size_t i = 0; i < defs.size(); ++i) {
        std::unique_ptr<TField> field;
        for (auto& old : m_fields)
            if (old && strcasecmp(old->FieldName().c_str(), defs[i].name.c_str()) == 0) {
                field = std::move(old);
                break;
            }
        if (!field) field = std::make_unique<TField>(*this, defs[i], static_cast<int>(i));
        field->m_def = defs[i];
        field->m_index = static_cast<int>(i);
        fields.push_back(std::move(field));
    }
    m_fields = std::move(fields);
}

// ---- data out ----

Variant TClientDataSet::Data() const {
    json::array_t rows;
    rows.reserve(m_impl->rows.size());
    for (const DataSetRow& row : m_impl->rows)
        if (row.status != RowStatus::Deleted && row.status != RowStatus::Pending)
            rows.push_back(PacketRowToJson(m_impl->PostedValues(row)));
    return Variant::FromPacket(
        json{{"fields", PacketFieldsToJson(FieldDefs())}, {"rows", json(std::move(rows))}});
}

DataPacket TClientDataSet::DataAsPacket() const {
    DataPacket p;
    p.fields = FieldDefs();
    for (const DataSetRow& row : m_impl->rows)
        if (row.status != RowStatus::Deleted && row.status != RowStatus::Pending)
            p.rows.push_back(m_impl->PostedValues(row));
    return p;
}

// The logged rows in the order of their first change.
std::vector<const DataSetRow*> TClientDataSet::Impl::ChangedRows() const {
    std::vector<const DataSetRow*> changed;
    for (const DataSetRow& row : rows)
        if (row.changeSeq != 0) changed.push_back(&row);
    std::sort(changed.begin(), changed.end(),
              [](const DataSetRow* a, const DataSetRow* b) { return a->changeSeq < b->changeSeq; });
    return changed;
}

ChangePacket TClientDataSet::DeltaAsPacket() const {
    ChangePacket p;
    p.fields = FieldDefs();
    for (const DataSetRow* row : m_impl->ChangedRows()) {
        Change c;
        switch (row->status) {
            case RowStatus::Inserted:
                c.op = ChangeOp::Insert;
                c.newValues = m_impl->PostedValues(*row);
                break;
            case RowStatus::Modified:
                c.op = ChangeOp::Update;
                c.oldValues = row->original;
                c.newValues = m_impl->PostedValues(*row);
                break;
            case RowStatus::Deleted:
                c.op = ChangeOp::Delete;
                c.oldValues = row->original;
                break;
            default:
                continue;
        }
        p.changes.push_back(std::move(c));
    }
    return p;
}

// Written straight from the rows (the same JSON as ChangePacketToJson of DeltaAsPacket,
// without copying every value twice).
Variant TClientDataSet::Delta() const {
    const std::vector<const DataSetRow*> changed = m_impl->ChangedRows();
    json::array_t changes;
    changes.reserve(changed.size());
    for (const DataSetRow* row : changed) {
        switch (row->status) {
            case RowStatus::Inserted:
                changes.push_back(
                    PacketChangeToJson(ChangeOp::Insert, nullptr, &m_impl->PostedValues(*row)));
                break;
            case RowStatus::Modified:
                changes.push_back(PacketChangeToJson(ChangeOp::Update, &row->original,
                                                     &m_impl->PostedValues(*row)));
                break;
            case RowStatus::Deleted:
                changes.push_back(PacketChangeToJson(ChangeOp::Delete, &row->original, nullptr));
                break;
            default:
                break;
        }
    }
    return Variant::FromPacket(
        json{{"fields", PacketFieldsToJson(FieldDefs())}, {"changes", json(std::move(changes))}});
}

int TClientDataSet::ChangeCount() const {
    int n = 0;
    for (const DataSetRow& row : m_impl->rows)
        if (row.changeSeq != 0) ++n;
    return n;
}

// ---- the change log ----

void TClientDataSet::MergeChangeLog() {
    Impl& d = *m_impl;
    const uint64_t keep = d.pos >= 0 ? d.rows[d.view[d.pos]].id : 0;
    std::vector<DataSetRow> rows;
    rows.reserve(d.rows.size());
    for (DataSetRow& row : d.rows) {
        if (row.status == RowStatus::Deleted) continue;
        if (row.status != RowStatus::Pending) row.status = RowStatus::Unchanged;
        row.changeSeq = 0;
        row.original.clear();
        rows.push_back(std::move(row));
    }
    d.rows = std::move(rows);
    if (Active()) d.RebuildView(m_filtered, keep);
}

void TClientDataSet::CancelUpdates() {
    if (!Active()) return;
    if (m_state == dsEdit || m_state == dsInsert) Cancel();
    Impl& d = *m_impl;
    const uint64_t keep = d.pos >= 0 ? d.rows[d.view[d.pos]].id : 0;
    std::vector<DataSetRow> rows;
    rows.reserve(d.rows.size());
    for (DataSetRow& row : d.rows) {
        if (row.status == RowStatus::Inserted) continue;
        if (row.status == RowStatus::Modified || row.status == RowStatus::Deleted)
            row.values = std::move(row.original);
        row.status = RowStatus::Unchanged;
        row.changeSeq = 0;
        row.original.clear();
        rows.push_back(std::move(row));
    }
    d.rows = std::move(rows);
    d.RebuildView(m_filtered, keep);
    m_bof = d.view.empty() || d.pos == 0;
    m_eof = d.view.empty();
    NotifyDataSetChanged();
}

void TClientDataSet::EmptyDataSet() {
    CheckActive();
    if (m_state == dsEdit || m_state == dsInsert) Cancel();
    m_impl->rows.clear();
    m_impl->view.clear();
    m_impl->pos = -1;
    m_bof = m_eof = true;
    NotifyDataSetChanged();
}
