// Copying the agenda of an earlier meeting into the current one.
//
//   GetReuniao(branch, process, meeting)  candidate source meetings: the branch's other
//                                         meetings that have agenda items, newest first
//   GetImpAssunto(branch, meeting)        the agenda items of the source meeting
//   GetInsAssunto(&branch, &meeting, item, subject, included, operator, note, responsible,
//                 priority)               inserts one item into the destination meeting,
//                                         keeping its number and its own who/when; an item the
//                                         destination already has is refused (duplicate_key)
#pragma once

#include "appserver/method_registry.h"

namespace zel::appserver {

void RegisterImportMethods(MethodRegistry& registry);

}  // namespace zel::appserver
