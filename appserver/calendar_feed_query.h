// The meetings of one feed, read with one set-based query: a row per meeting and person (the
// responsible's, and each participant's with his answer), turned into the meetings the feed's
// text is written from, ordered by start.
#pragma once

#include <string>
#include <vector>

#include "appserver/storage.h"
#include "calendar/meeting_icalendar.h"

namespace zel::appserver {

struct FeedSubject {
    std::string kind;                   // "O" an operator's meetings, "S" a room's, "R" a series'
    std::string op;                     // "O": the operator
    std::vector<std::string> branches;  // "O": the branches he may use
    std::string branch, room, series;   // "S", "R"
};

// The meetings starting in [from, to) on their branch's clock; cancelled ones only when they
// were cancelled at `cancelledSince` or later (or their cancellation time is not known).
// `now` stamps meetings that never had a calendar revision.
std::vector<CalendarMeeting> ReadFeedMeetings(SqlConnection& db, const FeedSubject& subject,
                                              TDateTime from, TDateTime to,
                                              TDateTime cancelledSince, TDateTime now);

}  // namespace zel::appserver
