#include "appserver/methods_agenda.h"

#include <algorithm>
#include <cctype>

#include "appserver/activity_rules.h"
#include "appserver/counters.h"
#include "appserver/key_list.h"
#include "appserver/method_support.h"
#include "appserver/methods.h"
#include "appserver/packet_builder.h"
#include "appserver/resolver.h"
#include "appserver/rpc_error.h"
#include "appserver/schema.h"
#include "appserver/sql_query.h"

namespace zel::appserver {

namespace {

constexpr unsigned kKey = pfInUpdate | pfInWhere | pfInKey;

constexpr const char* kClosedMeeting =
    "A pauta e a ata de uma reunião cancelada ou concluída não podem ser alteradas.";
constexpr const char* kItemOnlyWhilePending =
    "Um assunto da pauta só pode ser alterado enquanto a reunião está pendente.";

}  // namespace

const std::vector<FieldDef>& ItemTarefaFields() {
    static const std::vector<FieldDef> fields = {
        StringField("NRSEQUITTARE", 10, kKey),
        StringField("DSREFEITTARE", 100),
        StringField("NRPRIOITTARE", 3),
        StringField("CDOPERRESP", 12),
        Field("DTINCLITTARE", TFieldType::ftDateTime),
        StringField("TXPLANITTARE", 2000),
        StringField("NMOPERADOR", 40),
        StringField("CDFILIAL", 4, kKey),
        StringField("NRTAREFA", 10, kKey),
        StringField("CDOPERADOR", 12),
        StringField("NMOPERRESP", 40),
    };
    return fields;
}

const std::vector<FieldDef>& DescItTareFields() {
    static const std::vector<FieldDef> fields = {
        StringField("CDFILIAL", 4, kKey),
        StringField("NRTAREFA", 10, kKey),
        StringField("NRSEQUITTARE", 10, kKey),
        Field("TXDESCITTARE", TFieldType::ftMemo),
    };
    return fields;
}

namespace {

// The items of one meeting; the optional filter keeps the listed items only.
Variant GetItemTarefa(CallContext& ctx) {
    SqlQuery q;
    q.sql =
        "SELECT I.NRSEQUITTARE, I.DSREFEITTARE, I.NRPRIOITTARE, I.CDOPERRESP, I.DTINCLITTARE, "
        "I.TXPLANITTARE, O.NMOPERADOR, I.CDFILIAL, I.NRTAREFA, I.CDOPERADOR, R.NMOPERADOR "
        "FROM ITEMTAREFA I "
        "LEFT JOIN OPERADOR O ON O.CDOPERADOR = I.CDOPERADOR "
        "LEFT JOIN OPERADOR R ON R.CDOPERADOR = I.CDOPERRESP "
        "WHERE I.CDFILIAL = ? AND I.NRTAREFA = ?";
    q.params = {ctx.str(0), ctx.str(1)};
    if (!AllFlag(ctx.str(3))) {
        std::vector<std::string> items, codes;
        for (std::string& k : ParseKeyList(ctx.str(2), "pautas"))
            (k.size() > 10 ? codes : items).push_back(std::move(k));
        q.sql += " AND (";
        q.sql += q.In("I.NRSEQUITTARE", items);
        q.sql += " OR ";
        q.sql += q.In("I.CDFILIAL || I.NRTAREFA || I.NRSEQUITTARE", codes);
        q.sql += ")";
    }
    q.sql += " ORDER BY I.NRSEQUITTARE";
    return QueryPacket(ctx.db(), ItemTarefaFields(), q.sql, q.params);
}

Variant GetDescItTare(CallContext& ctx) {
    return QueryPacket(ctx.db(), DescItTareFields(),
                       "SELECT CDFILIAL, NRTAREFA, NRSEQUITTARE, TXDESCITTARE FROM DESCITEMTARE "
                       "WHERE CDFILIAL = ? AND NRTAREFA = ? AND NRSEQUITTARE = ?",
                       {ctx.str(0), ctx.str(1), ctx.str(2)});
}

std::string ItemsOf(const std::string& branch) {
    return "os assuntos de pauta da filial " + branch;
}

std::string NextItemNumber(SqlConnection& db, const std::string& branch,
                           const std::optional<Writer>& to = std::nullopt) {
    const int64_t floor =
        NextAfterMax(db, "SELECT MAX(NRSEQUITTARE) FROM ITEMTAREFA WHERE CDFILIAL = ?", {branch});
    return NumberText(to ? HandOutNumber(db, counter::kAgendaItem, branch, floor, *to)
                         : NextCounterValue(db, counter::kAgendaItem, branch, floor),
                      10, ItemsOf(branch));
}

// Item numbers are reserved per branch; the client asks for one when it inserts an item, and
// it is handed out to the session's operator for that item.
Variant GetPrxItemTarefa(CallContext& ctx) {
    return Variant(NextItemNumber(ctx.db(), ctx.str(0), WriterOf(ctx)));
}

// Checks every change of an agenda packet against the status of its meeting before anything
// is written: the branch must be the operator's, the meeting must exist, and the rules of
// the header comment hold. `minutes` selects the rules of the minutes packet.
void CheckAgendaChanges(CallContext& ctx, const ChangePacket& packet, bool minutes) {
    for (const Change& change : packet.changes) {
        for (bool old : {true, false}) {
            if (old && change.op == ChangeOp::Insert) continue;
            if (!old && change.op == ChangeOp::Delete) continue;
            const std::string branch = ChangeText(packet, change, "CDFILIAL", old);
            const std::string nr = ChangeText(packet, change, "NRTAREFA", old);
            RequireBranch(ctx, branch);
            const std::string status = RequireOpenMeeting(ctx.db(), branch, nr, kClosedMeeting);
            if (!minutes && change.op == ChangeOp::Update && status != "P")
                throw RpcError(code::kConflict, kItemOnlyWhilePending);
        }
    }
}

void ValidateItem(SqlConnection& db, const RowValues& row) {
    auto text = [&](const char* name) {
        auto it = row.find(name);
        return it == row.end() || it->second.IsNull() ? std::string() : it->second.AsString();
    };
    if (::IsBlank(text("DSREFEITTARE")))
        throw RpcError(code::kBadArguments, "Assunto deve ser informado.");
    const std::string prio = TrimAll(text("NRPRIOITTARE"));
    if (!std::all_of(prio.begin(), prio.end(),
                     [](unsigned char c) { return std::isdigit(c) != 0; }))
        throw RpcError(code::kBadArguments, "Prioridade deve ser um número de até três dígitos.");
    const std::string resp = text("CDOPERRESP");
    if (!::IsBlank(resp) &&
        db.Exec("SELECT 1 FROM OPERADOR WHERE CDOPERADOR = ?", {resp}).rows.empty())
        throw RpcError(code::kBadArguments, "Operador responsável não cadastrado.");
}

// Agenda item packets. A new item's number is one GetPrxItemTarefa handed out to the
// session's operator (the server picks one when the packet has none); who saved an item and
// when are the session's operator and the server clock.
Variant SetItemTarefa(CallContext& ctx) {
    const ChangePacket& packet = DeltaArg(ctx, 0);
    CheckAgendaChanges(ctx, packet, false);
    SqlConnection& db = ctx.db();
    const Writer w = WriterOf(ctx);
    const std::string op = w.op;
    const Variant now = Variant::FromDateTime(w.now);
    ResolvePolicy policy;
    policy.checkBranch = [&ctx](const std::string& b) { RequireBranch(ctx, b); };
    policy.serverOwned = {"CDOPERADOR", "DTINCLITTARE"};
    policy.stampInsert = [&db, w, op, now](RowValues& row) {
        auto branch = row.find("CDFILIAL");
        if (branch != row.end() && !branch->second.IsNull()) {
            const std::string b = branch->second.AsString();
            auto nr = row.find("NRSEQUITTARE");
            if (nr == row.end() || nr->second.IsNull() || ::IsBlank(nr->second.AsString()))
                row["NRSEQUITTARE"] = NextItemNumber(db, b);
            else
                RequireHandedOut(db, counter::kAgendaItem, b, nr->second.AsString(), 10, w,
                                 ItemsOf(b));
        }
        row["CDOPERADOR"] = op;
        row["DTINCLITTARE"] = now;
    };
    policy.stampUpdate = [op, now](RowValues& row) {
        row["CDOPERADOR"] = op;
        row["DTINCLITTARE"] = now;
    };
    policy.validate = [&db](const RowValues& row) { ValidateItem(db, row); };
    policy.beforeDelete = [](SqlConnection& c, const RowValues& key) {
        c.Exec("DELETE FROM DESCITEMTARE WHERE CDFILIAL = ? AND NRTAREFA = ? AND NRSEQUITTARE = ?",
               {key.at("CDFILIAL"), key.at("NRTAREFA"), key.at("NRSEQUITTARE")});
    };
    const ResolveCounts n = ApplyChangePacket(db, Table("ITEMTAREFA"), packet, policy);
    return Variant(n.inserted + n.updated + n.deleted);
}

// Minutes belong to an existing agenda item; blank minutes are refused (the window refuses
// them too, but a blank text stored would print an empty page).
Variant SetDescItTare(CallContext& ctx) {
    const ChangePacket& packet = DeltaArg(ctx, 0);
    CheckAgendaChanges(ctx, packet, true);
    SqlConnection& db = ctx.db();
    ResolvePolicy policy;
    policy.checkBranch = [&ctx](const std::string& b) { RequireBranch(ctx, b); };
    policy.validate = [&db](const RowValues& row) {
        auto get = [&](const char* name) {
            auto it = row.find(name);
            return it == row.end() || it->second.IsNull() ? std::string() : it->second.AsString();
        };
        if (::IsBlank(get("TXDESCITTARE")))
            throw RpcError(code::kBadArguments, "Ata da Reunião deve ser informada");
        if (db.Exec("SELECT 1 FROM ITEMTAREFA WHERE CDFILIAL = ? AND NRTAREFA = ? AND "
                    "NRSEQUITTARE = ?",
                    {get("CDFILIAL"), get("NRTAREFA"), get("NRSEQUITTARE")})
                .rows.empty())
            throw RpcError(code::kNotFound,
                           "Assunto " + get("NRSEQUITTARE") + " não cadastrado na pauta.");
    };
    const ResolveCounts n = ApplyChangePacket(db, Table("DESCITEMTARE"), packet, policy);
    return Variant(n.inserted + n.updated + n.deleted);
}

}  // namespace

void RegisterAgendaMethods(MethodRegistry& registry) {
    registry.add(Method("GetItemTarefa",
                        {StrParam("CDFILIAL", 4), StrParam("NRTAREFA", 10),
                         StrParam("stPauta", kMaxKeyListText, true), StrParam("stTPauta", 1, true)},
                        GetItemTarefa, Access::Read, 0));
    registry.add(
        Method("GetDescItTare",
               {StrParam("CDFILIAL", 4), StrParam("NRTAREFA", 10), StrParam("NRSEQUITTARE", 10)},
               GetDescItTare, Access::Read, 0));
    registry.add(Method("SetItemTarefa", {DeltaParam("Delta")}, SetItemTarefa, Access::Write));
    registry.add(Method("SetDescItTare", {DeltaParam("Delta")}, SetDescItTare, Access::Write));
    registry.add(
        Method("GetPrxItemTarefa", {StrParam("CDFILIAL", 4)}, GetPrxItemTarefa, Access::Write, 0));
}

}  // namespace zel::appserver
