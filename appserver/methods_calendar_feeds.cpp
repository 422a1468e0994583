// GetCalendarios(): the session operator's feeds, oldest first, each with what it shows.
// SetCalendario(IDTIPO, CDFILIAL, CHAVE): a new feed; IDTIPO "O" his own meetings (branch and
//   key unused), "S" the room CHAVE of the branch, "R" the series CHAVE of the branch (the
//   number of its first meeting). Returns its number, its token (never shown again) and what
//   it shows.
// DelCalendario(NRCALEND): revokes one of his feeds; its address answers 404 from then on.
#include "appserver/methods_calendar_feeds.h"

#include "appserver/counters.h"
#include "appserver/feed_stamps.h"
#include "appserver/method_support.h"
#include "appserver/methods.h"
#include "appserver/password_hash.h"
#include "appserver/rpc_error.h"

namespace zel::appserver {

namespace {

using T = TFieldType;

std::string Describe(const std::string& kind, const std::string& branch, const std::string& room,
                     const std::string& roomName, const std::string& series) {
    if (kind == "S")
        return "Sala " + (roomName.empty() ? room : TrimAll(roomName)) + " (filial " + branch + ")";
    if (kind == "R") return "Série " + series + " (filial " + branch + ")";
    return "Minhas reuniões";
}

std::string Str(const Variant& v) {
    return v.IsNull() ? std::string() : TrimAll(v.AsString());
}

Variant GetCalendarios(CallContext& ctx) {
    static const std::vector<FieldDef> fields = {
        Field("NRCALEND", T::ftInteger),  StringField("IDTIPO", 1),
        StringField("CDFILIAL", 4),       StringField("CDSALA", 5),
        StringField("NRSERIETARE", 10),   StringField("DSCALEND", 100),
        Field("DTCRIACAO", T::ftDateTime)};
    const SqlResult r = ctx.db().Exec(
        "SELECT C.NRCALEND, C.IDTIPO, C.CDFILIAL, C.CDSALA, C.NRSERIETARE, S.NMSALA, C.DTCRIACAO "
        "FROM CALENDFEED C LEFT JOIN SALA S ON S.CDFILIAL = C.CDFILIAL AND S.CDSALA = C.CDSALA "
        "WHERE C.CDOPERADOR = ? ORDER BY C.NRCALEND",
        {ctx.session().operatorCode});
    std::vector<SqlRow> rows;
    for (const SqlRow& row : r.rows)
        rows.push_back(
            {row[0], row[1], row[2], row[3], row[4],
             Variant(Describe(Str(row[1]), Str(row[2]), Str(row[3]), Str(row[5]), Str(row[4]))),
             row[6]});
    return RowsPacket(fields, rows);
}

// A series number as typed: digits are zero-filled to the width of meeting numbers.
std::string SeriesNumber(const std::string& typed) {
    const std::string t = TrimAll(typed);
    if (t.empty() || t.size() > 10 || t.find_first_not_of("0123456789") != std::string::npos)
        return t;
    return ZeroFill(std::stoll(t), 10);
}

Variant SetCalendario(CallContext& ctx) {
    const std::string kind = TrimAll(ctx.str(0));
    const std::string op = ctx.session().operatorCode;
    std::string branch = TrimAll(ctx.str(1)), room, series, key;
    if (kind == "O") {
        branch.clear();
        key = FeedStamps::OperatorKey(op);
    } else if (kind == "S" || kind == "R") {
        RequireBranch(ctx, branch);
        if (kind == "S") {
            room = TrimAll(ctx.str(2));
            if (ctx.db()
                    .Exec("SELECT 1 FROM SALA WHERE CDFILIAL = ? AND CDSALA = ?", {branch, room})
                    .rows.empty())
                throw RpcError(code::kNotFound,
                               "Sala " + room + " não cadastrada na filial " + branch + ".");
            key = FeedStamps::RoomKey(branch, room);
        } else {
            series = SeriesNumber(ctx.str(2));
            if (ctx.db()
                    .Exec("SELECT 1 FROM SERIETAREFA WHERE CDFILIAL = ? AND NRSERIETARE = ?",
                          {branch, series})
                    .rows.empty())
                throw RpcError(code::kNotFound,
                               "Série " + series + " não cadastrada na filial " + branch + ".");
            key = FeedStamps::SeriesKey(branch, series);
        }
    } else {
        throw RpcError(code::kBadArguments,
                       "Tipo de calendário inválido: use O (minhas reuniões), S (sala) ou R "
                       "(série).");
    }
    const long long count = ctx.db()
                                .Exec("SELECT COUNT(*) FROM CALENDFEED WHERE CDOPERADOR = ?", {op})
                                .rows[0][0]
                                .AsInteger();
    if (count >= kMaxFeedsPerOperator)
        throw RpcError(code::kConflict, "Limite de " + std::to_string(kMaxFeedsPerOperator) +
                                            " calendários por operador atingido. Revogue um "
                                            "que não use mais.");
    const std::string token = NewToken();
    const long long id = NextCounterValue(ctx.db(), "CALENDFEED", "*");
    FeedStamps::Ensure(ctx.db(), key, ctx.now());
    ctx.db().Exec(
        "INSERT INTO CALENDFEED (NRCALEND, DSTOKENHASH, CDOPERADOR, IDTIPO, CDFILIAL, CDSALA, "
        "NRSERIETARE, DSCHAVE, DTCRIACAO) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)",
        {id, TokenDigest(token), op, kind, CodeOrNull(branch), CodeOrNull(room), CodeOrNull(series),
         key, Variant::FromDateTime(ctx.now())});
    std::string roomName;
    if (kind == "S")
        roomName = Str(
            ctx.db()
                .Exec("SELECT NMSALA FROM SALA WHERE CDFILIAL = ? AND CDSALA = ?", {branch, room})
                .rows[0][0]);
    static const std::vector<FieldDef> fields = {
        Field("NRCALEND", T::ftInteger), StringField("TOKEN", 64), StringField("DSCALEND", 100)};
    return RowsPacket(fields, {{Variant(id), Variant(token),
                                Variant(Describe(kind, branch, room, roomName, series))}});
}

Variant DelCalendario(CallContext& ctx) {
    const long long id = PositiveWholeNumber(ctx.num(0), "Número de calendário inválido.");
    const SqlResult r =
        ctx.db().Exec("DELETE FROM CALENDFEED WHERE NRCALEND = ? AND CDOPERADOR = ?",
                      {id, ctx.session().operatorCode});
    // Another operator's feed is as unknown as a missing one.
    if (r.affected != 1)
        throw RpcError(code::kNotFound, "Calendário " + std::to_string(id) + " não encontrado.");
    return Variant(1);
}

}  // namespace

void RegisterCalendarFeedMethods(MethodRegistry& registry) {
    registry.add(Method("GetCalendarios", {}, GetCalendarios, Access::Read));
    registry.add(Method("SetCalendario",
                        {StrParam("IDTIPO", 1), StrParam("CDFILIAL", 4), StrParam("CHAVE", 10)},
                        SetCalendario, Access::Write));
    registry.add(Method("DelCalendario", {NumParam("NRCALEND")}, DelCalendario, Access::Write));
}

}  // namespace zel::appserver
