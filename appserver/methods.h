// Registration of the server's methods, one function per area. Each method's handler runs
// inside one transaction opened by the dispatcher (app_server.cpp).
#pragma once

#include <string>

#include "appserver/method_registry.h"

namespace zel::appserver {

class SessionManager;

// Login, Logout, getHoraServidor.
void RegisterSessionMethods(MethodRegistry& registry, SessionManager& sessions);
// GetControle, SetControle, GetPrxTarefa.
void RegisterMeetingMethods(MethodRegistry& registry);

// Refuses (forbidden) a branch the call's operator may not use.
void RequireBranch(const CallContext& ctx, const std::string& branch);

// Parameter shorthands for method declarations.
inline ParamSpec StrParam(std::string name, int maxLength = 0, bool byRef = false) {
    return {std::move(name), ParamKind::String, maxLength, byRef};
}
inline ParamSpec NumParam(std::string name, bool byRef = false) {
    return {std::move(name), ParamKind::Number, 0, byRef};
}
inline ParamSpec DateParam(std::string name, bool byRef = false) {
    return {std::move(name), ParamKind::DateTime, 0, byRef};
}
inline ParamSpec DeltaParam(std::string name) {
    return {std::move(name), ParamKind::ChangePacket, 0, false};
}
// The same parameter, as a trailing one a call may leave out.
inline ParamSpec Optional(ParamSpec spec) {
    spec.optional = true;
    return spec;
}

}  // namespace zel::appserver
