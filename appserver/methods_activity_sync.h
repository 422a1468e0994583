// Activities that follow a meeting's changes without the user editing them: created for a
// new meeting, re-timed after a meeting edit, the meeting concluded once no activity is open,
// and participants carried over from another meeting with its agenda.
#pragma once

#include "appserver/method_registry.h"

namespace zel::appserver {

// GetCarregaAtividade, GetInsereAtiv, GetAlteraAtiv, GetUpdAtiv, GetAtividadesAux,
// SetParticipantesAuto, GetConcTarefa, GetUpdConcTarefa.
void RegisterActivitySyncMethods(MethodRegistry& registry);

}  // namespace zel::appserver
