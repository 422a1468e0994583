// Keeps what calendars were told of each meeting in step with the meeting, inside the
// transaction that changed it. Triggers on the meeting, its activities and its bookings mark
// the meetings a transaction touched (CALENDMARCA); before the transaction commits, each marked
// meeting is compared with what calendars last heard of it:
//   - its revision (the SEQUENCE of its calendar texts) rises when anything an invitation shows
//     changed, and the feeds showing it are told so (FeedStamps);
//   - with mail configured, each participant with an address gets a REQUEST with the new
//     revision, a participant removed or moved to another address a CANCEL naming him, and
//     everyone invited a CANCEL when the meeting is cancelled or deleted. The mail goes into
//     the outbox in the same transaction. Meetings already over get no mail; the responsible
//     is the organiser and gets none either.
// A change that alters nothing an invitation shows (a note, an activity's progress) sends
// nothing and leaves the revision as it was.
#pragma once

#include <string>

#include "appserver/mail_settings.h"
#include "appserver/storage.h"
#include "platform/date_time.h"

namespace zel::appserver {

// Reconciles every meeting marked and not being reconciled by another transaction, and
// consumes the marks. `mail` null or not configured: no mail is queued. Returns the number of
// messages queued.
int ReconcileCalendars(SqlConnection& db, TDateTime now, const MailSettings* mail);

// Reconciles one meeting, marked or not (a meeting last changed before calendars were kept).
int ReconcileMeetingCalendar(SqlConnection& db, const std::string& branch, const std::string& nr,
                             TDateTime now, const MailSettings* mail);

// True when some meeting is marked and waits for reconciliation.
bool CalendarMarksPending(SqlConnection& db);

}  // namespace zel::appserver
