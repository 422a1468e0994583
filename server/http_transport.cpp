#include "server/http_transport.h"

#include <httplib.h>
#include <openssl/x509.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/exceptions.h"

#ifndef CPPHTTPLIB_OPENSSL_SUPPORT
#error "cpp-httplib must be built with OpenSSL (use its pkg-config flags)"
#endif

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
        case httplib::Error::SSLConnection:
            return "o aperto de mão TLS falhou (o servidor atende HTTPS nesse endereço?)";
        case httplib::Error::SSLLoadingCerts:
            return "os certificados de autoridade (CA) não puderam ser carregados";
        default:
            return "falha de comunicação";
    }
}

}  // namespace

HttpTransport::HttpTransport(std::string host, int port, TlsOptions tls,
                             std::chrono::milliseconds connectTimeout,
                             std::chrono::milliseconds readTimeout)
    : m_host(std::move(host)),
      m_port(port),
      m_tls(std::move(tls)),
      m_connectTimeout(connectTimeout),
      m_readTimeout(readTimeout) {}

HttpTransport::~HttpTransport() = default;

std::string HttpTransport::Address() const {
    return FormatServerAddress(m_host, m_port, m_tls.enabled);
}

httplib::ClientImpl& HttpTransport::client() {
    if (m_client && std::chrono::steady_clock::now() - m_lastAnswer > kMaxIdle) Close();
    if (!m_client) {
        if (m_tls.enabled) {
            auto tls = std::make_unique<httplib::SSLClient>(m_host, m_port);
            tls->enable_server_certificate_verification(true);
            if (!m_tls.caFile.empty()) tls->set_ca_cert_path(m_tls.caFile);
            m_client = std::move(tls);
        } else {
            m_client = std::make_unique<httplib::ClientImpl>(m_host, m_port);
        }
        m_client->set_keep_alive(true);
        // Without nodelay every small request waits for the delayed ACK (tens of ms).
        m_client->set_tcp_nodelay(true);
        m_client->set_connection_timeout(m_connectTimeout);
        m_client->set_read_timeout(m_readTimeout);
        m_client->set_write_timeout(m_readTimeout);
    }
    return *m_client;
}

std::string HttpTransport::reasonFor(int error) const {
    const auto e = static_cast<httplib::Error>(error);
    if (e == httplib::Error::SSLLoadingCerts && !m_tls.caFile.empty()) {
        if (access(m_tls.caFile.c_str(), R_OK) != 0)
            return "o arquivo de CA " + m_tls.caFile + " não pode ser lido (" +
                   std::strerror(errno) + ")";
        return "o arquivo de CA " + m_tls.caFile + " não contém certificados PEM";
    }
    // A TLS server drops a plain request without a word.
    if (e == httplib::Error::Read && !m_tls.enabled)
        return std::string(reasonOf(e)) + " (se o servidor atende HTTPS, use https:// no endereço)";
    if (e != httplib::Error::SSLServerVerification) return reasonOf(e);
    const long verify =
        m_tls.enabled && m_client
            ? static_cast<httplib::SSLClient&>(*m_client).get_openssl_verify_result()
            : X509_V_OK;
    if (verify == X509_V_OK) return "o certificado do servidor não vale para o nome " + m_host;
    std::string why = "o certificado do servidor não foi aceito: ";
    why += X509_verify_cert_error_string(verify);
    if (verify == X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT ||
        verify == X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN ||
        verify == X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY)
        why += m_tls.caFile.empty() ? " (autoridade desconhecida; indique o arquivo da CA)"
                                    : " (não foi emitido pela CA de " + m_tls.caFile + ")";
    return why;
}

void HttpTransport::fail(int error) {
    // The reason is read before Close(): the TLS verification result lives in the client.
    const std::string why = reasonFor(error);
    // The socket is in an unknown state; the next request starts a fresh one.
    Close();
    throw EServerError("transport", "Não foi possível comunicar com o servidor de aplicação em " +
                                        Address() + ": " + why + ".");
}

void HttpTransport::Open() {
    auto res = client().Get("/health");
    if (!res) fail(static_cast<int>(res.error()));
    m_lastAnswer = std::chrono::steady_clock::now();
}

void HttpTransport::Close() {
    if (m_client) m_client->stop();
    m_client.reset();
}

std::string HttpTransport::Post(const std::string& body, const std::string& token) {
    httplib::Headers headers;
    if (!token.empty()) headers.emplace("Authorization", "Bearer " + token);
    auto res = client().Post("/rpc", headers, body, "application/json");
    if (!res) fail(static_cast<int>(res.error()));
    m_lastAnswer = std::chrono::steady_clock::now();
    // The server answers errors with a JSON envelope, also under 4xx/5xx statuses. Anything
    // else (a proxy's HTML page, an empty body) is not our server speaking.
    if (res->body.empty() || res->body.front() != '{') {
        throw EServerError("transport", "O servidor em " + Address() + " respondeu HTTP " +
                                            std::to_string(res->status) +
                                            " sem uma resposta do servidor de aplicação.");
    }
    return res->body;
}
