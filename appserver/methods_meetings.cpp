// Meetings: the list (GetControle), its change packets (SetControle) and new meeting
// numbers (GetPrxTarefa).
#include <atomic>
#include <cstdio>
#include <cstring>
#include <span>
#include <stdexcept>

#include "appserver/activity_rules.h"
#include "appserver/counters.h"
#include "appserver/key_list.h"
#include "appserver/meeting_record.h"
#include "appserver/meeting_rules.h"
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
    "AND S.NRTAREFA = T.NRTAREFA AND S.IDSITAGESALA = 'A'), T.NRSERIETARE, "
    "(SELECT COALESCE(HO.NMOPERADOR, H.CDOPERADOR) FROM HISTREUNIAO H "
    "LEFT JOIN OPERADOR HO ON HO.CDOPERADOR = H.CDOPERADOR WHERE H.CDFILIAL = T.CDFILIAL "
    "AND H.NRTAREFA = T.NRTAREFA ORDER BY H.NRHISTREUNIAO DESC LIMIT 1) "
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
        // The name of who made the meeting's latest recorded change (its history); only
        // travels.
        StringField("NMOPERULTALT", 40),
    };
    return fields;
}

std::string NextMeetingNumber(SqlConnection& db, const std::string& branch,
                              const std::optional<Writer>& to) {
    const int64_t floor =
        NextAfterMax(db, "SELECT MAX(NRTAREFA) FROM TAREFA WHERE CDFILIAL = ?", {branch});
    return NumberText(to ? HandOutNumber(db, counter::kMeeting, branch, floor, *to)
                         : NextCounterValue(db, counter::kMeeting, branch, floor),
                      10, "as reuniões da filial " + branch);
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

// A text cell's characters; other kinds as their text.
std::string_view CellText(const SqlCell& cell, std::string& scratch) {
    if (cell.kind == SqlCell::Kind::Text) return cell.text;
    scratch = cell.ToVariant().AsString();
    return scratch;
}

// Columns of the SELECT, then the computed DESCRICAO, DATA, CDSALA and HORA of the packet,
// then the series the meeting belongs to and who changed it last.
constexpr size_t kNr = 1, kReference = 2, kStart = 13, kSelectedRoom = 19, kSeries = 20,
                 kLastChange = 21;

// Writes the selected columns as they are, then DESCRICAO (number and reference), DATA (the
// start's day), CDSALA (the booked room) and HORA (the start's "hh:mm"); the series follows.
void WriteControleCells(PacketTextWriter& out, std::span<const SqlCell> raw, std::string& scratch) {
    for (size_t c = 0; c < kSelectedRoom; ++c)
        out.Cell(raw[c]);
    std::string nrText;
    scratch.assign(CellText(raw[kNr], nrText));
    scratch += ' ';
    scratch.append(CellText(raw[kReference], nrText));
    SqlCell description;
    description.kind = SqlCell::Kind::Text;
    description.text = scratch;
    out.Cell(description);

    const SqlCell& start = raw[kStart];
    if (start.kind == SqlCell::Kind::Text && IsSqlDateTimeText(start.text)) {
        // "YYYY-MM-DD HH:MM:SS": the day and the hour are pieces of the text.
        char day[20];
        std::memcpy(day, start.text.data(), 10);
        std::memcpy(day + 10, " 00:00:00", 9);
        SqlCell dayCell;
        dayCell.kind = SqlCell::Kind::Text;
        dayCell.text = std::string_view(day, 19);
        out.Cell(dayCell);
        out.Cell(raw[kSelectedRoom]);
        SqlCell hour;
        hour.kind = SqlCell::Kind::Text;
        hour.text = start.text.substr(11, 5);
        out.Cell(hour);
        return;
    }
    const Variant value = FromSqlValue(ControleFields()[kStart], start.ToVariant());
    if (value.IsNull()) {
        out.Value(Variant());
        out.Cell(raw[kSelectedRoom]);
        out.Value(Variant());
        return;
    }
    const TDateTime t = value.AsDateTime();
    const TimeParts tp = DecodeTime(t);
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d:%02d", tp.hour, tp.minute);
    out.Value(Variant::FromDateTime(DateOf(t)));
    out.Cell(raw[kSelectedRoom]);
    out.Value(Variant(std::string(buf)));
}

void WriteControleRow(PacketTextWriter& out, std::span<const SqlCell> raw, std::string& scratch) {
    WriteControleCells(out, raw, scratch);
    out.Cell(raw[kSeries]);
    out.Cell(raw[kLastChange]);
}

// The rows go from the database straight into the reply's text: a list of a thousand
// meetings is neither collected nor copied value by value.
Variant GetControle(CallContext& ctx) {
    // Room for a list as long as the last one, so the text is not moved as it grows.
    static std::atomic<size_t> lastSize{0};
    const SqlQuery q = ControleQuery(ctx);
    std::string& reply = ctx.replyText();
    const size_t before = reply.size();
    const size_t expected = lastSize.load(std::memory_order_relaxed);
    PacketTextWriter out(ControleFields(), reply, expected + expected / 8);
    std::string scratch;
    ctx.db().Query(q.sql, q.params, [&](std::span<const SqlCell> raw) {
        if (raw.size() != kLastChange + 1)
            throw std::logic_error("GetControle: the SELECT's columns do not match its fields");
        WriteControleRow(out, raw, scratch);
        out.EndRow();
    });
    out.Finish();
    lastSize.store(reply.size() - before, std::memory_order_relaxed);
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

// True when the change writes another value into `field` than the row had when read.
bool Changes(const ChangePacket& packet, const Change& change, const char* field) {
    return ChangeText(packet, change, field, true) != ChangeText(packet, change, field, false);
}

// A new meeting's number must be one GetPrxTarefa handed out to this operator.
void CheckMeetingInsert(CallContext& ctx, const ChangePacket& packet, const Change& change) {
    const std::string branch = ChangeText(packet, change, "CDFILIAL", false);
    const std::string nr = ChangeText(packet, change, "NRTAREFA", false);
    if (branch.empty() || nr.empty()) return;  // the resolver refuses a missing key
    RequireBranch(ctx, branch);
    RequireHandedOut(ctx.db(), counter::kMeeting, branch, nr, 10, WriterOf(ctx),
                     "as reuniões da filial " + branch);
}

// What the window lets an operator change of a stored meeting: nothing of a cancelled or
// concluded one, nor of one whose activities started or ended; never its process (chosen
// only for a new meeting); of one in progress only its date, time, duration and room.
void CheckMeetingUpdate(SqlConnection& db, const ChangePacket& packet, const Change& change,
                        const std::string& branch, const std::string& nr) {
    const std::string status = RequireMeetingChangeable(db, branch, nr);
    if (Changes(packet, change, "CDPROCESSO"))
        throw RpcError(code::kConflict,
                       "O processo de uma reunião já cadastrada não pode ser alterado.");
    if (status != "A") return;
    for (const char* field : {"DSREFETAREFA", "CDASSUNTO", "CDPROJETO", "CDOPERRESP"})
        if (Changes(packet, change, field))
            throw RpcError(code::kConflict,
                           "Reunião em andamento: somente data, hora, duração e sala podem ser "
                           "alteradas.");
}

// Refusals made before the packet is applied, against the meetings as stored: a foreign
// branch, a number the server did not hand out, a change the window would not allow and a
// delete of a meeting that is not pending. The meetings read stay locked until the call
// ends; one that is gone is reported by the resolver (stale_row).
void CheckMeetingChanges(CallContext& ctx, const ChangePacket& packet) {
    for (const Change& change : packet.changes) {
        if (change.op == ChangeOp::Insert) {
            CheckMeetingInsert(ctx, packet, change);
            continue;
        }
        const std::string branch = ChangeText(packet, change, "CDFILIAL", true);
        const std::string nr = ChangeText(packet, change, "NRTAREFA", true);
        if (branch.empty() || nr.empty()) continue;  // the resolver refuses a missing key
        RequireBranch(ctx, branch);
        const std::optional<std::string> status = MeetingStatus(ctx.db(), branch, nr);
        if (!status) continue;
        if (change.op == ChangeOp::Update) CheckMeetingUpdate(ctx.db(), packet, change, branch, nr);
        // The window deletes only pending meetings; the stored status decides here too.
        if (change.op == ChangeOp::Delete && *status != "P")
            throw RpcError(code::kConflict, "Somente reunião pendente pode ser excluída.");
    }
}

// Meeting change packets. Status and origin change only through their own methods; who
// opened the meeting and when are the server's, and so is the series a meeting belongs to
// (only the series methods set it).
Variant SetControle(CallContext& ctx) {
    const ChangePacket& packet = DeltaArg(ctx, 0);
    CheckMeetingChanges(ctx, packet);
    SqlConnection& db = ctx.db();
    const Writer w = WriterOf(ctx);
    ResolvePolicy policy;
    policy.checkBranch = [&ctx](const std::string& b) { RequireBranch(ctx, b); };
    policy.guarded = {"IDSITTAREFA", "IDORIGTARE"};
    policy.serverOwned = {"CDOPERABER", "DTABERTAREFA", "NRSERIETARE"};
    policy.stampInsert = [w](RowValues& row) {
        // What the window never sends for a new meeting.
        row["IDSITTAREFA"] = "P";
        row["IDORIGTARE"] = kMeetingOrigin;
        row["DTABERTAREFA"] = Variant::FromDateTime(w.now);
        row["CDOPERABER"] = w.op;
    };
    policy.stampUpdate = [w](RowValues& row) { row["CDOPERABER"] = w.op; };
    policy.beforeDelete = DeleteMeetingDependants;
    policy.validate = [&db, w](const RowValues& row) { ValidateMeetingRow(db, row, w.now); };
    const ResolveCounts n = ApplyChangePacket(db, Table("TAREFA"), packet, policy);
    return Variant(n.inserted + n.updated + n.deleted);
}

// A number for the client's next new meeting, handed out to the session's operator.
Variant GetPrxTarefa(CallContext& ctx) {
    return Variant(NextMeetingNumber(ctx.db(), ctx.str(0), WriterOf(ctx)));
}

}  // namespace

void RegisterMeetingMethods(MethodRegistry& registry) {
    MethodDef list;
    list.name = "GetControle";
    list.params = {StrParam("CDFILIAL", 4),
                   StrParam("stReuniao", kMaxKeyListText, true),
                   StrParam("stTReuniao", 1, true),
                   StrParam("stSituacao", 100, true),
                   StrParam("stResp", kMaxKeyListText, true),
                   StrParam("stTResp", 1, true),
                   StrParam("stPauta", kMaxKeyListText, true),
                   StrParam("stTPauta", 1, true),
                   DateParam("dtInicial", true),
                   DateParam("dtFinal", true),
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
