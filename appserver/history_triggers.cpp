#include "appserver/history_triggers.h"

namespace zel::appserver {

namespace {

std::string Join(const std::vector<std::string>& items, const std::string& separator) {
    std::string out;
    for (const std::string& item : items)
        out += (out.empty() ? "" : separator) + item;
    return out;
}

std::string Lower(std::string s) {
    for (char& ch : s)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return s;
}

bool Contains(const std::vector<std::string>& list, const std::string& name) {
    for (const std::string& item : list)
        if (item == name) return true;
    return false;
}

std::vector<std::string> SqliteColumns(SqlConnection& c, const std::string& table) {
    std::vector<std::string> columns;
    for (const SqlRow& row : c.Exec("SELECT name FROM pragma_table_info('" + table + "')").rows)
        columns.push_back(row[0].AsString());
    return columns;
}

// One SQLite trigger for one operation: one expression per column yields ',[field, old, new]'
// when the column changed and '' when not, so the changes are one string concatenation (no
// subquery per column, no aggregate); the record is written only when a column changed.
std::string SqliteTrigger(const AuditedTable& t, const std::vector<std::string>& columns,
                          const std::string& op) {
    const bool ins = op == "I", del = op == "D";
    const std::string row = del ? "OLD" : "NEW";
    const auto val = [&](const std::string& side, const std::string& col) {
        return (ins && side == "OLD") || (del && side == "NEW") ? std::string("NULL")
                                                                : side + "." + col;
    };
    std::vector<std::string> parts;
    for (const std::string& col : columns) {
        if (col == "CDFILIAL" || col == "NRTAREFA") continue;
        if (!t.keyInChanges && Contains(t.key, col)) continue;
        const std::string o = val("OLD", col), n = val("NEW", col);
        const std::string entry =
            Contains(t.lengthOnly, col)
                ? "json_array('" + col + "', length(" + o + "), length(" + n + "), 'len')"
                : "json_array('" + col + "', " + o + ", " + n + ")";
        parts.push_back("CASE WHEN " + o + " IS NOT " + n + " THEN ',' || " + entry +
                        " ELSE '' END");
    }
    std::vector<std::string> key;
    for (const std::string& k : t.key)
        key.push_back("COALESCE(" + row + "." + k + ", '')");
    const std::string nr = ins   ? "NEW.NRTAREFA"
                           : del ? "OLD.NRTAREFA"
                                 : "COALESCE(NEW.NRTAREFA, OLD.NRTAREFA)";
    const std::string name = std::string("HIST_") + t.table + "_" + op;
    const std::string event = ins ? "INSERT" : del ? "DELETE" : "UPDATE";
    return "DROP TRIGGER IF EXISTS " + name + ";\nCREATE TRIGGER " + name + " AFTER " + event +
           " ON " + t.table + " WHEN COALESCE(" + nr +
           ", '') <> ''\nBEGIN\n"
           "INSERT INTO HISTREUNIAO (CDFILIAL, NRTAREFA, DTHRHISTORICO, CDOPERADOR, DSENDERECO, "
           "NMMETODO, IDTIPOHIST, IDOPERACAO, DSCHAVE, DSALTERACAO)\nSELECT " +
           row + ".CDFILIAL, " + nr +
           ", COALESCE(zel_stamp('when'), datetime('now', 'localtime')), zel_stamp('op'), "
           "zel_stamp('address'), zel_stamp('method'), '" +
           t.kind + "', '" + op + "', " + (key.empty() ? "NULL" : Join(key, " || '/' || ")) +
           ", '[' || substr(c, 2) || ']' FROM (SELECT " + Join(parts, "\n || ") +
           " AS c) WHERE c <> '';\nEND;\n";
}

}  // namespace

const std::vector<AuditedTable>& AuditedTables() {
    static const std::vector<AuditedTable> tables = {
        {"TAREFA", "meeting", {}, {}},
        {"AGEATIVISALA", "room", {"DTATIAGESALA", "NRSEQAGESALA"}, {}, true},
        {"PLANATIVTARE", "participants", {"NRPLATIVTARE"}, {}},
        {"ITEMTAREFA", "agenda", {"NRSEQUITTARE"}, {}},
        {"DESCITEMTARE", "minutes", {"NRSEQUITTARE"}, {"TXDESCITTARE"}},
    };
    return tables;
}

void InstallHistoryTriggers(SqlConnection& c) {
    const bool pg = c.dialect() == Dialect::PostgreSQL;
    for (const AuditedTable& t : AuditedTables()) {
        if (pg) {
            std::vector<std::string> key, lengthOnly;
            for (const std::string& k : t.key)
                key.push_back(Lower(k));
            for (const std::string& l : t.lengthOnly)
                lengthOnly.push_back(Lower(l));
            const std::string name = std::string("HIST_") + t.table;
            c.ExecScript("DROP TRIGGER IF EXISTS " + name + " ON " + t.table +
                         ";\nCREATE TRIGGER " + name + " AFTER INSERT OR UPDATE OR DELETE ON " +
                         t.table + " FOR EACH ROW EXECUTE FUNCTION zel_historico('" + t.kind +
                         "', '" + Join(key, ",") + "', '" + Join(lengthOnly, ",") + "', '" +
                         (t.keyInChanges ? "S" : "N") + "')");
            continue;
        }
        const std::vector<std::string> columns = SqliteColumns(c, t.table);
        std::string script;
        for (const char* op : {"I", "U", "D"})
            script += SqliteTrigger(t, columns, op);
        c.ExecScript(script);
    }
}

}  // namespace zel::appserver
