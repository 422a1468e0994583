// Concurrent clients on the shared backends: numbers stay unique, no row is lost, of two
// updates of one meeting exactly one wins, and the rules that check a meeting before writing
// to it hold when several clients write to that meeting at the same moment.
#include <atomic>
#include <functional>
#include <set>
#include <thread>

#include "appserver/counters.h"
#include "appserver/series_rule.h"
#include "appserver/sql_value.h"
#include "platform/date_time.h"
#include "test_support.h"

namespace zel::appserver::test {
namespace {

class ConcurrencyTest : public ::testing::TestWithParam<Backend> {
  protected:
    void SetUp() override {
        ZEL_SKIP_IF_UNAVAILABLE(database);
        AppServerOptions o = DemoOptions(database.url());
        o.poolSize = 8;
        server = std::make_unique<AppServer>(o);
    }
    TestDatabase database{GetParam()};
    std::unique_ptr<AppServer> server;

    using Call = RaceCall;
    // RaceClients on this test's one server.
    std::vector<json> Race(int clients, const RacePrepare& prepare) {
        return RaceClients({server.get()}, clients, prepare);
    }

    // A meeting of branch 0001 in `status`, `days` from today at 09:00 for an hour.
    std::string StoreMeeting(const std::string& status, int days) {
        RpcClient rpc(*server);
        const std::string nr = rpc.Result("GetPrxTarefa", {"0001"}, rpc.Login());
        server->Impl().db().Transact(true, [&](SqlConnection& c) {
            c.Exec(
                "INSERT INTO TAREFA (CDFILIAL, NRTAREFA, DSREFETAREFA, CDPROCESSO, IDSITTAREFA, "
                "IDORIGTARE, DTHRREUNIAO, QTHRREUNIAO) VALUES ('0001', ?, 'Corrida', "
                "'0000000002', ?, '4', ?, 1)",
                {nr, status, Variant::FromDateTime(DateOf(Now()) + days + 9 / 24.0)});
        });
        return nr;
    }
    int64_t Count(const std::string& sql, const SqlParams& params) {
        return server->Impl().db().Transact(false, [&](SqlConnection& c) {
            return c.Exec(sql, params).rows.at(0).at(0).AsInteger();
        });
    }
    std::string MeetingStatusOf(const std::string& nr) {
        return server->Impl().db().Transact(false, [&](SqlConnection& c) {
            return c
                .Exec("SELECT IDSITTAREFA FROM TAREFA WHERE CDFILIAL = '0001' AND NRTAREFA = ?",
                      {nr})
                .rows.at(0)
                .at(0)
                .AsString();
        });
    }
    int64_t OpenActivities(const std::string& nr) {
        return Count(
            "SELECT COUNT(*) FROM PLANATIVTARE WHERE CDFILIAL = '0001' AND NRTAREFA = ? AND "
            "(IDSITATIVTAR IS NULL OR IDSITATIVTAR NOT IN ('C', 'X'))",
            {nr});
    }
    // Each response either succeeded or was refused with `refusal`; returns the successes.
    static int Successes(const std::vector<json>& responses, const std::string& refusal) {
        int ok = 0;
        for (const json& r : responses) {
            if (!r.contains("error")) {
                ++ok;
            } else {
                EXPECT_EQ(r["error"]["code"], refusal) << r.dump();
            }
        }
        return ok;
    }
};

constexpr int kRounds = 10;
constexpr const char* kOperators[] = {"000000000001", "000000000002", "000000000003",
                                      "000000000004", "000000000005"};

// A participation activity of `op` booked by the registration dialog's call.
json Register(RpcClient& rpc, const std::string& token, const std::string& nr,
              const std::string& op, int days) {
    const TDateTime start = DateOf(Now()) + days + 9 / 24.0;
    return rpc.Call("GetInsCadAtiv",
                    {"0001", nr, "", "0000000002", json{{"$dt", DateTimeToIso(Now())}}, op,
                     json{{"$dt", DateTimeToIso(start)}},
                     json{{"$dt", DateTimeToIso(start + 1 / 24.0)}}, "1", ""},
                    token);
}

INSTANTIATE_TEST_SUITE_P(Backends, ConcurrencyTest,
                         ::testing::Values(Backend::SqliteMemory, Backend::SqliteFile,
                                           Backend::Postgres),
                         [](const auto& info) { return BackendName(info.param); });

// A SetSalas change packet inserting one booking (branch, meeting, room, day, sequence,
// status, start and end hours, in that order).
json BookingInsert(const json& booking) {
    return {{"fields",
             {{{"name", "CDFILIAL"}, {"type", "string"}, {"size", 4}},
              {{"name", "NRTAREFA"}, {"type", "string"}, {"size", 10}},
              {{"name", "CDSALA"}, {"type", "string"}, {"size", 5}},
              {{"name", "DTATIAGESALA"}, {"type", "datetime"}},
              {{"name", "NRSEQAGESALA"}, {"type", "string"}, {"size", 5}},
              {{"name", "IDSITAGESALA"}, {"type", "string"}, {"size", 1}},
              {{"name", "HRINIAGESALA"}, {"type", "string"}, {"size", 4}},
              {{"name", "HRFINAGESALA"}, {"type", "string"}, {"size", 4}}}},
            {"changes", {{{"op", "insert"}, {"new", booking}}}}};
}

TEST_P(ConcurrencyTest, EightClientsInsertingGetDistinctNumbersAndLoseNoRow) {
    constexpr int kClients = 8, kEach = 20;
    std::vector<std::vector<std::string>> numbers(kClients);
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int t = 0; t < kClients; ++t) {
        threads.emplace_back([&, t] {
            RpcClient rpc(*server);
            const std::string token = rpc.Login();
            for (int i = 0; i < kEach; ++i) {
                const json nr = rpc.Call("GetPrxTarefa", {"0001"}, token);
                if (nr.contains("error")) {
                    ++failures;
                    continue;
                }
                const std::string n = nr["result"];
                const json delta = MeetingDelta(
                    {{{"op", "insert"},
                      {"new", MeetingRow("0001", n, "Concorrente", EncodeDate(2032, 1, 1 + t))}}});
                if (rpc.Call("SetControle", {delta}, token).contains("error")) ++failures;
                numbers[t].push_back(n);
            }
        });
    }
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(failures.load(), 0);
    std::set<std::string> all;
    for (const auto& v : numbers)
        all.insert(v.begin(), v.end());
    EXPECT_EQ(all.size(), static_cast<size_t>(kClients * kEach));
    RpcClient rpc(*server);
    const json list = rpc.Result("GetControle", AllMeetingsParams(), rpc.Login());
    EXPECT_EQ(list["rows"].size(), 30u + kClients * kEach);
}

TEST_P(ConcurrencyTest, OfTwoUpdatesOfOneMeetingExactlyOneWins) {
    RpcClient setup(*server);
    const std::string token = setup.Login();
    for (int round = 0; round < 10; ++round) {
        const std::string nr = setup.Result("GetPrxTarefa", {"0001"}, token);
        ASSERT_EQ(setup.ErrorCode("SetControle",
                                  {MeetingDelta({{{"op", "insert"},
                                                  {"new", MeetingRow("0001", nr, "Disputada",
                                                                     EncodeDate(2032, 2, 1))}}})},
                                  token),
                  "");
        json p = AllMeetingsParams();
        p[1] = nr;
        p[2] = "";
        const json read = setup.Result("GetControle", p, token)["rows"][0];
        std::atomic<int> ready{0};
        std::string codes[2];
        std::vector<std::thread> threads;
        for (int t = 0; t < 2; ++t) {
            threads.emplace_back([&, t] {
                RpcClient rpc(*server);
                json mine = read;
                mine[2] = "Versão " + std::to_string(t);
                const json delta = MeetingDelta({{{"op", "update"}, {"old", read}, {"new", mine}}});
                ++ready;
                while (ready.load() < 2)
                    std::this_thread::yield();
                codes[t] = rpc.ErrorCode("SetControle", {delta}, token);
            });
        }
        for (auto& th : threads)
            th.join();
        const int wins = (codes[0].empty() ? 1 : 0) + (codes[1].empty() ? 1 : 0);
        EXPECT_EQ(wins, 1) << codes[0] << " / " << codes[1];
        EXPECT_TRUE(codes[0] == "stale_row" || codes[1] == "stale_row");
    }
}

TEST_P(ConcurrencyTest, FiveClientsBookingRoomsForOneNewMeetingLeaveItOneRoom) {
    for (int round = 0; round < kRounds; ++round) {
        const int days = 300 + round;
        const std::string nr = StoreMeeting("P", days);
        const json day = {{"$dt", DateTimeToIso(DateOf(Now()) + days)}};
        const auto responses = Race(5, [&](RpcClient& rpc, const std::string& token, int i) {
            const json seq = rpc.Result("GetSeqSalas", {day}, token);
            const std::string room = "0000" + std::to_string(i + 1);
            const json booking = {"0001",
                                  nr,
                                  room,
                                  day,
                                  ZeroFill(Cell(seq, 0, "NRSEQAGESALA").get<int64_t>(), 5),
                                  "A",
                                  "0900",
                                  "1000"};
            const json packet = BookingInsert(booking);
            return [packet](RpcClient& c, const std::string& t) {
                return c.Call("SetSalas", {packet}, t);
            };
        });
        EXPECT_EQ(Successes(responses, "conflict"), 1) << "round " << round;
        EXPECT_EQ(Count("SELECT COUNT(*) FROM AGEATIVISALA WHERE CDFILIAL = '0001' AND "
                        "NRTAREFA = ? AND IDSITAGESALA = 'A'",
                        {nr}),
                  1)
            << "round " << round;
    }
}

TEST_P(ConcurrencyTest, ConcludingWhileActivitiesAreAddedNeverLeavesOneOpen) {
    for (int round = 0; round < kRounds; ++round) {
        const std::string nr = StoreMeeting("A", 320 + round);
        const auto responses = Race(5, [&](RpcClient& rpc, const std::string& token, int i) {
            if (i == 0)
                return Call([nr](RpcClient& c, const std::string& t) {
                    return c.Call("GetUpdConcTarefa", {"0001", nr}, t);
                });
            const json number = rpc.Result("GetPrxPlanAtivTare", {"0001", nr}, token);
            const json args = {"0001",
                               nr,
                               std::stoi(number.get<std::string>()),
                               "0000000003",
                               json{{"$dt", DateTimeToIso(Now())}},
                               kOperators[i],
                               "",
                               "",
                               "",
                               ""};
            return Call([args](RpcClient& c, const std::string& t) {
                return c.Call("GetInsereAtiv", args, t);
            });
        });
        Successes(responses, "conflict");
        const bool concluded = !responses[0].contains("error");
        EXPECT_EQ(MeetingStatusOf(nr), concluded ? "C" : "A") << "round " << round;
        if (concluded) {
            EXPECT_EQ(OpenActivities(nr), 0) << "round " << round;
        }
    }
}

TEST_P(ConcurrencyTest, CancellingWhileParticipantsAreRegisteredLeavesNoneOpen) {
    for (int round = 0; round < kRounds; ++round) {
        const int days = 340 + round;
        const std::string nr = StoreMeeting("P", days);
        const auto responses = Race(6, [&](RpcClient&, const std::string&, int i) {
            if (i == 0)
                return Call([nr](RpcClient& c, const std::string& t) {
                    return c.Call("GetUpdCancelTarefa", {"0001", nr}, t);
                });
            const std::string op = kOperators[i - 1];
            return Call([nr, op, days](RpcClient& c, const std::string& t) {
                return Register(c, t, nr, op, days);
            });
        });
        ASSERT_FALSE(responses[0].contains("error")) << responses[0].dump();
        Successes(responses, "conflict");
        EXPECT_EQ(MeetingStatusOf(nr), "X") << "round " << round;
        EXPECT_EQ(OpenActivities(nr), 0) << "round " << round;
    }
}

TEST_P(ConcurrencyTest, OneOperatorIsNeverBookedTwiceIntoAMeeting) {
    const json destination = {{"fields",
                               {{{"name", "CDOPERRESP"}, {"type", "string"}, {"size", 12}},
                                {{"name", "IDSITATIVTAR"}, {"type", "string"}, {"size", 1}}}},
                              {"rows", json::array()}};
    json source = destination;
    source["rows"] = json::array({json::array({"000000000004", "C"})});
    for (int round = 0; round < kRounds; ++round) {
        const int days = 360 + round;
        const std::string nr = StoreMeeting("P", days);
        const TDateTime start = DateOf(Now()) + days + 9 / 24.0;
        const auto responses = Race(6, [&](RpcClient&, const std::string&, int i) {
            if (i % 2 == 0)
                return Call([nr, days](RpcClient& c, const std::string& t) {
                    return Register(c, t, nr, "000000000004", days);
                });
            // The agenda import books the participants of an earlier meeting.
            const json args = {destination,
                               source,
                               "0001",
                               nr,
                               json{{"$dt", DateTimeToIso(start + 1 / 24.0)}},
                               json{{"$dt", DateTimeToIso(start)}},
                               "1",
                               json{{"$dt", DateTimeToIso(Now())}},
                               "000000000001"};
            return Call([args](RpcClient& c, const std::string& t) {
                return c.Call("SetParticipantesAuto", args, t);
            });
        });
        Successes(responses, "");
        EXPECT_EQ(Count("SELECT COUNT(*) FROM PLANATIVTARE WHERE CDFILIAL = '0001' AND "
                        "NRTAREFA = ? AND CDOPERRESP = '000000000004'",
                        {nr}),
                  1)
            << "round " << round;
    }
}

TEST_P(ConcurrencyTest, TwoOperatorsCreatingOverlappingSeriesNeverDoubleBookARoom) {
    for (int round = 0; round < 3; ++round) {
        // Two weekly series of five in room 00001, the second starting a week after the
        // first: they want the same room at the same hour on four dates.
        const int days = 600 + 50 * round;
        std::string first[2];
        for (int s = 0; s < 2; ++s) {
            first[s] = StoreMeeting("P", days + 7 * s);
            server->Impl().db().Transact(true, [&](SqlConnection& c) {
                c.Exec(
                    "INSERT INTO AGEATIVISALA (CDFILIAL, DTATIAGESALA, NRSEQAGESALA, CDSALA, "
                    "NRTAREFA, IDSITAGESALA, HRINIAGESALA, HRFINAGESALA) VALUES ('0001', ?, "
                    "'00900', '00001', ?, 'A', '0900', '1000')",
                    {Variant::FromDateTime(DateOf(Now()) + days + 7 * s), first[s]});
            });
        }
        const std::string weekday = std::to_string(IsoWeekday(DateOf(Now()) + days));
        const auto responses = Race(2, [&](RpcClient&, const std::string&, int i) {
            const json args = {"0001", first[i], "S", weekday, "", 5, "S"};
            return Call([args](RpcClient& c, const std::string& t) {
                return c.Call("SetSerieReuniao", args, t);
            });
        });
        EXPECT_EQ(Successes(responses, ""), 2) << "round " << round;
        const SqlParams range = {Variant::FromDateTime(DateOf(Now()) + days),
                                 Variant::FromDateTime(DateOf(Now()) + days + 36)};
        // Six dates, each booked once, and never two overlapping bookings of the room.
        EXPECT_EQ(Count("SELECT COUNT(*) FROM AGEATIVISALA WHERE CDFILIAL = '0001' AND CDSALA = "
                        "'00001' AND IDSITAGESALA = 'A' AND DTATIAGESALA >= ? AND "
                        "DTATIAGESALA < ?",
                        range),
                  6)
            << "round " << round;
        EXPECT_EQ(Count("SELECT COUNT(*) FROM AGEATIVISALA A JOIN AGEATIVISALA B ON B.CDFILIAL = "
                        "A.CDFILIAL AND B.CDSALA = A.CDSALA AND B.DTATIAGESALA = A.DTATIAGESALA "
                        "AND B.NRSEQAGESALA <> A.NRSEQAGESALA AND B.IDSITAGESALA = 'A' AND "
                        "B.HRINIAGESALA < A.HRFINAGESALA AND A.HRINIAGESALA < B.HRFINAGESALA "
                        "WHERE A.IDSITAGESALA = 'A' AND A.DTATIAGESALA >= ? AND "
                        "A.DTATIAGESALA < ?",
                        range),
                  0);
        EXPECT_EQ(
            Count("SELECT COUNT(*) FROM TAREFA WHERE NRSERIETARE IN (?, ?)", {first[0], first[1]}),
            10);
    }
}

TEST_P(ConcurrencyTest, ASeriesRacingSingleBookingsOfItsRoomNeverDoubleBooksIt) {
    for (int round = 0; round < 3; ++round) {
        // A weekly series of five in room 00001 at 09:00 while four clients each book the room
        // from 09:30 for a meeting of their own on one of the series' later dates.
        const int days = 800 + 50 * round;
        const TDateTime day0 = DateOf(Now()) + days;
        const std::string first = StoreMeeting("P", days);
        server->Impl().db().Transact(true, [&](SqlConnection& c) {
            c.Exec(
                "INSERT INTO AGEATIVISALA (CDFILIAL, DTATIAGESALA, NRSEQAGESALA, CDSALA, "
                "NRTAREFA, IDSITAGESALA, HRINIAGESALA, HRFINAGESALA) VALUES ('0001', ?, '00900', "
                "'00001', ?, 'A', '0900', '1000')",
                {Variant::FromDateTime(day0), first});
        });
        std::string other[4];
        for (int i = 0; i < 4; ++i)
            other[i] = StoreMeeting("P", days + 7 * (i + 1));
        const std::string weekday = std::to_string(IsoWeekday(day0));
        const auto responses = Race(5, [&](RpcClient& rpc, const std::string& token, int i) {
            if (i == 0) {
                const json args = {"0001", first, "S", weekday, "", 5, "S"};
                return Call([args](RpcClient& c, const std::string& t) {
                    return c.Call("SetSerieReuniao", args, t);
                });
            }
            const json day = {{"$dt", DateTimeToIso(day0 + 7 * i)}};
            const json seq = rpc.Result("GetSeqSalas", {day}, token);
            const json booking = {"0001",
                                  other[i - 1],
                                  "00001",
                                  day,
                                  ZeroFill(Cell(seq, 0, "NRSEQAGESALA").get<int64_t>(), 5),
                                  "A",
                                  "0930",
                                  "1030"};
            const json packet = BookingInsert(booking);
            return Call([packet](RpcClient& c, const std::string& t) {
                return c.Call("SetSalas", {packet}, t);
            });
        });
        EXPECT_FALSE(responses[0].contains("error")) << responses[0].dump();
        Successes(responses, "conflict");
        for (int week = 0; week < 5; ++week)
            EXPECT_EQ(Count("SELECT COUNT(*) FROM AGEATIVISALA WHERE CDFILIAL = '0001' AND "
                            "CDSALA = '00001' AND IDSITAGESALA = 'A' AND DTATIAGESALA >= ? AND "
                            "DTATIAGESALA < ?",
                            {Variant::FromDateTime(day0 + 7 * week),
                             Variant::FromDateTime(day0 + 7 * week + 1)}),
                      1)
                << "round " << round << ", week " << week;
        EXPECT_EQ(Count("SELECT COUNT(*) FROM TAREFA WHERE NRSERIETARE = ?", {first}), 5);
    }
}

}  // namespace
}  // namespace zel::appserver::test
