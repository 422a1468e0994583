// TClientDataSet: the in-memory table the windows work on. It is filled from a data packet
// (SetData), edited through its fields in edit/insert state, and keeps a change log that
// Delta hands to the application server as a change packet.
//
// Rows are kept in one vector in their natural order, each with its change state (unchanged,
// inserted, modified, deleted), its current values and, once changed, its original values.
// What the cursor walks is a view: the indexes of the rows that pass the filter, in the order
// of IndexFieldNames; it is rebuilt when the filter, the sort or the data change.
//
// Events and their order (the contract the windows' handlers are written against;
// `[state]` is a state change, which is also passed to every attached TDataSource):
//
//   Open / SetData (closes first) | BeforeOpen; [browse]; AfterOpen; AfterScroll (also empty)
//   Insert / Append    | leave edit/insert as navigation does; BeforeInsert; BeforeScroll;
//                      | [insert]; OnNewRecord; AfterInsert; AfterScroll
//   Edit               | empty dataset: Insert. Already editing/inserting: nothing.
//                      | Otherwise BeforeEdit; [edit]; AfterEdit
//   Post               | controls write their pending text (listeners' UpdateData);
//                      | BeforePost; row stored and logged; [browse]; AfterPost
//   Cancel             | BeforeCancel; row restored (an inserted row goes); [browse]; AfterCancel
//   Delete             | inserting: Cancel. Otherwise BeforeDelete; BeforeScroll; row goes
//                      | (logged); [browse] when it was editing; AfterDelete; AfterScroll
//   First/Last/Next/   | leave edit/insert (Post when Modified, else Cancel); BeforeScroll;
//   Prior/MoveBy       | move; AfterScroll (also when the cursor could not move)
//   Locate             | BeforeScroll; leave edit/insert; search; only when found: move and
//                      | AfterScroll
//   Filter, Filtered,  | leave edit/insert; view rebuilt; cursor to the first visible row:
//   IndexFieldNames    | BeforeScroll; AfterScroll (only while active)
//   CancelUpdates      | leave edit/insert by Cancel; every logged change undone; no scroll
//   MergeChangeLog     | current values become the original ones; log emptied; no events
//   Close              | a pending edit is dropped without events; [inactive]
//
// An exception (EAbort included) raised in a Before... handler stops the operation there:
// nothing after it happens and the state stays as it was. One raised in OnNewRecord cancels
// the insert ([browse]) and propagates. One raised in an After... handler propagates; the
// operation has already happened.
//
// Change log: an insert followed by edits of the same row is one insert; an insert followed
// by its delete leaves nothing; an edit that restores the original values leaves nothing.
// Delta lists the changed rows in the order they were first changed. With LogChanges off,
// changes are applied without being logged.
//
// DisableControls / EnableControls nest. While disabled nothing reaches the data sources
// (the dataset's own events still fire); the last EnableControls sends one state change when
// the state differs from the one at the first DisableControls, then one data-set change.
//
// Not thread-safe: GUI thread only. A dataset must outlive no TField reference taken from it;
// attached data sources are detached when it is destroyed.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <nlohmann/json_fwd.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "platform/exceptions.h"
#include "platform/field.h"
#include "platform/packet.h"
#include "platform/variant.h"

class TDataSource;
struct LoadedData;
struct DataSetRow;
class FilterExpression;

enum TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };
const char* DataSetStateName(TDataSetState state);  // "inactive", "browse", "edit", "insert"

enum TLocateOption { loCaseInsensitive, loPartialKey };

class TLocateOptions {
  public:
    TLocateOptions() = default;
    TLocateOptions(std::initializer_list<TLocateOption> options) {
        for (TLocateOption o : options)
            m_bits |= 1u << o;
    }
    bool Contains(TLocateOption o) const { return (m_bits & (1u << o)) != 0; }

  private:
    unsigned m_bits = 0;
};

// A remembered row. Stays usable while the row exists (across sorting, filtering and other
// rows' inserts and deletes); BookmarkValid tells whether it still does.
struct TBookmark {
    uint64_t rowId = 0;  // 0: no row
    bool IsNull() const { return rowId == 0; }
};

class TClientDataSet {
  public:
    using TDataSetNotifyEvent = std::function<void(TClientDataSet& dataSet)>;

    explicit TClientDataSet(std::string name = {});
    ~TClientDataSet();
    TClientDataSet(const TClientDataSet&) = delete;
    TClientDataSet& operator=(const TClientDataSet&) = delete;

    // Component name ("cdsControle"), used in error messages.
    const std::string& Name() const { return m_name; }
    void SetName(std::string name) { m_name = std::move(name); }

    // --- fields ---
    // Declares a field (dataset inactive only, else EDatabaseError). Predefined fields stay
    // across SetData: packet columns are matched to them by name, case-insensitively.
    TField& AddField(const std::string& name, TFieldType type, int size = 0);
    void ClearFields();  // inactive only
    // Creates an empty, open dataset from the declared fields (open events fire).
    void CreateDataSet();
    std::vector<FieldDef> FieldDefs() const;
    int FieldCount() const { return static_cast<int>(m_fields.size()); }
    TField& Fields(int index) const;                     // EDatabaseError when out of range
    TField& FieldByName(const std::string& name) const;  // EDatabaseError "Field 'X' not found"
    TField* FindField(const std::string& name) const;    // nullptr when absent

    // --- data in and out ---
    // Replaces the rows (and the log) with a data packet: closes, loads, opens. The packet is
    // read whole before anything changes: a malformed packet, or one missing a predefined
    // field, throws EDatabaseError and leaves the dataset as it was. Without predefined
    // fields, the fields come from the packet's descriptors.
    void SetData(const Variant& packet);  // a packet Variant (as a server call returns it)
    void SetData(const nlohmann::json& packet);
    void SetData(const DataPacket& packet);
    // Parses JSON text straight into rows (the fast path for large packets).
    void SetDataFromJsonText(std::string_view text);
    // The current rows (pending log changes included, a record being edited as it was before
    // the edit, filter ignored) as a data packet.
    Variant Data() const;
    DataPacket DataAsPacket() const;
    // The change log as a change packet Variant (see the change-log rules above).
    Variant Delta() const;
    ChangePacket DeltaAsPacket() const;
    int ChangeCount() const;  // rows with pending changes
    void MergeChangeLog();
    void CancelUpdates();
    bool LogChanges() const { return m_logChanges; }
    void SetLogChanges(bool log) { m_logChanges = log; }
    // Removes every row and the log, leaving the dataset open and in browse state.
    void EmptyDataSet();

    // --- state ---
    bool Active() const { return m_state != dsInactive; }
    void SetActive(bool active);
    void Open();   // needs data or declared fields ("Missing data provider or data packet")
    void Close();  // drops rows and log
    TDataSetState State() const { return m_state; }
    // A field was assigned since the record entered edit/insert state.
    bool Modified() const { return m_modified; }

    // --- editing ---
    void Insert();
    void Append();
    void Edit();
    void Post();
    void Cancel();
    void Delete();
    // Post when Modified, Cancel otherwise; nothing in browse state.
    void CheckBrowseMode();

    // --- navigation ---
    void First();
    void Last();
    void Next();
    void Prior();
    int MoveBy(int distance);  // returns how many rows the cursor moved
    bool Eof() const { return m_eof; }
    bool Bof() const { return m_bof; }
    // 1-based position in the view; 0 when there is no row or the record is being inserted.
    int RecNo() const;
    void SetRecNo(int recNo);  // moves as MoveBy does
    // Rows in the view; a record being inserted is not counted until it is posted.
    int RecordCount() const;
    bool IsEmpty() const;  // closed, or no rows and not inserting

    TBookmark GetBookmark() const;
    void GotoBookmark(const TBookmark& bookmark);  // EDatabaseError when it is not valid
    bool BookmarkValid(const TBookmark& bookmark) const;
    void FreeBookmark(TBookmark& bookmark) { bookmark = {}; }

    // Searches the view from its first row. `fields` names one or more fields ("A;B"), with
    // one value each. loCaseInsensitive / loPartialKey (prefix) apply to string fields.
    bool Locate(const std::string& fields, const std::vector<Variant>& values,
                TLocateOptions options = {});
    // The value of `resultField` in the first row matching like Locate (case-sensitive,
    // whole key), without moving the cursor or firing events; null when none matches.
    Variant Lookup(const std::string& keyFields, const std::vector<Variant>& keyValues,
                   const std::string& resultField) const;

    // --- view ---
    // Filter expression: comparisons (= <> < > <= >=), IN (...), IS [NOT] NULL, AND, OR, NOT,
    // parentheses, quoted literals ('' escapes a quote), numbers, field names. A malformed
    // expression or an unknown field throws EDatabaseError and changes nothing. Strings compare
    // ignoring trailing blanks, and a null string field reads as blank.
    const std::string& Filter() const { return m_filterText; }
    void SetFilter(const std::string& expression);
    bool Filtered() const { return m_filtered; }
    void SetFiltered(bool filtered);
    // Sort keys "A;B", ascending, stable (ties keep the natural order). Empty: natural order.
    const std::string& IndexFieldNames() const { return m_indexFieldNames; }
    void SetIndexFieldNames(const std::string& fields);

    // --- data-aware controls ---
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return m_disableCount > 0; }

    // For grids: the rows they draw, including a record being inserted, and the index
    // (0-based) of the current one among them; -1 when there is none.
    int DisplayRecordCount() const;
    int DisplayRecordIndex() const;

    // --- events ---
    TDataSetNotifyEvent OnNewRecord;
    TDataSetNotifyEvent BeforeOpen, AfterOpen;
    TDataSetNotifyEvent BeforeInsert, AfterInsert;
    TDataSetNotifyEvent BeforeEdit, AfterEdit;
    TDataSetNotifyEvent BeforePost, AfterPost;
    TDataSetNotifyEvent BeforeCancel, AfterCancel;
    TDataSetNotifyEvent BeforeDelete, AfterDelete;
    TDataSetNotifyEvent BeforeScroll, AfterScroll;

    // --- for TDataSource only ---
    void AttachDataSource(TDataSource* source);
    void DetachDataSource(TDataSource* source);

  private:
    friend class TField;
    friend class TDisplayRecordScope;
    struct Impl;

    // Field access for TField: the value of field `index` in the record fields read from.
    const Variant* CurrentCell(int index) const;
    Variant OriginalCell(int index) const;
    void StoreCell(TField& field, Variant value);
    void FocusControlOf(TField& field);

    EDatabaseError Error(const std::string& message) const;
    void CheckActive() const;
    void Fire(const TDataSetNotifyEvent& event);
    void SetState(TDataSetState state);
    void NotifyState();
    void NotifyDataSetChanged();
    void NotifyRecordChanged(TField* field);
    void NotifyUpdateData();

    void Install(LoadedData&& data);
    void ReplaceFields(const std::vector<FieldDef>& defs);
    void CloseCursor();
    void OpenCursor();
    void BindView(const std::vector<FieldDef>& defs, std::unique_ptr<FilterExpression>& filter,
                  std::vector<int>& sortFields, bool filtered) const;
    void ApplyView(std::unique_ptr<FilterExpression> filter, std::vector<int> sortFields,
                   bool filtered);
    void BeginInsert(bool append);
    void DropPendingInsert();
    void RepositionAfterPost();
    void LogPostedEdit(DataSetRow& row);
    int FindInView(const std::vector<int>& fields, const std::vector<Variant>& values,
                   TLocateOptions options) const;
    std::vector<int> ResolveFieldList(const std::string& names,
                                      const std::vector<FieldDef>& defs) const;

    std::string m_name;
    TDataSetState m_state = dsInactive;
    bool m_modified = false;
    bool m_bof = true;
    bool m_eof = true;
    bool m_logChanges = true;
    bool m_filtered = false;
    int m_disableCount = 0;
    std::string m_filterText;
    std::string m_indexFieldNames;
    std::vector<std::unique_ptr<TField>> m_fields;
    std::unique_ptr<Impl> m_impl;
};

// Makes field reads of `dataSet` come from the row at `displayIndex` (as DisplayRecordIndex
// counts) while it lives, without moving the cursor or firing events. Grids draw rows with
// it, so OnGetText handlers read the row being drawn. Writing fields is refused meanwhile.
class TDisplayRecordScope {
  public:
    TDisplayRecordScope(TClientDataSet& dataSet, int displayIndex);
    ~TDisplayRecordScope();
    TDisplayRecordScope(const TDisplayRecordScope&) = delete;
    TDisplayRecordScope& operator=(const TDisplayRecordScope&) = delete;

  private:
    TClientDataSet& m_dataSet;
    int m_previous;
};
