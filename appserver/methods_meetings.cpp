// Meetings: the list (GetControle), its change packets (SetControle) and new meeting
// numbers (GetPrxTarefa).
#include <cstdio>

#include "appserver/activity_rules.h"
#include "appserver/counters.h"
#include "appserver/key_list.h"
#include "appserver/meeting_record.h"
#include "appserver/method_support.h"
#include "appserver/methods.h"
#include "appserver/methods_series.h"
#include "appserver/packet_builder.h"
#include "appserver/resolver.h"
#include "appserver/rpc_error.h"
#include "appserver/schema.h"
#include "appserver/sql_query.h"
#include "appserver/sql_value.h"
#include "platform/date_time.h"

namespace zel::appserver {

const char* const kControleSelectSql =
    "SELECT T.CDFILIAL, T.NRTAREFA, T.DSREFETAREFA, T.CDPROCESSO, T.CDOPERRESP, "
    "T.CDPROJETO, PJ.NMPROJETO, R.NMOPERADOR, T.CDASSUNTO, T.CDOPERABER, T.DTABERTAREFA, "
    "T.IDSITTAREFA, T.IDORIGTARE, T.DTHRREUNIAO, T.QTHRREUNIAO, P.CDARVPROCESS, "
    "P.NMPROCESSO, A.NMASSUNTO, AB.NMOPERADOR, "
    "(SELECT MIN(S.CDSALA) FROM AGEATIVISALA S WHERE S.CDFILIAL = T.CDFILIAL "
    "AND S.NRTAREFA = T.NRTAREFA AND S.IDSITAGESALA = 'A'), T.NRSERIETARE "
    "FROM TAREFA T "
    "LEFT JOIN PROJETO PJ ON PJ.CDPROJETO = T.CDPROJETO "
    "LEFT JOIN OPERADOR R ON R.CDOPERADOR = T.CDOPERRESP "
    "LEFT JOIN OPERADOR AB ON AB.CDOPERADOR = T.CDOPERABER "
    "LEFT JOIN PROCESSO P ON P.CDPROCESSO = T.CDPROCESSO "
    "LEFT JOIN ASSUNTO A ON A.CDASSUNTO = T.CDASSUNTO "
    "WHERE T.CDFILIAL = ? AND T.IDORIGTARE = ?";

const std::vector<FieldDef>& ControleFields() {
    using T = TFieldType;
    constexpr unsigned kKey = pfInUpdate | pfInWhere | pfInKey;
    constexpr unsigned kTravel = pfInWhere;  // locates only, never written
    static const std::vector<FieldDef> fields = {
        StringField("CDFILIAL", 4, kKey),
        StringField("NRTAREFA", 10, kKey),
        StringField("DSREFETAREFA", 100),
        StringField("CDPROCESSO", 10),
        StringField("CDOPERRESP", 12),
        StringField("CDPROJETO", 10),
        StringField("NMPROJETO", 100),
        StringField("NMOPERADOR", 40),
        StringField("CDASSUNTO", 5),
        StringField("CDOPERABER", 12),
        Field("DTABERTAREFA", T::ftDateTime),
        StringField("IDSITTAREFA", 1),
        StringField("IDORIGTARE", 1),
        Field("DTHRREUNIAO", T::ftDateTime),
        Field("QTHRREUNIAO", T::ftFloat),
        StringField("CDARVPROCESS", 20),
        StringField("NMPROCESSO", 100),
        StringField("NMASSUNTO", 50),
        StringField("NMOPERABER", 40),
        StringField("DESCRICAO", 111, kTravel),
        Field("DATA", T::ftDateTime, 0, kTravel),
        StringField("CDSALA", 5),
        StringField("HORA", 5, kTravel),
        StringField("NRSERIETARE", 10),
    };
    return fields;
}

std::string NextMeetingNumber(SqlConnection& db, const std::string& branch) {
    const int64_t floor =
        NextAfterMax(db, "SELECT MAX(NRTAREFA) FROM TAREFA WHERE CDFILIAL = ?", {branch});
    return NumberText(NextCounterValue(db, "TAREFA", branch, floor), 10,
                      "as reuniões da filial " + branch);
}

namespace {

constexpr const char* kMeetingOrigin = "4";

// The list-loading parameters, in the order the client sends them after the branch.
enum ControleArg {
    kBranch,
    kReuniao,
    kTReuniao,
    kSituacao,
    kResp,
    kTResp,
    kPauta,
    kTPauta,
    kDtInicial,
    kDtFinal,
    kTData
};

bool All(const CallContext& ctx, size_t flag) {
    const std::string s = ctx.str(flag);
    return s.find_first_not_of(' ') != std::string::npos &&
           s.substr(s.find_first_not_of(' '), 1) == "T";
}

// "_P_A_C_X" -> P, A, C, X
std::vector<std::string> Statuses(const std::string& text) {
    std::vector<std::string> out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '_' || text[i] == ' ' || text[i] == ',' || text[i] == '\'') continue;
        out.emplace_back(1, text[i]);
    }
    return out;
}

SqlQuery ControleQuery(const CallContext& ctx) {
    SqlQuery q;
    q.sql = kControleSelectSql;
    q.params = {ctx.str(kBranch), kMeetingOrigin};
    q.sql += " AND " + q.In("T.IDSITTAREFA", Statuses(ctx.str(kSituacao)));
    if (!All(ctx, kTReuniao))
        q.sql += " AND " + q.In("T.NRTAREFA", ParseKeyList(ctx.str(kReuniao), "reuniões"));
    if (!All(ctx, kTResp))
        q.sql += " AND " + q.In("T.CDOPERRESP", ParseKeyList(ctx.str(kResp), "responsáveis"));
    if (!All(ctx, kTPauta)) {
        // An agenda key is the item number, or branch + meeting + item number as the agenda
        // pick list's CODIGO carries it.
        std::vector<std::string> items, codes;
        for (std::string& k : ParseKeyList(ctx.str(kPauta), "pautas"))
            (k.size() > 10 ? codes : items).push_back(std::move(k));
        // Each In() binds its values as it is called, so the pieces are appended in order.
        q.sql +=
            " AND EXISTS (SELECT 1 FROM ITEMTAREFA I WHERE I.CDFILIAL = T.CDFILIAL "
            "AND I.NRTAREFA = T.NRTAREFA AND (";
        q.sql += q.In("I.NRSEQUITTARE", items);
        q.sql += " OR ";
        q.sql += q.In("I.CDFILIAL || I.NRTAREFA || I.NRSEQUITTARE", codes);
        q.sql += "))";
    }
    if (!All(ctx, kTData)) {
        // Whole days, both inclusive, whatever time of day the two dates carry.
        q.sql += " AND T.DTHRREUNIAO >= ? AND T.DTHRREUNIAO < ?";
        q.params.push_back(Variant::FromDateTime(DateOf(ctx.date(kDtInicial))));
        q.params.push_back(Variant::FromDateTime(DateOf(ctx.date(kDtFinal)) + 1));
    }
    q.sql += " ORDER BY T.DTHRREUNIAO, T.NRTAREFA";
    return q;
}

// DESCRICAO, DATA and HORA from the meeting's number, reference and start; the room and the
// series follow in the packet's order.
void AddComputed(SqlRow& raw, const std::vector<FieldDef>& fields) {
    const Variant start = FromSqlValue(fields[13], raw[13]);
    Variant day, hour;
    if (!start.IsNull()) {
        const TDateTime t = start.AsDateTime();
        const TimeParts tp = DecodeTime(t);
        char buf[8];
        std::snprintf(buf, sizeof buf, "%02d:%02d", tp.hour, tp.minute);
        day = Variant::FromDateTime(DateOf(t));
        hour = Variant(std::string(buf));
    }
    const Variant room = raw[19];
    const Variant series = raw[20];
    raw.resize(19);
    raw.push_back(Variant(raw[1].AsString() + " " + raw[2].AsString()));
    raw.push_back(day);
    raw.push_back(room);
    raw.push_back(hour);
    raw.push_back(series);
}

Variant GetControle(CallContext& ctx) {
    const SqlQuery q = ControleQuery(ctx);
    SqlResult r = ctx.db().Exec(q.sql, q.params);
    const std::vector<FieldDef>& fields = ControleFields();
    for (SqlRow& row : r.rows)
        AddComputed(row, fields);
    ctx.setResultText(PacketText(fields, r.rows));
    return Variant();
}

// Rows of a meeting that go with it when it is deleted: minutes, agenda items, bookings. A
// date of a series whose meeting is deleted no longer holds a meeting: it counts as cancelled.
void DeleteMeetingDependants(SqlConnection& db, const RowValues& key) {
    const SqlParams k = {key.at("CDFILIAL"), key.at("NRTAREFA")};
    db.Exec("DELETE FROM DESCITEMTARE WHERE CDFILIAL = ? AND NRTAREFA = ?", k);
    db.Exec("DELETE FROM ITEMTAREFA WHERE CDFILIAL = ? AND NRTAREFA = ?", k);
    db.Exec("DELETE FROM AGEATIVISALA WHERE CDFILIAL = ? AND NRTAREFA = ?", k);
    MarkOccurrenceCancelled(db, key.at("CDFILIAL").AsString(), key.at("NRTAREFA").AsString());
}

// Refusals made before the packet is applied, against the meetings as stored: a foreign
// branch, an edit of a cancelled or concluded meeting and a delete of one that is not
// pending. The meetings read stay locked until
// the call ends; one that is gone is reported by the resolver (stale_row).
void CheckMeetingChanges(CallContext& ctx, const ChangePacket& packet) {
    for (const Change& change : packet.changes) {
        if (change.op == ChangeOp::Insert) continue;
        const std::string branch = ChangeText(packet, change, "CDFILIAL", true);
        const std::string nr = ChangeText(packet, change, "NRTAREFA", true);
        if (branch.empty() || nr.empty()) continue;  // the resolver refuses a missing key
        RequireBranch(ctx, branch);
        const std::optional<std::string> status = MeetingStatus(ctx.db(), branch, nr);
        if (status && change.op == ChangeOp::Update && (*status == "X" || *status == "C"))
            throw RpcError(code::kConflict,
                           "Reunião cancelada ou concluída não pode ser alterada.");
        // The window deletes only pending meetings; the stored status decides here too.
        if (status && change.op == ChangeOp::Delete && *status != "P")
            throw RpcError(code::kConflict, "Somente reunião pendente pode ser excluída.");
    }
}

// Meeting change packets. Status and origin change only through their own methods; who
// opened the meeting and when are the server's, and so is the series a meeting belongs to
// (only the series methods set it).
Variant SetControle(CallContext& ctx) {
    CheckMeetingChanges(ctx, ctx.delta(0));
    ResolvePolicy policy;
    const std::string op = ctx.session().operatorCode;
    const TDateTime now = ctx.now();
    policy.checkBranch = [&ctx](const std::string& b) { RequireBranch(ctx, b); };
    policy.guarded = {"IDSITTAREFA", "IDORIGTARE"};
    policy.serverOwned = {"CDOPERABER", "DTABERTAREFA", "NRSERIETARE"};
    policy.stampInsert = [op, now](RowValues& row) {
        // What the window never sends for a new meeting.
        row["IDSITTAREFA"] = "P";
        row["IDORIGTARE"] = kMeetingOrigin;
        row["DTABERTAREFA"] = Variant::FromDateTime(now);
        row["CDOPERABER"] = op;
    };
    policy.stampUpdate = [op](RowValues& row) { row["CDOPERABER"] = op; };
    policy.beforeDelete = DeleteMeetingDependants;
    policy.validate = [](const RowValues& row) {
        auto q = row.find("QTHRREUNIAO");
        if (q != row.end() && !q->second.IsNull() &&
            (q->second.AsFloat() < 0 || q->second.AsFloat() >= 24))
            throw RpcError(code::kBadArguments, "Quantidade de horas informada incorretamente.");
    };
    const ResolveCounts n = ApplyChangePacket(ctx.db(), Table("TAREFA"), ctx.delta(0), policy);
    return Variant(n.inserted + n.updated + n.deleted);
}

Variant GetPrxTarefa(CallContext& ctx) {
    return Variant(NextMeetingNumber(ctx.db(), ctx.str(0)));
}

}  // namespace

void RegisterMeetingMethods(MethodRegistry& registry) {
    MethodDef list;
    list.name = "GetControle";
    list.params = {StrParam("CDFILIAL", 4),         StrParam("stReuniao", 0, true),
                   StrParam("stTReuniao", 1, true), StrParam("stSituacao", 100, true),
                   StrParam("stResp", 0, true),     StrParam("stTResp", 1, true),
                   StrParam("stPauta", 0, true),    StrParam("stTPauta", 1, true),
                   DateParam("dtInicial", true),    DateParam("dtFinal", true),
                   StrParam("stTData", 1, true)};
    list.handler = GetControle;
    list.branchParam = kBranch;
    registry.add(std::move(list));

    MethodDef set;
    set.name = "SetControle";
    set.params = {DeltaParam("Delta")};
    set.access = Access::Write;
    set.handler = SetControle;
    registry.add(std::move(set));

    MethodDef next;
    next.name = "GetPrxTarefa";
    next.params = {StrParam("CDFILIAL", 4)};
    next.access = Access::Write;
    next.handler = GetPrxTarefa;
    next.branchParam = 0;
    registry.add(std::move(next));
}

}  // namespace zel::appserver
