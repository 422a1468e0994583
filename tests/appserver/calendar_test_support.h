// Helpers for the calendar tests: another program's view of what the server wrote
// (calendar_reader.py: Python's email, python3-icalendar, dateutil), a real SMTP server
// started by the test (mail_sink.py, aiosmtpd), and an application server with the demo data
// whose branch 0001 runs on a named zone, meetings and participants made through the
// server's own methods.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "rpc_test_server.h"
#include "test_support.h"

namespace zel::appserver::test {

inline constexpr const char* kAna = "000000000002";    // branch 0001 only
inline constexpr const char* kBruno = "000000000003";  // branches 0001 and 0002
inline constexpr const char* kCarla = "000000000004";  // branch 0001 only

// calendar_reader.py's JSON for `args` ("ics FILE ..." or "mail DIR"); null after a failure
// (the test fails with the script's output).
json ReadWithPython(const std::vector<std::string>& args);
// Writes `text` to a fresh temporary file and reads it as a calendar ("ics FILE").
json ReadCalendarText(const std::string& text, const std::string& from = "",
                      const std::string& to = "");

// mail_sink.py as a process of its own, on a free loopback port, writing each message it
// accepts into a temporary folder; stopped and removed on destruction.
class MailSink {
  public:
    explicit MailSink(std::vector<std::string> options = {});
    ~MailSink();
    MailSink(const MailSink&) = delete;
    MailSink& operator=(const MailSink&) = delete;

    int Port() const { return m_port; }  // 0 when it did not start
    const std::string& Dir() const { return m_dir; }
    std::string Url() const { return "smtp://127.0.0.1:" + std::to_string(m_port); }
    size_t Count() const;
    // Waits until `n` messages arrived; false after `timeout`.
    bool WaitFor(size_t n, std::chrono::milliseconds timeout) const;
    // Every message as calendar_reader.py reads it, in arrival order.
    json Messages() const;

  private:
    pid_t m_pid = -1;
    int m_port = 0;
    std::string m_dir;
};

// Mail settings for a sink without TLS (a relay on the loopback).
MailSettings SinkMail(const MailSink& sink);

// One call of the server's methods with the session of whoever makes it; returns the result
// (a failed call fails the test and returns null).
using RpcCall = std::function<json(const std::string& method, json params)>;

// A meeting of branch 0001 saved as the window saves it (GetPrxTarefa, SetControle).
std::string NewMeetingVia(const RpcCall& call, TDateTime start, double hours,
                          const std::string& ref);
// A participant's activity in it (GetPrxPlanAtivTare, SetAtividades); returns its number.
std::string AddParticipantVia(const RpcCall& call, const std::string& nr, const std::string& op);

// Calls over HTTP to a zel-appserver on the loopback, logged in as `op` on branch 0001.
class HttpRpc {
  public:
    HttpRpc(int port, const std::string& op = kDemoOperator);
    json Call(const std::string& method, json params);
    // Call as an RpcCall.
    RpcCall Caller();

  private:
    int m_port;
    std::string m_token;
};

// A demo-data server on `backend` (PostgreSQL: the throw-away server of ZEL_TEST_PG); branch
// 0001 on America/Sao_Paulo; Ana and Bruno with addresses; the demo operator logged in.
class CalendarServer {
  public:
    explicit CalendarServer(Backend backend,
                            const std::function<void(AppServerOptions&)>& adjust = {});
    bool available() const { return m_db.available(); }

    AppServer& Server() { return *m_server; }
    AppServerImpl& Impl() { return m_server->Impl(); }
    const std::string& Token() const { return m_token; }
    std::string Login(const std::string& op, const std::string& branch = "0001");

    json Call(const std::string& method, json params, const std::string& token = "");
    json Result(const std::string& method, json params, const std::string& token = "");
    std::string Error(const std::string& method, json params, const std::string& token = "");

    std::vector<SqlRow> Rows(const std::string& sql, const SqlParams& params = {});
    std::string Value(const std::string& sql, const SqlParams& params = {});
    // Runs `fn` in a write transaction straight on the database (what an admin command does).
    void Office(const std::function<void(SqlConnection&)>& fn);

    // NewMeetingVia and AddParticipantVia as the demo operator.
    std::string NewMeeting(TDateTime start, double hours, const std::string& ref);
    std::string AddParticipant(const std::string& nr, const std::string& op);
    RpcCall Caller();
    // Moves the meeting to `start` (SetControle update).
    void Move(const std::string& nr, TDateTime start);
    // Deletes a pending meeting as the window does: its activities, then the meeting.
    void Delete(const std::string& nr);

  private:
    TestDatabase m_db;
    std::unique_ptr<AppServer> m_server;
    std::unique_ptr<RpcClient> m_rpc;
    std::string m_token;
};

}  // namespace zel::appserver::test
