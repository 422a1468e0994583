// Lookups and pick lists over RPC on the demo data: packet layouts, branch scoping, active
// operators, prefix matches and unknown codes.
#include <gtest/gtest.h>

#include "rpc_test_server.h"

namespace zel::appserver::test {
namespace {

using Strings = std::vector<std::string>;

class LookupsTest : public BackendTest {};

TEST_P(LookupsTest, PacketsCarryTheFieldsOfTheClientDatasets) {
    EXPECT_EQ(Layout(srv->Result("GetVdResp", {"000000000001", "0001"})),
              (Strings{"CDOPERADOR:string:12", "NMOPERADOR:string:40"}));
    EXPECT_EQ(Layout(srv->Result("GetResp", {"0001"})),
              (Strings{"CDOPERADOR:string:12", "NMOPERADOR:string:40"}));
    EXPECT_EQ(Layout(srv->Result("GetAssunto", {""})),
              (Strings{"CDASSUNTO:string:5", "NMASSUNTO:string:50", "IDORIGOBRSOL:string:1",
                       "IDPAUTVERPLA:string:1", "QTSEGAVIASSU:float:0", "CDNATUASSU:string:5",
                       "DTULTATUTASS:datetime:0"}));
    EXPECT_EQ(Layout(srv->Result("GetProcesso", {""})),
              (Strings{"CDPROCESSO:string:10", "CDNVPROCESSO:string:1", "CDARVPROCESS:string:20",
                       "NMPROCESSO:string:100", "IDTPPROCESSO:string:1", "CDSETOR:string:4"}));
    EXPECT_EQ(Layout(srv->Result("GetProjeto", {"0001", ""})),
              (Strings{"CDPROJETO:string:10", "NMPROJETO:string:100"}));
    EXPECT_EQ(Layout(srv->Result("GetPesqProc", {"%"})),
              (Strings{"CDPROCESSO:string:10", "CDARVPROCESS:string:20", "CDNVPROCESSO:string:1",
                       "NMPROCESSO:string:100"}));
    EXPECT_EQ(Layout(srv->Result("GetPesqPart", {"0001"})),
              (Strings{"NMOPERADOR:string:40", "CDOPERADOR:string:12"}));
    EXPECT_EQ(Layout(srv->Result("GetPesqItemTrab", {"3"})),
              (Strings{"CDITEMTRAB:string:10", "NMITEMTRAB:string:100", "CDARVITTRAB:string:20"}));
    EXPECT_EQ(Layout(srv->Result("GetPesqOper", json::array())),
              (Strings{"CDOPERADOR:string:12", "NMOPERADOR:string:40"}));
}

TEST_P(LookupsTest, UnknownCodesGiveEmptyPacketsNotErrors) {
    EXPECT_TRUE(srv->Result("GetVdResp", {"999999999999", "0001"})["rows"].empty());
    EXPECT_TRUE(srv->Result("GetAssunto", {"99999"})["rows"].empty());
    EXPECT_TRUE(srv->Result("GetProcesso", {"99"})["rows"].empty());
    EXPECT_TRUE(srv->Result("GetProjeto", {"0001", "9999999999"})["rows"].empty());
    EXPECT_TRUE(srv->Result("GetPesqProc", {"99%"})["rows"].empty());
}

TEST_P(LookupsTest, EmptyCodeListsAll) {
    EXPECT_EQ(srv->Result("GetAssunto", {""})["rows"].size(), 5u);
    EXPECT_EQ(srv->Result("GetProjeto", {"0001", ""})["rows"].size(), 3u);
    EXPECT_EQ(srv->Result("GetProcesso", {""})["rows"].size(), 5u);
    const json one = srv->Result("GetAssunto", {"00002"});
    ASSERT_EQ(one["rows"].size(), 1u);
    EXPECT_EQ(Cell(one, 0, "NMASSUNTO"), "Orçamento");
}

TEST_P(LookupsTest, ResponsibleOperatorMustWorkInTheBranch) {
    // 000000000002 may use branch 0001 only.
    EXPECT_EQ(Column(srv->Result("GetVdResp", {"000000000002", "0001"}), "NMOPERADOR"),
              Strings{"Ana Souza"});
    EXPECT_TRUE(srv->Result("GetVdResp", {"000000000002", "0002"})["rows"].empty());
    EXPECT_EQ(Column(srv->Result("GetResp", {"0002"}), "CDOPERADOR"),
              (Strings{"000000000003", "000000000001"}));  // by name: Bruno, Operador
}

TEST_P(LookupsTest, PickListsOfferActiveOperatorsOnly) {
    srv->Exec("UPDATE OPERADOR SET IDATIVO = 'N' WHERE CDOPERADOR = '000000000004'");
    for (const char* method : {"GetResp", "GetPesqPart"}) {
        const Strings codes = Column(srv->Result(method, {"0001"}), "CDOPERADOR");
        EXPECT_EQ(codes.size(), 4u) << method;
        EXPECT_EQ(std::count(codes.begin(), codes.end(), "000000000004"), 0) << method;
    }
    EXPECT_EQ(srv->Result("GetPesqOper", json::array())["rows"].size(), 4u);
    // A code typed for an existing meeting still validates.
    EXPECT_EQ(srv->Result("GetVdResp", {"000000000004", "0001"})["rows"].size(), 1u);
}

TEST_P(LookupsTest, ProcessCodeIsReadWithoutThePicturesBlanksAndDots) {
    const json p = srv->Result("GetProcesso", {"01.01.  .  "});
    ASSERT_EQ(p["rows"].size(), 1u);
    EXPECT_EQ(Cell(p, 0, "CDPROCESSO"), "0000000002");
}

TEST_P(LookupsTest, TrailingPercentIsAPrefixMatchAndNothingElseIsAWildcard) {
    EXPECT_EQ(Column(srv->Result("GetPesqProc", {"01%"}), "CDARVPROCESS"),
              (Strings{"01", "0101", "0102"}));
    EXPECT_EQ(Column(srv->Result("GetPesqProc", {"0101"}), "CDARVPROCESS"), Strings{"0101"});
    EXPECT_EQ(srv->Result("GetPesqProc", {"%"})["rows"].size(), 5u);
    EXPECT_TRUE(srv->Result("GetPesqProc", {"0_%"})["rows"].empty());
    EXPECT_TRUE(srv->Result("GetPesqProc", {"%1%"})["rows"].empty());
}

TEST_P(LookupsTest, WorkItemsDeeperThanTheLevelsAskedAreLeftOut) {
    EXPECT_EQ(Column(srv->Result("GetPesqItemTrab", {"1"}), "CDARVITTRAB"), (Strings{"01", "02"}));
    EXPECT_EQ(srv->Result("GetPesqItemTrab", {"3"})["rows"].size(), 3u);
    EXPECT_EQ(srv->Result("GetPesqItemTrab", {""})["rows"].size(), 3u);
    EXPECT_EQ(srv->Error("GetPesqItemTrab", {"dois"}), "bad_arguments");
}

TEST_P(LookupsTest, ForeignBranchIsRefused) {
    const std::string ana = srv->Login("000000000002", "0001");
    for (const auto& [method, params] :
         std::vector<std::pair<std::string, json>>{{"GetResp", {"0002"}},
                                                   {"GetPesqPart", {"0002"}},
                                                   {"GetProjeto", {"0002", ""}},
                                                   {"GetVdResp", {"000000000002", "0002"}}}) {
        const json r = srv->Call(method, params, ana);
        ASSERT_TRUE(r.contains("error")) << method;
        EXPECT_EQ(r["error"]["code"], "forbidden") << method;
    }
}

TEST_P(LookupsTest, NamesMatchWithoutRegardToCase) {
    EXPECT_EQ(srv->Result("getpesqoper", json::array())["rows"].size(), 5u);
    EXPECT_EQ(srv->Result("GETASSUNTO", {"00001"})["rows"].size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Backends, LookupsTest, ::testing::Values(false, true), BackendCaseName);

}  // namespace
}  // namespace zel::appserver::test
