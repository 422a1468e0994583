// A meeting as calendar programs take it: what an invitation file names (times in UTC, room,
// organiser, attendees with their e-mail addresses) and the revision of that file.
#pragma once

#include "appserver/method_registry.h"

namespace zel::appserver {

// GetCalendReuniao.
void RegisterCalendarMethods(MethodRegistry& registry);

}  // namespace zel::appserver
