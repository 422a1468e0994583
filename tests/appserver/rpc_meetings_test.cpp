// GetControle, SetControle and GetPrxTarefa through AppServer::HandleRpc on the demo data.
#include "test_support.h"

#include "appserver/storage.h"

namespace zel::appserver::test {
namespace {

// The same tests run on every backend: in-memory SQLite, a SQLite file and PostgreSQL.
class RpcMeetingsTest : public ::testing::TestWithParam<Backend> {
  protected:
    void SetUp() override {
        ZEL_SKIP_IF_UNAVAILABLE(database);
        serverPtr = std::make_unique<AppServer>(DemoOptions(database.url()));
        rpcPtr = std::make_unique<RpcClient>(*serverPtr);
        token = rpc().Login();
    }
    AppServer& server() { return *serverPtr; }
    RpcClient& rpc() { return *rpcPtr; }

    json List(json params) { return rpc().Result("GetControle", std::move(params), token); }
    json ListAll() { return List(AllMeetingsParams()); }
    std::vector<std::string> Numbers(const json& packet) {
        std::vector<std::string> out;
        for (size_t i = 0; i < packet["rows"].size(); ++i)
            out.push_back(Cell(packet, i, "NRTAREFA"));
        return out;
    }
    std::string NewNumber() { return rpc().Result("GetPrxTarefa", {"0001"}, token); }
    // Inserts a meeting through SetControle and returns its number.
    std::string Insert(const std::string& ref, TDateTime start, double hours = 1.0) {
        const std::string nr = NewNumber();
        const json delta =
            MeetingDelta({{{"op", "insert"}, {"new", MeetingRow("0001", nr, ref, start, hours)}}});
        EXPECT_EQ(rpc().ErrorCode("SetControle", {delta}, token), "");
        return nr;
    }
    // The meeting's row as GetControle lists it.
    json Row(const std::string& nr) {
        json p = AllMeetingsParams();
        p[1] = nr;
        p[2] = "";
        const json packet = List(p);
        EXPECT_EQ(packet["rows"].size(), 1u) << nr;
        return packet["rows"].empty() ? json() : packet["rows"][0];
    }
    int64_t Count(const std::string& sql, const SqlParams& params) {
        return server().Impl().db().Transact(false, [&](SqlConnection& c) {
            return c.Exec(sql, params).rows.at(0).at(0).AsInteger();
        });
    }

    TestDatabase database{GetParam()};
    std::unique_ptr<AppServer> serverPtr;
    std::unique_ptr<RpcClient> rpcPtr;
    std::string token;
};

INSTANTIATE_TEST_SUITE_P(Backends, RpcMeetingsTest,
                         ::testing::Values(Backend::SqliteMemory, Backend::SqliteFile,
                                           Backend::Postgres),
                         [](const auto& info) { return BackendName(info.param); });

int Field(const char* name) {
    static const json fields = MeetingDelta(json::array())["fields"];
    for (size_t i = 0; i < fields.size(); ++i)
        if (fields[i]["name"] == name) return static_cast<int>(i);
    return -1;
}

TEST_P(RpcMeetingsTest, ListCarriesTheMeetingRecordFieldsInOrder) {
    const json p = ListAll();
    const char* expected[] = {
        "CDFILIAL",     "NRTAREFA",    "DSREFETAREFA", "CDPROCESSO",  "CDOPERRESP",
        "CDPROJETO",    "NMPROJETO",   "NMOPERADOR",   "CDASSUNTO",   "CDOPERABER",
        "DTABERTAREFA", "IDSITTAREFA", "IDORIGTARE",   "DTHRREUNIAO", "QTHRREUNIAO",
        "CDARVPROCESS", "NMPROCESSO",  "NMASSUNTO",    "NMOPERABER",  "DESCRICAO",
        "DATA",         "CDSALA",      "HORA",         "NRSERIETARE", "NMOPERULTALT"};
    ASSERT_EQ(p["fields"].size(), 25u);
    for (size_t i = 0; i < 25; ++i)
        EXPECT_EQ(p["fields"][i]["name"], expected[i]);
    EXPECT_EQ(p["fields"][0]["size"], 4);
    EXPECT_EQ(p["fields"][2]["size"], 100);
    EXPECT_EQ(p["fields"][13]["type"], "datetime");
    EXPECT_EQ(p["fields"][14]["type"], "float");
    EXPECT_EQ(p["fields"][19]["size"], 111);
    for (int key : {0, 1}) {
        const auto flags = p["fields"][key]["flags"];
        EXPECT_NE(std::find(flags.begin(), flags.end(), "key"), flags.end());
    }
    EXPECT_EQ(p["rows"].size(), 30u);
}

TEST_P(RpcMeetingsTest, ListHoldsOnlyMeetingsOfTheBranch) {
    server().Impl().db().Transact(true, [](SqlConnection& c) {
        c.Exec(
            "INSERT INTO TAREFA (CDFILIAL, NRTAREFA, IDSITTAREFA, IDORIGTARE) "
            "VALUES ('0001', '9999999999', 'P', '1')");
    });
    const json p = ListAll();
    EXPECT_EQ(p["rows"].size(), 30u);
    for (size_t i = 0; i < p["rows"].size(); ++i)
        EXPECT_EQ(Cell(p, i, "IDORIGTARE"), "4");
    EXPECT_TRUE(List(AllMeetingsParams("0002"))["rows"].empty());
}

TEST_P(RpcMeetingsTest, StatusSetAdmitsOnlyItsLetters) {
    json p = AllMeetingsParams();
    p[3] = "_P";
    const json pending = List(p);
    ASSERT_FALSE(pending["rows"].empty());
    for (size_t i = 0; i < pending["rows"].size(); ++i)
        EXPECT_EQ(Cell(pending, i, "IDSITTAREFA"), "P");
    p[3] = "_C_X";
    const json closed = List(p);
    for (size_t i = 0; i < closed["rows"].size(); ++i)
        EXPECT_NE(Cell(closed, i, "IDSITTAREFA"), "P");
    EXPECT_EQ(pending["rows"].size() + closed["rows"].size() +
                  List([&] {
                      json q = AllMeetingsParams();
                      q[3] = "_A";
                      return q;
                  }())["rows"]
                      .size(),
              30u);
    p[3] = "";
    EXPECT_TRUE(List(p)["rows"].empty());
}

TEST_P(RpcMeetingsTest, ListedMeetingsAreParsedNeverPastedIntoSql) {
    const auto all = Numbers(ListAll());
    json p = AllMeetingsParams();
    p[2] = "";
    p[1] = " '" + all[3] + "' ,  " + all[5] + ",,";
    EXPECT_EQ(Numbers(List(p)), (std::vector<std::string>{all[3], all[5]}));
    p[1] = "' OR '1'='1";
    EXPECT_EQ(rpc().ErrorCode("GetControle", p, token), "bad_arguments");
    p[1] = "'x'' OR ''1''=''1'";
    EXPECT_TRUE(List(p)["rows"].empty());
    p[1] = "";
    EXPECT_TRUE(List(p)["rows"].empty());
}

TEST_P(RpcMeetingsTest, ResponsibleAndAgendaListsFilter) {
    json p = AllMeetingsParams();
    p[5] = "";
    p[4] = "'000000000002'";
    const json byResp = List(p);
    ASSERT_FALSE(byResp["rows"].empty());
    for (size_t i = 0; i < byResp["rows"].size(); ++i)
        EXPECT_EQ(Cell(byResp, i, "CDOPERRESP"), "000000000002");

    const auto [nr, item] = server().Impl().db().Transact(false, [](SqlConnection& c) {
        const SqlRow r =
            c.Exec("SELECT NRTAREFA, NRSEQUITTARE FROM ITEMTAREFA ORDER BY NRSEQUITTARE")
                .rows.at(0);
        return std::make_pair(r[0].AsString(), r[1].AsString());
    });
    json q = AllMeetingsParams();
    q[7] = "";
    q[6] = "'" + item + "'";
    EXPECT_EQ(Numbers(List(q)), std::vector<std::string>{nr});
    q[6] = "'0001" + nr + item + "'";  // the agenda pick list's CODIGO
    EXPECT_EQ(Numbers(List(q)), std::vector<std::string>{nr});
}

TEST_P(RpcMeetingsTest, DateRangeIsWholeDaysInclusiveWhateverTheTimes) {
    const TDateTime day = EncodeDate(2031, 3, 10);
    const std::string early = Insert("Cedo", day + 8 / 24.0);
    const std::string late = Insert("Tarde", day + 23.5 / 24.0, 0.25);
    const std::string next = Insert("Dia seguinte", day + 1);
    json p = AllMeetingsParams();
    p[10] = "";
    p[8] = day + 23.99 / 24.0;  // dates travel as reals
    p[9] = json{{"$dt", "2031-03-10T00:00:00"}};
    EXPECT_EQ(Numbers(List(p)), (std::vector<std::string>{early, late}));
    p[9] = day + 1 + 0.5;
    EXPECT_EQ(Numbers(List(p)), (std::vector<std::string>{early, late, next}));
}

TEST_P(RpcMeetingsTest, ComputedFieldsDescribeTheMeeting) {
    const std::string nr = Insert("Reunião de teste", EncodeDateTime(2031, 3, 10, 9, 5, 0));
    const json row = Row(nr);
    EXPECT_EQ(row[Field("DESCRICAO")], nr + " Reunião de teste");
    EXPECT_EQ(row[Field("DATA")]["$dt"], "2031-03-10T00:00:00");
    EXPECT_EQ(row[Field("HORA")], "09:05");
    EXPECT_EQ(row[Field("NMOPERADOR")], "Operador Demonstração");
    EXPECT_EQ(row[Field("NMPROCESSO")], "Participar de Reunião");
    EXPECT_EQ(row[Field("CDARVPROCESS")], "0101");
    EXPECT_TRUE(row[Field("CDSALA")].is_null());
    server().Impl().db().Transact(true, [&](SqlConnection& c) {
        c.Exec(
            "INSERT INTO AGEATIVISALA (CDFILIAL, DTATIAGESALA, NRSEQAGESALA, CDSALA, NRTAREFA, "
            "IDSITAGESALA, HRINIAGESALA, HRFINAGESALA) VALUES ('0001', '2031-03-10 00:00:00', "
            "'00001', '00003', ?, 'A', '0905', '1005')",
            {nr});
    });
    EXPECT_EQ(Row(nr)[Field("CDSALA")], "00003");
}

TEST_P(RpcMeetingsTest, InsertIsStampedByTheServer) {
    const TDateTime now = EncodeDateTime(2026, 12, 7, 10, 0, 0);
    server().Impl().setClock([now] { return now; });
    const std::string nr = NewNumber();
    json row = MeetingRow("0001", nr, "Nova", now + 1);
    row[Field("IDSITTAREFA")] = "C";
    row[Field("IDORIGTARE")] = "1";
    row[Field("CDOPERABER")] = "000000000003";
    ASSERT_EQ(
        rpc().ErrorCode("SetControle", {MeetingDelta({{{"op", "insert"}, {"new", row}}})}, token),
        "");
    const json stored = Row(nr);
    EXPECT_EQ(stored[Field("IDSITTAREFA")], "P");
    EXPECT_EQ(stored[Field("IDORIGTARE")], "4");
    EXPECT_EQ(stored[Field("CDOPERABER")], kDemoOperator);
    EXPECT_EQ(stored[Field("DTABERTAREFA")]["$dt"], "2026-12-07T10:00:00");
}

TEST_P(RpcMeetingsTest, UpdateOfAStaleRowIsRefusedAndWritesNothing) {
    const std::string nr = Insert("Original", EncodeDateTime(2031, 4, 1, 9, 0, 0));
    const json read = Row(nr);
    json mine = read, theirs = read;
    mine[Field("DSREFETAREFA")] = "Minha";
    theirs[Field("DSREFETAREFA")] = "Deles";
    ASSERT_EQ(rpc().ErrorCode("SetControle",
                              {MeetingDelta({{{"op", "update"}, {"old", read}, {"new", theirs}}})},
                              token),
              "");
    const json r = rpc().Call(
        "SetControle", {MeetingDelta({{{"op", "update"}, {"old", read}, {"new", mine}}})}, token);
    EXPECT_EQ(r["error"]["code"], "stale_row");
    EXPECT_EQ(r["error"]["message"],
              "O registro foi alterado por outro usuário desde que foi lido. Atualize a lista e "
              "tente novamente.");
    EXPECT_EQ(Row(nr)[Field("DSREFETAREFA")], "Deles");
}

TEST_P(RpcMeetingsTest, UpdateOfOtherColumnsSinceTheReadStillApplies) {
    const std::string nr = Insert("Original", EncodeDateTime(2031, 4, 1, 9, 0, 0));
    const json read = Row(nr);
    json theirs = read, mine = read;
    theirs[Field("QTHRREUNIAO")] = 2.0;
    mine[Field("DSREFETAREFA")] = "Minha";
    ASSERT_EQ(rpc().ErrorCode("SetControle",
                              {MeetingDelta({{{"op", "update"}, {"old", read}, {"new", theirs}}})},
                              token),
              "");
    ASSERT_EQ(
        rpc().ErrorCode("SetControle",
                        {MeetingDelta({{{"op", "update"}, {"old", read}, {"new", mine}}})}, token),
        "");
    const json now = Row(nr);
    EXPECT_EQ(now[Field("DSREFETAREFA")], "Minha");
    EXPECT_EQ(now[Field("QTHRREUNIAO")], 2.0);
}

TEST_P(RpcMeetingsTest, FieldsThatAreNotColumnsOnlyTravel) {
    const std::string nr = Insert("Original", EncodeDateTime(2031, 4, 1, 9, 0, 0));
    const json read = Row(nr);
    json changed = read;
    changed[Field("DESCRICAO")] = "outra";
    changed[Field("DATA")] = {{"$dt", "2040-01-01T00:00:00"}};
    changed[Field("HORA")] = "23:00";
    changed[Field("NMOPERADOR")] = "Outro Nome";
    ASSERT_EQ(rpc().ErrorCode("SetControle",
                              {MeetingDelta({{{"op", "update"}, {"old", read}, {"new", changed}}})},
                              token),
              "");
    EXPECT_EQ(Row(nr), read);
}

TEST_P(RpcMeetingsTest, OversizedTextRefusesTheWholePacket) {
    const std::string a = NewNumber(), b = NewNumber();
    const json delta = MeetingDelta(
        {{{"op", "insert"}, {"new", MeetingRow("0001", a, "Cabe", EncodeDate(2031, 5, 1))}},
         {{"op", "insert"},
          {"new", MeetingRow("0001", b, std::string(101, 'x'), EncodeDate(2031, 5, 1))}}});
    EXPECT_EQ(rpc().ErrorCode("SetControle", {delta}, token), "too_long");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM TAREFA WHERE NRTAREFA IN (?, ?)", {a, b}), 0);
    // Accented letters count as one character each.
    const json accented = MeetingDelta({{{"op", "insert"},
                                         {"new", MeetingRow(
                                                     "0001", a,
                                                     std::string(50, 'x') +
                                                         [] {
                                                             std::string s;
                                                             for (int i = 0; i < 50; ++i)
                                                                 s += "ç";
                                                             return s;
                                                         }(),
                                                     EncodeDate(2031, 5, 1))}}});
    EXPECT_EQ(rpc().ErrorCode("SetControle", {accented}, token), "");
}

TEST_P(RpcMeetingsTest, RowsOfAForeignBranchAreForbidden) {
    const std::string other = rpc().Login(kBranchOnlyOperator, "0001");
    const json delta = MeetingDelta(
        {{{"op", "insert"},
          {"new", MeetingRow("0002", "0000000001", "Alheia", EncodeDate(2031, 5, 1))}}});
    EXPECT_EQ(rpc().ErrorCode("SetControle", {delta}, other), "forbidden");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM TAREFA WHERE CDFILIAL = '0002'", {}), 0);
}

TEST_P(RpcMeetingsTest, AMeetingNumberServesOneMeetingOnly) {
    const std::string nr = Insert("Primeira", EncodeDate(2031, 5, 1));
    const json delta = MeetingDelta(
        {{{"op", "insert"}, {"new", MeetingRow("0001", nr, "Segunda", EncodeDate(2031, 5, 2))}}});
    EXPECT_EQ(rpc().ErrorCode("SetControle", {delta}, token), "bad_arguments");
    EXPECT_EQ(Row(nr)[2], "Primeira");
}

TEST_P(RpcMeetingsTest, DeleteTakesAgendaMinutesAndBookingWithTheMeeting) {
    const auto nr = server().Impl().db().Transact(false, [](SqlConnection& c) {
        return c
            .Exec(
                "SELECT T.NRTAREFA FROM TAREFA T WHERE EXISTS (SELECT 1 FROM DESCITEMTARE D "
                "WHERE D.NRTAREFA = T.NRTAREFA) AND EXISTS (SELECT 1 FROM AGEATIVISALA S "
                "WHERE S.NRTAREFA = T.NRTAREFA) AND NOT EXISTS (SELECT 1 FROM PLANATIVTARE P "
                "WHERE P.NRTAREFA = T.NRTAREFA)")
            .rows.at(0)
            .at(0)
            .AsString();
    });
    // Only a pending meeting may be deleted; the demo's meetings with minutes are concluded.
    server().Impl().db().Transact(true, [&](SqlConnection& c) {
        c.Exec("UPDATE TAREFA SET IDSITTAREFA = 'P' WHERE NRTAREFA = ?", {nr});
    });
    const json row = Row(nr);
    ASSERT_EQ(
        rpc().ErrorCode("SetControle", {MeetingDelta({{{"op", "delete"}, {"old", row}}})}, token),
        "");
    for (const char* table : {"TAREFA", "ITEMTAREFA", "DESCITEMTARE", "AGEATIVISALA"})
        EXPECT_EQ(Count(std::string("SELECT COUNT(*) FROM ") + table + " WHERE NRTAREFA = ?", {nr}),
                  0)
            << table;
    // Deleting it again: someone else already did.
    EXPECT_EQ(
        rpc().ErrorCode("SetControle", {MeetingDelta({{{"op", "delete"}, {"old", row}}})}, token),
        "stale_row");
}

TEST_P(RpcMeetingsTest, DeleteOfAMeetingWithActivitiesIsRefusedWhole) {
    const auto nr = server().Impl().db().Transact(false, [](SqlConnection& c) {
        return c.Exec("SELECT NRTAREFA FROM PLANATIVTARE ORDER BY NRTAREFA")
            .rows.at(0)
            .at(0)
            .AsString();
    });
    const int64_t items = Count("SELECT COUNT(*) FROM ITEMTAREFA WHERE NRTAREFA = ?", {nr});
    EXPECT_EQ(rpc().ErrorCode("SetControle", {MeetingDelta({{{"op", "delete"}, {"old", Row(nr)}}})},
                              token),
              "conflict");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM TAREFA WHERE NRTAREFA = ?", {nr}), 1);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM ITEMTAREFA WHERE NRTAREFA = ?", {nr}), items);
}

TEST_P(RpcMeetingsTest, NextMeetingNumbersAreFreshZeroFilledAndAboveExistingOnes) {
    const std::string a = NewNumber(), b = NewNumber();
    EXPECT_EQ(a.size(), 10u);
    EXPECT_LT(a, b);
    server().Impl().db().Transact(true, [](SqlConnection& c) {
        c.Exec(
            "INSERT INTO TAREFA (CDFILIAL, NRTAREFA, IDORIGTARE) VALUES ('0001', '0000005000', "
            "'4')");
    });
    EXPECT_EQ(NewNumber(), "0000005001");
    EXPECT_EQ(rpc().Result("GetPrxTarefa", {"0002"}, token), "0000000001");
}

}  // namespace
}  // namespace zel::appserver::test
