#include "test_support.h"

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <pqxx/pqxx>
#include <random>
#include <thread>

#include "appserver/meeting_record.h"

namespace zel::appserver::test {

namespace {

std::string RandomSuffix() {
    static std::mt19937_64 rng{std::random_device{}()};
    return std::to_string(rng() % 1000000000000ULL);
}

}  // namespace

PgDatabase::PgDatabase() {
    const char* env = std::getenv("ZEL_TEST_PG");
    if (!env || !*env) return;
    m_admin = env;
    m_name = "zel_test_" + RandomSuffix();
    pqxx::connection c(m_admin);
    pqxx::nontransaction tx(c);
    tx.exec("CREATE DATABASE " + m_name);
    m_conninfo = m_admin + " dbname=" + m_name;
}

PgDatabase::~PgDatabase() {
    if (m_name.empty()) return;
    try {
        pqxx::connection c(m_admin);
        pqxx::nontransaction tx(c);
        tx.exec("DROP DATABASE IF EXISTS " + m_name + " WITH (FORCE)");
    } catch (const std::exception&) {
        // The throw-away server goes away with its folder anyway.
    }
}

std::string BackendName(Backend b) {
    switch (b) {
        case Backend::SqliteMemory:
            return "SqliteMemory";
        case Backend::SqliteFile:
            return "SqliteFile";
        case Backend::Postgres:
            return "Postgres";
    }
    return "?";
}

TestDatabase::TestDatabase(Backend backend) {
    switch (backend) {
        case Backend::SqliteMemory:
            m_url = "sqlite::memory:";
            break;
        case Backend::SqliteFile: {
            m_dir =
                (std::filesystem::temp_directory_path() / ("zel-test-" + RandomSuffix())).string();
            std::filesystem::create_directories(m_dir);
            m_url = "sqlite:" + m_dir + "/zel.db";
            break;
        }
        case Backend::Postgres:
            m_pg = std::make_unique<PgDatabase>();
            if (!m_pg->conninfo().empty()) m_url = m_pg->conninfo();
            break;
    }
}

TestDatabase::~TestDatabase() {
    m_pg.reset();
    if (!m_dir.empty()) std::filesystem::remove_all(m_dir);
}

json RpcClient::Call(const std::string& method, json params, const std::string& token) {
    const json request = {{"method", method}, {"params", std::move(params)}, {"id", ++m_id}};
    return json::parse(m_server.HandleRpc(request.dump(), token));
}

json RpcClient::Result(const std::string& method, json params, const std::string& token) {
    const json r = Call(method, std::move(params), token);
    EXPECT_FALSE(r.contains("error")) << method << ": " << r.dump();
    return r.value("result", json());
}

std::string RpcClient::ErrorCode(const std::string& method, json params, const std::string& token) {
    const json r = Call(method, std::move(params), token);
    if (!r.contains("error")) return "";
    return r["error"].value("code", "?");
}

std::string RpcClient::Login(const std::string& op, const std::string& branch) {
    const json r = Result("Login", {op, "demo", branch});
    return Cell(r, 0, "TOKEN").get<std::string>();
}

std::vector<json> RaceClients(const std::vector<AppServer*>& servers, int clients,
                              const RacePrepare& prepare) {
    std::vector<json> out(static_cast<size_t>(clients));
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < clients; ++i)
        threads.emplace_back([&, i] {
            RpcClient rpc(*servers[static_cast<size_t>(i) % servers.size()]);
            const std::string token = rpc.Login();
            const RaceCall call = prepare(rpc, token, i);
            ++ready;
            while (ready.load() < clients)
                std::this_thread::yield();
            out[static_cast<size_t>(i)] = call(rpc, token);
        });
    for (std::thread& t : threads)
        t.join();
    return out;
}

AppServerOptions DemoOptions(const std::string& url) {
    AppServerOptions o;
    o.db = url;
    o.demo = true;
    o.fastPasswordHashing = true;
    o.poolSize = 4;
    return o;
}

int FieldIndex(const json& packet, const std::string& field) {
    const json& fields = packet.at("fields");
    for (size_t i = 0; i < fields.size(); ++i)
        if (fields[i].at("name") == field) return static_cast<int>(i);
    return -1;
}

json Cell(const json& packet, size_t row, const std::string& field) {
    const int i = FieldIndex(packet, field);
    if (i < 0) throw std::out_of_range("no field " + field);
    return packet.at("rows").at(row).at(static_cast<size_t>(i));
}

json AllMeetingsParams(const std::string& branch) {
    return {branch, "", "T", "_P_A_C_X", "", "T", "", "T", 0, 0, "T"};
}

json RowOfFields(const std::vector<FieldDef>& fields, const std::map<std::string, json>& values) {
    json row = json::array();
    for (const FieldDef& f : fields) {
        auto it = values.find(f.name);
        row.push_back(it == values.end() ? json() : it->second);
    }
    return row;
}

json DeltaOfFields(const std::vector<FieldDef>& fields, json changes) {
    json f = json::array();
    for (const FieldDef& d : fields)
        f.push_back(FieldDefToJson(d));
    return {{"fields", f}, {"changes", std::move(changes)}};
}

json MeetingDelta(const json& changes) {
    json fields = json::array();
    for (const FieldDef& f : ControleFields())
        fields.push_back(FieldDefToJson(f));
    return {{"fields", fields}, {"changes", changes}};
}

json MeetingRow(const std::string& branch, const std::string& nr, const std::string& ref,
                double start, double hours) {
    json row = json::array();
    for (const FieldDef& f : ControleFields()) {
        if (f.name == "CDFILIAL")
            row.push_back(branch);
        else if (f.name == "NRTAREFA")
            row.push_back(nr);
        else if (f.name == "DSREFETAREFA")
            row.push_back(ref);
        else if (f.name == "CDPROCESSO")
            row.push_back("0000000002");
        else if (f.name == "CDOPERRESP")
            row.push_back(kDemoOperator);
        else if (f.name == "CDASSUNTO")
            row.push_back("00001");
        else if (f.name == "DTHRREUNIAO")
            row.push_back({{"$dt", DateTimeToIso(start)}});
        else if (f.name == "QTHRREUNIAO")
            row.push_back(hours);
        else
            row.push_back(nullptr);
    }
    return row;
}

}  // namespace zel::appserver::test
