#include "appserver/activity_rules.h"

#include <cmath>
#include <cstdio>

#include "appserver/counters.h"
#include "appserver/method_support.h"
#include "appserver/packet_builder.h"
#include "appserver/rpc_error.h"
#include "appserver/sql_value.h"

namespace zel::appserver {

namespace {

constexpr unsigned kKey = pfInUpdate | pfInWhere | pfInKey;
constexpr unsigned kLocateOnly = pfInWhere;  // computed texts: locate the row, never written

// Positions of QTHRPATIVTAR and of the two duration texts in each layout.
struct DurationSlots {
    size_t hours, text, fixedText;
};
constexpr DurationSlots kListSlots{16, 6, 13};
constexpr DurationSlots kAuxSlots{8, 7, 13};

}  // namespace

const std::vector<FieldDef>& AtividadesFields() {
    using T = TFieldType;
    static const std::vector<FieldDef> fields = {
        StringField("NRPLATIVTARE", 5, kKey),
        StringField("CDARVPROCESS", 20),
        StringField("CDARVITTRAB", 20),
        StringField("CDOPERRESP", 12),
        StringField("CDPROCESSO", 10),
        Field("DTINPATIVTAR", T::ftDateTime),
        StringField("QTHRPATIVTARE", 6, kLocateOnly),
        Field("DTFIPATIVTAR", T::ftDateTime),
        StringField("NMPROCESSO", 100),
        StringField("NMOPERADOR", 40),
        StringField("IDPROREUNIAO", 1),
        StringField("CDFILIAL", 4, kKey),
        StringField("NRTAREFA", 10, kKey),
        Field("QTHORAS", T::ftFixedChar, 6, kLocateOnly),
        Field("DTINCATIVTAR", T::ftDateTime),
        StringField("CDOPERINCL", 12),
        Field("QTHRPATIVTAR", T::ftFloat),
        StringField("IDSITATIVTAR", 1),
        StringField("IDOPERPAREUNIAO", 1),
        StringField("CDITEMTRAB", 10),
        StringField("NMITEMTRAB", 100),
    };
    return fields;
}

const std::vector<FieldDef>& AtividadesAuxFields() {
    using T = TFieldType;
    static const std::vector<FieldDef> fields = {
        StringField("CDFILIAL", 4, kKey),     StringField("NRTAREFA", 10, kKey),
        StringField("NRPLATIVTARE", 5, kKey), StringField("CDPROCESSO", 10),
        StringField("CDOPERRESP", 12),        Field("DTFIPATIVTAR", T::ftDateTime),
        Field("DTINPATIVTAR", T::ftDateTime), StringField("QTHRPATIVTARE", 6, kLocateOnly),
        Field("QTHRPATIVTAR", T::ftFloat),    StringField("CDARVPROCESS", 20),
        StringField("NMPROCESSO", 100),       StringField("NMOPERADOR", 40),
        StringField("IDPROREUNIAO", 1),       Field("QTHORAS", T::ftFixedChar, 6, kLocateOnly),
        Field("DTINCATIVTAR", T::ftDateTime), StringField("CDOPERINCL", 12),
        StringField("IDSITATIVTAR", 1),       StringField("CDITEMTRAB", 10),
        StringField("CDARVITTRAB", 20),       StringField("NMITEMTRAB", 100),
    };
    return fields;
}

std::string ActivitySelect(bool aux) {
    const char* list =
        aux ? "SELECT A.CDFILIAL, A.NRTAREFA, A.NRPLATIVTARE, A.CDPROCESSO, A.CDOPERRESP, "
              "A.DTFIPATIVTAR, A.DTINPATIVTAR, NULL, A.QTHRPATIVTAR, P.CDARVPROCESS, "
              "P.NMPROCESSO, O.NMOPERADOR, P.IDPROREUNIAO, NULL, A.DTINCATIVTAR, A.CDOPERINCL, "
              "A.IDSITATIVTAR, A.CDITEMTRAB, I.CDARVITTRAB, I.NMITEMTRAB "
            : "SELECT A.NRPLATIVTARE, P.CDARVPROCESS, I.CDARVITTRAB, A.CDOPERRESP, A.CDPROCESSO, "
              "A.DTINPATIVTAR, NULL, A.DTFIPATIVTAR, P.NMPROCESSO, O.NMOPERADOR, P.IDPROREUNIAO, "
              "A.CDFILIAL, A.NRTAREFA, NULL, A.DTINCATIVTAR, A.CDOPERINCL, A.QTHRPATIVTAR, "
              "A.IDSITATIVTAR, A.IDOPERPAREUNIAO, A.CDITEMTRAB, I.NMITEMTRAB ";
    return std::string(list) +
           "FROM PLANATIVTARE A "
           "LEFT JOIN PROCESSO P ON P.CDPROCESSO = A.CDPROCESSO "
           "LEFT JOIN OPERADOR O ON O.CDOPERADOR = A.CDOPERRESP "
           "LEFT JOIN ITEMTRAB I ON I.CDITEMTRAB = A.CDITEMTRAB ";
}

void FillDurationTexts(std::vector<SqlRow>& rows, bool aux) {
    const DurationSlots s = aux ? kAuxSlots : kListSlots;
    for (SqlRow& row : rows) {
        const std::string text = HoursText(row.at(s.hours));
        row.at(s.text) = text.empty() ? Variant() : Variant(text);
        row.at(s.fixedText) = row.at(s.text);
    }
}

std::string HoursText(const Variant& hours) {
    double h = 0;
    if (hours.IsNull()) return {};
    if (hours.IsNumber()) {
        h = hours.AsFloat();
    } else if (!ParsePtBrNumber(hours.AsString(), h)) {
        return {};
    }
    if (!(h >= 0) || h >= 10000) return {};
    int64_t minutes = std::llround(h * 60);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%04lld%02lld", static_cast<long long>(minutes / 60),
                  static_cast<long long>(minutes % 60));
    return buf;
}

void RequireActivitiesOpen(SqlConnection& db, const std::string& branch,
                           const std::string& meeting) {
    const std::optional<std::string> status = MeetingStatus(db, branch, meeting);
    if (!status) throw RpcError(code::kNotFound, "Reunião " + meeting + " não cadastrada.");
    if (*status == "X")
        throw RpcError(code::kConflict, "A reunião " + meeting +
                                            " está cancelada; suas atividades não podem ser "
                                            "alteradas.");
    if (*status == "C")
        throw RpcError(code::kConflict, "A reunião " + meeting +
                                            " está concluída; suas atividades não podem ser "
                                            "alteradas.");
}

std::string NumberText(int64_t value, int width, const std::string& what) {
    std::string text = ZeroFill(value, width);
    if (static_cast<int>(text.size()) > width)
        throw RpcError(code::kConflict, "Não há mais números disponíveis para " + what + ".");
    return text;
}

std::string NextPlanActivityNumber(SqlConnection& db, const std::string& branch,
                                   const std::string& meeting, const std::optional<Writer>& to) {
    const int64_t floor = NextAfterMax(
        db, "SELECT MAX(NRPLATIVTARE) FROM PLANATIVTARE WHERE CDFILIAL = ? AND NRTAREFA = ?",
        {branch, meeting});
    const std::string key = branch + "/" + meeting;
    const int64_t n = to ? HandOutNumber(db, counter::kPlanActivity, key, floor, *to)
                         : NextCounterValue(db, counter::kPlanActivity, key, floor);
    return NumberText(n, 5, "as atividades da reunião " + meeting);
}

void RequirePlanActivityNumber(SqlConnection& db, const std::string& branch,
                               const std::string& meeting, int64_t number, const Writer& by) {
    RequireHandedOut(db, counter::kPlanActivity, branch + "/" + meeting, number, by,
                     "as atividades da reunião " + meeting);
}

void RequireMayMarkParticipation(SqlConnection& db, const std::string& branch,
                                 const std::string& meeting, const Variant& start,
                                 const std::string& status, const Writer& by) {
    const SqlResult r = db.Exec("SELECT CDOPERRESP FROM TAREFA WHERE CDFILIAL = ? AND NRTAREFA = ?",
                                {branch, meeting});
    if (r.rows.empty() || r.rows[0][0].IsNull() || r.rows[0][0].AsString() != by.op)
        throw RpcError(code::kForbidden, "Operador não tem permissão para alterar o campo.");
    const TDateTime day = start.IsNull() ? 0
                                         : DateOf(start.kind() == Variant::Kind::String
                                                      ? ParseSqlDateTime(start.AsString())
                                                      : start.AsDateTime());
    if (day > DateOf(by.now))
        throw RpcError(code::kConflict,
                       "Campo não pode ser alterado, pois a Data/Hora Início da reunião é "
                       "superior a data atual.");
    if (status == "C")
        throw RpcError(code::kConflict,
                       "Campo não pode ser alterado pois a atividade já foi concluida.");
}

std::string ParticipationProcess(SqlConnection& db) {
    const SqlResult r = db.Exec(
        "SELECT CDPROCESSO FROM PROCESSO WHERE IDPROREUNIAO = 'S' AND IDATIVO = 'S' "
        "ORDER BY CDARVPROCESS");
    return r.rows.empty() ? std::string() : r.rows[0][0].AsString();
}

std::string PlainTreeCode(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c != '.' && c != ' ' && c != '-' && c != '/') out += c;
    return out;
}

void RequireOperator(SqlConnection& db, const std::string& operatorCode,
                     const std::string& message) {
    const SqlResult r =
        db.Exec("SELECT 1 FROM OPERADOR WHERE CDOPERADOR = ? AND IDATIVO = 'S'", {operatorCode});
    if (r.rows.empty()) throw RpcError(code::kNotFound, message);
}

}  // namespace zel::appserver
