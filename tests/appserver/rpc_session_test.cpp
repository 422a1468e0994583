// Login, tokens, branch access and the protocol envelope, through AppServer::HandleRpc on an
// in-memory database with the demo data.
#include "test_support.h"

namespace zel::appserver::test {
namespace {

class RpcSessionTest : public ::testing::Test {
  protected:
    AppServer server{DemoOptions()};
    RpcClient rpc{server};
};

TEST_F(RpcSessionTest, LoginReturnsOneRowWithTokenOperatorBranchesAndMasks) {
    const json p = rpc.Result("Login", {kDemoOperator, "demo", "0001"});
    std::vector<std::string> names;
    for (const json& f : p["fields"])
        names.push_back(f["name"]);
    EXPECT_EQ(names, (std::vector<std::string>{"TOKEN", "CDOPERADOR", "NMOPERADOR", "CDFILIAL",
                                               "FILIAIS", "MASCPROCESSO", "MASCITTRAB"}));
    ASSERT_EQ(p["rows"].size(), 1u);
    EXPECT_EQ(Cell(p, 0, "TOKEN").get<std::string>().size(), 64u);
    EXPECT_EQ(Cell(p, 0, "NMOPERADOR"), "Operador Demonstração");
    EXPECT_EQ(Cell(p, 0, "CDFILIAL"), "0001");
    EXPECT_EQ(Cell(p, 0, "FILIAIS"), "0001,0002");
    EXPECT_FALSE(Cell(p, 0, "MASCPROCESSO").get<std::string>().empty());
    EXPECT_FALSE(Cell(p, 0, "MASCITTRAB").get<std::string>().empty());
}

TEST_F(RpcSessionTest, WrongOperatorPasswordOrBranchGetTheSameRefusal) {
    const json a = rpc.Call("Login", {"999999999999", "demo", "0001"});
    const json b = rpc.Call("Login", {kDemoOperator, "wrong", "0001"});
    const json c = rpc.Call("Login", {kBranchOnlyOperator, "demo", "0002"});
    const json d = rpc.Call("Login", {kDemoOperator, "demo", "9999"});
    for (const json& r : {a, b, c, d}) {
        ASSERT_TRUE(r.contains("error")) << r.dump();
        EXPECT_EQ(r["error"], a["error"]);
    }
    EXPECT_EQ(a["error"]["code"], "unauthenticated");
}

TEST_F(RpcSessionTest, CallsWithoutValidTokenAreRefused) {
    EXPECT_EQ(rpc.ErrorCode("getHoraServidor"), "unauthenticated");
    EXPECT_EQ(rpc.ErrorCode("getHoraServidor", json::array(), "not-a-token"), "unauthenticated");
    EXPECT_EQ(rpc.ErrorCode("getHoraServidor", json::array(), std::string(64, 'a')),
              "unauthenticated");
}

TEST_F(RpcSessionTest, TokenExpiresAfterItsLifetime) {
    TDateTime clock = Now();
    server.Impl().setClock([&] { return clock; });
    const std::string token = rpc.Login();
    EXPECT_EQ(rpc.ErrorCode("getHoraServidor", json::array(), token), "");
    clock += (8 * 3600 + 1) / 86400.0;
    EXPECT_EQ(rpc.ErrorCode("getHoraServidor", json::array(), token), "unauthenticated");
}

TEST_F(RpcSessionTest, LogoutEndsTheSessionOnly) {
    const std::string a = rpc.Login();
    const std::string b = rpc.Login();
    EXPECT_EQ(rpc.ErrorCode("Logout", json::array(), a), "");
    EXPECT_EQ(rpc.ErrorCode("getHoraServidor", json::array(), a), "unauthenticated");
    EXPECT_EQ(rpc.ErrorCode("getHoraServidor", json::array(), b), "");
}

TEST_F(RpcSessionTest, CallNamingAForeignBranchIsForbidden) {
    const std::string token = rpc.Login(kBranchOnlyOperator, "0001");
    EXPECT_EQ(rpc.ErrorCode("GetControle", AllMeetingsParams("0002"), token), "forbidden");
    EXPECT_EQ(rpc.ErrorCode("GetPrxTarefa", {"0002"}, token), "forbidden");
    EXPECT_EQ(rpc.ErrorCode("GetControle", AllMeetingsParams("0001"), token), "");
}

TEST_F(RpcSessionTest, ServerClockIsOneDateTimeField) {
    const std::string token = rpc.Login();
    server.Impl().setClock([] { return EncodeDateTime(2026, 12, 7, 14, 30, 5); });
    const json p = rpc.Result("getHoraServidor", json::array(), token);
    ASSERT_EQ(p["fields"].size(), 1u);
    EXPECT_EQ(p["fields"][0]["name"], "SYSDATE");
    EXPECT_EQ(p["fields"][0]["type"], "datetime");
    EXPECT_EQ(Cell(p, 0, "SYSDATE")["$dt"], "2026-12-07T14:30:05");
}

// The envelope and the dispatcher's refusals.
class RpcDispatchTest : public RpcSessionTest {
  protected:
    void SetUp() override { token = rpc.Login(); }
    json Raw(const std::string& body) { return json::parse(server.HandleRpc(body, token)); }
    std::string token;
};

TEST_F(RpcDispatchTest, MalformedJsonGetsBadRequestWithNullId) {
    const json r = Raw("{\"method\": \"getHoraServidor\", ");
    EXPECT_TRUE(r["id"].is_null());
    EXPECT_EQ(r["error"]["code"], "bad_request");
    EXPECT_EQ(Raw("[1,2]")["error"]["code"], "bad_request");
    EXPECT_EQ(Raw("{\"params\":[],\"id\":7}")["error"]["code"], "bad_request");
    EXPECT_EQ(Raw("{\"params\":[],\"id\":7}")["id"], 7);
    EXPECT_EQ(Raw("{\"method\":\"getHoraServidor\",\"params\":{},\"id\":1}")["error"]["code"],
              "bad_request");
}

TEST_F(RpcDispatchTest, ResponseEchoesTheIdAndCarriesRefs) {
    const json r = Raw(R"({"method":"getHoraServidor","params":[],"id":42})");
    EXPECT_EQ(r["id"], 42);
    EXPECT_TRUE(r["refs"].is_object());
    EXPECT_TRUE(r["result"].is_object());
}

TEST_F(RpcDispatchTest, MethodNamesMatchWithoutRegardToCase) {
    EXPECT_EQ(rpc.ErrorCode("GETHORASERVIDOR", json::array(), token), "");
    EXPECT_EQ(rpc.ErrorCode("getprxtarefa", {"0001"}, token), "");
    EXPECT_EQ(rpc.ErrorCode("NoSuchMethod", json::array(), token), "unknown_method");
}

TEST_F(RpcDispatchTest, WrongArgumentCountOrKindIsRefused) {
    EXPECT_EQ(rpc.ErrorCode("GetPrxTarefa", json::array(), token), "bad_arguments");
    EXPECT_EQ(rpc.ErrorCode("GetPrxTarefa", {"0001", "x"}, token), "bad_arguments");
    EXPECT_EQ(rpc.ErrorCode("GetPrxTarefa", {1}, token), "bad_arguments");
    json p = AllMeetingsParams();
    p[8] = "ontem";
    EXPECT_EQ(rpc.ErrorCode("GetControle", p, token), "bad_arguments");
    EXPECT_EQ(rpc.ErrorCode("SetControle", {"not a packet"}, token), "bad_arguments");
    EXPECT_EQ(rpc.ErrorCode("SetControle", {{{"fields", json::array()}}}, token), "bad_arguments");
}

TEST_F(RpcDispatchTest, OversizedTextArgumentIsTooLong) {
    EXPECT_EQ(rpc.ErrorCode("GetPrxTarefa", {"00001"}, token), "too_long");
}

TEST_F(RpcDispatchTest, ErrorMessagesAreForTheOperator) {
    const json r = rpc.Call("GetPrxTarefa", json::array(), token);
    EXPECT_NE(r["error"]["message"].get<std::string>().find("GetPrxTarefa"), std::string::npos);
}

}  // namespace
}  // namespace zel::appserver::test
