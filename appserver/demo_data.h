// Demo data: a believable office for trying the system and for the window tests. Fills only
// an empty database (no branch yet); running it twice changes nothing.
//
// Branch "0001" Matriz and "0002" Filial Sul; operator "000000000001" "Operador
// Demonstração" (both branches) and four more ("000000000002" only "0001"), all with password
// "demo"; five rooms in "0001" and one in "0002", each with its places and equipment; the
// default working hours (08:00 to 18:00, Monday to Friday); a process tree with the meeting-
// participation process (IDPROREUNIAO "S"); subjects, projects, work items; about thirty
// meetings in every status over the past and next two weeks, some with a room, agenda items,
// minutes and participant activities.
#pragma once

#include "appserver/storage.h"
#include "platform/date_time.h"

namespace zel::appserver {

// Returns false when the database already had data and nothing was added.
bool SeedDemoData(Database& db, TDateTime now, bool fastPasswordHashing);

}  // namespace zel::appserver
