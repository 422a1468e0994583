#include "meeting/meeting_icalendar.h"

#include <libical/ical.h>

#include <cerrno>
#include <cmath>
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

// A whole-number column's value; 0 when the packet has no such column or it is null.
int WholeNumber(const DataPacket& p, const PacketRow& row, const char* field) {
    const int i = p.FieldIndex(field);
    return i < 0 || row.at(i).IsNull() ? 0 : static_cast<int>(row.at(i).AsFloat());
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

icalcomponent* Event(const CalendarMeeting& m, const std::string& uid) {
    icalcomponent* ev = icalcomponent_new_vevent();
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

using Calendar = std::unique_ptr<icalcomponent, decltype(&icalcomponent_free)>;

Calendar NewCalendar(icalproperty_method method) {
    Calendar cal(icalcomponent_new_vcalendar(), &icalcomponent_free);
    icalcomponent_add_property(cal.get(), icalproperty_new_prodid("-//ZEL00400//Reunioes//PT-BR"));
    icalcomponent_add_property(cal.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(cal.get(), icalproperty_new_calscale("GREGORIAN"));
    icalcomponent_add_property(cal.get(), icalproperty_new_method(method));
    return cal;
}

std::string CalendarText(icalcomponent* cal) {
    char* text = icalcomponent_as_ical_string_r(cal);
    std::string out = text ? text : "";
    icalmemory_free_buffer(text);
    return out;
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
    m.sequence = WholeNumber(p, head, "NRSEQCALEND");
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
    const Calendar cal = NewCalendar(m.Cancelled() ? ICAL_METHOD_CANCEL : ICAL_METHOD_REQUEST);
    icalcomponent_add_component(cal.get(), Event(m, MeetingUid(m.branch, m.number)));
    return CalendarText(cal.get());
}

CalendarSeries CalendarSeriesFromPacket(const Variant& packet) {
    const DataPacket p = DataPacketFromJson(packet.AsPacket());
    if (p.rows.empty()) throw Exception("Série não encontrada.");
    const PacketRow& head = p.rows.front();
    CalendarSeries s;
    s.number = Text(p, head, "NRTAREFA");
    s.frequency = Text(p, head, "IDFREQSERIE");
    s.weekdays = Text(p, head, "DSDIASSEMANA");
    const int until = p.FieldIndex("DTFIMSERIE");
    s.until = until < 0 || head.at(until).IsNull() ? 0 : DateOf(head.at(until).AsDateTime());
    s.count = WholeNumber(p, head, "QTOCORSERIE");
    for (const PacketRow& row : p.rows)
        s.dates.push_back({DateValue(p, row, "DTOCORSERIE"), Text(p, row, "IDSITOCOR")});
    return s;
}

std::string SeriesUid(const std::string& branch, const std::string& number) {
    return MeetingUid(branch, "S" + TrimAll(number));
}

std::string SeriesICalendar(const CalendarMeeting& first, const CalendarSeries& series) {
    if (series.dates.empty()) throw Exception("Série sem datas.");
    // The series is in force even when its first meeting was cancelled: that date is then
    // one of the exceptions.
    CalendarMeeting head = first;
    head.status = "P";
    const std::string uid = SeriesUid(first.branch, series.number);
    // Every occurrence keeps the first meeting's time of day; its local start gives the offset
    // from UTC the file's times are written with.
    const TDateTime localFirst = series.dates.front().start;
    const TDateTime toUtc = first.startUtc - localFirst, length = first.endUtc - first.startUtc;
    const TDateTime timeOfDay = localFirst - DateOf(localFirst);
    auto instance = [&](TDateTime local) { return DateOf(local) + timeOfDay + toUtc; };

    icalcomponent* ev = Event(head, uid);
    icalrecurrencetype rule;
    icalrecurrencetype_clear(&rule);
    rule.freq = series.frequency == "M"   ? ICAL_MONTHLY_RECURRENCE
                : series.frequency == "D" ? ICAL_DAILY_RECURRENCE
                                          : ICAL_WEEKLY_RECURRENCE;
    static const icalrecurrencetype_weekday kDays[] = {
        ICAL_MONDAY_WEEKDAY, ICAL_TUESDAY_WEEKDAY,  ICAL_WEDNESDAY_WEEKDAY, ICAL_THURSDAY_WEEKDAY,
        ICAL_FRIDAY_WEEKDAY, ICAL_SATURDAY_WEEKDAY, ICAL_SUNDAY_WEEKDAY};
    const std::string days = series.frequency == "D" ? "12345" : series.weekdays;
    int n = 0;
    if (series.frequency == "M") {
        rule.by_month_day[0] = static_cast<short>(DecodeDate(localFirst).day);
        rule.by_month_day[1] = ICAL_RECURRENCE_ARRAY_MAX;
    } else {
        for (const char c : days)
            if (c >= '1' && c <= '7') rule.by_day[n++] = static_cast<short>(kDays[c - '1']);
        rule.by_day[n] = ICAL_RECURRENCE_ARRAY_MAX;
    }
    if (series.count > 0)
        rule.count = series.count;
    else if (series.until != 0)
        rule.until = UtcTime(series.until + timeOfDay + toUtc);
    icalcomponent_add_property(ev, icalproperty_new_rrule(rule));

    std::vector<icalcomponent*> moved;
    for (const CalendarSeries::Date& d : series.dates) {
        if (d.state == "P" || d.state == "X") {
            icalcomponent_add_property(ev, icalproperty_new_exdate(UtcTime(instance(d.start))));
        } else if (std::abs((d.start + toUtc) - instance(d.start)) > 0.5 / 86400) {
            CalendarMeeting one = head;
            one.startUtc = d.start + toUtc;
            one.endUtc = one.startUtc + length;
            icalcomponent* single = Event(one, uid);
            icalcomponent_add_property(single,
                                       icalproperty_new_recurrenceid(UtcTime(instance(d.start))));
            moved.push_back(single);
        }
    }
    const Calendar cal = NewCalendar(ICAL_METHOD_REQUEST);
    icalcomponent_add_component(cal.get(), ev);
    for (icalcomponent* o : moved)
        icalcomponent_add_component(cal.get(), o);
    return CalendarText(cal.get());
}

void SaveCalendarFile(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (file) file.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (file) file.close();
    if (!file)
        throw Exception("Não foi possível gravar o arquivo " + path + ": " + std::strerror(errno) +
                        ".");
}
