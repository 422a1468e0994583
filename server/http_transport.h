// HttpTransport: POST /rpc over HTTP/1.1 with a keep-alive cpp-httplib client.
// One instance serves one connection on one thread (the GUI thread); it is not thread-safe.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "server/transport.h"

namespace httplib {
class Client;
}

class HttpTransport : public ITransport {
  public:
    HttpTransport(std::string host, int port,
                  std::chrono::milliseconds connectTimeout = std::chrono::seconds(5),
                  std::chrono::milliseconds readTimeout = std::chrono::seconds(60));
    ~HttpTransport() override;

    // Probes GET /health: any HTTP answer means the server is there.
    void Open() override;
    void Close() override;
    std::string Post(const std::string& body, const std::string& token) override;
    std::string Address() const override;

  private:
    httplib::Client& client();
    [[noreturn]] void fail(int error) const;

    std::string m_host;
    int m_port;
    std::chrono::milliseconds m_connectTimeout;
    std::chrono::milliseconds m_readTimeout;
    std::unique_ptr<httplib::Client> m_client;
};
