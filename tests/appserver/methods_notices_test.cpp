// Marking personal notices read over RPC: only the operator's own, once, stamped by the server;
// and a database of the previous schema keeps its notices, unread, when the server migrates it.
#include <gtest/gtest.h>

#include "appserver/password_hash.h"
#include "appserver/schema.h"
#include "meeting_fixture.h"

namespace zel::appserver::test {
namespace {

constexpr const char* kAna = "000000000002";

class NoticeTest : public MeetingFixture {
  protected:
    // Leaves a notice for `op` as the cancellation does (demo operator's session); returns its
    // number.
    int64_t Leave(const std::string& op, const std::string& text) {
        const int64_t n = srv->Result("GetPrxAtivPessoal", {op}).get<int64_t>();
        srv->Result("GetInsAtivPessoal", {op, n, text, Dt("2026-12-07T00:00:00"), "P", "S", "0"});
        return n;
    }
    // Whether each of the operator's notices is read, newest first ("R" read, "-" unread).
    std::string ReadMarks(const std::string& token) {
        const json notices = srv->Call("GetAtivPessoal", {""}, token)["result"];
        std::string out;
        for (size_t i = 0; i < notices["rows"].size(); ++i)
            out += Cell(notices, i, "DTHRLEITURA").is_null() ? "-" : "R";
        return out;
    }
};

TEST_P(NoticeTest, TheOperatorMarksHisNoticeReadOnceAtTheServersTime) {
    FixClock("2026-12-07T10:00:00");
    const int64_t first = Leave(kAna, "Reunião A foi cancelada.");
    FixClock("2026-12-07T11:00:00");
    const int64_t second = Leave(kAna, "Reunião B foi cancelada.");
    const std::string ana = srv->Login(kAna, "0001");
    EXPECT_EQ(ReadMarks(ana), "--");

    FixClock("2026-12-07T15:30:00");
    const json marked = srv->Call("SetAvisoLido", {"", first}, ana);
    ASSERT_FALSE(marked.contains("error")) << marked.dump();
    EXPECT_EQ(marked["result"], 1);
    EXPECT_EQ(ReadMarks(ana), "-R") << "the newest comes first and stays unread";
    // Marking it again changes nothing and keeps the first reading time; the suite's own read
    // flag stays as the cancellation wrote it.
    FixClock("2026-12-07T17:00:00");
    EXPECT_EQ(srv->Call("SetAvisoLido", {kAna, first}, ana)["result"], 0);
    const json notices = srv->Call("GetAtivPessoal", {""}, ana)["result"];
    EXPECT_EQ(Cell(notices, 1, "NRATIVPESSOAL"), first);
    EXPECT_EQ(Cell(notices, 1, "DTHRLEITURA"), Dt("2026-12-07T15:30:00"));
    EXPECT_EQ(Cell(notices, 1, "IDLIDO"), "0");
    EXPECT_EQ(Cell(notices, 0, "NRATIVPESSOAL"), second);
}

TEST_P(NoticeTest, AnotherOperatorsNoticeCannotBeMarked) {
    const int64_t anas = Leave(kAna, "Reunião C foi cancelada.");
    // A number the demo operator has and Ana has not.
    const int64_t mine = anas + 900;
    srv->Exec(
        "INSERT INTO ATIVPESSOAL (CDOPERADOR, NRATIVPESSOAL, DSATIVPESSOAL, IDLIDO) VALUES (?, ?, "
        "'Reunião D foi cancelada.', '0')",
        {kDemoOperator, static_cast<long long>(mine)});
    const std::string ana = srv->Login(kAna, "0001");
    // The demo operator names Ana's notice; Ana names a number only the demo operator has.
    EXPECT_EQ(srv->Error("SetAvisoLido", {kAna, anas}), "forbidden");
    EXPECT_EQ(srv->Call("SetAvisoLido", {"", mine}, ana)["error"]["code"], "not_found");
    EXPECT_EQ(srv->Call("SetAvisoLido", {kDemoOperator, mine}, ana)["error"]["code"], "forbidden");
    EXPECT_EQ(srv->Call("SetAvisoLido", {"", anas}, "")["error"]["code"], "unauthenticated");
    EXPECT_EQ(ReadMarks(ana), "-");
    EXPECT_EQ(ReadMarks(srv->Token()), "-");
    // Bad numbers and codes are refused with a clear error.
    EXPECT_EQ(srv->Error("SetAvisoLido", {"", 0}), "bad_arguments");
    EXPECT_EQ(srv->Error("SetAvisoLido", {"", 1.5}), "bad_arguments");
    EXPECT_EQ(srv->Error("SetAvisoLido", {"", "x"}), "bad_arguments");
    EXPECT_EQ(srv->Error("SetAvisoLido", {std::string(13, '0'), mine}), "too_long");
    EXPECT_EQ(srv->Error("SetAvisoLido", {""}), "bad_arguments");
}

TEST_P(NoticeTest, AnUnreadNoticeIsWithdrawnOnlyWithItsOwnText) {
    const int64_t first = Leave(kAna, "Reunião E foi cancelada.");
    const int64_t second = Leave(kAna, "Reunião F foi cancelada.");
    const std::string ana = srv->Login(kAna, "0001");
    EXPECT_EQ(srv->Result("GetDelAtivPessoal", {kAna, first, "Outro texto."}), 0);
    // Nobody but the operator who left it withdraws it, not even its receiver.
    EXPECT_EQ(
        srv->Call("GetDelAtivPessoal", {kAna, first, "Reunião E foi cancelada."}, ana)["result"],
        0);
    EXPECT_EQ(srv->Result("GetDelAtivPessoal", {kAna, first, "Reunião E foi cancelada."}), 1);
    EXPECT_EQ(srv->Result("GetDelAtivPessoal", {kAna, first, "Reunião E foi cancelada."}), 0);
    EXPECT_EQ(ReadMarks(ana), "-") << "only the withdrawn one is gone";
    // Once read, a notice stays.
    ASSERT_EQ(srv->Call("SetAvisoLido", {"", second}, ana)["result"], 1);
    EXPECT_EQ(srv->Result("GetDelAtivPessoal", {kAna, second, "Reunião F foi cancelada."}), 0);
    EXPECT_EQ(ReadMarks(ana), "R");
    EXPECT_EQ(srv->Error("GetDelAtivPessoal", {kAna, 0, "x"}), "bad_arguments");
    EXPECT_EQ(srv->Call("GetDelAtivPessoal", {kAna, second, "x"}, "")["error"]["code"],
              "unauthenticated");
}

INSTANTIATE_TEST_SUITE_P(Backends, NoticeTest, ::testing::Values(false, true), EngineName);

class NoticeMigrationTest : public ::testing::TestWithParam<Backend> {};

TEST_P(NoticeMigrationTest, NoticesOfAnOlderDatabaseStayUnreadAndCanBeMarked) {
    TestDatabase database(GetParam());
    ZEL_SKIP_IF_UNAVAILABLE(database);
    {
        // The database as the previous server left it (its own tables only: today's demo
        // data needs today's schema), with Ana of branch 0001 and a notice for her.
        auto old = Database::Open(database.url(), 1);
        ASSERT_EQ(MigrateTo(*old, 2), 2);
        old->Transact(true, [](SqlConnection& c) {
            c.Exec("INSERT INTO FILIAL (CDFILIAL, NMFILIAL) VALUES ('0001', 'Matriz')");
            c.Exec("INSERT INTO OPERADOR (CDOPERADOR, NMOPERADOR, DSSENHA) VALUES (?, ?, ?)",
                   {kAna, "Ana Souza", HashPassword("demo", true)});
            c.Exec("INSERT INTO OPERFILIAL (CDOPERADOR, CDFILIAL) VALUES (?, '0001')", {kAna});
            c.Exec(
                "INSERT INTO ATIVPESSOAL (CDOPERADOR, NRATIVPESSOAL, DSATIVPESSOAL, "
                "DTHRATIVPESSOAL, IDSITATIVPESS, IDAVISO, IDLIDO) VALUES (?, 7, ?, ?, 'P', "
                "'S', '0')",
                {kAna, "Reunião antiga foi cancelada.", Variant::FromDateTime(Now())});
            return 0;
        });
    }
    AppServer server(DemoOptions(database.url()));
    RpcClient rpc(server);
    const std::string ana = rpc.Login(kAna, "0001");
    const json before = rpc.Result("GetAtivPessoal", {""}, ana);
    ASSERT_EQ(before["rows"].size(), 1u);
    EXPECT_EQ(Cell(before, 0, "DSATIVPESSOAL"), "Reunião antiga foi cancelada.");
    EXPECT_TRUE(Cell(before, 0, "DTHRLEITURA").is_null());
    EXPECT_EQ(rpc.Result("SetAvisoLido", {"", 7}, ana), 1);
    EXPECT_FALSE(Cell(rpc.Result("GetAtivPessoal", {""}, ana), 0, "DTHRLEITURA").is_null());
}

INSTANTIATE_TEST_SUITE_P(Backends, NoticeMigrationTest,
                         ::testing::Values(Backend::SqliteFile, Backend::Postgres),
                         [](const auto& info) { return BackendName(info.param); });

}  // namespace
}  // namespace zel::appserver::test
