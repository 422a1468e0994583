// The operator's own handling of his personal notices (ATIVPESSOAL): marking them read. The
// notices themselves are written and listed by the cancellation methods.
#pragma once

#include "appserver/method_registry.h"

namespace zel::appserver {

// SetAvisoLido.
void RegisterNoticeMethods(MethodRegistry& registry);

}  // namespace zel::appserver
