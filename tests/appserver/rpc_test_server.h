// RpcTestServer: a demo-data application server for RPC-level tests, on SQLite in memory or on
// a fresh database of the throw-away PostgreSQL that scripts/test starts (ZEL_TEST_PG), with
// the demo operator logged in on branch 0001. Calls go through AppServer::HandleRpc, the same
// entry the HTTP server uses. Built on test_support.h (databases, RpcClient, Cell).
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "appserver/app_server.h"
#include "appserver/storage.h"
#include "test_support.h"

namespace zel::appserver::test {

class RpcTestServer {
  public:
    // postgres: a fresh database on ZEL_TEST_PG (callers skip when PostgresAvailable() is
    // false).
    explicit RpcTestServer(bool postgres);

    static bool PostgresAvailable();

    // The whole response envelope.
    json Call(const std::string& method, json params, const std::string& token);
    json Call(const std::string& method, json params) { return Call(method, params, m_token); }
    // The result of a call that must succeed (a failed call fails the test and returns null).
    json Result(const std::string& method, json params);
    // The error code of a call that must fail ("" when it succeeded).
    std::string Error(const std::string& method, json params);
    // A token for another operator and branch.
    std::string Login(const std::string& op, const std::string& branch);

    // Rows of a query straight on the database (to check what a call stored).
    std::vector<SqlRow> Rows(const std::string& sql, const SqlParams& params = {});
    // A statement straight on the database (to prepare a case the demo data lacks).
    void Exec(const std::string& sql, const SqlParams& params = {});
    // One value of a query ("" for null or no row).
    std::string Value(const std::string& sql, const SqlParams& params = {});

    AppServer& Server() { return *m_server; }
    const std::string& Token() const { return m_token; }

  private:
    TestDatabase m_db;
    std::unique_ptr<AppServer> m_server;
    std::unique_ptr<RpcClient> m_rpc;
    std::string m_token;
};

// The field names of a packet, in order.
std::vector<std::string> FieldNames(const json& packet);
// "NAME:type:size" of every field, to compare a packet's layout in one assertion.
std::vector<std::string> Layout(const json& packet);
// The values of one column over all rows (texts as they are, other values as JSON).
std::vector<std::string> Column(const json& packet, const std::string& name);
// A date-time argument.
json Dt(const std::string& iso);

// Fixture running each test on SQLite (false) and on PostgreSQL (true).
class BackendTest : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override;
    std::unique_ptr<RpcTestServer> srv;
};

std::string BackendCaseName(const ::testing::TestParamInfo<bool>& info);

}  // namespace zel::appserver::test
