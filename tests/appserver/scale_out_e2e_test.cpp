// Two zel-appserver processes on one PostgreSQL database behind one address (a round-robin
// TCP forwarder standing in for the load balancer): a session opened on one server is valid
// on the other, and sixteen clients split across both, racing for one room, leave exactly
// one booking. Skipped with a notice without the throw-away PostgreSQL (ZEL_TEST_PG).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "client_calls.h"
#include "meeting_fixture.h"
#include "platform/date_time.h"
#include "platform/exceptions.h"
#include "server_process.h"
#include "tcp_forwarder.h"

namespace zel::appserver::test {
namespace {

class ScaleOutTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ZEL_SKIP_IF_UNAVAILABLE(database);
        // The first server creates the schema and the demo data; the second finds them.
        first = std::make_unique<ServerProcess>(std::vector<std::string>{
            "--db", database.url(), "--demo", "--log-level", "warn", "--pool", "8"});
        ASSERT_GT(first->Port(), 0) << "first zel-appserver did not start";
        second = std::make_unique<ServerProcess>(
            std::vector<std::string>{"--db", database.url(), "--log-level", "warn", "--pool", "8"});
        ASSERT_GT(second->Port(), 0) << "second zel-appserver did not start";
        balancer = std::make_unique<TcpForwarder>(std::vector<int>{first->Port(), second->Port()});
        ASSERT_GT(balancer->Port(), 0);
    }
    static void Point(TServerConnection& net, int port, const std::string& token = "") {
        net.Host = "127.0.0.1";
        net.Port = port;
        net.Tls = TlsOptions{};
        net.Token = token;
        net.ThrowException = true;
    }
    std::string Login(int port) {
        TServerConnection net;
        Point(net, port);
        return Cell(CallJson(net, "Login", {kDemoOperator, "demo", "0001"}), 0, "TOKEN");
    }

    TestDatabase database{Backend::Postgres};
    std::unique_ptr<ServerProcess> first, second;
    std::unique_ptr<TcpForwarder> balancer;
};

TEST_F(ScaleOutTest, SessionOpenedOnOneServerIsValidOnTheOther) {
    const std::string token = Login(first->Port());
    TServerConnection other;
    Point(other, second->Port(), token);
    EXPECT_EQ(CallError(other, "getHoraServidor"), "");
    EXPECT_EQ(CallError(other, "GetControle", AllMeetingsParams()), "");
    // Logging out there ends the session there at once.
    EXPECT_EQ(CallError(other, "Logout"), "");
    EXPECT_EQ(CallError(other, "getHoraServidor"), "unauthenticated");
}

// Every client holds its kept-alive connection (and so one server thread) for the whole race,
// and some sit idle for a while before they call: the servers must take them all at once and
// the clients must not write into connections the servers closed as idle.
TEST_F(ScaleOutTest, SixteenClientsAcrossBothServersRacingForOneRoomMakeOneBooking) {
    constexpr int kClients = 16;
    const std::string token = Login(balancer->Port());
    const TDateTime day = DateOf(Now()) + 50;
    const json dayArg = Dt(DateTimeToIso(day));
    TServerConnection setup;
    Point(setup, balancer->Port(), token);
    std::vector<std::string> meetings;
    for (int i = 0; i < kClients; ++i) {
        const std::string nr = CallJson(setup, "GetPrxTarefa", {"0001"});
        CallJson(setup, "SetControle",
                 json::array({MeetingDelta(json::array(
                     {{{"op", "insert"},
                       {"new", MeetingRow("0001", nr, "Corrida", day + 9 / 24.0)}}}))}));
        meetings.push_back(nr);
    }

    // Connected one after another, so the forwarder alternates them between the servers.
    std::vector<std::unique_ptr<TServerConnection>> clients;
    for (int i = 0; i < kClients; ++i) {
        clients.push_back(std::make_unique<TServerConnection>());
        Point(*clients.back(), balancer->Port(), token);
        clients.back()->Open();
    }
    EXPECT_GE(balancer->Connections(0), kClients / 2);
    EXPECT_GE(balancer->Connections(1), kClients / 2);
    // Longer than the servers' keep-alive timeout: they close the idle connections meanwhile.
    std::this_thread::sleep_for(std::chrono::milliseconds(5500));

    std::atomic<int> ready{0}, booked{0}, refused{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < kClients; ++i) {
        threads.emplace_back([&, i] {
            TServerConnection& net = *clients[i];
            json seq;
            try {
                seq = CallJson(net, "GetSeqSalas", json::array({dayArg}));
            } catch (const EServerError& e) {
                ++ready;  // the others must not wait for this one
                ADD_FAILURE() << "client " << i << ": " << e.Message();
                return;
            }
            char nr[8], from[8], to[8];
            std::snprintf(nr, sizeof nr, "%05d", Cell(seq, 0, "NRSEQAGESALA").get<int>());
            std::snprintf(from, sizeof from, "09%02d", i * 3);  // 0900 .. 0945
            std::snprintf(to, sizeof to, "10%02d", i * 3);      // 1000 .. 1045
            const Values b = {{"CDFILIAL", "0001"},   {"NRTAREFA", meetings[i]},
                              {"CDSALA", "00003"},    {"DTATIAGESALA", dayArg},
                              {"NRSEQAGESALA", nr},   {"IDSITAGESALA", "A"},
                              {"HRINIAGESALA", from}, {"HRFINAGESALA", to}};
            const json packet = ChangesOf(BookingLayout(), {Insert(BookingLayout(), b)});
            ++ready;
            for (int spins = 0; ready < kClients && spins < 10'000'000; ++spins)
                std::this_thread::yield();
            const std::string error = CallError(net, "SetSalas", json::array({packet}));
            if (error.empty())
                ++booked;
            else if (error == "conflict")
                ++refused;
            else
                ADD_FAILURE() << "client " << i << ": " << error;
        });
    }
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(booked, 1);
    EXPECT_EQ(refused, kClients - 1);
    const json found = CallJson(setup, "getFindSala", {"0001", dayArg, "0000", "2359", "00003"});
    EXPECT_EQ(found["rows"].size(), 1u);
}

}  // namespace
}  // namespace zel::appserver::test
