// Helpers shared by every method area: method declaration, packets from SELECTs and query
// rows, blank texts and the meeting a call names. Text routines (TrimAll, IsBlank,
// Utf8Prefix, ParsePtBrNumber) are the platform's, from platform/routines.h.
#pragma once

#include <string>
#include <vector>

#include <optional>

#include "appserver/method_registry.h"
#include "appserver/packet_builder.h"
#include "appserver/storage.h"
#include "appserver/writer.h"
#include "platform/packet.h"
#include "platform/routines.h"

namespace zel::appserver {

// Who writes: the session's operator, the call's server clock and the request's address.
// Every write path stamps its rows from here.
Writer WriterOf(const CallContext& ctx);

// The session's login branch, for calls that read by it rather than by a branch argument.
// Checked again against the database on every call: refused (forbidden) once the operator's
// access to the branch was revoked, or the branch closed, since he logged in.
std::string LoginBranch(CallContext& ctx);

// Changes one change packet may carry; the window sends one row per post.
inline constexpr size_t kMaxChangesPerPacket = 1000;
// The change packet of argument `i`; refused (too_long) when it carries more changes than
// kMaxChangesPerPacket, before any of them is looked at.
const ChangePacket& DeltaArg(const CallContext& ctx, size_t i);

// A nullable code column's value: null for a blank text, else the text as given.
Variant CodeOrNull(const std::string& text);
// True when the flag argument means "all" (its first non-blank character is "T").
bool AllFlag(const std::string& flag);
// A number argument that must be a whole number from 1 (a record number the server handed
// out); throws RpcError bad_arguments with `message` otherwise.
long long PositiveWholeNumber(double value, const std::string& message);

// An optional date-time argument: a date, days as a number, an ISO or pt-BR text, or an
// empty text / null for none (null Variant). Anything else is refused (bad_arguments) naming
// `what`.
Variant OptionalDate(const Variant& value, const char* what);

// A method declaration in one expression: registry.add(Method("GetX", {...}, GetX, Access::Read,
// /*branchParam=*/0)).
MethodDef Method(std::string name, std::vector<ParamSpec> params, MethodDef::Handler handler,
                 Access access = Access::Read, int branchParam = -1);

// A data packet of `fields` from query rows, as the call's result.
inline Variant RowsPacket(const std::vector<FieldDef>& fields, const std::vector<SqlRow>& rows) {
    return PacketResult(BuildDataPacket(fields, rows));
}

// Runs a SELECT whose columns are, in order, the packet's fields, and returns the packet as
// the call's result.
Variant QueryPacket(SqlConnection& db, const std::vector<FieldDef>& fields, const std::string& sql,
                    const SqlParams& params = {});

// " FOR UPDATE" inside a write transaction on PostgreSQL, "" otherwise (SQLite's writers take
// turns anyway): appended to a SELECT whose rows the caller checks and then writes, so a
// concurrent writer waits until this transaction ends and then sees what it wrote.
const char* LockForWrite(const SqlConnection& db);

// The stored status letter of the meeting (a TAREFA of origin "4"); nullopt when there is none.
// Every rule about a meeting reads it here. Inside a write transaction on PostgreSQL the
// meeting's row stays locked (FOR UPDATE) until the transaction ends, so two clients writing
// to one meeting take turns between the check and the write (SQLite writers queue anyway).
std::optional<std::string> MeetingStatus(SqlConnection& db, const std::string& branch,
                                         const std::string& nr);
// The status letter of the meeting, as MeetingStatus; throws RpcError not_found
// ("Reunião ... não cadastrada.") when there is none.
std::string RequireMeeting(SqlConnection& db, const std::string& branch, const std::string& nr);
// Throws RpcError conflict with `message` when the meeting is cancelled ("X") or concluded
// ("C"); returns its status otherwise.
std::string RequireOpenMeeting(SqlConnection& db, const std::string& branch, const std::string& nr,
                               const std::string& message);

// A field of a change packet, from the row's new values (insert, update) or old values
// (delete); "" when the packet has no such field or the value is null.
std::string ChangeText(const ChangePacket& packet, const Change& change, const std::string& field,
                       bool oldValues);

}  // namespace zel::appserver
