#include "appserver/history_csv.h"

#include <algorithm>

#include "appserver/counters.h"
#include "appserver/methods_history.h"
#include "appserver/packet_builder.h"
#include "appserver/rpc_error.h"
#include "appserver/sql_value.h"
#include "platform/date_time.h"
#include "platform/exceptions.h"
#include "platform/routines.h"

namespace zel::appserver {

namespace {

Variant SinceArgument(const std::string& since) {
    if (since.empty()) return Variant();
    std::string iso = since;
    if (iso.size() > 10 && iso[10] == ' ') iso[10] = 'T';
    try {
        if (iso.size() < 10 || iso[4] != '-' || iso[7] != '-') throw EConvertError(since);
        return Variant::FromDateTime(IsoToDateTime(iso));
    } catch (const EConvertError&) {
        throw RpcError(code::kBadArguments,
                       "Data inválida em --since: " + since + " (use AAAA-MM-DD).");
    }
}

std::string MeetingArgument(const std::string& meeting) {
    const std::string nr = TrimAll(meeting);
    if (!nr.empty() && nr.size() < 10 &&
        std::all_of(nr.begin(), nr.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return ZeroFill(std::stoll(nr), 10);
    return nr;
}

// A stored value as text: dates in "YYYY-MM-DD HH:MM:SS" whichever engine read them.
std::string CellText(const FieldDef& field, const Variant& value) {
    if (value.IsNull()) return {};
    if (field.type == TFieldType::ftDateTime)
        return SqlDateTimeText(FromSqlValue(field, value).AsDateTime());
    return value.AsString();
}

}  // namespace

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

void WriteHistoryCsv(SqlConnection& db, std::ostream& out, const std::string& branch,
                     const std::string& since, const std::string& meeting) {
    if (db.Exec("SELECT 1 FROM FILIAL WHERE CDFILIAL = ?", {branch}).rows.empty())
        throw RpcError(code::kNotFound, "Filial " + branch + " não cadastrada.");
    const std::vector<FieldDef>& fields = HistoryFields();
    std::vector<SqlRow> rows =
        HistoryRows(db, branch, MeetingArgument(meeting), SinceArgument(since));
    std::reverse(rows.begin(), rows.end());
    for (size_t i = 0; i < fields.size(); ++i)
        out << (i ? "," : "") << fields[i].name;
    out << "\r\n";
    for (const SqlRow& row : rows) {
        for (size_t i = 0; i < fields.size(); ++i)
            out << (i ? "," : "") << CsvField(CellText(fields[i], row[i]));
        out << "\r\n";
    }
}

}  // namespace zel::appserver
