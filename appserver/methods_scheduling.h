// Finding a time for a meeting: the next slots in which every participant and a fitting room
// of the branch are free, the free/busy of one day for the participants and the suggested
// rooms, and the branch's working hours the slots keep to.
#pragma once

#include "appserver/method_registry.h"

namespace zel::appserver {

// GetSugereHorario, GetLivreOcupado, GetExpedienteFilial.
void RegisterSchedulingMethods(MethodRegistry& registry);

}  // namespace zel::appserver
