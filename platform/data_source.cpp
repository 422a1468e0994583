#include "platform/data_source.h"

#include <algorithm>

TDataSource::TDataSource(TClientDataSet* dataSet) {
    SetDataSet(dataSet);
}

TDataSource::~TDataSource() {
    if (m_dataSet) m_dataSet->DetachDataSource(this);
    m_dataSet = nullptr;
    const std::vector<TDataSourceListener*> listeners = std::move(m_listeners);
    m_listeners.clear();
    for (TDataSourceListener* l : listeners)
        l->DataSourceDestroyed(*this);
}

void TDataSource::SetDataSet(TClientDataSet* dataSet) {
    if (dataSet == m_dataSet) return;
    if (m_dataSet) {
        m_dataSet->DetachDataSource(this);
        m_dataSet = nullptr;
        UpdateState();
    }
    if (dataSet) {
        m_dataSet = dataSet;
        dataSet->AttachDataSource(this);
        UpdateState();
    }
}

void TDataSource::SetEnabled(bool enabled) {
    if (enabled == m_enabled) return;
    m_enabled = enabled;
    UpdateState();
}

bool TDataSource::Edit() {
    if (!m_dataSet || m_state == dsInactive) return false;
    if (m_state == dsBrowse && m_autoEdit) m_dataSet->Edit();
    const TDataSetState s = m_dataSet->State();
    return s == dsEdit || s == dsInsert;
}

void TDataSource::AddListener(TDataSourceListener* listener) {
    if (listener &&
        std::find(m_listeners.begin(), m_listeners.end(), listener) == m_listeners.end())
        m_listeners.push_back(listener);
}

void TDataSource::RemoveListener(TDataSourceListener* listener) {
    m_listeners.erase(std::remove(m_listeners.begin(), m_listeners.end(), listener),
                      m_listeners.end());
}

template <typename F>
void TDataSource::ForEachListener(F&& f) {
    const std::vector<TDataSourceListener*> listeners = m_listeners;  // a handler may remove one
    for (TDataSourceListener* l : listeners)
        if (std::find(m_listeners.begin(), m_listeners.end(), l) != m_listeners.end()) f(*l);
}

void TDataSource::UpdateState() {
    const TDataSetState state = m_enabled && m_dataSet ? m_dataSet->State() : dsInactive;
    if (state == m_state) return;
    const bool activeChanged = (m_state == dsInactive) != (state == dsInactive);
    m_state = state;
    ForEachListener([activeChanged](TDataSourceListener& l) {
        if (activeChanged) l.ActiveChanged();
        l.StateChanged();
    });
    if (OnStateChange) OnStateChange(*this);
}

void TDataSource::NotifyStateChanged() {
    UpdateState();
}

void TDataSource::NotifyDataSetChanged() {
    if (m_state == dsInactive) return;
    ForEachListener([](TDataSourceListener& l) { l.DataSetChanged(); });
    if (OnDataChange) OnDataChange(*this, nullptr);
}

void TDataSource::NotifyRecordChanged(TField* field) {
    if (m_state == dsInactive) return;
    ForEachListener([field](TDataSourceListener& l) { l.RecordChanged(field); });
    if (OnDataChange) OnDataChange(*this, field);
}

void TDataSource::NotifyUpdateData() {
    if (m_state == dsInactive) return;
    ForEachListener([](TDataSourceListener& l) { l.UpdateData(); });
    if (OnUpdateData) OnUpdateData(*this);
}

bool TDataSource::NotifyFocusControl(TField& field) {
    if (m_state == dsInactive) return false;
    bool focused = false;
    ForEachListener([&](TDataSourceListener& l) {
        if (!focused) focused = l.FocusControl(field);
    });
    return focused;
}

void TDataSource::DataSetDestroyed() {
    m_dataSet = nullptr;
    UpdateState();
}
