// RpcError: a failure that the dispatcher returns to the client as a named error code and a
// message for the operator. Method code throws it; the dispatcher also turns database errors
// (DbError) and packet errors (EDatabaseError) into one.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

namespace zel::appserver {

namespace code {
inline constexpr const char* kBadRequest = "bad_request";
inline constexpr const char* kUnknownMethod = "unknown_method";
inline constexpr const char* kBadArguments = "bad_arguments";
inline constexpr const char* kUnauthenticated = "unauthenticated";
inline constexpr const char* kForbidden = "forbidden";
inline constexpr const char* kTooLong = "too_long";
inline constexpr const char* kStaleRow = "stale_row";
inline constexpr const char* kConflict = "conflict";
inline constexpr const char* kDuplicateKey = "duplicate_key";
inline constexpr const char* kNotFound = "not_found";
inline constexpr const char* kUnavailable = "unavailable";
inline constexpr const char* kTooManyAttempts = "too_many_attempts";
inline constexpr const char* kInternal = "internal";
}  // namespace code

class RpcError : public std::runtime_error {
  public:
    RpcError(std::string code, const std::string& message)
        : std::runtime_error(message), m_code(std::move(code)) {}
    const std::string& code() const { return m_code; }

  private:
    std::string m_code;
};

// Texts shared by several places.
namespace text {
inline constexpr const char* kStaleRow =
    "O registro foi alterado por outro usuário desde que foi lido. Atualize a lista e tente "
    "novamente.";
inline constexpr const char* kLoginRefused = "Operador, senha ou filial inválidos.";
inline constexpr const char* kNoSession =
    "Sessão inexistente ou expirada. Entre novamente no sistema.";
inline constexpr const char* kRoomTaken = "Sala já está reservada para este horário.";
inline constexpr const char* kBusy = "O banco de dados está ocupado. Tente novamente em instantes.";
inline constexpr const char* kServerBusy = "O servidor está ocupado. Tente novamente em instantes.";
inline std::string BodyTooLarge(size_t limit) {
    return "O pedido excede o tamanho máximo de " + std::to_string(limit) + " bytes.";
}
}  // namespace text

}  // namespace zel::appserver
