// Meetings as calendar programs take them: what an invitation file names (times on the
// branch's clock and in UTC, room, organiser, attendees with their e-mail addresses and
// answers) and the revision of that file; the operator's calendar feeds; the answers to
// invitations.
#pragma once

#include "appserver/mail_settings.h"
#include "appserver/method_registry.h"

namespace zel::appserver {

// GetCalendReuniao, the feed methods (methods_calendar_feeds.h) and the invitation methods
// (methods_invitations.h). `mail`: the server's mail settings (null: none), for the meetings
// brought up to date on export.
void RegisterCalendarMethods(MethodRegistry& registry, const MailSettings* mail);

}  // namespace zel::appserver
