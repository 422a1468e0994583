// GetControle with 1,000 meetings: end to end over HTTP, through the dispatcher in process,
// and the same query straight on SQLite (the floor: step the rows, copy every column).
#include <benchmark/benchmark.h>
#include <httplib.h>
#include <sqlite3.h>

#include "appserver/http_server.h"
#include "bench_data.h"

using namespace zel::appserver;

namespace {

bench::BenchServer& Server() {
    static auto b = bench::MakeBenchServer(1000);
    return *b;
}

void BM_GetControle_Http(benchmark::State& state) {
    HttpServerOptions o;
    o.port = 0;
    HttpServer http(*Server().server, o);
    http.Start();
    httplib::Client c("127.0.0.1", http.Port());
    c.set_tcp_nodelay(true);
    c.set_keep_alive(true);
    const httplib::Headers auth = {{"Authorization", "Bearer " + Server().token}};
    const std::string body = bench::GetControleRequest();
    for (auto _ : state) {
        auto r = c.Post("/rpc", auth, body, "application/json");
        if (!r || r->status != 200) state.SkipWithError("call failed");
        benchmark::DoNotOptimize(r->body.size());
    }
    http.Stop();
}
BENCHMARK(BM_GetControle_Http)->Unit(benchmark::kMicrosecond);

void BM_GetControle_InProcess(benchmark::State& state) {
    const std::string body = bench::GetControleRequest();
    for (auto _ : state)
        benchmark::DoNotOptimize(Server().server->HandleRpc(body, Server().token));
}
BENCHMARK(BM_GetControle_InProcess)->Unit(benchmark::kMicrosecond);

void BM_GetControle_RawSqlite(benchmark::State& state) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(Server().dbPath.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, bench::kRawControleSql.c_str(), -1, &stmt, nullptr);
    const char* params[] = {"0001", "4", "P", "A", "C", "X"};
    for (auto _ : state) {
        for (int i = 0; i < 6; ++i)
            sqlite3_bind_text(stmt, i + 1, params[i], -1, SQLITE_STATIC);
        size_t bytes = 0, rows = 0;
        std::string cell;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            ++rows;
            for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
                const unsigned char* t = sqlite3_column_text(stmt, c);
                if (t) cell.assign(reinterpret_cast<const char*>(t), sqlite3_column_bytes(stmt, c));
                bytes += cell.size();
            }
        }
        sqlite3_reset(stmt);
        benchmark::DoNotOptimize(bytes);
        state.counters["rows"] = static_cast<double>(rows);
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
}
BENCHMARK(BM_GetControle_RawSqlite)->Unit(benchmark::kMicrosecond);

void BM_HoraServidor_InProcess(benchmark::State& state) {
    const std::string body = bench::HoraServidorRequest();
    for (auto _ : state)
        benchmark::DoNotOptimize(Server().server->HandleRpc(body, Server().token));
}
BENCHMARK(BM_HoraServidor_InProcess)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
