// End-to-end scenario over HTTP: starts the real zel-appserver executable with --demo on a
// free loopback port and a database file of its own, plays a meeting's whole life the way the
// meeting window calls the server (insert with a room, two participants, an agenda item with
// minutes, an imported agenda, cancellation), then stops the server and checks every table.
#include <gtest/gtest.h>
#include <httplib.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <random>
#include <string>

#include "appserver/methods_agenda.h"
#include "appserver/sqlite_storage.h"
#include "meeting_fixture.h"
#include "platform/date_time.h"
#include "server_process.h"

namespace zel::appserver::test {
namespace {

class HttpRpc {
  public:
    explicit HttpRpc(int port) : m_client("127.0.0.1", port) {
        m_client.set_tcp_nodelay(true);
        m_client.set_read_timeout(30, 0);
    }
    json Call(const std::string& method, json params, const std::string& token) {
        const json req = {{"method", method}, {"params", std::move(params)}, {"id", ++m_id}};
        httplib::Headers headers;
        if (!token.empty()) headers.emplace("Authorization", "Bearer " + token);
        auto res = m_client.Post("/rpc", headers, req.dump(), "application/json");
        if (!res) return {{"error", {{"code", "transport"}, {"message", "no answer"}}}};
        return json::parse(res->body);
    }
    // The result of a call that must succeed.
    json Ok(const std::string& method, json params, const std::string& token) {
        const json r = Call(method, std::move(params), token);
        EXPECT_FALSE(r.contains("error")) << method << ": " << r.dump();
        return r.value("result", json());
    }
    std::string Login(const std::string& op) {
        return Cell(Ok("Login", {op, "demo", "0001"}, ""), 0, "TOKEN").get<std::string>();
    }

  private:
    httplib::Client m_client;
    int m_id = 0;
};

class E2eScenarioTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::mt19937_64 rng{std::random_device{}()};
        m_dir = std::filesystem::temp_directory_path() / ("zel-e2e-" + std::to_string(rng()));
        std::filesystem::create_directories(m_dir);
        m_server = std::make_unique<ServerProcess>(std::vector<std::string>{
            "--db", "sqlite:" + (m_dir / "zel.db").string(), "--demo", "--log-level", "warn"});
        ASSERT_GT(m_server->Port(), 0) << "zel-appserver did not start";
        m_rpc = std::make_unique<HttpRpc>(m_server->Port());
    }
    void TearDown() override {
        m_rpc.reset();
        m_server.reset();
        std::filesystem::remove_all(m_dir);
    }
    // Stops the server and reads the database it left behind.
    std::vector<SqlRow> Rows(const std::string& sql, const SqlParams& params = {}) {
        m_server->Stop();
        auto conn = OpenSqliteFile((m_dir / "zel.db").string());
        return conn->Exec(sql, params).rows;
    }
    std::string Value(const std::string& sql, const SqlParams& params = {}) {
        const auto rows = Rows(sql, params);
        return rows.empty() || rows[0][0].IsNull() ? "" : rows[0][0].AsString();
    }

    std::filesystem::path m_dir;
    std::unique_ptr<ServerProcess> m_server;
    std::unique_ptr<HttpRpc> m_rpc;
};

TEST_F(E2eScenarioTest, MeetingFromBookingToCancellation) {
    HttpRpc& rpc = *m_rpc;
    const std::string me = rpc.Login(kDemoOperator);
    // Thirty days ahead, beyond the demo data's bookings: 15:00 to 16:30 in room 00003.
    const TDateTime day = DateOf(Now()) + 30;
    const json dayArg = Dt(DateTimeToIso(day));

    // 1. The meeting with its room.
    const std::string nr = rpc.Ok("GetPrxTarefa", {"0001"}, me).get<std::string>();
    rpc.Ok("SetControle",
           {MeetingDelta(json::array({{{"op", "insert"},
                                       {"new", MeetingRow("0001", nr, "Planejamento anual de 2027",
                                                          day + 15 / 24.0, 1.5)}}}))},
           me);
    const json free = rpc.Ok("GetSalas", {"0001", dayArg, "1500", "1630"}, me);
    ASSERT_NE(Column(free, "CDSALA"), Strings{});
    const json seq = rpc.Ok("GetSeqSalas", {dayArg}, me);
    char seqText[8];
    std::snprintf(seqText, sizeof seqText, "%05d", static_cast<int>(Cell(seq, 0, "NRSEQAGESALA")));
    const Values booking = {{"CDFILIAL", "0001"},
                            {"NRTAREFA", nr},
                            {"CDSALA", "00003"},
                            {"DTATIAGESALA", dayArg},
                            {"NRSEQAGESALA", seqText},
                            {"IDSITAGESALA", "A"},
                            {"DSAGENDASALA", "Planejamento anual de 2027"},
                            {"HRINIAGESALA", "1500"},
                            {"HRFINAGESALA", "1630"},
                            {"CDOPERADOR", kDemoOperator}};
    rpc.Ok("SetSalas", {ChangesOf(BookingLayout(), {Insert(BookingLayout(), booking)})}, me);
    const Strings stillFree =
        Column(rpc.Ok("GetSalas", {"0001", dayArg, "1500", "1630"}, me), "CDSALA");
    EXPECT_EQ(std::count(stillFree.begin(), stillFree.end(), "00003"), 0);

    // 2. Two participants through the registration dialog's calls.
    const json tmpl = rpc.Ok("GetCarAtividades", {"0001", nr, "01.01"}, me);
    ASSERT_FALSE(tmpl["rows"].empty());
    const json chosen = rpc.Ok("GetAuxPart", {"'000000000002', '000000000003'"}, me);
    ASSERT_EQ(chosen["rows"].size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        const json n = rpc.Ok("GetPrxPlanAtivTare", {"0001", nr}, me);
        const json r =
            rpc.Ok("GetInsCadAtiv",
                   {"0001", nr, n.is_string() ? n.get<std::string>() : n.dump(),
                    Cell(tmpl, 0, "CDPROCESSO"), Dt(DateTimeToIso(Now())),
                    Cell(chosen, i, "CDOPERADOR"), Dt(DateTimeToIso(day + 15 / 24.0)),
                    Dt(DateTimeToIso(day + 16.5 / 24.0)), "1,5", Cell(tmpl, 0, "CDITEMTRAB")},
                   me);
        EXPECT_EQ(r, 1);
    }
    EXPECT_EQ(rpc.Ok("GetAtividades", {"0001", nr}, me)["rows"].size(), 2u);

    // 3. An agenda item with its minutes.
    const std::string item = rpc.Ok("GetPrxItemTarefa", {"0001"}, me).get<std::string>();
    json itemFields = json::array(), minuteFields = json::array();
    for (const FieldDef& f : ItemTarefaFields())
        itemFields.push_back(FieldDefToJson(f));
    for (const FieldDef& f : DescItTareFields())
        minuteFields.push_back(FieldDefToJson(f));
    rpc.Ok("SetItemTarefa",
           {{{"fields", itemFields},
             {"changes",
              {{{"op", "insert"},
                {"new",
                 {item, "Metas do ano", "1", "000000000002", nullptr, "Trazer propostas", nullptr,
                  "0001", nr, nullptr, nullptr}}}}}}},
           me);
    rpc.Ok("SetDescItTare",
           {{{"fields", minuteFields},
             {"changes",
              {{{"op", "insert"}, {"new", {"0001", nr, item, "{\\rtf1 Metas aprovadas.}"}}}}}}},
           me);

    // 4. The agenda of the newest earlier meeting, imported.
    const json candidates = rpc.Ok("GetReuniao", {"0001", "0000000002", nr}, me);
    ASSERT_FALSE(candidates["rows"].empty());
    const std::string source = Cell(candidates, 0, "NRTAREFA");
    const json imported = rpc.Ok("GetImpAssunto", {"0001", source}, me);
    ASSERT_FALSE(imported["rows"].empty());
    for (size_t i = 0; i < imported["rows"].size(); ++i)
        rpc.Ok("GetInsAssunto",
               {"0001", nr, Cell(imported, i, "NRSEQUITTARE"), Cell(imported, i, "DSREFEITTARE"),
                Cell(imported, i, "DTINCLITTARE"), Cell(imported, i, "CDOPERADOR"),
                Cell(imported, i, "TXPLANITTARE"), Cell(imported, i, "CDOPERRESP"),
                Cell(imported, i, "NRPRIOITTARE")},
               me);
    const size_t agendaSize = 1 + imported["rows"].size();
    EXPECT_EQ(rpc.Ok("GetItemTarefa", {"0001", nr, "", "T"}, me)["rows"].size(), agendaSize);

    // 5. Cancellation, in the window's order of calls.
    EXPECT_EQ(Cell(rpc.Ok("GetTestaReuniao", {"0001", nr}, me), 0, "IDSITTAREFA"), "P");
    const json rooms = rpc.Ok("GetDadosSalas", {"0001", "00003", dayArg, "1500", "1630"}, me);
    ASSERT_EQ(rooms["rows"].size(), 1u);
    const json people = rpc.Ok("GetAtivReuniao", {"0001", nr}, me);
    EXPECT_EQ(people["rows"].size(), 2u);
    for (size_t i = 0; i < people["rows"].size(); ++i) {
        const std::string op = Cell(people, i, "CDOPERRESP");
        if (op == kDemoOperator) continue;
        const json n = rpc.Ok("GetPrxAtivPessoal", {op}, me);
        const std::string text = "Planejamento anual de 2027, agendada para " + DateToStr(day) +
                                 " foi cancelada por Operador Demonstraç";
        rpc.Ok("GetInsAtivPessoal", {op, n, text, Dt(DateTimeToIso(Now())), "P", "S", "0"}, me);
    }
    rpc.Ok("GetUpdCancelAtiv", {"0001", nr}, me);
    rpc.Ok("GetUpdCancelTarefa", {"0001", nr}, me);
    rpc.Ok("GetDelSala",
           {Cell(rooms, 0, "CDFILIAL"), Cell(rooms, 0, "CDSALA"), Cell(rooms, 0, "DTATIAGESALA"),
            Cell(rooms, 0, "NRSEQAGESALA")},
           me);

    // Seen from the clients: the room is free again, the participants have their notice.
    const Strings freed =
        Column(rpc.Ok("GetSalas", {"0001", dayArg, "1500", "1630"}, me), "CDSALA");
    EXPECT_EQ(std::count(freed.begin(), freed.end(), "00003"), 1);
    const std::string ana = rpc.Login("000000000002");
    const json notices = rpc.Ok("GetAtivPessoal", {"000000000002"}, ana);
    ASSERT_EQ(notices["rows"].size(), 1u);
    EXPECT_NE(Cell(notices, 0, "DSATIVPESSOAL").get<std::string>().find(DateToStr(day)),
              std::string::npos);

    // Every table, from the database the server left behind.
    EXPECT_EQ(
        Value("SELECT IDSITTAREFA FROM TAREFA WHERE CDFILIAL = '0001' AND NRTAREFA = ?", {nr}),
        "X");
    const auto acts = Rows(
        "SELECT CDOPERRESP, IDSITATIVTAR, CDOPERINCL FROM PLANATIVTARE WHERE NRTAREFA = ? "
        "ORDER BY CDOPERRESP",
        {nr});
    ASSERT_EQ(acts.size(), 2u);
    for (const SqlRow& a : acts) {
        EXPECT_EQ(a[1].AsString(), "X");
        EXPECT_EQ(a[2].AsString(), kDemoOperator);
    }
    EXPECT_EQ(
        Value("SELECT COUNT(*) FROM AGEATIVISALA WHERE NRTAREFA = ? AND IDSITAGESALA = 'A'", {nr}),
        "0");
    EXPECT_EQ(Value("SELECT COUNT(*) FROM ITEMTAREFA WHERE NRTAREFA = ?", {nr}),
              std::to_string(agendaSize));
    EXPECT_EQ(Value("SELECT COUNT(*) FROM ITEMTAREFA WHERE NRTAREFA = ?", {source}),
              std::to_string(imported["rows"].size()));
    EXPECT_EQ(Value("SELECT TXDESCITTARE FROM DESCITEMTARE WHERE NRTAREFA = ?", {nr}),
              "{\\rtf1 Metas aprovadas.}");
    EXPECT_EQ(
        Value("SELECT COUNT(*) FROM ATIVPESSOAL WHERE CDOPERADOR IN "
              "('000000000002', '000000000003') AND DSATIVPESSOAL LIKE 'Planejamento anual%'"),
        "2");
    EXPECT_EQ(Value("SELECT COUNT(*) FROM ATIVPESSOAL WHERE CDOPERADOR = ?", {kDemoOperator}), "0");
}

}  // namespace
}  // namespace zel::appserver::test
