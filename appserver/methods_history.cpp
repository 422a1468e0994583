#include "appserver/methods_history.h"

#include "appserver/key_list.h"
#include "appserver/method_support.h"
#include "appserver/methods.h"
#include "appserver/sql_query.h"

namespace zel::appserver {

namespace {

// The most a meeting's history packet carries; older records stay stored and reach an
// audit through the administration command.
constexpr int kMaxHistoryRows = 5000;

Variant GetHistorico(CallContext& ctx) {
    return RowsPacket(HistoryFields(), HistoryRows(ctx.db(), ctx.str(0), ctx.str(1), Variant()));
}

// The names of the operators and rooms a history shows by code, in one call: the window sends
// the codes it found in the records (the server does not read the records' texts). Answered
// is only what the caller may look up anyway: an operator active in the office or one of the
// branch (active or not), and the rooms of the branch (active or not).
Variant GetNomesHistorico(CallContext& ctx) {
    static const std::vector<FieldDef> fields = {
        StringField("IDTIPO", 1), StringField("CODIGO", 12), StringField("NOME", 40)};
    const std::string branch = ctx.str(0);
    std::vector<SqlRow> rows;
    const auto add = [&rows](const char* kind, SqlQuery& q, SqlConnection& db) {
        for (SqlRow& r : db.Exec(q.sql, q.params).rows) {
            r.insert(r.begin(), Variant(kind));
            rows.push_back(std::move(r));
        }
    };
    SqlQuery ops;
    ops.sql = "SELECT O.CDOPERADOR, O.NMOPERADOR FROM OPERADOR O WHERE ";
    ops.sql += ops.In("O.CDOPERADOR", ParseKeyList(ctx.str(1), "operadores"));
    ops.sql +=
        " AND (O.IDATIVO = 'S' OR EXISTS (SELECT 1 FROM OPERFILIAL F "
        "WHERE F.CDOPERADOR = O.CDOPERADOR AND F.CDFILIAL = ?))";
    ops.params.push_back(branch);
    add("O", ops, ctx.db());
    SqlQuery rooms;
    rooms.sql = "SELECT CDSALA, NMSALA FROM SALA WHERE CDFILIAL = ? AND ";
    rooms.params.push_back(branch);
    rooms.sql += rooms.In("CDSALA", ParseKeyList(ctx.str(2), "salas"));
    add("S", rooms, ctx.db());
    return RowsPacket(fields, rows);
}

}  // namespace

const std::vector<FieldDef>& HistoryFields() {
    using T = TFieldType;
    static const std::vector<FieldDef> fields = {
        Field("NRHISTREUNIAO", T::ftInteger), StringField("CDFILIAL", 4),
        StringField("NRTAREFA", 10),          Field("DTHRHISTORICO", T::ftDateTime),
        StringField("CDOPERADOR", 12),        StringField("NMOPERADOR", 40),
        StringField("DSENDERECO", 64),        StringField("NMMETODO", 40),
        StringField("IDTIPOHIST", 12),        StringField("IDOPERACAO", 1),
        StringField("DSCHAVE", 40),           Field("DSALTERACAO", T::ftMemo),
    };
    return fields;
}

std::vector<SqlRow> HistoryRows(SqlConnection& db, const std::string& branch,
                                const std::string& meeting, const Variant& since) {
    SqlQuery q;
    q.sql =
        "SELECT H.NRHISTREUNIAO, H.CDFILIAL, H.NRTAREFA, H.DTHRHISTORICO, H.CDOPERADOR, "
        "O.NMOPERADOR, H.DSENDERECO, H.NMMETODO, H.IDTIPOHIST, H.IDOPERACAO, H.DSCHAVE, "
        "H.DSALTERACAO FROM HISTREUNIAO H LEFT JOIN OPERADOR O ON O.CDOPERADOR = H.CDOPERADOR "
        "WHERE H.CDFILIAL = ?";
    q.params.push_back(branch);
    if (!meeting.empty()) {
        q.sql += " AND H.NRTAREFA = ?";
        q.params.push_back(meeting);
    }
    if (!since.IsNull()) {
        q.sql += " AND H.DTHRHISTORICO >= ?";
        q.params.push_back(since);
    }
    q.sql += " ORDER BY H.NRHISTREUNIAO DESC";
    if (!meeting.empty()) q.sql += " LIMIT " + std::to_string(kMaxHistoryRows);
    return db.Exec(q.sql, q.params).rows;
}

void RegisterHistoryMethods(MethodRegistry& registry) {
    registry.add(Method("GetHistorico", {StrParam("CDFILIAL", 4), StrParam("NRTAREFA", 10)},
                        GetHistorico, Access::Read, 0));
    registry.add(Method("GetNomesHistorico",
                        {StrParam("CDFILIAL", 4), StrParam("stOperadores", kMaxKeyListText),
                         StrParam("stSalas", kMaxKeyListText)},
                        GetNomesHistorico, Access::Read, 0));
}

}  // namespace zel::appserver
