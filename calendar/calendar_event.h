// The pieces every calendar text of a meeting is made of: the VCALENDAR head, the VTIMEZONEs of
// the zones used and one VEVENT per meeting. Used by meeting_icalendar.cpp only; a caller ends
// each event itself (End("VEVENT")) after adding what its kind of text needs.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "calendar/ical_text.h"
#include "calendar/meeting_icalendar.h"

namespace calendar_text {

// BEGIN:VCALENDAR, PRODID, VERSION, CALSCALE and, when `method` is not empty, METHOD.
void BeginCalendar(ICalText& w, const std::string& method);

// True when times of `zone` are written with a TZID (a named zone that is not UTC).
bool NamedZone(const std::string& zone);

// One VTIMEZONE per named zone, with the rules from `fromYear` on.
void WriteZones(ICalText& w, const std::set<std::string>& zones, int fromYear);

// A date-time property of the meeting's clock: with a TZID in a named zone, else in UTC.
void WriteTime(ICalText& w, const char* name, TDateTime value, const std::string& zone);

// How an event names its people.
enum class People {
    All,        // organiser and every attendee, with their answers
    Cancelled,  // organiser and every attendee, without answers (the meeting is off)
    Only,       // organiser and the one attendee given, without answer (he is uninvited)
};

// BEGIN:VEVENT and the meeting's properties: UID, DTSTAMP, DTSTART, DTEND, SEQUENCE, SUMMARY,
// DESCRIPTION (the subject, when it is not the title), LOCATION, STATUS (unless `status` is
// false), ORGANIZER and ATTENDEEs.
void BeginEvent(ICalText& w, const CalendarMeeting& m, const std::string& uid, People people,
                const CalendarPerson* only = nullptr, bool status = true);

}  // namespace calendar_text
