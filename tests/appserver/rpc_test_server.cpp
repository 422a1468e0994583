#include "rpc_test_server.h"

#include <cstdlib>

#include "appserver/app_server_impl.h"

namespace zel::appserver::test {

bool RpcTestServer::PostgresAvailable() {
    const char* pg = std::getenv("ZEL_TEST_PG");
    return pg && *pg;
}

RpcTestServer::RpcTestServer(bool postgres)
    : m_db(postgres ? Backend::Postgres : Backend::SqliteMemory),
      m_server(std::make_unique<AppServer>(DemoOptions(m_db.url()))),
      m_rpc(std::make_unique<RpcClient>(*m_server)) {
    m_token = Login(kDemoOperator, "0001");
}

json RpcTestServer::Call(const std::string& method, json params, const std::string& token) {
    return m_rpc->Call(method, std::move(params), token);
}

json RpcTestServer::Result(const std::string& method, json params) {
    return m_rpc->Result(method, std::move(params), m_token);
}

std::string RpcTestServer::Error(const std::string& method, json params) {
    const json r = Call(method, std::move(params));
    if (!r.contains("error")) return "";
    EXPECT_FALSE(r["error"].value("message", "").empty()) << r.dump();
    return r["error"].value("code", "?");
}

std::string RpcTestServer::Login(const std::string& op, const std::string& branch) {
    return m_rpc->Login(op, branch);
}

std::vector<SqlRow> RpcTestServer::Rows(const std::string& sql, const SqlParams& params) {
    return m_server->Impl().db().Transact(
        false, [&](SqlConnection& c) { return c.Exec(sql, params).rows; });
}

void RpcTestServer::Exec(const std::string& sql, const SqlParams& params) {
    m_server->Impl().db().Transact(true, [&](SqlConnection& c) { c.Exec(sql, params); });
}

std::string RpcTestServer::Value(const std::string& sql, const SqlParams& params) {
    const std::vector<SqlRow> rows = Rows(sql, params);
    if (rows.empty() || rows[0].empty() || rows[0][0].IsNull()) return "";
    return rows[0][0].AsString();
}

std::vector<std::string> FieldNames(const json& packet) {
    std::vector<std::string> out;
    for (const json& f : packet.at("fields"))
        out.push_back(f.at("name"));
    return out;
}

std::vector<std::string> Layout(const json& packet) {
    std::vector<std::string> out;
    for (const json& f : packet.at("fields"))
        out.push_back(f.at("name").get<std::string>() + ":" + f.at("type").get<std::string>() +
                      ":" + std::to_string(f.value("size", 0)));
    return out;
}

std::vector<std::string> Column(const json& packet, const std::string& name) {
    std::vector<std::string> out;
    for (size_t r = 0; r < packet.at("rows").size(); ++r) {
        const json v = Cell(packet, r, name);
        out.push_back(v.is_string() ? v.get<std::string>() : v.dump());
    }
    return out;
}

json Dt(const std::string& iso) {
    return {{"$dt", iso}};
}

void BackendTest::SetUp() {
    if (GetParam() && !RpcTestServer::PostgresAvailable())
        GTEST_SKIP() << "ZEL_TEST_PG is not set: PostgreSQL case skipped (run via scripts/test)";
    srv = std::make_unique<RpcTestServer>(GetParam());
}

std::string BackendCaseName(const ::testing::TestParamInfo<bool>& info) {
    return info.param ? "PostgreSQL" : "SQLite";
}

}  // namespace zel::appserver::test
