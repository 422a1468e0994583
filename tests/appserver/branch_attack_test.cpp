// Change packets from an operator who may use branch 0001 only, crafted to reach rows of
// branch 0002, to bypass the status methods or to forge the server's stamps. Each attempt is
// refused with an error naming the reason, and the rows it aimed at are read back unchanged
// from the database.
#include <gtest/gtest.h>

#include "meeting_fixture.h"

namespace zel::appserver::test {
namespace {

constexpr const char* kForeignMeeting = "0000000777";

class BranchAttackTest : public MeetingFixture {
  protected:
    void SetUp() override {
        MeetingFixture::SetUp();
        if (!srv) return;
        attacker = srv->Login(kBranchOnlyOperator, "0001");
        // A pending meeting of branch 0002 with a booking and an activity.
        srv->Exec(
            "INSERT INTO TAREFA (CDFILIAL, NRTAREFA, DSREFETAREFA, CDPROCESSO, CDOPERRESP, "
            "CDOPERABER, IDSITTAREFA, IDORIGTARE, DTHRREUNIAO, QTHRREUNIAO) VALUES ('0002', ?, "
            "'Reunião Sul', '0000000002', '000000000001', '000000000001', 'P', '4', ?, 1)",
            {kForeignMeeting, Variant::FromDateTime(DateOf(Now()) + 40 + 9 / 24.0)});
        StoreBooking("0002", kForeignMeeting, "00901", "00001", "0900", "1000");
        srv->Exec(
            "INSERT INTO PLANATIVTARE (CDFILIAL, NRTAREFA, NRPLATIVTARE, CDPROCESSO, CDOPERRESP, "
            "QTHRPATIVTAR, IDSITATIVTAR, IDOPERPAREUNIAO) VALUES ('0002', ?, '00001', "
            "'0000000002', '000000000003', 1, 'P', 'N')",
            {kForeignMeeting});
        foreignBefore = ForeignState();
    }

    // An active booking straight in the database, on day 40 from today.
    void StoreBooking(const std::string& branch, const std::string& nr, const std::string& seq,
                      const std::string& room, const std::string& from, const std::string& to) {
        srv->Exec(
            "INSERT INTO AGEATIVISALA (CDFILIAL, DTATIAGESALA, NRSEQAGESALA, CDSALA, NRTAREFA, "
            "IDSITAGESALA, HRINIAGESALA, HRFINAGESALA) VALUES (?, ?, ?, ?, ?, 'A', ?, ?)",
            {branch, Variant::FromDateTime(DateOf(Now()) + 40), seq, room, nr, from, to});
    }

    // Everything branch 0002 holds, as one text to compare before and after an attack.
    std::string ForeignState() {
        std::string out;
        for (const char* sql :
             {"SELECT NRTAREFA, DSREFETAREFA, IDSITTAREFA, IDORIGTARE, CDOPERABER FROM TAREFA "
              "WHERE CDFILIAL = '0002' ORDER BY NRTAREFA",
              "SELECT NRSEQAGESALA, CDSALA, NRTAREFA, IDSITAGESALA, HRINIAGESALA FROM "
              "AGEATIVISALA WHERE CDFILIAL = '0002' ORDER BY NRSEQAGESALA",
              "SELECT NRPLATIVTARE, IDSITATIVTAR, CDOPERINCL FROM PLANATIVTARE WHERE CDFILIAL = "
              "'0002' ORDER BY NRPLATIVTARE"})
            for (const SqlRow& row : srv->Rows(sql)) {
                for (const Variant& v : row)
                    out += v.IsNull() ? std::string("null") : v.AsString(), out += "|";
                out += "\n";
            }
        return out;
    }

    // The meeting record as GetControle lists it, for branch 0001's own meetings.
    json MeetingRecord(const std::string& nr) {
        const json p = srv->Result(
            "GetControle", {"0001", "'" + nr + "'", "", "_P_A_C_X", "", "T", "", "T", 0, 0, "T"});
        return p["rows"].empty() ? json() : p["rows"][0];
    }
    // The foreign meeting as a packet row in the meeting record's layout.
    static json ForeignRecord() {
        json row = MeetingRow("0002", kForeignMeeting, "Reunião Sul", EncodeDate(2031, 1, 1));
        row[FieldIndex(MeetingDelta(json::array()), "IDSITTAREFA")] = "P";
        row[FieldIndex(MeetingDelta(json::array()), "IDORIGTARE")] = "4";
        return row;
    }
    static size_t At(const char* field) {
        return static_cast<size_t>(FieldIndex(MeetingDelta(json::array()), field));
    }

    // The call's error; the test fails when the call succeeded.
    json Refused(const std::string& method, const json& packet) {
        const json r = srv->Call(method, {packet}, attacker);
        EXPECT_TRUE(r.contains("error")) << method << " was accepted: " << packet.dump();
        return r.value("error", json{{"code", ""}, {"message", ""}});
    }
    void ExpectForeignUntouched() { EXPECT_EQ(ForeignState(), foreignBefore); }

    static Values ForeignBooking() {
        return {{"CDFILIAL", "0002"},      {"NRTAREFA", kForeignMeeting}, {"CDSALA", "00001"},
                {"DTATIAGESALA", Day(40)}, {"NRSEQAGESALA", "00901"},     {"IDSITAGESALA", "A"},
                {"HRINIAGESALA", "0900"},  {"HRFINAGESALA", "1000"}};
    }

    std::string attacker, foreignBefore;
};

TEST_P(BranchAttackTest, ForeignMeetingIsNeitherRenamedNorMovedIntoTheOwnBranch) {
    // The branch travels only in the where clause: old "0002", new "0001".
    json oldRow = ForeignRecord(), newRow = oldRow;
    newRow[At("CDFILIAL")] = "0001";
    newRow[At("DSREFETAREFA")] = "Tomada";
    json delta = MeetingDelta({{{"op", "update"}, {"old", oldRow}, {"new", newRow}}});
    json e = Refused("SetControle", delta);
    EXPECT_EQ(e["code"], "forbidden");
    EXPECT_EQ(e["message"], "O operador não tem acesso à filial 0002.");

    // The same with the key flags taken off the branch and put on the reference.
    for (json& f : delta["fields"]) {
        if (f["name"] == "CDFILIAL") f["flags"] = json::array({"update"});
        if (f["name"] == "DSREFETAREFA") f["flags"] = json::array({"key", "where", "update"});
    }
    EXPECT_EQ(Refused("SetControle", delta)["code"], "forbidden");

    // A rename in place and a delete of the foreign meeting.
    newRow = oldRow;
    newRow[At("DSREFETAREFA")] = "Tomada";
    EXPECT_EQ(Refused("SetControle",
                      MeetingDelta({{{"op", "update"}, {"old", oldRow}, {"new", newRow}}}))["code"],
              "forbidden");
    EXPECT_EQ(Refused("SetControle", MeetingDelta({{{"op", "delete"}, {"old", oldRow}}}))["code"],
              "forbidden");
    ExpectForeignUntouched();
    EXPECT_EQ(srv->Value("SELECT COUNT(*) FROM TAREFA WHERE NRTAREFA = ?", {kForeignMeeting}), "1");
}

TEST_P(BranchAttackTest, RowsAreNeitherInsertedIntoTheForeignBranchNorRekeyed) {
    const json meeting = MeetingRow("0002", "0000000778", "Intrusa", EncodeDate(2031, 1, 1));
    EXPECT_EQ(Refused("SetControle", MeetingDelta({{{"op", "insert"}, {"new", meeting}}}))["code"],
              "forbidden");
    Values booking = ForeignBooking();
    booking["NRSEQAGESALA"] = "00902";
    booking["HRINIAGESALA"] = "1400";
    booking["HRFINAGESALA"] = "1500";
    EXPECT_EQ(
        Refused("SetSalas", ChangesOf(BookingLayout(), {Insert(BookingLayout(), booking)}))["code"],
        "forbidden");
    const Values activity = {{"CDFILIAL", "0002"},
                             {"NRTAREFA", kForeignMeeting},
                             {"NRPLATIVTARE", "00002"},
                             {"CDPROCESSO", "0000000002"},
                             {"CDOPERRESP", "000000000002"}};
    EXPECT_EQ(Refused("SetAtividades",
                      ChangesOf(ActivityLayout(), {Insert(ActivityLayout(), activity)}))["code"],
              "forbidden");
    ExpectForeignUntouched();

    // A key change of an own meeting: its number moved onto another one.
    const std::string nr = NewMeeting("P");
    const json read = MeetingRecord(nr);
    json moved = read;
    moved[At("NRTAREFA")] = "0000000779";
    const json e =
        Refused("SetControle", MeetingDelta({{{"op", "update"}, {"old", read}, {"new", moved}}}));
    EXPECT_EQ(e["code"], "bad_arguments");
    EXPECT_EQ(e["message"], "O campo NRTAREFA da chave não pode ser alterado.");
    EXPECT_EQ(MeetingRecord(nr), read);
    EXPECT_EQ(srv->Value("SELECT COUNT(*) FROM TAREFA WHERE NRTAREFA = '0000000779'"), "0");
}

TEST_P(BranchAttackTest, ForeignBookingIsNotDeletedByItsDayAndSequenceAlone) {
    // Day and sequence only: the branch, part of the key, is missing.
    std::vector<FieldSpec> dayAndSeq;
    for (const FieldSpec& f : BookingLayout())
        if (std::string(f.name) == "DTATIAGESALA" || std::string(f.name) == "NRSEQAGESALA")
            dayAndSeq.push_back(f);
    json e = Refused("SetSalas", ChangesOf(dayAndSeq, {Delete(dayAndSeq, ForeignBooking())}));
    EXPECT_EQ(e["code"], "bad_arguments");
    EXPECT_EQ(e["message"],
              "O pacote de alterações de AGEATIVISALA não traz o campo CDFILIAL da "
              "chave.");

    // Claiming the own branch for the foreign day and sequence locates nothing.
    Values claimed = ForeignBooking();
    claimed["CDFILIAL"] = "0001";
    EXPECT_EQ(
        Refused("SetSalas", ChangesOf(BookingLayout(), {Delete(BookingLayout(), claimed)}))["code"],
        "stale_row");

    // Flags that leave the branch out of the key and mark the room as key instead.
    json packet = ChangesOf(BookingLayout(), {Delete(BookingLayout(), ForeignBooking())});
    for (json& f : packet["fields"]) {
        if (f["name"] == "CDFILIAL") f["flags"] = json::array();
        if (f["name"] == "CDSALA") f["flags"] = json::array({"key", "where"});
    }
    e = Refused("SetSalas", packet);
    EXPECT_EQ(e["code"], "forbidden");
    EXPECT_EQ(e["message"], "O operador não tem acesso à filial 0002.");
    ExpectForeignUntouched();
}

TEST_P(BranchAttackTest, PacketsWithoutKeyFlagsTouchOnlyTheRowTheirKeyNames) {
    const std::string a = NewMeeting("P"), b = NewMeeting("P");
    const json readA = MeetingRecord(a), readB = MeetingRecord(b);
    json renamed = readA;
    renamed[At("DSREFETAREFA")] = "Só esta";
    json delta = MeetingDelta({{{"op", "update"}, {"old", readA}, {"new", renamed}}});
    for (json& f : delta["fields"])
        f["flags"] = f["name"] == "DSREFETAREFA" ? json::array({"update"}) : json::array();
    const json r = srv->Call("SetControle", {delta}, attacker);
    ASSERT_FALSE(r.contains("error")) << r.dump();
    EXPECT_EQ(MeetingRecord(a)[At("DSREFETAREFA")], "Só esta");
    EXPECT_EQ(MeetingRecord(b), readB);

    // A delete without key flags removes that meeting only.
    for (json& f : delta["fields"])
        f["flags"] = json::array();
    delta["changes"] = {{{"op", "delete"}, {"old", MeetingRecord(a)}}};
    ASSERT_FALSE(srv->Call("SetControle", {delta}, attacker).contains("error"));
    EXPECT_TRUE(MeetingRecord(a).is_null());
    EXPECT_EQ(MeetingRecord(b), readB);
    ExpectForeignUntouched();
}

TEST_P(BranchAttackTest, StatusesAndOriginChangeOnlyThroughTheirOwnMethods) {
    const std::string nr = NewMeeting("P");
    NewActivity(nr, "00001", "000000000002", "P");
    StoreBooking("0001", nr, "00903", "00002", "0900", "1000");
    const json read = MeetingRecord(nr);
    // Cancelling by a change packet would leave the room booked and the activities open.
    const std::pair<const char*, const char*> forged[] = {{"IDSITTAREFA", "X"},
                                                          {"IDORIGTARE", "1"}};
    for (const auto& [field, value] : forged) {
        json changed = read;
        changed[At(field)] = value;
        const json e = Refused("SetControle",
                               MeetingDelta({{{"op", "update"}, {"old", read}, {"new", changed}}}));
        EXPECT_EQ(e["code"], "forbidden") << field;
        EXPECT_EQ(e["message"], std::string("O campo ") + field +
                                    " não pode ser alterado por este pacote; use a operação "
                                    "própria.");
    }
    EXPECT_EQ(MeetingRecord(nr), read);

    const json activities = srv->Result("GetAtividades", {"0001", nr});
    Values act = RowValues(activities, 0), concluded = act;
    concluded["IDSITATIVTAR"] = "C";
    EXPECT_EQ(
        Refused("SetAtividades",
                ChangesOf(ActivityLayout(), {Update(ActivityLayout(), act, concluded)}))["code"],
        "forbidden");
    EXPECT_EQ(srv->Result("GetAtividades", {"0001", nr}), activities);

    const Values booking = {{"CDFILIAL", "0001"},      {"NRTAREFA", nr},
                            {"CDSALA", "00002"},       {"DTATIAGESALA", Day(40)},
                            {"NRSEQAGESALA", "00903"}, {"IDSITAGESALA", "A"},
                            {"HRINIAGESALA", "0900"},  {"HRFINAGESALA", "1000"}};
    Values freed = booking;
    freed["IDSITAGESALA"] = "I";
    EXPECT_EQ(Refused("SetSalas", ChangesOf(BookingLayout(),
                                            {Update(BookingLayout(), booking, freed)}))["code"],
              "forbidden");
    EXPECT_EQ(srv->Value("SELECT IDSITAGESALA FROM AGEATIVISALA WHERE NRTAREFA = ?", {nr}), "A");
    EXPECT_EQ(Status(nr), "P");
}

TEST_P(BranchAttackTest, ForgedStampsOnUpdatesGiveWayToTheServers) {
    FixClock("2026-12-07T15:00:00");
    const std::string nr = NewMeeting("P");
    const std::string opened = srv->Value(
        "SELECT DTABERTAREFA FROM TAREFA WHERE CDFILIAL = '0001' AND NRTAREFA = ?", {nr});
    const json read = MeetingRecord(nr);
    json forged = read;
    forged[At("DSREFETAREFA")] = "Editada";
    forged[At("CDOPERABER")] = "000000000005";
    forged[At("DTABERTAREFA")] = Dt("2001-01-01T00:00:00");
    ASSERT_FALSE(srv->Call("SetControle",
                           {MeetingDelta({{{"op", "update"}, {"old", read}, {"new", forged}}})},
                           attacker)
                     .contains("error"));
    const SqlRow stored =
        srv->Rows("SELECT CDOPERABER, DTABERTAREFA FROM TAREFA WHERE NRTAREFA = ?", {nr}).at(0);
    EXPECT_EQ(stored[0].AsString(), kBranchOnlyOperator);
    EXPECT_EQ(stored[1].AsString(), opened);

    NewActivity(nr, "00001", "000000000002", "P");
    Values act = RowValues(srv->Result("GetAtividades", {"0001", nr}), 0), edited = act;
    edited["QTHRPATIVTAR"] = 2.0;
    edited["CDOPERINCL"] = "000000000005";
    edited["DTINCATIVTAR"] = Dt("2001-01-01T00:00:00");
    ASSERT_FALSE(srv->Call("SetAtividades",
                           {ChangesOf(ActivityLayout(), {Update(ActivityLayout(), act, edited)})},
                           attacker)
                     .contains("error"));
    const SqlRow a =
        srv->Rows("SELECT CDOPERINCL, DTINCATIVTAR FROM PLANATIVTARE WHERE NRTAREFA = ?", {nr})
            .at(0);
    EXPECT_EQ(a[0].AsString(), kBranchOnlyOperator);
    EXPECT_EQ(a[1].AsString().substr(0, 19), "2026-12-07 15:00:00");

    const Values booking = {{"CDFILIAL", "0001"},
                            {"NRTAREFA", nr},
                            {"CDSALA", "00002"},
                            {"DTATIAGESALA", Day(40)},
                            {"NRSEQAGESALA", HandedOutSequence(40, attacker)},
                            {"IDSITAGESALA", "A"},
                            {"HRINIAGESALA", "0900"},
                            {"HRFINAGESALA", "1000"},
                            {"DTINCAGESALA", Dt("2001-01-01T00:00:00")},
                            {"CDOPERADOR", "000000000005"}};
    ASSERT_FALSE(srv->Call("SetSalas",
                           {ChangesOf(BookingLayout(), {Insert(BookingLayout(), booking)})},
                           attacker)
                     .contains("error"));
    Values later = booking;
    later["HRFINAGESALA"] = "1030";
    ASSERT_FALSE(srv->Call("SetSalas",
                           {ChangesOf(BookingLayout(), {Update(BookingLayout(), booking, later)})},
                           attacker)
                     .contains("error"));
    const SqlRow b = srv->Rows(
                            "SELECT CDOPERADOR, DTINCAGESALA, HRFINAGESALA FROM AGEATIVISALA WHERE "
                            "NRTAREFA = ?",
                            {nr})
                         .at(0);
    EXPECT_EQ(b[0].AsString(), kBranchOnlyOperator);
    EXPECT_EQ(b[1].AsString().substr(0, 19), "2026-12-07 15:00:00");
    EXPECT_EQ(b[2].AsString(), "1030");
}

TEST_P(BranchAttackTest, DeleteOfARowChangedSinceItWasReadIsStale) {
    const std::string nr = NewMeeting("P");
    const json read = MeetingRecord(nr);
    srv->Exec("UPDATE TAREFA SET DSREFETAREFA = 'Mudou' WHERE NRTAREFA = ?", {nr});
    const json e = Refused("SetControle", MeetingDelta({{{"op", "delete"}, {"old", read}}}));
    EXPECT_EQ(e["code"], "stale_row");
    EXPECT_EQ(e["message"],
              "O registro foi alterado por outro usuário desde que foi lido. Atualize a lista e "
              "tente novamente.");
    EXPECT_EQ(MeetingRecord(nr)[At("DSREFETAREFA")], "Mudou");

    StoreBooking("0001", nr, "00905", "00002", "0900", "1000");
    auto readBooking = [&] {
        return RowValues(srv->Result("GetAgeAtiviSala", {"0001", "00002", Day(40), "0900", "1000"}),
                         0);
    };
    const Values booking = readBooking();
    srv->Exec("UPDATE AGEATIVISALA SET DSAGENDASALA = 'Mudou' WHERE NRTAREFA = ?", {nr});
    EXPECT_EQ(
        Refused("SetSalas", ChangesOf(BookingLayout(), {Delete(BookingLayout(), booking)}))["code"],
        "stale_row");
    EXPECT_EQ(srv->Value("SELECT COUNT(*) FROM AGEATIVISALA WHERE NRTAREFA = ?", {nr}), "1");
    // Read afresh, both go.
    ASSERT_FALSE(srv->Call("SetSalas",
                           {ChangesOf(BookingLayout(), {Delete(BookingLayout(), readBooking())})})
                     .contains("error"));
    ASSERT_FALSE(
        srv->Call("SetControle", {MeetingDelta({{{"op", "delete"}, {"old", MeetingRecord(nr)}}})})
            .contains("error"));
    EXPECT_EQ(srv->Value("SELECT COUNT(*) FROM TAREFA WHERE NRTAREFA = ?", {nr}), "0");
}

TEST_P(BranchAttackTest, ClosedMeetingsStayClosedWhateverThePacketClaims) {
    for (const char* status : {"C", "X"}) {
        const std::string nr = NewMeeting(status);
        // The packet claims the meeting is pending.
        json claimed = MeetingRecord(nr);
        claimed[At("IDSITTAREFA")] = "P";
        json edited = claimed;
        edited[At("DSREFETAREFA")] = "Reaberta";
        json e = Refused("SetControle",
                         MeetingDelta({{{"op", "update"}, {"old", claimed}, {"new", edited}}}));
        EXPECT_EQ(e["code"], "conflict") << status;
        EXPECT_EQ(e["message"], "Reunião cancelada ou concluída não pode ser alterada.");
        e = Refused("SetControle", MeetingDelta({{{"op", "delete"}, {"old", claimed}}}));
        EXPECT_EQ(e["code"], "conflict") << status;
        EXPECT_EQ(e["message"], "Somente reunião pendente pode ser excluída.");

        const Values activity = {{"CDFILIAL", "0001"},           {"NRTAREFA", nr},
                                 {"NRPLATIVTARE", "00001"},      {"CDPROCESSO", "0000000002"},
                                 {"CDOPERRESP", "000000000002"}, {"IDSITATIVTAR", "P"}};
        EXPECT_EQ(Refused("SetAtividades", ChangesOf(ActivityLayout(),
                                                     {Insert(ActivityLayout(), activity)}))["code"],
                  "conflict");
        // With a sequence handed out for it: only the meeting's status refuses it.
        const Values booking = {{"CDFILIAL", "0001"},
                                {"NRTAREFA", nr},
                                {"CDSALA", "00004"},
                                {"DTATIAGESALA", Day(41)},
                                {"NRSEQAGESALA", HandedOutSequence(41, attacker)},
                                {"IDSITAGESALA", "A"},
                                {"HRINIAGESALA", "0900"},
                                {"HRFINAGESALA", "1000"}};
        EXPECT_EQ(Refused("SetSalas",
                          ChangesOf(BookingLayout(), {Insert(BookingLayout(), booking)}))["code"],
                  "conflict");
        EXPECT_EQ(Status(nr), status);
        EXPECT_EQ(srv->Value("SELECT DSREFETAREFA FROM TAREFA WHERE NRTAREFA = ?", {nr}),
                  "Reunião de teste");
        EXPECT_EQ(srv->Value("SELECT COUNT(*) FROM PLANATIVTARE WHERE NRTAREFA = ?", {nr}), "0");
        EXPECT_EQ(srv->Value("SELECT COUNT(*) FROM AGEATIVISALA WHERE NRTAREFA = ?", {nr}), "0");
    }
    // A meeting in progress may be edited but not deleted.
    const std::string running = NewMeeting("A");
    json claimed = MeetingRecord(running);
    claimed[At("IDSITTAREFA")] = "P";
    EXPECT_EQ(Refused("SetControle", MeetingDelta({{{"op", "delete"}, {"old", claimed}}}))["code"],
              "conflict");
    EXPECT_EQ(Status(running), "A");
}

TEST_P(BranchAttackTest, BookingUpdateWithoutItsStatusIsCheckedAsTheStoredRow) {
    // A meeting holding a room, and a second booking (of another meeting) that an update
    // without IDSITAGESALA tries to move onto the first one's meeting and room.
    const std::string held = NewMeeting("P"), other = NewMeeting("P");
    StoreBooking("0001", held, "00907", "00003", "0900", "1000");
    StoreBooking("0001", other, "00908", "00004", "1400", "1500");
    std::vector<FieldSpec> noStatus;
    for (const FieldSpec& f : BookingLayout())
        if (std::string(f.name) != "IDSITAGESALA") noStatus.push_back(f);
    const Values before = {{"CDFILIAL", "0001"},      {"NRTAREFA", other},
                           {"CDSALA", "00004"},       {"DTATIAGESALA", Day(40)},
                           {"NRSEQAGESALA", "00908"}, {"HRINIAGESALA", "1400"},
                           {"HRFINAGESALA", "1500"}};
    Values onto = before;
    onto["CDSALA"] = "00003";
    onto["HRINIAGESALA"] = "0930";
    EXPECT_EQ(Refused("SetSalas", ChangesOf(noStatus, {Update(noStatus, before, onto)}))["code"],
              "conflict");
    Values sameMeeting = before;
    sameMeeting["NRTAREFA"] = held;
    const json e =
        Refused("SetSalas", ChangesOf(noStatus, {Update(noStatus, before, sameMeeting)}));
    EXPECT_EQ(e["code"], "conflict");
    EXPECT_EQ(e["message"], "A reserva não pode passar para outra reunião nem ficar sem reunião.");
    EXPECT_EQ(srv->Value("SELECT CDSALA || NRTAREFA || HRINIAGESALA FROM AGEATIVISALA WHERE "
                         "NRSEQAGESALA = '00908'"),
              "00004" + other + "1400");
}

INSTANTIATE_TEST_SUITE_P(Backends, BranchAttackTest, ::testing::Values(false, true), EngineName);

}  // namespace
}  // namespace zel::appserver::test
