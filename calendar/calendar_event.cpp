#include "calendar/calendar_event.h"

#include "calendar/time_zones.h"
#include "platform/routines.h"

namespace calendar_text {

namespace {

const char* PartStat(const std::string& answer) {
    if (answer == "A") return "ACCEPTED";
    if (answer == "T") return "TENTATIVE";
    if (answer == "R") return "DECLINED";
    return "NEEDS-ACTION";
}

std::string NameParam(const CalendarPerson& person) {
    return person.name.empty() ? std::string() : ";CN=" + ICalText::ParamValue(person.name);
}

void Attendee(ICalText& w, const CalendarPerson& person, bool withAnswer) {
    std::string params = NameParam(person) + ";CUTYPE=INDIVIDUAL;ROLE=REQ-PARTICIPANT";
    if (withAnswer) {
        params += ";PARTSTAT=";
        params += PartStat(person.answer);
        // Only someone who has not answered yet is asked to.
        if (person.answer.empty()) params += ";RSVP=TRUE";
    }
    w.Raw("ATTENDEE", params, CalendarAddress(person));
}

}  // namespace

void BeginCalendar(ICalText& w, const std::string& method) {
    w.Begin("VCALENDAR");
    w.Raw("PRODID", {}, "-//ZEL00400//Reunioes//PT-BR");
    w.Raw("VERSION", {}, "2.0");
    w.Raw("CALSCALE", {}, "GREGORIAN");
    if (!method.empty()) w.Raw("METHOD", {}, method);
}

bool NamedZone(const std::string& zone) {
    return !zone.empty() && !IsUtcZone(zone);
}

void WriteZones(ICalText& w, const std::set<std::string>& zones, int fromYear) {
    for (const std::string& zone : zones)
        if (NamedZone(zone)) w.Block(VTimezoneText(zone, fromYear));
}

void WriteTime(ICalText& w, const char* name, TDateTime value, const std::string& zone) {
    if (NamedZone(zone))
        w.Local(name, value, zone);
    else
        w.Utc(name, value);
}

void BeginEvent(ICalText& w, const CalendarMeeting& m, const std::string& uid, People people,
                const CalendarPerson* only, bool status) {
    w.Begin("VEVENT");
    w.Raw("UID", {}, uid);
    w.Utc("DTSTAMP", m.stampUtc);
    WriteTime(w, "DTSTART", m.start, m.zone);
    WriteTime(w, "DTEND", m.end, m.zone);
    w.Raw("SEQUENCE", {}, std::to_string(m.sequence));
    const std::string summary = m.Summary();
    w.Text("SUMMARY", summary);
    if (!m.subject.empty() && m.subject != summary) w.Text("DESCRIPTION", m.subject);
    if (!m.room.empty()) w.Text("LOCATION", m.room);
    if (status) w.Raw("STATUS", {}, m.Cancelled() ? "CANCELLED" : "CONFIRMED");
    if (m.Cancelled() && !m.cancelReason.empty()) w.Text("COMMENT", m.cancelReason);
    if (!m.organiser.code.empty())
        w.Raw("ORGANIZER", NameParam(m.organiser), CalendarAddress(m.organiser));
    if (people == People::Only) {
        if (only) Attendee(w, *only, false);
        return;
    }
    for (const CalendarPerson& person : m.attendees)
        Attendee(w, person, people == People::All);
}

}  // namespace calendar_text
