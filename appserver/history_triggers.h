// The meetings' history is written by triggers on the audited tables, so every write of any
// method (change packets, a method's own SQL, series of meetings) leaves its record in the
// same transaction, stamped from the connection's WriteStamp (storage.h).
#pragma once

#include <string>
#include <vector>

#include "appserver/storage.h"

namespace zel::appserver {

// An audited table: the kind its records show under, its key columns beyond the meeting
// (CDFILIAL, NRTAREFA; a record's DSCHAVE), the long-text columns recorded by length only, and
// whether the key columns are also listed among the changed fields (a booking's day is news;
// an item's number is not).
struct AuditedTable {
    const char* table;
    const char* kind;
    std::vector<std::string> key;
    std::vector<std::string> lengthOnly;
    bool keyInChanges = false;
};

const std::vector<AuditedTable>& AuditedTables();

// Creates, or creates again, the history triggers on every audited table. On SQLite they are
// built from the table's columns as they are now, so a migration that adds a column to an
// audited table runs this again.
void InstallHistoryTriggers(SqlConnection& c);

}  // namespace zel::appserver
