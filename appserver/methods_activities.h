// A meeting's activities (PLANATIVTARE) as the activity page reads and writes them: the list,
// change packets, fresh plan-activity numbers, the code checks of the activity grid, and the
// checks and removal that go with saving or deleting a meeting.
#pragma once

#include "appserver/method_registry.h"

namespace zel::appserver {

// GetAtividades, SetAtividades, GetPrxPlanAtivTare, GetValProc, GetValOper, GetValPesqItTrab,
// GetAuxAtiv, GetDelAtiv.
void RegisterActivityMethods(MethodRegistry& registry);

}  // namespace zel::appserver
