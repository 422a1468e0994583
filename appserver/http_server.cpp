#include "appserver/http_server.h"

#include <httplib.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <spdlog/spdlog.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstring>
#include <nlohmann/json.hpp>
#include <optional>
#include <stdexcept>

#include "appserver/app_server.h"
#include "appserver/bounded_task_queue.h"
#include "appserver/calendar_feed_route.h"
#include "appserver/http_encoding.h"
#include "appserver/rpc_error.h"

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

// The HTTP status of an RPC answer: the refusals of the transport's kind get their own, so
// proxies and scripts see them; a method's own errors travel with 200 like its results.
int StatusFor(const std::string& errorCode) {
    if (errorCode == code::kBadRequest) return 400;
    if (errorCode == code::kTooManyAttempts) return 429;
    if (errorCode == code::kUnavailable) return 503;
    return 200;
}

// Answers and then ends the connection: what is left of the request's body is unread and must
// not be taken for the next request. The content provider writes the whole answer and then
// reports failure, which makes the library close the socket.
void AnswerAndClose(httplib::Response& res, int status, std::string body, const char* type) {
    res.status = status;
    res.set_header("Connection", "close");
    if (status == 503) res.set_header("Retry-After", "1");
    const size_t size = body.size();
    res.set_content_provider(
        size, type,
        [body = std::move(body)](size_t offset, size_t length, httplib::DataSink& sink) {
            sink.write(body.data() + offset, length);
            return false;
        });
}

bool Chunked(const httplib::Request& req) {
    return strcasecmp(req.get_header_value("Transfer-Encoding").c_str(), "chunked") == 0;
}

// The announced body length; nullopt when none is announced or it is not a number.
std::optional<uint64_t> ContentLength(const httplib::Request& req) {
    if (!req.has_header("Content-Length")) return std::nullopt;
    const std::string text = req.get_header_value("Content-Length");
    uint64_t n = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return n;
}

bool AnnouncesBody(const httplib::Request& req) {
    const auto length = ContentLength(req);
    return (length && *length > 0) || req.has_header("Transfer-Encoding") ||
           (req.has_header("Content-Length") && !length);
}

// Reads a body of at most `limit` bytes into `body`. A chunked body past the limit, or one cut
// short, is answered here and its rest left unread: false.
bool ReadBody(const httplib::ContentReader& reader, uint64_t announced, size_t limit,
              std::string& body, httplib::Response& res) {
    body.reserve(static_cast<size_t>(std::min<uint64_t>(announced, limit)));
    bool tooLarge = false;
    const bool complete = reader([&](const char* data, size_t n) {
        if (body.size() + n > limit) {
            tooLarge = true;
            return false;
        }
        body.append(data, n);
        return true;
    });
    if (!complete)
        AnswerAndClose(res, tooLarge ? 413 : 400,
                       Envelope(code::kBadRequest,
                                tooLarge ? text::BodyTooLarge(limit) : "Pedido HTTP inválido."),
                       kJson);
    return complete;
}

// A client sends its whole body before it reads the answer, so a refused body is read and
// thrown away (at most `cap` bytes, for at most a few seconds) for the client to see why.
// True when the body was read to its end and the connection may go on.
bool Drain(const httplib::ContentReader& reader, size_t cap) {
    constexpr auto kMaxDrainTime = std::chrono::seconds(5);
    const auto deadline = std::chrono::steady_clock::now() + kMaxDrainTime;
    size_t read = 0;
    return reader([&](const char*, size_t n) {
        read += n;
        return read <= cap && std::chrono::steady_clock::now() < deadline;
    });
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

// TLS 1.2 suites: ephemeral ECDH key exchange (a recorded session stays secret when the key
// leaks later) and AEAD ciphers only; no static RSA, no CBC. TLS 1.3's suites are all of that
// kind and stay as OpenSSL offers them.
constexpr const char* kTls12Ciphers =
    "ECDHE-ECDSA-AES128-GCM-SHA256:ECDHE-RSA-AES128-GCM-SHA256:"
    "ECDHE-ECDSA-AES256-GCM-SHA384:ECDHE-RSA-AES256-GCM-SHA384:"
    "ECDHE-ECDSA-CHACHA20-POLY1305:ECDHE-RSA-CHACHA20-POLY1305";

// Loads certificate chain and key into `ctx`; throws TlsSetupError naming the file at fault.
void LoadCertificate(SSL_CTX& ctx, const std::string& cert, const std::string& key) {
    SSL_CTX_set_min_proto_version(&ctx, TLS1_2_VERSION);
    SSL_CTX_set_options(&ctx, SSL_OP_NO_COMPRESSION | SSL_OP_NO_RENEGOTIATION);
    if (SSL_CTX_set_cipher_list(&ctx, kTls12Ciphers) != 1)
        throw TlsSetupError("cannot set the TLS cipher suites: " + OpenSslReason());
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
    const auto threads = static_cast<size_t>(std::max(1, m_opts.threads));
    const auto waiting = static_cast<size_t>(std::max(0, m_opts.maxWaitingConnections));
    s.new_task_queue = [threads, waiting] { return new BoundedTaskQueue(threads, waiting); };
    // Without it every small response waits for the peer's delayed ACK (~40 ms).
    s.set_tcp_nodelay(true);
    s.set_keep_alive_max_count(static_cast<size_t>(m_opts.keepAliveMaxCount));
    s.set_keep_alive_timeout(m_opts.keepAliveTimeoutSeconds);
    s.set_read_timeout(m_opts.readTimeoutSeconds, 0);
    // The library skips an announced body beyond this unread; serveRpc never lets it get there.
    s.set_payload_max_length(std::max(m_opts.maxBodyBytes, m_opts.maxAnonymousBodyBytes));
    // The library's default sets SO_REUSEPORT, which lets a second server bind a port that
    // is in use and silently share it. SO_REUSEADDR alone still allows a quick restart.
    s.set_socket_options([](int sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });

    route(s);

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

void HttpServer::route(httplib::Server& s) {
    using httplib::Request, httplib::Response;
    using Handled = httplib::Server::HandlerResponse;
    // Runs once the request's head is read, before any of its body.
    s.set_pre_routing_handler([](const Request& req, Response& res) {
        // Only the feed's route compresses, and decides how (http_encoding.h).
        if (req.path.rfind(kCalendarFeedPrefix, 0) != 0) TakeGzipAcceptance(req);
        if (req.method == "POST" && req.path == "/rpc") return Handled::Unhandled;  // serveRpc
        if (BoundedTaskQueue::Refusing()) {
            AnswerAndClose(res, 503, "server busy\n", "text/plain");
            return Handled::Handled;
        }
        // No other route takes a body; the library would read one without a bound.
        if (AnnouncesBody(req)) {
            AnswerAndClose(res, 413, "this request takes no body\n", "text/plain");
            return Handled::Handled;
        }
        if (req.method != "GET" && req.method != "HEAD") {
            AnswerAndClose(res, 405, "use POST /rpc or GET /health\n", "text/plain");
            return Handled::Handled;
        }
        return Handled::Unhandled;
    });
    s.Post("/rpc", [this](const Request& req, Response& res, const httplib::ContentReader& reader) {
        serveRpc(req, res, reader);
    });
    s.Get(kCalendarFeedRoute,
          [this](const Request& req, Response& res) { ServeCalendarFeed(m_app, req, res); });
    s.Get("/health", [this](const Request&, Response& res) {
        const bool ok = m_app.Healthy();
        res.status = ok ? 200 : 503;
        res.set_content(ok ? "ok\n" : "database unavailable\n", "text/plain");
    });
    // Failures the library detects before a handler runs still get an envelope on /rpc.
    s.set_error_handler(httplib::Server::HandlerWithResponse([](const Request& req, Response& res) {
        if (res.has_header("Content-Type")) return Handled::Unhandled;  // answered already
        if (req.path == "/rpc" && res.status == 400) {
            res.set_content(Envelope(code::kBadRequest, "Pedido HTTP inválido."), kJson);
        } else if (res.status == 404) {
            res.set_content("not found: use POST /rpc or GET /health\n", "text/plain");
        }
        return Handled::Handled;
    }));
}

void HttpServer::serveRpc(const httplib::Request& req, httplib::Response& res,
                          const httplib::ContentReader& reader) {
    const auto length = ContentLength(req);
    // A refusal keeps the connection only when the body could be read away.
    const auto refuse = [&](int status, const char* code, const std::string& message,
                            size_t drainCap) {
        std::string body = Envelope(code, message);
        if (length && *length <= drainCap && Drain(reader, drainCap)) {
            res.status = status;
            res.set_content(std::move(body), kJson);
        } else {
            AnswerAndClose(res, status, std::move(body), kJson);
        }
    };
    if (BoundedTaskQueue::Refusing()) {
        // Served by the refusal lane: a small body is read away, then the connection ends.
        if (length && *length <= m_opts.maxAnonymousBodyBytes) Drain(reader, *length);
        AnswerAndClose(res, 503, Envelope(code::kUnavailable, text::kServerBusy), kJson);
        return;
    }
    if (!length && !Chunked(req)) {
        refuse(411, code::kBadRequest, "O pedido não informa o tamanho do corpo.", 0);
        return;
    }
    // The token decides the limit before a byte of the body is read.
    const std::string token = BearerToken(req);
    const TokenCheck check = m_app.CheckToken(token);
    if (check == TokenCheck::Unavailable) {
        refuse(503, code::kUnavailable, "O banco de dados não está disponível no momento.",
               m_opts.maxAnonymousBodyBytes);
        return;
    }
    const size_t limit =
        check == TokenCheck::Valid ? m_opts.maxBodyBytes : m_opts.maxAnonymousBodyBytes;
    if (length && *length > limit) {
        refuse(413, code::kBadRequest, text::BodyTooLarge(limit), m_opts.maxBodyBytes);
        return;
    }
    std::string body;
    if (!ReadBody(reader, length.value_or(0), limit, body, res)) return;
    RpcAnswer answer = m_app.Answer(body, token, req.remote_addr);
    res.status = StatusFor(answer.errorCode);
    if (res.status == 503) res.set_header("Retry-After", "1");
    res.set_content(std::move(answer.body), kJson);
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
