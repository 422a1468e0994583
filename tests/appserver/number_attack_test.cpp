// Numbers a client chose instead of asking the server for them: each forged or borrowed number
// is refused with the reason, nothing is written, and the counter it aimed at goes on from
// where it was. The numbers the server handed out go through once, in the order the window
// uses them. On SQLite and PostgreSQL.
#include <gtest/gtest.h>

#include "appserver/methods_agenda.h"
#include "meeting_fixture.h"

namespace zel::appserver::test {
namespace {

class NumberAttackTest : public MeetingFixture {
  protected:
    void SetUp() override {
        MeetingFixture::SetUp();
        if (!srv) return;
        colleague = srv->Login("000000000003", "0001");
    }
    // Every row the numbered tables hold, counted, to show a refused call wrote nothing.
    std::string Snapshot() {
        std::string out;
        for (const char* t :
             {"TAREFA", "ITEMTAREFA", "PLANATIVTARE", "AGEATIVISALA", "ATIVPESSOAL"})
            out += srv->Value(std::string("SELECT COUNT(*) FROM ") + t) + "/";
        return out;
    }
    json Refused(const std::string& method, json params) {
        const json r = srv->Call(method, params);
        EXPECT_TRUE(r.contains("error")) << method << " accepted " << params.dump();
        return r.value("error", json{{"code", ""}, {"message", ""}});
    }
    static std::string NotHandedOut(const std::string& number, const std::string& what) {
        return "O número " + number + " não foi fornecido pelo servidor para " + what +
               ": peça um número novo.";
    }
    static json NewMeetingDelta(const std::string& nr) {
        return MeetingDelta(
            {{{"op", "insert"},
              {"new", MeetingRow("0001", nr, "Números", DateOf(Now()) + 60 + 9 / 24.0)}}});
    }
    static json ItemInsert(const std::string& nr, const std::string& item) {
        json f = json::array(), row = json::array();
        for (const FieldDef& d : ItemTarefaFields()) {
            f.push_back(FieldDefToJson(d));
            row.push_back(d.name == "CDFILIAL"       ? json("0001")
                          : d.name == "NRTAREFA"     ? json(nr)
                          : d.name == "NRSEQUITTARE" ? json(item)
                          : d.name == "DSREFEITTARE" ? json("Assunto")
                                                     : json());
        }
        return {{"fields", f}, {"changes", {{{"op", "insert"}, {"new", row}}}}};
    }
    std::string colleague;
};

TEST_P(NumberAttackTest, MeetingNumbersAreOnlyThoseHandedOutToTheOperatorAndOnlyOnce) {
    const std::string before = Snapshot();
    json e = Refused("SetControle", {NewMeetingDelta("9999999999")});
    EXPECT_EQ(e["code"], "bad_arguments");
    EXPECT_EQ(e["message"], NotHandedOut("9999999999", "as reuniões da filial 0001"));
    // A number handed out to a colleague is his.
    const std::string theirs = srv->Call("GetPrxTarefa", {"0001"}, colleague)["result"];
    EXPECT_EQ(Refused("SetControle", {NewMeetingDelta(theirs)})["code"], "bad_arguments");
    EXPECT_EQ(Snapshot(), before);

    // The counter goes on from the last number handed out; that one goes through once.
    const std::string mine = srv->Result("GetPrxTarefa", {"0001"});
    EXPECT_EQ(std::stoll(mine), std::stoll(theirs) + 1);
    ASSERT_EQ(srv->Error("SetControle", {NewMeetingDelta(mine)}), "");
    json p = AllMeetingsParams();
    p[1] = mine;
    p[2] = "";
    const json stored = srv->Result("GetControle", p)["rows"][0];
    ASSERT_EQ(srv->Error("SetControle", {MeetingDelta({{{"op", "delete"}, {"old", stored}}})}), "");
    EXPECT_EQ(Refused("SetControle", {NewMeetingDelta(mine)})["code"], "bad_arguments");
    EXPECT_EQ(Snapshot(), before);
}

TEST_P(NumberAttackTest, AgendaItemsAreNeitherInsertedNorImportedUnderAForgedNumber) {
    const std::string nr = NewMeeting("P");
    const std::string before = Snapshot();
    json e = Refused("SetItemTarefa", {ItemInsert(nr, "9999999999")});
    EXPECT_EQ(e["message"], NotHandedOut("9999999999", "os assuntos de pauta da filial 0001"));
    e = Refused("GetInsAssunto", {"0001", nr, "9999999999", "Importado", Dt("2001-01-01T00:00:00"),
                                  kDemoOperator, "", "", "1"});
    EXPECT_EQ(e["code"], "bad_arguments");
    EXPECT_EQ(e["message"],
              "O assunto 9999999999 não está na pauta de nenhuma reunião da filial 0001 e não "
              "pode ser importado.");
    EXPECT_EQ(Snapshot(), before);

    const std::string item = srv->Result("GetPrxItemTarefa", {"0001"});
    EXPECT_LT(std::stoll(item), 1000);
    EXPECT_EQ(srv->Error("SetItemTarefa", {ItemInsert(nr, item)}), "");
    // The import copies numbers the branch's items already hold.
    const std::string other = NewMeeting("P", 41);
    EXPECT_EQ(srv->Error("GetInsAssunto", {"0001", other, item, "Importado",
                                           Dt("2001-01-01T00:00:00"), kDemoOperator, "", "", "1"}),
              "");
}

TEST_P(NumberAttackTest, PlanActivityNumbersAreOnlyThoseHandedOutForTheMeeting) {
    const std::string nr = NewMeeting("P");
    const std::string elsewhere = NewMeeting("P", 42);
    const std::string before = Snapshot();
    const Values forged = {{"CDFILIAL", "0001"},
                           {"NRTAREFA", nr},
                           {"NRPLATIVTARE", "99999"},
                           {"CDPROCESSO", "0000000003"},
                           {"CDOPERRESP", "000000000002"}};
    json e =
        Refused("SetAtividades", {ChangesOf(ActivityLayout(), {Insert(ActivityLayout(), forged)})});
    EXPECT_EQ(e["message"], NotHandedOut("99999", "as atividades da reunião " + nr));
    const auto insereAtiv = [&](const json& number) {
        return json{"0001",
                    nr,
                    number,
                    "0000000003",
                    Dt("2001-01-01T00:00:00"),
                    "000000000002",
                    "000000000005",
                    "",
                    "",
                    ""};
    };
    EXPECT_EQ(Refused("GetInsereAtiv", insereAtiv(99999))["code"], "bad_arguments");
    // A number handed out for another meeting is not this meeting's.
    const std::string borrowed = srv->Result("GetPrxPlanAtivTare", {"0001", elsewhere});
    EXPECT_EQ(Refused("GetInsereAtiv", insereAtiv(std::stoi(borrowed)))["code"], "bad_arguments");
    const TDateTime start = DateOf(Now()) + 40 + 9 / 24.0;
    EXPECT_EQ(Refused("GetInsCadAtiv", {"0001", nr, "99999", "", Dt("2001-01-01T00:00:00"),
                                        "000000000002", Dt(DateTimeToIso(start)),
                                        Dt(DateTimeToIso(start + 1 / 24.0)), "1", ""})["code"],
              "bad_arguments");
    EXPECT_EQ(Snapshot(), before);

    const std::string number = srv->Result("GetPrxPlanAtivTare", {"0001", nr});
    EXPECT_EQ(number, "00001");
    EXPECT_EQ(srv->Error("GetInsereAtiv", insereAtiv(1)), "");
    EXPECT_EQ(Refused("GetInsereAtiv", insereAtiv(1))["code"], "bad_arguments");
}

TEST_P(NumberAttackTest, BookingSequencesAreHandedOutPerBranchAndNeverForged) {
    const std::string nr = NewMeeting("P", 43);
    const json day = Day(43);
    // A branch's bookings of the day, however numbered, do not use up another branch's.
    srv->Exec(
        "INSERT INTO AGEATIVISALA (CDFILIAL, DTATIAGESALA, NRSEQAGESALA, CDSALA, IDSITAGESALA, "
        "HRINIAGESALA, HRFINAGESALA) VALUES ('0002', ?, '99999', '00001', 'A', '0800', '0900')",
        {Variant::FromDateTime(DateOf(Now()) + 43)});
    const std::string before = Snapshot();
    Values booking = {{"CDFILIAL", "0001"},     {"NRTAREFA", nr},          {"CDSALA", "00001"},
                      {"DTATIAGESALA", day},    {"NRSEQAGESALA", "99998"}, {"IDSITAGESALA", "A"},
                      {"HRINIAGESALA", "0900"}, {"HRFINAGESALA", "1000"}};
    const json e =
        Refused("SetSalas", {ChangesOf(BookingLayout(), {Insert(BookingLayout(), booking)})});
    EXPECT_EQ(e["message"],
              NotHandedOut("99998", "as reservas do dia " + DateToStr(DateOf(Now()) + 43) +
                                        " da filial 0001"));
    EXPECT_EQ(Snapshot(), before);

    const json seq = srv->Result("GetSeqSalas", {day});
    EXPECT_EQ(Cell(seq, 0, "NRSEQAGESALA"), 1);
    booking["NRSEQAGESALA"] = "00001";
    EXPECT_EQ(
        srv->Error("SetSalas", {ChangesOf(BookingLayout(), {Insert(BookingLayout(), booking)})}),
        "");
}

TEST_P(NumberAttackTest, ANoticeNumberOutOfRangeNeitherStoresNorBlocksLaterNotices) {
    const std::string before = Snapshot();
    const auto notice = [](const json& number) {
        return json{"000000000003", number, "Aviso", Dt("2001-01-01T00:00:00"), "P", "S", "0"};
    };
    json e = Refused("GetInsAtivPessoal", notice(8999999999999999LL));
    EXPECT_EQ(e["message"], NotHandedOut("8999999999999999", "os avisos do operador 000000000003"));
    // A number handed out to the colleague is for notices he leaves.
    const json theirs = srv->Call("GetPrxAtivPessoal", {"000000000003"}, colleague)["result"];
    EXPECT_EQ(Refused("GetInsAtivPessoal", notice(theirs))["code"], "bad_arguments");
    EXPECT_EQ(Snapshot(), before);

    const json mine = srv->Result("GetPrxAtivPessoal", {"000000000003"});
    EXPECT_EQ(mine.get<long long>(), theirs.get<long long>() + 1);
    EXPECT_EQ(srv->Error("GetInsAtivPessoal", notice(mine)), "");
    EXPECT_EQ(Refused("GetInsAtivPessoal", notice(mine))["code"], "bad_arguments");
}

TEST_P(NumberAttackTest, AnOperatorHoldsOnlyHisNewestNumbersOfAKeyAndForADay) {
    const std::string nr = NewMeeting("P");
    const auto item = [&](const std::string& number, const std::string& token) {
        return srv->Call("SetItemTarefa", {ItemInsert(nr, number)}, token);
    };
    const std::string first = srv->Result("GetPrxItemTarefa", {"0001"});
    std::string last;
    for (int i = 0; i < 200; ++i)
        last = srv->Result("GetPrxItemTarefa", {"0001"}).get<std::string>();
    EXPECT_EQ(item(first, srv->Token())["error"]["code"], "bad_arguments");
    EXPECT_FALSE(item(last, srv->Token()).contains("error"));

    // A day later the numbers not used are forgotten.
    const std::string old = srv->Result("GetPrxItemTarefa", {"0001"});
    const TDateTime later = Now() + 1.5;
    srv->Server().Impl().setClock([later] { return later; });
    const std::string token = srv->Login(kDemoOperator, "0001");
    EXPECT_EQ(item(old, token)["error"]["code"], "bad_arguments");
}

INSTANTIATE_TEST_SUITE_P(Backends, NumberAttackTest, ::testing::Values(false, true), EngineName);

}  // namespace
}  // namespace zel::appserver::test
