// Shared test helpers for the client dataset: a small meeting list packet and a trace that
// records every dataset event and every state change as one line of text.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "platform/client_data_set.h"
#include "platform/data_source.h"

namespace testing_data_set {

// Four meetings of branch 0001; the fourth has a blank status.
inline nlohmann::json MeetingPacket() {
    return nlohmann::json::parse(R"({
      "fields": [
        {"name":"CDFILIAL","type":"string","size":4,"flags":["update","where","key"]},
        {"name":"NRTAREFA","type":"string","size":10,"flags":["update","where","key"]},
        {"name":"DSREFETAREFA","type":"string","size":100},
        {"name":"IDSITTAREFA","type":"string","size":1},
        {"name":"DTHRREUNIAO","type":"datetime"},
        {"name":"QTHRREUNIAO","type":"float"}
      ],
      "rows": [
        ["0001","0000000001","Planejamento","P",{"$dt":"2026-12-07T14:30:00"},1.5],
        ["0001","0000000002","Revisão","A",{"$dt":"2026-12-08T09:00:00"},2],
        ["0001","0000000003","Fechamento","C",{"$dt":"2026-12-01T10:00:00"},null],
        ["0001","0000000004","Pendência antiga"," ",null,0.5]
      ]
    })");
}

// Records "BeforeOpen [browse] AfterOpen ..." for a dataset; `[state]` comes from a data
// source attached to it, exactly as a window's OnStateChange would see it.
class EventTrace {
  public:
    explicit EventTrace(TClientDataSet& ds) : m_source(&ds) {
        ds.OnNewRecord = Record("OnNewRecord");
        ds.BeforeOpen = Record("BeforeOpen");
        ds.AfterOpen = Record("AfterOpen");
        ds.BeforeInsert = Record("BeforeInsert");
        ds.AfterInsert = Record("AfterInsert");
        ds.BeforeEdit = Record("BeforeEdit");
        ds.AfterEdit = Record("AfterEdit");
        ds.BeforePost = Record("BeforePost");
        ds.AfterPost = Record("AfterPost");
        ds.BeforeCancel = Record("BeforeCancel");
        ds.AfterCancel = Record("AfterCancel");
        ds.BeforeDelete = Record("BeforeDelete");
        ds.AfterDelete = Record("AfterDelete");
        ds.BeforeScroll = Record("BeforeScroll");
        ds.AfterScroll = Record("AfterScroll");
        m_source.OnStateChange = [this](TDataSource& s) {
            Add(std::string("[") + DataSetStateName(s.State()) + "]");
        };
    }

    void Add(const std::string& item) { m_text += (m_text.empty() ? "" : " ") + item; }
    // Separates operations in the trace: "Insert: ... | Post: ...".
    void Mark(const std::string& operation) {
        if (!m_text.empty()) m_text += " | ";
        m_text += operation + ":";
    }
    std::string Take() {
        std::string out = std::move(m_text);
        m_text.clear();
        return out;
    }

  private:
    TClientDataSet::TDataSetNotifyEvent Record(const char* name) {
        return [this, name](TClientDataSet&) { Add(name); };
    }

    std::string m_text;
    TDataSource m_source;
};

}  // namespace testing_data_set
