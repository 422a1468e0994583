#include "appserver/storage.h"

#include "appserver/postgres_storage.h"
#include "appserver/sqlite_storage.h"

namespace zel::appserver {

namespace {

bool StartsWith(const std::string& s, const char* prefix) {
    return s.rfind(prefix, 0) == 0;
}

}  // namespace

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

std::unique_ptr<Database> Database::Open(const std::string& url, int poolSize) {
    std::unique_ptr<Database> db;
    if (StartsWith(url, "sqlite:")) {
        const std::string path = url.substr(7);
        if (path.empty()) throw DbError(DbError::Kind::Unavailable, "--db sqlite: needs a path");
        if (path == ":memory:") {
            // One private in-memory database: a single connection serialised by the pool, so
            // every caller sees the same data.
            auto shared = std::make_shared<std::unique_ptr<SqlConnection>>(OpenSqliteMemory());
            db = std::make_unique<Database>(
                Dialect::SQLite, [shared] { return std::move(*shared); }, 1, false);
        } else {
            db = std::make_unique<Database>(
                Dialect::SQLite, [path] { return OpenSqliteFile(path); },
                poolSize < 1 ? 1 : poolSize, true);
        }
    } else if (StartsWith(url, "postgresql://") || StartsWith(url, "postgres://") ||
               url.find('=') != std::string::npos) {
        db = std::make_unique<Database>(
            Dialect::PostgreSQL, [url] { return OpenPostgres(url); }, poolSize < 1 ? 1 : poolSize,
            false);
    } else {
        throw DbError(DbError::Kind::Unavailable,
                      "unknown database address '" + url +
                          "' (use sqlite:PATH, sqlite::memory: or postgresql://...)");
    }
    // Fail now, not at the first call, when the database cannot be reached.
    { Lease first = db->acquire(); }
    return db;
}

Database::Database(Dialect dialect, Factory factory, int poolSize, bool serializeWriters)
    : m_dialect(dialect),
      m_factory(std::move(factory)),
      m_poolSize(poolSize),
      m_serializeWriters(serializeWriters) {}

Database::~Database() = default;

Database::Lease Database::acquire() {
    std::unique_lock<std::mutex> lock(m_poolMutex);
    m_poolFree.wait(lock, [&] { return !m_idle.empty() || m_open < m_poolSize; });
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
