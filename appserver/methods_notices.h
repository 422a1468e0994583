// The handling of personal notices (ATIVPESSOAL) after they are written: the operator marks
// his own read, and a cancellation that did not go through withdraws the ones it left. The
// notices themselves are written and listed by the cancellation methods.
#pragma once

#include "appserver/method_registry.h"

namespace zel::appserver {

// SetAvisoLido, GetDelAtivPessoal.
void RegisterNoticeMethods(MethodRegistry& registry);

}  // namespace zel::appserver
