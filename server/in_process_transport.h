// InProcessTransport: hands the request straight to a handler in the same process, the same
// dispatcher the HTTP server runs, without sockets. Window tests use it with the application
// server's AppServer::HandleRpc; the server library itself is not linked here.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "server/transport.h"

class InProcessTransport : public ITransport {
  public:
    using Handler = std::function<std::string(std::string_view body, std::string_view token)>;

    explicit InProcessTransport(Handler handler, std::string address = "in-process");

    // An exception escaping the handler is a transport failure, as a crashed server would be.
    std::string Post(const std::string& body, const std::string& token) override;
    std::string Address() const override { return m_address; }

  private:
    Handler m_handler;
    std::string m_address;
};
