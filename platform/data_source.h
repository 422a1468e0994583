// TDataSource: the link between one client dataset and the data-aware controls that show it.
// Controls listen to a data source, never to a dataset; switching the source's DataSet moves
// every control to the new dataset at once. Several sources may share one dataset.
//
// What a dataset change becomes here:
//   state change        -> listeners' ActiveChanged (when it went to or from inactive), then
//                          StateChanged; then OnStateChange
//   field assigned      -> listeners' RecordChanged(field); OnDataChange(field)
//   record restored     -> listeners' RecordChanged(nullptr); OnDataChange(nullptr)
//   scroll, open, post, -> listeners' DataSetChanged; OnDataChange(nullptr)
//   filter, sort
//   before Post         -> listeners' UpdateData (write pending text into the fields);
//                          OnUpdateData
// Switching DataSet reports the source as inactive, then in the new dataset's state. A
// disabled source (Enabled false) reports inactive and passes nothing on.
//
// Lifetimes: a dataset being destroyed detaches its sources (their DataSet becomes null and
// they report inactive); a source being destroyed detaches from its dataset and tells its
// listeners (DataSourceDestroyed). A listener removes itself before it is destroyed.
// GUI thread only.
#pragma once

#include <functional>
#include <vector>

#include "platform/client_data_set.h"

class TDataSource;

// Implemented by data-aware controls (edits, grids, navigators).
class TDataSourceListener {
  public:
    virtual ~TDataSourceListener() = default;
    // The dataset was opened or closed, or the source was switched to another dataset:
    // re-resolve fields by name and redraw everything.
    virtual void ActiveChanged() {}
    // The state changed (browse, edit, insert): enable or disable editing.
    virtual void StateChanged() {}
    // The cursor moved or the rows changed: re-read the current record (grids: all rows).
    virtual void DataSetChanged() {}
    // A field of the current record was assigned (nullptr: the whole record changed).
    virtual void RecordChanged(TField* field) { (void)field; }
    // The dataset is about to post: write any pending text into its field.
    virtual void UpdateData() {}
    // Take the focus when this control edits `field`; return whether it did.
    virtual bool FocusControl(TField& field) {
        (void)field;
        return false;
    }
    // The source is going away; forget it (do not call RemoveListener).
    virtual void DataSourceDestroyed(TDataSource& source) { (void)source; }
};

class TDataSource {
  public:
    using TNotifyEvent = std::function<void(TDataSource& sender)>;
    using TDataChangeEvent = std::function<void(TDataSource& sender, TField* field)>;

    explicit TDataSource(TClientDataSet* dataSet = nullptr);
    ~TDataSource();
    TDataSource(const TDataSource&) = delete;
    TDataSource& operator=(const TDataSource&) = delete;

    TClientDataSet* DataSet() const { return m_dataSet; }
    void SetDataSet(TClientDataSet* dataSet);

    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool enabled);
    // Typing into a data-aware edit puts a browsing dataset into edit (see Edit()).
    bool AutoEdit() const { return m_autoEdit; }
    void SetAutoEdit(bool autoEdit) { m_autoEdit = autoEdit; }
    // The state as this source reports it (inactive when disabled or without a dataset).
    TDataSetState State() const { return m_state; }
    // For controls: when AutoEdit is on and the dataset is browsing, Edit it (a refusing
    // BeforeEdit propagates, EAbort included). Returns whether the dataset now edits or
    // inserts.
    bool Edit();

    TNotifyEvent OnStateChange;
    TDataChangeEvent OnDataChange;
    TNotifyEvent OnUpdateData;

    void AddListener(TDataSourceListener* listener);
    void RemoveListener(TDataSourceListener* listener);

    // --- for TClientDataSet only ---
    void NotifyStateChanged();
    void NotifyDataSetChanged();
    void NotifyRecordChanged(TField* field);
    void NotifyUpdateData();
    bool NotifyFocusControl(TField& field);
    void DataSetDestroyed();

  private:
    void UpdateState();
    template <typename F>
    void ForEachListener(F&& f);

    TClientDataSet* m_dataSet = nullptr;
    bool m_enabled = true;
    bool m_autoEdit = true;
    TDataSetState m_state = dsInactive;
    std::vector<TDataSourceListener*> m_listeners;
};
