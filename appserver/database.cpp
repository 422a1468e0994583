#include "appserver/storage.h"

#include <algorithm>
#include <cctype>

#include "appserver/postgres_storage.h"
#include "appserver/sqlite_storage.h"

namespace zel::appserver {

namespace {

bool StartsWith(const std::string& s, const char* prefix) {
    return s.rfind(prefix, 0) == 0;
}

bool IsPostgresUri(const std::string& url) {
    return StartsWith(url, "postgresql://") || StartsWith(url, "postgres://");
}

// Marks the password of a URI: the userinfo after its ':' and every "password=" parameter.
// The userinfo ends at the last '@', so a password with an unescaped '@', '/' or '?' is
// still covered (at worst more than the password is hidden).
void MarkUriPassword(const std::string& url, std::vector<bool>& secret) {
    const size_t start = url.find("://") + 3;
    const size_t at = url.rfind('@');
    if (at != std::string::npos && at >= start) {
        const size_t colon = url.find(':', start);
        if (colon < at) std::fill(secret.begin() + colon + 1, secret.begin() + at, true);
    }
    for (size_t p = url.find("password=", start); p != std::string::npos;
         p = url.find("password=", p + 1)) {
        if (url[p - 1] != '?' && url[p - 1] != '&') continue;
        const size_t end = std::min(url.find('&', p), url.size());
        std::fill(secret.begin() + p + 9, secret.begin() + end, true);
    }
}

// Marks the value of every "password" pair of a conninfo (key = value, values optionally in
// single quotes with backslash escapes). False when the text is not a conninfo.
bool MarkConninfoPassword(const std::string& s, std::vector<bool>& secret) {
    const auto blank = [&](size_t i) { return std::isspace(static_cast<unsigned char>(s[i])); };
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && blank(i))
            ++i;
        if (i == s.size()) break;
        const size_t keyStart = i;
        while (i < s.size() && !blank(i) && s[i] != '=')
            ++i;
        const std::string key = s.substr(keyStart, i - keyStart);
        while (i < s.size() && blank(i))
            ++i;
        if (i == s.size() || s[i] != '=') return false;
        ++i;
        while (i < s.size() && blank(i))
            ++i;
        const size_t valueStart = i;
        if (i < s.size() && s[i] == '\'') {
            for (++i; i < s.size() && s[i] != '\''; ++i)
                if (s[i] == '\\') ++i;
            if (i >= s.size()) return false;
            ++i;
        } else {
            for (; i < s.size() && !blank(i); ++i)
                if (s[i] == '\\') ++i;
        }
        if (key == "password")
            std::fill(secret.begin() + valueStart,
                      secret.begin() + static_cast<long>(std::min(i, s.size())), true);
    }
    return true;
}

}  // namespace

std::string RedactDatabaseUrl(const std::string& url) {
    if (StartsWith(url, "sqlite:")) return url;
    std::vector<bool> secret(url.size(), false);
    if (IsPostgresUri(url)) {
        MarkUriPassword(url, secret);
    } else if (!MarkConninfoPassword(url, secret)) {
        const size_t p = url.find("password");
        if (p != std::string::npos) return url.substr(0, p) + "password=***";
        return url;
    }
    std::string out;
    for (size_t i = 0; i < url.size(); ++i) {
        if (!secret[i]) {
            out += url[i];
        } else if (i == 0 || !secret[i - 1]) {
            out += "***";
        }
    }
    return out;
}

Variant SqlCell::ToVariant() const {
    switch (kind) {
        case Kind::Integer:
            return Variant(static_cast<long long>(integer));
        case Kind::Float:
            return Variant(real);
        case Kind::Text:
            return Variant(std::string(text));
        case Kind::Null:
            break;
    }
    return Variant();
}

SqlCell SqlCell::Of(const Variant& v) {
    SqlCell cell;
    switch (v.kind()) {
        case Variant::Kind::Null:
            break;
        case Variant::Kind::Integer:
        case Variant::Kind::Bool:
            cell.kind = Kind::Integer;
            cell.integer = v.AsInteger();
            break;
        case Variant::Kind::Float:
        case Variant::Kind::DateTime:
            cell.kind = Kind::Float;
            cell.real = v.AsFloat();
            break;
        default:
            if (const std::string* s = v.StringPtr()) {
                cell.kind = Kind::Text;
                cell.text = *s;
            }
    }
    return cell;
}

// Engines without a row-by-row reader collect the result first; the rows stay alive while
// the sink reads them.
void SqlConnection::Query(const std::string& sql, const SqlParams& params, const SqlRowSink& sink) {
    const SqlResult r = Exec(sql, params);
    std::vector<SqlCell> cells;
    m_reading = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{m_reading};
    for (const SqlRow& row : r.rows) {
        cells.clear();
        for (const Variant& v : row)
            cells.push_back(SqlCell::Of(v));
        sink(cells);
    }
}

void SqlConnection::RefuseWhileReading(const std::string& sql) const {
    if (m_reading)
        throw DbError(DbError::Kind::Other,
                      "statement run while the rows of another are being read: " + sql);
}

std::unique_ptr<Database> Database::Open(const std::string& url, int poolSize,
                                         std::chrono::milliseconds busyWait) {
    std::unique_ptr<Database> db;
    if (StartsWith(url, "sqlite:")) {
        const std::string path = url.substr(7);
        if (path.empty()) throw DbError(DbError::Kind::Unavailable, "--db sqlite: needs a path");
        if (path == ":memory:") {
            // One private in-memory database: a single connection serialised by the pool, so
            // every caller sees the same data.
            auto shared = std::make_shared<std::unique_ptr<SqlConnection>>(OpenSqliteMemory());
            db = std::make_unique<Database>(
                Dialect::SQLite, [shared] { return std::move(*shared); }, 1, false, busyWait);
        } else {
            db = std::make_unique<Database>(
                Dialect::SQLite, [path, busyWait] { return OpenSqliteFile(path, busyWait); },
                poolSize < 1 ? 1 : poolSize, true, busyWait);
        }
    } else if (IsPostgresUri(url) || url.find('=') != std::string::npos) {
        db = std::make_unique<Database>(
            Dialect::PostgreSQL, [url] { return OpenPostgres(url); }, poolSize < 1 ? 1 : poolSize,
            false, busyWait);
    } else {
        throw DbError(DbError::Kind::Unavailable,
                      "unknown database address '" + RedactDatabaseUrl(url) +
                          "' (use sqlite:PATH, sqlite::memory: or postgresql://...)");
    }
    // Fail now, not at the first call, when the database cannot be reached.
    { Lease first = db->acquire(std::chrono::steady_clock::now() + busyWait); }
    return db;
}

Database::Database(Dialect dialect, Factory factory, int poolSize, bool serializeWriters,
                   std::chrono::milliseconds busyWait)
    : m_dialect(dialect),
      m_factory(std::move(factory)),
      m_poolSize(poolSize),
      m_serializeWriters(serializeWriters),
      m_busyWait(busyWait) {}

Database::~Database() = default;

void Database::busy(const char* what) const {
    throw DbError(DbError::Kind::Busy, std::string(what) + " stayed taken for " +
                                           std::to_string(m_busyWait.count()) + " ms");
}

Database::Lease Database::acquire(Deadline deadline) {
    std::unique_lock<std::mutex> lock(m_poolMutex);
    if (!m_poolFree.wait_until(lock, deadline,
                               [&] { return !m_idle.empty() || m_open < m_poolSize; }))
        busy("every database connection");
    if (!m_idle.empty()) {
        auto conn = std::move(m_idle.back());
        m_idle.pop_back();
        return Lease(*this, std::move(conn));
    }
    ++m_open;
    lock.unlock();
    try {
        return Lease(*this, m_factory());
    } catch (...) {
        lock.lock();
        --m_open;
        m_poolFree.notify_one();
        throw;
    }
}

void Database::release(std::unique_ptr<SqlConnection> conn) {
    std::lock_guard<std::mutex> lock(m_poolMutex);
    if (conn && conn->Usable()) {
        m_idle.push_back(std::move(conn));
    } else {
        --m_open;
    }
    m_poolFree.notify_one();
}

bool Database::Ping() {
    try {
        return Transact(false, [](SqlConnection& c) { return !c.Exec("SELECT 1").rows.empty(); });
    } catch (const DbError&) {
        return false;
    }
}

}  // namespace zel::appserver
