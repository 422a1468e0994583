#include "appserver/resolver.h"

#include <algorithm>
#include <cmath>

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

class PacketResolver {
  public:
    PacketResolver(SqlConnection& db, const TableDef& table, const ChangePacket& packet,
                   const ResolvePolicy& policy)
        : m_db(db), m_table(table), m_packet(packet), m_policy(policy) {
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
    void bindFields() {
        for (size_t i = 0; i < m_packet.fields.size(); ++i) {
            const FieldDef& f = m_packet.fields[i];
            if (const ColumnDef* c = m_table.Column(f.name)) m_bound.push_back({i, c, f.flags});
        }
        for (const Bound& b : m_bound)
            if (b.flags & pfInKey) m_key.push_back(&b);
        if (m_key.empty()) {
            for (const std::string& k : m_table.key) {
                auto it = std::find_if(m_bound.begin(), m_bound.end(),
                                       [&](const Bound& b) { return b.column->name == k; });
                if (it == m_bound.end())
                    throw RpcError(code::kBadArguments, "O pacote de alterações de " +
                                                            m_table.name + " não traz o campo " +
                                                            k + " da chave.");
                m_key.push_back(&*it);
            }
        }
    }

    Variant value(const Bound& b, const PacketRow& row) const {
        return ToColumnValue(*b.column, row.at(b.field));
    }

    void checkRow(const RowValues& row) const {
        for (const ColumnDef& c : m_table.columns) {
            auto it = row.find(c.name);
            if (it == row.end()) continue;
            // Re-check stamped values too: they are columns like any other.
            ToColumnValue(c, it->second);
        }
        if (m_policy.checkBranch) {
            auto it = row.find("CDFILIAL");
            if (it != row.end()) m_policy.checkBranch(it->second.AsString());
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

    void insert(const Change& change) {
        RowValues row;
        for (const Bound& b : m_bound)
            if (b.flags & (pfInUpdate | pfInKey)) row[b.column->name] = value(b, change.newValues);
        if (m_policy.stampInsert) m_policy.stampInsert(row);
        requireKey(row);
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

    // Appends "key = old" conditions for the key columns; returns the key values.
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
        if (m_policy.checkBranch) {
            auto it = key.find("CDFILIAL");
            if (it != key.end()) m_policy.checkBranch(it->second.AsString());
        }
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

    bool update(const Change& change) {
        RowValues changed;
        std::vector<const Bound*> whereChanged;
        for (const Bound& b : m_bound) {
            const Variant oldV = value(b, change.oldValues);
            const Variant newV = value(b, change.newValues);
            if (oldV == newV) continue;
            if (b.flags & pfInUpdate) changed[b.column->name] = newV;
            if (b.flags & pfInWhere) whereChanged.push_back(&b);
        }
        if (changed.empty()) return false;
        if (m_policy.stampUpdate) m_policy.stampUpdate(changed);
        RowValues full;
        for (const Bound& b : m_bound)
            full[b.column->name] = value(b, change.newValues);
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
        std::string where;
        whereKey(change.oldValues, where, params);
        for (const Bound* b : whereChanged) {
            if (b->flags & pfInKey) continue;
            addCondition(b->column->name, value(*b, change.oldValues), where, params);
        }
        const SqlResult r = m_db.Exec("UPDATE " + m_table.name + " SET " + set + where, params);
        if (r.affected != 1) throw RpcError(code::kStaleRow, text::kStaleRow);
        return true;
    }

    void remove(const Change& change) {
        std::string where;
        SqlParams params;
        const RowValues key = whereKey(change.oldValues, where, params);
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
            if (column.type == ColumnType::String && n > static_cast<size_t>(column.size))
                throw RpcError(code::kTooLong, "O campo " + column.name + " aceita no máximo " +
                                                   std::to_string(column.size) +
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
