// The meetings' history (HISTREUNIAO, written by the triggers of history_triggers.cpp): read
// by the meeting window (GetHistorico) and by the administrators' audit command. Nothing here
// writes it; no method may.
#pragma once

#include <string>
#include <vector>

#include "appserver/method_registry.h"
#include "appserver/storage.h"
#include "platform/packet.h"

namespace zel::appserver {

// The fields of a history packet, in the order of HistoryRows' columns.
const std::vector<FieldDef>& HistoryFields();

// History records of a branch, newest first: of one meeting when `meeting` is not empty, and
// from `since` on (a date-time; null: all).
std::vector<SqlRow> HistoryRows(SqlConnection& db, const std::string& branch,
                                const std::string& meeting, const Variant& since);

// GetHistorico(CDFILIAL, NRTAREFA): the meeting's history, newest first.
// GetNomesHistorico(CDFILIAL, stOperadores, stSalas): IDTIPO ("O" operator, "S" room), CODIGO
// and NOME of the listed codes the caller may see.
void RegisterHistoryMethods(MethodRegistry& registry);

}  // namespace zel::appserver
