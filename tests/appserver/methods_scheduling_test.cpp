// Slot suggestions and free/busy over RPC, on SQLite and PostgreSQL: a slot never where a
// participant (in any branch) or every fitting room is busy, working hours and days kept, the
// smallest fitting room chosen, the meeting's own times not in its way, other branches' rooms
// and meeting details never shown, and clear errors for bad arguments.
#include <gtest/gtest.h>

#include "appserver/office_setup.h"
#include "meeting_fixture.h"
#include "platform/series_dates.h"

namespace zel::appserver::test {
namespace {

class SchedulingTest : public MeetingFixture {
  protected:
    static constexpr const char* kAna = "000000000002";    // branch 0001 only
    static constexpr const char* kBruno = "000000000003";  // branches 0001 and 0002

    void SetUp() override {
        MeetingFixture::SetUp();
        if (IsSkipped()) return;
        // The session outlives the clock's moves below.
        srv->Exec("UPDATE SESSAO SET DTEXPIRA = ?", {Variant::FromDateTime(Now() + 3650)});
        // A Monday two months ahead, far from the demo data; the server's clock at its 07:00.
        m_monday = 60;
        while (IsoWeekday(DateOf(Now()) + m_monday) != 1)
            ++m_monday;
        ClockAt(m_monday, 7, 0);
    }

    void ClockAt(int day, int hh, int mm) {
        FixClock(DateTimeToIso(DateOf(Now()) + day + (hh * 60 + mm) / 1440.0));
    }
    void Office(const std::function<void(SqlConnection&)>& fn) {
        srv->Server().Impl().db().Transact(true, fn);
    }

    // An activity of `op` in `meeting` of `branch` on day `day` from hh:mm for `hours`.
    void Activity(const std::string& op, const std::string& branch, const std::string& meeting,
                  int day, int hh, int mm, double hours, const std::string& status = "P") {
        const TDateTime start = DateOf(Now()) + day + (hh * 60 + mm) / 1440.0;
        srv->Exec(
            "INSERT INTO PLANATIVTARE (CDFILIAL, NRTAREFA, NRPLATIVTARE, CDPROCESSO, CDOPERRESP, "
            "DTINPATIVTAR, DTFIPATIVTAR, QTHRPATIVTAR, IDSITATIVTAR, IDOPERPAREUNIAO) "
            "VALUES (?, ?, ?, '0000000002', ?, ?, ?, ?, ?, 'N')",
            {branch, meeting, std::to_string(10000 + ++m_seq), op, Variant::FromDateTime(start),
             Variant::FromDateTime(start + hours / 24), hours, status});
    }
    // A meeting of branch 0002 (the fixture's meetings are all of 0001).
    std::string SouthMeeting(const std::string& ref) {
        const std::string nr = "S" + std::to_string(++m_seq);
        srv->Exec(
            "INSERT INTO TAREFA (CDFILIAL, NRTAREFA, DSREFETAREFA, IDSITTAREFA, IDORIGTARE) "
            "VALUES ('0002', ?, ?, 'P', '4')",
            {nr, ref});
        return nr;
    }
    // An active booking of a room of branch 0001 on day `day`.
    void Booked(const std::string& room, int day, const std::string& from, const std::string& to,
                const std::string& meeting) {
        srv->Exec(
            "INSERT INTO AGEATIVISALA (CDFILIAL, DTATIAGESALA, NRSEQAGESALA, CDSALA, NRTAREFA, "
            "IDSITAGESALA, HRINIAGESALA, HRFINAGESALA) VALUES ('0001', ?, ?, ?, ?, 'A', ?, ?)",
            {Variant::FromDateTime(DateOf(Now()) + day), std::to_string(50000 + ++m_seq), room,
             meeting, from, to});
    }

    json Suggest(const std::string& people, double hours, int places = 0,
                 const std::string& tags = "", const std::string& meeting = "") {
        return srv->Result("GetSugereHorario",
                           {"0001", meeting, people, hours, Day(m_monday), places, tags});
    }
    std::string SuggestError(const json& params) { return srv->Error("GetSugereHorario", params); }
    // "day offset from the Monday hhmm room" of each slot.
    Strings Slots(const json& packet) {
        Strings out;
        for (size_t r = 0; r < packet["rows"].size(); ++r) {
            const TDateTime start = IsoToDateTime(Cell(packet, r, "DTHRREUNIAO")["$dt"]);
            const int day = static_cast<int>(DateOf(start) - DateOf(Now())) - m_monday;
            out.push_back(std::to_string(day) + " " +
                          Cell(packet, r, "HRINIAGESALA").get<std::string>() + " " +
                          Cell(packet, r, "CDSALA").get<std::string>());
        }
        return out;
    }

    int m_monday = 0;
    int m_seq = 0;
};

TEST_P(SchedulingTest, NoSlotWhereAParticipantOrEveryFittingRoomIsBusy) {
    // Room 00003 holds a weekly series every Monday 10:00-11:00, room 00005 another meeting.
    const std::string first = NewMeeting("P", m_monday - 7, 10);
    FixClock(DateTimeToIso(Now()));
    Booked("00003", m_monday - 7, "1000", "1100", first);
    ASSERT_EQ(srv->Result("SetSerieReuniao", {"0001", first, "S", "1", "", 3, "S"})["rows"].size(),
              3u);
    ClockAt(m_monday, 7, 0);
    Booked("00005", m_monday, "1000", "1100", NewMeeting("P", m_monday, 10));
    // Ana is busy 08:00-09:00 here; Bruno 09:00-10:00 in a meeting of the other branch; a
    // cancelled activity holds nobody.
    Activity(kAna, "0001", NewMeeting("P", m_monday, 8), m_monday, 8, 0, 1);
    Activity(kBruno, "0002", SouthMeeting("Comitê Sul"), m_monday, 9, 0, 1);
    Activity(kAna, "0001", NewMeeting("X", m_monday, 11), m_monday, 11, 0, 1, "X");

    // Twenty places with a projector: 00005 (24) before 00003 (80); both busy 10:00-11:00.
    const json slots = Suggest(std::string(kAna) + "," + kBruno, 1.0, 20, "projetor");
    EXPECT_EQ(Slots(slots), (Strings{"0 1100 00005", "0 1130 00005", "0 1200 00005", "0 1230 00005",
                                     "0 1300 00005", "0 1330 00005", "0 1400 00005", "0 1430 00005",
                                     "0 1500 00005", "0 1530 00005"}));
    EXPECT_EQ(Layout(slots),
              (Strings{"DTHRREUNIAO:datetime:0", "HRINIAGESALA:string:4", "HRFINAGESALA:string:4",
                       "CDSALA:string:5", "NMSALA:string:30", "QTCAPACSALA:integer:0",
                       "DSEQUIPSALA:string:700"}));
    EXPECT_EQ(Cell(slots, 0, "HRFINAGESALA"), "1200");
    EXPECT_EQ(Cell(slots, 0, "QTCAPACSALA"), 24);
    EXPECT_EQ(Cell(slots, 0, "DSEQUIPSALA"), "acessível, projetor, quadro branco");

    // With 00005 gone for the day, the series' room is offered only around its bookings.
    Booked("00005", m_monday, "1100", "1800", NewMeeting("P", m_monday, 11));
    EXPECT_EQ(Slots(Suggest(kAna, 1.0, 20, "projetor"))[0], "0 0900 00005");
    EXPECT_EQ(Slots(Suggest(std::string(kAna) + "," + kBruno, 1.0, 20, "projetor")).at(0),
              "0 1100 00003");
}

TEST_P(SchedulingTest, WorkingHoursWorkingDaysAndTheServerClockBoundTheSlots) {
    Office([](SqlConnection& c) { office::SetWorkingHours(c, "0001", "09:00", "1200", "531"); });
    ClockAt(m_monday, 10, 10);
    // Monday after 10:10, then Wednesday and Friday (not Tuesday), then the next Monday.
    EXPECT_EQ(
        Slots(Suggest(kAna, 1.5)),
        (Strings{"0 1030 00002", "2 0900 00002", "2 0930 00002", "2 1000 00002", "2 1030 00002",
                 "4 0900 00002", "4 0930 00002", "4 1000 00002", "4 1030 00002", "7 0900 00002"}));
    // An earliest day in the past starts from the server's today.
    const json past = srv->Result("GetSugereHorario", {"0001", "", kAna, "1,5", Day(-30), 0, ""});
    EXPECT_EQ(Slots(past).at(0), "0 1030 00002");
    const json r = srv->Call("GetSugereHorario", {"0001", "", kAna, 3.5, Day(m_monday), 0, ""});
    EXPECT_EQ(r["error"]["code"], "bad_arguments");
    EXPECT_EQ(r["error"]["message"],
              "Uma reunião de 03:30 não cabe no expediente da filial (09:00 às 12:00, segunda, "
              "quarta, sexta).");
    // An activity stored with an end days later (as a hand-made change packet may) holds
    // Bruno until it ends, also in the later stretches the search reads.
    Activity(kBruno, "0001", NewMeeting("P", m_monday, 8), m_monday, 8, 0, 9 * 24 + 15);
    EXPECT_EQ(Slots(Suggest(kBruno, 1.5)).at(0), "11 0900 00002");
    // A participant busy for the whole stretch: the search reads further weeks.
    for (int d = 0; d < 12; ++d)
        Activity(kAna, "0001", NewMeeting("P", m_monday + d, 9), m_monday + d, 9, 0, 3);
    EXPECT_EQ(Slots(Suggest(kAna, 1.5)).at(0), "14 0900 00002");
}

TEST_P(SchedulingTest, TheSmallestRoomWithThePlacesAndEveryTagIsChosen) {
    auto room = [&](int places, const std::string& tags) {
        return Cell(Suggest(kAna, 1.0, places, tags), 0, "CDSALA").get<std::string>();
    };
    EXPECT_EQ(room(0, ""), "00002");                             // 6 places
    EXPECT_EQ(room(10, ""), "00004");                            // 12
    EXPECT_EQ(room(10, "quadro branco"), "00005");               // 24
    EXPECT_EQ(room(7, " Projetor "), "00001");                   // 8
    EXPECT_EQ(room(0, "videoconferência, ACESSÍVEL"), "00004");  // 12
    // A room whose places are not informed only serves a meeting that asks for none.
    Office([](SqlConnection& c) { office::SetRoomPlaces(c, "0001", "00001", std::nullopt); });
    EXPECT_EQ(room(7, "projetor"), "00004");
    EXPECT_EQ(room(0, "projetor, quadro branco"), "00005");
    const json none = srv->Call("GetSugereHorario", {"0001", "", kAna, 1, Day(m_monday), 81, ""});
    EXPECT_EQ(none["error"]["code"], "not_found");
    EXPECT_EQ(none["error"]["message"], "Nenhuma sala ativa da filial atende a: 81 lugares.");
    // Another branch's room never serves, however well it fits.
    Office([](SqlConnection& c) { office::SetRoomTags(c, "0002", "00001", {"telão"}, {}); });
    EXPECT_EQ(SuggestError({"0001", "", kAna, 1, Day(m_monday), 0, "telão"}), "not_found");
}

TEST_P(SchedulingTest, TheMeetingsOwnActivitiesAndBookingAreNotInItsWay) {
    const std::string nr = NewMeeting("P", m_monday, 8);
    Activity(kAna, "0001", nr, m_monday, 8, 0, 1);
    Booked("00002", m_monday, "0800", "0900", nr);
    // Its participants come from its activities when none are listed.
    EXPECT_EQ(Slots(Suggest("", 1.0, 0, "", nr)).at(0), "0 0800 00002");
    // For a new meeting the same times are taken.
    EXPECT_EQ(Slots(Suggest(kAna, 1.0)).at(0), "0 0900 00002");
    const json fb = srv->Result("GetLivreOcupado", {"0001", nr, "", Day(m_monday), "00002"});
    EXPECT_EQ(Column(fb, "HRINIOCUP"), (Strings{"null", "null"}));
}

TEST_P(SchedulingTest, BadArgumentsGetClearErrors) {
    const json day = Day(m_monday);
    EXPECT_EQ(SuggestError({"0001", "", kAna, 0, day, 0, ""}), "bad_arguments");
    EXPECT_EQ(SuggestError({"0001", "", kAna, 24, day, 0, ""}), "bad_arguments");
    EXPECT_EQ(SuggestError({"0001", "", kAna, "uma hora", day, 0, ""}), "bad_arguments");
    EXPECT_EQ(SuggestError({"0001", "", kAna, 1, day, -1, ""}), "bad_arguments");
    EXPECT_EQ(SuggestError({"0001", "", kAna, 1, day, 2.5, ""}), "bad_arguments");
    EXPECT_EQ(SuggestError({"0001", "", kAna, 1, day, 0, "'quadro, branco'"}), "bad_arguments");
    EXPECT_EQ(SuggestError({"0001", "", kAna, 1, Day(m_monday + 4000), 0, ""}), "bad_arguments");
    EXPECT_EQ(SuggestError({"0001", "", "", 1, day, 0, ""}), "bad_arguments");
    EXPECT_EQ(SuggestError({"0001", "", "999999999999", 1, day, 0, ""}), "not_found");
    EXPECT_EQ(SuggestError({"0001", "9999999999", kAna, 1, day, 0, ""}), "not_found");
    EXPECT_EQ(SuggestError({"0001", NewMeeting("X"), kAna, 1, day, 0, ""}), "conflict");
    EXPECT_EQ(SuggestError({"0001", "", kAna, 1, day, 0}), "bad_arguments");
    const std::string ana = srv->Login(kAna, "0001");
    EXPECT_EQ(
        srv->Call("GetSugereHorario", {"0002", "", kAna, 1, day, 0, ""}, ana)["error"]["code"],
        "forbidden");
    EXPECT_EQ(srv->Call("GetLivreOcupado", {"0002", "", kAna, day, ""}, ana)["error"]["code"],
              "forbidden");
}

TEST_P(SchedulingTest, FreeBusyShowsOtherBranchesOnlyAsBusyAndNoForeignRoom) {
    Office([](SqlConnection& c) {
        office::AddOperator(c, "000000000009", "Sérgio Sul", "x", {"0002"});
        office::AddRoom(c, "0002", "00007", "Sala Sete");
    });
    const std::string here = NewMeeting("P", m_monday, 8, 1.0, "Orçamento 2031");
    const std::string south = SouthMeeting("Fornecedores do Sul");
    Activity(kAna, "0001", here, m_monday, 8, 0, 1);
    Activity(kBruno, "0002", south, m_monday, 9, 0, 0.5);
    Activity(kBruno, "0001", here, m_monday, 8, 0, 1);
    Activity("000000000009", "0002", south, m_monday, 9, 0, 0.5);
    Activity(kAna, "0001", here, m_monday + 1, 8, 0, 1);  // another day
    Booked("00005", m_monday, "1400", "1530", here);

    const json fb = srv->Result("GetLivreOcupado",
                                {"0001", "", std::string(kAna) + "," + kBruno + ",000000000009",
                                 Day(m_monday, 15), "00005, 00001"});
    EXPECT_EQ(Column(fb, "IDRECURSO"), (Strings{"P", "P", "P", "P", "S", "S"}));
    EXPECT_EQ(Column(fb, "CDRECURSO"),
              (Strings{kAna, kBruno, kBruno, "000000000009", "00005", "00001"}));
    EXPECT_EQ(Column(fb, "HRINIOCUP"), (Strings{"0800", "0800", "0900", "0900", "1400", "null"}));
    EXPECT_EQ(Column(fb, "HRFINOCUP"), (Strings{"0900", "0900", "0930", "0930", "1530", "null"}));
    EXPECT_EQ(Column(fb, "NRTAREFA"), (Strings{here, here, "null", "null", here, "null"}));
    EXPECT_EQ(Column(fb, "DSREFETAREFA"), (Strings{"Orçamento 2031", "Orçamento 2031", "null",
                                                   "null", "Orçamento 2031", "null"}));
    EXPECT_EQ(Cell(fb, 3, "NMRECURSO"), "Sérgio Sul");
    // A room of another branch is no room of this one.
    const json foreign = srv->Call("GetLivreOcupado", {"0001", "", kAna, Day(m_monday), "00007"});
    EXPECT_EQ(foreign["error"]["code"], "not_found");
    EXPECT_EQ(foreign["error"]["message"], "Sala 00007 não cadastrada na filial 0001.");
}

INSTANTIATE_TEST_SUITE_P(Backends, SchedulingTest, ::testing::Values(false, true), EngineName);

}  // namespace
}  // namespace zel::appserver::test
