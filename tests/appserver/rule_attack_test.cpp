// What the meeting window forbids, tried by a client that calls the server directly with a
// valid login: status changes the window does not offer, times beyond a day, stamps of
// someone else, oversized calls, and reads by a branch whose access was revoked. Each attempt
// is refused with the reason and the rows it aimed at are read back unchanged. On SQLite and
// PostgreSQL.
#include <gtest/gtest.h>

#include "appserver/counters.h"
#include "appserver/methods_agenda.h"
#include "meeting_fixture.h"

namespace zel::appserver::test {
namespace {

class RuleAttackTest : public MeetingFixture {
  protected:
    json Refused(const std::string& method, json params, const std::string& token = "") {
        const json r = srv->Call(method, params, token.empty() ? srv->Token() : token);
        EXPECT_TRUE(r.contains("error")) << method << " accepted " << params.dump().substr(0, 300);
        return r.value("error", json{{"code", ""}, {"message", ""}});
    }
    // A meeting's row, its activities and bookings as one text.
    std::string State(const std::string& nr) {
        std::string out;
        for (const char* sql :
             {"SELECT DSREFETAREFA, IDSITTAREFA, DTHRREUNIAO, CDPROCESSO FROM TAREFA WHERE "
              "NRTAREFA = ?",
              "SELECT NRPLATIVTARE, IDSITATIVTAR, IDOPERPAREUNIAO, CDOPERINCL FROM PLANATIVTARE "
              "WHERE NRTAREFA = ? ORDER BY NRPLATIVTARE",
              "SELECT NRSEQAGESALA, NRTAREFA, CDSALA, HRINIAGESALA, IDSITAGESALA FROM "
              "AGEATIVISALA WHERE NRTAREFA = ? ORDER BY NRSEQAGESALA"})
            for (const SqlRow& row : srv->Rows(sql, {nr})) {
                for (const Variant& v : row)
                    out += (v.IsNull() ? std::string("null") : v.AsString()) + "|";
                out += "\n";
            }
        return out;
    }
    json Record(const std::string& nr) {
        json p = AllMeetingsParams();
        p[1] = nr;
        p[2] = "";
        return srv->Result("GetControle", p)["rows"][0];
    }
    static size_t At(const char* field) {
        return static_cast<size_t>(FieldIndex(MeetingDelta(json::array()), field));
    }
    json Rename(const std::string& nr, const char* field, const json& value) {
        const json read = Record(nr);
        json changed = read;
        changed[At(field)] = value;
        return json::array({MeetingDelta({{{"op", "update"}, {"old", read}, {"new", changed}}})});
    }
    void StoreBooking(const std::string& nr, const std::string& seq, int offset = 40) {
        srv->Exec(
            "INSERT INTO AGEATIVISALA (CDFILIAL, DTATIAGESALA, NRSEQAGESALA, CDSALA, NRTAREFA, "
            "IDSITAGESALA, HRINIAGESALA, HRFINAGESALA) VALUES ('0001', ?, ?, '00002', ?, 'A', "
            "'0900', '1000')",
            {Variant::FromDateTime(DateOf(Now()) + offset), seq, nr});
    }
    static Values Booking(const std::string& nr, const std::string& seq, int offset) {
        return {{"CDFILIAL", "0001"},          {"NRTAREFA", nr},        {"CDSALA", "00002"},
                {"DTATIAGESALA", Day(offset)}, {"NRSEQAGESALA", seq},   {"IDSITAGESALA", "A"},
                {"HRINIAGESALA", "0900"},      {"HRFINAGESALA", "1000"}};
    }
};

TEST_P(RuleAttackTest, AMeetingInProgressIsNeitherRenamedNorCancelledOnceItsActivitiesRun) {
    const std::string nr = NewMeeting("A");
    NewActivity(nr, "00001", "000000000002", "A");
    const std::string before = State(nr);
    json e = Refused("SetControle", Rename(nr, "DSREFETAREFA", "Renomeada"));
    EXPECT_EQ(e["code"], "conflict");
    EXPECT_EQ(e["message"], "Reunião com atividade iniciada ou concluída não pode ser alterada.");
    for (const char* method : {"GetUpdCancelAtiv", "GetUpdCancelTarefa"}) {
        e = Refused(method, {"0001", nr});
        EXPECT_EQ(e["code"], "conflict") << method;
        EXPECT_EQ(e["message"], "Somente reunião pendente pode ser cancelada.") << method;
    }
    EXPECT_EQ(State(nr), before);

    // In progress with no activity under way: its times may move, its header may not.
    const std::string quiet = NewMeeting("A", 44);
    const std::string quietBefore = State(quiet);
    EXPECT_EQ(Refused("SetControle", Rename(quiet, "DSREFETAREFA", "Outra"))["message"],
              "Reunião em andamento: somente data, hora, duração e sala podem ser alteradas.");
    EXPECT_EQ(Refused("SetControle", Rename(quiet, "CDPROCESSO", "0000000003"))["message"],
              "O processo de uma reunião já cadastrada não pode ser alterado.");
    EXPECT_EQ(State(quiet), quietBefore);
    EXPECT_EQ(srv->Error("SetControle", Rename(quiet, "DTHRREUNIAO", Day(44, 10))), "");
}

TEST_P(RuleAttackTest, BookingsOfConcludedOrCancelledMeetingsStayWhereTheyWere) {
    for (const char* status : {"C", "X"}) {
        const int day = status[0] == 'C' ? 40 : 41;
        const std::string nr = NewMeeting(status, day);
        const std::string seq = "00951";
        StoreBooking(nr, seq, day);
        const std::string before = State(nr);
        const Values stored = Booking(nr, seq, day);
        Values moved = stored, detached = stored;
        moved["HRINIAGESALA"] = "0800";
        detached["NRTAREFA"] = nullptr;
        EXPECT_EQ(Refused("SetSalas", {ChangesOf(BookingLayout(), {Update(BookingLayout(), stored,
                                                                          moved)})})["message"],
                  "A reserva de uma reunião cancelada ou concluída não pode ser alterada nem "
                  "excluída.");
        EXPECT_EQ(Refused("SetSalas", {ChangesOf(BookingLayout(), {Update(BookingLayout(), stored,
                                                                          detached)})})["message"],
                  "A reserva não pode passar para outra reunião nem ficar sem reunião.");
        EXPECT_EQ(Refused("SetSalas",
                          {ChangesOf(BookingLayout(), {Delete(BookingLayout(), stored)})})["code"],
                  "conflict");
        const json e = Refused("GetDelSala", {"0001", "00002", Day(day), seq});
        EXPECT_EQ(e["code"], "conflict");
        EXPECT_EQ(e["message"],
                  "A reserva de uma reunião cancelada ou concluída não pode ser excluída.");
        // Cancelling it (again) does not take the booking away either.
        if (status[0] == 'X') {
            EXPECT_EQ(srv->Error("GetUpdCancelTarefa", {"0001", nr}), "");
        }
        EXPECT_EQ(State(nr), before) << status;
    }
}

TEST_P(RuleAttackTest, ActivitiesFollowTheWindowsStatusAndParticipationRules) {
    // Activities go only from pending meetings.
    const std::string running = NewMeeting("A");
    NewActivity(running, "00001", "000000000002", "P");
    const std::string before = State(running);
    const Values act = RowValues(srv->Result("GetAtividades", {"0001", running}), 0);
    EXPECT_EQ(Refused("SetAtividades",
                      {ChangesOf(ActivityLayout(), {Delete(ActivityLayout(), act)})})["message"],
              "Somente atividades de reunião pendente podem ser excluídas.");
    EXPECT_EQ(State(running), before);

    // Only the meeting's responsible operator marks who took part, and not ahead of the day.
    const std::string nr = NewMeeting("P", 0, 23, 0.5);
    NewActivity(nr, "00001", "000000000002", "P");
    srv->Exec("UPDATE PLANATIVTARE SET DTINPATIVTAR = ?, DTFIPATIVTAR = ? WHERE NRTAREFA = ?",
              {Variant::FromDateTime(DateOf(Now()) + 23 / 24.0),
               Variant::FromDateTime(DateOf(Now()) + 23.5 / 24.0), nr});
    const Values read = RowValues(srv->Result("GetAtividades", {"0001", nr}), 0);
    Values marked = read;
    marked["IDOPERPAREUNIAO"] = "S";
    const json mark = {ChangesOf(ActivityLayout(), {Update(ActivityLayout(), read, marked)})};
    const std::string stranger = srv->Login(kBranchOnlyOperator, "0001");
    const std::string unmarked = State(nr);
    json e = Refused("SetAtividades", mark, stranger);
    EXPECT_EQ(e["code"], "forbidden");
    EXPECT_EQ(e["message"], "Operador não tem permissão para alterar o campo.");
    EXPECT_EQ(State(nr), unmarked);
    EXPECT_EQ(srv->Error("SetAtividades", mark), "");

    const std::string later = NewMeeting("P", 45);
    NewActivity(later, "00001", "000000000002", "P");
    srv->Exec("UPDATE PLANATIVTARE SET DTINPATIVTAR = ? WHERE NRTAREFA = ?",
              {Variant::FromDateTime(DateOf(Now()) + 45 + 9 / 24.0), later});
    const Values early = RowValues(srv->Result("GetAtividades", {"0001", later}), 0);
    Values ahead = early;
    ahead["IDOPERPAREUNIAO"] = "S";
    e = Refused("SetAtividades",
                {ChangesOf(ActivityLayout(), {Update(ActivityLayout(), early, ahead)})});
    EXPECT_EQ(e["message"],
              "Campo não pode ser alterado, pois a Data/Hora Início da reunião é superior a data "
              "atual.");
}

TEST_P(RuleAttackTest, StartsInThePastAndTimesBeyondTheDayAreNeverStored) {
    const std::string nr = NewMeeting("P");
    const std::string tables = srv->Value("SELECT COUNT(*) FROM TAREFA") + "/" +
                               srv->Value("SELECT COUNT(*) FROM PLANATIVTARE");
    const auto insert = [&](double start, double hours) {
        const std::string nr = srv->Result("GetPrxTarefa", {"0001"});
        return json::array({MeetingDelta(
            {{{"op", "insert"}, {"new", MeetingRow("0001", nr, "Fora do dia", start, hours)}}})});
    };
    EXPECT_EQ(Refused("SetControle", insert(DateOf(Now()) - 1 + 9 / 24.0, 1))["message"],
              "Data da Reunião deve ser maior que data atual.");
    EXPECT_EQ(Refused("SetControle", insert(DateOf(Now()) + 40 + 23 / 24.0, 2))["code"],
              "bad_arguments");
    EXPECT_EQ(Refused("SetControle", insert(DateOf(Now()) + 40 + 9 / 24.0, 0))["message"],
              "Quantidade de horas informada incorretamente.");

    // A participant whose end lies 400 days after the start, duration left blank.
    const TDateTime start = DateOf(Now()) + 40 + 9 / 24.0;
    const std::string number = srv->Result("GetPrxPlanAtivTare", {"0001", nr});
    json e = Refused("GetInsCadAtiv",
                     {"0001", nr, number, "", Dt("2001-01-01T00:00:00"), "000000000002",
                      Dt(DateTimeToIso(start)), Dt(DateTimeToIso(start + 400)), "", ""});
    EXPECT_EQ(e["message"], "A data final não pode ultrapassar o dia.");
    e = Refused("GetInsereAtiv", {"0001", nr, std::stoi(number), "0000000002",
                                  Dt("2001-01-01T00:00:00"), "000000000002", "000000000002",
                                  Dt(DateTimeToIso(start)), Dt(DateTimeToIso(start + 1)), "1"});
    EXPECT_EQ(e["message"], "A data final não pode ultrapassar o dia.");
    EXPECT_EQ(srv->Value("SELECT COUNT(*) FROM TAREFA") + "/" +
                  srv->Value("SELECT COUNT(*) FROM PLANATIVTARE"),
              tables);
}

TEST_P(RuleAttackTest, AnImportedItemIsIncludedByTheSessionsOperatorNow) {
    FixClock("2026-12-07T15:00:00");
    const std::string source = NewMeeting("P"), target = NewMeeting("P", 41);
    const std::string item = srv->Result("GetPrxItemTarefa", {"0001"});
    srv->Exec(
        "INSERT INTO ITEMTAREFA (CDFILIAL, NRTAREFA, NRSEQUITTARE, DSREFEITTARE) VALUES "
        "('0001', ?, ?, 'Origem')",
        {source, item});
    const std::string op = srv->Login(kBranchOnlyOperator, "0001");
    ASSERT_FALSE(srv->Call("GetInsAssunto",
                           {"0001", target, item, "Origem", Dt("2001-01-01T00:00:00"),
                            "000000000005", "Nota", "", "1"},
                           op)
                     .contains("error"));
    const SqlRow stored =
        srv->Rows("SELECT CDOPERADOR, DTINCLITTARE FROM ITEMTAREFA WHERE NRTAREFA = ?", {target})
            .at(0);
    EXPECT_EQ(stored[0].AsString(), kBranchOnlyOperator);
    EXPECT_EQ(stored[1].AsString().substr(0, 19), "2026-12-07 15:00:00");
}

TEST_P(RuleAttackTest, OversizedCallsAreRefusedBeforeAnythingIsWritten) {
    const std::string meetings = srv->Value("SELECT COUNT(*) FROM TAREFA");
    json changes = json::array();
    for (int i = 0; i < 1001; ++i)
        changes.push_back({{"op", "insert"},
                           {"new", MeetingRow("0001", std::to_string(1000000000 + i), "Lote",
                                              DateOf(Now()) + 40)}});
    json e = Refused("SetControle", {MeetingDelta(changes)});
    EXPECT_EQ(e["code"], "too_long");
    EXPECT_EQ(e["message"],
              "O pacote de alterações traz 1001 alterações; o máximo por chamada é 1000.");
    EXPECT_EQ(srv->Value("SELECT COUNT(*) FROM TAREFA"), meetings);

    json list = AllMeetingsParams();
    list[1] = std::string(100001, '1');
    list[2] = "";
    EXPECT_EQ(Refused("GetControle", list)["code"], "too_long");
    const json query = {"qryPauta",
                        {{"fields", {{{"name", "P_NRTAREFA"}, {"type", "string"}, {"size", 4000}}}},
                         {"rows", {{std::string(100001, '1')}}}}};
    EXPECT_EQ(Refused("OpenServerQuery", query)["message"],
              "O parâmetro P_NRTAREFA da consulta qryPauta aceita no máximo 100000 caracteres.");

    // Minutes beyond a megabyte.
    const std::string nr = NewMeeting("P");
    const std::string item = srv->Result("GetPrxItemTarefa", {"0001"});
    srv->Exec(
        "INSERT INTO ITEMTAREFA (CDFILIAL, NRTAREFA, NRSEQUITTARE, DSREFEITTARE) VALUES "
        "('0001', ?, ?, 'Item')",
        {nr, item});
    json fields = json::array();
    for (const FieldDef& f : DescItTareFields())
        fields.push_back(FieldDefToJson(f));
    const json minutes = {
        {"fields", fields},
        {"changes",
         {{{"op", "insert"}, {"new", {"0001", nr, item, std::string(1024 * 1024 + 1, 'a')}}}}}};
    EXPECT_EQ(Refused("SetDescItTare", {minutes})["code"], "too_long");
    EXPECT_EQ(srv->Value("SELECT COUNT(*) FROM DESCITEMTARE WHERE NRTAREFA = ?", {nr}), "0");

    // A daily series of 300 meetings copying forty activities each.
    const std::string first = NewMeeting("P", 42);
    for (int i = 1; i <= 40; ++i)
        NewActivity(first, ZeroFill(i, 5), "000000000002", "P");
    e = Refused("SetSerieReuniao", {"0001", first, "S", "1234567", "", 300, "S"});
    EXPECT_EQ(e["code"], "too_long");
    EXPECT_EQ(srv->Value("SELECT COUNT(*) FROM TAREFA"), std::to_string(std::stoi(meetings) + 2));
}

TEST_P(RuleAttackTest, ARevokedBranchIsNoLongerReadThroughTheLoginBranch) {
    const std::string op = srv->Login(kBranchOnlyOperator, "0001");
    const json params[] = {json::array({Day(40)}), json::array({"", "T"})};
    EXPECT_FALSE(srv->Call("GetAgendaSalasDia", params[0], op).contains("error"));
    srv->Exec("DELETE FROM OPERFILIAL WHERE CDOPERADOR = ? AND CDFILIAL = '0001'",
              {kBranchOnlyOperator});
    for (const auto& [method, args] : {std::pair<const char*, json>{"GetAgendaSalasDia", params[0]},
                                       {"GetCadOperPart", params[1]},
                                       {"GetSeqSalas", params[0]}}) {
        const json e = Refused(method, args, op);
        EXPECT_EQ(e["code"], "forbidden") << method;
        EXPECT_EQ(e["message"], "O operador não tem acesso à filial 0001.") << method;
    }
    const json query = {"qryReuniao", {{"fields", json::array()}, {"rows", json::array()}}};
    EXPECT_EQ(Refused("OpenServerQuery", query, op)["code"], "forbidden");
}

INSTANTIATE_TEST_SUITE_P(Backends, RuleAttackTest, ::testing::Values(false, true), EngineName);

}  // namespace
}  // namespace zel::appserver::test
