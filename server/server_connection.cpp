#include "server/server_connection.h"

#include <nlohmann/json.hpp>

#include "platform/exceptions.h"
#include "server/check_server_result.h"
#include "server/http_transport.h"

// Process-wide state lives in functions with external linkage: this library is linked into
// several shared objects (base libraries, module), and the dynamic linker then binds them all
// to one definition, so there is one provider per process.
namespace zel_server_detail {
std::function<std::string()>& tokenProvider() {
    static std::function<std::string()> provider;
    return provider;
}
TlsOptions& defaultTls() {
    static TlsOptions tls;
    return tls;
}
}  // namespace zel_server_detail
using zel_server_detail::defaultTls;
using zel_server_detail::tokenProvider;

namespace {

[[noreturn]] void protocolError(const std::string& address, const std::string& what) {
    throw EServerError("protocol",
                       "Resposta inválida do servidor de aplicação em " + address + ": " + what);
}

std::string encodeRequest(std::string_view method, const CallArg* args, size_t count, int64_t id) {
    nlohmann::json params = nlohmann::json::array();
    for (size_t i = 0; i < count; ++i)
        params.push_back(VariantToJson(args[i].Value()));
    nlohmann::json request = {{"method", method}, {"params", std::move(params)}, {"id", id}};
    return request.dump();
}

// Raises the server's error when the envelope carries one.
void throwIfError(const nlohmann::json& response, const std::string& address) {
    auto it = response.find("error");
    if (it == response.end() || it->is_null()) return;
    if (!it->is_object()) protocolError(address, "erro sem código e mensagem.");
    const auto code = it->value("code", std::string("server"));
    const auto message = it->value("message", std::string());
    throw EServerError(
        code.empty() ? "server" : code,
        message.empty() ? "O servidor de aplicação recusou o pedido (" + code + ")." : message);
}

// The by-reference values the server sent back, decoded before any variable is touched so
// a malformed answer changes nothing.
std::vector<std::pair<size_t, Variant>> decodeRefs(const nlohmann::json& response, size_t count,
                                                   const std::string& address) {
    std::vector<std::pair<size_t, Variant>> refs;
    auto it = response.find("refs");
    if (it == response.end() || it->is_null()) return refs;
    if (!it->is_object()) protocolError(address, "\"refs\" não é um objeto.");
    for (const auto& [key, value] : it->items()) {
        size_t index = 0;
        try {
            size_t used = 0;
            index = std::stoul(key, &used);
            if (used != key.size()) throw std::invalid_argument(key);
        } catch (const std::exception&) {
            protocolError(address, "índice de parâmetro inválido em \"refs\": " + key + ".");
        }
        if (index >= count) {
            protocolError(address, "\"refs\" cita o parâmetro " + key + ", que não foi enviado.");
        }
        refs.emplace_back(index, VariantFromJson(value));
    }
    return refs;
}

}  // namespace

Variant TAppServer::Call(std::string_view method, std::initializer_list<CallArg> args) const {
    return m_connection.call(method, args.begin(), args.size());
}

Variant TAppServer::Call(std::string_view method, const std::vector<CallArg>& args) const {
    return m_connection.call(method, args.data(), args.size());
}

TServerConnection::TServerConnection() = default;

TServerConnection::~TServerConnection() {
    if (m_transport) m_transport->Close();
}

void TServerConnection::SetSessionTokenProvider(std::function<std::string()> provider) {
    tokenProvider() = std::move(provider);
}

void TServerConnection::SetDefaultTls(TlsOptions tls) {
    defaultTls() = std::move(tls);
}

TlsOptions TServerConnection::DefaultTls() {
    return defaultTls();
}

TlsOptions TServerConnection::EffectiveTls() const {
    return Tls ? *Tls : defaultTls();
}

void TServerConnection::SetTransport(std::shared_ptr<ITransport> transport) {
    m_factory = [transport](const TServerConnection&) { return transport; };
}

std::string TServerConnection::Address() const {
    return m_transport ? m_transport->Address()
                       : FormatServerAddress(Host, Port, EffectiveTls().enabled);
}

void TServerConnection::SetConnected(bool connected) {
    if (connected)
        Open();
    else
        Close();
}

void TServerConnection::Open() {
    if (Connected()) return;
    try {
        connectOrThrow();
    } catch (const EServerError& e) {
        if (ThrowException) throw;
        ShowServerError(e.Message());
    }
}

void TServerConnection::connectOrThrow() {
    if (BeforeConnect) BeforeConnect(*this);
    std::shared_ptr<ITransport> transport =
        m_factory ? m_factory(*this)
                  : std::make_shared<HttpTransport>(Host, Port, EffectiveTls(), ConnectTimeout,
                                                    ReadTimeout);
    if (!transport) {
        throw EServerError("transport",
                           "Nenhum transporte para o servidor de aplicação em " + Address() + ".");
    }
    transport->Open();
    m_transport = std::move(transport);
    if (AfterConnect) AfterConnect(*this);
}

void TServerConnection::Close() {
    if (!m_transport) return;
    auto transport = std::move(m_transport);
    m_transport.reset();
    transport->Close();
    if (AfterDisconnect) AfterDisconnect(*this);
}

Variant TServerConnection::call(std::string_view method, const CallArg* args, size_t count) {
    if (m_recorder) {
        CallRecorder::Call recorded{std::string(method), {}, {}};
        for (size_t i = 0; i < count; ++i) {
            recorded.args.push_back(args[i].Value());
            recorded.byRef.push_back(args[i].IsRef());
        }
        m_recorder->Record(std::move(recorded));
    }
    if (!Connected()) connectOrThrow();

    const int64_t id = m_nextId++;
    const std::string body = encodeRequest(method, args, count, id);
    std::string token = Token;
    if (token.empty() && tokenProvider()) token = tokenProvider()();
    const std::string address = m_transport->Address();
    std::string answer;
    try {
        answer = m_transport->Post(body, token);
    } catch (const EServerError&) {
        // The link is in an unknown state: drop it so the next call connects afresh.
        Close();
        throw;
    }

    nlohmann::json response;
    try {
        response = nlohmann::json::parse(answer);
    } catch (const nlohmann::json::exception&) {
        protocolError(address, "o corpo não é JSON.");
    }
    if (!response.is_object()) protocolError(address, "o corpo não é um objeto JSON.");
    throwIfError(response, address);
    if (auto it = response.find("id"); it != response.end() && !(it->is_number() && *it == id)) {
        protocolError(address, "a resposta não corresponde ao pedido " + std::to_string(id) + ".");
    }
    try {
        auto refs = decodeRefs(response, count, address);
        auto it = response.find("result");
        Variant result = it == response.end() ? Variant() : VariantFromJson(*it);
        for (const auto& [index, value] : refs)
            args[index].WriteBack(value);
        return result;
    } catch (const EConvertError& e) {
        protocolError(address, e.Message());
    }
}
