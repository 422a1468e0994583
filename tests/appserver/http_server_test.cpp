// The HTTP wrapper on loopback (in process), and the zel-appserver executable end to end:
// its address line, its exit codes, its admin commands.
#include <httplib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "appserver/http_server.h"
#include "test_support.h"

namespace zel::appserver::test {
namespace {

class HttpServerTest : public ::testing::Test {
  protected:
    HttpServerTest()
        : http(server, [] {
              HttpServerOptions o;
              o.port = 0;
              o.threads = 4;
              o.maxBodyBytes = 64 * 1024;
              return o;
          }()) {
        http.Start();
    }
    httplib::Client Client() {
        httplib::Client c("127.0.0.1", http.Port());
        c.set_tcp_nodelay(true);
        c.set_keep_alive(true);
        return c;
    }
    static json Body(const httplib::Result& r) { return json::parse(r->body); }
    static std::string Request(const std::string& method, const json& params) {
        return json{{"method", method}, {"params", params}, {"id", 1}}.dump();
    }

    AppServer server{DemoOptions()};
    HttpServer http;
};

TEST_F(HttpServerTest, ServesRpcWithBearerTokenOverOneKeptAliveConnection) {
    httplib::Client c = Client();
    const auto login =
        c.Post("/rpc", Request("Login", {kDemoOperator, "demo", "0001"}), "application/json");
    ASSERT_TRUE(login);
    EXPECT_EQ(login->status, 200);
    const std::string token = Cell(Body(login)["result"], 0, "TOKEN");
    httplib::Headers auth = {{"Authorization", "Bearer " + token}};
    for (int i = 0; i < 20; ++i) {
        const auto r =
            c.Post("/rpc", auth, Request("getHoraServidor", json::array()), "application/json");
        ASSERT_TRUE(r) << i;
        EXPECT_FALSE(Body(r).contains("error"));
    }
    const auto none = c.Post("/rpc", Request("getHoraServidor", json::array()), "application/json");
    EXPECT_EQ(none->status, 200);
    EXPECT_EQ(Body(none)["error"]["code"], "unauthenticated");
}

TEST_F(HttpServerTest, EveryRpcAnswerIsAnEnvelope) {
    httplib::Client c = Client();
    const auto bad = c.Post("/rpc", "{not json", "application/json");
    EXPECT_EQ(bad->status, 200);
    EXPECT_EQ(Body(bad)["error"]["code"], "bad_request");
    EXPECT_TRUE(Body(bad)["id"].is_null());
    const auto big = c.Post("/rpc", std::string(100 * 1024, ' '), "application/json");
    ASSERT_TRUE(big);
    EXPECT_EQ(big->status, 413);
    EXPECT_EQ(Body(big)["error"]["code"], "bad_request");
}

TEST_F(HttpServerTest, HealthAnswersWhileTheDatabaseDoes) {
    const auto r = Client().Get("/health");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 200);
}

TEST_F(HttpServerTest, SecondServerOnAPortInUseFailsToStart) {
    HttpServerOptions o;
    o.port = http.Port();
    HttpServer second(server, o);
    EXPECT_THROW(second.Start(), std::runtime_error);
    http.Stop();
    http.Stop();  // idempotent
}

// The executable, started as an administrator would.
class ExecutableTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() / ("zel-exe-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir);
        db = "sqlite:" + (dir / "zel.db").string();
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    static int Run(const std::string& args) {
        const int rc =
            std::system((std::string(ZEL_APPSERVER_EXE) + " " + args + " >/dev/null 2>&1").c_str());
        return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    }
    std::filesystem::path dir;
    std::string db;
};

TEST_F(ExecutableTest, ServesOnAFreePortAndStopsCleanlyOnTerm) {
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        close(out[0]);
        execl(ZEL_APPSERVER_EXE, ZEL_APPSERVER_EXE, "--db", db.c_str(), "--listen", "127.0.0.1:0",
              "--demo", "--log-level", "off", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    FILE* f = fdopen(out[0], "r");
    char line[128] = {0};
    ASSERT_NE(fgets(line, sizeof line, f), nullptr);
    int port = 0;
    ASSERT_EQ(std::sscanf(line, "listening 127.0.0.1:%d", &port), 1) << line;
    httplib::Client c("127.0.0.1", port);
    const auto r =
        c.Post("/rpc", R"({"method":"Login","params":["000000000001","demo","0001"],"id":1})",
               "application/json");
    ASSERT_TRUE(r);
    EXPECT_FALSE(json::parse(r->body).contains("error")) << r->body;
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    fclose(f);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST_F(ExecutableTest, ExitCodesTellWhatWentWrong) {
    EXPECT_EQ(Run("--no-such-flag"), 2);
    EXPECT_EQ(Run("--listen nonsense"), 2);
    EXPECT_EQ(Run("--db postgresql://127.0.0.1:1/none migrate"), 3);
    EXPECT_EQ(Run("--db " + db + " migrate"), 0);
}

TEST_F(ExecutableTest, AdminCommandsSetUpAnOffice) {
    EXPECT_EQ(Run("--db " + db + " branch add 0007 Norte"), 0);
    EXPECT_EQ(Run("--db " + db + " branch add 0007 Norte"), 5);
    EXPECT_EQ(Run("--db " + db + " room add 0007 00001 'Sala Norte'"), 0);
    EXPECT_EQ(Run("--db " + db + " room add 0007 000001 'Código longo'"), 5);
    EXPECT_EQ(Run("--db " + db + " room add 0099 00001 'Sem filial'"), 5);
    EXPECT_EQ(Run("--db " + db +
                  " operator add 000000000007 'Nova Pessoa' --branch 0007 --password s3nha"),
              0);
    EXPECT_EQ(Run("--db " + db + " operator grant 000000000007 0099"), 5);

    AppServerOptions o;
    o.db = db;
    AppServer server(o);
    RpcClient rpc(server);
    EXPECT_EQ(rpc.ErrorCode("Login", {"000000000007", "s3nha", "0007"}), "");
    EXPECT_EQ(Run("--db " + db + " operator disable 000000000007"), 0);
    EXPECT_EQ(rpc.ErrorCode("Login", {"000000000007", "s3nha", "0007"}), "unauthenticated");
}

}  // namespace
}  // namespace zel::appserver::test
