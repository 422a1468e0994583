// Concurrent clients on the shared backends: numbers stay unique, no row is lost, and of two
// updates of one meeting exactly one wins.
#include <atomic>
#include <set>
#include <thread>

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
};

INSTANTIATE_TEST_SUITE_P(Backends, ConcurrencyTest,
                         ::testing::Values(Backend::SqliteMemory, Backend::SqliteFile,
                                           Backend::Postgres),
                         [](const auto& info) { return BackendName(info.param); });

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

}  // namespace
}  // namespace zel::appserver::test
