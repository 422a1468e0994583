// appserver_load: N client threads calling the application server over HTTP on loopback
// (keep-alive, TCP_NODELAY) for a fixed time; prints calls/s, p50 and p99 per method.
//
//   appserver_load [--threads 8] [--seconds 5] [--meetings 1000] [--server-threads 8]
//                  [--method getHoraServidor|GetControle|mixed]
// Without --method it runs getHoraServidor, then GetControle, then a 9:1 mix.
#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "appserver/http_server.h"
#include "bench_data.h"

using namespace zel::appserver;
using Clock = std::chrono::steady_clock;

namespace {

struct Result {
    long calls = 0, errors = 0;
    std::vector<double> micros;
};

Result Run(int port, const std::string& token, int threads, double seconds,
           const std::string& method) {
    std::vector<Result> per(threads);
    std::atomic<bool> stop{false};
    std::vector<std::thread> pool;
    const std::string hora = bench::HoraServidorRequest(), controle = bench::GetControleRequest();
    for (int t = 0; t < threads; ++t) {
        pool.emplace_back([&, t] {
            httplib::Client c("127.0.0.1", port);
            c.set_tcp_nodelay(true);
            c.set_keep_alive(true);
            const httplib::Headers auth = {{"Authorization", "Bearer " + token}};
            Result& r = per[t];
            for (long i = 0; !stop.load(std::memory_order_relaxed); ++i) {
                const bool big =
                    method == "GetControle" || (method == "mixed" && (i + t) % 10 == 0);
                const auto start = Clock::now();
                const auto res = c.Post("/rpc", auth, big ? controle : hora, "application/json");
                const double us =
                    std::chrono::duration<double, std::micro>(Clock::now() - start).count();
                if (!res || res->status != 200 || res->body.find("\"error\"") != std::string::npos)
                    ++r.errors;
                ++r.calls;
                r.micros.push_back(us);
            }
        });
    }
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    stop = true;
    for (auto& th : pool)
        th.join();
    Result all;
    for (auto& r : per) {
        all.calls += r.calls;
        all.errors += r.errors;
        all.micros.insert(all.micros.end(), r.micros.begin(), r.micros.end());
    }
    std::sort(all.micros.begin(), all.micros.end());
    return all;
}

double Percentile(const std::vector<double>& sorted, double p) {
    if (sorted.empty()) return 0;
    return sorted[std::min(sorted.size() - 1, static_cast<size_t>(p * sorted.size()))];
}

}  // namespace

int main(int argc, char** argv) {
    int threads = 8, meetings = 1000, serverThreads = 8;
    double seconds = 5;
    std::string only;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string k = argv[i], v = argv[i + 1];
        if (k == "--threads")
            threads = std::stoi(v);
        else if (k == "--seconds")
            seconds = std::stod(v);
        else if (k == "--meetings")
            meetings = std::stoi(v);
        else if (k == "--server-threads")
            serverThreads = std::stoi(v);
        else if (k == "--method")
            only = v;
        else {
            std::fprintf(stderr, "unknown option %s\n", k.c_str());
            return 2;
        }
    }
    auto b = bench::MakeBenchServer(meetings, serverThreads);
    HttpServerOptions o;
    o.port = 0;
    o.threads = serverThreads;
    HttpServer http(*b->server, o);
    http.Start();
    std::printf("appserver_load: %d client threads, %d server threads, %d meetings, %.0f s each\n",
                threads, serverThreads, meetings, seconds);
    std::printf("%-16s %10s %10s %10s %8s\n", "method", "calls/s", "p50 us", "p99 us", "errors");
    for (const std::string m : {"getHoraServidor", "GetControle", "mixed"}) {
        if (!only.empty() && only != m) continue;
        const Result r = Run(http.Port(), b->token, threads, seconds, m);
        std::printf("%-16s %10.0f %10.0f %10.0f %8ld\n", m.c_str(), r.calls / seconds,
                    Percentile(r.micros, 0.50), Percentile(r.micros, 0.99), r.errors);
    }
    http.Stop();
    return 0;
}
