#include "appserver/schema.h"

#include <functional>

#include "appserver/history_triggers.h"

#include "appserver/schema_v1.sql.h"
#include "appserver/schema_v2.sql.h"
#include "appserver/schema_v5.sql.h"
#include "appserver/schema_v6_perimeter.sql.h"
#include "appserver/schema_v6_rules.sql.h"
#include "appserver/schema_v7_calendar.sql.h"
#include "appserver/schema_v8_rooms.sql.h"
#include "appserver/schema_v9_history.sql.h"
#include "appserver/sql_value.h"

namespace zel::appserver {

namespace {

std::string ReplaceAll(std::string s, const std::string& from, const std::string& to) {
    for (size_t pos = 0; (pos = s.find(from, pos)) != std::string::npos; pos += to.size())
        s.replace(pos, from.size(), to);
    return s;
}

std::string ForDialect(const std::string& script, Dialect d) {
    const bool pg = d == Dialect::PostgreSQL;
    std::string s = ReplaceAll(script, "{DT}", pg ? "TIMESTAMP(0)" : "TEXT");
    s = ReplaceAll(s, "{REAL}", pg ? "DOUBLE PRECISION" : "REAL");
    s = ReplaceAll(s, "{BIGINT}", pg ? "BIGINT" : "INTEGER");
    return ReplaceAll(s, "{TEXT}", "TEXT");
}

// The version that brought the meetings' history; later migrations may change audited tables.
constexpr int kHistoryVersion = 9;

struct Migration {
    int version;
    const char* description;
    std::function<void(SqlConnection&)> apply;
};

const std::vector<Migration>& Migrations() {
    static const std::vector<Migration> migrations = {
        {1, "tabelas, chaves e indices",
         [](SqlConnection& c) {
             c.ExecScript(ForDialect(kSchemaV1, c.dialect()));
             c.ExecScript(c.dialect() == Dialect::PostgreSQL ? kRoomOverlapPostgres
                                                             : kRoomOverlapSqlite);
             // Code pictures of the tree codes (process: kind 13, work item: kind 15).
             c.Exec("INSERT INTO PARAMETRO (NMPARAMETRO, VLPARAMETRO) VALUES (?, ?)",
                    {"MASCPROCESSO", "99.99.99.99;0; "});
             c.Exec("INSERT INTO PARAMETRO (NMPARAMETRO, VLPARAMETRO) VALUES (?, ?)",
                    {"MASCITTRAB", "99.99.99;0; "});
         }},
        {2, "e-mail dos operadores e revisoes de calendario das reunioes",
         [](SqlConnection& c) { c.ExecScript(ForDialect(kSchemaV2Calendar, c.dialect())); }},
        // When the operator read each personal notice (null: not read yet). Kept apart from
        // IDLIDO, whose letters other programs of the suite write and read as they see fit.
        {3, "leitura dos avisos pessoais",
         [](SqlConnection& c) {
             c.ExecScript(
                 ForDialect("ALTER TABLE ATIVPESSOAL ADD COLUMN DTHRLEITURA {DT}", c.dialect()));
         }},
        // Who left each personal notice, so only he may withdraw it again (null: left before
        // the column existed, never withdrawn).
        {4, "autor dos avisos pessoais",
         [](SqlConnection& c) {
             c.Exec("ALTER TABLE ATIVPESSOAL ADD COLUMN CDOPERINCL VARCHAR(12)");
         }},
        {5, "series de reunioes",
         [](SqlConnection& c) { c.ExecScript(ForDialect(kSchemaV5Series, c.dialect())); }},
        {6, "regras do servidor: numeros reservados e falhas de entrada",
         [](SqlConnection& c) {
             c.ExecScript(ForDialect(kSchemaV6Rules, c.dialect()));
             c.ExecScript(ForDialect(kSchemaV6Perimeter, c.dialect()));
         }},
        {7, "calendarios publicados, convites por e-mail e respostas",
         [](SqlConnection& c) {
             const bool pg = c.dialect() == Dialect::PostgreSQL;
             c.ExecScript(
                 ForDialect(ReplaceAll(kSchemaV7Calendar, "{IDENTITY}",
                                       pg ? "BIGSERIAL PRIMARY KEY" : "INTEGER PRIMARY KEY"),
                            c.dialect()));
             c.ExecScript(pg ? kCalendarMarksPostgres : kCalendarMarksSqlite);
         }},
        {8, "capacidade e equipamentos das salas, expediente das filiais",
         [](SqlConnection& c) { c.ExecScript(ForDialect(kSchemaV8Rooms, c.dialect())); }},
        {kHistoryVersion, "historico das reunioes e motivo do cancelamento",
         [](SqlConnection& c) {
             const bool pg = c.dialect() == Dialect::PostgreSQL;
             c.ExecScript(
                 ForDialect(ReplaceAll(kSchemaV9History, "{IDENTITY}",
                                       pg ? "BIGSERIAL PRIMARY KEY" : "INTEGER PRIMARY KEY"),
                            c.dialect()));
             c.ExecScript(pg ? kHistoryGuardPostgres : kHistoryGuardSqlite);
             if (pg) c.ExecScript(kHistoryFunctionPostgres);
             InstallHistoryTriggers(c);
         }},
    };
    return migrations;
}

int CurrentVersion(SqlConnection& c) {
    const SqlResult r = c.Exec("SELECT MAX(VERSAO) FROM VERSAOESQUEMA");
    return r.rows.empty() || r.rows[0][0].IsNull() ? 0 : static_cast<int>(r.rows[0][0].AsInteger());
}

}  // namespace

int LatestSchemaVersion() {
    return Migrations().back().version;
}

int Migrate(Database& db) {
    return MigrateTo(db, LatestSchemaVersion());
}

int MigrateTo(Database& db, int target) {
    return db.Transact(true, [target](SqlConnection& c) {
        if (c.dialect() == Dialect::PostgreSQL) {
            // Several servers may start at once against one database.
            c.Exec("SELECT pg_advisory_xact_lock(7400400)");
        }
        c.ExecScript(
            "CREATE TABLE IF NOT EXISTS VERSAOESQUEMA (VERSAO INTEGER NOT NULL PRIMARY KEY, "
            "DTAPLICACAO VARCHAR(19) NOT NULL, DSMIGRACAO VARCHAR(100) NOT NULL)");
        int version = CurrentVersion(c);
        const int before = version;
        if (version > LatestSchemaVersion())
            throw DbError(DbError::Kind::Other, "the database has schema version " +
                                                    std::to_string(version) +
                                                    ", newer than this server knows (" +
                                                    std::to_string(LatestSchemaVersion()) + ")");
        for (const Migration& m : Migrations()) {
            if (m.version <= version || m.version > target) continue;
            m.apply(c);
            c.Exec("INSERT INTO VERSAOESQUEMA (VERSAO, DTAPLICACAO, DSMIGRACAO) VALUES (?, ?, ?)",
                   {m.version, SqlDateTimeText(Now()), m.description});
            version = m.version;
        }
        // The SQLite history triggers list the audited tables' columns: build them again
        // after a later migration, which may have added some.
        if (before >= kHistoryVersion && version > before) InstallHistoryTriggers(c);
        return version;
    });
}

}  // namespace zel::appserver
