// AppServerImpl: the engine behind AppServer (database, sessions, methods, dispatcher).
// Admin commands and tests reach the database through it.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "appserver/app_server.h"
#include "appserver/calendar_service.h"
#include "appserver/method_registry.h"
#include "appserver/session_manager.h"
#include "appserver/storage.h"

namespace zel::appserver {

class AppServerImpl {
  public:
    explicit AppServerImpl(AppServerOptions opts);

    RpcAnswer HandleRpc(std::string_view body, CallOrigin origin);
    TokenCheck CheckToken(std::string_view bearerToken);

    Database& db() { return *m_db; }
    MethodRegistry& methods() { return m_methods; }
    SessionManager& sessions() { return m_sessions; }
    CalendarService& calendar() { return *m_calendar; }
    const AppServerOptions& options() const { return m_opts; }
    // The server clock (options.clock when set, else the wall clock).
    TDateTime now() const;
    // Replaces the server clock; tests move time forward with it.
    void setClock(std::function<TDateTime()> clock) { m_clock = std::move(clock); }

  private:
    std::string dispatch(const nlohmann::json& request, CallOrigin origin);
    std::string respond(const nlohmann::json& request, const MethodDef& def, CallContext& ctx);

    AppServerOptions m_opts;
    std::unique_ptr<Database> m_db;
    SessionManager m_sessions;
    MethodRegistry m_methods;
    std::function<TDateTime()> m_clock;
    std::unique_ptr<CalendarService> m_calendar;
};

}  // namespace zel::appserver
