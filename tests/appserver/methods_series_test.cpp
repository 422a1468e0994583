// Recurring meetings over RPC on SQLite and PostgreSQL: a series made from its first meeting
// around dates whose room is taken, a skipped date added back, "this and the following", the
// cancelled date, and the calls that must be refused without changing anything.
#include <gtest/gtest.h>

#include "appserver/series_rule.h"
#include "meeting_fixture.h"

namespace zel::appserver::test {
namespace {

class SeriesTest : public MeetingFixture {
  protected:
    static constexpr int kDay = 500;  // far from the demo data's bookings

    // A pending meeting on day `offset` at 09:00 for an hour, room `room` booked (none for
    // ""), with one participation activity of its organiser over the meeting's hour.
    std::string FirstMeeting(int offset = kDay, const std::string& room = "00001") {
        const std::string nr = NewMeeting("P", offset, 9, 1.0, "Comitê semanal");
        const TDateTime start = DateOf(Now()) + offset + 9 / 24.0;
        srv->Exec(
            "INSERT INTO PLANATIVTARE (CDFILIAL, NRTAREFA, NRPLATIVTARE, CDPROCESSO, CDOPERRESP, "
            "DTINPATIVTAR, DTFIPATIVTAR, QTHRPATIVTAR, IDSITATIVTAR, IDOPERPAREUNIAO) VALUES "
            "('0001', ?, '00001', '0000000002', '000000000001', ?, ?, 1, 'P', 'N')",
            {nr, Variant::FromDateTime(start), Variant::FromDateTime(start + 1 / 24.0)});
        if (!room.empty()) Block(offset, room, "0900", "1000", nr);
        return nr;
    }
    // An active booking of `room` on day `offset` (of meeting `nr`, or of no meeting).
    void Block(int offset, const std::string& room, const std::string& from, const std::string& to,
               const std::string& nr = "") {
        srv->Exec(
            "INSERT INTO AGEATIVISALA (CDFILIAL, DTATIAGESALA, NRSEQAGESALA, CDSALA, NRTAREFA, "
            "IDSITAGESALA, HRINIAGESALA, HRFINAGESALA) VALUES ('0001', ?, ?, ?, ?, 'A', ?, ?)",
            {Variant::FromDateTime(DateOf(Now()) + offset), std::to_string(90000 + ++m_seq), room,
             nr.empty() ? Variant() : Variant(nr), from, to});
    }
    // A blocking meeting with its booking on day `offset`, 09:30 to 10:30 in room 00001.
    std::string Blocker(int offset) {
        const std::string nr = NewMeeting("P", offset, 9, 1.0, "Outra reunião");
        Block(offset, "00001", "0930", "1030", nr);
        return nr;
    }
    static std::string Weekday(int offset) {
        return std::to_string(IsoWeekday(DateOf(Now()) + offset));
    }
    json Weekly(const std::string& nr, int count, const std::string& conflict, int offset = kDay) {
        return srv->Call("SetSerieReuniao",
                         {"0001", nr, "S", Weekday(offset), "", count, conflict});
    }
    std::string Count(const std::string& sql, const SqlParams& p = {}) {
        return srv->Value(sql, p);
    }
    std::string SeriesMeetings(const std::string& nr) {
        return Count("SELECT COUNT(*) FROM TAREFA WHERE NRSERIETARE = ?", {nr});
    }
    std::string SeriesBookings(const std::string& nr) {
        return Count(
            "SELECT COUNT(*) FROM AGEATIVISALA A JOIN TAREFA T ON T.CDFILIAL = A.CDFILIAL AND "
            "T.NRTAREFA = A.NRTAREFA WHERE T.NRSERIETARE = ? AND A.IDSITAGESALA = 'A'",
            {nr});
    }
    // What the database holds of every series, to show that a refused call changed nothing.
    std::string Snapshot() {
        return Count("SELECT COUNT(*) FROM TAREFA") + "/" +
               Count("SELECT COUNT(*) FROM AGEATIVISALA") + "/" +
               Count("SELECT COUNT(*) FROM PLANATIVTARE") + "/" +
               Count("SELECT COUNT(*) FROM SERIETAREFA") + "/" +
               Count("SELECT COUNT(*) FROM OCORSERIE") + "/" +
               Count("SELECT COUNT(*) FROM TAREFA WHERE NRSERIETARE IS NOT NULL");
    }
    int m_seq = 0;
};

TEST_P(SeriesTest, TakenDatesGetNoRoomOrAreSkippedAsAsked) {
    const std::string first = FirstMeeting();
    Blocker(kDay + 14);
    Blocker(kDay + 35);
    const json r = Weekly(first, 10, "S");
    ASSERT_FALSE(r.contains("error")) << r.dump();
    const json p = r["result"];
    EXPECT_EQ(Layout(p), (Strings{"DTOCORSERIE:datetime:0", "NRTAREFA:string:10",
                                  "IDSITOCOR:string:1", "CDSALA:string:5", "NMSALA:string:30"}));
    EXPECT_EQ(Column(p, "IDSITOCOR"), (Strings{"R", "R", "N", "R", "R", "N", "R", "R", "R", "R"}));
    EXPECT_EQ(Cell(p, 0, "NRTAREFA"), first);
    EXPECT_EQ(Cell(p, 9, "DTOCORSERIE"), Day(kDay + 63, 9));
    EXPECT_EQ(SeriesMeetings(first), "10");
    EXPECT_EQ(SeriesBookings(first), "8");
    // Each occurrence has the organiser's activity, moved to its own date.
    const std::string third = Cell(p, 2, "NRTAREFA");
    EXPECT_EQ(SqlDateTimeText(ParseSqlDateTime(
                  Count("SELECT DTINPATIVTAR FROM PLANATIVTARE WHERE NRTAREFA = ?", {third}))),
              SqlDateTimeText(DateOf(Now()) + kDay + 14 + 9 / 24.0));
    EXPECT_EQ(Status(third), "P");
    // The list shows which meetings belong to the series.
    json params = AllMeetingsParams();
    params[1] = third;
    params[2] = "";
    EXPECT_EQ(Cell(srv->Result("GetControle", params), 0, "NRSERIETARE"), first);

    const std::string other = FirstMeeting(kDay + 1, "00001");
    Blocker(kDay + 15);
    Blocker(kDay + 36);
    const json skip = Weekly(other, 10, "P", kDay + 1)["result"];
    EXPECT_EQ(Column(skip, "IDSITOCOR"),
              (Strings{"R", "R", "P", "R", "R", "P", "R", "R", "R", "R"}));
    EXPECT_EQ(Cell(skip, 2, "NRTAREFA"), json());
    EXPECT_EQ(SeriesMeetings(other), "8");
    EXPECT_EQ(SeriesBookings(other), "8");
}

TEST_P(SeriesTest, ASkippedDateComesBackOnlyOnceItsRoomIsFree) {
    const std::string first = FirstMeeting();
    const std::string blocker = Blocker(kDay + 7);
    const json p = Weekly(first, 3, "P")["result"];
    ASSERT_EQ(Cell(p, 1, "IDSITOCOR"), "P");
    const json date = Cell(p, 1, "DTOCORSERIE");
    const std::string before = Snapshot();
    const json refused = srv->Call("SetSerieReinclui", {"0001", first, date});
    EXPECT_EQ(refused["error"]["code"], "conflict");
    EXPECT_NE(refused["error"]["message"].get<std::string>().find("A sala "), std::string::npos);
    EXPECT_EQ(Snapshot(), before);

    // The series moves an hour later from its first meeting: the skipped date follows.
    ASSERT_FALSE(srv->Call("SetSerieSeguintes", {"0001", first, 60, "", "S"}).contains("error"));
    const json moved = Cell(srv->Result("GetSerieReuniao", {"0001", first}), 1, "DTOCORSERIE");
    EXPECT_EQ(moved, Day(kDay + 7, 10));
    EXPECT_EQ(srv->Error("SetSerieReinclui", {"0001", first, moved}), "conflict");

    ASSERT_FALSE(srv->Call("GetUpdCancelTarefa", {"0001", blocker}).contains("error"));
    EXPECT_EQ(srv->Error("SetSerieReinclui", {"0001", first, date}), "not_found");
    const json back = srv->Result("SetSerieReinclui", {"0001", first, moved});
    EXPECT_EQ(Column(back, "IDSITOCOR"), Strings{"R"});
    EXPECT_EQ(Count("SELECT HRINIAGESALA FROM AGEATIVISALA WHERE NRTAREFA = ?",
                    {Cell(back, 0, "NRTAREFA").get<std::string>()}),
              "1000");
    EXPECT_EQ(SeriesMeetings(first), "3");
    EXPECT_EQ(SeriesBookings(first), "3");
    const json series = srv->Result("GetSerieReuniao", {"0001", first});
    EXPECT_EQ(Column(series, "IDSITOCOR"), (Strings{"R", "R", "R"}));
    EXPECT_EQ(Column(series, "IDFREQSERIE"), (Strings{"S", "S", "S"}));
    EXPECT_EQ(Cell(series, 1, "NRTAREFA"), Cell(back, 0, "NRTAREFA"));
    // A date that is no longer skipped cannot be added twice.
    EXPECT_EQ(srv->Error("SetSerieReinclui", {"0001", first, moved}), "not_found");
}

TEST_P(SeriesTest, ThisAndTheFollowingMovesLaterOpenOccurrencesWithTheirBookings) {
    const std::string first = FirstMeeting();
    const json p = Weekly(first, 5, "S")["result"];
    const Strings nrs = Column(p, "NRTAREFA");
    // The 5th week's new hour is taken: kept unchanged with "P", left without room with "S".
    Block(kDay + 28, "00001", "1030", "1100");
    const json kept = srv->Result("SetSerieSeguintes", {"0001", nrs[2], 60, "", "P"});
    EXPECT_EQ(Column(kept, "NRTAREFA"), (Strings{nrs[3], nrs[4]}));
    EXPECT_EQ(Column(kept, "IDSITOCOR"), (Strings{"R", "P"}));
    EXPECT_EQ(Cell(kept, 0, "DTOCORSERIE"), Day(kDay + 21, 10));
    EXPECT_EQ(
        Count("SELECT HRINIAGESALA || HRFINAGESALA FROM AGEATIVISALA WHERE NRTAREFA = ?", {nrs[3]}),
        "10001100");
    EXPECT_EQ(Count("SELECT HRINIAGESALA FROM AGEATIVISALA WHERE NRTAREFA = ?", {nrs[4]}), "0900");
    EXPECT_EQ(Count("SELECT HRINIAGESALA FROM AGEATIVISALA WHERE NRTAREFA = ?", {nrs[1]}), "0900");

    // Another room for the following ones; a cancelled occurrence is left alone.
    ASSERT_FALSE(srv->Call("GetUpdCancelTarefa", {"0001", nrs[4]}).contains("error"));
    const json moved = srv->Result("SetSerieSeguintes", {"0001", nrs[1], 0, "00002", "S"});
    EXPECT_EQ(Column(moved, "NRTAREFA"), (Strings{nrs[2], nrs[3]}));
    EXPECT_EQ(Column(moved, "CDSALA"), (Strings{"00002", "00002"}));
    EXPECT_EQ(Count("SELECT CDSALA FROM AGEATIVISALA WHERE NRTAREFA = ?", {nrs[3]}), "00002");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM AGEATIVISALA WHERE NRTAREFA = ? AND CDSALA = '00001'",
                    {nrs[3]}),
              "0");
    const json series = srv->Result("GetSerieReuniao", {"0001", first});
    EXPECT_EQ(Column(series, "IDSITOCOR"), (Strings{"R", "R", "R", "R", "X"}));
    EXPECT_EQ(Column(series, "IDSITTAREFA"), (Strings{"P", "P", "P", "P", "X"}));
}

TEST_P(SeriesTest, ThisAndTheFollowingLeavesAnOccurrenceWhoseActivitiesStartedWhereItWas) {
    const std::string first = FirstMeeting();
    const Strings nrs = Column(Weekly(first, 3, "S")["result"], "NRTAREFA");
    srv->Exec("UPDATE PLANATIVTARE SET IDSITATIVTAR = 'A' WHERE NRTAREFA = ?", {nrs[2]});
    const std::string started =
        Count("SELECT DTHRREUNIAO FROM TAREFA WHERE NRTAREFA = ?", {nrs[2]}) + "/" +
        Count("SELECT HRINIAGESALA FROM AGEATIVISALA WHERE NRTAREFA = ?", {nrs[2]});
    const json moved = srv->Result("SetSerieSeguintes", {"0001", first, 60, "", "S"});
    EXPECT_EQ(Column(moved, "NRTAREFA"), (Strings{nrs[1], nrs[2]}));
    EXPECT_EQ(Column(moved, "IDSITOCOR"), (Strings{"R", "P"}));
    EXPECT_EQ(Count("SELECT HRINIAGESALA FROM AGEATIVISALA WHERE NRTAREFA = ?", {nrs[1]}), "1000");
    EXPECT_EQ(Count("SELECT DTHRREUNIAO FROM TAREFA WHERE NRTAREFA = ?", {nrs[2]}) + "/" +
                  Count("SELECT HRINIAGESALA FROM AGEATIVISALA WHERE NRTAREFA = ?", {nrs[2]}),
              started);
}

TEST_P(SeriesTest, RefusedCallsChangeNothing) {
    const std::string first = FirstMeeting();
    const std::string past = NewMeeting("P", -1);
    const std::string cancelled = NewMeeting("X", kDay + 2);
    const std::string before = Snapshot();
    auto refused = [&](const char* method, json params, const std::string& token = "") {
        const json r = token.empty() ? srv->Call(method, params) : srv->Call(method, params, token);
        EXPECT_EQ(Snapshot(), before) << method << " " << params.dump();
        return r.contains("error") ? r["error"]["code"].get<std::string>() : std::string("ok");
    };
    // Another branch: an operator who may not use it, and a number the branch does not have.
    const std::string ana = srv->Login("000000000002", "0001");
    EXPECT_EQ(refused("SetSerieReuniao", {"0002", first, "S", Weekday(kDay), "", 4, "S"}, ana),
              "forbidden");
    EXPECT_EQ(refused("SetSerieReuniao", {"0002", first, "S", Weekday(kDay), "", 4, "S"}),
              "not_found");
    // Beyond one year, by count or by end date; a weekday the first meeting is not on.
    EXPECT_EQ(refused("SetSerieReuniao", {"0001", first, "S", Weekday(kDay), "", 54, "S"}),
              "bad_arguments");
    EXPECT_EQ(refused("SetSerieReuniao", {"0001", first, "M", "", Day(kDay + 367), 0, "S"}),
              "bad_arguments");
    EXPECT_EQ(refused("SetSerieReuniao", {"0001", first, "S", Weekday(kDay + 1), "", 4, "S"}),
              "bad_arguments");
    EXPECT_EQ(
        refused("SetSerieReuniao", {"0001", first, "S", Weekday(kDay), Day(kDay + 30), 4, "S"}),
        "bad_arguments");
    // A first meeting in the past, and a cancelled one.
    EXPECT_EQ(refused("SetSerieReuniao", {"0001", past, "M", "", "", 3, "S"}), "bad_arguments");
    EXPECT_EQ(refused("SetSerieReuniao", {"0001", cancelled, "M", "", "", 3, "S"}), "conflict");

    ASSERT_FALSE(Weekly(first, 4, "S").contains("error"));
    const std::string made = Snapshot();
    // A meeting already in a series starts no other; moves across midnight or by a day fail
    // whole.
    EXPECT_EQ(srv->Error("SetSerieReuniao", {"0001", first, "S", Weekday(kDay), "", 3, "S"}),
              "conflict");
    EXPECT_EQ(srv->Error("SetSerieSeguintes", {"0001", first, 900, "", "S"}), "bad_arguments");
    EXPECT_EQ(srv->Error("SetSerieSeguintes", {"0001", first, -600, "", "S"}), "bad_arguments");
    EXPECT_EQ(srv->Error("SetSerieSeguintes", {"0001", first, 1440, "", "S"}), "bad_arguments");
    EXPECT_EQ(srv->Error("SetSerieSeguintes", {"0001", first, 0, "99999", "S"}), "not_found");
    EXPECT_EQ(Snapshot(), made);
    // A date in the past is never added back, even when it was skipped.
    srv->Exec(
        "INSERT INTO OCORSERIE (CDFILIAL, NRSERIETARE, DTOCORSERIE, IDSITOCOR, CDSALA) "
        "VALUES ('0001', ?, ?, 'P', '00001')",
        {first, Variant::FromDateTime(DateOf(Now()) - 2 + 9 / 24.0)});
    EXPECT_EQ(srv->Error("SetSerieReinclui", {"0001", first, Day(-2, 9)}), "bad_arguments");
}

INSTANTIATE_TEST_SUITE_P(Backends, SeriesTest, ::testing::Values(false, true), EngineName);

}  // namespace
}  // namespace zel::appserver::test
