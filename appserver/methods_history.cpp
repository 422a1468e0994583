#include "appserver/methods_history.h"

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
}

}  // namespace zel::appserver
