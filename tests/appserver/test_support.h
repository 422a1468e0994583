// Helpers for the application-server tests: a real AppServer on a real database (in-memory
// SQLite, a temporary SQLite file, or a throw-away PostgreSQL database), RPC calls as JSON,
// and packets read back by field name.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "appserver/app_server.h"
#include "appserver/app_server_impl.h"
#include "platform/packet.h"

namespace zel::appserver::test {

using nlohmann::json;

inline constexpr const char* kDemoOperator = "000000000001";
inline constexpr const char* kBranchOnlyOperator = "000000000002";  // branch 0001 only

// A fresh PostgreSQL database on the server named by ZEL_TEST_PG, dropped on destruction.
class PgDatabase {
  public:
    // Empty conninfo() when ZEL_TEST_PG is not set.
    PgDatabase();
    ~PgDatabase();
    const std::string& conninfo() const { return m_conninfo; }

  private:
    std::string m_admin, m_name, m_conninfo;
};

// Where a test's database lives.
enum class Backend { SqliteMemory, SqliteFile, Postgres };
std::string BackendName(Backend b);

// Owns the database a backend needs (temporary file or PostgreSQL database) and gives its URL.
class TestDatabase {
  public:
    explicit TestDatabase(Backend backend);
    ~TestDatabase();
    // False when the backend cannot run here (PostgreSQL without ZEL_TEST_PG).
    bool available() const { return !m_url.empty(); }
    const std::string& url() const { return m_url; }

  private:
    std::unique_ptr<PgDatabase> m_pg;
    std::string m_dir, m_url;
};

// Skips the test, with a visible notice, when PostgreSQL is not available.
#define ZEL_SKIP_IF_UNAVAILABLE(db)                                                             \
    do {                                                                                        \
        if (!(db).available()) GTEST_SKIP() << "ZEL_TEST_PG not set: PostgreSQL tests skipped"; \
    } while (0)

// An AppServer with the demo data (fast password hashing) and a clock tests can set.
class RpcClient {
  public:
    explicit RpcClient(AppServer& server) : m_server(server) {}

    // The whole response envelope.
    json Call(const std::string& method, json params = json::array(),
              const std::string& token = "");
    // The result of a call that must succeed (fails the test otherwise).
    json Result(const std::string& method, json params = json::array(),
                const std::string& token = "");
    // The error code of a call that must fail ("" when it succeeded).
    std::string ErrorCode(const std::string& method, json params = json::array(),
                          const std::string& token = "");
    // Logs in and returns the token.
    std::string Login(const std::string& op = kDemoOperator, const std::string& branch = "0001");

  private:
    AppServer& m_server;
    int m_id = 0;
};

// One client's part in a race: prepare (outside the race) returns the call to make.
using RaceCall = std::function<json(RpcClient&, const std::string& token)>;
using RacePrepare = std::function<RaceCall(RpcClient&, const std::string& token, int client)>;

// Runs `clients` clients, client i on servers[i % servers.size()], each with its own session
// and its own connection, that start their calls at the same moment; returns each client's
// response envelope.
std::vector<json> RaceClients(const std::vector<AppServer*>& servers, int clients,
                              const RacePrepare& prepare);

AppServerOptions DemoOptions(const std::string& url = "sqlite::memory:");

// The value of `field` in row `row` of a data packet's JSON.
json Cell(const json& packet, size_t row, const std::string& field);
// Index of a field in a packet's JSON (-1 when absent).
int FieldIndex(const json& packet, const std::string& field);

// The GetControle parameters for "everything of branch": all meetings, statuses, dates.
json AllMeetingsParams(const std::string& branch = "0001");

// A change packet over the meeting record with the given changes.
json MeetingDelta(const json& changes);
// One row of a packet with `fields`, null where `values` says nothing.
json RowOfFields(const std::vector<FieldDef>& fields, const std::map<std::string, json>& values);
// A change packet of `fields` carrying `changes`.
json DeltaOfFields(const std::vector<FieldDef>& fields, json changes);
// A full meeting row in the meeting record's field order (names and computed fields empty).
json MeetingRow(const std::string& branch, const std::string& nr, const std::string& ref,
                double start, double hours = 1.0);

}  // namespace zel::appserver::test
