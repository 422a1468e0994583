#include "server/in_process_transport.h"

#include "platform/exceptions.h"

InProcessTransport::InProcessTransport(Handler handler, std::string address)
    : m_handler(std::move(handler)), m_address(std::move(address)) {}

std::string InProcessTransport::Post(const std::string& body, const std::string& token) {
    if (!m_handler) {
        throw EServerError("transport", "Nenhum servidor de aplicação em " + m_address + ".");
    }
    try {
        return m_handler(body, token);
    } catch (const std::exception& e) {
        throw EServerError("transport", "O servidor de aplicação em " + m_address +
                                            " falhou ao atender o pedido: " + e.what());
    }
}
