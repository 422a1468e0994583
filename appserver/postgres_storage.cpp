#include "appserver/postgres_storage.h"

#include <libpq-fe.h>

#include <optional>
#include <pqxx/pqxx>
#include <unordered_map>

#include "appserver/sql_value.h"

namespace zel::appserver {

std::string ToDollarPlaceholders(const std::string& sql) {
    std::string out;
    out.reserve(sql.size() + 16);
    int n = 0;
    char quote = 0;
    for (char c : sql) {
        if (quote) {
            if (c == quote) quote = 0;
            out += c;
        } else if (c == '\'' || c == '"') {
            quote = c;
            out += c;
        } else if (c == '?') {
            out += '$' + std::to_string(++n);
        } else {
            out += c;
        }
    }
    return out;
}

namespace {

using K = DbError::Kind;

DbError Classify(const pqxx::sql_error& e) {
    const std::string& state = e.sqlstate();
    if (state == "23505") return DbError(K::UniqueViolation, e.what());
    if (state == "23503") return DbError(K::ForeignKeyViolation, e.what());
    if (state.rfind("23", 0) == 0) return DbError(K::ConstraintViolation, e.what());
    if (state == "40001" || state == "40P01" || state == "55P03")
        return DbError(K::Retryable, e.what());
    if (state.rfind("08", 0) == 0 || state.rfind("57P", 0) == 0)
        return DbError(K::Unavailable, e.what());
    return DbError(K::Other, e.what());
}

class PostgresConnection : public SqlConnection {
  public:
    explicit PostgresConnection(const std::string& conninfo) : m_conn(conninfo) {
        // Messages from the server in a fixed language and no notices on the client's stderr.
        m_conn.set_client_encoding("UTF8");
    }
    ~PostgresConnection() override { Rollback(); }

    Dialect dialect() const override { return Dialect::PostgreSQL; }

    SqlResult Exec(const std::string& sql, const SqlParams& params) override {
        RefuseWhileReading(sql);
        return guarded([&] {
            const std::string& name = prepared(sql);
            std::vector<std::optional<std::string>> texts;
            texts.reserve(params.size());
            for (const Variant& p : params)
                texts.push_back(text(p));
            std::vector<const char*> values;
            values.reserve(texts.size());
            for (const auto& t : texts)
                values.push_back(t ? t->c_str() : nullptr);
            pqxx::result r;
            if (m_tx) {
                r = m_tx->exec_prepared(name, pqxx::prepare::make_dynamic_params(values));
            } else {
                pqxx::nontransaction tx(m_conn);
                r = tx.exec_prepared(name, pqxx::prepare::make_dynamic_params(values));
            }
            return convert(r);
        });
    }

    void ExecScript(const std::string& sql) override {
        guarded([&] {
            if (m_tx) {
                m_tx->exec(sql);
            } else {
                pqxx::nontransaction tx(m_conn);
                tx.exec(sql);
            }
            return 0;
        });
    }

    void Begin(bool write) override {
        guarded([&] {
            m_tx = std::make_unique<pqxx::work>(m_conn);
            return 0;
        });
        m_writing = write;
        m_stamp = {};
    }
    void Commit() override {
        m_writing = false;
        guarded([&] {
            auto tx = std::move(m_tx);
            tx->commit();
            return 0;
        });
    }
    void Rollback() noexcept override {
        m_writing = false;
        try {
            if (m_tx) m_tx->abort();
        } catch (...) {
        }
        m_tx.reset();
    }
    // The stamp travels as settings local to the transaction, which the history triggers read
    // with current_setting; they vanish when it ends.
    void SetWriteStamp(const WriteStamp& stamp) override {
        SqlConnection::SetWriteStamp(stamp);
        Exec(
            "SELECT set_config('zel.oper', ?, true), set_config('zel.endereco', ?, true), "
            "set_config('zel.metodo', ?, true), set_config('zel.quando', ?, true)",
            {stamp.op, stamp.address, stamp.method, stamp.when});
    }
    bool Usable() const override { return !m_broken && m_conn.is_open(); }
    size_t PreparedStatements() const override { return m_names.size(); }

  private:
    template <class F>
    auto guarded(F&& fn) -> decltype(fn()) {
        try {
            return fn();
        } catch (const pqxx::broken_connection& e) {
            m_broken = true;
            m_tx.reset();
            throw DbError(K::Unavailable, std::string("PostgreSQL connection lost: ") + e.what());
        } catch (const pqxx::sql_error& e) {
            throw Classify(e);
        } catch (const pqxx::in_doubt_error& e) {
            m_broken = true;
            throw DbError(K::Unavailable, e.what());
        } catch (const pqxx::failure& e) {
            throw DbError(K::Other, e.what());
        }
    }

    const std::string& prepared(const std::string& sql) {
        auto it = m_names.find(sql);
        if (it != m_names.end()) return it->second;
        if (m_names.size() >= kMaxPreparedStatements) {
            // Texts vary with list lengths (IN lists); the cache starts over rather than grow.
            for (const auto& [text, old] : m_names)
                m_conn.unprepare(old);
            m_names.clear();
        }
        std::string name = "s" + std::to_string(++m_prepared);
        m_conn.prepare(name, ToDollarPlaceholders(sql));
        return m_names.emplace(sql, std::move(name)).first->second;
    }

    static std::optional<std::string> text(const Variant& raw) {
        const Variant v = SqlParam(raw);
        if (v.IsNull()) return std::nullopt;
        if (v.kind() == Variant::Kind::Float) {
            char buf[40];
            std::snprintf(buf, sizeof buf, "%.17g", v.AsFloat());
            return std::string(buf);
        }
        if (v.kind() == Variant::Kind::Integer) return std::to_string(v.AsInteger());
        return v.AsString();
    }

    static SqlResult convert(const pqxx::result& r) {
        SqlResult out;
        out.affected = static_cast<int64_t>(r.affected_rows());
        out.rows.reserve(r.size());
        const auto columns = r.columns();
        std::vector<pqxx::oid> types(columns);
        for (pqxx::row::size_type c = 0; c < columns; ++c)
            types[c] = r.column_type(c);
        for (const auto& row : r) {
            SqlRow values;
            values.reserve(columns);
            for (pqxx::row::size_type c = 0; c < columns; ++c) {
                const pqxx::field f = row[c];
                if (f.is_null()) {
                    values.emplace_back();
                    continue;
                }
                switch (types[c]) {
                    case 20:  // int8
                    case 21:  // int2
                    case 23:  // int4
                        values.emplace_back(static_cast<long long>(std::stoll(f.c_str())));
                        break;
                    case 700:   // float4
                    case 701:   // float8
                    case 1700:  // numeric
                        values.emplace_back(std::strtod(f.c_str(), nullptr));
                        break;
                    case 16:  // bool
                        values.emplace_back(f.c_str()[0] == 't' ? 1 : 0);
                        break;
                    default:
                        values.emplace_back(std::string(f.c_str(), f.size()));
                }
            }
            out.rows.push_back(std::move(values));
        }
        return out;
    }

    pqxx::connection m_conn;
    std::unique_ptr<pqxx::work> m_tx;
    std::unordered_map<std::string, std::string> m_names;
    uint64_t m_prepared = 0;  // statements prepared so far: each gets a new name
    bool m_broken = false;
};

}  // namespace

std::unique_ptr<SqlConnection> OpenPostgres(const std::string& conninfo) {
    // libpq's complaints about an address it cannot read quote pieces of it, the password's
    // included, so they are not passed on.
    char* parseError = nullptr;
    PQconninfoOption* options = PQconninfoParse(conninfo.c_str(), &parseError);
    if (!options) {
        PQfreemem(parseError);
        throw DbError(K::Unavailable, "cannot read the PostgreSQL address " +
                                          RedactDatabaseUrl(conninfo) +
                                          " (check its syntax and quoting)");
    }
    std::string password;
    for (const PQconninfoOption* o = options; o->keyword; ++o)
        if (std::string_view(o->keyword) == "password" && o->val) password = o->val;
    PQconninfoFree(options);
    try {
        return std::make_unique<PostgresConnection>(conninfo);
    } catch (const std::exception& e) {
        std::string why = e.what();
        if (!password.empty())
            for (size_t p = why.find(password); p != std::string::npos;
                 p = why.find(password, p + 3))
                why.replace(p, password.size(), "***");
        throw DbError(K::Unavailable, "cannot connect to PostgreSQL: " + why);
    }
}

}  // namespace zel::appserver
