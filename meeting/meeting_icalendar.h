// The iCalendar (RFC 5545) invitation of one meeting, for calendar programs: an event with a
// stable UID per meeting (branch and number), start and end in UTC, the room as location,
// the responsible as organiser and the participants as attendees. A meeting in force is sent
// as METHOD:REQUEST; a cancelled one as METHOD:CANCEL with STATUS:CANCELLED, the same UID and
// the higher revision the server gave it, so it replaces the copy imported before.
//
// No Qt: the window, the host's command line and the tests share it.
#pragma once

#include <string>
#include <vector>

#include "platform/date_time.h"
#include "platform/variant.h"

struct CalendarPerson {
    std::string code;  // operator code; empty: nobody
    std::string name;
    std::string email;  // empty: none registered
};

struct CalendarMeeting {
    std::string branch, number;  // as stored (fixed width); trimmed in the UID
    std::string reference;       // DSREFETAREFA
    std::string subject;         // the subject's name
    std::string room;            // the room's name; empty: none
    std::string status;          // IDSITTAREFA: "X" is cancelled
    TDateTime startUtc = 0, endUtc = 0, stampUtc = 0;
    int sequence = 0;
    CalendarPerson organiser;
    std::vector<CalendarPerson> attendees;

    bool Cancelled() const { return status == "X"; }
};

// A series as GetSerieReuniao gives it: the rule and what became of each of its dates. Times
// are the server's wall clock, as stored.
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
// first meeting as CalendarMeetingFromPacket reads it; the occurrences keep its time of day
// and its offset from UTC.
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

// The whole VCALENDAR text (CRLF lines, folded at 75 octets), written with libical.
std::string MeetingICalendar(const CalendarMeeting& meeting);

// Writes `text` to `path`, replacing it. Throws Exception naming the file on failure.
void SaveCalendarFile(const std::string& path, const std::string& text);
