// HTTPS end to end with throw-away certificates: the zel-appserver executable serving TLS
// (from its flags and from its configuration file) to the client connection the host and the
// modules use, the client refusing servers it cannot trust and saying why, the server refusing
// certificate files it cannot use with exit code 6, and the suites it agrees to.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <openssl/ssl.h>
#include <sys/socket.h>
#include <unistd.h>

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

// Whether a TLS handshake with the server on `port` succeeds when the client offers only the
// TLS 1.2 suites `ciphers`, or only TLS 1.3 (ciphers null).
bool Handshakes(int port, const char* ciphers) {
    SSL_CTX* ctx = SSL_CTX_new(TLS_client_method());
    if (ciphers) {
        SSL_CTX_set_max_proto_version(ctx, TLS1_2_VERSION);
        // Level 0 lets the client offer what a careless client would.
        SSL_CTX_set_security_level(ctx, 0);
        if (SSL_CTX_set_cipher_list(ctx, ciphers) != 1) ADD_FAILURE() << "unknown " << ciphers;
    } else {
        SSL_CTX_set_min_proto_version(ctx, TLS1_3_VERSION);
    }
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool ok = false;
    if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
        SSL* ssl = SSL_new(ctx);
        SSL_set_fd(ssl, fd);
        ok = SSL_connect(ssl) == 1;
        if (ok) SSL_shutdown(ssl);
        SSL_free(ssl);
    }
    close(fd);
    SSL_CTX_free(ctx);
    return ok;
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

TEST_F(TlsTest, OnlyForwardSecretAeadSuitesAreAgreedTo) {
    // An RSA certificate, which static-RSA key exchange could use if it were allowed.
    const auto server = Serve(certs.RsaServerCert(), certs.RsaServerKey());
    for (const char* weak :
         {"AES128-SHA", "AES256-SHA", "AES128-SHA256", "AES128-GCM-SHA256", "AES256-GCM-SHA384",
          "ECDHE-RSA-AES128-SHA", "ECDHE-RSA-AES256-SHA384", "DHE-RSA-AES128-GCM-SHA256"})
        EXPECT_FALSE(Handshakes(server->Port(), weak)) << weak;
    for (const char* good : {"ECDHE-RSA-AES128-GCM-SHA256", "ECDHE-RSA-AES256-GCM-SHA384",
                             "ECDHE-RSA-CHACHA20-POLY1305"})
        EXPECT_TRUE(Handshakes(server->Port(), good)) << good;
    EXPECT_TRUE(Handshakes(server->Port(), nullptr)) << "TLS 1.3";
    // The EC certificate the other tests use gets its own forward-secret suites.
    const auto ec = Serve(certs.ServerCert(), certs.ServerKey());
    EXPECT_TRUE(Handshakes(ec->Port(), "ECDHE-ECDSA-AES128-GCM-SHA256"));
    EXPECT_FALSE(Handshakes(ec->Port(), "ECDHE-ECDSA-AES128-SHA"));
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
