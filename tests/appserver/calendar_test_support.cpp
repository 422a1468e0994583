#include "calendar_test_support.h"

#include <httplib.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "appserver/app_server_impl.h"
#include "appserver/calendar_reconciler.h"
#include "appserver/office_setup.h"
#include "meeting_fixture.h"

#ifndef ZEL_TEST_SCRIPT_DIR
#error "ZEL_TEST_SCRIPT_DIR must name the folder of the test scripts"
#endif

namespace zel::appserver::test {

namespace {

std::string Script(const char* name) {
    return std::string(ZEL_TEST_SCRIPT_DIR) + "/" + name;
}

std::string TempDir(const char* what) {
    static std::mt19937_64 rng{std::random_device{}()};
    const auto dir = std::filesystem::temp_directory_path() /
                     (std::string("zel-") + what + "-" + std::to_string(rng() % 1000000000ULL));
    std::filesystem::create_directories(dir);
    return dir.string();
}

std::string Quote(const std::string& arg) {
    std::string out = "'";
    for (const char c : arg)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

}  // namespace

json ReadWithPython(const std::vector<std::string>& args) {
    std::string command = "/usr/bin/python3 " + Quote(Script("calendar_reader.py"));
    for (const std::string& a : args)
        command += " " + Quote(a);
    command += " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        ADD_FAILURE() << "cannot run " << command;
        return nullptr;
    }
    std::string out;
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;)
        out.append(buf, n);
    const int status = pclose(pipe);
    if (status != 0) {
        ADD_FAILURE() << "calendar_reader.py failed: " << out;
        return nullptr;
    }
    return json::parse(out);
}

json ReadCalendarText(const std::string& text, const std::string& from, const std::string& to) {
    const std::string dir = TempDir("ics");
    const std::string path = dir + "/calendar.ics";
    std::ofstream(path, std::ios::binary) << text;
    std::vector<std::string> args = {"ics", path};
    if (!from.empty()) args.insert(args.end(), {"--from", from, "--to", to});
    json out = ReadWithPython(args);
    std::filesystem::remove_all(dir);
    return out;
}

MailSink::MailSink(std::vector<std::string> options) : m_dir(TempDir("mail")) {
    int out[2];
    if (pipe(out) != 0) return;
    std::vector<std::string> args = {"/usr/bin/python3", Script("mail_sink.py"), "--dir", m_dir};
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    m_pid = fork();
    if (m_pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd p{out[0], POLLIN, 0};
        if (poll(&p, 1, 200) <= 0) continue;
        char c;
        if (read(out[0], &c, 1) != 1) break;
        if (c != '\n') {
            line += c;
            continue;
        }
        if (line.rfind("listening ", 0) == 0) {
            m_port = std::stoi(line.substr(10));
            break;
        }
        line.clear();
    }
    close(out[0]);
}

MailSink::~MailSink() {
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
    }
    std::filesystem::remove_all(m_dir);
}

size_t MailSink::Count() const {
    size_t n = 0;
    for (const auto& e : std::filesystem::directory_iterator(m_dir))
        n += e.path().extension() == ".eml";
    return n;
}

bool MailSink::WaitFor(size_t n, std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (Count() < n) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

json MailSink::Messages() const {
    return ReadWithPython({"mail", m_dir});
}

MailSettings SinkMail(const MailSink& sink) {
    MailSettings m;
    m.url = sink.Url();
    m.from = "reunioes@empresa.test";
    m.startTls = false;
    m.retrySeconds = 1;
    m.pollMilliseconds = 100;
    m.timeoutSeconds = 20;
    return m;
}

CalendarServer::CalendarServer(Backend backend,
                               const std::function<void(AppServerOptions&)>& adjust)
    : m_db(backend) {
    if (!m_db.available()) return;
    AppServerOptions o = DemoOptions(m_db.url());
    if (adjust) adjust(o);
    m_server = std::make_unique<AppServer>(o);
    m_rpc = std::make_unique<RpcClient>(*m_server);
    Office([](SqlConnection& c) {
        // The demo meetings were written straight into the tables: calendars learn of them
        // before anyone has an address, as on a server that had them before mail was set up.
        ReconcileCalendars(c, Now(), nullptr);
        office::SetBranchTimeZone(c, "0001", "America/Sao_Paulo");
        office::SetOperatorEmail(c, kAna, "ana@empresa.test");
        office::SetOperatorEmail(c, kBruno, "bruno@empresa.test");
    });
    m_token = Login(kDemoOperator);
}

std::string CalendarServer::Login(const std::string& op, const std::string& branch) {
    return m_rpc->Login(op, branch);
}

json CalendarServer::Call(const std::string& method, json params, const std::string& token) {
    return m_rpc->Call(method, std::move(params), token.empty() ? m_token : token);
}

json CalendarServer::Result(const std::string& method, json params, const std::string& token) {
    return m_rpc->Result(method, std::move(params), token.empty() ? m_token : token);
}

std::string CalendarServer::Error(const std::string& method, json params,
                                  const std::string& token) {
    return m_rpc->ErrorCode(method, std::move(params), token.empty() ? m_token : token);
}

std::vector<SqlRow> CalendarServer::Rows(const std::string& sql, const SqlParams& params) {
    return Impl().db().Transact(false, [&](SqlConnection& c) { return c.Exec(sql, params).rows; });
}

std::string CalendarServer::Value(const std::string& sql, const SqlParams& params) {
    const std::vector<SqlRow> rows = Rows(sql, params);
    return rows.empty() || rows[0][0].IsNull() ? "" : rows[0][0].AsString();
}

void CalendarServer::Office(const std::function<void(SqlConnection&)>& fn) {
    Impl().db().Transact(true, [&](SqlConnection& c) { fn(c); });
}

namespace {

// The meeting's row as GetControle lists it, as field -> value, with the row itself ("_row")
// and the field names ("_fields").
json StoredMeetingRow(const RpcCall& call, const std::string& nr) {
    const json list = call("GetControle", AllMeetingsParams());
    for (size_t i = 0; i < list.at("rows").size(); ++i)
        if (Cell(list, i, "NRTAREFA") == nr) {
            json row = json::object();
            for (const std::string& f : FieldNames(list))
                row[f] = Cell(list, i, f);
            row["_row"] = list.at("rows").at(i);
            row["_fields"] = FieldNames(list);
            return row;
        }
    ADD_FAILURE() << "meeting " << nr << " not listed";
    return json::object();
}

}  // namespace

std::string NewMeetingVia(const RpcCall& call, TDateTime start, double hours,
                          const std::string& ref) {
    const std::string nr = call("GetPrxTarefa", {"0001"}).get<std::string>();
    call("SetControle",
         {MeetingDelta(json::array(
             {{{"op", "insert"}, {"new", MeetingRow("0001", nr, ref, start, hours)}}}))});
    return nr;
}

std::string AddParticipantVia(const RpcCall& call, const std::string& nr, const std::string& op) {
    const std::string number = call("GetPrxPlanAtivTare", {"0001", nr}).get<std::string>();
    const json meeting = StoredMeetingRow(call, nr);
    const Values row = {{"CDFILIAL", "0001"},
                        {"NRTAREFA", nr},
                        {"NRPLATIVTARE", number},
                        {"CDPROCESSO", "0000000002"},
                        {"CDOPERRESP", op},
                        {"DTINPATIVTAR", meeting.at("DTHRREUNIAO")},
                        {"QTHRPATIVTAR", meeting.at("QTHRREUNIAO")},
                        {"QTHRPATIVTARE", "000100"}};
    call("SetAtividades", {ChangesOf(ActivityLayout(), {Insert(ActivityLayout(), row)})});
    return number;
}

HttpRpc::HttpRpc(int port, const std::string& op) : m_port(port) {
    m_token = Cell(Call("Login", {op, "demo", "0001"}), 0, "TOKEN").get<std::string>();
}

json HttpRpc::Call(const std::string& method, json params) {
    httplib::Client client("127.0.0.1", m_port);
    client.set_read_timeout(60, 0);
    httplib::Headers headers;
    if (!m_token.empty()) headers.emplace("Authorization", "Bearer " + m_token);
    const json request = {{"method", method}, {"params", std::move(params)}, {"id", 1}};
    const auto res = client.Post("/rpc", headers, request.dump(), "application/json");
    if (!res) {
        ADD_FAILURE() << method << ": no answer from port " << m_port;
        return nullptr;
    }
    const json r = json::parse(res->body);
    EXPECT_FALSE(r.contains("error")) << method << ": " << r.dump();
    return r.value("result", json());
}

RpcCall HttpRpc::Caller() {
    return [this](const std::string& method, json params) { return Call(method, params); };
}

RpcCall CalendarServer::Caller() {
    return [this](const std::string& method, json params) { return Result(method, params); };
}

std::string CalendarServer::NewMeeting(TDateTime start, double hours, const std::string& ref) {
    return NewMeetingVia(Caller(), start, hours, ref);
}

std::string CalendarServer::AddParticipant(const std::string& nr, const std::string& op) {
    return AddParticipantVia(Caller(), nr, op);
}

void CalendarServer::Delete(const std::string& nr) {
    Result("GetDelAtiv", {"0001", nr});
    const json old = StoredMeetingRow(Caller(), nr);
    const json r = Call("SetControle",
                        {MeetingDelta(json::array({{{"op", "delete"}, {"old", old.at("_row")}}}))});
    EXPECT_FALSE(r.contains("error")) << r.dump();
}

void CalendarServer::Move(const std::string& nr, TDateTime start) {
    const json old = StoredMeetingRow(Caller(), nr);
    json changed = old.at("_row");
    const std::vector<std::string> fields = old.at("_fields");
    const size_t at = static_cast<size_t>(std::find(fields.begin(), fields.end(), "DTHRREUNIAO") -
                                          fields.begin());
    changed.at(at) = {{"$dt", DateTimeToIso(start)}};
    const json r =
        Call("SetControle", {MeetingDelta(json::array(
                                {{{"op", "update"}, {"old", old.at("_row")}, {"new", changed}}}))});
    EXPECT_FALSE(r.contains("error")) << r.dump();
}

}  // namespace zel::appserver::test
