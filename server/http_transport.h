// HttpTransport: POST /rpc over HTTP/1.1 with a keep-alive cpp-httplib client, plain or over
// TLS. Over TLS the server's certificate must chain to a trusted CA (the system's, or the one
// CA file given) and name the host connected to; a failed check ends the connect with a
// message saying why (unknown CA, expired, other host name).
// A kept-alive connection idle for kMaxIdle is dropped before the next request and a fresh one
// is opened: the server closes idle connections after a few seconds, and a request written
// into a connection the server has just closed is lost with a transport error.
// One instance serves one connection on one thread (the GUI thread); it is not thread-safe.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "server/server_address.h"
#include "server/transport.h"

namespace httplib {
class ClientImpl;
}

class HttpTransport : public ITransport {
  public:
    HttpTransport(std::string host, int port, TlsOptions tls = {},
                  std::chrono::milliseconds connectTimeout = std::chrono::seconds(5),
                  std::chrono::milliseconds readTimeout = std::chrono::seconds(60));
    ~HttpTransport() override;

    // Probes GET /health: any HTTP answer means the server is there.
    void Open() override;
    void Close() override;
    std::string Post(const std::string& body, const std::string& token) override;
    std::string Address() const override;

    // Below the server's keep-alive timeout (HttpServerOptions::keepAliveTimeoutSeconds).
    static constexpr std::chrono::milliseconds kMaxIdle{2000};

  private:
    httplib::ClientImpl& client();
    // Closes the link and throws EServerError("transport") telling why.
    [[noreturn]] void fail(int error);
    std::string reasonFor(int error) const;

    std::string m_host;
    int m_port;
    TlsOptions m_tls;
    std::chrono::milliseconds m_connectTimeout;
    std::chrono::milliseconds m_readTimeout;
    std::unique_ptr<httplib::ClientImpl> m_client;
    // When the last answer arrived; the idle time counts from there.
    std::chrono::steady_clock::time_point m_lastAnswer;
};
