#include "appserver/session_manager.h"

#include "appserver/password_hash.h"
#include "appserver/rpc_error.h"
#include "appserver/sql_value.h"

namespace zel::appserver {

namespace {

constexpr auto kCacheFor = std::chrono::seconds(5);
constexpr size_t kCacheMax = 100000;

[[noreturn]] void Refuse() {
    throw RpcError(code::kUnauthenticated, text::kLoginRefused);
}

}  // namespace

std::vector<std::string> SessionManager::Branches(SqlConnection& db,
                                                  const std::string& operatorCode) {
    std::vector<std::string> out;
    const SqlResult r = db.Exec(
        "SELECT OF_.CDFILIAL FROM OPERFILIAL OF_ JOIN FILIAL F ON F.CDFILIAL = OF_.CDFILIAL "
        "WHERE OF_.CDOPERADOR = ? AND F.IDATIVO = 'S' ORDER BY OF_.CDFILIAL",
        {operatorCode});
    for (const SqlRow& row : r.rows)
        out.push_back(row[0].AsString());
    return out;
}

std::optional<Session> SessionManager::Find(SqlConnection& db, std::string_view token,
                                            TDateTime now) {
    if (token.empty() || token.size() > 128) return std::nullopt;
    const std::string digest = TokenDigest(token);
    const auto steady = std::chrono::steady_clock::now();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_cache.find(digest);
        if (it != m_cache.end() && steady - it->second.checked < kCacheFor) {
            if (it->second.session.expires <= now) {
                m_cache.erase(it);
                return std::nullopt;
            }
            return it->second.session;
        }
    }
    const SqlResult r = db.Exec(
        "SELECT S.CDOPERADOR, S.CDFILIAL, S.DTEXPIRA, O.NMOPERADOR FROM SESSAO S "
        "JOIN OPERADOR O ON O.CDOPERADOR = S.CDOPERADOR "
        "WHERE S.TOKENHASH = ? AND O.IDATIVO = 'S'",
        {digest});
    if (r.rows.empty()) return std::nullopt;
    Session s;
    s.tokenHash = digest;
    s.operatorCode = r.rows[0][0].AsString();
    s.branch = r.rows[0][1].AsString();
    s.expires = ParseSqlDateTime(r.rows[0][2].AsString());
    s.operatorName = r.rows[0][3].AsString();
    if (s.expires <= now) return std::nullopt;
    s.branches = Branches(db, s.operatorCode);
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_cache.size() >= kCacheMax) m_cache.clear();
    m_cache[digest] = Cached{s, steady};
    return s;
}

LoginResult SessionManager::Login(SqlConnection& db, const std::string& operatorCode,
                                  const std::string& password, const std::string& branch,
                                  TDateTime now) {
    const SqlResult r =
        db.Exec("SELECT DSSENHA, NMOPERADOR FROM OPERADOR WHERE CDOPERADOR = ? AND IDATIVO = 'S'",
                {operatorCode});
    if (r.rows.empty()) {
        SpendPasswordCheckTime(password, m_fastHashing);
        Refuse();
    }
    if (!VerifyPassword(r.rows[0][0].AsString(), password)) Refuse();
    Session s;
    s.operatorCode = operatorCode;
    s.operatorName = r.rows[0][1].AsString();
    s.branch = branch;
    s.branches = Branches(db, operatorCode);
    if (!s.MayUse(branch)) Refuse();

    const std::string token = NewToken();
    s.tokenHash = TokenDigest(token);
    s.expires = now + m_ttlSeconds / 86400.0;
    // Expired sessions go when someone logs in; the index on DTEXPIRA keeps this cheap.
    db.Exec("DELETE FROM SESSAO WHERE DTEXPIRA < ?", {Variant::FromDateTime(now)});
    db.Exec(
        "INSERT INTO SESSAO (TOKENHASH, CDOPERADOR, CDFILIAL, DTCRIACAO, DTEXPIRA) "
        "VALUES (?, ?, ?, ?, ?)",
        {s.tokenHash, s.operatorCode, s.branch, Variant::FromDateTime(now),
         Variant::FromDateTime(s.expires)});
    return {token, s};
}

void SessionManager::Logout(SqlConnection& db, std::string_view token) {
    const std::string digest = TokenDigest(token);
    db.Exec("DELETE FROM SESSAO WHERE TOKENHASH = ?", {digest});
    std::lock_guard<std::mutex> lock(m_mutex);
    m_cache.erase(digest);
}

}  // namespace zel::appserver
