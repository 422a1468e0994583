// Cancelling a meeting. The window runs the steps as separate calls (participants, notices,
// activities, meeting, room); each call leaves the data sound on its own, so a sequence
// broken half-way never leaves a cancelled meeting with open activities or a booked room.
#include "appserver/methods_cancellation.h"

#include "appserver/activity_rules.h"
#include "appserver/counters.h"
#include "appserver/method_support.h"
#include "appserver/methods.h"
#include "appserver/methods_series.h"
#include "appserver/rpc_error.h"

namespace zel::appserver {

namespace {

using T = TFieldType;

// The meeting's reference and status; empty for an unknown meeting.
Variant GetTestaReuniao(CallContext& ctx) {
    static const std::vector<FieldDef> fields = {StringField("DSREFETAREFA", 100),
                                                 StringField("IDSITTAREFA", 1)};
    return RowsPacket(fields, ctx.db()
                                  .Exec("SELECT DSREFETAREFA, IDSITTAREFA FROM TAREFA "
                                        "WHERE CDFILIAL = ? AND NRTAREFA = ?",
                                        {ctx.str(0), ctx.str(1)})
                                  .rows);
}

// The participants to notify: one row per distinct responsible operator of the meeting's
// activities that are not already cancelled, so nobody gets the same notice twice. Each
// row carries the meeting's process name, start and reference.
Variant GetAtivReuniao(CallContext& ctx) {
    static const std::vector<FieldDef> fields = {
        StringField("NMPROCTARE", 100), StringField("CDOPERRESP", 12),
        StringField("NMOPERATIV", 40), Field("DTHRREUNIAO", T::ftDateTime),
        StringField("DSREFETAREFA", 100)};
    return RowsPacket(
        fields,
        ctx.db()
            .Exec("SELECT DISTINCT P.NMPROCESSO, A.CDOPERRESP, O.NMOPERADOR, T.DTHRREUNIAO, "
                  "T.DSREFETAREFA FROM PLANATIVTARE A "
                  "JOIN TAREFA T ON T.CDFILIAL = A.CDFILIAL AND T.NRTAREFA = A.NRTAREFA "
                  "LEFT JOIN PROCESSO P ON P.CDPROCESSO = T.CDPROCESSO "
                  "LEFT JOIN OPERADOR O ON O.CDOPERADOR = A.CDOPERRESP "
                  "WHERE A.CDFILIAL = ? AND A.NRTAREFA = ? AND A.CDOPERRESP IS NOT NULL "
                  "AND (A.IDSITATIVTAR IS NULL OR A.IDSITATIVTAR <> 'X') ORDER BY A.CDOPERRESP",
                  {ctx.str(0), ctx.str(1)})
            .rows);
}

void RequireKnownOperator(SqlConnection& db, const std::string& code) {
    if (db.Exec("SELECT 1 FROM OPERADOR WHERE CDOPERADOR = ?", {code}).rows.empty())
        throw RpcError(code::kNotFound, "Operador " + code + " não cadastrado.");
}

// A fresh number for the operator's next personal activity, handed out to the session's
// operator to leave that notice with. Any registered operator may receive notices, also one
// no longer active.
Variant GetPrxAtivPessoal(CallContext& ctx) {
    const std::string op = ctx.str(0);
    RequireKnownOperator(ctx.db(), op);
    const int64_t floor = NextAfterMax(
        ctx.db(), "SELECT MAX(NRATIVPESSOAL) FROM ATIVPESSOAL WHERE CDOPERADOR = ?", {op});
    return Variant(static_cast<long long>(
        HandOutNumber(ctx.db(), counter::kPersonalNotice, op, floor, WriterOf(ctx))));
}

// Stores a personal notice for an operator: number, text and the three flags as sent
// (situation, notice, read: "P", "S", "0" from the cancellation). The number must be one
// GetPrxAtivPessoal handed out to the session's operator for that receiver. The moment is the
// server clock, whatever the client sent: it stamps when the notice was left; the session's
// operator is stamped as who left it.
Variant GetInsAtivPessoal(CallContext& ctx) {
    const std::string op = ctx.str(0);
    const long long number =
        PositiveWholeNumber(ctx.num(1), "Número de atividade pessoal inválido.");
    RequireKnownOperator(ctx.db(), op);
    const Writer w = WriterOf(ctx);
    RequireHandedOut(ctx.db(), counter::kPersonalNotice, op, number, w,
                     "os avisos do operador " + op);
    ctx.db().Exec(
        "INSERT INTO ATIVPESSOAL (CDOPERADOR, NRATIVPESSOAL, DSATIVPESSOAL, DTHRATIVPESSOAL, "
        "IDSITATIVPESS, IDAVISO, IDLIDO, CDOPERINCL) VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
        {op, number, ctx.str(2), Variant::FromDateTime(w.now), ctx.str(4), ctx.str(5), ctx.str(6),
         w.op});
    return Variant(1);
}

// The personal notices of an operator, newest first, each with when he read it (null: not
// yet). Notices are private: an operator reads only his own (a blank code means the
// session's operator).
Variant GetAtivPessoal(CallContext& ctx) {
    static const std::vector<FieldDef> fields = {
        StringField("CDOPERADOR", 12),      Field("NRATIVPESSOAL", T::ftInteger),
        StringField("DSATIVPESSOAL", 1000), Field("DTHRATIVPESSOAL", T::ftDateTime),
        StringField("IDSITATIVPESS", 1),    StringField("IDAVISO", 1),
        StringField("IDLIDO", 1),           Field("DTHRLEITURA", T::ftDateTime)};
    std::string op = ctx.str(0);
    if (IsBlank(op)) op = ctx.session().operatorCode;
    if (op != ctx.session().operatorCode)
        throw RpcError(code::kForbidden, "Cada operador consulta somente os próprios avisos.");
    return RowsPacket(fields, ctx.db()
                                  .Exec("SELECT CDOPERADOR, NRATIVPESSOAL, DSATIVPESSOAL, "
                                        "DTHRATIVPESSOAL, IDSITATIVPESS, IDAVISO, IDLIDO, "
                                        "DTHRLEITURA FROM "
                                        "ATIVPESSOAL WHERE CDOPERADOR = ? "
                                        "ORDER BY DTHRATIVPESSOAL DESC, NRATIVPESSOAL DESC",
                                        {op})
                                  .rows);
}

// The meeting's status, refusing an unknown meeting and one that is neither pending nor
// already cancelled: as in the window, only a pending meeting is cancelled (one in progress
// is under way with its activities, a concluded one is history).
std::string RequireCancellable(SqlConnection& db, const std::string& branch,
                               const std::string& meeting) {
    const std::optional<std::string> status = MeetingStatus(db, branch, meeting);
    if (!status) throw RpcError(code::kNotFound, "Reunião " + meeting + " não cadastrada.");
    if (*status == "C")
        throw RpcError(code::kConflict, "Reunião concluída não pode ser cancelada.");
    if (*status != "P" && *status != "X")
        throw RpcError(code::kConflict, "Somente reunião pendente pode ser cancelada.");
    return *status;
}

// Every activity of the meeting that is neither concluded nor cancelled becomes cancelled,
// stamped with the session's operator and the server clock. Returns how many.
int64_t CancelActivities(CallContext& ctx, const std::string& branch, const std::string& meeting) {
    const Writer w = WriterOf(ctx);
    return ctx.db()
        .Exec(
            "UPDATE PLANATIVTARE SET IDSITATIVTAR = 'X', DTINCATIVTAR = ?, CDOPERINCL = ? "
            "WHERE CDFILIAL = ? AND NRTAREFA = ? "
            "AND (IDSITATIVTAR IS NULL OR IDSITATIVTAR NOT IN ('C', 'X'))",
            {Variant::FromDateTime(w.now), w.op, branch, meeting})
        .affected;
}

Variant GetUpdCancelAtiv(CallContext& ctx) {
    RequireCancellable(ctx.db(), ctx.str(0), ctx.str(1));
    return Variant(static_cast<long long>(CancelActivities(ctx, ctx.str(0), ctx.str(1))));
}

// The longest reason a cancellation keeps.
constexpr int kMaxCancelReason = 200;

// Cancels the meeting, keeping the reason given (optional third argument; blank: none). With it, in
// the same transaction, its remaining open activities are cancelled and its room bookings removed:
// a cancelled meeting never keeps a room blocked, even when the window's later room step does not
// run; a meeting of a series leaves its date marked cancelled. Cancelling a cancelled meeting again
// changes nothing.
Variant GetUpdCancelTarefa(CallContext& ctx) {
    const std::string branch = ctx.str(0), meeting = ctx.str(1);
    // Already cancelled: its bookings, if any are left, are its record and stay.
    if (RequireCancellable(ctx.db(), branch, meeting) == "X") return Variant(1);
    const std::string reason = ctx.has(2) ? TrimAll(ctx.str(2)) : std::string();
    ctx.db().Exec(
        "UPDATE TAREFA SET IDSITTAREFA = 'X', DSMOTCANCEL = ? WHERE CDFILIAL = ? AND NRTAREFA = ?",
        {reason.empty() ? Variant() : Variant(reason), branch, meeting});
    CancelActivities(ctx, branch, meeting);
    ctx.db().Exec("DELETE FROM AGEATIVISALA WHERE CDFILIAL = ? AND NRTAREFA = ?",
                  {branch, meeting});
    MarkOccurrenceCancelled(ctx.db(), branch, meeting);
    return Variant(1);
}

}  // namespace

void RegisterCancellationMethods(MethodRegistry& registry) {
    const ParamSpec branch = StrParam("CDFILIAL", 4, true),
                    meeting = StrParam("NRTAREFA", 10, true);
    const ParamSpec op = StrParam("CDOPERADOR", 12);
    registry.add(Method("GetTestaReuniao", {branch, meeting}, GetTestaReuniao, Access::Read, 0));
    registry.add(Method("GetAtivReuniao", {branch, meeting}, GetAtivReuniao, Access::Read, 0));
    registry.add(Method("GetPrxAtivPessoal", {op}, GetPrxAtivPessoal, Access::Write, -1));
    registry.add(Method("GetInsAtivPessoal",
                        {op, NumParam("NRATIVPESSOAL", true), StrParam("DSATIVPESSOAL", 1000),
                         DateParam("DTHRATIVPESSOAL"), StrParam("IDSITATIVPESS", 1),
                         StrParam("IDAVISO", 1), StrParam("IDLIDO", 1)},
                        GetInsAtivPessoal, Access::Write, -1));
    registry.add(Method("GetAtivPessoal", {op}, GetAtivPessoal, Access::Read, -1));
    registry.add(Method("GetUpdCancelAtiv", {branch, meeting}, GetUpdCancelAtiv, Access::Write, 0));
    registry.add(Method("GetUpdCancelTarefa",
                        {branch, meeting, Optional(StrParam("DSMOTCANCEL", kMaxCancelReason))},
                        GetUpdCancelTarefa, Access::Write, 0));
}

}  // namespace zel::appserver
