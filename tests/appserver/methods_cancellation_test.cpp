// Cancelling a meeting over RPC, step by step as the window runs it: status check,
// participants, personal notices, activities, meeting and room.
#include <gtest/gtest.h>

#include "meeting_fixture.h"

namespace zel::appserver::test {
namespace {

class CancellationTest : public MeetingFixture {
  protected:
    // A pending meeting with a room and four activities of three participants, one of them
    // already cancelled and one concluded.
    std::string MeetingWithParticipants() {
        const std::string nr = NewMeeting("P", 40, 9, 1.0, "Planejamento do orçamento anual");
        NewActivity(nr, "00001", "000000000002", "P");
        NewActivity(nr, "00002", "000000000002", "P", "0000000003");
        NewActivity(nr, "00003", "000000000003", "C");
        NewActivity(nr, "00004", "000000000004", "X");
        NewActivity(nr, "00005", "000000000001", "P");
        srv->Exec(
            "INSERT INTO AGEATIVISALA (CDFILIAL, DTATIAGESALA, NRSEQAGESALA, CDSALA, "
            "NRTAREFA, IDSITAGESALA, HRINIAGESALA, HRFINAGESALA) VALUES "
            "('0001', ?, '00900', '00002', ?, 'A', '0900', '1000')",
            {Variant::FromDateTime(DateOf(Now()) + 40), nr});
        return nr;
    }
    std::string Activities(const std::string& nr) {
        std::string out;
        for (const SqlRow& r : srv->Rows("SELECT IDSITATIVTAR FROM PLANATIVTARE WHERE "
                                         "NRTAREFA = ? ORDER BY NRPLATIVTARE",
                                         {nr}))
            out += r[0].AsString();
        return out;
    }
};

TEST_P(CancellationTest, ParticipantsComeOnceEachWithTheMeetingsData) {
    const std::string nr = MeetingWithParticipants();
    const json test = srv->Result("GetTestaReuniao", {"0001", nr});
    EXPECT_EQ(Layout(test), (Strings{"DSREFETAREFA:string:100", "IDSITTAREFA:string:1"}));
    EXPECT_EQ(Cell(test, 0, "IDSITTAREFA"), "P");
    EXPECT_TRUE(srv->Result("GetTestaReuniao", {"0001", "9999999999"})["rows"].empty());

    const json parts = srv->Result("GetAtivReuniao", {"0001", nr});
    EXPECT_EQ(Layout(parts),
              (Strings{"NMPROCTARE:string:100", "CDOPERRESP:string:12", "NMOPERATIV:string:40",
                       "DTHRREUNIAO:datetime:0", "DSREFETAREFA:string:100"}));
    // 000000000002 has two activities, 000000000004 only a cancelled one.
    EXPECT_EQ(Column(parts, "CDOPERRESP"),
              (Strings{"000000000001", "000000000002", "000000000003"}));
    EXPECT_EQ(Cell(parts, 1, "NMOPERATIV"), "Ana Souza");
    EXPECT_EQ(Cell(parts, 1, "NMPROCTARE"), "Participar de Reunião");
    EXPECT_EQ(Cell(parts, 1, "DSREFETAREFA"), "Planejamento do orçamento anual");
}

TEST_P(CancellationTest, NoticesAreNumberedPerOperatorAndStampedByTheServer) {
    FixClock("2026-12-07T16:45:00");
    const std::string ana = "000000000002";
    const int64_t first = srv->Result("GetPrxAtivPessoal", {ana}).get<int64_t>();
    const int64_t second = srv->Result("GetPrxAtivPessoal", {ana}).get<int64_t>();
    EXPECT_GT(second, first);
    const json r = srv->Call("GetInsAtivPessoal",
                             {ana, second, "Reunião, agendada para 16/01/2027 foi cancelada por X.",
                              Dt("1999-01-01T00:00:00"), "P", "S", "0"});
    ASSERT_FALSE(r.contains("error")) << r.dump();
    // A number serves one notice; an unknown operator and a bad number are refused.
    EXPECT_EQ(srv->Error("GetInsAtivPessoal",
                         {ana, second, "x", Dt("2026-12-07T00:00:00"), "P", "S", "0"}),
              "bad_arguments");
    EXPECT_EQ(srv->Error("GetPrxAtivPessoal", {"999999999999"}), "not_found");
    EXPECT_EQ(
        srv->Error("GetInsAtivPessoal", {ana, 0, "x", Dt("2026-12-07T00:00:00"), "P", "S", "0"}),
        "bad_arguments");
    EXPECT_EQ(srv->Error("GetInsAtivPessoal", {ana, 5, std::string(1001, 'a'),
                                               Dt("2026-12-07T00:00:00"), "P", "S", "0"}),
              "too_long");

    // Ana reads her notice; nobody else may.
    EXPECT_EQ(srv->Error("GetAtivPessoal", {ana}), "forbidden");
    const std::string token = srv->Login(ana, "0001");
    const json mine = srv->Call("GetAtivPessoal", {""}, token)["result"];
    ASSERT_EQ(mine["rows"].size(), 1u);
    EXPECT_EQ(Cell(mine, 0, "NRATIVPESSOAL"), second);
    EXPECT_EQ(Cell(mine, 0, "DTHRATIVPESSOAL"), Dt("2026-12-07T16:45:00"));
    EXPECT_EQ(Cell(mine, 0, "IDSITATIVPESS"), "P");
    EXPECT_EQ(Cell(mine, 0, "IDAVISO"), "S");
    EXPECT_EQ(Cell(mine, 0, "IDLIDO"), "0");
}

TEST_P(CancellationTest, CancellingSetsOpenActivitiesAndTheMeetingAndFreesTheRoom) {
    const std::string nr = MeetingWithParticipants();
    EXPECT_EQ(srv->Result("GetUpdCancelAtiv", {"0001", nr}), 3);
    EXPECT_EQ(Activities(nr), "XXCXX");
    EXPECT_EQ(srv->Result("GetUpdCancelTarefa", {"0001", nr}), 1);
    EXPECT_EQ(Status(nr), "X");
    EXPECT_EQ(srv->Value("SELECT COUNT(*) FROM AGEATIVISALA WHERE NRTAREFA = ?", {nr}), "0");
    // The window's own room step then finds nothing left to free.
    EXPECT_EQ(srv->Result("GetDelSala", {"0001", "00002", Day(40), "00900"}), 0);
    // Again: nothing changes, no error.
    EXPECT_EQ(srv->Result("GetUpdCancelTarefa", {"0001", nr}), 1);
}

TEST_P(CancellationTest, CancellingTheMeetingAloneAlsoClosesItsActivities) {
    const std::string nr = MeetingWithParticipants();
    EXPECT_EQ(srv->Result("GetUpdCancelTarefa", {"0001", nr}), 1);
    EXPECT_EQ(Activities(nr), "XXCXX");
}

TEST_P(CancellationTest, AConcludedMeetingIsNeverCancelledNorItsActivities) {
    const std::string nr = NewMeeting("C");
    NewActivity(nr, "00001", "000000000002", "P");
    EXPECT_EQ(srv->Error("GetUpdCancelAtiv", {"0001", nr}), "conflict");
    EXPECT_EQ(srv->Error("GetUpdCancelTarefa", {"0001", nr}), "conflict");
    EXPECT_EQ(Status(nr), "C");
    EXPECT_EQ(Activities(nr), "P");
    EXPECT_EQ(srv->Error("GetUpdCancelTarefa", {"0001", "9999999999"}), "not_found");
    const std::string ana = srv->Login("000000000002", "0001");
    EXPECT_EQ(srv->Call("GetUpdCancelTarefa", {"0002", nr}, ana)["error"]["code"], "forbidden");
}

INSTANTIATE_TEST_SUITE_P(Backends, CancellationTest, ::testing::Values(false, true), EngineName);

}  // namespace
}  // namespace zel::appserver::test
