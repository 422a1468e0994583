// Resolver: applies a change packet (a client dataset's Delta) to one table, inside the
// caller's transaction.
//
// Rules:
// - Only fields that are columns of the table are written; every other field (names, texts
//   computed for display) only travels.
// - The row is located by the table's primary key, whatever flags the packet gives its
//   fields; every key column must be a field of the packet, and an update may not change one.
//   An update also compares the original values of every changed column flagged pfInWhere,
//   a delete those of every column flagged pfInWhere; a row changed or removed by someone
//   else since it was read is not touched and the whole packet is refused with stale_row.
// - The branch of the row touched (the key's original value on update and delete, its new
//   value on insert) goes through checkBranch before anything is written.
// - Guarded columns (statuses, origin) change only through their own methods; server-owned
//   columns (who wrote the row, when) take the stamps' values, never the client's.
// - Texts longer than their column are refused (too_long), never cut; a column of unlimited
//   text (minutes) holds at most kMaxTextCharacters.
// - Empty texts in nullable text columns are stored as NULL, so "" and null locate alike.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "appserver/schema.h"
#include "appserver/storage.h"
#include "platform/packet.h"

namespace zel::appserver {

// Characters a column of unlimited text accepts (rich-text minutes of one agenda item).
inline constexpr size_t kMaxTextCharacters = 1024 * 1024;

// Column values of one row, by upper-case column name.
using RowValues = std::map<std::string, Variant>;

struct ResolvePolicy {
    // Values the server sets whatever the client sent: on insert, and on an update that
    // changes anything (stamps of who and when).
    std::function<void(RowValues&)> stampInsert;
    std::function<void(RowValues&)> stampUpdate;
    // Called with the key of a row before it is deleted (to remove its dependants).
    std::function<void(SqlConnection&, const RowValues& key)> beforeDelete;
    // Called with the branch of every row touched; throws to refuse it (RpcError forbidden).
    std::function<void(const std::string& branch)> checkBranch;
    // Checks run on the values of an inserted row, or of an updated row as it will be stored
    // (the stored row with the packet's changes over it), after stamping.
    std::function<void(const RowValues& row)> validate;
    // Checks run on the row as stored before an update or a delete touches it (locked on
    // PostgreSQL until the transaction ends); `changed` holds the columns an update writes
    // (empty for a delete). Throws to refuse.
    std::function<void(const RowValues& stored, const RowValues& changed)> checkStored;
    // Columns a packet may not change: an update that changes one is refused (forbidden); on
    // insert stampInsert sets them, whatever the packet says.
    std::vector<std::string> guarded;
    // Columns only the server writes: the client's values are dropped before stamping.
    std::vector<std::string> serverOwned;
};

struct ResolveCounts {
    int inserted = 0, updated = 0, deleted = 0;
};

// A table with a CDFILIAL column needs policy.checkBranch (std::logic_error otherwise).
// Throws RpcError (stale_row, too_long, bad_arguments, forbidden) or DbError; the caller's
// transaction then rolls back, so no part of the packet stays applied.
ResolveCounts ApplyChangePacket(SqlConnection& db, const TableDef& table,
                                const ChangePacket& packet, const ResolvePolicy& policy = {});

// A protocol value in the form a column stores (checks kind and size). Throws RpcError.
Variant ToColumnValue(const ColumnDef& column, const Variant& value);

}  // namespace zel::appserver
