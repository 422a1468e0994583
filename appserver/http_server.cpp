#include "appserver/http_server.h"

#include <httplib.h>
#include <sys/socket.h>

#include <nlohmann/json.hpp>
#include <stdexcept>

#include "appserver/app_server.h"

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

}  // namespace

HttpServer::HttpServer(AppServer& app, HttpServerOptions opts)
    : m_app(app), m_opts(std::move(opts)) {}

HttpServer::~HttpServer() {
    Stop();
}

std::string HttpServer::Address() const {
    return m_opts.host + ":" + std::to_string(m_port);
}

void HttpServer::bind() {
    m_server = std::make_unique<httplib::Server>();
    httplib::Server& s = *m_server;
    const int threads = m_opts.threads < 1 ? 1 : m_opts.threads;
    s.new_task_queue = [threads] { return new httplib::ThreadPool(static_cast<size_t>(threads)); };
    // Without it every small response waits for the peer's delayed ACK (~40 ms).
    s.set_tcp_nodelay(true);
    s.set_keep_alive_max_count(static_cast<size_t>(m_opts.keepAliveMaxCount));
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
