// The meetings' history over RPC, on SQLite and PostgreSQL: each kind of write leaves exactly
// its record stamped with the session's operator, refused writes leave none, the history is
// private to the branch, append-only, and outlives the meeting.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "appserver/history_csv.h"
#include "appserver/methods_agenda.h"
#include "appserver/rpc_error.h"
#include "meeting_fixture.h"

namespace zel::appserver::test {
namespace {

json Delta(const std::vector<FieldDef>& fields, json changes) {
    return DeltaOfFields(fields, std::move(changes));
}
json Row(const std::vector<FieldDef>& fields, const Values& values) {
    return RowOfFields(fields, values);
}

class HistoryTest : public MeetingFixture {
  protected:
    // The meeting's history records as "kind op operator method" lines, oldest first,
    // leaving out the `skip` oldest (those of the test's own set-up).
    Strings Records(const std::string& nr, size_t skip = 0) {
        const json h = srv->Result("GetHistorico", {"0001", nr});
        Strings out;
        for (size_t i = h["rows"].size(); i-- > 0;) {
            const json op = Cell(h, i, "CDOPERADOR"), method = Cell(h, i, "NMMETODO");
            out.push_back(Cell(h, i, "IDTIPOHIST").get<std::string>() + " " +
                          Cell(h, i, "IDOPERACAO").get<std::string>() + " " +
                          (op.is_null() ? "-" : op.get<std::string>()) + " " +
                          (method.is_null() ? "-" : method.get<std::string>()));
        }
        return {out.begin() + static_cast<long>(std::min(skip, out.size())), out.end()};
    }
    size_t Count(const std::string& nr) { return Records(nr).size(); }
    // The changed fields of the newest record of the meeting.
    json LatestChanges(const std::string& nr) {
        return json::parse(
            Cell(srv->Result("GetHistorico", {"0001", nr}), 0, "DSALTERACAO").get<std::string>());
    }
    json MeetingRowOf(const std::string& nr) {
        const json list = srv->Result("GetControle", AllMeetingsParams());
        for (size_t i = 0; i < list["rows"].size(); ++i)
            if (Cell(list, i, "NRTAREFA") == nr) return list["rows"][i];
        ADD_FAILURE() << "meeting " << nr << " not listed";
        return json();
    }
    json MoveMeeting(const std::string& nr, const std::string& iso, const std::string& token = "") {
        const json before = MeetingRowOf(nr);
        json after = before;
        after[FieldIndex(srv->Result("GetControle", AllMeetingsParams()), "DTHRREUNIAO")] = Dt(iso);
        return srv->Call("SetControle",
                         {MeetingDelta({{{"op", "update"}, {"old", before}, {"new", after}}})},
                         token.empty() ? srv->Token() : token);
    }
};

TEST_P(HistoryTest, EachKindOfChangeLeavesExactlyItsRecordWithTheSessionsOperator) {
    const std::string nr = NewMeeting("P");
    NewActivity(nr, "00001", "000000000002", "P");
    const size_t setUp = Count(nr);
    ASSERT_EQ(setUp, 2u);  // written outside any call: no operator, no method
    EXPECT_EQ(Records(nr)[0], "meeting I - -");

    const std::string target = DateTimeToIso(DateOf(Now()) + 41 + 14 / 24.0).substr(0, 19);
    ASSERT_FALSE(MoveMeeting(nr, target).contains("error"));
    const json moved = LatestChanges(nr);
    ASSERT_EQ(moved.size(), 1u) << moved.dump();
    EXPECT_EQ(moved[0][0], "DTHRREUNIAO");
    EXPECT_EQ(moved[0][2].get<std::string>().substr(0, 16),
              target.substr(0, 10) + (GetParam() ? "T" : " ") + "14:00");

    const Values booking = {{"CDFILIAL", "0001"},
                            {"NRTAREFA", nr},
                            {"CDSALA", "00002"},
                            {"DTATIAGESALA", Day(41)},
                            {"NRSEQAGESALA", HandedOutSequence(41)},
                            {"IDSITAGESALA", "A"},
                            {"HRINIAGESALA", "1400"},
                            {"HRFINAGESALA", "1500"}};
    ASSERT_FALSE(
        srv->Call("SetSalas", {ChangesOf(BookingLayout(), {Insert(BookingLayout(), booking)})})
            .contains("error"));

    Values act = RowValues(srv->Result("GetAtividades", {"0001", nr}), 0), edited = act;
    edited["QTHRPATIVTAR"] = 2.0;
    ASSERT_FALSE(srv->Call("SetAtividades",
                           {ChangesOf(ActivityLayout(), {Update(ActivityLayout(), act, edited)})})
                     .contains("error"));

    const std::string item = srv->Result("GetPrxItemTarefa", {"0001"}).get<std::string>();
    const Values agenda = {{"CDFILIAL", "0001"},
                           {"NRTAREFA", nr},
                           {"NRSEQUITTARE", item},
                           {"DSREFEITTARE", "Orçamento"},
                           {"NRPRIOITTARE", "1"}};
    ASSERT_FALSE(srv->Call("SetItemTarefa",
                           {Delta(ItemTarefaFields(),
                                  {{{"op", "insert"}, {"new", Row(ItemTarefaFields(), agenda)}}})})
                     .contains("error"));
    const std::string text(600, 'a');
    const Values minutes = {
        {"CDFILIAL", "0001"}, {"NRTAREFA", nr}, {"NRSEQUITTARE", item}, {"TXDESCITTARE", text}};
    ASSERT_FALSE(srv->Call("SetDescItTare",
                           {Delta(DescItTareFields(),
                                  {{{"op", "insert"}, {"new", Row(DescItTareFields(), minutes)}}})})
                     .contains("error"));
    // Minutes: that they changed and their length, never the text.
    EXPECT_EQ(LatestChanges(nr), json::parse(R"([["TXDESCITTARE",null,600,"len"]])"));

    EXPECT_EQ(
        Records(nr, setUp),
        (Strings{"meeting U 000000000001 SetControle", "room I 000000000001 SetSalas",
                 "participants U 000000000001 SetAtividades", "agenda I 000000000001 SetItemTarefa",
                 "minutes I 000000000001 SetDescItTare"}));
    // The list names who changed each meeting last.
    EXPECT_EQ(MeetingRowOf(
                  nr)[FieldIndex(srv->Result("GetControle", AllMeetingsParams()), "NMOPERULTALT")],
              "Operador Demonstração");
}

TEST_P(HistoryTest, CancellationKeepsItsReasonAndRecordsEveryRowItChanged) {
    const std::string nr = NewMeeting("P");
    NewActivity(nr, "00001", "000000000002", "P");
    const size_t setUp = Count(nr);
    EXPECT_EQ(srv->Error("GetUpdCancelTarefa", {"0001", nr, std::string(201, 'x')}), "too_long");
    EXPECT_EQ(Count(nr), setUp);
    ASSERT_FALSE(
        srv->Call("GetUpdCancelTarefa", {"0001", nr, "  Sala interditada  "}).contains("error"));
    EXPECT_EQ(srv->Value("SELECT DSMOTCANCEL FROM TAREFA WHERE NRTAREFA = ?", {nr}),
              "Sala interditada");
    EXPECT_EQ(Records(nr, setUp), (Strings{"meeting U 000000000001 GetUpdCancelTarefa",
                                           "participants U 000000000001 GetUpdCancelTarefa"}));
    const json h = srv->Result("GetHistorico", {"0001", nr});
    const json meeting = json::parse(Cell(h, 1, "DSALTERACAO").get<std::string>());
    EXPECT_EQ(meeting[0], json::parse(R"(["IDSITTAREFA","P","X"])"));
    EXPECT_EQ(meeting[1], json::parse(R"(["DSMOTCANCEL",null,"Sala interditada"])"));
    // Called again: nothing changes, nothing is recorded.
    ASSERT_FALSE(srv->Call("GetUpdCancelTarefa", {"0001", nr}).contains("error"));
    EXPECT_EQ(Count(nr), setUp + 2);
}

TEST_P(HistoryTest, RefusedOrFailedWritesLeaveNoRecord) {
    const std::string nr = NewMeeting("P"), done = NewMeeting("C", 42);
    const size_t setUp = Count(nr);
    // A packet whose second change is stale: the first change is rolled back with its record.
    const json row = MeetingRowOf(nr);
    json moved = row, stale = row, other = row;
    const int start = FieldIndex(srv->Result("GetControle", AllMeetingsParams()), "DTHRREUNIAO");
    const int ref = FieldIndex(srv->Result("GetControle", AllMeetingsParams()), "DSREFETAREFA");
    moved[start] = Day(43, 10);
    stale[ref] = "Lida antes de outra mudança";
    other[ref] = "Nova referência";
    EXPECT_NE(srv->Error("SetControle",
                         {MeetingDelta({{{"op", "update"}, {"old", row}, {"new", moved}},
                                        {{"op", "update"}, {"old", stale}, {"new", other}}})}),
              "");
    EXPECT_EQ(Count(nr), setUp);
    // Refused by a rule: a concluded meeting is not cancelled.
    const size_t doneBefore = Count(done);
    EXPECT_EQ(srv->Error("GetUpdCancelTarefa", {"0001", done, "x"}), "conflict");
    EXPECT_EQ(Count(done), doneBefore);
}

TEST_P(HistoryTest, AnotherBranchsOperatorCannotReadIt) {
    const std::string nr = "0000000777";
    srv->Exec(
        "INSERT INTO TAREFA (CDFILIAL, NRTAREFA, DSREFETAREFA, IDSITTAREFA, IDORIGTARE) VALUES "
        "('0002', ?, 'Reunião Sul', 'P', '4')",
        {nr});
    const std::string ana = srv->Login(kBranchOnlyOperator, "0001");
    const json r = srv->Call("GetHistorico", {"0002", nr}, ana);
    ASSERT_TRUE(r.contains("error"));
    EXPECT_EQ(r["error"]["code"], "forbidden");
    EXPECT_EQ(srv->Result("GetHistorico", {"0002", nr})["rows"].size(), 1u);
}

TEST_P(HistoryTest, NamesAnswerOnlyTheOperatorsAndRoomsTheCallerMaySee) {
    // Inactive: Carla (branch 0001 only), Bruno (also 0002) and a room of 0001; another
    // branch's operator and room the branch-0001 caller may not see.
    srv->Exec(
        "UPDATE OPERADOR SET IDATIVO = 'N' WHERE CDOPERADOR IN ('000000000004', "
        "'000000000003')");
    srv->Exec(
        "INSERT INTO OPERADOR (CDOPERADOR, NMOPERADOR, DSSENHA, IDATIVO) VALUES "
        "('000000000031', 'Sul Inativo', 'x', 'N'), ('000000000032', 'Sul Ativo', 'x', 'S')");
    srv->Exec(
        "INSERT INTO OPERFILIAL (CDOPERADOR, CDFILIAL) VALUES ('000000000031', '0002'), "
        "('000000000032', '0002')");
    srv->Exec(
        "INSERT INTO SALA (CDFILIAL, CDSALA, NMSALA, IDATIVO) VALUES ('0002', '00009', "
        "'Sala Só do Sul', 'S')");
    srv->Exec("UPDATE SALA SET IDATIVO = 'N' WHERE CDFILIAL = '0001' AND CDSALA = '00003'");
    const auto names = [&](const json& h) {
        Strings out;
        for (size_t i = 0; i < h["rows"].size(); ++i)
            out.push_back(Cell(h, i, "IDTIPO").get<std::string>() + " " +
                          Cell(h, i, "CODIGO").get<std::string>() + " " +
                          Cell(h, i, "NOME").get<std::string>());
        std::sort(out.begin(), out.end());
        return out;
    };
    const std::string ana = srv->Login(kBranchOnlyOperator, "0001");
    const json r = srv->Call("GetNomesHistorico",
                             {"0001",
                              "'000000000002','000000000004','000000000003','000000000031',"
                              "'000000000032','000000000099'",
                              "'00001','00003','00009'"},
                             ana);
    ASSERT_FALSE(r.contains("error")) << r.dump();
    EXPECT_EQ(names(r["result"]),
              (Strings{"O 000000000002 Ana Souza", "O 000000000003 Bruno Lima",
                       "O 000000000004 Carla Mendes", "O 000000000032 Sul Ativo",
                       "S 00001 Sala de Reuniões 1", "S 00003 Auditório"}));
    // The other branch's room of the same code is its own; nothing to look up, nothing found.
    EXPECT_EQ(names(srv->Result("GetNomesHistorico", {"0002", "", "'00001'"})),
              (Strings{"S 00001 Sala Sul"}));
    EXPECT_EQ(names(srv->Result("GetNomesHistorico", {"0001", "", ""})), Strings{});
    EXPECT_EQ(srv->Call("GetNomesHistorico", {"0002", "'000000000031'", ""}, ana)["error"]["code"],
              "forbidden");
    EXPECT_EQ(srv->Error("GetNomesHistorico", {"0001", "'000000000002", ""}), "bad_arguments");
}

TEST_P(HistoryTest, ClientCannotForgeOrRemoveIt) {
    const std::string nr = NewMeeting("P");
    // Whatever the packet claims, the record carries the session's operator and the server's
    // clock.
    FixClock("2026-12-07T15:00:00");
    const std::string ana = srv->Login(kBranchOnlyOperator, "0001");
    ASSERT_FALSE(MoveMeeting(nr, "2027-01-20T10:00:00", ana).contains("error"));
    const json h = srv->Result("GetHistorico", {"0001", nr});
    EXPECT_EQ(Cell(h, 0, "CDOPERADOR"), kBranchOnlyOperator);
    EXPECT_EQ(Cell(h, 0, "NMOPERADOR"), "Ana Souza");
    EXPECT_EQ(Cell(h, 0, "DTHRHISTORICO"), Dt("2026-12-07T15:00:00"));
    // The history is written by no method: it is no server query and no change packet table.
    EXPECT_EQ(srv->Error("SetHistorico", {}), "unknown_method");
    // Not even a statement straight on the database changes or removes a record.
    EXPECT_ANY_THROW(srv->Exec("UPDATE HISTREUNIAO SET CDOPERADOR = '000000000005'"));
    EXPECT_ANY_THROW(srv->Exec("DELETE FROM HISTREUNIAO"));
    EXPECT_EQ(srv->Result("GetHistorico", {"0001", nr})["rows"].size(), 2u);
}

TEST_P(HistoryTest, DeletedMeetingsHistoryStaysAndRecordsTheDeletion) {
    const std::string nr = NewMeeting("P");
    const size_t setUp = Count(nr);
    const json row = MeetingRowOf(nr);
    ASSERT_FALSE(srv->Call("SetControle", {MeetingDelta({{{"op", "delete"}, {"old", row}}})})
                     .contains("error"));
    EXPECT_EQ(srv->Value("SELECT COUNT(*) FROM TAREFA WHERE NRTAREFA = ?", {nr}), "0");
    EXPECT_EQ(Records(nr, setUp), (Strings{"meeting D 000000000001 SetControle"}));
    EXPECT_EQ(Count(nr), setUp + 1);
}

TEST_P(HistoryTest, RecordsTheWorkstationAddressOfTheRequest) {
    const std::string nr = NewMeeting("P");
    const json request = {{"method", "GetUpdCancelTarefa"}, {"params", {"0001", nr}}, {"id", 1}};
    const json r = json::parse(srv->Server().HandleRpc(request.dump(), srv->Token(), "192.0.2.15"));
    ASSERT_FALSE(r.contains("error")) << r.dump();
    EXPECT_EQ(Cell(srv->Result("GetHistorico", {"0001", nr}), 0, "DSENDERECO"), "192.0.2.15");
}

TEST_P(HistoryTest, AuditCsvQuotesAsRfc4180AndFiltersByDateAndMeeting) {
    EXPECT_EQ("plain", CsvField("plain"));
    EXPECT_EQ("\"a,b\"", CsvField("a,b"));
    EXPECT_EQ("\"say \"\"hi\"\"\"", CsvField("say \"hi\""));
    EXPECT_EQ("\"two\nlines\"", CsvField("two\nlines"));

    FixClock("2026-12-07T10:00:00");
    const std::string nr = NewMeeting("P");
    ASSERT_FALSE(
        srv->Call("GetUpdCancelTarefa", {"0001", nr, "Chuva, \"forte\""}).contains("error"));
    const auto csv = [&](const std::string& since, const std::string& meeting) {
        std::ostringstream out;
        srv->Server().Impl().db().Transact(
            false, [&](SqlConnection& c) { WriteHistoryCsv(c, out, "0001", since, meeting); });
        return out.str();
    };
    const std::string all = csv("2026-12-07", std::to_string(std::stoll(nr)));
    const std::string header =
        "NRHISTREUNIAO,CDFILIAL,NRTAREFA,DTHRHISTORICO,CDOPERADOR,NMOPERADOR,DSENDERECO,NMMETODO,"
        "IDTIPOHIST,IDOPERACAO,DSCHAVE,DSALTERACAO\r\n";
    ASSERT_EQ(0u, all.find(header)) << all;
    // The insert made outside a call, then the cancellation; its reason's quotes doubled.
    EXPECT_NE(std::string::npos,
              all.find(",0001," + nr +
                       ",2026-12-07 10:00:00,000000000001,Operador Demonstração,,"
                       "GetUpdCancelTarefa,meeting,U,,\"[[\"\"IDSITTAREFA\"\","))
        << all;
    EXPECT_NE(std::string::npos, all.find("Chuva, \\\"\"forte\\\"\"")) << all;
    EXPECT_EQ(std::string::npos, csv("2026-12-08", nr).find("GetUpdCancelTarefa"))
        << "the cancellation was on the 7th";
    EXPECT_THROW(csv("07/12/2026", ""), RpcError);
}

INSTANTIATE_TEST_SUITE_P(Backends, HistoryTest, ::testing::Values(false, true), EngineName);

}  // namespace
}  // namespace zel::appserver::test
