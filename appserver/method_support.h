// Helpers shared by the lookup, agenda, registration, import and server-query methods: method
// declaration, packets from SELECTs, blank texts and the meeting a call names.
#pragma once

#include <string>
#include <vector>

#include "appserver/method_registry.h"
#include "appserver/storage.h"
#include "platform/packet.h"
#include "platform/routines.h"

namespace zel::appserver {

// The text without leading and trailing blanks.
std::string Trimmed(const std::string& text);
// A nullable code column's value: null for a blank text, else the text as given.
Variant CodeOrNull(const std::string& text);
// True when the flag argument means "all" (its first non-blank character is "T").
bool AllFlag(const std::string& flag);

// A method declaration in one expression.
MethodDef Method(std::string name, std::vector<ParamSpec> params, MethodDef::Handler handler,
                 Access access = Access::Read, int branchParam = -1);

// Runs a SELECT whose columns are, in order, the packet's fields, and returns the packet as
// the call's result.
Variant QueryPacket(SqlConnection& db, const std::vector<FieldDef>& fields, const std::string& sql,
                    const SqlParams& params = {});

// The status letter of the meeting (a TAREFA of origin "4"); throws RpcError not_found
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
