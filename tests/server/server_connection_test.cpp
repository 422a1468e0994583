// The connection's behaviour that does not need a server: connecting to an address nobody
// listens on, malformed answers, arguments and the recorder. Calls against the real
// application server are in server_appserver_test.cpp.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include "platform/exceptions.h"
#include "server/check_server_result.h"
#include "server/in_process_transport.h"
#include "server/server_connection.h"

namespace {

// A loopback port that was free a moment ago: bind to port 0, read the port, close.
int unusedPort() {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    ::close(fd);
    return ntohs(addr.sin_port);
}

class DeadServerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        port = unusedPort();
        net.ConnectTimeout = std::chrono::milliseconds(500);
        net.BeforeConnect = [this](TServerConnection& c) {
            ++connects;
            c.Host = "127.0.0.1";
            c.Port = port;
        };
        SetServerErrorDisplay([this](const std::string& text) { shown.push_back(text); });
    }
    void TearDown() override { SetServerErrorDisplay(nullptr); }

    EServerError callError() {
        try {
            net.AppServer().Call("getHoraServidor");
        } catch (const EServerError& e) {
            return e;
        }
        ADD_FAILURE() << "the call did not raise";
        return EServerError("", "");
    }

    TServerConnection net;
    int port = 0;
    int connects = 0;
    std::vector<std::string> shown;
};

TEST_F(DeadServerTest, CallRaisesTransportErrorNamingTheAddress) {
    auto e = callError();
    EXPECT_EQ(e.Code(), "transport");
    EXPECT_NE(e.Message().find("127.0.0.1:" + std::to_string(port)), std::string::npos)
        << e.Message();
    EXPECT_FALSE(net.Connected());
}

TEST_F(DeadServerTest, EveryCallTriesToConnectAgainThroughBeforeConnect) {
    callError();
    callError();
    EXPECT_EQ(connects, 2);
    EXPECT_TRUE(shown.empty()) << "a failed call raises, it does not show";
}

TEST_F(DeadServerTest, OpenWithoutThrowExceptionShowsTheFailureOnce) {
    net.ThrowException = false;
    net.Open();
    EXPECT_FALSE(net.Connected());
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].find(std::to_string(port)), std::string::npos);
}

TEST_F(DeadServerTest, OpenWithThrowExceptionRaises) {
    net.ThrowException = true;
    EXPECT_THROW(net.Open(), EServerError);
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(connects, 1);
}

// Answers every request with a fixed body, to feed the decoder what the real server never
// sends. The request is kept so the test can look at the envelope.
class FixedAnswerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        net.SetTransport(std::make_shared<InProcessTransport>(
            [this](std::string_view body, std::string_view token) {
                lastBody = nlohmann::json::parse(body);
                lastToken = token;
                return answer;
            }));
    }
    EServerError callError() {
        try {
            net.AppServer().Call("GetX", {ArgRef(text)});
        } catch (const EServerError& e) {
            return e;
        }
        ADD_FAILURE() << "the call did not raise";
        return EServerError("", "");
    }

    TServerConnection net;
    std::string answer;
    nlohmann::json lastBody;
    std::string lastToken;
    std::string text = "before";
};

TEST_F(FixedAnswerTest, EncodesMethodPositionalParamsAndDates) {
    answer = R"({"id":1,"result":null})";
    net.Token = "abc";
    double real = 1.5;
    net.AppServer().Call("GetControle", {Arg("0001"), Arg(7), ArgRef(real),
                                         ArgDate(EncodeDateTime(2026, 12, 7, 14, 30, 0))});
    EXPECT_EQ(lastBody["method"], "GetControle");
    EXPECT_EQ(lastBody["params"].dump(), R"(["0001",7,1.5,{"$dt":"2026-12-07T14:30:00"}])");
    EXPECT_EQ(lastToken, "abc");
}

TEST_F(FixedAnswerTest, SessionTokenProviderIsUsedWhenTheConnectionHasNone) {
    answer = R"({"id":1,"result":null})";
    TServerConnection::SetSessionTokenProvider([] { return std::string("from-login"); });
    net.AppServer().Call("GetX");
    TServerConnection::SetSessionTokenProvider(nullptr);
    EXPECT_EQ(lastToken, "from-login");
}

TEST_F(FixedAnswerTest, ServerErrorCarriesCodeAndOperatorMessageAndKeepsTheConnection) {
    answer =
        R"({"id":1,"error":{"code":"stale","message":"Registro alterado por outro usuário."}})";
    auto e = callError();
    EXPECT_EQ(e.Code(), "stale");
    EXPECT_EQ(e.Message(), "Registro alterado por outro usuário.");
    EXPECT_EQ(text, "before");
    EXPECT_TRUE(net.Connected());
}

TEST_F(FixedAnswerTest, MalformedAnswersAreProtocolErrorsAndWriteNothingBack) {
    for (const char* bad : {"not json", "[1]", R"({"id":99,"result":1})",
                            R"({"id":1,"result":1,"refs":{"0":"new","5":"x"}})",
                            R"({"id":1,"result":1,"refs":{"zero":"x"}})",
                            R"({"id":1,"result":{"odd":true},"refs":{"0":"new"}})"}) {
        answer = bad;
        auto e = callError();
        EXPECT_EQ(e.Code(), "protocol") << bad;
        EXPECT_EQ(text, "before") << bad;
    }
}

TEST_F(FixedAnswerTest, HandlerThatThrowsIsATransportFailureAndDisconnects) {
    net.SetTransport(std::make_shared<InProcessTransport>(
        [](std::string_view, std::string_view) -> std::string { throw std::runtime_error("boom"); },
        "test-server"));
    auto e = callError();
    EXPECT_EQ(e.Code(), "transport");
    EXPECT_NE(e.Message().find("test-server"), std::string::npos);
    EXPECT_FALSE(net.Connected());
}

TEST_F(FixedAnswerTest, RefsOfEveryKindAreWrittenBack) {
    answer =
        R"({"id":1,"result":"ok","refs":{"0":"new","1":12,"2":2.5,"3":{"$dt":"2026-12-07T10:00:00"}}})";
    int64_t n = 0;
    double x = 0;
    TDateTime when = 0;
    Variant r =
        net.AppServer().Call("GetX", {ArgRef(text), ArgRef(n), ArgRef(x), ArgRefDate(when)});
    EXPECT_EQ(r, Variant("ok"));
    EXPECT_EQ(text, "new");
    EXPECT_EQ(n, 12);
    EXPECT_EQ(x, 2.5);
    EXPECT_EQ(DateTimeToIso(when), "2026-12-07T10:00:00");
}

TEST(CallRecorderTest, RecordsEveryCallInOrderEvenFailedOnes) {
    TServerConnection net;
    net.SetTransport(std::make_shared<InProcessTransport>([](std::string_view, std::string_view) {
        return std::string(R"({"id":1,"error":{"code":"x","message":"no"}})");
    }));
    auto recorder = std::make_shared<CallRecorder>();
    net.SetRecorder(recorder);
    std::string seq;
    EXPECT_THROW(net.AppServer().Call("getHoraServidor"), EServerError);
    EXPECT_THROW(net.AppServer().Call("GetSeqSalas", {ArgRef(seq), ArgDate(EncodeDate(2026, 12, 7)),
                                                      Arg(1.5), Arg(Variant())}),
                 EServerError);
    EXPECT_EQ(recorder->ToString(),
              "getHoraServidor()\n"
              "GetSeqSalas(&'', #2026-12-07T00:00:00#, 1.5, null)");
}

TEST(CheckServerResultTest, ReturnsTheDataPart) {
    auto packet = Variant::FromPacket(
        nlohmann::json{{"fields", nlohmann::json::array()}, {"rows", nlohmann::json::array()}});
    EXPECT_EQ(CheckServerResult(packet, true, 0), packet);
    EXPECT_EQ(CheckServerResult(Variant("0000000012"), false, 0), Variant("0000000012"));
}

}  // namespace
