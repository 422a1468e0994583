#include "appserver/resolver.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "appserver/rpc_error.h"
#include "appserver/sql_value.h"
#include "platform/exceptions.h"

namespace zel::appserver {

namespace {

[[noreturn]] void BadValue(const ColumnDef& column, const Variant& value) {
    throw RpcError(code::kBadArguments,
                   "Valor inválido para o campo " + column.name + ": " + value.DebugString() + ".");
}

// A field of the packet that is a column of the table.
struct Bound {
    size_t field;
    const ColumnDef* column;
    unsigned flags;
};

bool Contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

class PacketResolver {
  public:
    PacketResolver(SqlConnection& db, const TableDef& table, const ChangePacket& packet,
                   const ResolvePolicy& policy)
        : m_db(db), m_table(table), m_packet(packet), m_policy(policy) {
        if (m_table.Column("CDFILIAL") && !m_policy.checkBranch)
            throw std::logic_error("change packets of " + m_table.name + " need a branch check");
        bindFields();
    }

    ResolveCounts run() {
        ResolveCounts counts;
        for (const Change& change : m_packet.changes) {
            switch (change.op) {
                case ChangeOp::Insert:
                    insert(change);
                    ++counts.inserted;
                    break;
                case ChangeOp::Update:
                    if (update(change)) ++counts.updated;
                    break;
                case ChangeOp::Delete:
                    remove(change);
                    ++counts.deleted;
                    break;
            }
        }
        return counts;
    }

  private:
    // Binds the packet's fields to columns; the key is the table's, whatever the flags say.
    void bindFields() {
        for (size_t i = 0; i < m_packet.fields.size(); ++i) {
            const FieldDef& f = m_packet.fields[i];
            const ColumnDef* c = m_table.Column(f.name);
            if (!c) continue;
            for (const Bound& b : m_bound)
                if (b.column == c)
                    throw RpcError(code::kBadArguments, "O pacote de alterações traz o campo " +
                                                            c->name + " mais de uma vez.");
            m_bound.push_back({i, c, f.flags});
        }
        for (const std::string& k : m_table.key) {
            const Bound* b = find(k);
            if (!b)
                throw RpcError(code::kBadArguments, "O pacote de alterações de " + m_table.name +
                                                        " não traz o campo " + k + " da chave.");
            m_key.push_back(b);
        }
    }

    const Bound* find(const std::string& column) const {
        for (const Bound& b : m_bound)
            if (b.column->name == column) return &b;
        return nullptr;
    }

    bool isKey(const Bound& b) const {
        return std::find(m_key.begin(), m_key.end(), &b) != m_key.end();
    }

    Variant value(const Bound& b, const PacketRow& row) const {
        return ToColumnValue(*b.column, row.at(b.field));
    }

    void checkBranch(const RowValues& key) const {
        auto it = key.find("CDFILIAL");
        if (it != key.end()) m_policy.checkBranch(it->second.AsString());
    }

    void checkRow(const RowValues& row) const {
        for (const ColumnDef& c : m_table.columns) {
            auto it = row.find(c.name);
            if (it == row.end()) continue;
            // Re-check stamped values too: they are columns like any other.
            ToColumnValue(c, it->second);
        }
        if (m_policy.validate) m_policy.validate(row);
    }

    void requireKey(const RowValues& row) const {
        for (const Bound* k : m_key) {
            auto it = row.find(k->column->name);
            if (it == row.end() || it->second.IsNull() || it->second.AsString().empty())
                throw RpcError(code::kBadArguments,
                               "O campo " + k->column->name + " da chave deve ser informado.");
        }
    }

    [[noreturn]] static void RefuseGuarded(const std::string& column) {
        throw RpcError(code::kForbidden, "O campo " + column +
                                             " não pode ser alterado por este pacote; use a "
                                             "operação própria.");
    }

    void insert(const Change& change) {
        RowValues row;
        for (const Bound& b : m_bound)
            if ((b.flags & pfInUpdate) || isKey(b))
                row[b.column->name] = value(b, change.newValues);
        for (const std::string& c : m_policy.serverOwned)
            row.erase(c);
        if (m_policy.stampInsert) m_policy.stampInsert(row);
        requireKey(row);
        checkBranch(row);
        checkRow(row);
        std::string cols, marks;
        SqlParams params;
        for (const auto& [name, v] : row) {
            if (!m_table.Column(name)) continue;
            cols += (cols.empty() ? "" : ", ") + name;
            marks += marks.empty() ? "?" : ", ?";
            params.push_back(v);
        }
        m_db.Exec("INSERT INTO " + m_table.name + " (" + cols + ") VALUES (" + marks + ")", params);
    }

    // Appends "key = old" conditions for the key columns, checks the branch of the row they
    // name and returns the key values.
    RowValues whereKey(const PacketRow& old, std::string& where, SqlParams& params) const {
        RowValues key;
        for (const Bound* k : m_key) {
            const Variant v = value(*k, old);
            if (v.IsNull())
                throw RpcError(code::kBadArguments,
                               "O campo " + k->column->name + " da chave deve ser informado.");
            key[k->column->name] = v;
            addCondition(k->column->name, v, where, params);
        }
        checkBranch(key);
        return key;
    }

    static void addCondition(const std::string& column, const Variant& v, std::string& where,
                             SqlParams& params) {
        where += where.empty() ? " WHERE " : " AND ";
        if (v.IsNull()) {
            where += column + " IS NULL";
        } else {
            where += column + " = ?";
            params.push_back(v);
        }
    }

    // Every column of the row the key names, locked on PostgreSQL until the transaction
    // ends; a row that is gone refuses the packet as changed meanwhile.
    RowValues storedRow(const RowValues& key) const {
        std::string cols, where;
        SqlParams params;
        for (const ColumnDef& c : m_table.columns)
            cols += (cols.empty() ? "" : ", ") + c.name;
        for (const auto& [name, v] : key)
            addCondition(name, v, where, params);
        std::string sql = "SELECT " + cols + " FROM " + m_table.name + where;
        if (m_db.dialect() == Dialect::PostgreSQL) sql += " FOR UPDATE";
        const SqlResult r = m_db.Exec(sql, params);
        if (r.rows.size() != 1) throw RpcError(code::kStaleRow, text::kStaleRow);
        RowValues row;
        for (size_t i = 0; i < m_table.columns.size(); ++i)
            row[m_table.columns[i].name] = r.rows[0][i];
        return row;
    }

    bool update(const Change& change) {
        std::string where;
        SqlParams whereParams;
        const RowValues key = whereKey(change.oldValues, where, whereParams);
        RowValues changed;
        for (const Bound& b : m_bound) {
            const Variant oldV = value(b, change.oldValues);
            const Variant newV = value(b, change.newValues);
            if (oldV == newV) continue;
            if (isKey(b))
                throw RpcError(code::kBadArguments,
                               "O campo " + b.column->name + " da chave não pode ser alterado.");
            if (Contains(m_policy.guarded, b.column->name)) RefuseGuarded(b.column->name);
            if (b.flags & pfInWhere) addCondition(b.column->name, oldV, where, whereParams);
            if ((b.flags & pfInUpdate) && !Contains(m_policy.serverOwned, b.column->name))
                changed[b.column->name] = newV;
        }
        if (changed.empty()) return false;
        if (m_policy.stampUpdate) m_policy.stampUpdate(changed);
        // The checks see the row as it will be stored: the stored values with the changes
        // over them, never values the packet claims for columns it does not change (or
        // leaves out).
        RowValues full = storedRow(key);
        if (m_policy.checkStored) m_policy.checkStored(full, changed);
        for (const auto& [k, v] : changed)
            full[k] = v;
        checkRow(full);

        std::string set;
        SqlParams params;
        for (const auto& [name, v] : changed) {
            if (!m_table.Column(name)) continue;
            set += (set.empty() ? "" : ", ") + name + " = ?";
            params.push_back(v);
        }
        params.insert(params.end(), whereParams.begin(), whereParams.end());
        const SqlResult r = m_db.Exec("UPDATE " + m_table.name + " SET " + set + where, params);
        if (r.affected != 1) throw RpcError(code::kStaleRow, text::kStaleRow);
        return true;
    }

    void remove(const Change& change) {
        std::string where;
        SqlParams params;
        const RowValues key = whereKey(change.oldValues, where, params);
        for (const Bound& b : m_bound)
            if ((b.flags & pfInWhere) && !isKey(b))
                addCondition(b.column->name, value(b, change.oldValues), where, params);
        if (m_policy.checkStored) m_policy.checkStored(storedRow(key), {});
        // A stale row refuses the packet after its dependants went: the caller's transaction
        // rolls both back.
        if (m_policy.beforeDelete) m_policy.beforeDelete(m_db, key);
        const SqlResult r = m_db.Exec("DELETE FROM " + m_table.name + where, params);
        if (r.affected != 1) throw RpcError(code::kStaleRow, text::kStaleRow);
    }

    SqlConnection& m_db;
    const TableDef& m_table;
    const ChangePacket& m_packet;
    const ResolvePolicy& m_policy;
    std::vector<Bound> m_bound;
    std::vector<const Bound*> m_key;
};

}  // namespace

Variant ToColumnValue(const ColumnDef& column, const Variant& v) {
    if (v.IsNull()) return v;
    switch (column.type) {
        case ColumnType::String:
        case ColumnType::Text: {
            std::string s;
            if (v.kind() == Variant::Kind::String) {
                s = v.AsString();
            } else if (v.kind() == Variant::Kind::Integer) {
                s = std::to_string(v.AsInteger());
            } else {
                BadValue(column, v);
            }
            if (s.empty() && !column.notNull) return Variant();
            const size_t n = Utf8Length(s);
            const size_t limit = column.type == ColumnType::String
                                     ? static_cast<size_t>(column.size)
                                     : kMaxTextCharacters;
            if (n > limit)
                throw RpcError(code::kTooLong, "O campo " + column.name + " aceita no máximo " +
                                                   std::to_string(limit) +
                                                   " caracteres (recebidos " + std::to_string(n) +
                                                   ").");
            return Variant(std::move(s));
        }
        case ColumnType::Integer:
            if (v.kind() == Variant::Kind::Integer) return v;
            if (v.kind() == Variant::Kind::Float && std::trunc(v.AsFloat()) == v.AsFloat() &&
                std::fabs(v.AsFloat()) < 9e15)
                return Variant(static_cast<long long>(v.AsFloat()));
            if (v.kind() == Variant::Kind::String) {
                double d = 0;
                if (ParsePtBrNumber(v.AsString(), d) && std::trunc(d) == d && std::fabs(d) < 9e15)
                    return Variant(static_cast<long long>(d));
            }
            BadValue(column, v);
        case ColumnType::Float:
            if (v.IsNumber()) return Variant(v.AsFloat());
            if (v.kind() == Variant::Kind::String) {
                double d = 0;
                if (v.AsString().empty()) return Variant();
                if (ParsePtBrNumber(v.AsString(), d)) return Variant(d);
            }
            BadValue(column, v);
        case ColumnType::DateTime:
            try {
                if (v.kind() == Variant::Kind::DateTime || v.IsNumber()) {
                    const double d =
                        v.kind() == Variant::Kind::DateTime ? v.AsDateTime() : v.AsFloat();
                    // Years 0100 to 9999, as the platform's dates allow.
                    if (!(d > -657435.0 && d < 2958466.0)) BadValue(column, v);
                    return Variant(SqlDateTimeText(d));
                }
                if (v.kind() == Variant::Kind::String) {
                    if (v.AsString().empty()) return Variant();
                    return Variant(SqlDateTimeText(ParseSqlDateTime(v.AsString())));
                }
            } catch (const Exception&) {
            }
            BadValue(column, v);
    }
    BadValue(column, v);
}

ResolveCounts ApplyChangePacket(SqlConnection& db, const TableDef& table,
                                const ChangePacket& packet, const ResolvePolicy& policy) {
    return PacketResolver(db, table, packet, policy).run();
}

}  // namespace zel::appserver
