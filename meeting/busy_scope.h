// The busy and hourglass scopes live in the base library (base/busy_scope.h); this header
// keeps the meeting unit's older spelling reuniao::BusyScope working.
#pragma once

#include "base/busy_scope.h"

namespace reuniao {
using ::BusyScope;
using ::HourglassCursor;
}  // namespace reuniao
