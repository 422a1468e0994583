// Answers to meeting invitations. A participant answers from his inbox (accept, maybe,
// decline); the answer is kept per activity of his in the meeting, the organiser finds a notice
// of it in his own inbox, and the feeds show it as the attendee's PARTSTAT.
//
// GetConvites(): the session operator's invitations: meetings still to come in which he has an
//   activity and that someone else organises, with his answer.
// SetRespConvite(CDFILIAL, NRTAREFA, IDRESPOSTA): answers one ("A" accept, "T" maybe, "R"
//   decline). Answering the same again changes nothing and leaves no second notice.
// GetRespConvite(CDFILIAL, NRTAREFA): every activity of a meeting with its participant's
//   answer (none yet: null), for the organiser.
#pragma once

#include "appserver/method_registry.h"

namespace zel::appserver {

void RegisterInvitationMethods(MethodRegistry& registry);

}  // namespace zel::appserver
