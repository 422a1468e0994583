// The calendar library on its own: lines and texts as RFC 5545 wants them, zone names that
// are safe to look up, the server's zone named from TZ, a series exported in a zone with summer
// time (each occurrence at its local hour, read back by another implementation), an uninvited
// attendee's cancellation, and mail headers that no name can break.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "calendar/ical_text.h"
#include "calendar/invitation_mail.h"
#include "calendar/meeting_icalendar.h"
#include "calendar/time_zones.h"
#include "tests/appserver/calendar_test_support.h"

namespace {

using zel::appserver::test::json;
using zel::appserver::test::ReadCalendarText;

// A pending meeting of branch 0001 starting at `start` in `zone`, for an hour.
CalendarMeeting Meeting(const std::string& reference, const std::string& zone, TDateTime start) {
    CalendarMeeting m;
    m.branch = "0001";
    m.number = "0000000012";
    m.reference = reference;
    m.status = "P";
    m.zone = zone;
    m.start = start;
    m.end = start + 1 / 24.0;
    return m;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    size_t at = 0;
    for (size_t end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
        out.push_back(text.substr(at, end - at));
    return out;
}

TEST(ICalTextTest, LongTextsFoldWithinSeventyFiveOctetsWithoutCuttingACharacter) {
    std::string out;
    ICalText w(out);
    const std::string title(40, 'a');
    std::string cedillas;
    for (int i = 0; i < 30; ++i)
        cedillas += "ç";
    w.Text("SUMMARY", title + "; reunião, com \\ e\r\nduas linhas " + cedillas);
    const std::vector<std::string> lines = Lines(out);
    ASSERT_GT(lines.size(), 1u);
    std::string unfolded;
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_LE(lines[i].size(), 75u) << lines[i];
        if (i > 0) {
            ASSERT_EQ(lines[i][0], ' ');
            // A continuation never starts in the middle of a UTF-8 character.
            EXPECT_NE(static_cast<unsigned char>(lines[i][1]) & 0xC0, 0x80);
        }
        unfolded += i ? lines[i].substr(1) : lines[i];
    }
    EXPECT_EQ(unfolded, "SUMMARY:" + title + "\\; reunião\\, com \\\\ e\\nduas linhas " + cedillas);
    EXPECT_EQ(ICalText::ParamValue("Souza, Ana \"A\""), "\"Souza, Ana A\"");
    EXPECT_EQ(ICalText::ParamValue("Ana\r\nX-EVIL:1"), "\"AnaX-EVIL:1\"");
}

TEST(TimeZonesTest, OnlyPlainZoneNamesAreLookedUpAndTheServersZoneIsNamed) {
    for (const char* bad : {"", "../../etc/passwd", "/etc/localtime", "America//Sao_Paulo",
                            "America/", "America/Sao Paulo", "1America"})
        EXPECT_FALSE(IsTimeZoneName(bad)) << bad;
    EXPECT_TRUE(IsKnownTimeZone("America/Sao_Paulo"));
    EXPECT_TRUE(IsKnownTimeZone("Etc/GMT+3"));
    EXPECT_TRUE(IsKnownTimeZone("UTC"));
    EXPECT_FALSE(IsKnownTimeZone("America"));
    EXPECT_FALSE(IsKnownTimeZone("Nowhere/Atlantis"));

    const char* old = std::getenv("TZ");
    const std::string kept = old ? old : "";
    setenv("TZ", "America/Recife", 1);
    EXPECT_EQ(ServerTimeZoneName(), "America/Recife");
    setenv("TZ", ":America/Recife", 1);
    EXPECT_EQ(ServerTimeZoneName(), "America/Recife");
    setenv("TZ", "<-03>3", 1);
    tzset();
    EXPECT_EQ(ServerTimeZoneName(), "Etc/GMT+3") << "a fixed offset without a name";
    old ? setenv("TZ", kept.c_str(), 1) : unsetenv("TZ");
    tzset();

    // New York: 10:00 is 15:00 UTC in winter and 14:00 UTC in summer.
    EXPECT_EQ(DateTimeToIso(ZoneToUtc(EncodeDateTime(2027, 1, 12, 10, 0, 0), "America/New_York")),
              "2027-01-12T15:00:00");
    EXPECT_EQ(DateTimeToIso(ZoneToUtc(EncodeDateTime(2027, 7, 13, 10, 0, 0), "America/New_York")),
              "2027-07-13T14:00:00");
    EXPECT_EQ(DateTimeToIso(UtcToZone(EncodeDateTime(2027, 7, 13, 14, 0, 0), "America/New_York")),
              "2027-07-13T10:00:00");
    EXPECT_NE(VTimezoneText("America/New_York", 2026).find("TZID:America/New_York\r\n"),
              std::string::npos);
}

// The first meeting's UTC offset used to be applied to every occurrence: after the change of
// summer time the series moved an hour. Written on the zone's clock, a program expanding the
// rule keeps the hour.
TEST(SeriesExportTest, AWeeklySeriesKeepsItsHourAcrossSummerTimeWhenExpandedElsewhere) {
    // A Tuesday in winter.
    CalendarMeeting first =
        Meeting("Comitê semanal", "America/New_York", EncodeDateTime(2027, 2, 2, 10, 0, 0));
    first.stampUtc = EncodeDateTime(2027, 1, 1, 12, 0, 0);
    first.organiser = {"000000000001", "Operador", "", ""};
    CalendarSeries s;
    s.number = first.number;
    s.frequency = "S";
    s.weekdays = "2";
    s.until = EncodeDate(2027, 4, 27);
    for (int week = 0; week < 13; ++week)
        s.dates.push_back({first.start + 7 * week, week == 4 ? "P" : "R"});
    s.dates[8].start += 1 / 24.0;  // the ninth week moved to 11:00

    const json cal = ReadCalendarText(SeriesICalendar(first, s), "2027-01-01", "2027-12-31");
    ASSERT_FALSE(cal.is_null());
    const json& rule = cal.at("events").at(0);
    EXPECT_EQ(rule.at("uid"), "zel-0001-S0000000012@zel00400");
    EXPECT_EQ(rule.at("tzid"), "America/New_York");
    const std::vector<std::string> local = rule.at("occurrences_local");
    const std::vector<std::string> utc = rule.at("occurrences_utc");
    ASSERT_EQ(local.size(), 12u) << "thirteen weeks until the last day, one skipped";
    for (const std::string& t : local)
        EXPECT_EQ(t.substr(11), "10:00:00") << t;
    EXPECT_EQ(utc.front(), "2027-02-02T15:00:00");
    EXPECT_EQ(utc.back(), "2027-04-27T14:00:00") << "after 14 March New York is UTC-4";
    const json& moved = cal.at("events").at(1);
    EXPECT_EQ(moved.at("recurrence_id_utc"), "2027-03-30T14:00:00");
    EXPECT_EQ(moved.at("start_local"), "2027-03-30T11:00:00");
}

TEST(InvitationMailTest, AnUninvitedAttendeeGetsACancelNamingOnlyHimAndHeadersStayWhole) {
    CalendarMeeting m = Meeting("Comitê\r\nBcc: todos@empresa.test", "America/Sao_Paulo",
                                EncodeDateTime(2027, 3, 2, 9, 0, 0));
    m.sequence = 4;
    m.attendees = {{"2", "Ana", "ana@x.test", "A"}, {"3", "Bruno", "bruno@x.test", ""}};
    const CalendarPerson out = m.attendees[1];
    const json cal = ReadCalendarText(InvitationICalendar(m, &out));
    EXPECT_EQ(cal.at("method"), "CANCEL");
    const json& ev = cal.at("events").at(0);
    EXPECT_EQ(ev.at("status"), "") << "the meeting itself goes on";
    ASSERT_EQ(ev.at("attendees").size(), 1u);
    EXPECT_EQ(ev.at("attendees").at(0).at("address"), "mailto:bruno@x.test");

    InvitationMail mail;
    mail.from = {"Controle de Reunião", "reunioes@x.test"};
    mail.to = {"Bruno\r\nBcc: x@y.test", "bruno@x.test"};
    mail.messageId = "abc@x.test";
    mail.kind = InvitationKind::Uninvited;
    mail.meeting = m;
    mail.recipient = out;
    std::istringstream headers(InvitationMessage(mail));
    for (std::string line; std::getline(headers, line) && line != "\r";)
        EXPECT_NE(line.rfind("Bcc:", 0), 0u) << "a name never becomes a header";
}

}  // namespace
