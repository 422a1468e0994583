// HttpServer: serves an AppServer over HTTP/1.1 (cpp-httplib) on one address, as plain HTTP
// or, with a certificate and its key, as HTTPS (TLS 1.2 or later).
//   POST /rpc     body = request envelope, "Authorization: Bearer <token>"; 200 with the
//                 response envelope (also for method errors), 413 with a bad_request envelope
//                 when the body exceeds the limit
//   GET  /health  200 "ok" while the database answers, 503 otherwise
//   GET  /calendar/TOKEN.ics  a calendar feed (calendar_feed_route.h), without a session
// Keep-alive, TCP_NODELAY and a fixed thread pool. Start() binds and returns once the server
// accepts connections; Stop() (or the destructor) ends it. Tests use port 0 and read Port().
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <thread>

namespace httplib {
class Server;
}

namespace zel::appserver {

class AppServer;

struct HttpServerOptions {
    std::string host = "127.0.0.1";
    int port = 8400;  // 0: any free port
    // Each kept-alive connection holds one thread while it is open, so this bounds the clients
    // connected at once; a client beyond it waits until another connection goes idle.
    int threads = 64;
    size_t maxBodyBytes = 16 * 1024 * 1024;
    int keepAliveMaxCount = 10000;
    // An idle kept-alive connection is closed after this; clients reconnect sooner than that
    // (HttpTransport::kMaxIdle).
    int keepAliveTimeoutSeconds = 5;
    int readTimeoutSeconds = 30;
    // PEM files; both set: HTTPS, both empty: plain HTTP. The certificate file may hold the
    // chain (server certificate first).
    std::string tlsCert;
    std::string tlsKey;
};

// The certificate or key cannot be used (unreadable, not PEM, key not the certificate's).
// The message names the file and the reason.
class TlsSetupError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class HttpServer {
  public:
    HttpServer(AppServer& app, HttpServerOptions opts);
    ~HttpServer();  // stops
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Binds and starts serving in a background thread. Throws TlsSetupError when the
    // certificate or key cannot be used, std::runtime_error naming the address when it cannot
    // bind (port in use, bad host).
    void Start();
    // Stops accepting, finishes the requests in progress and joins the thread. Idempotent.
    void Stop();
    // Serves on the calling thread until Stop() is called from elsewhere (a signal handler).
    void Run();

    int Port() const { return m_port; }  // the bound port, valid after Start()
    std::string Address() const;         // "host:port"
    bool Tls() const { return !m_opts.tlsCert.empty(); }

  private:
    void bind();
    std::unique_ptr<httplib::Server> makeServer() const;
    AppServer& m_app;
    HttpServerOptions m_opts;
    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    int m_port = 0;
};

}  // namespace zel::appserver
