#include "appserver/meeting_rules.h"

#include <cmath>
#include <cstdio>

#include "appserver/method_support.h"
#include "appserver/rpc_error.h"
#include "appserver/sql_value.h"

namespace zel::appserver {

namespace {

// Minutes since midnight of a start, rounded to the minute.
int MinuteOfDay(TDateTime start) {
    return static_cast<int>(std::lround((start - DateOf(start)) * 1440.0)) % 1440;
}

std::string Hhmm(int minutes) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%02d%02d", minutes / 60, minutes % 60);
    return buf;
}

int DurationMinutes(double hours) {
    return static_cast<int>(std::lround(hours * 60.0));
}

std::string Text(const RowValues& row, const char* column) {
    auto it = row.find(column);
    return it == row.end() || it->second.IsNull() ? std::string() : it->second.AsString();
}

// A stored date-time text or a date-time value.
TDateTime DateTimeOf(const Variant& v) {
    return v.kind() == Variant::Kind::String ? ParseSqlDateTime(v.AsString()) : v.AsDateTime();
}

// A code of the header: required, and a row of `table` (checked by `sql`).
void RequireCode(SqlConnection& db, const std::string& code, const std::string& sql,
                 const SqlParams& params, const char* missing, const char* unknown) {
    if (IsBlank(code)) throw RpcError(code::kBadArguments, missing);
    if (db.Exec(sql, params).rows.empty()) throw RpcError(code::kNotFound, unknown);
}

}  // namespace

BookingHours HoursOf(TDateTime start, double hours) {
    const int from = MinuteOfDay(start);
    return {Hhmm(from), Hhmm(from + DurationMinutes(hours))};
}

void RequireSameDay(TDateTime start, double hours, const std::string& meeting) {
    if (MinuteOfDay(start) + DurationMinutes(hours) > 23 * 60 + 59)
        throw RpcError(code::kBadArguments, "Reunião deve ser cadastrada para o mesmo dia (" +
                                                meeting + " em " + DateToStr(start) + ").");
}

bool ActivityStarted(SqlConnection& db, const std::string& branch, const std::string& nr) {
    return !db.Exec(
                  "SELECT 1 FROM PLANATIVTARE WHERE CDFILIAL = ? AND NRTAREFA = ? AND "
                  "IDSITATIVTAR IN ('A', 'C')",
                  {branch, nr})
                .rows.empty();
}

std::string RequireMeetingChangeable(SqlConnection& db, const std::string& branch,
                                     const std::string& nr) {
    std::string status =
        RequireOpenMeeting(db, branch, nr, "Reunião cancelada ou concluída não pode ser alterada.");
    if (ActivityStarted(db, branch, nr))
        throw RpcError(code::kConflict,
                       "Reunião com atividade iniciada ou concluída não pode ser alterada.");
    return status;
}

void ValidateMeetingRow(SqlConnection& db, const RowValues& row, TDateTime now) {
    const std::string branch = Text(row, "CDFILIAL"), nr = Text(row, "NRTAREFA");
    if (IsBlank(Text(row, "DSREFETAREFA")))
        throw RpcError(code::kBadArguments, "Referência deve ser informada.");
    const std::string process = Text(row, "CDPROCESSO"), subject = Text(row, "CDASSUNTO");
    const std::string resp = Text(row, "CDOPERRESP"), project = Text(row, "CDPROJETO");
    RequireCode(db, process, "SELECT 1 FROM PROCESSO WHERE CDPROCESSO = ?", {process},
                "Processo deve ser informado.", "Processo não cadastrado.");
    RequireCode(db, subject, "SELECT 1 FROM ASSUNTO WHERE CDASSUNTO = ?", {subject},
                "Assunto deve ser informado.", "Assunto não cadastrado.");
    RequireCode(db, resp, "SELECT 1 FROM OPERFILIAL WHERE CDOPERADOR = ? AND CDFILIAL = ?",
                {resp, branch}, "Responsável deve ser informado.", "Responsável não cadastrado.");
    if (!IsBlank(project) &&
        db.Exec("SELECT 1 FROM PROJETO WHERE CDPROJETO = ?", {project}).rows.empty())
        throw RpcError(code::kNotFound, "Projeto não cadastrado.");

    auto start = row.find("DTHRREUNIAO");
    if (start == row.end() || start->second.IsNull())
        throw RpcError(code::kBadArguments, "Data Início deve ser informada.");
    auto hours = row.find("QTHRREUNIAO");
    if (hours == row.end() || hours->second.IsNull())
        throw RpcError(code::kBadArguments, "Qtde. de Horas deve ser informada.");
    const double h = hours->second.AsFloat();
    if (!(h > 0 && h < 24) || DurationMinutes(h) < 1)
        throw RpcError(code::kBadArguments, "Quantidade de horas informada incorretamente.");
    const TDateTime begins = DateTimeOf(start->second);
    RequireSameDay(begins, h, nr);
    if (now > begins)
        throw RpcError(code::kBadArguments, "Data da Reunião deve ser maior que data atual.");
}

void RequireActivityWithinDay(const Variant& start, const Variant& end) {
    if (start.IsNull() || end.IsNull()) return;
    const TDateTime from = DateTimeOf(start), to = DateTimeOf(end);
    if (to < from)
        throw RpcError(code::kBadArguments,
                       "A data/hora final da atividade não pode ser anterior à inicial.");
    if (DateOf(to) != DateOf(from))
        throw RpcError(code::kBadArguments, "A data final não pode ultrapassar o dia.");
}

}  // namespace zel::appserver
