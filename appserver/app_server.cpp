#include "appserver/app_server.h"

#include <spdlog/spdlog.h>

#include <nlohmann/json.hpp>

#include "appserver/app_server_impl.h"
#include "appserver/demo_data.h"
#include "appserver/json_text.h"
#include "appserver/methods.h"
#include "appserver/methods_activities.h"
#include "appserver/methods_activity_sync.h"
#include "appserver/methods_agenda.h"
#include "appserver/methods_calendar.h"
#include "appserver/methods_cancellation.h"
#include "appserver/methods_history.h"
#include "appserver/methods_import.h"
#include "appserver/methods_lookups.h"
#include "appserver/methods_notices.h"
#include "appserver/methods_registration.h"
#include "appserver/methods_rooms.h"
#include "appserver/methods_scheduling.h"
#include "appserver/methods_series.h"
#include "appserver/rpc_error.h"
#include "appserver/schema.h"
#include "appserver/server_queries.h"
#include "appserver/sql_value.h"
#include "platform/exceptions.h"

using nlohmann::json;

namespace zel::appserver {

namespace {

json ErrorEnvelope(const json& id, const std::string& code, const std::string& message) {
    return {{"id", id}, {"error", {{"code", code}, {"message", message}}}};
}

// A database failure as the operator should read it.
RpcError FromDbError(const DbError& e) {
    using K = DbError::Kind;
    switch (e.kind()) {
        case K::UniqueViolation:
            return RpcError(code::kDuplicateKey, "Já existe um registro com esta chave.");
        case K::ForeignKeyViolation:
            return RpcError(code::kConflict,
                            "O registro está em uso por outros dados ou faz referência a um "
                            "registro inexistente.");
        case K::ConstraintViolation:
            if (std::string(e.what()).find("SOBREPOSTA") != std::string::npos ||
                std::string(e.what()).find("sobreposta") != std::string::npos)
                return RpcError(code::kConflict, text::kRoomTaken);
            return RpcError(code::kConflict, "A alteração fere uma regra dos dados.");
        case K::Retryable:
        case K::Busy:
            return RpcError(code::kUnavailable, text::kBusy);
        case K::Unavailable:
            return RpcError(code::kUnavailable, "O banco de dados não está disponível no momento.");
        case K::Other:
            break;
    }
    return RpcError(code::kInternal, "Erro interno do servidor de aplicação.");
}

}  // namespace

AppServerImpl::AppServerImpl(AppServerOptions opts)
    : m_opts(std::move(opts)), m_sessions(m_opts.tokenTtlSeconds, m_opts.fastPasswordHashing) {
    try {
        m_db = Database::Open(m_opts.db, m_opts.poolSize,
                              std::chrono::milliseconds(m_opts.busyWaitMs));
        Migrate(*m_db);
        if (m_opts.demo) SeedDemoData(*m_db, now(), m_opts.fastPasswordHashing);
    } catch (const DbError& e) {
        throw std::runtime_error(e.what());
    }
    m_calendar = std::make_unique<CalendarService>(
        *m_db, m_opts.mail, [this] { return now(); }, m_opts.deliverMail);
    RegisterSessionMethods(m_methods, m_sessions);
    RegisterMeetingMethods(m_methods);
    RegisterRoomMethods(m_methods);
    RegisterActivityMethods(m_methods);
    RegisterCancellationMethods(m_methods);
    RegisterNoticeMethods(m_methods);
    RegisterActivitySyncMethods(m_methods);
    RegisterLookupMethods(m_methods);
    RegisterAgendaMethods(m_methods);
    RegisterRegistrationMethods(m_methods);
    RegisterImportMethods(m_methods);
    RegisterCalendarMethods(m_methods, m_calendar->mail());
    RegisterSeriesMethods(m_methods);
    RegisterSchedulingMethods(m_methods);
    RegisterServerQueryMethods(m_methods);
    RegisterHistoryMethods(m_methods);
}

TDateTime AppServerImpl::now() const {
    return m_clock ? m_clock() : Now();
}

RpcAnswer AppServerImpl::HandleRpc(std::string_view body, CallOrigin origin) {
    const auto fail = [](const json& id, const std::string& code, const std::string& message) {
        return RpcAnswer{
            ErrorEnvelope(id, code, message).dump(-1, ' ', false, json::error_handler_t::replace),
            code};
    };
    // A caller without a session may only log in: a larger body is not even scanned.
    if (body.size() > kMaxAnonymousBodyBytes && CheckToken(origin.bearerToken) != TokenCheck::Valid)
        return fail(nullptr, code::kBadRequest, text::BodyTooLarge(kMaxAnonymousBodyBytes));
    if (const std::string why = JsonShapeProblem(body); !why.empty())
        return fail(nullptr, code::kBadRequest, why);
    json request;
    try {
        request = json::parse(body);
    } catch (const json::exception&) {
        return fail(nullptr, code::kBadRequest, "O pedido não é um JSON válido.");
    }
    json id = nullptr;
    try {
        if (!request.is_object())
            throw RpcError(code::kBadRequest, "O pedido deve ser um objeto JSON.");
        if (auto it = request.find("id"); it != request.end()) {
            if (!(it->is_number() || it->is_string() || it->is_null()))
                throw RpcError(code::kBadRequest, "O campo \"id\" deve ser um número.");
            id = *it;
        }
        return {dispatch(request, origin), {}};
    } catch (const RpcError& e) {
        return fail(id, e.code(), e.what());
    } catch (const DbError& e) {
        // Refusals the client caused (duplicates, rows in use) are routine; the rest is not.
        if (e.kind() == DbError::Kind::Other || e.kind() == DbError::Kind::Unavailable ||
            e.kind() == DbError::Kind::Busy)
            spdlog::warn("database error: {}", e.what());
        else
            spdlog::debug("database refusal: {}", e.what());
        const RpcError r = FromDbError(e);
        return fail(id, r.code(), r.what());
    } catch (const EDatabaseError& e) {
        return fail(id, code::kBadArguments, e.what());
    } catch (const EConvertError& e) {
        return fail(id, code::kBadArguments, e.what());
    } catch (const std::exception& e) {
        spdlog::error("internal error: {}", e.what());
        return fail(id, code::kInternal, "Erro interno do servidor de aplicação.");
    } catch (...) {
        spdlog::error("internal error of unknown kind");
        return fail(id, code::kInternal, "Erro interno do servidor de aplicação.");
    }
}

TokenCheck AppServerImpl::CheckToken(std::string_view bearerToken) {
    if (bearerToken.empty()) return TokenCheck::Invalid;
    try {
        return m_sessions.Find(*m_db, bearerToken, now()) ? TokenCheck::Valid : TokenCheck::Invalid;
    } catch (const DbError& e) {
        spdlog::warn("session check failed: {}", e.what());
        return TokenCheck::Unavailable;
    }
}

std::string AppServerImpl::dispatch(const json& request, CallOrigin origin) {
    const auto m = request.find("method");
    if (m == request.end() || !m->is_string())
        throw RpcError(code::kBadRequest, "O pedido não informa o método (\"method\").");
    const std::string name = m->get<std::string>();
    json noParams = json::array();
    const auto p = request.find("params");
    if (p != request.end() && !p->is_array() && !p->is_null())
        throw RpcError(code::kBadRequest, "\"params\" deve ser uma lista.");
    const json& params = (p == request.end() || p->is_null()) ? noParams : *p;

    // The session comes first: without one a caller learns neither which methods exist nor
    // what they expect, and no argument of his is decoded.
    const MethodDef* def = m_methods.find(name);
    const TDateTime now = this->now();
    std::optional<Session> session;
    if (!def || def->needsSession) {
        if (!origin.bearerToken.empty()) session = m_sessions.Find(*m_db, origin.bearerToken, now);
        if (!session) throw RpcError(code::kUnauthenticated, text::kNoSession);
    }
    if (!def) throw RpcError(code::kUnknownMethod, "Método desconhecido: " + name + ".");
    const size_t required = def->requiredParams();
    if (params.size() < required || params.size() > def->params.size()) {
        const std::string expected =
            required == def->params.size()
                ? std::to_string(required)
                : "de " + std::to_string(required) + " a " + std::to_string(def->params.size());
        throw RpcError(code::kBadArguments, "O método " + def->name + " espera " + expected +
                                                " argumento(s); recebeu " +
                                                std::to_string(params.size()) + ".");
    }

    std::vector<Variant> args;
    std::vector<std::optional<ChangePacket>> deltas(params.size());
    args.reserve(params.size());
    for (size_t i = 0; i < params.size(); ++i)
        args.push_back(DecodeArgument(def->params[i], i, params[i], deltas[i]));

    const Session* who = session ? &*session : nullptr;
    if (def->access == Access::Own) {
        CallContext ctx(*m_db, nullptr, who, std::move(args), std::move(deltas), now, origin);
        return respond(request, *def, ctx);
    }
    const bool write = def->access == Access::Write;
    std::string reply = m_db->Transact(write, [&](SqlConnection& conn) {
        // Every row the call writes is recorded in the meetings' history under this stamp.
        if (write)
            conn.SetWriteStamp({who ? who->operatorCode : std::string(),
                                std::string(origin.address), def->name, SqlDateTimeText(now)});
        CallContext ctx(*m_db, &conn, who, args, deltas, now, origin);
        std::string out = respond(request, *def, ctx);
        // Calendars and invitations follow the meetings the call touched, in its transaction.
        if (write) m_calendar->Reconcile(conn, now);
        return out;
    });
    if (write) m_calendar->AfterCommit();
    return reply;
}

std::string AppServerImpl::respond(const json& request, const MethodDef& def, CallContext& ctx) {
    if (def.branchParam >= 0) RequireBranch(ctx, ctx.str(def.branchParam));
    const auto dump = [](const json& j) {
        return j.dump(-1, ' ', false, json::error_handler_t::replace);
    };
    // The envelope is written around the result's text: a packet of a thousand rows is
    // written once, into the reply itself.
    ctx.beginReply("{\"id\":" + dump(request.value("id", json())) + ",\"result\":");
    const Variant result = def.handler(ctx);
    json refs = json::object();
    for (const auto& [index, value] : ctx.refs())
        refs[std::to_string(index)] = VariantToJson(value);
    std::string& out = ctx.replyText();
    if (!ctx.wroteResult())
        out += result.kind() == Variant::Kind::Packet ? dump(result.AsPacket())
                                                      : dump(VariantToJson(result));
    out += ",\"refs\":";
    out += dump(refs);
    out += '}';
    return std::move(out);
}

AppServer::AppServer(AppServerOptions opts)
    : m_impl(std::make_unique<AppServerImpl>(std::move(opts))) {}
AppServer::~AppServer() = default;

std::string AppServer::HandleRpc(std::string_view body, std::string_view bearerToken,
                                 std::string_view clientAddress) {
    return m_impl->HandleRpc(body, {bearerToken, clientAddress}).body;
}

RpcAnswer AppServer::Answer(std::string_view body, std::string_view bearerToken,
                            std::string_view clientAddress) {
    return m_impl->HandleRpc(body, {bearerToken, clientAddress});
}

TokenCheck AppServer::CheckToken(std::string_view bearerToken) {
    return m_impl->CheckToken(bearerToken);
}

bool AppServer::Healthy() {
    return m_impl->db().Ping();
}

const AppServerOptions& AppServer::Options() const {
    return m_impl->options();
}

}  // namespace zel::appserver
