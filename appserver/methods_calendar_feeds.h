// The operator's calendar feeds: listing, creating and revoking them. Each operator sees and
// revokes only his own; a token is shown once, by the call that creates it, and kept only as
// its digest.
#pragma once

#include "appserver/method_registry.h"

namespace zel::appserver {

// Most feeds one operator may keep.
inline constexpr int kMaxFeedsPerOperator = 50;

// GetCalendarios, SetCalendario, DelCalendario.
void RegisterCalendarFeedMethods(MethodRegistry& registry);

}  // namespace zel::appserver
