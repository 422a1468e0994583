// Activities following meeting changes. Every write stamps the session's operator and the
// server clock as the activity's last writer (CDOPERINCL, DTINCATIVTAR), whatever the
// client passed in those arguments.
#include "appserver/methods_activity_sync.h"

#include <cmath>
#include <set>

#include "appserver/activity_rules.h"
#include "appserver/meeting_rules.h"
#include "appserver/method_support.h"
#include "appserver/methods.h"
#include "appserver/rpc_error.h"
#include "appserver/sql_value.h"
#include "platform/exceptions.h"

namespace zel::appserver {

namespace {

using T = TFieldType;

// The processes a new meeting books activities for: the meeting's own process (by its tree
// code) and every meeting-participation process, each once, active ones only.
Variant GetCarregaAtividade(CallContext& ctx) {
    static const std::vector<FieldDef> fields = {
        StringField("CDPROCESSO", 10),   StringField("CDNVPROCESSO", 1),
        StringField("CDARVPROCESS", 20), StringField("NMPROCESSO", 100),
        StringField("IDTPPROCESSO", 1),  StringField("CDSETOR", 4),
        StringField("IDPROREUNIAO", 1)};
    return RowsPacket(fields, ctx.db()
                                  .Exec("SELECT CDPROCESSO, CDNVPROCESSO, CDARVPROCESS, "
                                        "NMPROCESSO, IDTPPROCESSO, CDSETOR, IDPROREUNIAO FROM "
                                        "PROCESSO WHERE IDATIVO = 'S' AND (CDARVPROCESS = ? OR "
                                        "IDPROREUNIAO = 'S') ORDER BY CDARVPROCESS",
                                        {PlainTreeCode(ctx.str(0))})
                                  .rows);
}

// A duration in hours: a number or a pt-BR text ("1,5"); blank or null for none. A stored
// duration lies in [0, 24).
Variant OptionalHours(const Variant& v) {
    double h = 0;
    if (v.IsNull()) return Variant();
    if (v.IsNumber()) {
        h = v.AsFloat();
    } else if (v.kind() == Variant::Kind::String && v.AsString().size() <= 40) {
        if (IsBlank(v.AsString())) return Variant();
        if (!ParsePtBrNumber(v.AsString(), h))
            throw RpcError(code::kBadArguments,
                           "Quantidade de horas inválida: \"" + v.AsString() + "\".");
    } else {
        throw RpcError(code::kBadArguments, "Quantidade de horas inválida.");
    }
    if (!(h >= 0 && h < 24))
        throw RpcError(code::kBadArguments, "Quantidade de horas informada incorretamente.");
    return Variant(h);
}

void RequireProcess(SqlConnection& db, const std::string& process) {
    if (db.Exec("SELECT 1 FROM PROCESSO WHERE CDPROCESSO = ?", {process}).rows.empty())
        throw RpcError(code::kNotFound, "Processo não cadastrado.");
}

void RequireWorkItem(SqlConnection& db, const std::string& item) {
    if (!IsBlank(item) &&
        db.Exec("SELECT 1 FROM ITEMTRAB WHERE CDITEMTRAB = ?", {item}).rows.empty())
        throw RpcError(code::kNotFound, "Item de Trabalho não cadastrado.");
}

// A pending activity as the automatic writers create it.
struct NewActivity {
    std::string branch, meeting, number, process, responsible;
    Variant start, end, hours;
};

void InsertActivity(CallContext& ctx, const NewActivity& a) {
    const Writer w = WriterOf(ctx);
    ctx.db().Exec(
        "INSERT INTO PLANATIVTARE (CDFILIAL, NRTAREFA, NRPLATIVTARE, CDPROCESSO, CDOPERRESP, "
        "DTINPATIVTAR, DTFIPATIVTAR, QTHRPATIVTAR, DTINCATIVTAR, CDOPERINCL, IDSITATIVTAR, "
        "IDOPERPAREUNIAO) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 'P', 'N')",
        {a.branch, a.meeting, a.number, a.process, a.responsible, a.start, a.end, a.hours,
         Variant::FromDateTime(w.now), w.op});
}

// Creates the activity its ten arguments describe (branch, meeting, number, process, moment,
// responsible, writer, start, end, duration), pending. The number must be one GetPrxPlanAtivTare
// handed out to the session's operator for that meeting and not used yet. Start, end and
// duration may be empty (activities of processes other than participation); start and end
// lie on one day. Moment and writer are the server's.
Variant GetInsereAtiv(CallContext& ctx) {
    NewActivity a;
    a.branch = ctx.str(0);
    a.meeting = ctx.str(1);
    const double n = ctx.num(2);
    if (!(n >= 1 && n <= 99999 && std::trunc(n) == n))
        throw RpcError(code::kBadArguments, "Número de atividade inválido.");
    a.number = NumberText(static_cast<int64_t>(n), 5, "as atividades");
    a.process = ctx.str(3);
    a.responsible = ctx.str(5);
    a.start = OptionalDate(ctx.arg(7), "início da atividade");
    a.end = OptionalDate(ctx.arg(8), "fim da atividade");
    a.hours = OptionalHours(ctx.arg(9));
    RequireActivityWithinDay(a.start, a.end);
    RequireActivitiesOpen(ctx.db(), a.branch, a.meeting);
    RequireProcess(ctx.db(), a.process);
    RequireOperator(ctx.db(), a.responsible, "Participante não cadastrado.");
    RequirePlanActivityNumber(ctx.db(), a.branch, a.meeting, static_cast<int64_t>(n),
                              WriterOf(ctx));
    InsertActivity(ctx, a);
    return Variant(1);
}

// The meeting's participation activities still pending: those that follow the meeting's
// new times after it is edited.
Variant GetAlteraAtiv(CallContext& ctx) {
    static const std::vector<FieldDef> fields = {
        StringField("CDFILIAL", 4),           StringField("NRTAREFA", 10),
        StringField("CDPROCESSO", 10),        StringField("IDSITATIVTAR", 1),
        StringField("IDPROREUNIAO", 1),       StringField("NRPLATIVTARE", 5),
        StringField("CDITEMTRAB", 10),        Field("DTINPATIVTAR", T::ftDateTime),
        Field("DTFIPATIVTAR", T::ftDateTime), StringField("CDOPERRESP", 12),
        StringField("CDOPERINCL", 12)};
    return RowsPacket(fields,
                      ctx.db()
                          .Exec("SELECT A.CDFILIAL, A.NRTAREFA, A.CDPROCESSO, A.IDSITATIVTAR, "
                                "P.IDPROREUNIAO, A.NRPLATIVTARE, A.CDITEMTRAB, A.DTINPATIVTAR, "
                                "A.DTFIPATIVTAR, A.CDOPERRESP, A.CDOPERINCL FROM PLANATIVTARE A "
                                "JOIN PROCESSO P ON P.CDPROCESSO = A.CDPROCESSO "
                                "WHERE A.CDFILIAL = ? AND A.NRTAREFA = ? AND P.IDPROREUNIAO = 'S' "
                                "AND A.IDSITATIVTAR = 'P' ORDER BY A.NRPLATIVTARE",
                                {ctx.str(1), ctx.str(0)})
                          .rows);
}

// Rewrites one activity with the meeting's new times. Only a pending activity is rewritten:
// one that started, ended or was cancelled meanwhile is refused, never overwritten.
Variant GetUpdAtiv(CallContext& ctx) {
    const std::string branch = ctx.str(8), meeting = ctx.str(9), number = ctx.str(10);
    const std::string process = ctx.str(0), responsible = ctx.str(1), item = ctx.str(7);
    const Variant end = Variant::FromDateTime(ctx.date(2));
    const Variant start = Variant::FromDateTime(ctx.date(3));
    const Variant hours = OptionalHours(ctx.arg(4));
    RequireActivityWithinDay(start, end);
    RequireActivitiesOpen(ctx.db(), branch, meeting);
    RequireProcess(ctx.db(), process);
    if (!IsBlank(responsible))
        RequireOperator(ctx.db(), responsible, "Participante não cadastrado.");
    RequireWorkItem(ctx.db(), item);
    const Writer w = WriterOf(ctx);
    const SqlResult r = ctx.db().Exec(
        "UPDATE PLANATIVTARE SET CDPROCESSO = ?, CDOPERRESP = ?, DTFIPATIVTAR = ?, "
        "DTINPATIVTAR = ?, QTHRPATIVTAR = ?, DTINCATIVTAR = ?, CDOPERINCL = ?, CDITEMTRAB = ? "
        "WHERE CDFILIAL = ? AND NRTAREFA = ? AND NRPLATIVTARE = ? AND IDSITATIVTAR = 'P'",
        {process, IsBlank(responsible) ? Variant() : Variant(responsible), end, start, hours,
         Variant::FromDateTime(w.now), w.op, IsBlank(item) ? Variant() : Variant(item), branch,
         meeting, number});
    if (r.affected == 1) return Variant(1);
    if (ctx.db()
            .Exec("SELECT 1 FROM PLANATIVTARE WHERE CDFILIAL = ? AND NRTAREFA = ? AND "
                  "NRPLATIVTARE = ?",
                  {branch, meeting, number})
            .rows.empty())
        throw RpcError(code::kNotFound, "Atividade " + number + " não cadastrada.");
    throw RpcError(code::kConflict,
                   "A atividade " + number +
                       " já foi iniciada, concluída ou cancelada e não pode ser alterada.");
}

// Every activity of a meeting, in the participant-import layout.
Variant GetAtividadesAux(CallContext& ctx) {
    SqlResult r = ctx.db().Exec(
        ActivitySelect(true) + "WHERE A.CDFILIAL = ? AND A.NRTAREFA = ? ORDER BY A.NRPLATIVTARE",
        {ctx.str(0), ctx.str(1)});
    FillDurationTexts(r.rows, true);
    return RowsPacket(AtividadesAuxFields(), r.rows);
}

// Rows a participant import may carry per packet: the activities of one meeting.
constexpr size_t kMaxImportRows = 5000;

// The responsible operators of a packet's activities that are not cancelled.
std::set<std::string> Participants(const Variant& packetArg, const char* what) {
    const DataPacket p = DataPacketFromJson(packetArg.AsPacket());
    if (p.rows.size() > kMaxImportRows)
        throw RpcError(code::kTooLong, std::string("O pacote de atividades ") + what + " traz " +
                                           std::to_string(p.rows.size()) + " linhas; o máximo é " +
                                           std::to_string(kMaxImportRows) + ".");
    const int resp = p.FieldIndex("CDOPERRESP"), status = p.FieldIndex("IDSITATIVTAR");
    if (resp < 0)
        throw RpcError(code::kBadArguments,
                       std::string("O pacote de atividades ") + what + " não traz CDOPERRESP.");
    std::set<std::string> out;
    for (const PacketRow& row : p.rows) {
        const Variant& v = row.at(static_cast<size_t>(resp));
        if (v.IsNull() || IsBlank(v.AsString())) continue;
        if (status >= 0 && row.at(static_cast<size_t>(status)).AsString() == "X") continue;
        out.insert(v.AsString());
    }
    return out;
}

// Books into the destination meeting one pending participation activity per participant of
// the source packet who has none there, with the destination meeting's start, end and
// duration. "Has none" is judged on the destination packet and on the stored activities
// together, so a stale packet never books anyone twice. Participants no longer registered
// as active operators are left out. Returns how many were booked.
Variant SetParticipantesAuto(CallContext& ctx) {
    const std::set<std::string> source = Participants(ctx.arg(1), "de origem");
    std::set<std::string> present = Participants(ctx.arg(0), "de destino");
    NewActivity a;
    a.branch = ctx.str(2);
    a.meeting = ctx.str(3);
    a.end = Variant::FromDateTime(ctx.date(4));
    a.start = Variant::FromDateTime(ctx.date(5));
    a.hours = OptionalHours(ctx.arg(6));
    RequireActivityWithinDay(a.start, a.end);
    RequireActivitiesOpen(ctx.db(), a.branch, a.meeting);
    a.process = ParticipationProcess(ctx.db());
    if (a.process.empty())
        throw RpcError(code::kNotFound, "Não há processo de participação em reunião cadastrado.");
    for (const SqlRow& row : ctx.db()
                                 .Exec("SELECT DISTINCT CDOPERRESP FROM PLANATIVTARE WHERE "
                                       "CDFILIAL = ? AND NRTAREFA = ? AND CDOPERRESP IS NOT NULL "
                                       "AND (IDSITATIVTAR IS NULL OR IDSITATIVTAR <> 'X')",
                                       {a.branch, a.meeting})
                                 .rows)
        present.insert(row[0].AsString());
    int booked = 0;
    for (const std::string& op : source) {
        if (present.count(op)) continue;
        if (ctx.db()
                .Exec("SELECT 1 FROM OPERADOR WHERE CDOPERADOR = ? AND IDATIVO = 'S'", {op})
                .rows.empty())
            continue;
        a.number = NextPlanActivityNumber(ctx.db(), a.branch, a.meeting);
        a.responsible = op;
        InsertActivity(ctx, a);
        ++booked;
    }
    return Variant(booked);
}

// Activities of the meeting still open (neither concluded nor cancelled).
Variant GetConcTarefa(CallContext& ctx) {
    static const std::vector<FieldDef> fields = {
        StringField("CDFILIAL", 4), StringField("NRTAREFA", 10), StringField("IDSITATIVTAR", 1)};
    return RowsPacket(fields, ctx.db()
                                  .Exec("SELECT CDFILIAL, NRTAREFA, IDSITATIVTAR FROM "
                                        "PLANATIVTARE WHERE CDFILIAL = ? AND NRTAREFA = ? AND "
                                        "(IDSITATIVTAR IS NULL OR IDSITATIVTAR NOT IN ('C', "
                                        "'X')) ORDER BY NRPLATIVTARE",
                                        {ctx.str(0), ctx.str(1)})
                                  .rows);
}

// Concludes the meeting. Refused for a cancelled meeting and while an activity is still
// open (checked again here, in the same transaction as the write). Concluding a concluded
// meeting changes nothing.
Variant GetUpdConcTarefa(CallContext& ctx) {
    const std::string branch = ctx.str(0), meeting = ctx.str(1);
    const std::optional<std::string> status = MeetingStatus(ctx.db(), branch, meeting);
    if (!status) throw RpcError(code::kNotFound, "Reunião " + meeting + " não cadastrada.");
    if (*status == "X")
        throw RpcError(code::kConflict, "Reunião cancelada não pode ser concluída.");
    if (!ctx.db()
             .Exec("SELECT 1 FROM PLANATIVTARE WHERE CDFILIAL = ? AND NRTAREFA = ? AND "
                   "(IDSITATIVTAR IS NULL OR IDSITATIVTAR NOT IN ('C', 'X'))",
                   {branch, meeting})
             .rows.empty())
        throw RpcError(code::kConflict,
                       "A reunião ainda tem atividades em aberto e não pode ser concluída.");
    ctx.db().Exec("UPDATE TAREFA SET IDSITTAREFA = 'C' WHERE CDFILIAL = ? AND NRTAREFA = ?",
                  {branch, meeting});
    return Variant(1);
}

ParamSpec AnyParam(std::string name, bool byRef = false) {
    return {std::move(name), ParamKind::Any, 0, byRef};
}

}  // namespace

void RegisterActivitySyncMethods(MethodRegistry& registry) {
    const ParamSpec branch = StrParam("CDFILIAL", 4), meeting = StrParam("NRTAREFA", 10);
    const ParamSpec branchRef = StrParam("CDFILIAL", 4, true);
    const ParamSpec meetingRef = StrParam("NRTAREFA", 10, true);
    registry.add(Method("GetCarregaAtividade", {StrParam("CDARVPROCESS", 20, true)},
                        GetCarregaAtividade, Access::Read, -1));
    registry.add(
        Method("GetInsereAtiv",
               {branch, meetingRef, NumParam("NRPLATIVTARE", true), StrParam("CDPROCESSO", 10),
                DateParam("DTINCATIVTAR"), StrParam("CDOPERRESP", 12), StrParam("CDOPERINCL", 12),
                AnyParam("DTINPATIVTAR"), AnyParam("DTFIPATIVTAR"), AnyParam("QTHRPATIVTAR", true)},
               GetInsereAtiv, Access::Write, 0));
    registry.add(Method("GetAlteraAtiv", {meeting, branch}, GetAlteraAtiv, Access::Read, 1));
    registry.add(
        Method("GetUpdAtiv",
               {StrParam("CDPROCESSO", 10), StrParam("CDOPERRESP", 12), DateParam("DTFIPATIVTAR"),
                DateParam("DTINPATIVTAR"), AnyParam("QTHRPATIVTAR"), DateParam("DTINCATIVTAR"),
                StrParam("CDOPERINCL", 12), StrParam("CDITEMTRAB", 10), branch, meeting,
                StrParam("NRPLATIVTARE", 5)},
               GetUpdAtiv, Access::Write, 8));
    registry.add(
        Method("GetAtividadesAux", {branchRef, meetingRef}, GetAtividadesAux, Access::Read, 0));
    registry.add(Method("SetParticipantesAuto",
                        {{"Destino", ParamKind::DataPacket, 0, false},
                         {"Origem", ParamKind::DataPacket, 0, false},
                         branchRef,
                         meetingRef,
                         DateParam("DTHRFINREUNIAO"),
                         DateParam("DTHRREUNIAO"),
                         AnyParam("QTHRREUNIAO", true),
                         DateParam("DTINCATIVTAR"),
                         StrParam("CDOPERINCL", 12)},
                        SetParticipantesAuto, Access::Write, 2));
    registry.add(Method("GetConcTarefa", {branchRef, meetingRef}, GetConcTarefa, Access::Read, 0));
    registry.add(
        Method("GetUpdConcTarefa", {branchRef, meetingRef}, GetUpdConcTarefa, Access::Write, 0));
}

}  // namespace zel::appserver
