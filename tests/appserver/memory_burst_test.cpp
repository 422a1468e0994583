// The zel-appserver executable under a burst of hostile bodies: eight clients at once, each
// sending a 16 MiB request of empty lists. Without a login every one is refused from its
// headers; with one, by the count of values before anything is decoded. The server's resident
// memory is read from /proc before the burst, at its peak during it and after it, and printed
// (the figures the release build is quoted by).
#include <httplib.h>

#include <fstream>
#include <iostream>
#include <thread>

#include "appserver/app_server.h"
#include "server_process.h"
#include "test_support.h"

namespace zel::appserver::test {
namespace {

constexpr long kMiB = 1024;  // in the KiB /proc speaks

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

// A field of /proc/PID/status in KiB (VmRSS: resident now, VmHWM: peak since the last reset).
long ProcKib(pid_t pid, const std::string& field) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind(field + ":", 0) == 0) return std::stol(line.substr(field.size() + 1));
    return -1;
}

// Starts the peak over from the resident size now.
void ResetPeak(pid_t pid) {
    std::ofstream("/proc/" + std::to_string(pid) + "/clear_refs") << "5";
}

std::string Lists(size_t bytes) {
    std::string body = R"({"method":"GetControle","params":[)";
    while (body.size() + 16 < bytes)
        body += "[],";
    return body + R"([]],"id":1})";
}

struct Burst {
    long before = 0, peak = 0, after = 0;  // KiB
    std::vector<int> statuses;
    std::vector<std::string> codes;
};

Burst Send(pid_t pid, int port, const std::string& body, const std::string& token) {
    Burst b;
    b.before = ProcKib(pid, "VmRSS");
    ResetPeak(pid);
    b.statuses.assign(8, 0);
    b.codes.assign(8, "");
    std::vector<std::thread> clients;
    for (size_t i = 0; i < 8; ++i) {
        clients.emplace_back([&, i] {
            httplib::Client c("127.0.0.1", port);
            c.set_read_timeout(120, 0);
            c.set_write_timeout(120, 0);
            httplib::Headers h;
            if (!token.empty()) h = {{"Authorization", "Bearer " + token}};
            const auto r = c.Post("/rpc", h, body, "application/json");
            if (!r) return;
            b.statuses[i] = r->status;
            const json e = json::parse(r->body, nullptr, false);
            if (e.is_object() && e.contains("error")) b.codes[i] = e["error"]["code"];
        });
    }
    for (std::thread& t : clients)
        t.join();
    b.peak = ProcKib(pid, "VmHWM");
    b.after = ProcKib(pid, "VmRSS");
    return b;
}

void Report(const char* what, const Burst& b) {
    std::cout << what << ": server RSS before " << b.before / kMiB << " MiB, peak during "
              << b.peak / kMiB << " MiB, after " << b.after / kMiB << " MiB"
              << (kSanitized ? " (ASan build)" : "") << std::endl;
}

TEST(MemoryBurstTest, SixteenMegabyteBodiesLeaveTheServersMemoryWithinItsBound) {
    TestDatabase database(Backend::SqliteFile);
    ServerProcess server({"--db", database.url(), "--demo", "--log-level", "error"});
    ASSERT_GT(server.Port(), 0) << "zel-appserver did not start";
    httplib::Client c("127.0.0.1", server.Port());
    const auto login = c.Post(
        "/rpc",
        json{{"method", "Login"}, {"params", {kDemoOperator, "demo", "0001"}}, {"id", 1}}.dump(),
        "application/json");
    ASSERT_TRUE(login);
    const std::string token = Cell(json::parse(login->body)["result"], 0, "TOKEN");
    const std::string body = Lists(16 * 1024 * 1024);

    const Burst anonymous = Send(server.Pid(), server.Port(), body, "");
    Report("8 x 16 MiB without a login", anonymous);
    EXPECT_EQ(anonymous.statuses, std::vector<int>(8, 413));
    EXPECT_EQ(anonymous.codes, std::vector<std::string>(8, "bad_request"));
    // Nothing of a refused body is kept: the peak is the resting size (the sanitizer's own
    // bookkeeping aside).
    if (kSanitized)
        EXPECT_LT(anonymous.peak - anonymous.before, 64 * kMiB);
    else
        EXPECT_LT(anonymous.peak, 256 * kMiB);

    // With a session the bodies are read, then refused by their count of values.
    const Burst withSession = Send(server.Pid(), server.Port(), body, token);
    Report("8 x 16 MiB with a session", withSession);
    EXPECT_EQ(withSession.statuses, std::vector<int>(8, 400));
    EXPECT_EQ(withSession.codes, std::vector<std::string>(8, "bad_request"));
    EXPECT_LT(withSession.peak - withSession.before, 8 * 16 * kMiB + 96 * kMiB);
}

}  // namespace
}  // namespace zel::appserver::test
