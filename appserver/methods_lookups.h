// Lookups of codes and pick lists: responsible operators, subjects, processes, projects,
// participants, operators and work items. Each returns a data packet with the fields the
// client's lookup dataset declares, in that order. A code that matches nothing gives an empty
// packet, never an error.
//
//   GetVdResp(operator, branch)  the operator, when he works in the branch
//   GetResp(branch)              active operators of the branch
//   GetAssunto(code)             that subject; "" lists all
//   GetProcesso(tree code)       that process; "" lists the active ones
//   GetProjeto(branch, code)     that project; "" lists all
//   GetPesqProc(tree code)       processes; a trailing "%" makes it a prefix match
//   GetPesqPart(branch)          active operators of the branch (name first)
//   GetPesqItemTrab(levels)      work items down to that many levels of the code picture
//   GetPesqOper()                every active operator
#pragma once

#include "appserver/method_registry.h"

namespace zel::appserver {

void RegisterLookupMethods(MethodRegistry& registry);

}  // namespace zel::appserver
