#include "calendar/meeting_icalendar.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <set>
#include <utility>

#include "calendar/calendar_event.h"
#include "calendar/ical_text.h"
#include "calendar/time_zones.h"
#include "platform/exceptions.h"
#include "platform/packet.h"
#include "platform/routines.h"

using namespace calendar_text;

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
    return {Text(p, row, "CDOPERADOR"), Text(p, row, "NMOPERADOR"), Text(p, row, "DSEMAIL"),
            Text(p, row, "IDRESPOSTA")};
}

std::string WeekdayCodes(const std::string& digits) {
    static const char* const kDays[] = {"MO", "TU", "WE", "TH", "FR", "SA", "SU"};
    std::string out;
    for (const char c : digits)
        if (c >= '1' && c <= '7') out += (out.empty() ? "" : ",") + std::string(kDays[c - '1']);
    return out;
}

// The RRULE value of a series; `untilUtc` is the UTC instant of the last occurrence's start.
std::string RuleText(const CalendarSeries& s, TDateTime firstLocal, TDateTime untilUtc) {
    std::string rule;
    if (s.frequency == "M")
        rule = "FREQ=MONTHLY;BYMONTHDAY=" + std::to_string(DecodeDate(firstLocal).day);
    else if (s.frequency == "D")
        rule = "FREQ=DAILY;BYDAY=" + WeekdayCodes("12345");
    else
        rule = "FREQ=WEEKLY;BYDAY=" + WeekdayCodes(s.weekdays);
    if (s.count > 0)
        rule += ";COUNT=" + std::to_string(s.count);
    else if (s.until != 0)
        rule += ";UNTIL=" + ICalText::DateTimeValue(untilUtc) + "Z";
    return rule;
}

int FirstYear(TDateTime value) {
    return DecodeDate(value).year - 1;
}

std::string Finish(std::string& out, ICalText& w) {
    w.End("VCALENDAR");
    return std::move(out);
}

}  // namespace

std::string CalendarMeeting::Summary() const {
    return !reference.empty() ? reference
           : !subject.empty() ? subject
                              : "Reunião " + TrimAll(number);
}

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
    m.cancelReason = Text(p, head, "DSMOTCANCEL");
    // The branch's zone and wall clock when the server names the zone; UTC otherwise.
    m.zone = Text(p, head, "DSFUSO");
    if (!m.zone.empty() && IsTimeZoneName(m.zone)) {
        m.start = DateValue(p, head, "DTINICIO");
        m.end = DateValue(p, head, "DTFIM");
    } else {
        m.zone.clear();
        m.start = DateValue(p, head, "DTINIUTC");
        m.end = DateValue(p, head, "DTFIMUTC");
    }
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
    return InvitationICalendar(m);
}

std::string InvitationICalendar(const CalendarMeeting& m, const CalendarPerson* uninvited) {
    std::string out;
    ICalText w(out);
    const bool cancel = m.Cancelled() || uninvited;
    BeginCalendar(w, cancel ? "CANCEL" : "REQUEST");
    WriteZones(w, {m.zone}, FirstYear(m.start));
    const People people = uninvited       ? People::Only
                          : m.Cancelled() ? People::Cancelled
                                          : People::All;
    // An uninvited attendee's copy carries no STATUS: the meeting itself goes on.
    BeginEvent(w, m, MeetingUid(m.branch, m.number), people, uninvited, !uninvited);
    w.End("VEVENT");
    return Finish(out, w);
}

std::string FeedICalendar(const std::string& name, const std::vector<CalendarMeeting>& meetings) {
    std::string out;
    out.reserve(800 * meetings.size() + 1024);
    ICalText w(out);
    BeginCalendar(w, "");
    w.Text("X-WR-CALNAME", name);
    // How often calendar programs should read the feed again.
    w.Raw("REFRESH-INTERVAL", ";VALUE=DURATION", "PT15M");
    w.Raw("X-PUBLISHED-TTL", {}, "PT15M");
    std::set<std::string> zones;
    TDateTime earliest = 0;
    for (const CalendarMeeting& m : meetings) {
        zones.insert(m.zone);
        if (earliest == 0 || m.start < earliest) earliest = m.start;
    }
    if (!meetings.empty()) WriteZones(w, zones, FirstYear(earliest));
    for (const CalendarMeeting& m : meetings) {
        BeginEvent(w, m, MeetingUid(m.branch, m.number),
                   m.Cancelled() ? People::Cancelled : People::All);
        w.End("VEVENT");
    }
    return Finish(out, w);
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
    // Every occurrence keeps the first meeting's time of day on the branch's wall clock. In a
    // named zone the times are written on that clock, so each occurrence keeps its hour across
    // changes of summer time; without a name the first meeting's offset from UTC is all there
    // is to go by.
    const TDateTime localFirst = series.dates.front().start;
    const bool named = NamedZone(first.zone);
    const TDateTime toClock = named ? 0 : first.start - localFirst;
    const TDateTime length = first.end - first.start;
    const TDateTime timeOfDay = localFirst - DateOf(localFirst);
    auto instance = [&](TDateTime local) { return DateOf(local) + timeOfDay + toClock; };
    // A rule that ends on a day names the last start as a UTC instant.
    TDateTime untilUtc = 0;
    if (series.count <= 0 && series.until != 0) {
        const TDateTime lastStart = series.until + timeOfDay;
        untilUtc = named ? ZoneToUtc(lastStart, first.zone) : lastStart + toClock;
    }

    std::string out;
    ICalText w(out);
    BeginCalendar(w, "REQUEST");
    WriteZones(w, {first.zone}, FirstYear(localFirst));
    BeginEvent(w, head, uid, People::All);
    w.Raw("RRULE", {}, RuleText(series, localFirst, untilUtc));
    // Occurrences moved off the rule's time, each with the rule's start it replaces.
    std::vector<std::pair<CalendarMeeting, TDateTime>> moved;
    for (const CalendarSeries::Date& d : series.dates) {
        if (d.state == "P" || d.state == "X") {
            WriteTime(w, "EXDATE", instance(d.start), first.zone);
        } else if (std::abs((d.start + toClock) - instance(d.start)) > 0.5 / 86400) {
            CalendarMeeting one = head;
            one.start = d.start + toClock;
            one.end = one.start + length;
            moved.emplace_back(std::move(one), instance(d.start));
        }
    }
    w.End("VEVENT");
    for (const auto& [one, recurrence] : moved) {
        BeginEvent(w, one, uid, People::All);
        WriteTime(w, "RECURRENCE-ID", recurrence, first.zone);
        w.End("VEVENT");
    }
    return Finish(out, w);
}

void SaveCalendarFile(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (file) file.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (file) file.close();
    if (!file)
        throw Exception("Não foi possível gravar o arquivo " + path + ": " + std::strerror(errno) +
                        ".");
}
