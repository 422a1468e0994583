// A meeting's activities over RPC: the list in the client's layout, change packets with
// server stamps and status rules, fresh numbers, the grid's code checks, and the checks and
// removal around saving and deleting a meeting.
#include <gtest/gtest.h>

#include <set>

#include "meeting_fixture.h"

namespace zel::appserver::test {
namespace {

class ActivitiesTest : public MeetingFixture {
  protected:
    Values NewRow(const std::string& nr, const std::string& number) {
        return {{"NRPLATIVTARE", number},
                {"CDFILIAL", "0001"},
                {"NRTAREFA", nr},
                {"CDPROCESSO", "0000000003"},
                {"CDOPERRESP", "000000000004"},
                {"DTINPATIVTAR", Day(40, 9)},
                {"DTFIPATIVTAR", Day(40, 10, 30)},
                {"QTHRPATIVTAR", 1.5},
                {"QTHRPATIVTARE", "000130"},
                {"IDSITATIVTAR", "C"},
                {"DTINCATIVTAR", Dt("2001-01-01T00:00:00")},
                {"CDOPERINCL", "000000000005"},
                {"NMPROCESSO", "não é gravado"},
                {"CDITEMTRAB", "0000000002"}};
    }
    json Send(json changes) {
        return srv->Call("SetAtividades", {ChangesOf(ActivityLayout(), std::move(changes))});
    }
    json List(const std::string& nr) { return srv->Result("GetAtividades", {"0001", nr}); }
};

TEST_P(ActivitiesTest, ListCarriesNamesAndDurationTextsInTheClientsLayout) {
    const std::string nr = NewMeeting("P");
    NewActivity(nr, "00002", "000000000003", "A");
    NewActivity(nr, "00001", "000000000002", "P", "0000000003");
    const json list = List(nr);
    EXPECT_EQ(Layout(list), LayoutOf(ActivityLayout()));
    ASSERT_EQ(list["rows"].size(), 2u);
    EXPECT_EQ(Column(list, "NRPLATIVTARE"), (Strings{"00001", "00002"}));
    EXPECT_EQ(Cell(list, 0, "NMPROCESSO"), "Planejamento");
    EXPECT_EQ(Cell(list, 0, "CDARVPROCESS"), "0102");
    EXPECT_EQ(Cell(list, 0, "IDPROREUNIAO"), "N");
    EXPECT_EQ(Cell(list, 1, "IDPROREUNIAO"), "S");
    EXPECT_EQ(Cell(list, 0, "NMOPERADOR"), "Ana Souza");
    EXPECT_EQ(Cell(list, 0, "QTHRPATIVTARE"), "000130");
    EXPECT_EQ(Cell(list, 0, "QTHORAS"), "000130");
    EXPECT_TRUE(List("9999999999")["rows"].empty());
}

TEST_P(ActivitiesTest, InsertIsPendingAndStampedWhateverTheClientSent) {
    FixClock("2026-12-07T11:00:00");
    const std::string nr = NewMeeting("P");
    const std::string number = srv->Result("GetPrxPlanAtivTare", {"0001", nr});
    EXPECT_EQ(number, "00001");
    const json r = Send({Insert(ActivityLayout(), NewRow(nr, number))});
    ASSERT_FALSE(r.contains("error")) << r.dump();
    const json list = List(nr);
    ASSERT_EQ(list["rows"].size(), 1u);
    EXPECT_EQ(Cell(list, 0, "IDSITATIVTAR"), "P");
    EXPECT_EQ(Cell(list, 0, "CDOPERINCL"), "000000000001");
    EXPECT_EQ(Cell(list, 0, "DTINCATIVTAR"), Dt("2026-12-07T11:00:00"));
    EXPECT_EQ(Cell(list, 0, "IDOPERPAREUNIAO"), "N");
    EXPECT_EQ(Cell(list, 0, "NMPROCESSO"), "Planejamento");  // names only travel
    EXPECT_EQ(Cell(list, 0, "NMITEMTRAB"), "Preparação de Pauta");

    // An edit re-stamps the last writer.
    FixClock("2026-12-07T12:00:00");
    const std::string carla = srv->Login("000000000004", "0001");
    Values old = RowValues(list, 0), changed = old;
    changed["CDOPERRESP"] = "000000000005";
    const json u =
        srv->Call("SetAtividades",
                  {ChangesOf(ActivityLayout(), {Update(ActivityLayout(), old, changed)})}, carla);
    ASSERT_FALSE(u.contains("error")) << u.dump();
    const json after = List(nr);
    EXPECT_EQ(Cell(after, 0, "CDOPERINCL"), "000000000004");
    EXPECT_EQ(Cell(after, 0, "DTINCATIVTAR"), Dt("2026-12-07T12:00:00"));
    // The same change again is stale.
    EXPECT_EQ(Send({Update(ActivityLayout(), old, changed)})["error"]["code"], "stale_row");
}

TEST_P(ActivitiesTest, PlanActivityNumbersAreFreshAndAboveStoredOnes) {
    const std::string nr = NewMeeting("P");
    NewActivity(nr, "00007", "000000000002", "P");
    std::set<std::string> seen;
    for (int i = 0; i < 3; ++i) {
        const std::string n = srv->Result("GetPrxPlanAtivTare", {"0001", nr});
        EXPECT_EQ(n.size(), 5u);
        EXPECT_GT(n, "00007");
        EXPECT_TRUE(seen.insert(n).second) << n;
    }
    EXPECT_EQ(srv->Error("GetPrxPlanAtivTare", {"0001", "9999999999"}), "not_found");
    // A row sent without a number gets one.
    Values row = NewRow(nr, "");
    row["NRPLATIVTARE"] = nullptr;
    ASSERT_FALSE(Send({Insert(ActivityLayout(), row)}).contains("error"));
    EXPECT_EQ(List(nr)["rows"].size(), 2u);
}

TEST_P(ActivitiesTest, ClosedMeetingsAndClosedActivitiesAreNotChanged) {
    for (const char* status : {"X", "C"}) {
        const std::string nr = NewMeeting(status);
        EXPECT_EQ(Send({Insert(ActivityLayout(), NewRow(nr, "00001"))})["error"]["code"],
                  "conflict")
            << status;
    }
    const std::string nr = NewMeeting("P");
    NewActivity(nr, "00001", "000000000002", "C");
    NewActivity(nr, "00002", "000000000003", "P");
    const json list = List(nr);
    Values done = RowValues(list, 0), changed = done;
    changed["CDOPERRESP"] = "000000000005";
    EXPECT_EQ(Send({Update(ActivityLayout(), done, changed)})["error"]["code"], "conflict");
    // A packet deleting a pending and a concluded activity is refused whole.
    EXPECT_EQ(Send({Delete(ActivityLayout(), RowValues(list, 1)),
                    Delete(ActivityLayout(), done)})["error"]["code"],
              "conflict");
    EXPECT_EQ(List(nr)["rows"].size(), 2u);
    EXPECT_FALSE(Send({Delete(ActivityLayout(), RowValues(list, 1))}).contains("error"));
    EXPECT_EQ(List(nr)["rows"].size(), 1u);
}

TEST_P(ActivitiesTest, UnknownCodesAreRefusedWithTheirOwnMessages) {
    const std::string nr = NewMeeting("P");
    // A number handed out for the meeting: each refused packet leaves it unused.
    const std::string number = srv->Result("GetPrxPlanAtivTare", {"0001", nr});
    auto refusal = [&](const char* field, json value) {
        Values row = NewRow(nr, number);
        row[field] = std::move(value);
        return Send({Insert(ActivityLayout(), row)})["error"];
    };
    EXPECT_EQ(refusal("CDPROCESSO", "9999999999")["message"], "Processo não cadastrado.");
    EXPECT_EQ(refusal("CDPROCESSO", "")["message"], "Processo deve ser informado.");
    EXPECT_EQ(refusal("CDOPERRESP", "999999999999")["message"], "Participante não cadastrado.");
    EXPECT_EQ(refusal("CDITEMTRAB", "9999999999")["message"], "Item de Trabalho não cadastrado.");
    EXPECT_EQ(refusal("QTHRPATIVTAR", 24.0)["code"], "bad_arguments");
    EXPECT_EQ(refusal("DTFIPATIVTAR", Day(40, 8))["code"], "bad_arguments");
    EXPECT_EQ(refusal("CDOPERRESP", std::string(13, '1'))["code"], "too_long");
    EXPECT_TRUE(List(nr)["rows"].empty());
}

TEST_P(ActivitiesTest, GridCodeChecksFindActiveRowsAndNothingForUnknownCodes) {
    const json proc = srv->Result("GetValProc", {"01.01"});
    EXPECT_EQ(Layout(proc), (Strings{"CDPROCESSO:string:10", "CDARVPROCESS:string:20",
                                     "CDNVPROCESSO:string:1", "NMPROCESSO:string:100"}));
    EXPECT_EQ(Column(proc, "NMPROCESSO"), Strings{"Participar de Reunião"});
    EXPECT_TRUE(srv->Result("GetValProc", {"77"})["rows"].empty());
    EXPECT_TRUE(srv->Result("GetValProc", {""})["rows"].empty());

    EXPECT_EQ(Column(srv->Result("GetValOper", {"000000000003"}), "NMOPERADOR"),
              Strings{"Bruno Lima"});
    srv->Exec("UPDATE OPERADOR SET IDATIVO = 'N' WHERE CDOPERADOR = '000000000005'");
    EXPECT_TRUE(srv->Result("GetValOper", {"000000000005"})["rows"].empty());

    const json item = srv->Result("GetValPesqItTrab", {"3", "0101"});
    EXPECT_EQ(Layout(item),
              (Strings{"CDITEMTRAB:string:10", "NMITEMTRAB:string:100", "CDARVITTRAB:string:20"}));
    EXPECT_EQ(Column(item, "CDITEMTRAB"), Strings{"0000000002"});
    EXPECT_TRUE(srv->Result("GetValPesqItTrab", {"3", "0909"})["rows"].empty());
    EXPECT_EQ(srv->Error("GetValPesqItTrab", {"x", "0101"}), "bad_arguments");
}

TEST_P(ActivitiesTest, StartedParticipationBlocksTheMeetingAndDeleteNeedsAPendingMeeting) {
    const std::string nr = NewMeeting("P");
    NewActivity(nr, "00001", "000000000002", "P");
    NewActivity(nr, "00002", "000000000003", "A", "0000000003");  // not participation
    EXPECT_TRUE(srv->Result("GetAuxAtiv", {"0001", nr})["rows"].empty());
    NewActivity(nr, "00003", "000000000004", "C");
    const json aux = srv->Result("GetAuxAtiv", {"0001", nr});
    EXPECT_EQ(Layout(aux), (Strings{"CDFILIAL:string:4", "NRTAREFA:string:10",
                                    "IDPROREUNIAO:string:1", "IDSITATIVTAR:string:1"}));
    EXPECT_EQ(Column(aux, "IDSITATIVTAR"), Strings{"C"});

    const std::string running = NewMeeting("A");
    NewActivity(running, "00001", "000000000002", "P");
    EXPECT_EQ(srv->Error("GetDelAtiv", {"0001", running}), "conflict");
    EXPECT_EQ(List(running)["rows"].size(), 1u);
    EXPECT_EQ(srv->Result("GetDelAtiv", {"0001", nr}), 3);
    EXPECT_EQ(srv->Result("GetDelAtiv", {"0001", "9999999999"}), 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, ActivitiesTest, ::testing::Values(false, true), EngineName);

}  // namespace
}  // namespace zel::appserver::test
