// Failed logins, slowed down per client address and per operator tried from an address, as
// two servers on one database see them (SQLite file and PostgreSQL); and a password change
// racing a login. Every wait is counted on the servers' own clock, which the tests move.
#include <spdlog/sinks/ostream_sink.h>
#include <spdlog/spdlog.h>

#include <atomic>
#include <sstream>
#include <thread>

#include "appserver/login_throttle.h"
#include "appserver/office_setup.h"
#include "appserver/password_hash.h"
#include "test_support.h"

namespace zel::appserver::test {
namespace {

constexpr const char* kAttacker = "203.0.113.7";
constexpr const char* kVictimsDesk = "198.51.100.20";

// What the servers log while it lives.
class LogCapture {
  public:
    LogCapture() : m_previous(spdlog::default_logger()) {
        auto sink = std::make_shared<spdlog::sinks::ostream_sink_mt>(m_text);
        spdlog::set_default_logger(std::make_shared<spdlog::logger>("capture", sink));
    }
    ~LogCapture() { spdlog::set_default_logger(m_previous); }
    std::string Text() const { return m_text.str(); }

  private:
    std::shared_ptr<spdlog::logger> m_previous;
    std::ostringstream m_text;
};

class LoginThrottleTest : public ::testing::TestWithParam<Backend> {
  protected:
    void SetUp() override {
        ZEL_SKIP_IF_UNAVAILABLE(database);
        first = std::make_unique<AppServer>(DemoOptions(database.url()));
        second = std::make_unique<AppServer>(DemoOptions(database.url()));
        for (AppServer* s : {first.get(), second.get()})
            s->Impl().setClock([this] { return clock.load(); });
    }
    // The error code of a login ("" when it got in); `server` alternates when not given.
    std::string LoginFrom(const std::string& address, const std::string& password,
                          const std::string& op = kDemoOperator, AppServer* server = nullptr) {
        if (!server) server = (++calls % 2) ? first.get() : second.get();
        const json reply = json::parse(server->HandleRpc(
            json{{"method", "Login"}, {"params", {op, password, "0001"}}, {"id", 1}}.dump(), "",
            address));
        lastMessage = reply.contains("error") ? reply["error"]["message"].get<std::string>() : "";
        return reply.contains("error") ? reply["error"]["code"].get<std::string>() : "";
    }
    // The wait the last refusal asked for, in seconds (-1 when it named none).
    int AskedWait() const {
        const size_t at = lastMessage.find("Aguarde ");
        return at == std::string::npos ? -1 : std::stoi(lastMessage.substr(at + 8));
    }
    void Advance(double seconds) { clock = clock.load() + seconds / 86400.0; }
    int64_t Sessions(const std::string& op) {
        return first->Impl().db().Transact(false, [&](SqlConnection& c) {
            return c.Exec("SELECT COUNT(*) FROM SESSAO WHERE CDOPERADOR = ?", {op})
                .rows.at(0)
                .at(0)
                .AsInteger();
        });
    }

    TestDatabase database{GetParam()};
    std::atomic<TDateTime> clock{EncodeDateTime(2026, 3, 2, 10, 0, 0, 0)};
    std::unique_ptr<AppServer> first, second;
    int calls = 0;
    std::string lastMessage;
};

TEST_P(LoginThrottleTest, TheAttackerWaitsLongerEachTimeWhileTheOperatorGetsInFromHisDesk) {
    LogCapture log;
    for (int i = 0; i < LoginThrottle::kPairFreeFailures; ++i)
        EXPECT_EQ(LoginFrom(kAttacker, "guess"), "unauthenticated") << i;
    // Waiting: refused before the password is looked at, even the right one.
    EXPECT_EQ(LoginFrom(kAttacker, "demo"), "too_many_attempts");
    int wait = AskedWait();
    EXPECT_EQ(wait, 2);
    // The operator himself, from another address, on either server.
    EXPECT_EQ(LoginFrom(kVictimsDesk, "demo", kDemoOperator, first.get()), "");
    EXPECT_EQ(LoginFrom(kVictimsDesk, "demo", kDemoOperator, second.get()), "");
    // Every try after a wait doubles the next one, whichever server it reaches.
    std::vector<int> waits;
    for (int i = 0; i < 4; ++i) {
        Advance(i == 0 ? wait : AskedWait());
        EXPECT_EQ(LoginFrom(kAttacker, "guess"), "unauthenticated");
        EXPECT_EQ(LoginFrom(kAttacker, "guess"), "too_many_attempts");
        waits.push_back(AskedWait());
    }
    EXPECT_EQ(waits, (std::vector<int>{4, 8, 16, 32}));
    for (int i = 0; i < 12; ++i) {
        Advance(AskedWait());
        LoginFrom(kAttacker, "guess");
        LoginFrom(kAttacker, "guess");
    }
    EXPECT_EQ(AskedWait(), static_cast<int>(LoginThrottle::kMaxWaitSeconds));
    EXPECT_EQ(LoginFrom(kVictimsDesk, "demo"), "");

    const std::string text = log.Text();
    EXPECT_NE(text.find(std::string("login of operator '") + kDemoOperator + "' from '" +
                        kAttacker + "' failed"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find(std::string("login of operator '") + kDemoOperator + "' from '" +
                        kAttacker + "' refused: waiting"),
              std::string::npos)
        << text;
}

TEST_P(LoginThrottleTest, AnAddressTryingManyOperatorsWaitsForEveryOperator) {
    // Two guesses per operator code stay under the per-operator count; the address's own
    // count catches the spraying.
    const std::vector<std::string> codes = {"000000000002", "000000000003", "000000000004",
                                            "000000000005", "NINGUEM"};
    for (const std::string& op : codes) {
        EXPECT_EQ(LoginFrom(kAttacker, "guess", op), "unauthenticated") << op;
        EXPECT_EQ(LoginFrom(kAttacker, "guess", op), "unauthenticated") << op;
    }
    EXPECT_EQ(LoginFrom(kAttacker, "demo", kDemoOperator), "too_many_attempts");
    const int wait = AskedWait();
    EXPECT_EQ(LoginFrom(kVictimsDesk, "demo", "000000000002"), "");
    // An hour without failures and the address starts over; a login of the attacker's own
    // does not clear it before that.
    Advance(wait);
    EXPECT_EQ(LoginFrom(kAttacker, "demo", kDemoOperator), "");
    EXPECT_EQ(LoginFrom(kAttacker, "guess", "000000000002"), "unauthenticated");
    EXPECT_EQ(LoginFrom(kAttacker, "demo", kDemoOperator), "too_many_attempts");
    Advance(LoginThrottle::kForgetAfterSeconds + 1);
    EXPECT_EQ(LoginFrom(kAttacker, "guess", "000000000002"), "unauthenticated");
    EXPECT_EQ(LoginFrom(kAttacker, "demo", kDemoOperator), "");
}

TEST_P(LoginThrottleTest, ASuccessClearsTheOperatorsFailuresFromThatAddress) {
    EXPECT_EQ(LoginFrom(kVictimsDesk, "typo"), "unauthenticated");
    EXPECT_EQ(LoginFrom(kVictimsDesk, "typo"), "unauthenticated");
    EXPECT_EQ(LoginFrom(kVictimsDesk, "demo"), "");
    // Two more slips after the success: still under the count.
    EXPECT_EQ(LoginFrom(kVictimsDesk, "typo"), "unauthenticated");
    EXPECT_EQ(LoginFrom(kVictimsDesk, "typo"), "unauthenticated");
    EXPECT_EQ(LoginFrom(kVictimsDesk, "demo"), "");
}

TEST_P(LoginThrottleTest, APasswordChangedDuringTheCheckLeavesNoSessionOfTheOldPassword) {
    // The administrator changes the password on the other server while this login's password
    // check runs (outside any transaction).
    first->Impl().sessions().setAfterPasswordCheck([this] {
        second->Impl().db().Transact(true, [](SqlConnection& c) {
            office::SetPassword(c, kDemoOperator, HashPassword("nova", true));
        });
    });
    EXPECT_EQ(LoginFrom(kVictimsDesk, "demo", kDemoOperator, first.get()), "unauthenticated");
    first->Impl().sessions().setAfterPasswordCheck(nullptr);
    EXPECT_EQ(Sessions(kDemoOperator), 0);
    EXPECT_EQ(LoginFrom(kVictimsDesk, "demo", kDemoOperator, first.get()), "unauthenticated");
    EXPECT_EQ(LoginFrom(kVictimsDesk, "nova", kDemoOperator, second.get()), "");
}

TEST_P(LoginThrottleTest, LoginsRacingAPasswordChangeKeepNoSessionOfTheOldPassword) {
    std::atomic<bool> changed{false};
    std::atomic<int> afterChange{0};
    std::vector<std::thread> clients;
    for (int t = 0; t < 4; ++t) {
        clients.emplace_back([&, t] {
            AppServer& server = t % 2 ? *first : *second;
            const std::string address = "10.1.0." + std::to_string(t);
            // Logins with the old password until a few have run after the change.
            while (afterChange.load() < 8) {
                const bool late = changed.load();
                server.HandleRpc(json{{"method", "Login"},
                                      {"params", {"000000000003", "demo", "0001"}},
                                      {"id", 1}}
                                     .dump(),
                                 "", address);
                if (late) ++afterChange;
            }
        });
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    first->Impl().db().Transact(true, [](SqlConnection& c) {
        office::SetPassword(c, "000000000003", HashPassword("nova", true));
    });
    changed = true;
    for (std::thread& t : clients)
        t.join();
    EXPECT_EQ(Sessions("000000000003"), 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, LoginThrottleTest,
                         ::testing::Values(Backend::SqliteFile, Backend::Postgres),
                         [](const auto& info) { return BackendName(info.param); });

TEST(LoginThrottleAddressTest, CountsIpv6ByNetworkAndMappedIpv4AsIpv4) {
    EXPECT_EQ(LoginThrottle::AddressKey("192.0.2.1"), "192.0.2.1");
    EXPECT_EQ(LoginThrottle::AddressKey("::ffff:192.0.2.1"), "192.0.2.1");
    EXPECT_EQ(LoginThrottle::AddressKey("2001:db8:1:2:3:4:5:6"), "2001:db8:1:2::/64");
    EXPECT_EQ(LoginThrottle::AddressKey(""), "-");
    EXPECT_EQ(LoginThrottle::AddressKey("not an address"), "not an address");
}

}  // namespace
}  // namespace zel::appserver::test
