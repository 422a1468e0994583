// Counters: the numbers the server hands out (meetings, agenda items, plan activities, room
// bookings, personal notices). Each call reserves a fresh number, unique under concurrent
// callers on both engines: the counter row is incremented by one upsert inside the caller's
// transaction, which holds its row lock until commit. A number handed out and then not used
// is simply skipped.
//
// A number a client obtains to write a row with (GetPrxTarefa before SetControle, ...) is
// also recorded as handed out to the client's operator (NUMRESERVA). The write claims it:
// a number that was not handed out, was handed out to someone else or was used already is
// refused, so no client value can push a counter to the end of its range.
#pragma once

#include <cstdint>
#include <string>

#include "appserver/storage.h"
#include "appserver/writer.h"

namespace zel::appserver {

// Counter names and what their key is. Widths are those of the fields that carry the numbers.
namespace counter {
inline constexpr const char* kMeeting = "TAREFA";              // key: branch; width 10
inline constexpr const char* kAgendaItem = "ITEMTAREFA";       // key: branch; width 10
inline constexpr const char* kPlanActivity = "PLANATIVTARE";   // key: branch/meeting; width 5
inline constexpr const char* kRoomBooking = "AGEATIVISALA";    // key: branch/day; width 5
inline constexpr const char* kPersonalNotice = "ATIVPESSOAL";  // key: operator; integer
}  // namespace counter

// The key of a branch's room-booking sequences of a day ("0001/2026-12-07"): each branch
// counts its own, so no branch's bookings can use up another's numbers.
std::string BookingCounterKey(const std::string& branch, TDateTime day);

// The next value of counter `name` for `key`, never below `atLeast` (so rows written without
// the counter, e.g. imported, are not handed out again).
int64_t NextCounterValue(SqlConnection& db, const std::string& name, const std::string& key,
                         int64_t atLeast = 1);

// NextCounterValue, recorded as handed out to `to.op` until he claims it. A day-old number
// nobody claimed is forgotten, and of one key an operator holds at most the last few hundred.
int64_t HandOutNumber(SqlConnection& db, const std::string& name, const std::string& key,
                      int64_t atLeast, const Writer& to);

// Claims a number handed out by HandOutNumber: true (and the number can never be claimed
// again) when `value` of counter `name` / `key` was handed out to `by.op` and not claimed yet.
bool ClaimNumber(SqlConnection& db, const std::string& name, const std::string& key, int64_t value,
                 const Writer& by);

// Claims the number a client wrote as `text`: exactly `width` digits, handed out to `by.op`.
// Throws RpcError bad_arguments naming `what` ("as reuniões da filial 0001") otherwise.
void RequireHandedOut(SqlConnection& db, const std::string& name, const std::string& key,
                      const std::string& text, int width, const Writer& by,
                      const std::string& what);
// The same for a number that came as a value.
void RequireHandedOut(SqlConnection& db, const std::string& name, const std::string& key,
                      int64_t value, const Writer& by, const std::string& what);

// `value` as decimal digits zero-filled on the left to `width` ("0000000042").
std::string ZeroFill(int64_t value, int width);

// The largest all-digit value of a text column among the rows that match, plus one; 1 when
// none. `sql` selects MAX(column) with the given parameters.
int64_t NextAfterMax(SqlConnection& db, const std::string& sql, const SqlParams& params);

}  // namespace zel::appserver
