// Activities of a meeting as the activity page edits them.
#include "appserver/methods_activities.h"

#include "appserver/activity_rules.h"
#include "appserver/counters.h"
#include "appserver/meeting_rules.h"
#include "appserver/method_support.h"
#include "appserver/methods.h"
#include "appserver/packet_builder.h"
#include "appserver/resolver.h"
#include "appserver/rpc_error.h"
#include "appserver/schema.h"
#include "appserver/sql_value.h"

namespace zel::appserver {

namespace {

// Every activity of the meeting, with process, participant and work-item names, in
// plan-activity order.
Variant GetAtividades(CallContext& ctx) {
    SqlResult r = ctx.db().Exec(
        ActivitySelect(false) + "WHERE A.CDFILIAL = ? AND A.NRTAREFA = ? ORDER BY A.NRPLATIVTARE",
        {ctx.str(0), ctx.str(1)});
    FillDurationTexts(r.rows, false);
    return RowsPacket(AtividadesFields(), r.rows);
}

std::string Text(const PacketRow& row, int index) {
    return index < 0 || row.at(static_cast<size_t>(index)).IsNull()
               ? std::string()
               : row.at(static_cast<size_t>(index)).AsString();
}

// Refusals made before the packet is applied, against the rows as stored: a foreign branch,
// a meeting closed to changes (cancelled or concluded), an activity that is already
// cancelled or concluded, and a delete in a meeting that is not pending (the window deletes
// activities of pending meetings only).
void CheckActivityChanges(CallContext& ctx, const ChangePacket& packet) {
    const int branchAt = packet.FieldIndex("CDFILIAL"), meetingAt = packet.FieldIndex("NRTAREFA");
    const int numberAt = packet.FieldIndex("NRPLATIVTARE");
    if (branchAt < 0 || meetingAt < 0) return;  // the resolver refuses a packet without its key
    for (const Change& c : packet.changes) {
        const PacketRow& row = c.op == ChangeOp::Insert ? c.newValues : c.oldValues;
        const std::string branch = Text(row, branchAt), meeting = Text(row, meetingAt);
        RequireBranch(ctx, branch);
        if (c.op != ChangeOp::Delete) RequireActivitiesOpen(ctx.db(), branch, meeting);
        if (c.op == ChangeOp::Delete) {
            const std::optional<std::string> status = MeetingStatus(ctx.db(), branch, meeting);
            if (status && *status != "P")
                throw RpcError(code::kConflict,
                               "Somente atividades de reunião pendente podem ser excluídas.");
        }
        if (c.op == ChangeOp::Insert || numberAt < 0) continue;
        const SqlResult r = ctx.db().Exec(
            "SELECT IDSITATIVTAR FROM PLANATIVTARE WHERE CDFILIAL = ? AND NRTAREFA = ? "
            "AND NRPLATIVTARE = ?",
            {branch, meeting, Text(row, numberAt)});
        if (r.rows.empty()) continue;  // the resolver reports the row as changed meanwhile
        const std::string status = r.rows[0][0].AsString();
        if (status == "X" || status == "C")
            throw RpcError(code::kConflict, std::string("Atividade ") +
                                                (status == "X" ? "cancelada" : "concluída") +
                                                " não pode ser alterada nem excluída.");
    }
}

std::string ColumnText(const RowValues& row, const char* column) {
    auto it = row.find(column);
    return it == row.end() || it->second.IsNull() ? std::string() : it->second.AsString();
}

// A new activity as the window inserts it: its number one GetPrxPlanAtivTare handed out to
// the operator (the server picks one when the packet has none), its start not in the past,
// and taken part "N" unless the meeting's responsible operator marks it.
void StampNewActivity(CallContext& ctx, RowValues& row, const Writer& w) {
    SqlConnection& db = ctx.db();
    row["IDSITATIVTAR"] = "P";
    row["DTINCATIVTAR"] = Variant::FromDateTime(w.now);
    row["CDOPERINCL"] = w.op;
    if (row["IDOPERPAREUNIAO"].IsNull()) row["IDOPERPAREUNIAO"] = "N";
    const std::string branch = ColumnText(row, "CDFILIAL"), meeting = ColumnText(row, "NRTAREFA");
    if (branch.empty() || meeting.empty()) return;  // refused as a missing key
    RequireBranch(ctx, branch);
    const std::string number = ColumnText(row, "NRPLATIVTARE");
    if (number.empty())
        row["NRPLATIVTARE"] = NextPlanActivityNumber(db, branch, meeting);
    else
        RequireHandedOut(db, counter::kPlanActivity, branch + "/" + meeting, number, 5, w,
                         "as atividades da reunião " + meeting);
    const Variant& start = row["DTINPATIVTAR"];
    if (!start.IsNull() && w.now > ParseSqlDateTime(start.AsString()))
        throw RpcError(code::kBadArguments, "Data/Hora menor que data/hora atual.");
    if (ColumnText(row, "IDOPERPAREUNIAO") != "N")
        RequireMayMarkParticipation(db, branch, meeting, start, "P", w);
}

// An update that marks or unmarks the participation is the responsible operator's, as in
// the window's check column.
void CheckStoredActivity(SqlConnection& db, const RowValues& stored, const RowValues& changed,
                         const Writer& w) {
    auto mark = changed.find("IDOPERPAREUNIAO");
    if (mark == changed.end() ||
        ColumnText(changed, "IDOPERPAREUNIAO") == ColumnText(stored, "IDOPERPAREUNIAO"))
        return;
    auto start = changed.find("DTINPATIVTAR");
    RequireMayMarkParticipation(db, ColumnText(stored, "CDFILIAL"), ColumnText(stored, "NRTAREFA"),
                                start != changed.end() ? start->second : stored.at("DTINPATIVTAR"),
                                ColumnText(stored, "IDSITATIVTAR"), w);
}

// Codes and values of an activity about to be written (column values).
void ValidateActivity(SqlConnection& db, const RowValues& row) {
    auto get = [&](const char* c) {
        auto it = row.find(c);
        return it == row.end() || it->second.IsNull() ? std::string() : it->second.AsString();
    };
    const std::string process = get("CDPROCESSO");
    if (process.empty()) throw RpcError(code::kBadArguments, "Processo deve ser informado.");
    if (db.Exec("SELECT 1 FROM PROCESSO WHERE CDPROCESSO = ?", {process}).rows.empty())
        throw RpcError(code::kNotFound, "Processo não cadastrado.");
    const std::string resp = get("CDOPERRESP");
    if (!resp.empty()) RequireOperator(db, resp, "Participante não cadastrado.");
    const std::string item = get("CDITEMTRAB");
    if (!item.empty() &&
        db.Exec("SELECT 1 FROM ITEMTRAB WHERE CDITEMTRAB = ?", {item}).rows.empty())
        throw RpcError(code::kNotFound, "Item de Trabalho não cadastrado.");
    const std::string status = get("IDSITATIVTAR");
    if (status.size() != 1 || std::string("PAICX").find(status) == std::string::npos)
        throw RpcError(code::kBadArguments, "Situação de atividade inválida: \"" + status + "\".");
    const std::string took = get("IDOPERPAREUNIAO");
    if (!took.empty() && took != "S" && took != "N")
        throw RpcError(code::kBadArguments, "Participação na reunião deve ser \"S\" ou \"N\".");
    auto hours = row.find("QTHRPATIVTAR");
    if (hours != row.end() && !hours->second.IsNull() &&
        !(hours->second.AsFloat() >= 0 && hours->second.AsFloat() < 24))
        throw RpcError(code::kBadArguments, "A data final não pode ultrapassar o dia.");
    auto at = [&](const char* c) {
        auto it = row.find(c);
        return it == row.end() ? Variant() : it->second;
    };
    RequireActivityWithinDay(at("DTINPATIVTAR"), at("DTFIPATIVTAR"));
}

// Activity change packets. A new activity is always pending ("P"), gets a plan-activity
// number when the client sent none, and takes part "N" unless told; every write stamps the
// session's operator and the server clock as the last writer. Names and duration texts
// only travel.
Variant SetAtividades(CallContext& ctx) {
    SqlConnection& db = ctx.db();
    const ChangePacket& packet = DeltaArg(ctx, 0);
    CheckActivityChanges(ctx, packet);
    const Writer w = WriterOf(ctx);
    ResolvePolicy policy;
    policy.checkBranch = [&ctx](const std::string& b) { RequireBranch(ctx, b); };
    policy.guarded = {"IDSITATIVTAR"};
    policy.serverOwned = {"DTINCATIVTAR", "CDOPERINCL"};
    policy.stampInsert = [&ctx, w](RowValues& row) { StampNewActivity(ctx, row, w); };
    policy.stampUpdate = [w](RowValues& row) {
        row["DTINCATIVTAR"] = Variant::FromDateTime(w.now);
        row["CDOPERINCL"] = w.op;
    };
    policy.checkStored = [&db, w](const RowValues& stored, const RowValues& changed) {
        CheckStoredActivity(db, stored, changed, w);
    };
    policy.validate = [&db](const RowValues& row) { ValidateActivity(db, row); };
    const ResolveCounts n = ApplyChangePacket(db, Table("PLANATIVTARE"), packet, policy);
    return Variant(n.inserted + n.updated + n.deleted);
}

// A fresh plan-activity number of an existing meeting ("00001"), handed out to the session's
// operator for his next new activity of that meeting.
Variant GetPrxPlanAtivTare(CallContext& ctx) {
    if (!MeetingStatus(ctx.db(), ctx.str(0), ctx.str(1)))
        throw RpcError(code::kNotFound, "Reunião " + ctx.str(1) + " não cadastrada.");
    return Variant(NextPlanActivityNumber(ctx.db(), ctx.str(0), ctx.str(1), WriterOf(ctx)));
}

// Process check of the activity grid: the active process of that tree code (typed with or
// without the picture's separators); empty for an unknown or blank code.
Variant GetValProc(CallContext& ctx) {
    static const std::vector<FieldDef> fields = {
        StringField("CDPROCESSO", 10), StringField("CDARVPROCESS", 20),
        StringField("CDNVPROCESSO", 1), StringField("NMPROCESSO", 100)};
    const std::string code = PlainTreeCode(ctx.str(0));
    if (code.empty()) return RowsPacket(fields, {});
    return RowsPacket(fields, ctx.db()
                                  .Exec("SELECT CDPROCESSO, CDARVPROCESS, CDNVPROCESSO, NMPROCESSO "
                                        "FROM PROCESSO WHERE CDARVPROCESS = ? AND IDATIVO = 'S'",
                                        {code})
                                  .rows);
}

// Participant check: the active operator of that code; empty when unknown.
Variant GetValOper(CallContext& ctx) {
    static const std::vector<FieldDef> fields = {StringField("CDOPERADOR", 12),
                                                 StringField("NMOPERADOR", 40)};
    return RowsPacket(fields, ctx.db()
                                  .Exec("SELECT CDOPERADOR, NMOPERADOR FROM OPERADOR "
                                        "WHERE CDOPERADOR = ? AND IDATIVO = 'S'",
                                        {ctx.str(0)})
                                  .rows);
}

// Work-item check: the work item of that tree code; empty when unknown or blank. The level
// count of the client's picture must be a number; the code itself is matched whole, its
// levels being implied by its length.
Variant GetValPesqItTrab(CallContext& ctx) {
    static const std::vector<FieldDef> fields = {StringField("CDITEMTRAB", 10),
                                                 StringField("NMITEMTRAB", 100),
                                                 StringField("CDARVITTRAB", 20)};
    const std::string levels = ctx.str(0);
    if (levels.empty() || levels.find_first_not_of("0123456789 ") != std::string::npos)
        throw RpcError(code::kBadArguments,
                       "Número de níveis do item de trabalho inválido: \"" + levels + "\".");
    const std::string code = PlainTreeCode(ctx.str(1));
    if (code.empty()) return RowsPacket(fields, {});
    return RowsPacket(fields, ctx.db()
                                  .Exec("SELECT CDITEMTRAB, NMITEMTRAB, CDARVITTRAB FROM ITEMTRAB "
                                        "WHERE CDARVITTRAB = ?",
                                        {code})
                                  .rows);
}

// The meeting's participation activities (process with IDPROREUNIAO "S") that already
// started ("A") or ended ("C"); while there is one the meeting may not be changed.
Variant GetAuxAtiv(CallContext& ctx) {
    static const std::vector<FieldDef> fields = {
        StringField("CDFILIAL", 4), StringField("NRTAREFA", 10), StringField("IDPROREUNIAO", 1),
        StringField("IDSITATIVTAR", 1)};
    return RowsPacket(fields, ctx.db()
                                  .Exec("SELECT A.CDFILIAL, A.NRTAREFA, P.IDPROREUNIAO, "
                                        "A.IDSITATIVTAR FROM PLANATIVTARE A JOIN PROCESSO P ON "
                                        "P.CDPROCESSO = A.CDPROCESSO WHERE A.CDFILIAL = ? AND "
                                        "A.NRTAREFA = ? AND P.IDPROREUNIAO = 'S' AND "
                                        "A.IDSITATIVTAR IN ('A', 'C') ORDER BY A.NRPLATIVTARE",
                                        {ctx.str(0), ctx.str(1)})
                                  .rows);
}

// Removes the activities of a meeting about to be deleted. Only a pending meeting may be
// deleted, so the activities of any other meeting are kept and the call is refused; an
// unknown meeting has nothing to remove. Returns the number of activities removed.
Variant GetDelAtiv(CallContext& ctx) {
    const std::optional<std::string> status = MeetingStatus(ctx.db(), ctx.str(0), ctx.str(1));
    if (!status) return Variant(0);
    if (*status != "P")
        throw RpcError(code::kConflict, "Somente reunião pendente pode ser excluída.");
    const SqlResult r = ctx.db().Exec(
        "DELETE FROM PLANATIVTARE WHERE CDFILIAL = ? AND NRTAREFA = ?", {ctx.str(0), ctx.str(1)});
    return Variant(static_cast<long long>(r.affected));
}

}  // namespace

void RegisterActivityMethods(MethodRegistry& registry) {
    const ParamSpec branch = StrParam("CDFILIAL", 4), meeting = StrParam("NRTAREFA", 10);
    registry.add(Method("GetAtividades", {branch, meeting}, GetAtividades, Access::Read, 0));
    registry.add(Method("SetAtividades", {DeltaParam("Delta")}, SetAtividades, Access::Write, -1));
    registry.add(
        Method("GetPrxPlanAtivTare", {branch, meeting}, GetPrxPlanAtivTare, Access::Write, 0));
    registry.add(
        Method("GetValProc", {StrParam("CDARVPROCESS", 20, true)}, GetValProc, Access::Read, -1));
    registry.add(Method("GetValOper", {StrParam("CDOPERADOR", 12)}, GetValOper, Access::Read, -1));
    registry.add(Method("GetValPesqItTrab", {StrParam("NIVEIS", 2), StrParam("CDARVITTRAB", 20)},
                        GetValPesqItTrab, Access::Read, -1));
    registry.add(Method("GetAuxAtiv", {branch, meeting}, GetAuxAtiv, Access::Read, 0));
    registry.add(Method("GetDelAtiv", {branch, meeting}, GetDelAtiv, Access::Write, 0));
}

}  // namespace zel::appserver
