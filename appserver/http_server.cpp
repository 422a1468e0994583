#include "appserver/http_server.h"

#include <httplib.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <spdlog/spdlog.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "appserver/app_server.h"
#include "appserver/calendar_feed_route.h"

#ifndef CPPHTTPLIB_OPENSSL_SUPPORT
#error "cpp-httplib must be built with OpenSSL (use its pkg-config flags)"
#endif

namespace zel::appserver {

namespace {

constexpr const char* kJson = "application/json; charset=utf-8";

std::string BearerToken(const httplib::Request& req) {
    const std::string h = req.get_header_value("Authorization");
    static const std::string prefix = "Bearer ";
    if (h.size() > prefix.size() && strncasecmp(h.c_str(), prefix.c_str(), prefix.size()) == 0)
        return h.substr(prefix.size());
    return {};
}

std::string Envelope(const char* code, const std::string& message) {
    return nlohmann::json{{"id", nullptr}, {"error", {{"code", code}, {"message", message}}}}
        .dump();
}

// The last OpenSSL error of this thread as text, and the queue cleared.
std::string OpenSslReason() {
    const unsigned long code = ERR_peek_last_error();
    ERR_clear_error();
    if (code == 0) return "unknown reason";
    char text[256];
    ERR_error_string_n(code, text, sizeof text);
    return text;
}

void RequireReadable(const std::string& path, const char* what) {
    if (access(path.c_str(), R_OK) != 0)
        throw TlsSetupError(std::string("cannot read the TLS ") + what + " " + path + ": " +
                            std::strerror(errno));
}

// Loads certificate chain and key into `ctx`; throws TlsSetupError naming the file at fault.
void LoadCertificate(SSL_CTX& ctx, const std::string& cert, const std::string& key) {
    SSL_CTX_set_min_proto_version(&ctx, TLS1_2_VERSION);
    SSL_CTX_set_options(&ctx, SSL_OP_NO_COMPRESSION | SSL_OP_NO_RENEGOTIATION);
    if (SSL_CTX_use_certificate_chain_file(&ctx, cert.c_str()) != 1)
        throw TlsSetupError("the TLS certificate " + cert +
                            " is not a PEM certificate: " + OpenSslReason());
    const bool keyLoaded = SSL_CTX_use_PrivateKey_file(&ctx, key.c_str(), SSL_FILETYPE_PEM) == 1;
    // Loading a key compares it with the certificate already; a mismatch is its own reason.
    if (!keyLoaded && ERR_GET_REASON(ERR_peek_last_error()) != X509_R_KEY_VALUES_MISMATCH)
        throw TlsSetupError("the TLS key " + key +
                            " is not an unencrypted PEM private key: " + OpenSslReason());
    if (!keyLoaded || SSL_CTX_check_private_key(&ctx) != 1) {
        ERR_clear_error();
        throw TlsSetupError("the TLS key " + key + " does not belong to the certificate " + cert);
    }
    // An expired certificate still loads; clients will refuse it, so say so here too.
    if (X509* x = SSL_CTX_get0_certificate(&ctx);
        x && X509_cmp_current_time(X509_get0_notAfter(x)) < 0)
        spdlog::warn("the TLS certificate {} has expired; clients will refuse it", cert);
}

}  // namespace

HttpServer::HttpServer(AppServer& app, HttpServerOptions opts)
    : m_app(app), m_opts(std::move(opts)) {}

HttpServer::~HttpServer() {
    Stop();
}

std::string HttpServer::Address() const {
    return m_opts.host + ":" + std::to_string(m_port);
}

std::unique_ptr<httplib::Server> HttpServer::makeServer() const {
    const std::string& cert = m_opts.tlsCert;
    const std::string& key = m_opts.tlsKey;
    if (cert.empty() && key.empty()) return std::make_unique<httplib::Server>();
    if (cert.empty() || key.empty())
        throw TlsSetupError("HTTPS needs both a certificate and its private key");
    RequireReadable(cert, "certificate");
    RequireReadable(key, "key");
    std::string failure;
    auto server = std::make_unique<httplib::SSLServer>([&](SSL_CTX& ctx) {
        try {
            LoadCertificate(ctx, cert, key);
            return true;
        } catch (const TlsSetupError& e) {
            failure = e.what();
            return false;
        }
    });
    if (!server->is_valid())
        throw TlsSetupError(failure.empty() ? "cannot set up TLS: " + OpenSslReason() : failure);
    return server;
}

void HttpServer::bind() {
    m_server = makeServer();
    httplib::Server& s = *m_server;
    const int threads = m_opts.threads < 1 ? 1 : m_opts.threads;
    s.new_task_queue = [threads] { return new httplib::ThreadPool(static_cast<size_t>(threads)); };
    // Without it every small response waits for the peer's delayed ACK (~40 ms).
    s.set_tcp_nodelay(true);
    s.set_keep_alive_max_count(static_cast<size_t>(m_opts.keepAliveMaxCount));
    s.set_keep_alive_timeout(m_opts.keepAliveTimeoutSeconds);
    s.set_read_timeout(m_opts.readTimeoutSeconds, 0);
    s.set_payload_max_length(m_opts.maxBodyBytes);
    // The library's default sets SO_REUSEPORT, which lets a second server bind a port that
    // is in use and silently share it. SO_REUSEADDR alone still allows a quick restart.
    s.set_socket_options([](int sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });

    s.Post("/rpc", [this](const httplib::Request& req, httplib::Response& res) {
        res.status = 200;
        res.set_content(m_app.HandleRpc(req.body, BearerToken(req), req.remote_addr), kJson);
    });
    s.Get(kCalendarFeedRoute, [this](const httplib::Request& req, httplib::Response& res) {
        ServeCalendarFeed(m_app, req, res);
    });
    s.Get("/health", [this](const httplib::Request&, httplib::Response& res) {
        const bool ok = m_app.Healthy();
        res.status = ok ? 200 : 503;
        res.set_content(ok ? "ok\n" : "database unavailable\n", "text/plain");
    });
    // Failures the library detects before a handler runs still get an envelope on /rpc.
    s.set_error_handler([this](const httplib::Request& req, httplib::Response& res) {
        if (res.status == 413) {
            res.set_content(
                Envelope("bad_request", "O pedido excede o tamanho máximo de " +
                                            std::to_string(m_opts.maxBodyBytes) + " bytes."),
                kJson);
        } else if (req.path == "/rpc" && res.status == 400) {
            res.set_content(Envelope("bad_request", "Pedido HTTP inválido."), kJson);
        } else if (res.status == 404) {
            res.set_content("not found: use POST /rpc or GET /health\n", "text/plain");
        }
    });

    if (m_opts.port == 0) {
        m_port = s.bind_to_any_port(m_opts.host);
        if (m_port <= 0)
            throw std::runtime_error("cannot listen on " + m_opts.host + " (no free port)");
    } else {
        if (!s.bind_to_port(m_opts.host, m_opts.port))
            throw std::runtime_error("cannot listen on " + m_opts.host + ":" +
                                     std::to_string(m_opts.port) +
                                     " (port in use or address not available)");
        m_port = m_opts.port;
    }
}

void HttpServer::Start() {
    bind();
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
    // 0.11 has no wait_until_ready(): poll until the accept loop runs.
    for (int i = 0; !m_server->is_running(); ++i) {
        if (i == 5000) {
            Stop();
            throw std::runtime_error("the HTTP server on " + Address() + " did not start");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void HttpServer::Run() {
    bind();
    m_server->listen_after_bind();
}

void HttpServer::Stop() {
    if (m_server) m_server->stop();
    if (m_thread.joinable()) m_thread.join();
}

}  // namespace zel::appserver
