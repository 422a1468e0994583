// What the meetings' history costs. A meeting saved through SetControle (its start moved) on a
// SQLite file with the history triggers, against the same save on a second database of the
// same run whose history triggers were dropped (the floor); and GetHistorico of a meeting with
// 1,000 recorded changes.
#include <benchmark/benchmark.h>

#include <chrono>

#include <nlohmann/json.hpp>

#include "appserver/app_server_impl.h"
#include "appserver/history_triggers.h"
#include "appserver/meeting_record.h"
#include "bench_data.h"
#include "platform/date_time.h"
#include "platform/packet.h"

using namespace zel::appserver;
using nlohmann::json;

namespace {

json Call(bench::BenchServer& b, const std::string& method, const json& params) {
    const json r = json::parse(b.server->HandleRpc(
        json{{"method", method}, {"params", params}, {"id", 1}}.dump(), b.token));
    if (r.contains("error")) throw std::runtime_error(method + ": " + r.dump());
    return r["result"];
}

json Dt(TDateTime t) {
    return {{"$dt", DateTimeToIso(t)}};
}

// A meeting of its own, far from the demo data, and its row as the list shows it.
struct Meeting {
    std::string nr;
    json row;
};

// The meeting record's fields, the key alone locating a row: each save then writes what it
// carries without being refused for the stamps the server set on the previous one.
json Fields() {
    json fields = json::array();
    for (FieldDef f : ControleFields()) {
        if (f.name != "CDFILIAL" && f.name != "NRTAREFA") f.flags = pfInUpdate;
        fields.push_back(FieldDefToJson(f));
    }
    return fields;
}

Meeting NewMeeting(bench::BenchServer& b) {
    Meeting m;
    m.nr = Call(b, "GetPrxTarefa", {"0001"});
    json row = json::array();
    for (const FieldDef& f : ControleFields()) {
        if (f.name == "CDFILIAL")
            row.push_back("0001");
        else if (f.name == "NRTAREFA")
            row.push_back(m.nr);
        else if (f.name == "DSREFETAREFA")
            row.push_back("Comitê de orçamento");
        else if (f.name == "CDPROCESSO")
            row.push_back("0000000002");
        else if (f.name == "CDOPERRESP")
            row.push_back("000000000001");
        else if (f.name == "CDASSUNTO")
            row.push_back("00001");
        else if (f.name == "IDSITTAREFA")
            row.push_back("P");
        else if (f.name == "IDORIGTARE")
            row.push_back("4");
        else if (f.name == "DTHRREUNIAO")
            row.push_back(Dt(Date() + 300 + 9 / 24.0));
        else if (f.name == "QTHRREUNIAO")
            row.push_back(1.0);
        else
            row.push_back(nullptr);
    }
    Call(b, "SetControle",
         json::array({{{"fields", Fields()}, {"changes", {{{"op", "insert"}, {"new", row}}}}}}));
    m.row = row;
    return m;
}

// Moves the meeting one hour later (or back), as a save from the form page sends it.
void Move(bench::BenchServer& b, Meeting& m, int step) {
    static const json fields = Fields();
    constexpr int kStart = 13;  // DTHRREUNIAO's place in the meeting record
    json moved = m.row;
    moved[kStart] = Dt(Date() + 300 + (9 + step % 2) / 24.0);
    Call(b, "SetControle",
         json::array({{{"fields", fields},
                       {"changes", {{{"op", "update"}, {"old", m.row}, {"new", moved}}}}}}));
    m.row = moved;
}

struct Pair {
    std::unique_ptr<bench::BenchServer> with, without;
    Meeting withMeeting, withoutMeeting;
};

Pair& Servers() {
    static Pair p = [] {
        Pair q;
        q.with = bench::MakeBenchServer(0, 1);
        q.without = bench::MakeBenchServer(0, 1);
        q.without->server->Impl().db().Transact(true, [](SqlConnection& c) {
            for (const AuditedTable& t : AuditedTables())
                for (const char* op : {"I", "U", "D"})
                    c.Exec(std::string("DROP TRIGGER IF EXISTS HIST_") + t.table + "_" + op);
        });
        q.withMeeting = NewMeeting(*q.with);
        q.withoutMeeting = NewMeeting(*q.without);
        // Both databases warmed alike (the write-ahead log grown, the caches filled), so
        // neither side pays for going first.
        for (int i = 0; i < 500; ++i) {
            Move(*q.with, q.withMeeting, i);
            Move(*q.without, q.withoutMeeting, i);
        }
        return q;
    }();
    return p;
}

void BM_MeetingSave_WithHistory(benchmark::State& state) {
    Pair& p = Servers();
    int step = 0;
    for (auto _ : state)
        Move(*p.with, p.withMeeting, ++step);
}
BENCHMARK(BM_MeetingSave_WithHistory)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

// The floor: the same save where no history is written.
void BM_MeetingSave_Floor_NoHistory(benchmark::State& state) {
    Pair& p = Servers();
    int step = 0;
    for (auto _ : state)
        Move(*p.without, p.withoutMeeting, ++step);
}
BENCHMARK(BM_MeetingSave_Floor_NoHistory)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

// Both saves in turns, so drifts of the disk and the machine during the run fall on both
// alike: the counters give each side's mean and their ratio.
void BM_MeetingSave_Interleaved(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    Pair& p = Servers();
    Clock::duration with{}, without{};
    int step = 0;
    for (auto _ : state) {
        ++step;
        const auto t0 = Clock::now();
        Move(*p.with, p.withMeeting, step);
        const auto t1 = Clock::now();
        Move(*p.without, p.withoutMeeting, step);
        without += Clock::now() - t1;
        with += t1 - t0;
    }
    const auto us = [&](Clock::duration d) {
        return std::chrono::duration<double, std::micro>(d).count() /
               static_cast<double>(state.iterations());
    };
    state.counters["with_us"] = us(with);
    state.counters["floor_us"] = us(without);
    state.counters["ratio"] = us(with) / us(without);
}
BENCHMARK(BM_MeetingSave_Interleaved)->Unit(benchmark::kMicrosecond)->MinTime(4.0);

// A meeting with 1,000 recorded changes, read as the window opens its history.
void BM_GetHistorico_1000Changes(benchmark::State& state) {
    static bench::BenchServer& b = []() -> bench::BenchServer& {
        static auto s = bench::MakeBenchServer(0, 1);
        static Meeting m = NewMeeting(*s);
        for (int i = 1; i < 1000; ++i)
            Move(*s, m, i);
        return *s;
    }();
    static const std::string nr = [] {
        return b.server->Impl().db().Transact(false, [](SqlConnection& c) {
            return c
                .Exec(
                    "SELECT NRTAREFA FROM HISTREUNIAO GROUP BY NRTAREFA ORDER BY "
                    "COUNT(*) DESC LIMIT 1")
                .rows.at(0)
                .at(0)
                .AsString();
        });
    }();
    size_t rows = 0;
    for (auto _ : state)
        rows = Call(b, "GetHistorico", {"0001", nr})["rows"].size();
    state.counters["changes"] = static_cast<double>(rows);
}
BENCHMARK(BM_GetHistorico_1000Changes)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
