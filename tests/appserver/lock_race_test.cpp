// Check-then-write paths raced by clients of two servers on one database (a SQLite file, and
// the throw-away PostgreSQL): a skipped series date added back from both at once, "this and
// the following" while one of the following is cancelled, and the first calendar export of a
// meeting from both at once. Each race leaves the data as one client after the other would.
#include <functional>

#include "appserver/counters.h"
#include "appserver/series_rule.h"
#include "appserver/sql_value.h"
#include "platform/date_time.h"
#include "test_support.h"

namespace zel::appserver::test {
namespace {

class LockRaceTest : public ::testing::TestWithParam<Backend> {
  protected:
    void SetUp() override {
        ZEL_SKIP_IF_UNAVAILABLE(database);
        // The first server creates the schema and the demo data; the second finds them.
        for (auto& server : servers) {
            AppServerOptions o = DemoOptions(database.url());
            o.poolSize = 8;
            server = std::make_unique<AppServer>(o);
        }
    }

    // Runs `clients` calls that start at the same moment, client i on server i % 2, each with
    // its own session; returns each response envelope.
    using Call = std::function<json(RpcClient&, const std::string& token, int client)>;
    std::vector<json> Race(int clients, const Call& call) {
        return RaceClients({servers[0].get(), servers[1].get()}, clients,
                           [&call](RpcClient&, const std::string&, int i) -> RaceCall {
                               return [&call, i](RpcClient& rpc, const std::string& token) {
                                   return call(rpc, token, i);
                               };
                           });
    }
    json Ok(const std::string& method, const json& params) {
        RpcClient rpc(*servers[0]);
        return rpc.Result(method, params, rpc.Login());
    }
    void Exec(const std::string& sql, const SqlParams& params = {}) {
        servers[0]->Impl().db().Transact(true, [&](SqlConnection& c) { c.Exec(sql, params); });
    }
    std::string Value(const std::string& sql, const SqlParams& params = {}) {
        return servers[1]->Impl().db().Transact(false, [&](SqlConnection& c) {
            const SqlResult r = c.Exec(sql, params);
            return r.rows.empty() || r.rows[0][0].IsNull() ? std::string()
                                                           : r.rows[0][0].AsString();
        });
    }
    // A pending meeting on day `offset` at 09:00 for an hour, booked in room 00001 from 09:00
    // to 10:00 unless `room` is false.
    std::string Meeting(int offset, bool room = true) {
        const std::string nr = Ok("GetPrxTarefa", {"0001"});
        const TDateTime day = DateOf(Now()) + offset;
        Exec(
            "INSERT INTO TAREFA (CDFILIAL, NRTAREFA, DSREFETAREFA, CDPROCESSO, CDOPERRESP, "
            "CDASSUNTO, IDSITTAREFA, IDORIGTARE, DTHRREUNIAO, QTHRREUNIAO) VALUES ('0001', ?, "
            "'Corrida', '0000000002', '000000000001', '00001', 'P', '4', ?, 1)",
            {nr, Variant::FromDateTime(day + 9 / 24.0)});
        if (room)
            Exec(
                "INSERT INTO AGEATIVISALA (CDFILIAL, DTATIAGESALA, NRSEQAGESALA, CDSALA, NRTAREFA, "
                "IDSITAGESALA, HRINIAGESALA, HRFINAGESALA) VALUES ('0001', ?, ?, '00001', ?, 'A', "
                "'0900', '1000')",
                {Variant::FromDateTime(day), "9" + nr.substr(6), nr});
        return nr;
    }
    static std::string Weekday(int offset) {
        return std::to_string(IsoWeekday(DateOf(Now()) + offset));
    }

    TestDatabase database{GetParam()};
    std::unique_ptr<AppServer> servers[2];
};

INSTANTIATE_TEST_SUITE_P(Backends, LockRaceTest,
                         ::testing::Values(Backend::SqliteFile, Backend::Postgres),
                         [](const auto& info) { return BackendName(info.param); });

TEST_P(LockRaceTest, ASkippedDateAddedBackFromBothServersAtOnceGetsOneMeeting) {
    for (int round = 0; round < 5; ++round) {
        const int day = 400 + 30 * round;
        const std::string first = Meeting(day), blocker = Meeting(day + 7);
        // Activities to copy keep the first call busy while the others arrive.
        for (int i = 1; i <= 30; ++i)
            Exec(
                "INSERT INTO PLANATIVTARE (CDFILIAL, NRTAREFA, NRPLATIVTARE, CDPROCESSO, "
                "CDOPERRESP, IDSITATIVTAR) VALUES ('0001', ?, ?, '0000000003', '000000000002', "
                "'P')",
                {first, ZeroFill(i, 5)});
        const json series = Ok("SetSerieReuniao", {"0001", first, "S", Weekday(day), "", 3, "P"});
        ASSERT_EQ(Cell(series, 1, "IDSITOCOR"), "P") << "round " << round;
        const json date = Cell(series, 1, "DTOCORSERIE");
        Exec("DELETE FROM AGEATIVISALA WHERE NRTAREFA = ?", {blocker});

        const auto responses = Race(6, [&](RpcClient& c, const std::string& t, int) {
            return c.Call("SetSerieReinclui", {"0001", first, date}, t);
        });
        int added = 0;
        for (const json& r : responses) {
            if (!r.contains("error"))
                ++added;
            else
                EXPECT_EQ(r["error"]["code"], "not_found") << r.dump();
        }
        EXPECT_EQ(added, 1) << "round " << round;
        EXPECT_EQ(Value("SELECT COUNT(*) FROM TAREFA WHERE NRSERIETARE = ?", {first}), "3")
            << "round " << round;
    }
}

TEST_P(LockRaceTest, ThisAndTheFollowingNeverRebooksAnOccurrenceCancelledMeanwhile) {
    for (int round = 0; round < 3; ++round) {
        const int day = 560 + 10 * round;
        const std::string first = Meeting(day);
        const json series = Ok("SetSerieReuniao", {"0001", first, "S", Weekday(day), "", 20, "S"});
        const std::string last = Cell(series, 19, "NRTAREFA");
        // The move walks the following occurrences one by one; the last one is cancelled on
        // the other server while it does.
        const auto responses = Race(2, [&](RpcClient& c, const std::string& t, int i) {
            return i == 0 ? c.Call("SetSerieSeguintes", {"0001", first, 60, "", "S"}, t)
                          : c.Call("GetUpdCancelTarefa", {"0001", last}, t);
        });
        for (const json& r : responses)
            EXPECT_FALSE(r.contains("error")) << r.dump();
        EXPECT_EQ(Value("SELECT IDSITTAREFA FROM TAREFA WHERE NRTAREFA = ?", {last}), "X");
        EXPECT_EQ(Value("SELECT IDSITOCOR FROM OCORSERIE WHERE NRTAREFA = ?", {last}), "X");
        EXPECT_EQ(Value("SELECT COUNT(*) FROM AGEATIVISALA A JOIN TAREFA T ON T.CDFILIAL = "
                        "A.CDFILIAL AND T.NRTAREFA = A.NRTAREFA WHERE T.IDSITTAREFA = 'X' AND "
                        "A.IDSITAGESALA = 'A'"),
                  "0")
            << "round " << round;
        EXPECT_EQ(Value("SELECT COUNT(*) FROM AGEATIVISALA A JOIN TAREFA T ON T.CDFILIAL = "
                        "A.CDFILIAL AND T.NRTAREFA = A.NRTAREFA WHERE T.NRSERIETARE = ? AND "
                        "A.HRINIAGESALA = '1000'",
                        {first}),
                  "18")
            << "round " << round;
    }
}

TEST_P(LockRaceTest, ExportsOfOneMeetingFromBothServersShareOneRevision) {
    for (int round = 0; round < 5; ++round) {
        const std::string nr = Meeting(700 + round, false);
        for (int revision = 0; revision < 2; ++revision) {
            if (revision) Exec("UPDATE TAREFA SET DSREFETAREFA = 'Mudou' WHERE NRTAREFA = ?", {nr});
            const auto responses = Race(6, [&](RpcClient& c, const std::string& t, int) {
                return c.Call("GetCalendReuniao", {"0001", nr}, t);
            });
            for (const json& r : responses) {
                ASSERT_FALSE(r.contains("error")) << r.dump();
                EXPECT_EQ(Cell(r["result"], 0, "NRSEQCALEND"), revision) << "round " << round;
            }
            EXPECT_EQ(Value("SELECT COUNT(*) || '/' || MAX(NRSEQCALEND) FROM CALENDREUNIAO "
                            "WHERE NRTAREFA = ?",
                            {nr}),
                      "1/" + std::to_string(revision));
        }
    }
}

}  // namespace
}  // namespace zel::appserver::test
