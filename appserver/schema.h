// The schema: table definitions (what the resolver and the packets need to know about each
// column) and the migrations that create and evolve it on both engines. Migrations run on
// start, in order, each in its own transaction, and are recorded in VERSAOESQUEMA.
#pragma once

#include <string>
#include <vector>

#include "appserver/storage.h"

namespace zel::appserver {

enum class ColumnType { String, Integer, Float, DateTime, Text };

struct ColumnDef {
    std::string name;
    ColumnType type = ColumnType::String;
    int size = 0;  // characters, for String
    bool notNull = false;
};

struct TableDef {
    std::string name;
    std::vector<ColumnDef> columns;
    std::vector<std::string> key;

    // The column of that name (case-insensitive), or nullptr.
    const ColumnDef* Column(const std::string& name) const;
};

// The tables as the current schema version has them.
const std::vector<TableDef>& Tables();
// Throws std::logic_error for an unknown table (a programming error).
const TableDef& Table(const std::string& name);

// Brings the database to the newest schema version. Several servers starting at once against
// one PostgreSQL database serialise on an advisory lock. Returns the version reached.
int Migrate(Database& db);
// Brings the database up to `target` at most (tests build a database as an older server left
// it); a newer database is refused as by Migrate.
int MigrateTo(Database& db, int target);
int LatestSchemaVersion();

}  // namespace zel::appserver
