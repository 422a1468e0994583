// Calendar feeds: GET /calendar/TOKEN.ics answers a published calendar that calendar programs
// subscribe to, without a session. The token is the only key: it is random, stored as its
// digest, and shows what its owner may see today (an operator disabled or no longer allowed
// into the branch gets 404, as does a revoked token, at once).
//
// Kinds of feed: an operator's meetings (responsible or participant, in the branches he may
// use), a room's bookings, a series' meetings; each from 30 days back to a year ahead, a
// cancelled meeting staying 30 days with STATUS:CANCELLED. The answer carries an ETag made of
// the feed's change counter (FeedStamps) and the day, so a client's If-None-Match is answered
// 304 after one lookup, without reading a meeting; a changed feed is read with one query.
#pragma once

#include <string>

#include "appserver/mail_settings.h"
#include "appserver/storage.h"
#include "platform/date_time.h"

namespace zel::appserver {

struct FeedAnswer {
    int status = 404;          // 200, 304, 404
    std::string etag;          // with its quotes
    std::string lastModified;  // HTTP date
    std::string body;          // the calendar (200) or a short text (404)
};

// Days a feed shows before today, and after.
inline constexpr int kFeedDaysBack = 30;
inline constexpr int kFeedDaysAhead = 366;
// Days a cancelled meeting stays in feeds after its cancellation.
inline constexpr int kFeedCancelledDays = 30;

// The answer to a feed request. `ifNoneMatch` is the request's header ("" when none); `now`
// the server clock. Meetings changed outside the server's calls are reconciled first (with
// `mail`, as a call would). Throws DbError when the database fails.
FeedAnswer AnswerFeed(Database& db, const std::string& token, const std::string& ifNoneMatch,
                      TDateTime now, const MailSettings* mail);

// "Mon, 07 Dec 2026 14:30:00 GMT"
std::string HttpDate(TDateTime utc);

}  // namespace zel::appserver
