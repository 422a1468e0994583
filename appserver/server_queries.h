// Server queries: the named, read-only queries behind the base library's TServerQuery (pick
// lists of the filter dialog) and the minutes report. The client names a query and gives
// its parameters; the SQL text lives here only, and every parameter is bound.
//
//   OpenServerQuery(name, params) -> data packet
//     name    the query's name (case-insensitive)
//     params  a data packet with one row: one field per parameter, named after it
//             (e.g. fields P_CDFILIAL, P_NRTAREFA); a packet without fields or rows means
//             no parameters. A parameter the query does not declare, or an unknown name, is
//             refused (bad_arguments); a declared parameter left out counts as empty.
//
// Queries:
//   qryReuniao   NRTAREFA, DSREFETAREFA: the meetings of the branch (P_CDFILIAL, optional:
//                the session's branch), by number
//   qryResp      CDOPERADOR, NMOPERADOR: every operator, by code
//   qryPauta     CODIGO (branch + meeting + item number), NRSEQUITTARE, DSREFEITTARE: the
//                agenda items of branch P_CDFILIAL, of the meetings listed in P_NRTAREFA
//                (multi-select key list), or of every meeting when P_TNRTAREFA is "T"
//   qryAtaReuniao  the minutes report's header: one row for meeting P_NRTAREFA of branch
//                P_CDFILIAL with its names, room, responsible operator and branch name
//   qryAtaParticipante  the minutes report's participants: CDOPERADOR, NMOPERADOR and
//                IDOPERPAREUNIAO ("S" when any of the operator's activities in the meeting
//                records that they took part), one row per operator, by name
//   qryAtaPauta  the minutes report's body: the meeting's agenda items with their minutes
//                (TXDESCITTARE empty when none was written), by item number
// Branch parameters are checked against the operators' branches like any method argument.
#pragma once

#include <string>
#include <vector>

#include "appserver/method_registry.h"

namespace zel::appserver {

void RegisterServerQueryMethods(MethodRegistry& registry);

// The names of the queries OpenServerQuery knows, sorted.
std::vector<std::string> ServerQueryNames();

}  // namespace zel::appserver
