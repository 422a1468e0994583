// Invitation mail delivered by zel-appserver processes to a real SMTP server (aiosmtpd): a
// server killed in the middle of a delivery loses nothing and sends nothing twice once it
// comes back, and two servers on one PostgreSQL deliver each message once.
#include <gtest/gtest.h>

#include <map>
#include <thread>

#include "appserver/storage.h"
#include "calendar_test_support.h"
#include "server_process.h"

namespace zel::appserver::test {
namespace {

TDateTime Day(int offset, int hour) {
    return DateOf(Now()) + offset + hour / 24.0;
}

std::vector<std::string> MailOptions(const MailSink& sink) {
    return {"--smtp-url", sink.Url(), "--smtp-from", "reunioes@empresa.test",
            "--smtp-tls", "none",     "--log-level", "warn"};
}

// Addresses and time zone set as an administrator does, with the admin commands.
void SetUpOffice(const std::string& db) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--db", db, "operator", "email", kAna, "ana@empresa.test"},
          std::vector<std::string>{"--db", db, "operator", "email", kBruno, "bruno@empresa.test"},
          std::vector<std::string>{"--db", db, "branch", "timezone", "0001",
                                   "America/Sao_Paulo"}}) {
        const RunResult r = RunAppServer(args);
        ASSERT_EQ(r.exitCode, 0) << r.errors;
    }
}

// The outbox as the database holds it: Message-ID -> state.
std::map<std::string, std::string> Outbox(const std::string& db) {
    auto database = Database::Open(db, 1);
    std::map<std::string, std::string> out;
    database->Transact(false, [&](SqlConnection& c) {
        for (const SqlRow& r : c.Exec("SELECT DSMESSAGEID, IDSITUACAO FROM CAIXASAIDA").rows)
            out["<" + r[0].AsString() + ">"] = r[1].AsString();
    });
    return out;
}

bool AllSent(const std::string& db) {
    for (const auto& [id, state] : Outbox(db))
        if (state != "E") return false;
    return true;
}

// Every outbox message arrived exactly once, and nothing else did.
void ExpectEachDeliveredOnce(const MailSink& sink, const std::string& db) {
    const std::map<std::string, std::string> outbox = Outbox(db);
    std::map<std::string, int> seen;
    for (const json& m : sink.Messages())
        ++seen[m.at("message_id").get<std::string>()];
    EXPECT_EQ(seen.size(), outbox.size());
    for (const auto& [id, state] : outbox) {
        EXPECT_EQ(state, "E") << id;
        EXPECT_EQ(seen[id], 1) << id;
    }
}

// Meetings with Ana and Bruno through `call`: three messages each (Ana's invitation, then her
// update and Bruno's invitation when he joins).
void PlanMeetings(const RpcCall& call, int count, int firstDay) {
    for (int i = 0; i < count; ++i) {
        const std::string nr =
            NewMeetingVia(call, Day(firstDay + i, 9), 1, "Reunião " + std::to_string(i));
        AddParticipantVia(call, nr, kAna);
        AddParticipantVia(call, nr, kBruno);
    }
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::seconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return true;
}

TEST(MailEndToEndTest, AServerKilledMidDeliveryLosesNothingAndSendsNothingTwice) {
    // The third delivery hangs after its recipient, before its data: the server dies there.
    MailSink sink({"--stall-at", "3", "--stall-seconds", "120"});
    ASSERT_GT(sink.Port(), 0);
    TestDatabase file(Backend::SqliteFile);
    std::vector<std::string> args = {"--db", file.url(), "--demo"};
    const std::vector<std::string> mail = MailOptions(sink);
    args.insert(args.end(), mail.begin(), mail.end());
    auto server = std::make_unique<ServerProcess>(args);
    ASSERT_GT(server->Port(), 0);
    {
        // The demo meetings are known to calendars before anyone has an address.
        HttpRpc(server->Port()).Call("GetPrxTarefa", {"0001"});
    }
    SetUpOffice(file.url());
    HttpRpc rpc(server->Port());
    PlanMeetings(rpc.Caller(), 3, 40);
    ASSERT_TRUE(sink.WaitFor(2, std::chrono::seconds(30)));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(sink.Count(), 2u) << "the third delivery is stalled";
    server->Kill();
    EXPECT_EQ(Outbox(file.url()).size(), 9u);

    server = std::make_unique<ServerProcess>(args);
    ASSERT_GT(server->Port(), 0);
    ASSERT_TRUE(WaitUntil([&] { return AllSent(file.url()); }, std::chrono::seconds(60)));
    ExpectEachDeliveredOnce(sink, file.url());
}

TEST(MailEndToEndTest, TwoServersOnOnePostgresDeliverEachMessageOnce) {
    TestDatabase database(Backend::Postgres);
    ZEL_SKIP_IF_UNAVAILABLE(database);
    MailSink sink({"--delay-ms", "40"});
    ASSERT_GT(sink.Port(), 0);
    std::vector<std::string> args = {"--db", database.url(), "--pool", "4"};
    const std::vector<std::string> mail = MailOptions(sink);
    args.insert(args.end(), mail.begin(), mail.end());
    std::vector<std::string> first = args;
    first.push_back("--demo");
    ServerProcess one(first);
    ASSERT_GT(one.Port(), 0);
    ServerProcess two(args);
    ASSERT_GT(two.Port(), 0);
    HttpRpc(one.Port()).Call("GetPrxTarefa", {"0001"});
    SetUpOffice(database.url());

    // Both plan at once, each server queueing mail the other may deliver.
    HttpRpc a(one.Port()), b(two.Port());
    std::thread other([&] { PlanMeetings(b.Caller(), 6, 60); });
    PlanMeetings(a.Caller(), 6, 40);
    other.join();
    EXPECT_EQ(Outbox(database.url()).size(), 36u);
    ASSERT_TRUE(WaitUntil([&] { return AllSent(database.url()); }, std::chrono::seconds(90)));
    ExpectEachDeliveredOnce(sink, database.url());
}

}  // namespace
}  // namespace zel::appserver::test
