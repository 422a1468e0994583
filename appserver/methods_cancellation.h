// Cancelling a meeting: its status check, its participants (one row each), the personal
// notices they receive (ATIVPESSOAL), and cancelling its activities and the meeting itself.
#pragma once

#include "appserver/method_registry.h"

namespace zel::appserver {

// GetTestaReuniao, GetAtivReuniao, GetPrxAtivPessoal, GetInsAtivPessoal, GetAtivPessoal,
// GetUpdCancelAtiv, GetUpdCancelTarefa.
void RegisterCancellationMethods(MethodRegistry& registry);

}  // namespace zel::appserver
