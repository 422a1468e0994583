// Activities following meeting changes over RPC: booking them for a new meeting, re-timing
// them after an edit, concluding a meeting, and carrying participants over from another
// meeting.
#include <gtest/gtest.h>

#include "meeting_fixture.h"

namespace zel::appserver::test {
namespace {

class ActivitySyncTest : public MeetingFixture {
  protected:
    json Insere(const std::string& nr, int number, const std::string& process, json start, json end,
                json hours) {
        return srv->Call("GetInsereAtiv",
                         {"0001", nr, number, process, Dt("1999-01-01T00:00:00"), "000000000003",
                          "000000000005", std::move(start), std::move(end), std::move(hours)});
    }
    std::vector<SqlRow> Stored(const std::string& nr) {
        return srv->Rows(
            "SELECT NRPLATIVTARE, CDPROCESSO, CDOPERRESP, DTINPATIVTAR, DTFIPATIVTAR, "
            "QTHRPATIVTAR, IDSITATIVTAR, CDOPERINCL, DTINCATIVTAR FROM PLANATIVTARE "
            "WHERE NRTAREFA = ? ORDER BY NRPLATIVTARE",
            {nr});
    }
};

TEST_P(ActivitySyncTest, ProcessesOfANewMeetingAreItsOwnAndEveryParticipationOneOnce) {
    const json p = srv->Result("GetCarregaAtividade", {"01.02"});
    EXPECT_EQ(Layout(p),
              (Strings{"CDPROCESSO:string:10", "CDNVPROCESSO:string:1", "CDARVPROCESS:string:20",
                       "NMPROCESSO:string:100", "IDTPPROCESSO:string:1", "CDSETOR:string:4",
                       "IDPROREUNIAO:string:1"}));
    EXPECT_EQ(Column(p, "CDARVPROCESS"), (Strings{"0101", "0102"}));
    EXPECT_EQ(Column(srv->Result("GetCarregaAtividade", {"0101"}), "CDARVPROCESS"),
              Strings{"0101"});
    EXPECT_EQ(Column(srv->Result("GetCarregaAtividade", {"99"}), "CDARVPROCESS"), Strings{"0101"});
}

TEST_P(ActivitySyncTest, InsereAtivStoresBothFormsStampedByTheServer) {
    FixClock("2026-12-07T10:00:00");
    const std::string nr = NewMeeting("P");
    for (const char* expected : {"00001", "00002"})
        ASSERT_EQ(srv->Result("GetPrxPlanAtivTare", {"0001", nr}), expected);
    ASSERT_FALSE(Insere(nr, 1, "0000000002", Day(40, 9), Day(40, 10, 30), "1,5").contains("error"));
    ASSERT_FALSE(Insere(nr, 2, "0000000003", "", "", "").contains("error"));
    const auto rows = Stored(nr);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0].AsString(), "00001");
    EXPECT_EQ(rows[0][2].AsString(), "000000000003");
    EXPECT_FALSE(rows[0][3].IsNull());
    EXPECT_DOUBLE_EQ(rows[0][5].AsFloat(), 1.5);
    EXPECT_EQ(rows[0][6].AsString(), "P");
    EXPECT_EQ(rows[0][7].AsString(), "000000000001");
    EXPECT_EQ(rows[0][8].AsString().substr(0, 19), "2026-12-07 10:00:00");
    EXPECT_TRUE(rows[1][3].IsNull());
    EXPECT_TRUE(rows[1][4].IsNull());
    EXPECT_TRUE(rows[1][5].IsNull());

    EXPECT_EQ(Insere(nr, 1, "0000000002", "", "", "")["error"]["code"], "bad_arguments");
    EXPECT_EQ(Insere(nr, 3, "0000000002", Day(40, 9), Day(40, 8), "1")["error"]["code"],
              "bad_arguments");
    EXPECT_EQ(Insere(nr, 3, "0000000002", "amanhã", "", "")["error"]["code"], "bad_arguments");
    EXPECT_EQ(Insere(nr, 3, "0000000002", "", "", "1,x")["error"]["code"], "bad_arguments");
    EXPECT_EQ(Insere(nr, 3, "9999999999", "", "", "")["error"]["code"], "not_found");
    EXPECT_EQ(Insere(NewMeeting("X"), 1, "0000000002", "", "", "")["error"]["code"], "conflict");
    EXPECT_EQ(Stored(nr).size(), 2u);
}

TEST_P(ActivitySyncTest, EditedMeetingRetimesOnlyItsPendingParticipationActivities) {
    FixClock("2026-12-07T10:00:00");
    const std::string nr = NewMeeting("P");
    NewActivity(nr, "00001", "000000000002", "P");
    NewActivity(nr, "00002", "000000000003", "A");
    NewActivity(nr, "00003", "000000000004", "P", "0000000003");
    // Number first, then branch.
    const json pending = srv->Result("GetAlteraAtiv", {nr, "0001"});
    EXPECT_EQ(Layout(pending),
              (Strings{"CDFILIAL:string:4", "NRTAREFA:string:10", "CDPROCESSO:string:10",
                       "IDSITATIVTAR:string:1", "IDPROREUNIAO:string:1", "NRPLATIVTARE:string:5",
                       "CDITEMTRAB:string:10", "DTINPATIVTAR:datetime:0", "DTFIPATIVTAR:datetime:0",
                       "CDOPERRESP:string:12", "CDOPERINCL:string:12"}));
    EXPECT_EQ(Column(pending, "NRPLATIVTARE"), Strings{"00001"});

    auto upd = [&](const std::string& number) {
        return srv->Call("GetUpdAtiv",
                         {"0000000002", "000000000002", Day(41, 15), Day(41, 14), "1",
                          Dt("1999-01-01T00:00:00"), "000000000005", "", "0001", nr, number});
    };
    ASSERT_FALSE(upd("00001").contains("error"));
    const auto rows = Stored(nr);
    EXPECT_EQ(rows[0][3].AsString().substr(0, 16),
              SqlDateTimeText(DateOf(Now()) + 41 + 14 / 24.0).substr(0, 16));
    EXPECT_DOUBLE_EQ(rows[0][5].AsFloat(), 1.0);
    EXPECT_EQ(rows[0][7].AsString(), "000000000001");
    EXPECT_EQ(upd("00002")["error"]["code"], "conflict");  // started meanwhile
    EXPECT_EQ(upd("00009")["error"]["code"], "not_found");
    EXPECT_NE(Stored(nr)[1][3].AsString().substr(0, 10),
              SqlDateTimeText(DateOf(Now()) + 41).substr(0, 10));
}

TEST_P(ActivitySyncTest, MeetingIsConcludedOnlyWhenNoActivityIsOpen) {
    const std::string nr = NewMeeting("P");
    NewActivity(nr, "00001", "000000000002", "C");
    NewActivity(nr, "00002", "000000000003", "I");
    const json open = srv->Result("GetConcTarefa", {"0001", nr});
    EXPECT_EQ(Layout(open),
              (Strings{"CDFILIAL:string:4", "NRTAREFA:string:10", "IDSITATIVTAR:string:1"}));
    EXPECT_EQ(Column(open, "IDSITATIVTAR"), Strings{"I"});
    EXPECT_EQ(srv->Error("GetUpdConcTarefa", {"0001", nr}), "conflict");
    EXPECT_EQ(Status(nr), "P");
    srv->Exec("DELETE FROM PLANATIVTARE WHERE NRTAREFA = ? AND NRPLATIVTARE = '00002'", {nr});
    EXPECT_TRUE(srv->Result("GetConcTarefa", {"0001", nr})["rows"].empty());
    EXPECT_EQ(srv->Result("GetUpdConcTarefa", {"0001", nr}), 1);
    EXPECT_EQ(Status(nr), "C");
    EXPECT_EQ(srv->Error("GetUpdConcTarefa", {"0001", NewMeeting("X")}), "conflict");
}

TEST_P(ActivitySyncTest, ParticipantsMissingInTheDestinationAreBookedOnce) {
    FixClock("2026-12-07T10:00:00");
    const std::string src = NewMeeting("C", -3);
    NewActivity(src, "00001", "000000000002", "C");
    NewActivity(src, "00002", "000000000002", "C", "0000000003");
    NewActivity(src, "00003", "000000000003", "C");
    NewActivity(src, "00004", "000000000004", "X");  // cancelled: not a participant
    NewActivity(src, "00005", "000000000005", "C");
    const std::string dst = NewMeeting("P", 40, 14, 1.5);
    NewActivity(dst, "00001", "000000000003", "P");
    const json source = srv->Result("GetAtividadesAux", {"0001", src});
    EXPECT_EQ(Layout(source)[13], "QTHORAS:fixedchar:6");
    ASSERT_EQ(source["rows"].size(), 5u);
    json dest = srv->Result("GetAtividadesAux", {"0001", dst});
    // 000000000005 was booked meanwhile by someone else: the stale destination packet lacks it.
    NewActivity(dst, "00002", "000000000005", "P");

    const json args = {dest,
                       source,
                       "0001",
                       dst,
                       Day(40, 15, 30),
                       Day(40, 14),
                       "1,5",
                       Dt("1999-01-01T00:00:00"),
                       "000000000004"};
    const json r = srv->Call("SetParticipantesAuto", args);
    ASSERT_FALSE(r.contains("error")) << r.dump();
    EXPECT_EQ(r["result"], 1);
    const auto rows = Stored(dst);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2][1].AsString(), "0000000002");
    EXPECT_EQ(rows[2][2].AsString(), "000000000002");
    EXPECT_EQ(rows[2][3].AsString().substr(11, 5), "14:00");
    EXPECT_EQ(rows[2][4].AsString().substr(11, 5), "15:30");
    EXPECT_DOUBLE_EQ(rows[2][5].AsFloat(), 1.5);
    EXPECT_EQ(rows[2][6].AsString(), "P");
    EXPECT_EQ(rows[2][7].AsString(), "000000000001");
    // Running it again books nobody.
    EXPECT_EQ(srv->Result("SetParticipantesAuto", args), 0);
    json bad = args;
    bad[1] = {{"fields", json::array({{{"name", "X"}, {"type", "string"}, {"size", 1}}})},
              {"rows", json::array()}};
    EXPECT_EQ(srv->Error("SetParticipantesAuto", bad), "bad_arguments");
}

INSTANTIATE_TEST_SUITE_P(Backends, ActivitySyncTest, ::testing::Values(false, true), EngineName);

}  // namespace
}  // namespace zel::appserver::test
