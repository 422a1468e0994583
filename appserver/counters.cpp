#include "appserver/counters.h"

#include <cctype>

namespace zel::appserver {

int64_t NextCounterValue(SqlConnection& db, const std::string& name, const std::string& key,
                         int64_t atLeast) {
    const SqlResult r = db.Exec(
        "INSERT INTO CONTADOR (NMCONTADOR, CHAVE, VALOR) VALUES (?, ?, ?) "
        "ON CONFLICT (NMCONTADOR, CHAVE) DO UPDATE SET VALOR = CASE "
        "WHEN CONTADOR.VALOR + 1 > EXCLUDED.VALOR THEN CONTADOR.VALOR + 1 "
        "ELSE EXCLUDED.VALOR END RETURNING VALOR",
        {name, key, static_cast<long long>(atLeast)});
    return r.rows.at(0).at(0).AsInteger();
}

std::string ZeroFill(int64_t value, int width) {
    std::string digits = std::to_string(value);
    if (static_cast<int>(digits.size()) < width)
        digits.insert(0, static_cast<size_t>(width) - digits.size(), '0');
    return digits;
}

int64_t NextAfterMax(SqlConnection& db, const std::string& sql, const SqlParams& params) {
    const SqlResult r = db.Exec(sql, params);
    if (r.rows.empty() || r.rows[0].empty() || r.rows[0][0].IsNull()) return 1;
    const std::string text = r.rows[0][0].AsString();
    if (text.empty() || text.size() > 18) return 1;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c))) return 1;
    return std::stoll(text) + 1;
}

}  // namespace zel::appserver
