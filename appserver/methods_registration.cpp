#include "appserver/methods_registration.h"

#include <algorithm>
#include <cctype>

#include "appserver/activity_rules.h"
#include "appserver/counters.h"
#include "appserver/key_list.h"
#include "appserver/meeting_rules.h"
#include "appserver/method_support.h"
#include "appserver/methods.h"
#include "appserver/packet_builder.h"
#include "appserver/rpc_error.h"
#include "appserver/sql_query.h"
#include "appserver/sql_value.h"

namespace zel::appserver {

namespace {

Variant GetCadOperPart(CallContext& ctx) {
    static const std::vector<FieldDef> fields = {
        Field("IDMARCADO", TFieldType::ftFixedChar, 1, pfHidden), StringField("CDOPERADOR", 12),
        StringField("NMOPERADOR", 40)};
    std::string sql =
        "SELECT ' ', O.CDOPERADOR, O.NMOPERADOR FROM OPERADOR O "
        "JOIN OPERFILIAL F ON F.CDOPERADOR = O.CDOPERADOR AND F.CDFILIAL = ? "
        "WHERE O.IDATIVO = 'S'";
    SqlParams params = {LoginBranch(ctx)};
    const std::string code = ctx.str(0);
    if (!AllFlag(ctx.str(1)) && !::IsBlank(code)) {
        sql += " AND O.CDOPERADOR = ?";
        params.push_back(code);
    }
    return QueryPacket(ctx.db(), fields, sql + " ORDER BY O.NMOPERADOR, O.CDOPERADOR", params);
}

// The default work item of participation activities: the parameter ITTRABREUNIAO when it
// names a work item, else the one the meeting's participation activities already use.
Variant DefaultWorkItem(SqlConnection& db, const std::string& branch, const std::string& nr) {
    SqlResult r = db.Exec(
        "SELECT I.CDITEMTRAB FROM PARAMETRO P JOIN ITEMTRAB I ON I.CDITEMTRAB = P.VLPARAMETRO "
        "WHERE P.NMPARAMETRO = 'ITTRABREUNIAO'");
    if (!r.rows.empty()) return r.rows[0][0];
    r = db.Exec(
        "SELECT A.CDITEMTRAB FROM PLANATIVTARE A JOIN PROCESSO P ON P.CDPROCESSO = A.CDPROCESSO "
        "WHERE A.CDFILIAL = ? AND A.NRTAREFA = ? AND P.IDPROREUNIAO = 'S' "
        "AND A.CDITEMTRAB IS NOT NULL ORDER BY A.NRPLATIVTARE",
        {branch, nr});
    return r.rows.empty() ? Variant() : r.rows[0][0];
}

// Every active participation process, the one whose tree code is the meeting's first (the
// dialog books the first row only).
Variant GetCarAtividades(CallContext& ctx) {
    static const std::vector<FieldDef> fields = {
        StringField("CDPROCESSO", 10),   StringField("CDNVPROCESSO", 1),
        StringField("CDARVPROCESS", 20), StringField("NMPROCESSO", 100),
        StringField("IDTPPROCESSO", 1),  StringField("CDSETOR", 4),
        StringField("IDPROREUNIAO", 1),  StringField("CDITEMTRAB", 10)};
    const std::string branch = ctx.str(0), nr = ctx.str(1);
    RequireMeeting(ctx.db(), branch, nr);
    std::string tree;
    for (char c : ctx.str(2))
        if (c != ' ' && c != '.') tree += c;
    SqlResult r = ctx.db().Exec(
        "SELECT CDPROCESSO, CDNVPROCESSO, CDARVPROCESS, NMPROCESSO, IDTPPROCESSO, CDSETOR, "
        "IDPROREUNIAO FROM PROCESSO WHERE IDPROREUNIAO = 'S' AND IDATIVO = 'S' "
        "ORDER BY CASE WHEN CDARVPROCESS = ? THEN 0 ELSE 1 END, CDARVPROCESS",
        {tree});
    const Variant item = DefaultWorkItem(ctx.db(), branch, nr);
    for (SqlRow& row : r.rows)
        row.push_back(item);
    return PacketResult(BuildDataPacket(fields, r.rows));
}

Variant GetAuxPart(CallContext& ctx) {
    static const std::vector<FieldDef> fields = {StringField("CDOPERADOR", 12),
                                                 StringField("NMOPERADOR", 40)};
    SqlQuery q;
    q.sql = "SELECT CDOPERADOR, NMOPERADOR FROM OPERADOR WHERE IDATIVO = 'S' AND ";
    q.sql += q.In("CDOPERADOR", ParseKeyList(ctx.str(0), "participantes"));
    q.sql += " ORDER BY NMOPERADOR, CDOPERADOR";
    return QueryPacket(ctx.db(), fields, q.sql, q.params);
}

enum InsArg { kBranch, kMeeting, kNumber, kProcess, kMoment, kPart, kStart, kEnd, kHours, kItem };

// The participation process to book: the one given, which must be a participation process,
// or the first active one when none is given.
std::string ParticipationProcess(SqlConnection& db, const std::string& given) {
    if (::IsBlank(given)) {
        const SqlResult r = db.Exec(
            "SELECT CDPROCESSO FROM PROCESSO WHERE IDPROREUNIAO = 'S' AND IDATIVO = 'S' "
            "ORDER BY CDARVPROCESS");
        if (r.rows.empty())
            throw RpcError(code::kNotFound,
                           "Não há processo de participação em reunião cadastrado.");
        return r.rows[0][0].AsString();
    }
    const SqlResult r = db.Exec("SELECT IDPROREUNIAO FROM PROCESSO WHERE CDPROCESSO = ?", {given});
    if (r.rows.empty()) throw RpcError(code::kBadArguments, "Processo não cadastrado.");
    if (r.rows[0][0].AsString() != "S")
        throw RpcError(code::kBadArguments,
                       "O processo " + given + " não é de participação em reunião.");
    return given;
}

// The plan-activity number to use: the one GetPrxPlanAtivTare handed out to the session's
// operator (zero-filled to five digits), or a fresh one when the client sent none.
std::string PlanActivityNumber(SqlConnection& db, const std::string& branch, const std::string& nr,
                               const std::string& given, const Writer& w) {
    const std::string t = TrimAll(given);
    if (t.empty()) {
        return NextPlanActivityNumber(db, branch, nr);
    }
    if (t.size() > 5 ||
        !std::all_of(t.begin(), t.end(), [](unsigned char c) { return std::isdigit(c) != 0; }))
        throw RpcError(code::kBadArguments, "Número da atividade inválido: " + given + ".");
    RequirePlanActivityNumber(db, branch, nr, std::stoll(t), w);
    return ZeroFill(std::stoll(t), 5);
}

// The duration as the window sends it ("1,5"); blank means the span from start to end. The
// meeting lies within one day, so the duration is at most 23:59.
double Hours(const std::string& text, TDateTime start, TDateTime end) {
    RequireActivityWithinDay(Variant::FromDateTime(start), Variant::FromDateTime(end));
    double h = (end - start) * 24.0;
    if (!::IsBlank(text) && !ParsePtBrNumber(TrimAll(text), h))
        throw RpcError(code::kBadArguments, "Quantidade de horas informada incorretamente.");
    if (!(h > 0 && h < 24))
        throw RpcError(code::kBadArguments, "Quantidade de horas informada incorretamente.");
    return h;
}

// One participation activity of a participant, pending and not yet marked as attended. Who
// and when are the session's operator and the server clock (the moment argument is not
// trusted). A participant who already has a participation activity in the meeting that is not
// cancelled gets no second one: the call answers 0 and returns that activity's number.
Variant GetInsCadAtiv(CallContext& ctx) {
    SqlConnection& db = ctx.db();
    const std::string branch = ctx.str(kBranch), nr = ctx.str(kMeeting);
    RequireOpenMeeting(db, branch, nr,
                       "Reunião cancelada ou concluída não aceita novos participantes.");
    const std::string part = ctx.str(kPart);
    if (db.Exec("SELECT 1 FROM OPERFILIAL F JOIN OPERADOR O ON O.CDOPERADOR = F.CDOPERADOR "
                "WHERE F.CDOPERADOR = ? AND F.CDFILIAL = ? AND O.IDATIVO = 'S'",
                {part, branch})
            .rows.empty())
        throw RpcError(code::kBadArguments, "Participante não cadastrado.");
    const TDateTime start = ctx.date(kStart), end = ctx.date(kEnd);
    if (!(end > start))
        throw RpcError(code::kBadArguments, "O fim da reunião deve ser posterior ao seu início.");
    const double hours = Hours(ctx.str(kHours), start, end);
    const std::string process = ParticipationProcess(db, ctx.str(kProcess));

    const SqlResult existing = db.Exec(
        "SELECT A.NRPLATIVTARE FROM PLANATIVTARE A JOIN PROCESSO P ON P.CDPROCESSO = A.CDPROCESSO "
        "WHERE A.CDFILIAL = ? AND A.NRTAREFA = ? AND A.CDOPERRESP = ? AND P.IDPROREUNIAO = 'S' "
        "AND (A.IDSITATIVTAR IS NULL OR A.IDSITATIVTAR <> 'X') ORDER BY A.NRPLATIVTARE",
        {branch, nr, part});
    if (!existing.rows.empty()) {
        ctx.setRef(kNumber, existing.rows[0][0]);
        return Variant(0);
    }
    const Writer w = WriterOf(ctx);
    const std::string number = PlanActivityNumber(db, branch, nr, ctx.str(kNumber), w);
    if (!db.Exec("SELECT 1 FROM PLANATIVTARE WHERE CDFILIAL = ? AND NRTAREFA = ? AND "
                 "NRPLATIVTARE = ?",
                 {branch, nr, number})
             .rows.empty())
        throw RpcError(code::kDuplicateKey, "A atividade " + number + " já existe nesta reunião.");
    const std::string item = ctx.str(kItem);
    if (!::IsBlank(item) &&
        db.Exec("SELECT 1 FROM ITEMTRAB WHERE CDITEMTRAB = ?", {item}).rows.empty())
        throw RpcError(code::kBadArguments, "Item de Trabalho não cadastrado.");
    db.Exec(
        "INSERT INTO PLANATIVTARE (CDFILIAL, NRTAREFA, NRPLATIVTARE, CDPROCESSO, CDOPERRESP, "
        "DTINPATIVTAR, DTFIPATIVTAR, QTHRPATIVTAR, DTINCATIVTAR, CDOPERINCL, IDSITATIVTAR, "
        "IDOPERPAREUNIAO, CDITEMTRAB) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 'P', 'N', ?)",
        {branch, nr, number, process, part, Variant::FromDateTime(start),
         Variant::FromDateTime(end), hours, Variant::FromDateTime(w.now), w.op, CodeOrNull(item)});
    ctx.setRef(kNumber, Variant(number));
    return Variant(1);
}

}  // namespace

void RegisterRegistrationMethods(MethodRegistry& registry) {
    registry.add(Method("GetCadOperPart", {StrParam("CDOPERADOR", 12), StrParam("stTodos", 1)},
                        GetCadOperPart));
    registry.add(
        Method("GetCarAtividades",
               {StrParam("CDFILIAL", 4), StrParam("NRTAREFA", 10), StrParam("CDARVPROCESS", 30)},
               GetCarAtividades, Access::Read, 0));
    registry.add(
        Method("GetAuxPart", {StrParam("stListaPart", kMaxKeyListText, true)}, GetAuxPart));
    registry.add(Method(
        "GetInsCadAtiv",
        {StrParam("CDFILIAL", 4), StrParam("NRTAREFA", 10), StrParam("NRPLATIVTARE", 10, true),
         StrParam("CDPROCESSO", 10), DateParam("DTINCATIVTAR"), StrParam("CDOPERRESP", 12),
         DateParam("DTINPATIVTAR"), DateParam("DTFIPATIVTAR"), StrParam("QTHRPATIVTAR", 20),
         StrParam("CDITEMTRAB", 10)},
        GetInsCadAtiv, Access::Write, 0));
}

}  // namespace zel::appserver
