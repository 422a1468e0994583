#include "appserver/method_support.h"

#include <cmath>

#include "appserver/rpc_error.h"
#include "appserver/sql_value.h"
#include "platform/date_time.h"
#include "platform/exceptions.h"

namespace zel::appserver {

Writer WriterOf(const CallContext& ctx) {
    return {ctx.session().operatorCode, ctx.now(), std::string(ctx.address())};
}

std::string LoginBranch(CallContext& ctx) {
    const std::string& branch = ctx.session().branch;
    if (ctx.db()
            .Exec("SELECT 1 FROM OPERFILIAL P JOIN FILIAL F ON F.CDFILIAL = P.CDFILIAL "
                  "WHERE P.CDOPERADOR = ? AND P.CDFILIAL = ? AND F.IDATIVO = 'S'",
                  {ctx.session().operatorCode, branch})
            .rows.empty())
        throw RpcError(code::kForbidden, "O operador não tem acesso à filial " + branch + ".");
    return branch;
}

const ChangePacket& DeltaArg(const CallContext& ctx, size_t i) {
    const ChangePacket& packet = ctx.delta(i);
    if (packet.changes.size() > kMaxChangesPerPacket)
        throw RpcError(code::kTooLong, "O pacote de alterações traz " +
                                           std::to_string(packet.changes.size()) +
                                           " alterações; o máximo por chamada é " +
                                           std::to_string(kMaxChangesPerPacket) + ".");
    return packet;
}

Variant CodeOrNull(const std::string& text) {
    return ::IsBlank(text) ? Variant() : Variant(text);
}

bool AllFlag(const std::string& flag) {
    const std::string t = TrimAll(flag);
    return !t.empty() && t[0] == 'T';
}

long long PositiveWholeNumber(double value, const std::string& message) {
    if (!(value >= 1 && value < 9e15 && std::trunc(value) == value))
        throw RpcError(code::kBadArguments, message);
    return static_cast<long long>(value);
}

Variant OptionalDate(const Variant& v, const char* what) {
    if (v.IsNull()) return Variant();
    if ((v.kind() == Variant::Kind::DateTime || v.IsNumber()) && IsValidDateTime(v.AsFloat()))
        return Variant::FromDateTime(v.AsFloat());
    // A date text is short; a long one is refused before it is parsed.
    if (v.kind() == Variant::Kind::String && v.AsString().size() <= 40) {
        const std::string s = v.AsString();
        if (IsBlank(s)) return Variant();
        TDateTime d = 0;
        if (TryStrToDateTime(s, d)) return Variant::FromDateTime(d);
        try {
            return Variant::FromDateTime(ParseSqlDateTime(s));
        } catch (const Exception&) {
        }
    }
    throw RpcError(code::kBadArguments, std::string("Data/hora inválida em ") + what + ".");
}

MethodDef Method(std::string name, std::vector<ParamSpec> params, MethodDef::Handler handler,
                 Access access, int branchParam) {
    MethodDef def;
    def.name = std::move(name);
    def.params = std::move(params);
    def.handler = std::move(handler);
    def.access = access;
    def.branchParam = branchParam;
    return def;
}

Variant QueryPacket(SqlConnection& db, const std::vector<FieldDef>& fields, const std::string& sql,
                    const SqlParams& params) {
    const SqlResult r = db.Exec(sql, params);
    return PacketResult(BuildDataPacket(fields, r.rows));
}

const char* LockForWrite(const SqlConnection& db) {
    return db.dialect() == Dialect::PostgreSQL && db.Writing() ? " FOR UPDATE" : "";
}

std::optional<std::string> MeetingStatus(SqlConnection& db, const std::string& branch,
                                         const std::string& nr) {
    const SqlResult r = db.Exec(
        std::string("SELECT IDSITTAREFA FROM TAREFA WHERE CDFILIAL = ? AND NRTAREFA = ? AND "
                    "IDORIGTARE = '4'") +
            LockForWrite(db),
        {branch, nr});
    if (r.rows.empty()) return std::nullopt;
    return r.rows[0][0].IsNull() ? std::string() : r.rows[0][0].AsString();
}

std::string RequireMeeting(SqlConnection& db, const std::string& branch, const std::string& nr) {
    std::optional<std::string> status = MeetingStatus(db, branch, nr);
    if (!status)
        throw RpcError(code::kNotFound,
                       "Reunião " + nr + " não cadastrada na filial " + branch + ".");
    return std::move(*status);
}

std::string RequireOpenMeeting(SqlConnection& db, const std::string& branch, const std::string& nr,
                               const std::string& message) {
    std::string status = RequireMeeting(db, branch, nr);
    if (status == "X" || status == "C") throw RpcError(code::kConflict, message);
    return status;
}

std::string ChangeText(const ChangePacket& packet, const Change& change, const std::string& field,
                       bool oldValues) {
    const int i = packet.FieldIndex(field);
    if (i < 0) return {};
    const PacketRow& row = oldValues ? change.oldValues : change.newValues;
    if (static_cast<size_t>(i) >= row.size() || row[static_cast<size_t>(i)].IsNull()) return {};
    return row[static_cast<size_t>(i)].AsString();
}

}  // namespace zel::appserver
