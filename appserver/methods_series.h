// Recurring meetings. A series is planned from its first meeting, already saved the usual way:
// one call creates every later occurrence as a meeting of its own, with the first one's
// header, duration, organiser's activities and room where the room is free. The rule, and
// what became of each of its dates, are kept in SERIETAREFA and OCORSERIE.
#pragma once

#include <string>

#include "appserver/method_registry.h"
#include "appserver/storage.h"

namespace zel::appserver {

// SetSerieReuniao, GetSerieReuniao, SetSerieSeguintes, SetSerieReinclui.
void RegisterSeriesMethods(MethodRegistry& registry);

// Marks the date of a series held by the meeting as cancelled ("X"); nothing for a meeting of
// no series. Runs inside the caller's transaction (cancellation, deletion of a meeting).
void MarkOccurrenceCancelled(SqlConnection& db, const std::string& branch,
                             const std::string& meeting);

}  // namespace zel::appserver
