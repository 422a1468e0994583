// The calendar feed of an operator with 2,000 meetings in range (each with its room and three
// participants) over HTTP on a SQLite file: the whole feed, the 304 of an unchanged one, and
// GET /health on the same kept-alive connection as the floor (one round trip and a trivial
// query). The feed is also built in process, without HTTP, and split into its one query (with
// the meetings made of its rows) and its text, to show where the time goes.
#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <httplib.h>

#include <nlohmann/json.hpp>

#include "appserver/app_server_impl.h"
#include "appserver/calendar_feed_query.h"
#include "appserver/calendar_reconciler.h"
#include "appserver/counters.h"
#include "appserver/http_server.h"
#include "bench_data.h"
#include "calendar/meeting_icalendar.h"
#include "platform/date_time.h"

using namespace zel::appserver;
using nlohmann::json;

namespace {

constexpr int kMeetings = 2000;

// Meetings of operator 000000000003 spread over the feed's window, the way they would be
// stored: each with a booking in a room of its own and the activities of three participants;
// every tenth cancelled.
void AddMeetings(AppServer& server) {
    server.Impl().db().Transact(true, [](SqlConnection& c) {
        const TDateTime today = Date();
        const char* const people[] = {"000000000002", "000000000004", "000000000005"};
        for (int r = 0; r < 50; ++r)
            c.Exec(
                "INSERT INTO SALA (CDFILIAL, CDSALA, NMSALA, IDATIVO) VALUES ('0001', ?, ?, "
                "'S')",
                {ZeroFill(20 + r, 5), "Sala " + std::to_string(20 + r)});
        for (int i = 0; i < kMeetings; ++i) {
            const std::string nr = ZeroFill(NextCounterValue(c, counter::kMeeting, "0001"), 10);
            const TDateTime start = today - 29 + i * (390.0 / kMeetings);
            c.Exec(
                "INSERT INTO TAREFA (CDFILIAL, NRTAREFA, DSREFETAREFA, CDPROCESSO, CDOPERRESP, "
                "CDASSUNTO, CDOPERABER, DTABERTAREFA, IDSITTAREFA, IDORIGTARE, DTHRREUNIAO, "
                "QTHRREUNIAO) VALUES ('0001', ?, ?, '0000000002', '000000000003', '00002', "
                "'000000000001', ?, ?, '4', ?, 1.5)",
                {nr, "Acompanhamento da obra, etapa " + std::to_string(i),
                 Variant::FromDateTime(today - 40), i % 10 == 0 ? "X" : "P",
                 Variant::FromDateTime(start)});
            c.Exec(
                "INSERT INTO AGEATIVISALA (CDFILIAL, DTATIAGESALA, NRSEQAGESALA, CDSALA, "
                "NRTAREFA, IDSITAGESALA, HRINIAGESALA, HRFINAGESALA) VALUES ('0001', ?, ?, "
                "?, ?, 'A', '0000', '0001')",
                {Variant::FromDateTime(DateOf(start)), ZeroFill(50000 + i, 5),
                 ZeroFill(20 + i % 50, 5), nr});
            for (int p = 0; p < 3; ++p)
                c.Exec(
                    "INSERT INTO PLANATIVTARE (CDFILIAL, NRTAREFA, NRPLATIVTARE, CDPROCESSO, "
                    "CDOPERRESP, QTHRPATIVTAR, IDSITATIVTAR, IDOPERPAREUNIAO) VALUES ('0001', "
                    "?, ?, '0000000002', ?, 1.5, 'P', 'N')",
                    {nr, ZeroFill(p + 1, 5), people[p]});
        }
        ReconcileCalendars(c, Now(), nullptr);
    });
}

// The server with the meetings, the operator's feed and the HTTP server in front.
struct FeedBench {
    FeedBench() {
        AddMeetings(*data->server);
        const json login = json::parse(data->server->HandleRpc(
            R"({"method":"Login","params":["000000000003","demo","0001"],"id":1})", ""));
        const std::string session = login["result"]["rows"][0][0];
        const json made = json::parse(data->server->HandleRpc(
            R"({"method":"SetCalendario","params":["O","",""],"id":2})", session));
        path = "/calendar/" + made["result"]["rows"][0][1].get<std::string>() + ".ics";
        HttpServerOptions o;
        o.port = 0;
        http = std::make_unique<HttpServer>(*data->server, o);
        http->Start();
    }
    ~FeedBench() { http->Stop(); }

    std::unique_ptr<bench::BenchServer> data = bench::MakeBenchServer(0);
    std::unique_ptr<HttpServer> http;
    std::string path;  // "/calendar/TOKEN.ics"
};

FeedBench& Bench() {
    static FeedBench b;
    return b;
}

httplib::Client Client() {
    httplib::Client c("127.0.0.1", Bench().http->Port());
    c.set_tcp_nodelay(true);
    c.set_keep_alive(true);
    return c;
}

void BM_Health_Floor(benchmark::State& state) {
    httplib::Client c = Client();
    for (auto _ : state) {
        auto r = c.Get("/health");
        if (!r || r->status != 200) state.SkipWithError("health failed");
    }
}
BENCHMARK(BM_Health_Floor)->Unit(benchmark::kMicrosecond);

void BM_Feed_Unchanged304(benchmark::State& state) {
    httplib::Client c = Client();
    const auto first = c.Get(Bench().path.c_str());
    if (!first || first->status != 200) return state.SkipWithError("feed failed");
    const httplib::Headers ifNoneMatch = {{"If-None-Match", first->get_header_value("ETag")}};
    for (auto _ : state) {
        auto r = c.Get(Bench().path.c_str(), ifNoneMatch);
        if (!r || r->status != 304) state.SkipWithError("no 304");
    }
}
BENCHMARK(BM_Feed_Unchanged304)->Unit(benchmark::kMicrosecond);

void BM_Feed_Whole2000Meetings(benchmark::State& state) {
    httplib::Client c = Client();
    size_t bytes = 0;
    for (auto _ : state) {
        auto r = c.Get(Bench().path.c_str());
        if (!r || r->status != 200) state.SkipWithError("feed failed");
        bytes = r->body.size();
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_Feed_Whole2000Meetings)->Unit(benchmark::kMillisecond);

// The same feed read as calendar programs read it: libcurl on one kept-alive connection, with
// its default receive buffer (cpp-httplib's client above reads 4 KiB at a time with a poll
// before each read); state.range(0) = 1 asks for the answer gzipped, as they mostly do.
size_t KeepBytes(char*, size_t size, size_t count, void* total) {
    *static_cast<size_t*>(total) += size * count;
    return size * count;
}

void BM_Feed_Whole2000Meetings_Curl(benchmark::State& state) {
    CURL* curl = curl_easy_init();
    const std::string url =
        "http://127.0.0.1:" + std::to_string(Bench().http->Port()) + Bench().path;
    size_t bytes = 0;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, KeepBytes);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &bytes);
    curl_easy_setopt(curl, CURLOPT_TCP_NODELAY, 1L);
    if (state.range(0) == 1) curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "gzip");
    size_t last = 0;
    double wire = 0;
    for (auto _ : state) {
        bytes = 0;
        long status = 0;
        if (curl_easy_perform(curl) != CURLE_OK) state.SkipWithError("feed failed");
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
        if (status != 200) state.SkipWithError("feed failed");
        curl_off_t downloaded = 0;
        curl_easy_getinfo(curl, CURLINFO_SIZE_DOWNLOAD_T, &downloaded);
        wire = static_cast<double>(downloaded);
        last = bytes;
    }
    curl_easy_cleanup(curl);
    state.counters["bytes"] = static_cast<double>(last);
    state.counters["wire"] = wire;
}
BENCHMARK(BM_Feed_Whole2000Meetings_Curl)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_Feed_BuiltInProcess(benchmark::State& state) {
    CalendarService& calendar = Bench().data->server->Impl().calendar();
    const std::string token = Bench().path.substr(10, 64);
    for (auto _ : state) {
        const FeedAnswer a = calendar.Feed(token, "");
        if (a.status != 200) state.SkipWithError("feed failed");
        benchmark::DoNotOptimize(a.body.size());
    }
}
BENCHMARK(BM_Feed_BuiltInProcess)->Unit(benchmark::kMillisecond);

// What the feed reads: the operator's meetings in its window.
std::vector<CalendarMeeting> ReadMeetings(SqlConnection& c) {
    FeedSubject s;
    s.kind = "O";
    s.op = "000000000003";
    s.branches = {"0001", "0002"};
    const TDateTime now = Now(), today = DateOf(now);
    return ReadFeedMeetings(c, s, today - kFeedDaysBack, today + kFeedDaysAhead,
                            now - kFeedCancelledDays, now);
}

void BM_Feed_QueryOnly(benchmark::State& state) {
    Database& db = Bench().data->server->Impl().db();
    size_t meetings = 0;
    for (auto _ : state)
        meetings = db.Transact(false, [](SqlConnection& c) { return ReadMeetings(c).size(); });
    state.counters["meetings"] = static_cast<double>(meetings);
}
BENCHMARK(BM_Feed_QueryOnly)->Unit(benchmark::kMillisecond);

void BM_Feed_TextOnly(benchmark::State& state) {
    const std::vector<CalendarMeeting> meetings = Bench().data->server->Impl().db().Transact(
        false, [](SqlConnection& c) { return ReadMeetings(c); });
    for (auto _ : state)
        benchmark::DoNotOptimize(FeedICalendar("Reuniões", meetings).size());
}
BENCHMARK(BM_Feed_TextOnly)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
