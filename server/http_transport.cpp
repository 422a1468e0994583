#include "server/http_transport.h"

#include <httplib.h>

#include "platform/exceptions.h"

namespace {

// Operator-facing reason for a cpp-httplib failure.
const char* reasonOf(httplib::Error error) {
    switch (error) {
        case httplib::Error::Connection:
            return "conexão recusada ou servidor inacessível";
        case httplib::Error::ConnectionTimeout:
            return "tempo de conexão esgotado";
        case httplib::Error::Read:
            return "a conexão caiu ou o servidor não respondeu a tempo";
        case httplib::Error::Write:
            return "a conexão caiu durante o envio";
        case httplib::Error::Canceled:
            return "pedido cancelado";
        default:
            return "falha de comunicação";
    }
}

}  // namespace

HttpTransport::HttpTransport(std::string host, int port, std::chrono::milliseconds connectTimeout,
                             std::chrono::milliseconds readTimeout)
    : m_host(std::move(host)),
      m_port(port),
      m_connectTimeout(connectTimeout),
      m_readTimeout(readTimeout) {}

HttpTransport::~HttpTransport() = default;

std::string HttpTransport::Address() const {
    return m_host + ":" + std::to_string(m_port);
}

httplib::Client& HttpTransport::client() {
    if (!m_client) {
        m_client = std::make_unique<httplib::Client>(m_host, m_port);
        m_client->set_keep_alive(true);
        // Without nodelay every small request waits for the delayed ACK (tens of ms).
        m_client->set_tcp_nodelay(true);
        m_client->set_connection_timeout(m_connectTimeout);
        m_client->set_read_timeout(m_readTimeout);
        m_client->set_write_timeout(m_readTimeout);
    }
    return *m_client;
}

void HttpTransport::fail(int error) const {
    throw EServerError("transport", "Não foi possível comunicar com o servidor de aplicação em " +
                                        Address() + ": " +
                                        reasonOf(static_cast<httplib::Error>(error)) + ".");
}

void HttpTransport::Open() {
    auto res = client().Get("/health");
    if (!res) {
        const auto error = res.error();
        Close();
        fail(static_cast<int>(error));
    }
}

void HttpTransport::Close() {
    if (m_client) m_client->stop();
    m_client.reset();
}

std::string HttpTransport::Post(const std::string& body, const std::string& token) {
    httplib::Headers headers;
    if (!token.empty()) headers.emplace("Authorization", "Bearer " + token);
    auto res = client().Post("/rpc", headers, body, "application/json");
    if (!res) {
        const auto error = res.error();
        // The socket is in an unknown state; the next request starts a fresh one.
        Close();
        fail(static_cast<int>(error));
    }
    // The server answers errors with a JSON envelope, also under 4xx/5xx statuses. Anything
    // else (a proxy's HTML page, an empty body) is not our server speaking.
    if (res->body.empty() || res->body.front() != '{') {
        throw EServerError("transport", "O servidor em " + Address() + " respondeu HTTP " +
                                            std::to_string(res->status) +
                                            " sem uma resposta do servidor de aplicação.");
    }
    return res->body;
}
