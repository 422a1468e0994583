// The connection against the real application server (in-memory SQLite with the demo data),
// in process and over HTTP on loopback.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "appserver/app_server.h"
#include "appserver/http_server.h"
#include "platform/client_data_set.h"
#include "platform/exceptions.h"
#include "server/in_process_transport.h"
#include "server/server_connection.h"

namespace {

using zel::appserver::AppServer;
using zel::appserver::AppServerOptions;
using zel::appserver::HttpServer;
using zel::appserver::HttpServerOptions;

AppServerOptions demoOptions() {
    AppServerOptions o;
    o.demo = true;
    o.fastPasswordHashing = true;
    return o;
}

std::string login(TServerConnection& net, const std::string& password = "demo") {
    TClientDataSet cds;
    cds.SetData(net.AppServer().Call("Login", {Arg("000000000001"), Arg(password), Arg("0001")}));
    return cds.FieldByName("TOKEN").AsString();
}

class InProcessTest : public ::testing::Test {
  protected:
    void SetUp() override {
        net.SetTransport(std::make_shared<InProcessTransport>(
            [this](std::string_view body, std::string_view token) {
                return app.HandleRpc(body, token);
            }));
        net.SetRecorder(recorder);
    }
    AppServer app{demoOptions()};
    TServerConnection net;
    std::shared_ptr<CallRecorder> recorder = std::make_shared<CallRecorder>();
};

TEST_F(InProcessTest, ServerErrorRaisesWithTheServersMessage) {
    try {
        login(net, "wrong");
        FAIL() << "a wrong password was accepted";
    } catch (const EServerError& e) {
        EXPECT_EQ(e.Code(), "unauthenticated");
        EXPECT_FALSE(e.Message().empty());
    }
    EXPECT_TRUE(net.Connected());
}

TEST_F(InProcessTest, CallsWithTheLoginTokenAndRecordsThem) {
    net.Token = login(net);
    TClientDataSet hora;
    hora.SetData(net.AppServer().Call("getHoraServidor"));
    EXPECT_GT(hora.FieldByName("SYSDATE").AsDateTime(), EncodeDate(2020, 1, 1));
    EXPECT_EQ(recorder->ToString(),
              "Login('000000000001', 'demo', '0001')\n"
              "getHoraServidor()");
}

TEST_F(InProcessTest, ByReferenceArgumentIsWrittenBack) {
    net.Token = login(net);
    TClientDataSet meetings;
    meetings.SetData(net.AppServer().Call(
        "GetControle", {Arg("0001"), Arg(""), Arg("T"), Arg("_P"), Arg(""), Arg("T"), Arg(""),
                        Arg("T"), ArgDate(0), ArgDate(0), Arg("T")}));
    ASSERT_FALSE(meetings.IsEmpty());
    const std::string nr = meetings.FieldByName("NRTAREFA").AsString();
    const TDateTime start = meetings.FieldByName("DTHRREUNIAO").AsDateTime();
    std::string number;  // the server hands out the activity number
    try {
        net.AppServer().Call("GetInsCadAtiv", {Arg("0001"), Arg(nr), ArgRef(number), Arg(""),
                                               ArgDate(start), Arg("000000000003"), ArgDate(start),
                                               ArgDate(start + 1.0 / 24), Arg("1"), Arg("")});
    } catch (const EServerError& e) {
        if (e.Code() == "unknown_method") GTEST_SKIP() << "GetInsCadAtiv is not served yet";
        throw;
    }
    EXPECT_FALSE(number.empty());
}

// A real HTTP server on a loopback port, stopped and started again on the same port.
TEST(HttpConnectionTest, DroppedServerGivesTransportErrorAndNextCallReconnects) {
    AppServer app{demoOptions()};
    HttpServerOptions options;
    options.port = 0;
    options.threads = 2;
    auto server = std::make_unique<HttpServer>(app, options);
    server->Start();
    const int port = server->Port();

    TServerConnection net;
    int connects = 0;
    net.BeforeConnect = [&](TServerConnection& c) {
        ++connects;
        c.Host = "127.0.0.1";
        c.Port = port;
    };
    net.Open();
    ASSERT_TRUE(net.Connected());
    net.Token = login(net);
    net.AppServer().Call("getHoraServidor");
    EXPECT_EQ(connects, 1);

    server->Stop();
    server.reset();
    try {
        net.AppServer().Call("getHoraServidor");
        FAIL() << "a call to a stopped server succeeded";
    } catch (const EServerError& e) {
        EXPECT_EQ(e.Code(), "transport");
        EXPECT_NE(e.Message().find("127.0.0.1:" + std::to_string(port)), std::string::npos);
    }
    EXPECT_FALSE(net.Connected());

    options.port = port;
    server = std::make_unique<HttpServer>(app, options);
    server->Start();
    net.AppServer().Call("getHoraServidor");
    EXPECT_EQ(connects, 2) << "the call after the failure connected afresh";
    EXPECT_TRUE(net.Connected());
}

}  // namespace
