#include "meeting/meeting_icalendar.h"

#include <libical/ical.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>

#include "platform/exceptions.h"
#include "platform/packet.h"
#include "platform/routines.h"

namespace {

std::string Text(const DataPacket& p, const PacketRow& row, const char* field) {
    const int i = p.FieldIndex(field);
    return i < 0 || row.at(i).IsNull() ? std::string() : TrimAll(row.at(i).AsString());
}

TDateTime DateValue(const DataPacket& p, const PacketRow& row, const char* field) {
    const int i = p.FieldIndex(field);
    if (i < 0 || row.at(i).IsNull()) throw Exception(std::string("Reunião sem ") + field + ".");
    return row.at(i).AsDateTime();
}

CalendarPerson Person(const DataPacket& p, const PacketRow& row) {
    return {Text(p, row, "CDOPERADOR"), Text(p, row, "NMOPERADOR"), Text(p, row, "DSEMAIL")};
}

icaltimetype UtcTime(TDateTime value) {
    const DateParts d = DecodeDate(value);
    const TimeParts t = DecodeTime(value);
    icaltimetype out = icaltime_null_time();
    out.year = d.year;
    out.month = d.month;
    out.day = d.day;
    out.hour = t.hour;
    out.minute = t.minute;
    out.second = t.second;
    out.zone = icaltimezone_get_utc_timezone();
    return out;
}

// A person property (ORGANIZER or ATTENDEE) with the name as CN.
icalproperty* PersonProperty(icalproperty* prop, const CalendarPerson& person) {
    if (!person.name.empty())
        icalproperty_add_parameter(prop, icalparameter_new_cn(person.name.c_str()));
    return prop;
}

icalproperty* Attendee(const CalendarPerson& person, bool cancelled) {
    icalproperty* prop =
        PersonProperty(icalproperty_new_attendee(CalendarAddress(person).c_str()), person);
    icalproperty_add_parameter(prop, icalparameter_new_cutype(ICAL_CUTYPE_INDIVIDUAL));
    icalproperty_add_parameter(prop, icalparameter_new_role(ICAL_ROLE_REQPARTICIPANT));
    if (!cancelled) {
        icalproperty_add_parameter(prop, icalparameter_new_partstat(ICAL_PARTSTAT_NEEDSACTION));
        icalproperty_add_parameter(prop, icalparameter_new_rsvp(ICAL_RSVP_TRUE));
    }
    return prop;
}

icalcomponent* Event(const CalendarMeeting& m) {
    icalcomponent* ev = icalcomponent_new_vevent();
    const std::string uid = MeetingUid(m.branch, m.number);
    icalcomponent_add_property(ev, icalproperty_new_uid(uid.c_str()));
    icalcomponent_add_property(ev, icalproperty_new_dtstamp(UtcTime(m.stampUtc)));
    icalcomponent_add_property(ev, icalproperty_new_dtstart(UtcTime(m.startUtc)));
    icalcomponent_add_property(ev, icalproperty_new_dtend(UtcTime(m.endUtc)));
    icalcomponent_add_property(ev, icalproperty_new_sequence(m.sequence));
    const std::string summary = !m.reference.empty() ? m.reference
                                : !m.subject.empty() ? m.subject
                                                     : "Reunião " + TrimAll(m.number);
    icalcomponent_add_property(ev, icalproperty_new_summary(summary.c_str()));
    if (!m.subject.empty() && m.subject != summary)
        icalcomponent_add_property(ev, icalproperty_new_description(m.subject.c_str()));
    if (!m.room.empty()) icalcomponent_add_property(ev, icalproperty_new_location(m.room.c_str()));
    icalcomponent_add_property(
        ev, icalproperty_new_status(m.Cancelled() ? ICAL_STATUS_CANCELLED : ICAL_STATUS_CONFIRMED));
    if (!m.organiser.code.empty())
        icalcomponent_add_property(
            ev, PersonProperty(icalproperty_new_organizer(CalendarAddress(m.organiser).c_str()),
                               m.organiser));
    for (const CalendarPerson& person : m.attendees)
        icalcomponent_add_property(ev, Attendee(person, m.Cancelled()));
    return ev;
}

}  // namespace

CalendarMeeting CalendarMeetingFromPacket(const Variant& packet) {
    const DataPacket p = DataPacketFromJson(packet.AsPacket());
    if (p.rows.empty()) throw Exception("Reunião não encontrada.");
    const PacketRow& head = p.rows.front();
    CalendarMeeting m;
    m.branch = Text(p, head, "CDFILIAL");
    m.number = Text(p, head, "NRTAREFA");
    m.reference = Text(p, head, "DSREFETAREFA");
    m.subject = Text(p, head, "NMASSUNTO");
    m.room = Text(p, head, "NMSALA");
    m.status = Text(p, head, "IDSITTAREFA");
    m.startUtc = DateValue(p, head, "DTINIUTC");
    m.endUtc = DateValue(p, head, "DTFIMUTC");
    m.stampUtc = DateValue(p, head, "DTATUUTC");
    const int seq = p.FieldIndex("NRSEQCALEND");
    m.sequence = seq < 0 || head.at(seq).IsNull() ? 0 : static_cast<int>(head.at(seq).AsInteger());
    for (const PacketRow& row : p.rows) {
        if (Text(p, row, "IDPAPEL") == "R")
            m.organiser = Person(p, row);
        else if (!Text(p, row, "CDOPERADOR").empty())
            m.attendees.push_back(Person(p, row));
    }
    return m;
}

std::string MeetingUid(const std::string& branch, const std::string& number) {
    return "zel-" + TrimAll(branch) + "-" + TrimAll(number) + "@zel00400";
}

std::string CalendarAddress(const CalendarPerson& person) {
    if (!person.email.empty()) return "mailto:" + person.email;
    std::string local;
    for (const char c : TrimAll(person.code)) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-';
        local += plain ? static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c) : '-';
    }
    return "mailto:" + (local.empty() ? std::string("operador") : local) + "@operador.invalid";
}

std::string MeetingICalendar(const CalendarMeeting& m) {
    std::unique_ptr<icalcomponent, decltype(&icalcomponent_free)> cal(icalcomponent_new_vcalendar(),
                                                                      &icalcomponent_free);
    icalcomponent_add_property(cal.get(), icalproperty_new_prodid("-//ZEL00400//Reunioes//PT-BR"));
    icalcomponent_add_property(cal.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(cal.get(), icalproperty_new_calscale("GREGORIAN"));
    icalcomponent_add_property(
        cal.get(),
        icalproperty_new_method(m.Cancelled() ? ICAL_METHOD_CANCEL : ICAL_METHOD_REQUEST));
    icalcomponent_add_component(cal.get(), Event(m));
    char* text = icalcomponent_as_ical_string_r(cal.get());
    std::string out = text ? text : "";
    icalmemory_free_buffer(text);
    return out;
}

void SaveCalendarFile(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (file) file.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (file) file.close();
    if (!file)
        throw Exception("Não foi possível gravar o arquivo " + path + ": " + std::strerror(errno) +
                        ".");
}
