// Server queries over RPC: the filter dialog's pick lists and the minutes report's queries,
// with their parameters bound and everything else refused.
#include <gtest/gtest.h>

#include "rpc_test_server.h"

namespace zel::appserver::test {
namespace {

using Strings = std::vector<std::string>;

// A parameter packet with one row.
json Params(const std::vector<std::pair<std::string, std::string>>& values) {
    json fields = json::array(), row = json::array();
    for (const auto& [name, value] : values) {
        fields.push_back({{"name", name}, {"type", "string"}, {"size", 4000}});
        row.push_back(value);
    }
    return {{"fields", fields}, {"rows", values.empty() ? json::array() : json::array({row})}};
}

class ServerQueriesTest : public BackendTest {
  protected:
    json Open(const std::string& name,
              const std::vector<std::pair<std::string, std::string>>& p = {}) {
        return srv->Result("OpenServerQuery", {name, Params(p)});
    }
    std::string Refused(const std::string& name, json params) {
        return srv->Error("OpenServerQuery", {name, std::move(params)});
    }
};

TEST_P(ServerQueriesTest, PautaListsTheItemsOfTheListedMeetingsWithTheirCode) {
    const Strings meetings = {srv->Value("SELECT MIN(NRTAREFA) FROM ITEMTAREFA"),
                              srv->Value("SELECT MAX(NRTAREFA) FROM ITEMTAREFA")};
    const json p = Open("qryPauta", {{"P_NRTAREFA", "'" + meetings[0] + "', '" + meetings[1] + "'"},
                                     {"P_TNRTAREFA", ""},
                                     {"P_CDFILIAL", "0001"}});
    EXPECT_EQ(Layout(p),
              (Strings{"CODIGO:string:24", "NRSEQUITTARE:string:10", "DSREFEITTARE:string:100"}));
    ASSERT_EQ(p["rows"].size(), 4u);
    for (size_t r = 0; r < 4; ++r) {
        const std::string code = Cell(p, r, "CODIGO");
        EXPECT_EQ(code.substr(0, 4), "0001");
        EXPECT_TRUE(code.substr(4, 10) == meetings[0] || code.substr(4, 10) == meetings[1]);
        EXPECT_EQ(code.substr(14), Cell(p, r, "NRSEQUITTARE"));
    }
    const json all = Open("QRYPAUTA", {{"P_TNRTAREFA", "T"}, {"P_CDFILIAL", "0001"}});
    EXPECT_EQ(all["rows"].size(), std::stoul(srv->Value("SELECT COUNT(*) FROM ITEMTAREFA")));
    // A meeting number is matched whole, never found inside a longer text.
    EXPECT_TRUE(
        Open("qryPauta", {{"P_NRTAREFA", meetings[0].substr(2)}, {"P_CDFILIAL", "0001"}})["rows"]
            .empty());
    EXPECT_TRUE(Open("qryPauta", {{"P_NRTAREFA", "x') OR 1=1 --"}, {"P_CDFILIAL", "0001"}})["rows"]
                    .empty());
}

TEST_P(ServerQueriesTest, ReuniaoAndRespPickLists) {
    const json meetings = Open("qryReuniao");
    EXPECT_EQ(Layout(meetings), (Strings{"NRTAREFA:string:10", "DSREFETAREFA:string:100"}));
    EXPECT_EQ(meetings["rows"].size(),
              std::stoul(srv->Value("SELECT COUNT(*) FROM TAREFA WHERE CDFILIAL = '0001'")));
    EXPECT_TRUE(Open("qryReuniao", {{"P_CDFILIAL", "0002"}})["rows"].empty());
    EXPECT_EQ(
        Column(Open("qryResp"), "CDOPERADOR"),
        (Strings{"000000000001", "000000000002", "000000000003", "000000000004", "000000000005"}));
}

TEST_P(ServerQueriesTest, MinutesReportHasTheHeaderAndEveryItemWithItsMinutes) {
    const std::string nr = srv->Value("SELECT MIN(NRTAREFA) FROM DESCITEMTARE");
    const std::vector<std::pair<std::string, std::string>> p = {{"P_CDFILIAL", "0001"},
                                                                {"P_NRTAREFA", nr}};
    const json head = Open("qryAtaReuniao", p);
    ASSERT_EQ(head["rows"].size(), 1u);
    EXPECT_EQ(Cell(head, 0, "NMPROCESSO"), "Participar de Reunião");
    EXPECT_FALSE(Cell(head, 0, "NMOPERADOR").get<std::string>().empty());
    const json items = Open("qryAtaPauta", p);
    ASSERT_EQ(items["rows"].size(), 2u);
    EXPECT_EQ(items["fields"][9]["type"], "memo");
    EXPECT_NE(Cell(items, 0, "TXDESCITTARE").get<std::string>().find("Ata"), std::string::npos);
    // Items without minutes are listed too, with empty minutes.
    const std::string bare = srv->Value(
        "SELECT MIN(NRTAREFA) FROM ITEMTAREFA I WHERE NOT EXISTS (SELECT 1 FROM DESCITEMTARE D "
        "WHERE D.NRTAREFA = I.NRTAREFA)");
    const json bareItems = Open("qryAtaPauta", {{"P_CDFILIAL", "0001"}, {"P_NRTAREFA", bare}});
    ASSERT_EQ(bareItems["rows"].size(), 2u);
    EXPECT_TRUE(Cell(bareItems, 0, "TXDESCITTARE").is_null());
}

// One row per participant: an operator with several activities in the meeting is listed once,
// as having taken part when any of them says so.
TEST_P(ServerQueriesTest, MinutesReportParticipantsAreListedOnceWithWhetherTheyTookPart) {
    const std::string nr = "0000000013";
    const std::vector<std::pair<std::string, std::string>> p = {{"P_CDFILIAL", "0001"},
                                                                {"P_NRTAREFA", nr}};
    EXPECT_EQ(Cell(Open("qryAtaReuniao", p), 0, "NMFILIAL"),
              srv->Value("SELECT NMFILIAL FROM FILIAL WHERE CDFILIAL = '0001'"));
    const std::string op = srv->Value(
        "SELECT MIN(CDOPERRESP) FROM PLANATIVTARE WHERE CDFILIAL = '0001' AND NRTAREFA = ?", {nr});
    srv->Exec("UPDATE PLANATIVTARE SET IDOPERPAREUNIAO = 'N' WHERE NRTAREFA = ?", {nr});
    srv->Exec(
        "INSERT INTO PLANATIVTARE (CDFILIAL, NRTAREFA, NRPLATIVTARE, CDOPERRESP, "
        "IDSITATIVTAR, IDOPERPAREUNIAO) VALUES ('0001', ?, '99999', ?, 'C', 'S')",
        {nr, op});
    const json people = Open("qryAtaParticipante", p);
    EXPECT_EQ(Layout(people), (Strings{"CDOPERADOR:string:12", "NMOPERADOR:string:40",
                                       "IDOPERPAREUNIAO:string:1"}));
    ASSERT_EQ(people["rows"].size(),
              std::stoul(srv->Value("SELECT COUNT(DISTINCT CDOPERRESP) FROM PLANATIVTARE WHERE "
                                    "NRTAREFA = ?",
                                    {nr})));
    ASSERT_GE(people["rows"].size(), 2u);
    for (size_t r = 0; r < people["rows"].size(); ++r)
        EXPECT_EQ(Cell(people, r, "IDOPERPAREUNIAO"),
                  Cell(people, r, "CDOPERADOR") == op ? "S" : "N");
    EXPECT_TRUE(Open("qryAtaParticipante", {{"P_NRTAREFA", "x' OR '1'='1"}})["rows"].empty());
}

TEST_P(ServerQueriesTest, UnknownNamesParametersAndBranchesAreRefused) {
    EXPECT_EQ(Refused("qryTudo", Params({})), "bad_arguments");
    EXPECT_EQ(Refused("qryResp", Params({{"P_CDFILIAL", "0001"}})), "bad_arguments");
    EXPECT_EQ(Refused("qryPauta", Params({{"P_SQL", "1"}})), "bad_arguments");
    EXPECT_EQ(Refused("qryPauta", {{"fields", json::array()}}), "bad_arguments");
    json twoRows = Params({{"P_CDFILIAL", "0001"}});
    twoRows["rows"].push_back({"0001"});
    EXPECT_EQ(Refused("qryReuniao", twoRows), "bad_arguments");
    const std::string ana = srv->Login("000000000002", "0001");
    const json r =
        srv->Call("OpenServerQuery", {"qryReuniao", Params({{"P_CDFILIAL", "0002"}})}, ana);
    EXPECT_EQ(r["error"]["code"], "forbidden");
}

INSTANTIATE_TEST_SUITE_P(Backends, ServerQueriesTest, ::testing::Values(false, true),
                         BackendCaseName);

}  // namespace
}  // namespace zel::appserver::test
