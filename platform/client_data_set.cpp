// TClientDataSet: fields, state, editing, navigation and the notifications to data sources.
// The order of events is the contract written in client_data_set.h.
#include "platform/client_data_set.h"

#include <strings.h>
#include <algorithm>

#include "platform/client_data_set_impl.h"
#include "platform/data_source.h"

const char* DataSetStateName(TDataSetState state) {
    switch (state) {
        case dsInactive:
            return "inactive";
        case dsBrowse:
            return "browse";
        case dsEdit:
            return "edit";
        case dsInsert:
            return "insert";
    }
    return "?";
}

TClientDataSet::TClientDataSet(std::string name)
    : m_name(std::move(name)), m_impl(std::make_unique<Impl>()) {}

TClientDataSet::~TClientDataSet() {
    const std::vector<TDataSource*> sources = m_impl->sources;
    m_impl->sources.clear();
    for (TDataSource* source : sources)
        source->DataSetDestroyed();
}

EDatabaseError TClientDataSet::Error(const std::string& message) const {
    return EDatabaseError(m_name.empty() ? message : m_name + ": " + message);
}

void TClientDataSet::CheckActive() const {
    if (m_state == dsInactive) throw Error("Cannot perform this operation on a closed dataset");
}

void TClientDataSet::Fire(const TDataSetNotifyEvent& event) {
    if (event) event(*this);
}

// ---- fields ----

TField& TClientDataSet::AddField(const std::string& name, TFieldType type, int size) {
    if (Active()) throw Error("Cannot add field '" + name + "' to an open dataset");
    if (!m_impl->fieldsDeclared) m_fields.clear();  // fields of an earlier packet
    if (name.empty()) throw Error("A field needs a name");
    if (FindField(name)) throw Error("Field '" + name + "' already exists");
    FieldDef def;
    def.name = name;
    def.type = type;
    def.size = size;
    m_fields.push_back(std::make_unique<TField>(*this, def, static_cast<int>(m_fields.size())));
    m_impl->fieldsDeclared = true;
    return *m_fields.back();
}

void TClientDataSet::ClearFields() {
    if (Active()) throw Error("Cannot remove the fields of an open dataset");
    m_fields.clear();
    m_impl->fieldsDeclared = false;
}

void TClientDataSet::CreateDataSet() {
    if (m_fields.empty()) throw Error("No fields defined; cannot create the dataset");
    LoadedData empty;
    empty.fields = FieldDefs();
    Install(std::move(empty));
}

std::vector<FieldDef> TClientDataSet::FieldDefs() const {
    std::vector<FieldDef> defs;
    defs.reserve(m_fields.size());
    for (const auto& f : m_fields)
        defs.push_back(f->Def());
    return defs;
}

TField& TClientDataSet::Fields(int index) const {
    if (index < 0 || index >= FieldCount())
        throw Error("Field index " + std::to_string(index) + " out of range");
    return *m_fields[index];
}

TField& TClientDataSet::FieldByName(const std::string& name) const {
    if (TField* f = FindField(name)) return *f;
    throw Error("Field '" + name + "' not found");
}

TField* TClientDataSet::FindField(const std::string& name) const {
    for (const auto& f : m_fields)
        if (strcasecmp(f->FieldName().c_str(), name.c_str()) == 0) return f.get();
    return nullptr;
}

const Variant* TClientDataSet::CurrentCell(int index) const {
    const DataSetRow* row = m_impl->ReadRow();
    return row ? &row->values[index] : nullptr;
}

Variant TClientDataSet::OriginalCell(int index) const {
    const DataSetRow* row = m_impl->ReadRow();
    if (!row) return {};
    switch (row->status) {
        case RowStatus::Pending:
        case RowStatus::Inserted:
            return {};
        case RowStatus::Modified:
        case RowStatus::Deleted:
            return row->original[index];
        case RowStatus::Unchanged:
            break;
    }
    return m_impl->PostedValues(*row)[index];
}

void TClientDataSet::StoreCell(TField& field, Variant value) {
    if (m_state != dsEdit && m_state != dsInsert) throw Error("Dataset not in edit or insert mode");
    if (m_impl->displayOverride >= 0)
        throw Error("Cannot assign field '" + field.FieldName() + "' while a grid draws a row");
    if (field.ReadOnly()) throw Error("Field '" + field.FieldName() + "' cannot be modified");
    Variant& cell = m_impl->CurrentRow()->values[field.Index()];
    if (field.OnValidate) {
        Variant previous = std::move(cell);
        cell = std::move(value);
        try {
            field.OnValidate(field);
        } catch (...) {
            m_impl->CurrentRow()->values[field.Index()] = std::move(previous);
            throw;
        }
    } else {
        cell = std::move(value);
    }
    m_modified = true;
    if (field.OnChange) field.OnChange(field);
    NotifyRecordChanged(&field);
}

void TClientDataSet::FocusControlOf(TField& field) {
    const std::vector<TDataSource*> sources = m_impl->sources;
    for (TDataSource* source : sources)
        if (source->NotifyFocusControl(field)) return;
}

// ---- notifications ----

void TClientDataSet::SetState(TDataSetState state) {
    if (m_state == state) return;
    m_state = state;
    m_modified = false;
    NotifyState();
}

namespace {
template <typename F>
void ForEachSource(const std::vector<TDataSource*>& live, F&& f) {
    const std::vector<TDataSource*> sources = live;  // handlers may detach sources
    for (TDataSource* source : sources)
        if (std::find(live.begin(), live.end(), source) != live.end()) f(*source);
}
}  // namespace

void TClientDataSet::NotifyState() {
    if (m_disableCount > 0) return;
    ForEachSource(m_impl->sources, [](TDataSource& s) { s.NotifyStateChanged(); });
}

void TClientDataSet::NotifyDataSetChanged() {
    if (m_disableCount > 0) return;
    ForEachSource(m_impl->sources, [](TDataSource& s) { s.NotifyDataSetChanged(); });
}

void TClientDataSet::NotifyRecordChanged(TField* field) {
    if (m_disableCount > 0) return;
    ForEachSource(m_impl->sources, [field](TDataSource& s) { s.NotifyRecordChanged(field); });
}

void TClientDataSet::NotifyUpdateData() {
    if (m_disableCount > 0) return;
    ForEachSource(m_impl->sources, [](TDataSource& s) { s.NotifyUpdateData(); });
}

void TClientDataSet::AttachDataSource(TDataSource* source) {
    auto& s = m_impl->sources;
    if (std::find(s.begin(), s.end(), source) == s.end()) s.push_back(source);
}

void TClientDataSet::DetachDataSource(TDataSource* source) {
    auto& s = m_impl->sources;
    s.erase(std::remove(s.begin(), s.end(), source), s.end());
}

void TClientDataSet::DisableControls() {
    if (m_disableCount++ == 0) m_impl->stateAtDisable = m_state;
}

void TClientDataSet::EnableControls() {
    if (m_disableCount == 0 || --m_disableCount > 0) return;
    if (m_state != m_impl->stateAtDisable) NotifyState();
    // Also when the dataset was opened while disabled: its controls have never shown a row.
    if (m_state != dsInactive) NotifyDataSetChanged();
}

// ---- open and close ----

void TClientDataSet::SetActive(bool active) {
    if (active) {
        Open();
    } else {
        Close();
    }
}

void TClientDataSet::Open() {
    if (Active()) return;
    if (!m_impl->hasData) throw Error("Missing data provider or data packet");
    std::unique_ptr<FilterExpression> filter;
    std::vector<int> sortFields;
    BindView(FieldDefs(), filter, sortFields, m_filtered);
    m_impl->filter = std::move(filter);
    m_impl->sortFields = std::move(sortFields);
    OpenCursor();
}

void TClientDataSet::Close() {
    CloseCursor();
}

void TClientDataSet::CloseCursor() {
    if (!Active()) return;
    Impl& d = *m_impl;
    d.editSnapshot.clear();
    d.rows.clear();
    d.view.clear();
    d.pos = -1;
    d.displayOverride = -1;
    d.hasData = false;
    m_bof = m_eof = true;
    SetState(dsInactive);
}

void TClientDataSet::OpenCursor() {
    Fire(BeforeOpen);
    m_impl->RebuildView(m_filtered, 0);
    m_bof = true;
    m_eof = m_impl->view.empty();
    SetState(dsBrowse);
    NotifyDataSetChanged();
    Fire(AfterOpen);
    Fire(AfterScroll);
}

// ---- editing ----

void TClientDataSet::Insert() {
    BeginInsert(false);
}

void TClientDataSet::Append() {
    BeginInsert(true);
}

void TClientDataSet::BeginInsert(bool append) {
    CheckActive();
    CheckBrowseMode();
    Fire(BeforeInsert);
    Fire(BeforeScroll);
    CheckActive();  // a handler may have closed the dataset
    CheckBrowseMode();
    Impl& d = *m_impl;
    DataSetRow row;
    row.id = d.nextId++;
    row.status = RowStatus::Pending;
    row.values.resize(m_fields.size());
    const bool atEnd = append || d.pos < 0;
    const size_t natural = atEnd ? d.rows.size() : static_cast<size_t>(d.view[d.pos]);
    const int viewAt = atEnd ? static_cast<int>(d.view.size()) : d.pos;
    d.InsertRow(natural, std::move(row));
    d.view.insert(d.view.begin() + viewAt, static_cast<int>(natural));
    d.pos = viewAt;
    d.editSnapshot.clear();
    m_bof = m_eof = false;
    SetState(dsInsert);
    try {
        Fire(OnNewRecord);
    } catch (...) {
        DropPendingInsert();
        SetState(dsBrowse);
        NotifyDataSetChanged();
        throw;
    }
    m_modified = false;  // defaults set by OnNewRecord do not count as the user's changes
    NotifyDataSetChanged();
    Fire(AfterInsert);
    Fire(AfterScroll);
}

// Removes the unposted record; the cursor returns to the row that was current before it.
void TClientDataSet::DropPendingInsert() {
    Impl& d = *m_impl;
    const int natural = d.view[d.pos];
    d.view.erase(d.view.begin() + d.pos);
    d.EraseRow(static_cast<size_t>(natural));
    if (d.pos >= static_cast<int>(d.view.size())) d.pos = static_cast<int>(d.view.size()) - 1;
    m_bof = m_eof = d.view.empty();
}

void TClientDataSet::Edit() {
    CheckActive();
    if (m_state == dsEdit || m_state == dsInsert) return;
    if (RecordCount() == 0) {
        Insert();
        return;
    }
    Fire(BeforeEdit);
    if (m_state != dsBrowse || m_impl->pos < 0) return;  // the handler moved on itself
    m_impl->editSnapshot = m_impl->CurrentRow()->values;
    SetState(dsEdit);
    NotifyRecordChanged(nullptr);
    Fire(AfterEdit);
}

void TClientDataSet::Post() {
    CheckActive();
    if (m_state != dsEdit && m_state != dsInsert) throw Error("Dataset not in edit or insert mode");
    NotifyUpdateData();
    Fire(BeforePost);
    if (m_state != dsEdit && m_state != dsInsert) return;  // the handler ended the edit itself
    Impl& d = *m_impl;
    DataSetRow& row = *d.CurrentRow();
    if (m_state == dsInsert) {
        row.status = m_logChanges ? RowStatus::Inserted : RowStatus::Unchanged;
        if (m_logChanges) row.changeSeq = d.nextSeq++;
    } else {
        LogPostedEdit(row);
    }
    d.editSnapshot.clear();
    RepositionAfterPost();
    SetState(dsBrowse);
    NotifyDataSetChanged();
    Fire(AfterPost);
}

// An edit is logged once per row with the values it had before its first change; an edit
// that brings a row back to those values removes it from the log.
void TClientDataSet::LogPostedEdit(DataSetRow& row) {
    Impl& d = *m_impl;
    if (!m_logChanges || row.values == d.editSnapshot) return;
    switch (row.status) {
        case RowStatus::Unchanged:
            row.status = RowStatus::Modified;
            row.original = std::move(d.editSnapshot);
            row.changeSeq = d.nextSeq++;
            break;
        case RowStatus::Modified:
            if (row.values == row.original) {
                row.status = RowStatus::Unchanged;
                row.original.clear();
                row.changeSeq = 0;
            }
            break;
        default:
            break;  // an inserted row stays one insert
    }
}

// A posted row takes its place in the sort order, and leaves the view when it no longer
// passes the filter (the cursor then shows the row that followed it).
void TClientDataSet::RepositionAfterPost() {
    Impl& d = *m_impl;
    const bool filtering = m_filtered && d.filter && d.filter->IsBound();
    if (!filtering && d.sortFields.empty()) return;
    const int natural = d.view[d.pos];
    d.view.erase(d.view.begin() + d.pos);
    if (filtering && !d.filter->Matches(d.rows[natural].values)) {
        if (d.pos >= static_cast<int>(d.view.size())) d.pos = static_cast<int>(d.view.size()) - 1;
        m_bof = m_eof = d.view.empty();
        return;
    }
    auto at = d.view.begin() + d.pos;
    if (!d.sortFields.empty())
        at = std::upper_bound(d.view.begin(), d.view.end(), natural,
                              [&d](int a, int b) { return d.SortLess(a, b); });
    d.pos = static_cast<int>(at - d.view.begin());
    d.view.insert(at, natural);
}

void TClientDataSet::Cancel() {
    if (m_state != dsEdit && m_state != dsInsert) return;
    Fire(BeforeCancel);
    if (m_state != dsEdit && m_state != dsInsert) return;
    Impl& d = *m_impl;
    if (m_state == dsInsert) {
        DropPendingInsert();
    } else {
        d.CurrentRow()->values = std::move(d.editSnapshot);
        d.editSnapshot.clear();
    }
    SetState(dsBrowse);
    NotifyDataSetChanged();
    Fire(AfterCancel);
}

void TClientDataSet::Delete() {
    CheckActive();
    if (m_state == dsInsert) {
        Cancel();
        return;
    }
    if (RecordCount() == 0) throw Error("Cannot perform this operation on an empty dataset");
    Fire(BeforeDelete);
    Fire(BeforeScroll);
    if (m_state == dsInactive || m_state == dsInsert || RecordCount() == 0) return;
    Impl& d = *m_impl;
    const int natural = d.view[d.pos];
    DataSetRow& row = d.rows[natural];
    if (m_state == dsEdit) row.values = std::move(d.editSnapshot);
    d.editSnapshot.clear();
    const bool wasLast = d.pos == static_cast<int>(d.view.size()) - 1;
    d.view.erase(d.view.begin() + d.pos);
    if (row.status == RowStatus::Inserted || !m_logChanges) {
        d.EraseRow(static_cast<size_t>(natural));
    } else {
        if (row.status == RowStatus::Unchanged) {
            row.original = row.values;
            row.changeSeq = d.nextSeq++;
        }
        row.status = RowStatus::Deleted;
    }
    if (d.pos >= static_cast<int>(d.view.size())) d.pos = static_cast<int>(d.view.size()) - 1;
    m_bof = d.view.empty();
    m_eof = wasLast || d.view.empty();
    SetState(dsBrowse);
    NotifyDataSetChanged();
    Fire(AfterDelete);
    Fire(AfterScroll);
}

void TClientDataSet::CheckBrowseMode() {
    CheckActive();
    if (m_state != dsEdit && m_state != dsInsert) return;
    NotifyUpdateData();
    if (m_modified) {
        Post();
    } else {
        Cancel();
    }
}

// ---- navigation ----

void TClientDataSet::First() {
    CheckActive();
    CheckBrowseMode();
    Fire(BeforeScroll);
    Impl& d = *m_impl;
    d.pos = d.view.empty() ? -1 : 0;
    m_bof = true;
    m_eof = d.view.empty();
    NotifyDataSetChanged();
    Fire(AfterScroll);
}

void TClientDataSet::Last() {
    CheckActive();
    CheckBrowseMode();
    Fire(BeforeScroll);
    Impl& d = *m_impl;
    d.pos = static_cast<int>(d.view.size()) - 1;
    m_eof = true;
    m_bof = d.view.empty();
    NotifyDataSetChanged();
    Fire(AfterScroll);
}

void TClientDataSet::Next() {
    MoveBy(1);
}

void TClientDataSet::Prior() {
    MoveBy(-1);
}

int TClientDataSet::MoveBy(int distance) {
    CheckActive();
    CheckBrowseMode();
    Fire(BeforeScroll);
    CheckActive();
    Impl& d = *m_impl;
    int moved = 0;
    if ((distance > 0 && !m_eof) || (distance < 0 && !m_bof)) {
        const int count = static_cast<int>(d.view.size());
        m_bof = m_eof = false;
        int target = d.pos + distance;
        if (target >= count) {
            target = count - 1;
            m_eof = true;
        }
        if (target < 0) {
            target = count > 0 ? 0 : -1;
            m_bof = true;
        }
        if (count == 0) m_bof = m_eof = true;
        moved = target - d.pos;
        d.pos = target;
        if (moved != 0) NotifyDataSetChanged();
    }
    Fire(AfterScroll);
    return moved;
}

int TClientDataSet::RecNo() const {
    if (m_state == dsInsert || m_impl->pos < 0) return 0;
    return m_impl->pos + 1;
}

void TClientDataSet::SetRecNo(int recNo) {
    CheckActive();
    if (recNo < 1 || recNo > RecordCount()) throw Error("Record number out of range");
    CheckBrowseMode();
    MoveBy(recNo - RecNo());
}

int TClientDataSet::RecordCount() const {
    if (!Active()) return 0;
    return static_cast<int>(m_impl->view.size()) - (m_state == dsInsert ? 1 : 0);
}

bool TClientDataSet::IsEmpty() const {
    return !Active() || (m_state != dsInsert && m_impl->view.empty());
}

int TClientDataSet::DisplayRecordCount() const {
    return Active() ? static_cast<int>(m_impl->view.size()) : 0;
}

int TClientDataSet::DisplayRecordIndex() const {
    return Active() ? m_impl->pos : -1;
}
