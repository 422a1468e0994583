#include "appserver/counters.h"

#include <cctype>

#include "appserver/rpc_error.h"
#include "appserver/sql_value.h"

namespace zel::appserver {

namespace {

// Numbers of one key an operator may hold unclaimed; older ones are forgotten. The window
// holds one at a time (a meeting not yet taken keeps its number until it is sent again).
constexpr int kHeldPerKey = 200;

[[noreturn]] void NotHandedOut(const std::string& text, const std::string& what) {
    throw RpcError(code::kBadArguments, "O número " + text +
                                            " não foi fornecido pelo servidor para " + what +
                                            ": peça um número novo.");
}

}  // namespace

std::string BookingCounterKey(const std::string& branch, TDateTime day) {
    return branch + "/" + SqlDateTimeText(DateOf(day)).substr(0, 10);
}

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

int64_t HandOutNumber(SqlConnection& db, const std::string& name, const std::string& key,
                      int64_t atLeast, const Writer& to) {
    const int64_t value = NextCounterValue(db, name, key, atLeast);
    // The operator's numbers of a day ago, a few at a time; rows another transaction holds
    // are left to it, so two hand-outs never wait for each other here.
    const bool pg = db.dialect() == Dialect::PostgreSQL;
    db.Exec(std::string("DELETE FROM NUMRESERVA WHERE (NMCONTADOR, CHAVE, VALOR) IN (SELECT "
                        "NMCONTADOR, CHAVE, VALOR FROM NUMRESERVA WHERE CDOPERADOR = ? AND "
                        "DTRESERVA < ? LIMIT 100") +
                (pg ? " FOR UPDATE SKIP LOCKED)" : ")"),
            {to.op, Variant::FromDateTime(to.now - 1)});
    db.Exec(
        "INSERT INTO NUMRESERVA (NMCONTADOR, CHAVE, VALOR, CDOPERADOR, DTRESERVA) "
        "VALUES (?, ?, ?, ?, ?)",
        {name, key, static_cast<long long>(value), to.op, Variant::FromDateTime(to.now)});
    // Of this key (whose hand-outs take turns on the counter's row) the newest few are kept.
    const SqlParams mine = {name, key, to.op};
    const SqlResult oldest = db.Exec(
        "SELECT VALOR FROM NUMRESERVA WHERE NMCONTADOR = ? AND CHAVE = ? AND CDOPERADOR = ? "
        "ORDER BY VALOR DESC LIMIT 1 OFFSET " +
            std::to_string(kHeldPerKey),
        mine);
    if (!oldest.rows.empty()) {
        SqlParams p = mine;
        p.push_back(oldest.rows[0][0]);
        db.Exec(
            "DELETE FROM NUMRESERVA WHERE NMCONTADOR = ? AND CHAVE = ? AND CDOPERADOR = ? "
            "AND VALOR <= ?",
            p);
    }
    return value;
}

bool ClaimNumber(SqlConnection& db, const std::string& name, const std::string& key, int64_t value,
                 const Writer& by) {
    // A number older than a day counts as forgotten, also before a hand-out removed it.
    return db.Exec(
                 "DELETE FROM NUMRESERVA WHERE NMCONTADOR = ? AND CHAVE = ? AND VALOR = ? AND "
                 "CDOPERADOR = ? AND DTRESERVA >= ?",
                 {name, key, static_cast<long long>(value), by.op,
                  Variant::FromDateTime(by.now - 1)})
               .affected == 1;
}

void RequireHandedOut(SqlConnection& db, const std::string& name, const std::string& key,
                      const std::string& text, int width, const Writer& by,
                      const std::string& what) {
    const bool digits = static_cast<int>(text.size()) == width && width <= 18 &&
                        text.find_first_not_of("0123456789") == std::string::npos;
    if (!digits || !ClaimNumber(db, name, key, std::stoll(text), by)) NotHandedOut(text, what);
}

void RequireHandedOut(SqlConnection& db, const std::string& name, const std::string& key,
                      int64_t value, const Writer& by, const std::string& what) {
    if (!ClaimNumber(db, name, key, value, by)) NotHandedOut(std::to_string(value), what);
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
