#include "appserver/working_hours.h"

#include "appserver/rpc_error.h"
#include "appserver/series_rule.h"
#include "platform/series_dates.h"

namespace zel::appserver {

namespace {

const char* const kDayNames[] = {"segunda", "terça",  "quarta", "quinta",
                                 "sexta",   "sábado", "domingo"};

std::string TwoDigits(int n) {
    return std::string(1, static_cast<char>('0' + n / 10)) + static_cast<char>('0' + n % 10);
}

// Minutes of a stored "HHMM" (data written before any check holds the defaults' form).
int StoredMinutes(const Variant& v, int fallback) {
    try {
        return ClockMinutes(v.AsString(), "expediente");
    } catch (const RpcError&) {
        return fallback;
    }
}

}  // namespace

bool WorkingHours::WorksOn(TDateTime day) const {
    return days.find(static_cast<char>('0' + IsoWeekday(day))) != std::string::npos;
}

std::string WorkingHours::Text() const {
    std::string list;
    const bool run =
        days.size() >= 3 && days.back() - days.front() + 1 == static_cast<int>(days.size());
    if (run) {
        list = std::string(kDayNames[days.front() - '1']) + " a " + kDayNames[days.back() - '1'];
    } else {
        for (const char d : days)
            list += (list.empty() ? "" : ", ") + std::string(kDayNames[d - '1']);
    }
    return ClockText(startMinute) + " às " + ClockText(endMinute) + ", " + list;
}

int ClockMinutes(const std::string& text, const std::string& what) {
    std::string digits;
    for (const char c : text)
        if (c != ':' && c != ' ') digits += c;
    const bool form =
        digits.size() == 4 && digits.find_first_not_of("0123456789") == std::string::npos;
    const int h = form ? std::stoi(digits.substr(0, 2)) : 0;
    const int m = form ? std::stoi(digits.substr(2, 2)) : 0;
    if (!form || m > 59 || h * 60 + m > 24 * 60)
        throw RpcError(code::kBadArguments, "Horário inválido em " + what + ": \"" + text +
                                                "\" (use HH:MM, de 00:00 a 24:00).");
    return h * 60 + m;
}

std::string HhmmText(int minutes) {
    return TwoDigits(minutes / 60) + TwoDigits(minutes % 60);
}

std::string ClockText(int minutes) {
    return TwoDigits(minutes / 60) + ":" + TwoDigits(minutes % 60);
}

WorkingHours ReadWorkingHours(SqlConnection& db, const std::string& branch) {
    const SqlResult r = db.Exec(
        "SELECT HRINIEXPFIL, HRFINEXPFIL, DSDIASEXPFIL FROM FILIAL WHERE CDFILIAL = ?", {branch});
    if (r.rows.empty()) throw RpcError(code::kNotFound, "Filial " + branch + " não cadastrada.");
    WorkingHours h;
    h.startMinute = StoredMinutes(r.rows[0][0], h.startMinute);
    h.endMinute = StoredMinutes(r.rows[0][1], h.endMinute);
    if (h.endMinute <= h.startMinute) h = WorkingHours{};
    h.days = r.rows[0][2].AsString();
    return h;
}

WorkingHours ParseWorkingHours(const WorkingHours& current, const std::string& start,
                               const std::string& end, const std::string& days) {
    WorkingHours h = current;
    if (!start.empty()) h.startMinute = ClockMinutes(start, "início do expediente");
    if (!end.empty()) h.endMinute = ClockMinutes(end, "fim do expediente");
    if (h.endMinute <= h.startMinute)
        throw RpcError(code::kBadArguments, "O fim do expediente (" + ClockText(h.endMinute) +
                                                ") deve ser depois do início (" +
                                                ClockText(h.startMinute) + ").");
    if (!days.empty())
        h.days = NormalisedWeekdays(days,
                                    "Informe ao menos um dia de expediente (1 = segunda a "
                                    "7 = domingo).");
    return h;
}

void WriteWorkingHours(SqlConnection& db, const std::string& branch, const WorkingHours& hours) {
    const SqlResult r = db.Exec(
        "UPDATE FILIAL SET HRINIEXPFIL = ?, HRFINEXPFIL = ?, DSDIASEXPFIL = ? WHERE CDFILIAL = ?",
        {HhmmText(hours.startMinute), HhmmText(hours.endMinute), hours.days, branch});
    if (r.affected != 1) throw RpcError(code::kNotFound, "Filial " + branch + " não cadastrada.");
}

}  // namespace zel::appserver
