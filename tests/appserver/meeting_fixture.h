// MeetingFixture: RPC tests of rooms, activities, cancellation and activity sync. Each test
// makes its own meetings far beyond the demo data's weeks (so no demo booking is in the way),
// and builds change packets with the client datasets' layouts.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "appserver/app_server_impl.h"
#include "appserver/counters.h"
#include "appserver/sql_value.h"
#include "platform/date_time.h"
#include "rpc_test_server.h"

namespace zel::appserver::test {

using Strings = std::vector<std::string>;
using Values = std::map<std::string, json>;

// Field descriptors as the client's datasets declare them ("NAME", "type", size).
struct FieldSpec {
    const char* name;
    const char* type;
    int size;
};

// The room booking dataset (cdsAgeAtiviSala).
inline const std::vector<FieldSpec>& BookingLayout() {
    static const std::vector<FieldSpec> f = {
        {"CDFILIAL", "string", 4},       {"NRTAREFA", "string", 10},
        {"CDSALA", "string", 5},         {"NMSALA", "string", 30},
        {"DTATIAGESALA", "datetime", 0}, {"NRSEQAGESALA", "string", 5},
        {"IDSITAGESALA", "string", 1},   {"DSAGENDASALA", "string", 1000},
        {"DTINCAGESALA", "datetime", 0}, {"HRINIAGESALA", "string", 4},
        {"CDOPERADOR", "string", 12},    {"HRFINAGESALA", "string", 4}};
    return f;
}

// The activity dataset (cdsAtividades).
inline const std::vector<FieldSpec>& ActivityLayout() {
    static const std::vector<FieldSpec> f = {
        {"NRPLATIVTARE", "string", 5},    {"CDARVPROCESS", "string", 20},
        {"CDARVITTRAB", "string", 20},    {"CDOPERRESP", "string", 12},
        {"CDPROCESSO", "string", 10},     {"DTINPATIVTAR", "datetime", 0},
        {"QTHRPATIVTARE", "string", 6},   {"DTFIPATIVTAR", "datetime", 0},
        {"NMPROCESSO", "string", 100},    {"NMOPERADOR", "string", 40},
        {"IDPROREUNIAO", "string", 1},    {"CDFILIAL", "string", 4},
        {"NRTAREFA", "string", 10},       {"QTHORAS", "fixedchar", 6},
        {"DTINCATIVTAR", "datetime", 0},  {"CDOPERINCL", "string", 12},
        {"QTHRPATIVTAR", "float", 0},     {"IDSITATIVTAR", "string", 1},
        {"IDOPERPAREUNIAO", "string", 1}, {"CDITEMTRAB", "string", 10},
        {"NMITEMTRAB", "string", 100}};
    return f;
}

inline Strings LayoutOf(const std::vector<FieldSpec>& specs) {
    Strings out;
    for (const FieldSpec& s : specs)
        out.push_back(std::string(s.name) + ":" + s.type + ":" + std::to_string(s.size));
    return out;
}

inline json FieldsJson(const std::vector<FieldSpec>& specs) {
    json out = json::array();
    for (const FieldSpec& s : specs) {
        json f = {{"name", s.name}, {"type", s.type}};
        if (s.size) f["size"] = s.size;
        out.push_back(f);
    }
    return out;
}

inline json RowOf(const std::vector<FieldSpec>& specs, const Values& values) {
    json row = json::array();
    for (const FieldSpec& s : specs) {
        auto it = values.find(s.name);
        row.push_back(it == values.end() ? json() : it->second);
    }
    return row;
}

inline json Insert(const std::vector<FieldSpec>& specs, const Values& v) {
    return {{"op", "insert"}, {"new", RowOf(specs, v)}};
}
inline json Update(const std::vector<FieldSpec>& specs, const Values& o, const Values& n) {
    return {{"op", "update"}, {"old", RowOf(specs, o)}, {"new", RowOf(specs, n)}};
}
inline json Delete(const std::vector<FieldSpec>& specs, const Values& o) {
    return {{"op", "delete"}, {"old", RowOf(specs, o)}};
}
inline json ChangesOf(const std::vector<FieldSpec>& specs, json changes) {
    return {{"fields", FieldsJson(specs)}, {"changes", std::move(changes)}};
}

// Row `row` of a packet as field -> value.
inline Values RowValues(const json& packet, size_t row) {
    Values v;
    for (const std::string& f : FieldNames(packet))
        v[f] = Cell(packet, row, f);
    return v;
}

// Test name suffix of the engine a case runs on.
inline std::string EngineName(const ::testing::TestParamInfo<bool>& info) {
    return info.param ? "PostgreSQL" : "SQLite";
}

class MeetingFixture : public BackendTest {
  protected:
    // A day `offset` days from today, at hh:mm, as a date-time argument.
    static json Day(int offset, int hh = 0, int mm = 0) {
        return Dt(DateTimeToIso(DateOf(Now()) + offset + (hh * 60 + mm) / 1440.0));
    }
    // A meeting of branch 0001 in `status` on day `offset` at `hh`:00 for `hours`.
    std::string NewMeeting(const std::string& status, int offset = 40, int hh = 9,
                           double hours = 1.0, const std::string& ref = "Reunião de teste") {
        const std::string nr = srv->Result("GetPrxTarefa", {"0001"}).get<std::string>();
        srv->Exec(
            "INSERT INTO TAREFA (CDFILIAL, NRTAREFA, DSREFETAREFA, CDPROCESSO, CDOPERRESP, "
            "CDASSUNTO, CDOPERABER, DTABERTAREFA, IDSITTAREFA, IDORIGTARE, DTHRREUNIAO, "
            "QTHRREUNIAO) VALUES ('0001', ?, ?, '0000000002', '000000000001', '00001', "
            "'000000000001', ?, ?, '4', ?, ?)",
            {nr, ref, Variant::FromDateTime(Now()), status,
             Variant::FromDateTime(DateOf(Now()) + offset + hh / 24.0), hours});
        return nr;
    }
    // An activity of a meeting straight in the database.
    void NewActivity(const std::string& nr, const std::string& number, const std::string& resp,
                     const std::string& status, const std::string& process = "0000000002") {
        srv->Exec(
            "INSERT INTO PLANATIVTARE (CDFILIAL, NRTAREFA, NRPLATIVTARE, CDPROCESSO, CDOPERRESP, "
            "QTHRPATIVTAR, IDSITATIVTAR, IDOPERPAREUNIAO) VALUES ('0001', ?, ?, ?, ?, 1.5, ?, 'N')",
            {nr, number, process, resp, status});
    }
    // A booking sequence of day `offset` as GetSeqSalas hands it out to the operator of
    // `token` (the fixture's session when empty), five digits.
    std::string HandedOutSequence(int offset, const std::string& token = "") {
        const json r =
            srv->Call("GetSeqSalas", {Day(offset)}, token.empty() ? srv->Token() : token);
        return ZeroFill(Cell(r["result"], 0, "NRSEQAGESALA").get<int64_t>(), 5);
    }
    std::string Status(const std::string& nr) {
        return srv->Value("SELECT IDSITTAREFA FROM TAREFA WHERE CDFILIAL = '0001' AND NRTAREFA = ?",
                          {nr});
    }
    void FixClock(const std::string& iso) {
        const TDateTime t = IsoToDateTime(iso);
        srv->Server().Impl().setClock([t] { return t; });
    }
};

}  // namespace zel::appserver::test
