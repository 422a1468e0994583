#include "appserver/sqlite_storage.h"

#include <sqlite3.h>

#include <unordered_map>

#include "appserver/sql_value.h"

namespace zel::appserver {

namespace {

DbError ErrorFrom(sqlite3* db, int rc, const std::string& context) {
    const int ext = db ? sqlite3_extended_errcode(db) : rc;
    const std::string msg = context + ": " + (db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    using K = DbError::Kind;
    switch (ext) {
        case SQLITE_CONSTRAINT_PRIMARYKEY:
        case SQLITE_CONSTRAINT_UNIQUE:
            return DbError(K::UniqueViolation, msg);
        case SQLITE_CONSTRAINT_FOREIGNKEY:
            return DbError(K::ForeignKeyViolation, msg);
        case SQLITE_CONSTRAINT_TRIGGER:
            // RAISE(ABORT, 'name') in a trigger: the text names the rule.
            return DbError(K::ConstraintViolation, msg, db ? sqlite3_errmsg(db) : "");
        default:
            break;
    }
    switch (rc & 0xFF) {
        case SQLITE_CONSTRAINT:
            return DbError(K::ConstraintViolation, msg);
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return DbError(K::Retryable, msg);
        case SQLITE_CANTOPEN:
        case SQLITE_NOTADB:
        case SQLITE_IOERR:
        case SQLITE_FULL:
        case SQLITE_READONLY:
            return DbError(K::Unavailable, msg);
        default:
            return DbError(K::Other, msg);
    }
}

class SqliteConnection : public SqlConnection {
  public:
    explicit SqliteConnection(sqlite3* db) : m_db(db) {}
    ~SqliteConnection() override {
        for (auto& [sql, stmt] : m_statements)
            sqlite3_finalize(stmt);
        sqlite3_close_v2(m_db);
    }

    Dialect dialect() const override { return Dialect::SQLite; }

    SqlResult Exec(const std::string& sql, const SqlParams& params) override {
        SqlResult result;
        run(sql, params, [&](sqlite3_stmt* stmt, int columns) {
            SqlRow row;
            row.reserve(columns);
            for (int c = 0; c < columns; ++c)
                row.push_back(column(stmt, c));
            result.rows.push_back(std::move(row));
        });
        result.affected = sqlite3_changes(m_db);
        return result;
    }

    void Query(const std::string& sql, const SqlParams& params, const SqlRowSink& sink) override {
        std::vector<SqlCell> cells;
        run(sql, params, [&](sqlite3_stmt* stmt, int columns) {
            cells.resize(columns);
            for (int c = 0; c < columns; ++c)
                cells[c] = cell(stmt, c);
            // A statement run from inside the sink could reset or finalize this one.
            m_reading = true;
            struct Done {
                bool& flag;
                ~Done() { flag = false; }
            } done{m_reading};
            sink(cells);
        });
    }

    size_t PreparedStatements() const override { return m_statements.size(); }

    // zel_stamp('op' | 'address' | 'method' | 'when'): the write stamp of the open
    // transaction, null when unset. The history triggers call it; a connection of another
    // program, which lacks the function, cannot write the audited tables unrecorded.
    void RegisterStampFunction() {
        sqlite3_create_function_v2(m_db, "zel_stamp", 1, SQLITE_UTF8, this, &StampFunction, nullptr,
                                   nullptr, nullptr);
    }

    void ExecScript(const std::string& sql) override {
        char* err = nullptr;
        const int rc = sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &err);
        if (rc != SQLITE_OK) {
            const std::string msg = err ? err : "script failed";
            sqlite3_free(err);
            throw ErrorFrom(m_db, rc, msg);
        }
    }

    void Begin(bool write) override {
        ExecScript(write ? "BEGIN IMMEDIATE" : "BEGIN");
        m_writing = write;
        m_stamp = {};
    }
    void Commit() override {
        ExecScript("COMMIT");
        m_writing = false;
    }
    void Rollback() noexcept override {
        m_writing = false;
        if (!sqlite3_get_autocommit(m_db))
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    }

  private:
    static void StampFunction(sqlite3_context* context, int, sqlite3_value** argv) {
        const auto* self = static_cast<const SqliteConnection*>(sqlite3_user_data(context));
        const auto* name = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
        const std::string_view field = name ? name : "";
        const WriteStamp& s = self->m_stamp;
        const std::string* value = field == "op"        ? &s.op
                                   : field == "address" ? &s.address
                                   : field == "method"  ? &s.method
                                   : field == "when"    ? &s.when
                                                        : nullptr;
        if (!value || value->empty())
            sqlite3_result_null(context);
        else
            sqlite3_result_text(context, value->c_str(), static_cast<int>(value->size()),
                                SQLITE_TRANSIENT);
    }

    // Binds `params`, steps the statement and calls onRow(stmt, columns) for every row.
    template <class OnRow>
    void run(const std::string& sql, const SqlParams& params, OnRow&& onRow) {
        RefuseWhileReading(sql);
        sqlite3_stmt* stmt = prepare(sql);
        struct Reset {
            sqlite3_stmt* s;
            ~Reset() {
                sqlite3_reset(s);
                sqlite3_clear_bindings(s);
            }
        } reset{stmt};
        if (static_cast<int>(params.size()) != sqlite3_bind_parameter_count(stmt))
            throw DbError(DbError::Kind::Other, "parameter count mismatch in: " + sql);
        for (size_t i = 0; i < params.size(); ++i)
            bind(stmt, static_cast<int>(i) + 1, params[i]);
        const int columns = sqlite3_column_count(stmt);
        for (;;) {
            const int rc = sqlite3_step(stmt);
            if (rc == SQLITE_DONE) break;
            if (rc != SQLITE_ROW) throw ErrorFrom(m_db, rc, "statement failed");
            onRow(stmt, columns);
        }
    }

    sqlite3_stmt* prepare(const std::string& sql) {
        auto it = m_statements.find(sql);
        if (it != m_statements.end()) return it->second;
        if (m_statements.size() >= kMaxPreparedStatements) {
            // Texts vary with list lengths (IN lists); the cache starts over rather than grow.
            for (auto& [text, old] : m_statements)
                sqlite3_finalize(old);
            m_statements.clear();
        }
        sqlite3_stmt* stmt = nullptr;
        const int rc = sqlite3_prepare_v3(m_db, sql.c_str(), static_cast<int>(sql.size()),
                                          SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
        if (rc != SQLITE_OK) throw ErrorFrom(m_db, rc, "cannot prepare statement");
        m_statements.emplace(sql, stmt);
        return stmt;
    }

    void bind(sqlite3_stmt* stmt, int index, const Variant& raw) {
        if (const std::string* text = raw.StringPtr()) {
            // The common case, bound without a copy of the Variant.
            const int rc = sqlite3_bind_text(stmt, index, text->data(),
                                             static_cast<int>(text->size()), SQLITE_TRANSIENT);
            if (rc != SQLITE_OK) throw ErrorFrom(m_db, rc, "cannot bind parameter");
            return;
        }
        const Variant v = SqlParam(raw);
        int rc = SQLITE_OK;
        switch (v.kind()) {
            case Variant::Kind::Null:
                rc = sqlite3_bind_null(stmt, index);
                break;
            case Variant::Kind::Integer:
                rc = sqlite3_bind_int64(stmt, index, v.AsInteger());
                break;
            case Variant::Kind::Float:
                rc = sqlite3_bind_double(stmt, index, v.AsFloat());
                break;
            default: {
                const std::string s = v.AsString();
                rc = sqlite3_bind_text(stmt, index, s.data(), static_cast<int>(s.size()),
                                       SQLITE_TRANSIENT);
            }
        }
        if (rc != SQLITE_OK) throw ErrorFrom(m_db, rc, "cannot bind parameter");
    }

    static Variant column(sqlite3_stmt* stmt, int c) {
        switch (sqlite3_column_type(stmt, c)) {
            case SQLITE_INTEGER:
                return Variant(static_cast<long long>(sqlite3_column_int64(stmt, c)));
            case SQLITE_FLOAT:
                return Variant(sqlite3_column_double(stmt, c));
            case SQLITE_NULL:
                return Variant();
            default: {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
                return Variant(std::string(text, sqlite3_column_bytes(stmt, c)));
            }
        }
    }

    static SqlCell cell(sqlite3_stmt* stmt, int c) {
        SqlCell out;
        switch (sqlite3_column_type(stmt, c)) {
            case SQLITE_INTEGER:
                out.kind = SqlCell::Kind::Integer;
                out.integer = sqlite3_column_int64(stmt, c);
                break;
            case SQLITE_FLOAT:
                out.kind = SqlCell::Kind::Float;
                out.real = sqlite3_column_double(stmt, c);
                break;
            case SQLITE_NULL:
                break;
            default: {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
                out.kind = SqlCell::Kind::Text;
                out.text = std::string_view(text ? text : "",
                                            static_cast<size_t>(sqlite3_column_bytes(stmt, c)));
            }
        }
        return out;
    }

    sqlite3* m_db;
    std::unordered_map<std::string, sqlite3_stmt*> m_statements;
};

std::unique_ptr<SqlConnection> Open(const std::string& name, int flags, bool file,
                                    std::chrono::milliseconds busyWait) {
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(name.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const std::string msg = "cannot open SQLite database '" + name +
                                "': " + (db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        sqlite3_close_v2(db);
        throw DbError(DbError::Kind::Unavailable, msg);
    }
    auto conn = std::make_unique<SqliteConnection>(db);
    conn->RegisterStampFunction();
    sqlite3_busy_timeout(db, static_cast<int>(busyWait.count()));
    sqlite3_extended_result_codes(db, 1);
    try {
        conn->ExecScript("PRAGMA foreign_keys = ON");
        if (file) conn->ExecScript("PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL");
    } catch (const DbError& e) {
        throw DbError(DbError::Kind::Unavailable,
                      "cannot use SQLite database '" + name + "': " + e.what());
    }
    return conn;
}

}  // namespace

std::unique_ptr<SqlConnection> OpenSqliteFile(const std::string& path,
                                              std::chrono::milliseconds busyWait) {
    return Open(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, true,
                busyWait);
}

std::unique_ptr<SqlConnection> OpenSqliteMemory() {
    return Open(":memory:", SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, false,
                std::chrono::milliseconds(0));
}

}  // namespace zel::appserver
