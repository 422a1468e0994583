// A weekly series for a year (52 meetings, each with its room and the organiser's activity)
// made by one SetSerieReuniao on a SQLite file, against the floor of the same work done the
// way the window saves one meeting: GetPrxTarefa, SetControle and SetSalas, 52 times.
#include <benchmark/benchmark.h>

#include <nlohmann/json.hpp>

#include "appserver/app_server_impl.h"
#include "appserver/series_rule.h"
#include "bench_data.h"
#include "platform/date_time.h"

using namespace zel::appserver;
using nlohmann::json;

namespace {

bench::BenchServer& Server() {
    static auto b = bench::MakeBenchServer(0);
    return *b;
}

json Call(const std::string& method, const json& params) {
    const json r = json::parse(Server().server->HandleRpc(
        json{{"method", method}, {"params", params}, {"id", 1}}.dump(), Server().token));
    if (r.contains("error")) throw std::runtime_error(method + ": " + r.dump());
    return r["result"];
}

json Dt(TDateTime t) {
    return {{"$dt", DateTimeToIso(t)}};
}

// Every run plans its year far from the others', so no run finds another's bookings.
TDateTime RunStart(int run) {
    return Date() + 30 + 400.0 * run + 9 / 24.0;
}

json MeetingInsert(const std::string& nr, TDateTime start) {
    return {{"fields",
             {{{"name", "CDFILIAL"}, {"type", "string"}, {"size", 4}},
              {{"name", "NRTAREFA"}, {"type", "string"}, {"size", 10}},
              {{"name", "DSREFETAREFA"}, {"type", "string"}, {"size", 100}},
              {{"name", "CDPROCESSO"}, {"type", "string"}, {"size", 10}},
              {{"name", "CDOPERRESP"}, {"type", "string"}, {"size", 12}},
              {{"name", "CDASSUNTO"}, {"type", "string"}, {"size", 5}},
              {{"name", "DTHRREUNIAO"}, {"type", "datetime"}},
              {{"name", "QTHRREUNIAO"}, {"type", "float"}}}},
            {"changes",
             {{{"op", "insert"},
               {"new",
                {"0001", nr, "Comitê semanal", "0000000002", "000000000001", "00001", Dt(start),
                 1.0}}}}}};
}

json BookingInsert(const std::string& nr, TDateTime start) {
    return {{"fields",
             {{{"name", "CDFILIAL"}, {"type", "string"}, {"size", 4}},
              {{"name", "NRTAREFA"}, {"type", "string"}, {"size", 10}},
              {{"name", "CDSALA"}, {"type", "string"}, {"size", 5}},
              {{"name", "DTATIAGESALA"}, {"type", "datetime"}},
              {{"name", "NRSEQAGESALA"}, {"type", "string"}, {"size", 5}},
              {{"name", "HRINIAGESALA"}, {"type", "string"}, {"size", 4}},
              {{"name", "HRFINAGESALA"}, {"type", "string"}, {"size", 4}}}},
            {"changes",
             {{{"op", "insert"},
               {"new", {"0001", nr, "00001", Dt(DateOf(start)), nullptr, "0900", "1000"}}}}}};
}

// One meeting saved as the window saves it, with its organiser's activity.
std::string SaveMeeting(TDateTime start) {
    const std::string nr = Call("GetPrxTarefa", {"0001"});
    Call("SetControle", json::array({MeetingInsert(nr, start)}));
    Call("SetSalas", json::array({BookingInsert(nr, start)}));
    Server().server->Impl().db().Transact(true, [&](SqlConnection& c) {
        c.Exec(
            "INSERT INTO PLANATIVTARE (CDFILIAL, NRTAREFA, NRPLATIVTARE, CDPROCESSO, CDOPERRESP, "
            "DTINPATIVTAR, DTFIPATIVTAR, QTHRPATIVTAR, IDSITATIVTAR, IDOPERPAREUNIAO) VALUES "
            "('0001', ?, '00001', '0000000002', '000000000001', ?, ?, 1, 'P', 'N')",
            {nr, Variant::FromDateTime(start), Variant::FromDateTime(start + 1 / 24.0)});
    });
    return nr;
}

int g_run = 0;

void BM_SerieReuniao_Weekly52(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        const TDateTime start = RunStart(g_run++);
        const std::string first = SaveMeeting(start);
        const std::string weekday = std::to_string(IsoWeekday(start));
        state.ResumeTiming();
        const json r = Call("SetSerieReuniao", {"0001", first, "S", weekday, "", 52, "S"});
        if (r["rows"].size() != 52) state.SkipWithError("not 52 occurrences");
    }
}
BENCHMARK(BM_SerieReuniao_Weekly52)->Unit(benchmark::kMillisecond)->Iterations(10);

// The floor: the same 52 meetings with their bookings, one save of a single meeting each.
void BM_SingleMeetingSaves_x52(benchmark::State& state) {
    for (auto _ : state) {
        const TDateTime start = RunStart(g_run++);
        for (int week = 0; week < 52; ++week)
            SaveMeeting(start + 7 * week);
    }
}
BENCHMARK(BM_SingleMeetingSaves_x52)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

BENCHMARK_MAIN();
