// Rooms and their bookings (AGEATIVISALA): free rooms for a time window, room lookups, the
// booking of a meeting, booking change packets (never two overlapping active bookings of one
// room), booking sequences, and freeing a booking.
#pragma once

#include "appserver/method_registry.h"

namespace zel::appserver {

// GetAgeAtiviSala, GetSalas, GetSalas2, GetPesqSala, getVdSala, getFindSala, SetSalas,
// GetSeqSalas, GetDelSala, GetDadosSalas, GetAgendaSalasDia (the rooms' day of the session's
// branch).
void RegisterRoomMethods(MethodRegistry& registry);

}  // namespace zel::appserver
