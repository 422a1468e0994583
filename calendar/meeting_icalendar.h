// Meetings as iCalendar (RFC 5545) text, for calendar programs: an event with a stable UID per
// meeting (branch and number), start and end in the branch's time zone (TZID with its
// VTIMEZONE; UTC when the zone has no name), the room as location, the responsible as
// organiser and the participants as attendees with their answers. One meeting is sent as
// METHOD:REQUEST; a cancelled one as METHOD:CANCEL with STATUS:CANCELLED, the same UID and the
// higher revision the server gave it, so it replaces the copy imported before. A feed is a
// published calendar of many meetings.
//
// No Qt: the window, the host's command line, the application server and the tests share it.
#pragma once

#include <string>
#include <vector>

#include "platform/date_time.h"
#include "platform/variant.h"

struct CalendarPerson {
    std::string code;  // operator code; empty: nobody
    std::string name;
    std::string email;   // empty: none registered
    std::string answer;  // "A" accepted, "T" tentative, "R" declined, "": not answered
};

struct CalendarMeeting {
    std::string branch, number;  // as stored (fixed width); trimmed in the UID
    std::string reference;       // DSREFETAREFA
    std::string subject;         // the subject's name
    std::string room;            // the room's name; empty: none
    std::string status;          // IDSITTAREFA: "X" is cancelled
    std::string cancelReason;    // DSMOTCANCEL: why it was cancelled; empty: not told
    // Start and end on the wall clock of `zone`, an IANA name; with an empty zone they are
    // UTC instants (the server could not name its zone).
    TDateTime start = 0, end = 0;
    std::string zone;
    TDateTime stampUtc = 0;  // when this revision was made (DTSTAMP)
    int sequence = 0;
    CalendarPerson organiser;
    std::vector<CalendarPerson> attendees;

    bool Cancelled() const { return status == "X"; }
    // The event's title: the reference, else the subject, else "Reunião" and the number.
    std::string Summary() const;
};

// A series as GetSerieReuniao gives it: the rule and what became of each of its dates. Times
// are the branch's wall clock, as stored.
struct CalendarSeries {
    struct Date {
        TDateTime start = 0;  // the meeting's start; the rule's date when it has none
        std::string state;    // "R" booked, "N" without room, "P" skipped, "X" cancelled
    };
    std::string number;     // the series: its first meeting's number
    std::string frequency;  // "D" working days, "S" weekly, "M" monthly
    std::string weekdays;   // weekly: digits 1 (Monday) to 7 (Sunday)
    TDateTime until = 0;    // the last day; 0: none
    int count = 0;          // occurrences; 0: none
    std::vector<Date> dates;
};

// The series from the rows of GetSerieReuniao (the first meeting's row first). Throws
// Exception when the packet has no row.
CalendarSeries CalendarSeriesFromPacket(const Variant& getSerieReuniaoPacket);

// "zel-0001-S0000000012@zel00400": one UID for the whole series, apart from its meetings'.
std::string SeriesUid(const std::string& branch, const std::string& number);

// The whole series as one recurring event: the first meeting's times, an RRULE for the rule
// (UNTIL or COUNT), an EXDATE per skipped or cancelled date and, for an occurrence whose time
// was changed, an event of its own for that date (RECURRENCE-ID). `first` is the series'
// first meeting as CalendarMeetingFromPacket reads it. With a named zone every occurrence keeps
// the first meeting's wall-clock hour, across changes of summer time too.
std::string SeriesICalendar(const CalendarMeeting& first, const CalendarSeries& series);

// The meeting from the rows of GetCalendReuniao (the responsible's row first, then one per
// participant). Throws Exception when the packet has no row.
CalendarMeeting CalendarMeetingFromPacket(const Variant& packet);

// "zel-0001-0000000012@zel00400": the same for every export of the meeting.
std::string MeetingUid(const std::string& branch, const std::string& number);

// The address calendar programs are given for a person: "mailto:" and the e-mail, or, for
// someone without one, a placeholder under the reserved ".invalid" domain made from the
// operator code ("mailto:ana.souza@operador.invalid"), which no mail is ever delivered to.
std::string CalendarAddress(const CalendarPerson& person);

// The whole VCALENDAR text (CRLF lines, folded at 75 octets): REQUEST, or CANCEL for a
// cancelled meeting.
std::string MeetingICalendar(const CalendarMeeting& meeting);

// An iTIP message for mail: METHOD:REQUEST with the meeting as it is, METHOD:CANCEL with
// STATUS:CANCELLED for a cancelled meeting, or, with `uninvited` set, METHOD:CANCEL naming
// only that attendee (he no longer takes part; the meeting goes on for the others).
std::string InvitationICalendar(const CalendarMeeting& meeting,
                                const CalendarPerson* uninvited = nullptr);

// A published calendar of meetings (no METHOD; calendar programs subscribe to it): `name` as
// the calendar's title, one event per meeting, cancelled ones with STATUS:CANCELLED, one
// VTIMEZONE per zone the meetings use.
std::string FeedICalendar(const std::string& name, const std::vector<CalendarMeeting>& meetings);

// Writes `text` to `path`, replacing it. Throws Exception naming the file on failure.
void SaveCalendarFile(const std::string& path, const std::string& text);
