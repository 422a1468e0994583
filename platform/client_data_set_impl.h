// Internal state of TClientDataSet, shared by its implementation files only.
#pragma once

#include <memory>
#include <nlohmann/json_fwd.hpp>
#include <vector>

#include "platform/client_data_set.h"
#include "platform/filter_expression.h"

// Change state of one stored row.
enum class RowStatus : uint8_t {
    Unchanged,  // as loaded or last merged
    Pending,    // being inserted, not posted yet: invisible to Data, Delta and the log
    Inserted,   // posted insert, logged
    Modified,   // posted edit, logged; `original` holds the loaded values
    Deleted,    // logged delete; `original` holds the loaded values; out of every view
};

struct DataSetRow {
    uint64_t id = 0;         // bookmark identity, never reused within a dataset
    uint64_t changeSeq = 0;  // order of the first logged change (0: none)
    RowStatus status = RowStatus::Unchanged;
    std::vector<Variant> values;    // current values, one per field
    std::vector<Variant> original;  // Modified and Deleted rows only
};

// The result of reading a data packet, built before the dataset is touched.
struct LoadedData {
    std::vector<FieldDef> fields;  // the packet's descriptors (used when no fields are declared)
    std::vector<DataSetRow> rows;  // in the dataset's field order
};

struct TClientDataSet::Impl {
    std::vector<DataSetRow> rows;  // natural order
    std::vector<int> view;         // indexes into rows: visible, in sort order
    int pos = -1;                  // index into view of the current row; -1 without one
    int displayOverride = -1;      // TDisplayRecordScope: view index fields read from
    uint64_t nextId = 1;
    uint64_t nextSeq = 1;
    bool hasData = false;                      // rows were assigned (Open may open them)
    bool fieldsDeclared = false;               // fields come from AddField, not from packets
    std::vector<Variant> editSnapshot;         // values of the record before Edit (for Cancel)
    std::unique_ptr<FilterExpression> filter;  // parsed Filter text; bound while active
    std::vector<int> sortFields;               // IndexFieldNames resolved
    std::vector<TDataSource*> sources;
    TDataSetState stateAtDisable = dsInactive;

    DataSetRow* CurrentRow() { return pos >= 0 ? &rows[view[pos]] : nullptr; }
    const DataSetRow* ReadRow() const {
        const int p = displayOverride >= 0 ? displayOverride : pos;
        return p >= 0 && p < static_cast<int>(view.size()) ? &rows[view[p]] : nullptr;
    }
    // Values of a row as last posted (the record being edited reads as before the edit).
    const std::vector<Variant>& PostedValues(const DataSetRow& row) const {
        if (pos >= 0 && &row == &rows[view[pos]] && !editSnapshot.empty()) return editSnapshot;
        return row.values;
    }
    std::vector<const DataSetRow*> ChangedRows() const;
    int ViewIndexOfId(uint64_t id) const;
    bool RowPasses(const DataSetRow& row, bool filtered) const;
    bool SortLess(int a, int b) const;
    // Rebuilds the view; the cursor stays on row `keepId` when it is still visible, else
    // goes to the first row.
    void RebuildView(bool filtered, uint64_t keepId);
    // Inserts a row at natural index `at`, shifting the view's indexes.
    void InsertRow(size_t at, DataSetRow row);
    // Erases the row at natural index `at` (it must not be in the view).
    void EraseRow(size_t at);
};

// Reads a data packet's JSON into rows for `declared` fields (matched by name) or, when
// `declared` is empty, for the packet's own fields. EDatabaseError on anything malformed.
// From an rvalue packet the texts are moved, not copied.
LoadedData LoadPacketJson(const nlohmann::json& packet, const std::vector<FieldDef>& declared);
LoadedData LoadPacketJson(nlohmann::json&& packet, const std::vector<FieldDef>& declared);
LoadedData LoadDataPacket(const DataPacket& packet, const std::vector<FieldDef>& declared);
