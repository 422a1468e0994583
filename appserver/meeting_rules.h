// The rules of a meeting's status, times and header that the meeting window keeps, kept again
// by the server on every path that writes (change packets and the methods that write by
// arguments), so that no client can do what the window does not let an operator do. Each
// function runs inside the caller's transaction and refuses with RpcError naming the reason.
#pragma once

#include <string>

#include "appserver/resolver.h"
#include "appserver/storage.h"
#include "platform/date_time.h"

namespace zel::appserver {

// The booking window of a meeting starting at `start` for `hours`: HHMM texts.
struct BookingHours {
    std::string from, to;
};
BookingHours HoursOf(TDateTime start, double hours);

// Throws RpcError bad_arguments when a meeting starting at `start` for `hours` would end
// after 23:59 of its day.
void RequireSameDay(TDateTime start, double hours, const std::string& meeting);

// True when an activity of the meeting started ("A") or ended ("C").
bool ActivityStarted(SqlConnection& db, const std::string& branch, const std::string& nr);

// The status of a meeting whose header, times and room may still change: throws not_found for
// an unknown meeting and conflict for one cancelled or concluded or with an activity that
// started or ended (the window keeps such a meeting closed). Reads it with MeetingStatus, so
// the meeting stays locked on PostgreSQL until the transaction ends.
std::string RequireMeetingChangeable(SqlConnection& db, const std::string& branch,
                                     const std::string& nr);

// Checks a meeting row as it will be stored (column values; dates as stored texts): the
// reference, process, subject and responsible given and registered (the responsible an
// operator of the branch), the project registered when given, a start not before `now` and a
// duration of 00:01 to 23:59 that ends on the start's day.
void ValidateMeetingRow(SqlConnection& db, const RowValues& row, TDateTime now);

// An activity's start and end (date-times or stored texts; either may be null): the end not
// before the start and on the start's day.
void RequireActivityWithinDay(const Variant& start, const Variant& end);

}  // namespace zel::appserver
