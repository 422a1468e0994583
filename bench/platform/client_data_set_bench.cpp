// Client dataset speed: loading meeting packets (against nlohmann's own parse of the same
// bytes, the floor), the status filter, Locate near the end, and 1,000 posted edits with
// the Delta built from them.
#include <benchmark/benchmark.h>

#include <memory>
#include <nlohmann/json.hpp>

#include "bench/platform/meeting_packet.h"
#include "platform/client_data_set.h"

namespace {

void BM_ParseJsonOnly(benchmark::State& state) {
    const std::string& text = MeetingPacketText(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        nlohmann::json j = nlohmann::json::parse(text);
        benchmark::DoNotOptimize(j);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ParseJsonOnly)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Text straight into the dataset (what a server call's result does when it is loaded).
void BM_LoadFromJsonText(benchmark::State& state) {
    const std::string& text = MeetingPacketText(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        TClientDataSet ds("cdsControle");
        ds.SetDataFromJsonText(text);
        benchmark::DoNotOptimize(ds.RecordCount());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_LoadFromJsonText)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Text parsed into a packet Variant first, then assigned as Data (texts copied, not moved).
void BM_LoadFromPacketVariant(benchmark::State& state) {
    const std::string& text = MeetingPacketText(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const Variant packet = Variant::FromPacket(nlohmann::json::parse(text));
        TClientDataSet ds("cdsControle");
        ds.SetData(packet);
        benchmark::DoNotOptimize(ds.RecordCount());
    }
}
BENCHMARK(BM_LoadFromPacketVariant)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void LoadInto(TClientDataSet& ds, int rows) {
    ds.SetDataFromJsonText(MeetingPacketText(rows));
}

void BM_StatusFilter(benchmark::State& state) {
    TClientDataSet ds("cdsControle");
    LoadInto(ds, static_cast<int>(state.range(0)));
    ds.SetFiltered(true);
    for (auto _ : state) {
        ds.SetFilter("IDSITTAREFA IN (' ', 'P', 'A')");
        benchmark::DoNotOptimize(ds.RecordCount());
    }
}
BENCHMARK(BM_StatusFilter)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_LocateNearTheEnd(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    TClientDataSet ds("cdsControle");
    LoadInto(ds, rows);
    char number[16];
    std::snprintf(number, sizeof number, "%010d", rows - 5);
    for (auto _ : state) {
        if (!ds.Locate("NRTAREFA", {number}, {loCaseInsensitive})) state.SkipWithError("not found");
    }
}
BENCHMARK(BM_LocateNearTheEnd)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_PostEditsAndDelta(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    std::unique_ptr<TClientDataSet> ds;
    for (auto _ : state) {
        state.PauseTiming();  // a fresh dataset each time; loading and freeing are not measured
        ds.reset();
        ds = std::make_unique<TClientDataSet>("cdsControle");
        LoadInto(*ds, rows);
        state.ResumeTiming();
        TField& reference = ds->FieldByName("DSREFETAREFA");
        TField& hours = ds->FieldByName("QTHRREUNIAO");
        for (int i = 0; i < 1000; ++i) {
            ds->Edit();
            reference.SetAsString("Reunião remarcada " + std::to_string(i));
            hours.SetAsFloat(2.5);
            ds->Post();
            ds->Next();
        }
        const Variant delta = ds->Delta();
        benchmark::DoNotOptimize(delta);
    }
}
BENCHMARK(BM_PostEditsAndDelta)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
