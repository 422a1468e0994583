// Exporting a meeting to people's calendars from the meeting window, against the real
// application server: the files are read back with libical and must keep one UID across the
// invitation and its cancellation, the right UTC times, the room, organiser and attendees, and
// a revision that rises only when the meeting changed.
#include <libical/ical.h>

#include <QAction>
#include <QPushButton>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "appserver/app_server_impl.h"
#include "appserver/office_setup.h"
#include "appserver/rpc_error.h"
#include "appserver/series_rule.h"
#include "base/buttons.h"
#include "base/login_context.h"
#include "calendar/meeting_icalendar.h"
#include "meeting/cli_zel00400.h"
#include "meeting/frm_reuniao.h"
#include "meeting/series_dialog.h"
#include "platform/packet.h"
#include "server/call_arg.h"
#include "server/server_connection.h"
#include "tests/meeting/meeting_fixture.h"
#include "tests/meeting/meeting_seed.h"

namespace {

constexpr int kDay = 61;

// What a calendar program reads of an exported file.
struct ReadBack {
    std::string method, uid, status, location, summary, organiser, comment;
    int sequence = -1;
    time_t start = 0, end = 0;
    std::set<std::string> attendees;  // "CN <address>"
};

std::string Param(icalproperty* p, icalparameter_kind kind) {
    icalparameter* param = icalproperty_get_first_parameter(p, kind);
    return param ? icalparameter_get_cn(param) : "";
}

// The instant a date-time property names, its TZID resolved against the calendar's zones.
time_t Instant(icalproperty* p, icalcomponent* owner) {
    const icaltimetype t = icalproperty_get_datetime_with_component(p, owner);
    return icaltime_as_timet_with_zone(t, t.zone ? t.zone : icaltimezone_get_utc_timezone());
}
time_t Instant(icalcomponent* ev, icalproperty_kind kind) {
    return Instant(icalcomponent_get_first_property(ev, kind), ev);
}

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

ReadBack Parse(const std::string& path) {
    ReadBack r;
    icalcomponent* cal = icalparser_parse_string(FileText(path).c_str());
    if (!cal) return r;
    r.method = icalproperty_method_to_string(icalcomponent_get_method(cal));
    icalcomponent* ev = icalcomponent_get_first_component(cal, ICAL_VEVENT_COMPONENT);
    if (ev) {
        r.uid = icalcomponent_get_uid(ev);
        r.status = icalproperty_status_to_string(icalcomponent_get_status(ev));
        r.location = icalcomponent_get_location(ev) ? icalcomponent_get_location(ev) : "";
        r.summary = icalcomponent_get_summary(ev) ? icalcomponent_get_summary(ev) : "";
        r.sequence = icalcomponent_get_sequence(ev);
        if (icalproperty* c = icalcomponent_get_first_property(ev, ICAL_COMMENT_PROPERTY))
            r.comment = icalproperty_get_comment(c);
        r.start = Instant(ev, ICAL_DTSTART_PROPERTY);
        r.end = Instant(ev, ICAL_DTEND_PROPERTY);
        if (icalproperty* o = icalcomponent_get_first_property(ev, ICAL_ORGANIZER_PROPERTY))
            r.organiser = Param(o, ICAL_CN_PARAMETER) + " <" + icalproperty_get_organizer(o) + ">";
        for (icalproperty* a = icalcomponent_get_first_property(ev, ICAL_ATTENDEE_PROPERTY); a;
             a = icalcomponent_get_next_property(ev, ICAL_ATTENDEE_PROPERTY))
            r.attendees.insert(Param(a, ICAL_CN_PARAMETER) + " <" + icalproperty_get_attendee(a) +
                               ">");
    }
    icalcomponent_free(cal);
    return r;
}

// UTC seconds of a wall-clock time in a zone three hours behind UTC.
time_t At(TDateTime day, int hour) {
    const DateParts d = DecodeDate(day);
    std::tm tm{};
    tm.tm_year = d.year - 1900;
    tm.tm_mon = d.month - 1;
    tm.tm_mday = d.day;
    tm.tm_hour = hour + 3;
    return timegm(&tm);
}

class CalendarExportTest : public MeetingWindowTest {
  protected:
    void SetUp() override {
        // A zone without summer time, so the expected UTC times are plain arithmetic.
        const char* tz = std::getenv("TZ");
        m_oldTz = tz ? tz : "";
        m_hadTz = tz != nullptr;
        setenv("TZ", "<-03>3", 1);
        tzset();
        MeetingWindowTest::SetUp();
        m_dir = std::filesystem::temp_directory_path() / ("zel-ical-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override {
        MeetingWindowTest::TearDown();
        std::filesystem::remove_all(m_dir);
        if (m_hadTz)
            setenv("TZ", m_oldTz.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    TfrmReuniao& OpenOn(const std::string& nr) {
        Cli_zel00400::CriaReuniao();
        TfrmReuniao& w = *Window();
        w.tbtCancelada->SetDown(true);
        EXPECT_TRUE(w.tbtPendente->Click());
        EXPECT_TRUE(w.cdsControle.Locate("NRTAREFA", {Variant(nr)}));
        return w;
    }
    // Exports the window's current meeting to `name` and reads the file back.
    ReadBack Export(TfrmReuniao& w, const std::string& name) {
        const std::string path = (m_dir / name).string();
        dialogs->AnswerSaveFile(path);
        EXPECT_TRUE(w.btnExpCalendario->Click());
        return Parse(path);
    }
    void Office(const std::function<void(zel::appserver::SqlConnection&)>& fn) {
        server->Impl().db().Transact(true, [&](zel::appserver::SqlConnection& c) {
            fn(c);
            return 0;
        });
    }

    meeting_seed::Seeder seed{server};
    std::filesystem::path m_dir;
    std::string m_oldTz;
    bool m_hadTz = false;
};

TEST_F(CalendarExportTest, InvitationAndItsCancellationShareTheUidAndTheCancellationIsNewer) {
    Office(
        [](auto& c) { zel::appserver::office::SetOperatorEmail(c, "000000000002", "ana@x.br"); });
    seed.Meeting("0000900101", "Comitê de obras", kDay, 14, 1.5);
    seed.Activity("0000900101", "00001", "000000000002");
    seed.Activity("0000900101", "00002", "000000000003");
    seed.Booking("0000900101", "00003", kDay, "1400", "1530", "00001");
    TfrmReuniao& w = OpenOn("0000900101");
    ASSERT_TRUE(w.btnExpCalendario->isEnabled());

    const ReadBack invite = Export(w, "convite.ics");
    EXPECT_EQ("REQUEST", invite.method);
    EXPECT_EQ("zel-0001-0000900101@zel00400", invite.uid);
    EXPECT_EQ("CONFIRMED", invite.status);
    EXPECT_EQ("Comitê de obras", invite.summary);
    EXPECT_EQ("Auditório", invite.location);
    EXPECT_EQ(At(seed.Day(kDay), 14), invite.start);
    EXPECT_EQ(At(seed.Day(kDay), 14) + 90 * 60, invite.end);
    EXPECT_EQ("Operador Demonstração <mailto:000000000001@operador.invalid>", invite.organiser);
    const std::set<std::string> people = {"Ana Souza <mailto:ana@x.br>",
                                          "Bruno Lima <mailto:000000000003@operador.invalid>"};
    EXPECT_EQ(people, invite.attendees);
    EXPECT_EQ("save: Exportar para calendário\nnotice: Reunião exportada para " +
                  (m_dir / "convite.ics").string() + ".",
              dialogs->ShownText());

    dialogs->AnswerQuestion(true);
    dialogs->AnswerInput("Sala em reforma");
    ASSERT_TRUE(w.btnCanReuniao->Click());
    ASSERT_TRUE(w.cdsControle.Locate("NRTAREFA", {Variant("0000900101")}));
    const ReadBack cancel = Export(w, "cancelamento.ics");
    EXPECT_EQ("CANCEL", cancel.method);
    EXPECT_EQ(invite.uid, cancel.uid);
    EXPECT_EQ("CANCELLED", cancel.status);
    EXPECT_GT(cancel.sequence, invite.sequence);
    EXPECT_EQ(invite.start, cancel.start);
    EXPECT_EQ(people, cancel.attendees) << "the cancelled activities still name who was invited";
    EXPECT_EQ("Auditório", cancel.location) << "the freed room is still named";
    EXPECT_EQ("Sala em reforma", cancel.comment) << "the reason given at cancellation";
    EXPECT_EQ("", invite.comment);
}

TEST_F(CalendarExportTest, RevisionRisesOnlyWhenTheMeetingChangedAndACancelledDialogDoesNothing) {
    seed.Meeting("0000900102", "Alinhamento", kDay, 9);
    TfrmReuniao& w = OpenOn("0000900102");

    dialogs->AnswerSaveFile("");
    ASSERT_TRUE(w.btnExpCalendario->Click());
    EXPECT_EQ(0, CallCount("GetCalendReuniao")) << "no file chosen: the revision stays";

    const ReadBack first = Export(w, "a.ics");
    EXPECT_EQ(0, first.sequence);
    EXPECT_TRUE(first.attendees.empty());
    EXPECT_EQ(first.sequence, Export(w, "b.ics").sequence);
    seed.Exec("UPDATE TAREFA SET DTHRREUNIAO = ? WHERE NRTAREFA = '0000900102'",
              {Variant::FromDateTime(seed.Day(kDay, 10))});
    const ReadBack moved = Export(w, "c.ics");
    EXPECT_EQ(1, moved.sequence);
    EXPECT_EQ(At(seed.Day(kDay), 10), moved.start);

    // A file that cannot be written is reported, not announced as exported.
    dialogs->ClearShown();
    dialogs->AnswerSaveFile((m_dir / "no-such-dir" / "x.ics").string());
    w.btnExpCalendario->Click();
    EXPECT_NE(std::string::npos, dialogs->ShownText().find("Não foi possível gravar o arquivo"));
    EXPECT_EQ(std::string::npos, dialogs->ShownText().find("exportada"));
}

// The whole series as one recurring event, read back and expanded by libical: the rule's
// dates less the skipped and the cancelled one, and the moved occurrence as its own event.
TEST_F(CalendarExportTest, SeriesExportsItsRuleExceptionsAndMovedOccurrence) {
    seed.Meeting("0000900101", "Comitê semanal", kDay, 14);
    seed.Activity("0000900101", "00001", "000000000002");
    seed.Booking("0000900101", "00001", kDay, "1400", "1500", "00001");
    seed.Meeting("0000900102", "Ocupa a sala", kDay + 14, 14);
    seed.Booking("0000900102", "00001", kDay + 14, "1400", "1500", "00002");
    TServerConnection net;
    net.SetTransport(transport);
    const std::string weekday = std::to_string(IsoWeekday(seed.Day(kDay)));
    const Variant made = net.AppServer().Call(
        "SetSerieReuniao",
        {Arg("0001"), Arg("0000900101"), Arg("S"), Arg(weekday), Arg(""), Arg(6), Arg("P")});
    const DataPacket dates = DataPacketFromJson(made.AsPacket());
    ASSERT_EQ(6u, dates.rows.size());
    const int nr = dates.FieldIndex("NRTAREFA");
    net.AppServer().Call("GetUpdCancelTarefa", {Arg("0001"), Arg(dates.rows[5][nr])});
    net.AppServer().Call("SetSerieSeguintes",
                         {Arg("0001"), Arg(dates.rows[3][nr]), Arg(60), Arg(""), Arg("S")});

    const std::string text =
        SeriesICalendar(CalendarMeetingFromPacket(net.AppServer().Call(
                            "GetCalendReuniao", {Arg("0001"), Arg("0000900101")})),
                        CalendarSeriesFromPacket(net.AppServer().Call(
                            "GetSerieReuniao", {Arg("0001"), Arg("0000900101")})));
    icalcomponent* cal = icalparser_parse_string(text.c_str());
    ASSERT_NE(nullptr, cal) << text;
    icalcomponent* ev = icalcomponent_get_first_component(cal, ICAL_VEVENT_COMPONENT);
    ASSERT_NE(nullptr, ev);
    EXPECT_EQ("zel-0001-S0000900101@zel00400", std::string(icalcomponent_get_uid(ev)));
    EXPECT_EQ(2, icalcomponent_count_properties(ev, ICAL_EXDATE_PROPERTY)) << text;
    std::vector<time_t> starts;
    icalcomponent_foreach_recurrence(
        ev,
        icaltime_from_timet_with_zone(At(seed.Day(kDay), 0), 0, icaltimezone_get_utc_timezone()),
        icaltime_from_timet_with_zone(At(seed.Day(kDay + 60), 0), 0,
                                      icaltimezone_get_utc_timezone()),
        [](icalcomponent*, struct icaltime_span* span, void* out) {
            static_cast<std::vector<time_t>*>(out)->push_back(span->start);
        },
        &starts);
    // Weeks 0 to 5 less week 2 (room taken, skipped) and week 5 (cancelled).
    EXPECT_EQ((std::vector<time_t>{At(seed.Day(kDay), 14), At(seed.Day(kDay + 7), 14),
                                   At(seed.Day(kDay + 21), 14), At(seed.Day(kDay + 28), 14)}),
              starts)
        << text;
    // Week 4 was moved an hour later with "this and the following".
    icalcomponent* moved = icalcomponent_get_next_component(cal, ICAL_VEVENT_COMPONENT);
    ASSERT_NE(nullptr, moved) << text;
    EXPECT_EQ(At(seed.Day(kDay + 28), 14), Instant(moved, ICAL_RECURRENCEID_PROPERTY));
    EXPECT_EQ(At(seed.Day(kDay + 28), 15), Instant(moved, ICAL_DTSTART_PROPERTY));
    EXPECT_EQ(nullptr, icalcomponent_get_next_component(cal, ICAL_VEVENT_COMPONENT));
    icalcomponent_free(cal);
}

// "Exportar série..." in the series dialog writes the file chosen, and a calendar program
// reads it back as one weekly event with the series' count and the skipped date excluded.
TEST_F(CalendarExportTest, SeriesDialogExportsAFileWithTheRuleAndTheSkippedDateExcluded) {
    seed.Meeting("0000900101", "Comitê semanal", kDay, 14);
    seed.Booking("0000900101", "00001", kDay, "1400", "1500", "00001");
    seed.Meeting("0000900102", "Ocupa a sala", kDay + 7, 14);
    seed.Booking("0000900102", "00001", kDay + 7, "1400", "1500", "00002");
    TServerConnection net;
    net.SetTransport(transport);
    net.AppServer().Call("SetSerieReuniao", {Arg("0001"), Arg("0000900101"), Arg("S"),
                                             Arg(std::to_string(IsoWeekday(seed.Day(kDay)))),
                                             Arg(""), Arg(4), Arg("P")});
    TfrmReuniao& w = OpenOn("0000900101");
    w.mnuSerie->trigger();
    TSeriesDialog* d = w.dlgSerie;
    ASSERT_NE(nullptr, d) << dialogs->ShownText();
    const std::string path = (m_dir / "serie.ics").string();
    dialogs->ClearShown();
    dialogs->AnswerSaveFile(path);
    d->btnExportar->click();
    EXPECT_EQ("save: Exportar série\nnotice: Série exportada para " + path + ".",
              dialogs->ShownText());

    const std::string text = FileText(path);
    icalcomponent* cal = icalparser_parse_string(text.c_str());
    ASSERT_NE(nullptr, cal) << text;
    icalcomponent* ev = icalcomponent_get_first_component(cal, ICAL_VEVENT_COMPONENT);
    ASSERT_NE(nullptr, ev) << text;
    EXPECT_EQ("zel-0001-S0000900101@zel00400", std::string(icalcomponent_get_uid(ev)));
    EXPECT_EQ(At(seed.Day(kDay), 14), Instant(ev, ICAL_DTSTART_PROPERTY));
    icalproperty* rrule = icalcomponent_get_first_property(ev, ICAL_RRULE_PROPERTY);
    ASSERT_NE(nullptr, rrule) << text;
    const icalrecurrencetype rule = icalproperty_get_rrule(rrule);
    EXPECT_EQ(ICAL_WEEKLY_RECURRENCE, rule.freq);
    EXPECT_EQ(4, rule.count);
    std::vector<time_t> excluded;
    for (icalproperty* x = icalcomponent_get_first_property(ev, ICAL_EXDATE_PROPERTY); x;
         x = icalcomponent_get_next_property(ev, ICAL_EXDATE_PROPERTY))
        excluded.push_back(Instant(x, ev));
    EXPECT_EQ(std::vector<time_t>{At(seed.Day(kDay + 7), 14)}, excluded) << text;
    icalcomponent_free(cal);
}

TEST_F(CalendarExportTest, OperatorEmailIsCheckedSetAndCleared) {
    using zel::appserver::office::SetOperatorEmail;
    for (const char* bad : {"ana", "ana@", "@x.br", "a b@x.br", "a@b@x.br", "<a@x.br>", "a@x.br;b"})
        EXPECT_THROW(Office([&](auto& c) { SetOperatorEmail(c, "000000000002", bad); }),
                     zel::appserver::RpcError)
            << bad;
    EXPECT_THROW(Office([](auto& c) { SetOperatorEmail(c, "999999999999", "z@x.br"); }),
                 zel::appserver::RpcError);
    Office([](auto& c) { SetOperatorEmail(c, "000000000002", "ana.souza+agenda@x.br"); });
    EXPECT_EQ("ana.souza+agenda@x.br",
              seed.Rows("SELECT DSEMAIL FROM OPERADOR WHERE CDOPERADOR = '000000000002'")[0][0]
                  .AsString());
    Office([](auto& c) { SetOperatorEmail(c, "000000000002", ""); });
    EXPECT_TRUE(
        seed.Rows("SELECT DSEMAIL FROM OPERADOR WHERE CDOPERADOR = '000000000002'")[0][0].IsNull());
}

}  // namespace
