// HttpServer: serves an AppServer over HTTP/1.1 (cpp-httplib) on one address, as plain HTTP
// or, with a certificate and its key, as HTTPS (TLS 1.2 with forward-secret AEAD suites only,
// or TLS 1.3).
//   POST /rpc     body = request envelope, "Authorization: Bearer <token>"; the response
//                 envelope with 200 (also for method errors), 400 (bad_request: not a request,
//                 nested too deep, too many elements), 429 (too_many_attempts), 503
//                 (unavailable: database down or busy, server overloaded); 413 with a
//                 bad_request envelope when the body exceeds its limit, 411 without a length
//   GET  /health  200 "ok" while the database answers, 503 otherwise
//   GET  /calendar/TOKEN.ics  a calendar feed (calendar_feed_route.h), without a session
// Before a request's body is read, its bearer token is checked: a caller without a live
// session may send maxAnonymousBodyBytes, one with a session maxBodyBytes. Only POST /rpc
// carries a body; a request to any other route announcing one is refused unread, so a route
// added for GET needs no limit of its own.
// Keep-alive, TCP_NODELAY, a fixed thread pool and a bounded queue of waiting connections
// (bounded_task_queue.h). Start() binds and returns once the server accepts connections;
// Stop() (or the destructor) ends it. Tests use port 0 and read Port().
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <thread>

#include "appserver/app_server.h"

namespace httplib {
class Server;
struct Request;
struct Response;
class ContentReader;
}  // namespace httplib

namespace zel::appserver {

struct HttpServerOptions {
    std::string host = "127.0.0.1";
    int port = 8400;  // 0: any free port
    // Each kept-alive connection holds one thread while it is open, so this bounds the clients
    // connected at once; a client beyond it waits until another connection goes idle.
    int threads = 64;
    // Connections that may wait for a busy thread; one beyond them is answered 503 at once.
    int maxWaitingConnections = 256;
    // Request bodies with and without a live session (the latter: Login only).
    size_t maxBodyBytes = 16 * 1024 * 1024;
    size_t maxAnonymousBodyBytes = kMaxAnonymousBodyBytes;
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
    void route(httplib::Server& s);
    std::unique_ptr<httplib::Server> makeServer() const;
    void serveRpc(const httplib::Request& req, httplib::Response& res,
                  const httplib::ContentReader& reader);
    AppServer& m_app;
    HttpServerOptions m_opts;
    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    int m_port = 0;
};

}  // namespace zel::appserver
