// Rooms and their bookings (AGEATIVISALA): free rooms for a time window, room lookups, the
// booking of a meeting, booking change packets (never two overlapping active bookings of one
// room), booking sequences, and freeing a booking.
#pragma once

#include <optional>
#include <string>

#include "appserver/method_registry.h"
#include "appserver/storage.h"
#include "appserver/writer.h"

namespace zel::appserver {

// GetAgeAtiviSala, GetSalas, GetSalas2, GetPesqSala, getVdSala, getFindSala, SetSalas,
// GetSeqSalas, GetDelSala, GetDadosSalas, GetAgendaSalasDia (the rooms' day of the session's
// branch). The free-room lists and the rooms' day describe each room (places, tags, fit) and
// take an optional room request last (room_catalog.h).
void RegisterRoomMethods(MethodRegistry& registry);

// A fresh booking sequence of the branch's day (five digits), reserved inside the caller's
// transaction: never handed out twice, also under concurrent callers. With `to` the number is
// handed out to that operator, to send back with his new booking.
std::string NextBookingSequence(SqlConnection& db, const std::string& branch, TDateTime day,
                                const std::optional<Writer>& to = std::nullopt);

// True when an active booking of the room collides with [start, end) (HHMM texts) on that
// day; the bookings of `exceptMeeting` (a meeting being moved) do not count.
bool RoomTaken(SqlConnection& db, const std::string& branch, const std::string& room, TDateTime day,
               const std::string& start, const std::string& end,
               const std::string& exceptMeeting = "");

}  // namespace zel::appserver
