// Counters: the numbers the server hands out (meetings, agenda items, plan activities, room
// bookings, personal notices). Each call reserves a fresh number, unique under concurrent
// callers on both engines: the counter row is incremented by one upsert inside the caller's
// transaction, which holds its row lock until commit. A number handed out and then not used
// is simply skipped.
#pragma once

#include <cstdint>
#include <string>

#include "appserver/storage.h"

namespace zel::appserver {

// Counter names and what their key is. Widths are those of the fields that carry the numbers.
namespace counter {
inline constexpr const char* kMeeting = "TAREFA";              // key: branch; width 10
inline constexpr const char* kAgendaItem = "ITEMTAREFA";       // key: branch; width 10
inline constexpr const char* kPlanActivity = "PLANATIVTARE";   // key: branch/meeting; width 5
inline constexpr const char* kRoomBooking = "AGEATIVISALA";    // key: day YYYY-MM-DD; width 5
inline constexpr const char* kPersonalNotice = "ATIVPESSOAL";  // key: operator; integer
}  // namespace counter

// The next value of counter `name` for `key`, never below `atLeast` (so rows written without
// the counter, e.g. imported, are not handed out again).
int64_t NextCounterValue(SqlConnection& db, const std::string& name, const std::string& key,
                         int64_t atLeast = 1);

// `value` as decimal digits zero-filled on the left to `width` ("0000000042").
std::string ZeroFill(int64_t value, int width);

// The largest all-digit value of a text column among the rows that match, plus one; 1 when
// none. `sql` selects MAX(column) with the given parameters.
int64_t NextAfterMax(SqlConnection& db, const std::string& sql, const SqlParams& params);

}  // namespace zel::appserver
