#include "appserver/session_manager.h"

#include <spdlog/spdlog.h>

#include <cmath>

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

// A caller's text as the log shows it: control characters (a forged log line) become '?'.
std::string Printable(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return text;
}

// Refuses, before any password is checked, while failures from the address make it wait.
void RefuseWhileWaiting(SqlConnection& db, const std::string& operatorCode,
                        const std::string& address, TDateTime now) {
    const double wait = LoginThrottle::WaitFor(db, operatorCode, address, now);
    if (wait <= 0) return;
    spdlog::warn("login of operator '{}' from '{}' refused: waiting {:.0f} s after failures",
                 Printable(operatorCode), address, wait);
    throw RpcError(code::kTooManyAttempts, "Muitas tentativas de entrada sem sucesso. Aguarde " +
                                               std::to_string(static_cast<int>(std::ceil(wait))) +
                                               " segundo(s) e tente novamente.");
}

// One of the few password checks that may run at once, held while it lives.
class PasswordCheckSlot {
  public:
    explicit PasswordCheckSlot(std::counting_semaphore<SessionManager::kMaxPasswordChecks>& slots)
        : m_slots(slots) {
        if (!m_slots.try_acquire_for(std::chrono::seconds(10)))
            throw RpcError(code::kUnavailable, text::kServerBusy);
    }
    ~PasswordCheckSlot() { m_slots.release(); }
    PasswordCheckSlot(const PasswordCheckSlot&) = delete;
    PasswordCheckSlot& operator=(const PasswordCheckSlot&) = delete;

  private:
    std::counting_semaphore<SessionManager::kMaxPasswordChecks>& m_slots;
};

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

std::optional<Session> SessionManager::Find(Database& database, std::string_view token,
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
    std::optional<Session> found = database.Transact(false, [&](SqlConnection& db) {
        std::optional<Session> out;
        const SqlResult r = db.Exec(
            "SELECT S.CDOPERADOR, S.CDFILIAL, S.DTEXPIRA, O.NMOPERADOR FROM SESSAO S "
            "JOIN OPERADOR O ON O.CDOPERADOR = S.CDOPERADOR "
            "WHERE S.TOKENHASH = ? AND O.IDATIVO = 'S'",
            {digest});
        if (r.rows.empty()) return out;
        Session& s = out.emplace();
        s.tokenHash = digest;
        s.operatorCode = r.rows[0][0].AsString();
        s.branch = r.rows[0][1].AsString();
        s.expires = ParseSqlDateTime(r.rows[0][2].AsString());
        s.operatorName = r.rows[0][3].AsString();
        s.branches = Branches(db, s.operatorCode);
        return out;
    });
    if (!found || found->expires <= now) return std::nullopt;
    const Session& s = *found;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_cache.size() >= kCacheMax) m_cache.clear();
    m_cache[digest] = Cached{s, steady};
    return s;
}

LoginResult SessionManager::Login(Database& db, const std::string& operatorCode,
                                  const std::string& password, const std::string& branch,
                                  TDateTime now, const std::string& address) {
    db.Transact(false,
                [&](SqlConnection& conn) { RefuseWhileWaiting(conn, operatorCode, address, now); });
    const PasswordCheckSlot slot(m_passwordChecks);
    try {
        return open(db, operatorCode, password, branch, now, address);
    } catch (const RpcError& e) {
        if (e.code() != code::kUnauthenticated) throw;
        db.Transact(true, [&](SqlConnection& conn) {
            LoginThrottle::Failed(conn, operatorCode, address, now);
        });
        spdlog::warn("login of operator '{}' from '{}' failed", Printable(operatorCode), address);
        throw;
    }
}

LoginResult SessionManager::open(Database& db, const std::string& operatorCode,
                                 const std::string& password, const std::string& branch,
                                 TDateTime now, const std::string& address) {
    struct Stored {
        std::optional<std::string> hash;
        std::string name;
    };
    const Stored stored = db.Transact(false, [&](SqlConnection& conn) {
        // Failures counted while this login waited for its password check count too.
        RefuseWhileWaiting(conn, operatorCode, address, now);
        Stored out;
        const SqlResult r = conn.Exec(
            "SELECT DSSENHA, NMOPERADOR FROM OPERADOR WHERE CDOPERADOR = ? AND IDATIVO = 'S'",
            {operatorCode});
        if (r.rows.empty()) return out;
        out.hash = r.rows[0][0].AsString();
        out.name = r.rows[0][1].AsString();
        return out;
    });
    if (!stored.hash) {
        SpendPasswordCheckTime(password, m_fastHashing);
        Refuse();
    }
    if (!VerifyPassword(*stored.hash, password)) Refuse();
    if (m_afterCheck) m_afterCheck();

    Session s;
    s.operatorCode = operatorCode;
    s.operatorName = stored.name;
    s.branch = branch;
    const std::string token = NewToken();
    s.tokenHash = TokenDigest(token);
    s.expires = now + m_ttlSeconds / 86400.0;
    db.Transact(true, [&](SqlConnection& conn) {
        // The operator's row, read again and (on PostgreSQL) locked until commit: a password
        // change or a deactivation either came first, and this login is refused, or it waits
        // for this commit and then ends the new session with the others.
        std::string again = "SELECT DSSENHA FROM OPERADOR WHERE CDOPERADOR = ? AND IDATIVO = 'S'";
        if (conn.dialect() == Dialect::PostgreSQL) again += " FOR UPDATE";
        const SqlResult r = conn.Exec(again, {operatorCode});
        if (r.rows.empty() || r.rows[0][0].AsString() != *stored.hash) Refuse();
        s.branches = Branches(conn, operatorCode);
        if (!s.MayUse(branch)) Refuse();
        // Expired sessions go when someone logs in; the index on DTEXPIRA keeps this cheap.
        conn.Exec("DELETE FROM SESSAO WHERE DTEXPIRA < ?", {Variant::FromDateTime(now)});
        conn.Exec(
            "INSERT INTO SESSAO (TOKENHASH, CDOPERADOR, CDFILIAL, DTCRIACAO, DTEXPIRA) "
            "VALUES (?, ?, ?, ?, ?)",
            {s.tokenHash, s.operatorCode, s.branch, Variant::FromDateTime(now),
             Variant::FromDateTime(s.expires)});
        LoginThrottle::Succeeded(conn, operatorCode, address);
    });
    return {token, s};
}

void SessionManager::Logout(SqlConnection& db, std::string_view token) {
    const std::string digest = TokenDigest(token);
    db.Exec("DELETE FROM SESSAO WHERE TOKENHASH = ?", {digest});
    std::lock_guard<std::mutex> lock(m_mutex);
    m_cache.erase(digest);
}

}  // namespace zel::appserver
