// What calendar programs are told of one meeting, read from its rows: title, subject, times on
// the branch's clock, room, responsible and participants (with their answers), and a digest of
// all of it that changes exactly when an invitation must be sent again. The export of a meeting
// (GetCalendReuniao), the invitation mail and the feeds read meetings through it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "appserver/storage.h"
#include "calendar/meeting_icalendar.h"

namespace zel::appserver {

struct MeetingCalendarState {
    std::string branch, number, reference, subject, status, responsible, series;
    std::string cancelReason;        // DSMOTCANCEL
    std::string roomCode, roomName;  // the active booking's room; empty when none
    std::string zone;                // the branch's zone; "" when it cannot be named
    bool hasStart = false;           // a meeting without a start is in no calendar
    TDateTime start = 0;             // on the branch's clock
    double hours = 0;
    CalendarPerson organiser;                  // the responsible (empty code: none)
    std::vector<CalendarPerson> participants;  // one per operator of the activities

    bool Cancelled() const { return status == "X"; }
    TDateTime End() const { return start + hours / 24.0; }
    // Changes with anything an invitation shows: cancelled or not, start, duration, room,
    // title, subject, and who takes part at which address. Names and answers do not count.
    std::string Digest() const;
};

// The meeting's state; nullopt when there is no such meeting. The participants are the
// operators of its activities that are not cancelled (all of them for a cancelled meeting,
// whose activities went with it).
std::optional<MeetingCalendarState> ReadMeetingCalendarState(SqlConnection& db,
                                                             const std::string& branch,
                                                             const std::string& nr);

// The branch's time zone: its own when set and known, else the server's ("" when the server's
// cannot be named).
std::string BranchTimeZone(SqlConnection& db, const std::string& branch);
// The zone as stored for a branch (may be null/empty), made usable as BranchTimeZone does.
std::string EffectiveTimeZone(const std::string& stored);

// A short digest of a text (64-bit FNV-1a as 16 hex digits): what calendars were told is
// compared by it.
std::string TextDigest(const std::string& text);

// The server's clock reading `serverNow` as a UTC instant.
TDateTime ServerUtc(TDateTime serverNow);

// The meeting as calendar text shows it: on the branch's clock with its zone, or in UTC when
// the zone has no name.
CalendarMeeting ToCalendarMeeting(const MeetingCalendarState& state, int sequence,
                                  TDateTime stampUtc);

}  // namespace zel::appserver
