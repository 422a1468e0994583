#include "appserver/calendar_feed.h"

#include <cstdio>
#include <optional>

#include "appserver/calendar_feed_query.h"
#include "appserver/calendar_reconciler.h"
#include "appserver/calendar_state.h"
#include "appserver/http_encoding.h"
#include "appserver/password_hash.h"
#include "appserver/sql_value.h"
#include "calendar/invitation_mail.h"
#include "calendar/meeting_icalendar.h"
#include "platform/routines.h"

namespace zel::appserver {

namespace {

// What a token opens, as it stands now.
struct FeedRecord {
    long long id = 0;
    FeedSubject subject;
    std::string ownerName, roomName;
    long long version = 0;
    TDateTime changed = 0;  // server clock
};

std::string Str(const Variant& v) {
    return v.IsNull() ? std::string() : TrimAll(v.AsString());
}

TDateTime Moment(const Variant& v) {
    return v.IsNull() ? 0 : ParseSqlDateTime(v.AsString());
}

bool WellFormedToken(const std::string& token) {
    if (token.size() != 64) return false;
    for (const char c : token)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

// The feed of the token, when its owner is active and may still see what it shows.
std::optional<FeedRecord> FindFeed(SqlConnection& db, const std::string& token) {
    const SqlResult r = db.Exec(
        "SELECT C.NRCALEND, C.IDTIPO, C.CDFILIAL, C.CDSALA, C.NRSERIETARE, C.CDOPERADOR, "
        "O.NMOPERADOR, V.NRVERSAO, V.DTALTERACAO, C.DTCRIACAO, S.NMSALA, OFI.CDFILIAL "
        "FROM CALENDFEED C JOIN OPERADOR O ON O.CDOPERADOR = C.CDOPERADOR "
        "JOIN OPERFILIAL OFI ON OFI.CDOPERADOR = C.CDOPERADOR "
        "LEFT JOIN CALENDVERSAO V ON V.DSCHAVE = C.DSCHAVE "
        "LEFT JOIN SALA S ON S.CDFILIAL = C.CDFILIAL AND S.CDSALA = C.CDSALA "
        "WHERE C.DSTOKENHASH = ? AND O.IDATIVO = 'S' ORDER BY OFI.CDFILIAL",
        {TokenDigest(token)});
    if (r.rows.empty()) return std::nullopt;
    const SqlRow& head = r.rows[0];
    FeedRecord f;
    f.id = head[0].AsInteger();
    f.subject.kind = Str(head[1]);
    f.subject.branch = Str(head[2]);
    f.subject.room = Str(head[3]);
    f.subject.series = Str(head[4]);
    f.subject.op = Str(head[5]);
    f.ownerName = Str(head[6]);
    f.version = head[7].IsNull() ? 0 : head[7].AsInteger();
    f.changed = std::max(Moment(head[8]), Moment(head[9]));
    f.roomName = Str(head[10]);
    for (const SqlRow& row : r.rows)
        f.subject.branches.push_back(Str(row[11]));
    if (f.subject.kind != "O") {
        bool allowed = false;
        for (const std::string& b : f.subject.branches)
            allowed = allowed || b == f.subject.branch;
        if (!allowed) return std::nullopt;
    }
    return f;
}

// Changes with the feed's counter, the day (the window moves daily) and the branches its
// owner may use.
std::string ETag(const FeedRecord& f, TDateTime now) {
    std::string branches;
    for (const std::string& b : f.subject.branches)
        branches += b + ",";
    return "\"" + std::to_string(f.id) + "-" + std::to_string(f.version) + "-" +
           FormatDateTime("yyyymmdd", now) + "-" + TextDigest(branches).substr(0, 8) + "\"";
}

// True when an If-None-Match header names `etag` (weak or strong, of the plain or the gzipped
// form) or is "*".
bool Matches(const std::string& header, const std::string& etag) {
    const std::string zipped = GzipETag(etag);
    size_t at = 0;
    while (at <= header.size()) {
        size_t end = header.find(',', at);
        if (end == std::string::npos) end = header.size();
        std::string tag = TrimAll(header.substr(at, end - at));
        if (tag.rfind("W/", 0) == 0) tag.erase(0, 2);
        if (tag == "*" || tag == etag || tag == zipped) return true;
        at = end + 1;
    }
    return false;
}

std::string FeedName(const FeedRecord& f) {
    if (f.subject.kind == "S")
        return "Sala " + (f.roomName.empty() ? f.subject.room : f.roomName) + " (filial " +
               f.subject.branch + ")";
    if (f.subject.kind == "R")
        return "Série " + f.subject.series + " (filial " + f.subject.branch + ")";
    return "Reuniões de " + f.ownerName;
}

FeedAnswer NotFound() {
    FeedAnswer a;
    a.status = 404;
    a.body = "calendário não encontrado\n";
    return a;
}

}  // namespace

std::string HttpDate(TDateTime utc) {
    return InternetDate(utc, "GMT");
}

FeedAnswer AnswerFeed(Database& db, const std::string& token, const std::string& ifNoneMatch,
                      TDateTime now, const MailSettings* mail) {
    if (!WellFormedToken(token)) return NotFound();
    // Meetings changed by other programs since the last call are brought up to date first, so
    // the counter the answer is judged by is current.
    if (db.Transact(false, [](SqlConnection& c) { return CalendarMarksPending(c); }))
        db.Transact(true, [&](SqlConnection& c) { ReconcileCalendars(c, now, mail); });
    return db.Transact(false, [&](SqlConnection& c) {
        const std::optional<FeedRecord> feed = FindFeed(c, token);
        if (!feed) return NotFound();
        FeedAnswer a;
        a.etag = ETag(*feed, now);
        a.lastModified = HttpDate(ServerUtc(feed->changed));
        if (!ifNoneMatch.empty() && Matches(ifNoneMatch, a.etag)) {
            a.status = 304;
            return a;
        }
        const TDateTime today = DateOf(now);
        const std::vector<CalendarMeeting> meetings =
            ReadFeedMeetings(c, feed->subject, today - kFeedDaysBack, today + kFeedDaysAhead,
                             now - kFeedCancelledDays, now);
        a.status = 200;
        a.body = FeedICalendar(FeedName(*feed), meetings);
        return a;
    });
}

}  // namespace zel::appserver
