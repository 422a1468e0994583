// Login, Logout and the server clock.
#include "appserver/methods.h"
#include "appserver/packet_builder.h"
#include "appserver/rpc_error.h"
#include "appserver/session_manager.h"
#include "appserver/storage.h"

namespace zel::appserver {

namespace {

std::string Parameter(SqlConnection& db, const char* name) {
    const SqlResult r =
        db.Exec("SELECT VLPARAMETRO FROM PARAMETRO WHERE NMPARAMETRO = ?", {std::string(name)});
    return r.rows.empty() ? std::string() : r.rows[0][0].AsString();
}

std::string Join(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& s : items)
        out += (out.empty() ? "" : ",") + s;
    return out;
}

// One row: the token and what the client shows and needs of its operator and branch.
Variant Login(CallContext& ctx, SessionManager& sessions) {
    const LoginResult login = sessions.Login(ctx.database(), ctx.str(0), ctx.str(1), ctx.str(2),
                                             ctx.now(), std::string(ctx.address()));
    const auto [process, item] = ctx.database().Transact(false, [](SqlConnection& db) {
        return std::pair(Parameter(db, "MASCPROCESSO"), Parameter(db, "MASCITTRAB"));
    });
    DataPacket p;
    p.fields = {StringField("TOKEN", 64),      StringField("CDOPERADOR", 12),
                StringField("NMOPERADOR", 40), StringField("CDFILIAL", 4),
                StringField("FILIAIS", 1000),  StringField("MASCPROCESSO", 40),
                StringField("MASCITTRAB", 40)};
    p.rows.push_back({login.token, login.session.operatorCode, login.session.operatorName,
                      login.session.branch, Join(login.session.branches), process, item});
    return PacketResult(p);
}

}  // namespace

void RequireBranch(const CallContext& ctx, const std::string& branch) {
    if (!ctx.session().MayUse(branch))
        throw RpcError(code::kForbidden, "O operador não tem acesso à filial " + branch + ".");
}

void RegisterSessionMethods(MethodRegistry& registry, SessionManager& sessions) {
    MethodDef login;
    login.name = "Login";
    login.params = {StrParam("CDOPERADOR", 12), StrParam("SENHA", 1024), StrParam("CDFILIAL", 4)};
    login.access = Access::Own;
    login.needsSession = false;
    login.handler = [&sessions](CallContext& ctx) { return Login(ctx, sessions); };
    registry.add(std::move(login));

    MethodDef logout;
    logout.name = "Logout";
    logout.access = Access::Write;
    logout.handler = [&sessions](CallContext& ctx) {
        sessions.Logout(ctx.db(), ctx.bearerToken());
        return Variant();
    };
    registry.add(std::move(logout));

    // The server's clock: a packet with the one field SYSDATE.
    MethodDef clock;
    clock.name = "getHoraServidor";
    clock.handler = [](CallContext& ctx) {
        DataPacket p;
        p.fields = {Field("SYSDATE", TFieldType::ftDateTime)};
        p.rows.push_back({Variant::FromDateTime(ctx.now())});
        return PacketResult(p);
    };
    registry.add(std::move(clock));
}

}  // namespace zel::appserver
