// The first ten slots for eight participants (GetSugereHorario, in process) on a SQLite file
// holding 300 rooms and 500 operators with a year of activities and bookings (three meetings
// a day each, so eight of them are seldom free together), against the floor of one indexed
// range read of the eight participants' activities, straight on SQLite.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <nlohmann/json.hpp>
#include <random>

#include "appserver/app_server_impl.h"
#include "appserver/sql_value.h"
#include "appserver/working_hours.h"
#include "bench_data.h"
#include "platform/date_time.h"
#include "platform/series_dates.h"

using namespace zel::appserver;
using nlohmann::json;

namespace {

constexpr int kRooms = 300;
constexpr int kOperators = 500;
constexpr int kMeetingsPerDay = 300;  // five participants each: three activities per operator
constexpr int kParticipantsPerMeeting = 5;
constexpr int kDays = 365;
constexpr int kParticipants = 8;

std::string Code(char prefix, int n, int width) {
    std::string digits = std::to_string(n);
    return prefix + std::string(static_cast<size_t>(width - 1) - digits.size(), '0') + digits;
}

// Rooms of 4 to 40 places with some of the usual tags; operators of branch 0001; on every
// working day of the coming year, meetings of five operators, one hour each on the half hour
// from 08:00 to 17:00, each with its room (meeting i of a day in room i, so no two collide).
void Fill(SqlConnection& c) {
    std::mt19937 rnd(400);
    const char* tags[] = {"projetor", "videoconferência", "quadro branco", "acessível"};
    for (int r = 1; r <= kRooms; ++r) {
        const std::string room = Code('1', r, 5);
        c.Exec(
            "INSERT INTO SALA (CDFILIAL, CDSALA, NMSALA, IDATIVO, QTCAPACSALA) VALUES "
            "('0001', ?, ?, 'S', ?)",
            {room, "Sala " + room, static_cast<long long>(4 + rnd() % 37)});
        for (const char* tag : tags)
            if (rnd() % 2)
                c.Exec(
                    "INSERT INTO EQUIPSALA (CDFILIAL, CDSALA, NMEQUIPSALA) VALUES ('0001', ?, ?)",
                    {room, std::string(tag)});
    }
    for (int o = 1; o <= kOperators; ++o) {
        const std::string op = Code('B', o, 12);
        c.Exec(
            "INSERT INTO OPERADOR (CDOPERADOR, NMOPERADOR, DSSENHA, IDATIVO) VALUES "
            "(?, ?, 'x', 'S')",
            {op, "Operador " + std::to_string(o)});
        c.Exec("INSERT INTO OPERFILIAL (CDOPERADOR, CDFILIAL) VALUES (?, '0001')", {op});
    }
    int number = 0;
    for (int d = 0; d < kDays; ++d) {
        const TDateTime day = Date() + d;
        if (IsoWeekday(day) > 5) continue;
        for (int m = 0; m < kMeetingsPerDay; ++m) {
            const std::string nr = Code('9', ++number, 10);
            const int half = static_cast<int>(rnd() % 19);  // 08:00 .. 17:00
            const TDateTime start = day + (8 * 60 + half * 30) / 1440.0;
            c.Exec(
                "INSERT INTO TAREFA (CDFILIAL, NRTAREFA, DSREFETAREFA, IDSITTAREFA, IDORIGTARE, "
                "DTHRREUNIAO, QTHRREUNIAO) VALUES ('0001', ?, 'Carga', 'P', '4', ?, 1)",
                {nr, Variant::FromDateTime(start)});
            c.Exec(
                "INSERT INTO AGEATIVISALA (CDFILIAL, DTATIAGESALA, NRSEQAGESALA, CDSALA, "
                "NRTAREFA, IDSITAGESALA, HRINIAGESALA, HRFINAGESALA) VALUES "
                "('0001', ?, ?, ?, ?, 'A', ?, ?)",
                {Variant::FromDateTime(day), Code('9', m + 1, 5), Code('1', m + 1, 5), nr,
                 HhmmText(8 * 60 + half * 30), HhmmText(9 * 60 + half * 30)});
            for (int p = 0; p < kParticipantsPerMeeting; ++p)
                c.Exec(
                    "INSERT INTO PLANATIVTARE (CDFILIAL, NRTAREFA, NRPLATIVTARE, CDOPERRESP, "
                    "DTINPATIVTAR, DTFIPATIVTAR, QTHRPATIVTAR, IDSITATIVTAR, "
                    "IDOPERPAREUNIAO) VALUES ('0001', ?, ?, ?, ?, ?, 1, 'P', 'N')",
                    {nr, Code('0', p + 1, 5),
                     Code('B', 1 + static_cast<int>(rnd() % kOperators), 12),
                     Variant::FromDateTime(start), Variant::FromDateTime(start + 1 / 24.0)});
        }
    }
}

bench::BenchServer& Server() {
    static auto b = [] {
        auto s = bench::MakeBenchServer(0, 1);
        s->server->Impl().db().Transact(true, Fill);
        return s;
    }();
    return *b;
}

std::vector<std::string> Participants() {
    std::vector<std::string> codes;
    for (int i = 0; i < kParticipants; ++i)
        codes.push_back(Code('B', 1 + i * 61, 12));
    return codes;
}

std::string SuggestRequest() {
    std::string list;
    for (const std::string& c : Participants())
        list += (list.empty() ? "" : ",") + c;
    return json{
        {"method", "GetSugereHorario"},
        {"params", {"0001", "", list, 1, {{"$dt", DateTimeToIso(Date() + 1)}}, 8, "projetor"}},
        {"id", 1}}
        .dump();
}

void BM_SugereHorario_8Participants(benchmark::State& state) {
    Server();  // filled before the timing starts
    const std::string body = SuggestRequest();
    json rows;
    for (auto _ : state) {
        const json r = json::parse(Server().server->HandleRpc(body, Server().token));
        if (!r.contains("result")) {
            state.SkipWithError(r.dump().c_str());
            break;
        }
        rows = r["result"]["rows"];
    }
    // How many slots, and how many days ahead the tenth lies.
    state.counters["slots"] = static_cast<double>(rows.size());
    if (!rows.empty())
        state.counters["days"] = DateOf(IsoToDateTime(rows.back()[0]["$dt"])) - Date();
}
BENCHMARK(BM_SugereHorario_8Participants)->Unit(benchmark::kMillisecond);

// The floor: one indexed range read of the participants' activities on the same file, every
// column stepped, over the first week the search reads (8 days with the day before) and over
// the days up to the tenth slot (50 with this load: the tenth slot lies 48 days ahead).
void BM_Floor_ParticipantsActivityRangeRead(benchmark::State& state) {
    Server();
    sqlite3* db = nullptr;
    sqlite3_open_v2(Server().dbPath.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT CDOPERRESP, DTINPATIVTAR, DTFIPATIVTAR FROM PLANATIVTARE WHERE "
                       "CDOPERRESP IN (?, ?, ?, ?, ?, ?, ?, ?) AND DTINPATIVTAR >= ? AND "
                       "DTINPATIVTAR < ?",
                       -1, &stmt, nullptr);
    const std::vector<std::string> codes = Participants();
    const std::string from = SqlDateTimeText(Date());
    const std::string to = SqlDateTimeText(Date() + static_cast<double>(state.range(0)));
    size_t rows = 0;
    for (auto _ : state) {
        for (int i = 0; i < kParticipants; ++i)
            sqlite3_bind_text(stmt, i + 1, codes[static_cast<size_t>(i)].c_str(), -1,
                              SQLITE_STATIC);
        sqlite3_bind_text(stmt, 9, from.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(stmt, 10, to.c_str(), -1, SQLITE_STATIC);
        rows = 0;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            ++rows;
            for (int c = 0; c < 3; ++c)
                benchmark::DoNotOptimize(sqlite3_column_text(stmt, c));
        }
        sqlite3_reset(stmt);
    }
    state.counters["rows"] = static_cast<double>(rows);
    sqlite3_finalize(stmt);
    sqlite3_close(db);
}
BENCHMARK(BM_Floor_ParticipantsActivityRangeRead)->Arg(8)->Arg(50)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
