// Participant registration and agenda import over RPC: pick lists, the participation
// template, booking one participation activity, and copying an earlier meeting's agenda.
#include <gtest/gtest.h>

#include "appserver/app_server_impl.h"
#include "platform/date_time.h"
#include "rpc_test_server.h"

namespace zel::appserver::test {
namespace {

using Strings = std::vector<std::string>;

class RegistrationTest : public BackendTest {
  protected:
    std::string PendingMeeting() {
        return srv->Value(
            "SELECT MIN(NRTAREFA) FROM TAREFA WHERE CDFILIAL = '0001' AND IDSITTAREFA = 'P'");
    }
    json Book(const std::string& nr, const std::string& part, const std::string& number = "",
              const std::string& process = "0000000002") {
        return srv->Call("GetInsCadAtiv", {"0001", nr, number, process, Dt("2000-01-01T00:00:00"),
                                           part, Dt("2026-12-20T09:00:00"),
                                           Dt("2026-12-20T10:30:00"), "1,5", "0000000001"});
    }
};

TEST_P(RegistrationTest, PickListOfParticipantsHasAnEmptyMark) {
    const json all = srv->Result("GetCadOperPart", {"", "T"});
    EXPECT_EQ(Layout(all),
              (Strings{"IDMARCADO:fixedchar:1", "CDOPERADOR:string:12", "NMOPERADOR:string:40"}));
    EXPECT_EQ(all["rows"].size(), 5u);
    EXPECT_EQ(Column(all, "IDMARCADO"), Strings(5, " "));
    EXPECT_EQ(Column(srv->Result("GetCadOperPart", {"000000000003", ""}), "CDOPERADOR"),
              Strings{"000000000003"});
}

TEST_P(RegistrationTest, TemplateIsTheParticipationProcessWithTheMeetingsWorkItem) {
    const std::string withActivities =
        srv->Value("SELECT MIN(A.NRTAREFA) FROM PLANATIVTARE A WHERE A.CDFILIAL = '0001'");
    const json t = srv->Result("GetCarAtividades", {"0001", withActivities, "01.01"});
    EXPECT_EQ(FieldNames(t), (Strings{"CDPROCESSO", "CDNVPROCESSO", "CDARVPROCESS", "NMPROCESSO",
                                      "IDTPPROCESSO", "CDSETOR", "IDPROREUNIAO", "CDITEMTRAB"}));
    ASSERT_EQ(t["rows"].size(), 1u);
    EXPECT_EQ(Cell(t, 0, "CDPROCESSO"), "0000000002");
    EXPECT_EQ(Cell(t, 0, "IDPROREUNIAO"), "S");
    EXPECT_EQ(Cell(t, 0, "CDITEMTRAB"), "0000000001");
    EXPECT_EQ(srv->Error("GetCarAtividades", {"0001", "0000099999", ""}), "not_found");
}

TEST_P(RegistrationTest, ChosenParticipantsAreTheListedOperators) {
    EXPECT_EQ(
        Column(srv->Result("GetAuxPart", {"'000000000003', '000000000002','999'"}), "CDOPERADOR"),
        (Strings{"000000000002", "000000000003"}));
    EXPECT_TRUE(srv->Result("GetAuxPart", {""})["rows"].empty());
    EXPECT_EQ(srv->Error("GetAuxPart", {"'000000000003"}), "bad_arguments");
}

TEST_P(RegistrationTest, BookingStoresAPendingActivityStampedByTheServer) {
    const TDateTime clock = IsoToDateTime("2026-12-07T08:00:00");
    srv->Server().Impl().setClock([clock] { return clock; });
    const std::string nr = PendingMeeting();
    // The number GetPrxPlanAtivTare handed out, sent without its zeros.
    const std::string number = srv->Result("GetPrxPlanAtivTare", {"0001", nr});
    const json r = Book(nr, "000000000004", std::to_string(std::stoi(number)));
    ASSERT_FALSE(r.contains("error")) << r.dump();
    EXPECT_EQ(r["result"], 1);
    EXPECT_EQ(r["refs"]["2"], number);
    const auto rows = srv->Rows(
        "SELECT CDPROCESSO, DTINCATIVTAR, CDOPERINCL, IDSITATIVTAR, IDOPERPAREUNIAO, "
        "QTHRPATIVTAR, CDITEMTRAB, DTFIPATIVTAR FROM PLANATIVTARE WHERE CDFILIAL = '0001' AND "
        "NRTAREFA = ? AND NRPLATIVTARE = ?",
        {nr, number});
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0].AsString(), "0000000002");
    EXPECT_EQ(rows[0][1].AsString().substr(0, 19), "2026-12-07 08:00:00");
    EXPECT_EQ(rows[0][2].AsString(), "000000000001");
    EXPECT_EQ(rows[0][3].AsString(), "P");
    EXPECT_EQ(rows[0][4].AsString(), "N");
    EXPECT_DOUBLE_EQ(rows[0][5].AsFloat(), 1.5);
    EXPECT_EQ(rows[0][6].AsString(), "0000000001");
    EXPECT_EQ(rows[0][7].AsString().substr(0, 16), "2026-12-20 10:30");
}

TEST_P(RegistrationTest, ParticipantAlreadyBookedGetsNoSecondActivity) {
    const std::string nr = PendingMeeting();
    ASSERT_EQ(Book(nr, "000000000005")["result"], 1);
    const json again = Book(nr, "000000000005");
    EXPECT_EQ(again["result"], 0);
    EXPECT_EQ(srv->Value("SELECT COUNT(*) FROM PLANATIVTARE WHERE NRTAREFA = ? AND "
                         "CDOPERRESP = '000000000005'",
                         {nr}),
              "1");
}

TEST_P(RegistrationTest, BookingRefusals) {
    const std::string nr = PendingMeeting();
    const std::string cancelled = srv->Value(
        "SELECT MIN(NRTAREFA) FROM TAREFA WHERE CDFILIAL = '0001' AND IDSITTAREFA = 'X'");
    EXPECT_EQ(Book(cancelled, "000000000004")["error"]["code"], "conflict");
    EXPECT_EQ(Book(nr, "000000000004", "", "0000000003")["error"]["code"], "bad_arguments");
    EXPECT_EQ(Book(nr, "999999999999")["error"]["code"], "bad_arguments");
    EXPECT_EQ(Book(nr, "000000000004", "12a")["error"]["code"], "bad_arguments");
    const json backwards =
        srv->Call("GetInsCadAtiv", {"0001", nr, "", "", Dt("2026-12-07T00:00:00"), "000000000004",
                                    Dt("2026-12-20T10:00:00"), Dt("2026-12-20T09:00:00"), "1", ""});
    EXPECT_EQ(backwards["error"]["code"], "bad_arguments");
    // A number serves one activity only.
    const std::string number = srv->Result("GetPrxPlanAtivTare", {"0001", nr});
    ASSERT_EQ(Book(nr, "000000000004", number)["result"], 1);
    EXPECT_EQ(Book(nr, "000000000003", std::to_string(std::stoi(number)))["error"]["code"],
              "bad_arguments");
    EXPECT_EQ(srv->Value("SELECT COUNT(*) FROM PLANATIVTARE WHERE NRTAREFA = ? AND "
                         "CDOPERRESP = '000000000003'",
                         {nr}),
              "0");
}

TEST_P(RegistrationTest, BlankNumberGetsAFreshOne) {
    const std::string nr = PendingMeeting();
    const json a = Book(nr, "000000000004");
    const json b = Book(nr, "000000000005");
    ASSERT_EQ(a["result"], 1);
    ASSERT_EQ(b["result"], 1);
    EXPECT_NE(a["refs"]["2"], b["refs"]["2"]);
    EXPECT_EQ(a["refs"]["2"].get<std::string>().size(), 5u);
}

INSTANTIATE_TEST_SUITE_P(Backends, RegistrationTest, ::testing::Values(false, true),
                         BackendCaseName);

class ImportTest : public BackendTest {
  protected:
    json Copy(const std::string& nr, const json& items, size_t row) {
        return srv->Call("GetInsAssunto",
                         {"0001", nr, Cell(items, row, "NRSEQUITTARE"),
                          Cell(items, row, "DSREFEITTARE"), Cell(items, row, "DTINCLITTARE"),
                          Cell(items, row, "CDOPERADOR"), Cell(items, row, "TXPLANITTARE"),
                          Cell(items, row, "CDOPERRESP"), Cell(items, row, "NRPRIOITTARE")});
    }
};

TEST_P(ImportTest, CandidatesAreOtherMeetingsWithAgendaNewestFirst) {
    const std::string current = srv->Value(
        "SELECT MAX(T.NRTAREFA) FROM TAREFA T WHERE EXISTS (SELECT 1 FROM ITEMTAREFA I WHERE "
        "I.CDFILIAL = T.CDFILIAL AND I.NRTAREFA = T.NRTAREFA)");
    const json list = srv->Result("GetReuniao", {"0001", "0000000002", current});
    EXPECT_EQ(Layout(list), (Strings{"CDFILIAL:string:4", "NRTAREFA:string:10",
                                     "DTHRREUNIAO:datetime:0", "DSREFETAREFA:string:100",
                                     "IDSITTAREFA:string:1", "NMPROCESSO:string:100"}));
    const Strings numbers = Column(list, "NRTAREFA");
    EXPECT_EQ(numbers.size(),
              std::stoul(srv->Value("SELECT COUNT(DISTINCT NRTAREFA) FROM ITEMTAREFA")) - 1);
    EXPECT_EQ(std::count(numbers.begin(), numbers.end(), current), 0);
    const Strings starts = Column(list, "DTHRREUNIAO");
    for (size_t i = 1; i < starts.size(); ++i)
        EXPECT_GE(starts[i - 1], starts[i]);
    EXPECT_TRUE(srv->Result("GetReuniao", {"0002", "", ""})["rows"].empty());
}

TEST_P(ImportTest, CopyKeepsNumberAndTextsIsStampedByTheServerAndRefusedTwice) {
    const TDateTime clock = IsoToDateTime("2026-12-07T08:00:00");
    srv->Server().Impl().setClock([clock] { return clock; });
    const std::string source = srv->Value(
        "SELECT MIN(NRTAREFA) FROM TAREFA WHERE IDSITTAREFA = 'C' AND NRTAREFA IN "
        "(SELECT NRTAREFA FROM ITEMTAREFA)");
    const std::string dest = srv->Value(
        "SELECT MIN(NRTAREFA) FROM TAREFA WHERE IDSITTAREFA = 'P' AND NRTAREFA NOT IN "
        "(SELECT NRTAREFA FROM ITEMTAREFA)");
    const json items = srv->Result("GetImpAssunto", {"0001", source});
    EXPECT_EQ(FieldNames(items),
              (Strings{"CDFILIAL", "NRTAREFA", "NRSEQUITTARE", "DSREFEITTARE", "TXPLANITTARE",
                       "DTINCLITTARE", "CDOPERADOR", "CDOPERRESP", "NRPRIOITTARE"}));
    ASSERT_EQ(items["rows"].size(), 2u);
    for (size_t i = 0; i < 2; ++i)
        ASSERT_EQ(Copy(dest, items, i)["result"], 1);

    const json copied = srv->Result("GetItemTarefa", {"0001", dest, "", "T"});
    for (const char* f :
         {"NRSEQUITTARE", "DSREFEITTARE", "TXPLANITTARE", "CDOPERRESP", "NRPRIOITTARE"})
        EXPECT_EQ(Column(copied, f), Column(items, f)) << f;
    // Who included the copy and when are the session's operator and the server clock.
    EXPECT_EQ(Column(copied, "CDOPERADOR"), Strings(2, kDemoOperator));
    EXPECT_EQ(Column(copied, "DTINCLITTARE"), Strings(2, Dt("2026-12-07T08:00:00").dump()));

    const json twice = Copy(dest, items, 0);
    EXPECT_EQ(twice["error"]["code"], "duplicate_key");
    EXPECT_EQ(srv->Value("SELECT COUNT(*) FROM ITEMTAREFA WHERE NRTAREFA = ?", {dest}), "2");
}

TEST_P(ImportTest, ClosedDestinationIsRefused) {
    const std::string source = srv->Value("SELECT MIN(NRTAREFA) FROM ITEMTAREFA");
    const json items = srv->Result("GetImpAssunto", {"0001", source});
    const std::string concluded = srv->Value(
        "SELECT MIN(NRTAREFA) FROM TAREFA WHERE IDSITTAREFA = 'C' AND NRTAREFA <> ?", {source});
    EXPECT_EQ(Copy(concluded, items, 0)["error"]["code"], "conflict");
    EXPECT_EQ(Copy("0000099999", items, 0)["error"]["code"], "not_found");
}

INSTANTIATE_TEST_SUITE_P(Backends, ImportTest, ::testing::Values(false, true), BackendCaseName);

}  // namespace
}  // namespace zel::appserver::test
