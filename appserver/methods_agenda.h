// Agenda items and their minutes.
//
//   GetItemTarefa(branch, meeting, &stPauta, &stTPauta)  the meeting's agenda items; with
//       stTPauta other than "T" only the items listed in stPauta (item numbers, or branch +
//       meeting + item number as the agenda pick list's CODIGO carries them)
//   GetDescItTare(branch, meeting, item)                  the item's minutes (0 or 1 row)
//   SetItemTarefa(delta) / SetDescItTare(delta)           apply the change packets
//   GetPrxItemTarefa(branch)                              a fresh item number, 10 digits
//
// Status rules, enforced here as well as in the window: items and minutes of a cancelled or
// concluded meeting are read-only; an existing item may be changed only while the meeting is
// pending. The who/when of an item (CDOPERADOR, DTINCLITTARE) is the session's operator and
// the server clock on every insert and change.
#pragma once

#include <vector>

#include "appserver/method_registry.h"
#include "platform/packet.h"

namespace zel::appserver {

void RegisterAgendaMethods(MethodRegistry& registry);

// The fields of an agenda-item packet, in the client's order.
const std::vector<FieldDef>& ItemTarefaFields();
// The fields of a minutes packet.
const std::vector<FieldDef>& DescItTareFields();

}  // namespace zel::appserver
