// HTTPS end to end with throw-away certificates: the zel-appserver executable serving TLS
// (from its flags and from its configuration file) to the client connection the host and the
// modules use, the client refusing servers it cannot trust and saying why, and the server
// refusing certificate files it cannot use with exit code 6.
#include <gtest/gtest.h>
#include <httplib.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <random>

#include "appserver/http_server.h"
#include "client_calls.h"
#include "platform/client_data_set.h"
#include "platform/exceptions.h"
#include "server/server_connection.h"
#include "server_process.h"
#include "test_support.h"
#include "tls_certificates.h"

namespace zel::appserver::test {
namespace {

// The message of the transport error a connect raises ("" when it connected).
std::string ConnectError(TServerConnection& net) {
    net.ThrowException = true;
    try {
        net.Open();
        return "";
    } catch (const EServerError& e) {
        EXPECT_EQ(e.Code(), "transport");
        return e.Message();
    }
}

std::string LoginToken(TServerConnection& net) {
    TClientDataSet cds;
    cds.SetData(net.AppServer().Call("Login", {Arg(kDemoOperator), Arg("demo"), Arg("0001")}));
    return cds.FieldByName("TOKEN").AsString();
}

class TlsTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(certs.ok()) << certs.Error(); }
    // An in-process HTTPS server with the given certificate.
    std::unique_ptr<HttpServer> Serve(const std::string& cert, const std::string& key) {
        HttpServerOptions o;
        o.port = 0;
        o.threads = 2;
        o.tlsCert = cert;
        o.tlsKey = key;
        auto http = std::make_unique<HttpServer>(app, o);
        http->Start();
        return http;
    }
    static void Point(TServerConnection& net, int port, TlsOptions tls) {
        net.Host = "127.0.0.1";
        net.Port = port;
        net.Tls = std::move(tls);
    }

    TlsCertificates certs;
    AppServer app{DemoOptions()};
};

TEST_F(TlsTest, ExecutableServesTheClientOverHttpsCheckedAgainstAPrivateCa) {
    std::mt19937_64 rng{std::random_device{}()};
    const std::filesystem::path db =
        std::filesystem::temp_directory_path() / ("zel-tls-" + std::to_string(rng()) + ".db");
    {
        ServerProcess server({"--db", "sqlite:" + db.string(), "--demo", "--log-level", "warn",
                              "--tls-cert", certs.ServerCert(), "--tls-key", certs.ServerKey()});
        ASSERT_GT(server.Port(), 0) << "zel-appserver did not start";

        TServerConnection net;
        Point(net, server.Port(), {true, certs.CaCert()});
        net.Token = LoginToken(net);
        EXPECT_EQ(net.Address(), "https://127.0.0.1:" + std::to_string(server.Port()));
        EXPECT_FALSE(CallJson(net, "GetControle", AllMeetingsParams())["rows"].empty());

        // Plain HTTP to the TLS port gets no answer, and the client suggests https://.
        TServerConnection plain;
        Point(plain, server.Port(), {});
        EXPECT_NE(ConnectError(plain).find("https://"), std::string::npos);
    }
    std::filesystem::remove(db);
}

TEST_F(TlsTest, ClientRefusesServersItCannotTrustAndSaysWhy) {
    const auto trusted = Serve(certs.ServerCert(), certs.ServerKey());
    const auto otherHost = Serve(certs.OtherHostCert(), certs.OtherHostKey());
    const auto stranger = Serve(certs.StrangerCert(), certs.StrangerKey());
    struct Case {
        const char* what;
        int port;
        std::string caFile;
        std::string says;
    } cases[] = {
        {"private CA not given", trusted->Port(), "", "autoridade desconhecida"},
        {"self-signed stranger", stranger->Port(), certs.CaCert(), "não foi emitido pela CA"},
        {"certificate of another host", otherHost->Port(), certs.CaCert(),
         "não vale para o nome 127.0.0.1"},
        {"CA file missing", trusted->Port(), certs.Path("missing.crt"), "não pode ser lido"},
        {"CA file not PEM", trusted->Port(), certs.Write("junk.crt", "not a certificate\n"),
         "não contém certificados PEM"},
    };
    for (const Case& c : cases) {
        TServerConnection net;
        Point(net, c.port, {true, c.caFile});
        const std::string error = ConnectError(net);
        EXPECT_NE(error.find(c.says), std::string::npos) << c.what << ": " << error;
        EXPECT_NE(error.find("https://127.0.0.1:" + std::to_string(c.port)), std::string::npos)
            << c.what << ": " << error;
        EXPECT_FALSE(net.Connected()) << c.what;
    }
    TServerConnection good;
    Point(good, trusted->Port(), {true, certs.CaCert()});
    EXPECT_EQ(ConnectError(good), "");
}

TEST_F(TlsTest, HttpsClientAgainstAPlainServerFailsTheHandshake) {
    HttpServerOptions o;
    o.port = 0;
    HttpServer plain(app, o);
    plain.Start();
    TServerConnection net;
    Point(net, plain.Port(), {true, certs.CaCert()});
    EXPECT_NE(ConnectError(net).find("TLS"), std::string::npos);
}

TEST_F(TlsTest, DefaultTlsAppliesToConnectionsThatSetOnlyHostAndPort) {
    const auto trusted = Serve(certs.ServerCert(), certs.ServerKey());
    TServerConnection::SetDefaultTls({true, certs.CaCert()});
    TServerConnection net;
    net.Host = "127.0.0.1";
    net.Port = trusted->Port();
    const std::string error = ConnectError(net);
    TServerConnection::SetDefaultTls({});
    EXPECT_EQ(error, "");
}

TEST_F(TlsTest, UnusableCertificateFilesStopTheServerWithExitCodeSix) {
    const std::string junk = certs.Write("junk.pem", "not a certificate\n");
    struct Case {
        const char* what;
        std::string cert, key;
        int exitCode;
        std::string says;
    } cases[] = {
        {"missing certificate", certs.Path("none.crt"), certs.ServerKey(), 6, "none.crt"},
        {"certificate not PEM", junk, certs.ServerKey(), 6, "is not a PEM certificate"},
        {"key not PEM", certs.ServerCert(), junk, 6, "is not an unencrypted PEM private key"},
        {"key of another certificate", certs.ServerCert(), certs.StrangerKey(), 6,
         "does not belong to the certificate"},
        {"certificate without key", certs.ServerCert(), "", 2, "--tls-key"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"--db",        "sqlite::memory:", "--listen",
                                         "127.0.0.1:0", "--tls-cert",      c.cert};
        if (!c.key.empty()) args.insert(args.end(), {"--tls-key", c.key});
        const RunResult r = RunAppServer(args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.what << ": " << r.errors;
        EXPECT_NE(r.errors.find(c.says), std::string::npos) << c.what << ": " << r.errors;
    }
}

TEST_F(TlsTest, ConfigurationFileSetsDatabaseAddressTlsAndLogLevel) {
    const std::string conf =
        certs.Write("appserver.conf",
                    "# written by the test\ndb = \"sqlite::memory:\"\ndemo = true\n"
                    "log-level = \"warn\"\ntls-cert = \"" +
                        certs.ServerCert() + "\"\ntls-key = \"" + certs.ServerKey() + "\"\n");
    {
        ServerProcess server({"--config", conf});
        ASSERT_GT(server.Port(), 0) << "zel-appserver did not start from " << conf;
        TServerConnection net;
        Point(net, server.Port(), {true, certs.CaCert()});
        EXPECT_FALSE(LoginToken(net).empty());
    }
    const std::string typo = certs.Write("typo.conf", "databse = \"sqlite::memory:\"\n");
    const RunResult r = RunAppServer({"--config", typo, "migrate"});
    EXPECT_EQ(r.exitCode, 2) << r.errors;
    EXPECT_NE(r.errors.find("databse"), std::string::npos) << r.errors;
    EXPECT_EQ(RunAppServer({"--config", certs.Path("none.conf"), "migrate"}).exitCode, 2);
}

}  // namespace
}  // namespace zel::appserver::test
