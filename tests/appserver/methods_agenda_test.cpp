// Agenda items and minutes over RPC: reading, numbering, change packets with server stamps,
// the status rules and the stale-row rule.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>

#include "appserver/app_server_impl.h"
#include "appserver/methods_agenda.h"
#include "platform/date_time.h"
#include "platform/variant.h"
#include "rpc_test_server.h"

namespace zel::appserver::test {
namespace {

using Strings = std::vector<std::string>;
using Values = std::map<std::string, json>;

json Row(const std::vector<FieldDef>& fields, const Values& values) {
    return RowOfFields(fields, values);
}
json Delta(const std::vector<FieldDef>& fields, json changes) {
    return DeltaOfFields(fields, std::move(changes));
}

class AgendaTest : public BackendTest {
  protected:
    // A meeting of branch 0001 in `status`, with or without agenda items.
    std::string Meeting(const std::string& status, bool withAgenda) {
        return srv->Value(
            std::string("SELECT MIN(T.NRTAREFA) FROM TAREFA T WHERE T.CDFILIAL = '0001' AND "
                        "T.IDSITTAREFA = ? AND ") +
                (withAgenda ? "" : "NOT ") +
                "EXISTS (SELECT 1 FROM ITEMTAREFA I WHERE I.CDFILIAL = T.CDFILIAL AND "
                "I.NRTAREFA = T.NRTAREFA)",
            {status});
    }
    std::string NextItem() { return srv->Result("GetPrxItemTarefa", {"0001"}).get<std::string>(); }
    Values NewItem(const std::string& nr, const std::string& item) {
        return {{"CDFILIAL", "0001"},
                {"NRTAREFA", nr},
                {"NRSEQUITTARE", item},
                {"DSREFEITTARE", "Orçamento de 2027"},
                {"NRPRIOITTARE", "1"},
                {"CDOPERRESP", "000000000003"},
                {"CDOPERADOR", "000000000005"},
                {"DTINCLITTARE", Dt("2001-01-01T00:00:00")},
                {"TXPLANITTARE", "Trazer números"}};
    }
    json InsertItem(const Values& v) {
        return srv->Call(
            "SetItemTarefa",
            {Delta(ItemTarefaFields(), {{{"op", "insert"}, {"new", Row(ItemTarefaFields(), v)}}})});
    }
    json UpdateItem(const Values& oldV, const Values& newV) {
        return srv->Call("SetItemTarefa",
                         {Delta(ItemTarefaFields(), {{{"op", "update"},
                                                      {"old", Row(ItemTarefaFields(), oldV)},
                                                      {"new", Row(ItemTarefaFields(), newV)}}})});
    }
    // Sets the server clock `minutes` from now (whole seconds; within the session's life) and
    // returns that moment as the database stores it.
    std::string FixClock(int minutes) {
        const TDateTime t = std::round((Now() + minutes / 1440.0) * 86400.0) / 86400.0;
        srv->Server().Impl().setClock([t] { return t; });
        std::string text = DateTimeToIso(t).substr(0, 19);
        text[10] = ' ';
        return text;
    }
};

TEST_P(AgendaTest, ItemsComeWithTheirNamesInTheClientsFieldOrder) {
    const std::string nr = Meeting("P", true);
    const json items = srv->Result("GetItemTarefa", {"0001", nr, "", "T"});
    EXPECT_EQ(Layout(items),
              (Strings{"NRSEQUITTARE:string:10", "DSREFEITTARE:string:100", "NRPRIOITTARE:string:3",
                       "CDOPERRESP:string:12", "DTINCLITTARE:datetime:0",
                       "TXPLANITTARE:string:2000", "NMOPERADOR:string:40", "CDFILIAL:string:4",
                       "NRTAREFA:string:10", "CDOPERADOR:string:12", "NMOPERRESP:string:40"}));
    ASSERT_EQ(items["rows"].size(), 2u);
    EXPECT_EQ(Cell(items, 0, "NMOPERADOR"), "Operador Demonstração");
    EXPECT_FALSE(Cell(items, 0, "NMOPERRESP").get<std::string>().empty());
    EXPECT_EQ(Layout(srv->Result("GetDescItTare", {"0001", nr, "x"})),
              (Strings{"CDFILIAL:string:4", "NRTAREFA:string:10", "NRSEQUITTARE:string:10",
                       "TXDESCITTARE:memo:0"}));
}

TEST_P(AgendaTest, AgendaFilterKeepsTheListedItemsByNumberOrCode) {
    const std::string nr = Meeting("P", true);
    const Strings all = Column(srv->Result("GetItemTarefa", {"0001", nr, "", "T"}), "NRSEQUITTARE");
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(
        Column(srv->Result("GetItemTarefa", {"0001", nr, "'" + all[1] + "'", ""}), "NRSEQUITTARE"),
        Strings{all[1]});
    EXPECT_EQ(Column(srv->Result("GetItemTarefa", {"0001", nr, "0001" + nr + all[0], ""}),
                     "NRSEQUITTARE"),
              Strings{all[0]});
    EXPECT_TRUE(srv->Result("GetItemTarefa", {"0001", nr, "", ""})["rows"].empty());
    EXPECT_EQ(srv->Error("GetItemTarefa", {"0001", nr, "'unterminated", ""}), "bad_arguments");
}

TEST_P(AgendaTest, ItemNumbersAreFreshTenDigitsAboveEveryExistingItem) {
    const std::string highest =
        srv->Value("SELECT MAX(NRSEQUITTARE) FROM ITEMTAREFA WHERE CDFILIAL = '0001'");
    std::set<std::string> seen;
    for (int i = 0; i < 5; ++i) {
        const std::string n = NextItem();
        EXPECT_EQ(n.size(), 10u);
        EXPECT_GT(n, highest);
        EXPECT_TRUE(seen.insert(n).second) << n << " handed out twice";
    }
}

TEST_P(AgendaTest, InsertStampsTheSessionsOperatorAndServerClock) {
    const std::string stamp = FixClock(-90);
    const std::string nr = Meeting("P", false);
    const std::string item = NextItem();
    const json r = InsertItem(NewItem(nr, item));
    ASSERT_FALSE(r.contains("error")) << r.dump();
    const auto rows = srv->Rows(
        "SELECT CDOPERADOR, DTINCLITTARE, DSREFEITTARE, CDOPERRESP FROM ITEMTAREFA "
        "WHERE CDFILIAL = '0001' AND NRTAREFA = ? AND NRSEQUITTARE = ?",
        {nr, item});
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0].AsString(), "000000000001");
    EXPECT_EQ(rows[0][1].AsString().substr(0, 19), stamp);
    EXPECT_EQ(rows[0][2].AsString(), "Orçamento de 2027");
    EXPECT_EQ(rows[0][3].AsString(), "000000000003");
}

TEST_P(AgendaTest, ChangeRestampsAndAStaleChangeIsRefused) {
    const std::string nr = Meeting("P", false);
    const std::string item = NextItem();
    ASSERT_FALSE(InsertItem(NewItem(nr, item)).contains("error"));
    const json read = srv->Result("GetItemTarefa", {"0001", nr, "", "T"});
    Values oldV;
    for (const std::string& f : FieldNames(read))
        oldV[f] = Cell(read, 0, f);
    Values newV = oldV;
    newV["DSREFEITTARE"] = "Orçamento revisto";

    const std::string stamp = FixClock(60);
    const std::string ana = srv->Login("000000000002", "0001");
    const json r =
        srv->Call("SetItemTarefa",
                  {Delta(ItemTarefaFields(), {{{"op", "update"},
                                               {"old", Row(ItemTarefaFields(), oldV)},
                                               {"new", Row(ItemTarefaFields(), newV)}}})},
                  ana);
    ASSERT_FALSE(r.contains("error")) << r.dump();
    const auto rows = srv->Rows(
        "SELECT CDOPERADOR, DTINCLITTARE, DSREFEITTARE FROM ITEMTAREFA WHERE NRTAREFA = ? AND "
        "NRSEQUITTARE = ?",
        {nr, item});
    EXPECT_EQ(rows[0][0].AsString(), "000000000002");
    EXPECT_EQ(rows[0][1].AsString().substr(0, 19), stamp);

    // The same change again: its old subject is no longer the stored one.
    Values again = newV;
    again["DSREFEITTARE"] = "Outra coisa";
    EXPECT_EQ(UpdateItem(oldV, again)["error"]["code"], "stale_row");
    EXPECT_EQ(srv->Value("SELECT DSREFEITTARE FROM ITEMTAREFA WHERE NRTAREFA = ? AND "
                         "NRSEQUITTARE = ?",
                         {nr, item}),
              "Orçamento revisto");
}

TEST_P(AgendaTest, ClosedMeetingsAgendaIsReadOnlyAndInProgressOnlyTakesNewItems) {
    for (const char* status : {"X", "C"}) {
        const std::string nr = Meeting(status, true);
        ASSERT_FALSE(nr.empty()) << status;
        EXPECT_EQ(InsertItem(NewItem(nr, NextItem()))["error"]["code"], "conflict") << status;
    }
    const std::string running = Meeting("A", true);
    EXPECT_FALSE(InsertItem(NewItem(running, NextItem())).contains("error"));
    const json read = srv->Result("GetItemTarefa", {"0001", running, "", "T"});
    Values oldV;
    for (const std::string& f : FieldNames(read))
        oldV[f] = Cell(read, 0, f);
    Values newV = oldV;
    newV["DSREFEITTARE"] = "Mudou";
    EXPECT_EQ(UpdateItem(oldV, newV)["error"]["code"], "conflict");
}

TEST_P(AgendaTest, BadItemsAreRefusedWhole) {
    const std::string nr = Meeting("P", false);
    Values blank = NewItem(nr, NextItem());
    blank["DSREFEITTARE"] = "   ";
    Values good = NewItem(nr, NextItem());
    // A good row first: the bad one after it must take it down too.
    const json r = srv->Call(
        "SetItemTarefa",
        {Delta(ItemTarefaFields(), {{{"op", "insert"}, {"new", Row(ItemTarefaFields(), good)}},
                                    {{"op", "insert"}, {"new", Row(ItemTarefaFields(), blank)}}})});
    EXPECT_EQ(r["error"]["code"], "bad_arguments");
    Values unknownResp = NewItem(nr, NextItem());
    unknownResp["CDOPERRESP"] = "999999999999";
    EXPECT_EQ(InsertItem(unknownResp)["error"]["code"], "bad_arguments");
    Values tooLong = NewItem(nr, NextItem());
    tooLong["DSREFEITTARE"] = std::string(101, 'a');
    EXPECT_EQ(InsertItem(tooLong)["error"]["code"], "too_long");
    EXPECT_EQ(srv->Value("SELECT COUNT(*) FROM ITEMTAREFA WHERE NRTAREFA = ?", {nr}), "0");
}

TEST_P(AgendaTest, ItemsOfAForeignBranchAreRefused) {
    const std::string ana = srv->Login("000000000002", "0001");
    Values v = NewItem("0000000001", "0000000999");
    v["CDFILIAL"] = "0002";
    const json r = srv->Call(
        "SetItemTarefa",
        {Delta(ItemTarefaFields(), {{{"op", "insert"}, {"new", Row(ItemTarefaFields(), v)}}})},
        ana);
    EXPECT_EQ(r["error"]["code"], "forbidden");
}

TEST_P(AgendaTest, MinutesAreWrittenReadAndGoWithTheirItem) {
    const std::string nr = Meeting("P", false);
    const std::string item = NextItem();
    ASSERT_FALSE(InsertItem(NewItem(nr, item)).contains("error"));
    const auto& df = DescItTareFields();
    const Values minutes = {{"CDFILIAL", "0001"},
                            {"NRTAREFA", nr},
                            {"NRSEQUITTARE", item},
                            {"TXDESCITTARE", "{\\rtf1 Aprovado.}"}};
    EXPECT_EQ(
        srv->Result("SetDescItTare", {Delta(df, {{{"op", "insert"}, {"new", Row(df, minutes)}}})}),
        1);
    const json read = srv->Result("getDescItTare", {"0001", nr, item});
    ASSERT_EQ(read["rows"].size(), 1u);
    EXPECT_EQ(Cell(read, 0, "TXDESCITTARE"), "{\\rtf1 Aprovado.}");

    // Deleting the item takes its minutes along.
    const json items = srv->Result("GetItemTarefa", {"0001", nr, "", "T"});
    Values oldV;
    for (const std::string& f : FieldNames(items))
        oldV[f] = Cell(items, 0, f);
    const json del = srv->Call(
        "SetItemTarefa",
        {Delta(ItemTarefaFields(), {{{"op", "delete"}, {"old", Row(ItemTarefaFields(), oldV)}}})});
    ASSERT_FALSE(del.contains("error")) << del.dump();
    EXPECT_EQ(srv->Value("SELECT COUNT(*) FROM DESCITEMTARE WHERE NRTAREFA = ?", {nr}), "0");
}

TEST_P(AgendaTest, MinutesRefusals) {
    const auto& df = DescItTareFields();
    auto insert = [&](const std::string& nr, const std::string& item, const std::string& text) {
        const Values v = {
            {"CDFILIAL", "0001"}, {"NRTAREFA", nr}, {"NRSEQUITTARE", item}, {"TXDESCITTARE", text}};
        const json r =
            srv->Call("SetDescItTare", {Delta(df, {{{"op", "insert"}, {"new", Row(df, v)}}})});
        return r.contains("error") ? r["error"]["code"].get<std::string>() : std::string();
    };
    const std::string pending = Meeting("P", true);
    const std::string item =
        srv->Value("SELECT MIN(NRSEQUITTARE) FROM ITEMTAREFA WHERE NRTAREFA = ?", {pending});
    EXPECT_EQ(insert(pending, item, "  "), "bad_arguments");
    EXPECT_EQ(insert(pending, "0000009999", "Ata"), "not_found");
    const std::string cancelled = Meeting("X", true);
    const std::string cItem =
        srv->Value("SELECT MIN(NRSEQUITTARE) FROM ITEMTAREFA WHERE NRTAREFA = ?", {cancelled});
    EXPECT_EQ(insert(cancelled, cItem, "Ata"), "conflict");
    EXPECT_EQ(srv->Value("SELECT COUNT(*) FROM DESCITEMTARE WHERE NRTAREFA IN (?, ?)",
                         {pending, cancelled}),
              "0");
}

INSTANTIATE_TEST_SUITE_P(Backends, AgendaTest, ::testing::Values(false, true), BackendCaseName);

}  // namespace
}  // namespace zel::appserver::test
