// The client dataset: event order, change log, packets in and out, view, fields.
#include "platform/client_data_set.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "platform/exceptions.h"
#include "tests/platform/data_set_fixture.h"

using nlohmann::json;
using testing_data_set::EventTrace;
using testing_data_set::MeetingPacket;

namespace {

class ClientDataSetTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ds.SetData(MeetingPacket());
        trace.Take();
    }

    TField& F(const char* name) { return ds.FieldByName(name); }
    std::string Nr() { return F("NRTAREFA").AsString(); }

    // Every row of the dataset as "NR:STATUS" in view order; the cursor is left on the first.
    std::string Rows() {
        std::string out;
        for (ds.First(); !ds.Eof(); ds.Next())
            out += (out.empty() ? "" : " ") + Nr().substr(8) + ":" + F("IDSITTAREFA").AsString();
        ds.First();
        return out;
    }

    TClientDataSet ds{"cdsControle"};
    EventTrace trace{ds};
};

// ---- event order ----

TEST_F(ClientDataSetTest, AssigningDataClosesThenOpensOnTheFirstRow) {
    ds.Next();
    ds.SetData(MeetingPacket());
    EXPECT_EQ(trace.Take(),
              "BeforeScroll AfterScroll [inactive] BeforeOpen [browse] AfterOpen AfterScroll");
    EXPECT_EQ(ds.RecNo(), 1);
    EXPECT_TRUE(ds.Bof());
}

TEST_F(ClientDataSetTest, EditingOperationsFireEventsInThePlatformOrder) {
    trace.Mark("Insert");
    ds.Insert();
    F("NRTAREFA").SetAsString("0000000009");
    trace.Mark("Post");
    ds.Post();
    trace.Mark("Edit");
    ds.Edit();
    trace.Mark("Edit again");
    ds.Edit();
    trace.Mark("Cancel");
    ds.Cancel();
    trace.Mark("Next leaving a modified edit");
    ds.Edit();
    F("DSREFETAREFA").SetAsString("Outra");
    ds.Next();
    trace.Mark("Next leaving an unmodified edit");
    ds.Edit();
    ds.Next();
    trace.Mark("Delete");
    ds.Delete();
    trace.Mark("Append then Delete");
    ds.Append();
    ds.Delete();
    trace.Mark("Locate missing");
    EXPECT_FALSE(ds.Locate("NRTAREFA", {"9999"}));
    trace.Mark("Locate found");
    EXPECT_TRUE(ds.Locate("NRTAREFA", {"0000000001"}));
    trace.Mark("Last at the end");
    ds.Last();
    ds.Next();
    EXPECT_EQ(trace.Take(),
              "Insert: BeforeInsert BeforeScroll [insert] OnNewRecord AfterInsert AfterScroll"
              " | Post: BeforePost [browse] AfterPost"
              " | Edit: BeforeEdit [edit] AfterEdit"
              " | Edit again:"
              " | Cancel: BeforeCancel [browse] AfterCancel"
              " | Next leaving a modified edit: BeforeEdit [edit] AfterEdit BeforePost [browse]"
              " AfterPost BeforeScroll AfterScroll"
              " | Next leaving an unmodified edit: BeforeEdit [edit] AfterEdit BeforeCancel"
              " [browse] AfterCancel BeforeScroll AfterScroll"
              " | Delete: BeforeDelete BeforeScroll AfterDelete AfterScroll"
              " | Append then Delete: BeforeInsert BeforeScroll [insert] OnNewRecord AfterInsert"
              " AfterScroll BeforeCancel [browse] AfterCancel"
              " | Locate missing: BeforeScroll"
              " | Locate found: BeforeScroll AfterScroll"
              " | Last at the end: BeforeScroll AfterScroll BeforeScroll AfterScroll");
    EXPECT_TRUE(ds.Eof());
}

TEST_F(ClientDataSetTest, EditOnAnEmptyDataSetInserts) {
    ds.EmptyDataSet();
    trace.Take();
    ds.Edit();
    EXPECT_EQ(ds.State(), dsInsert);
    EXPECT_EQ(trace.Take(),
              "BeforeInsert BeforeScroll [insert] OnNewRecord AfterInsert AfterScroll");
}

TEST_F(ClientDataSetTest, InsertPutsTheNewRowBeforeTheCurrentOne) {
    ds.Next();
    ds.Insert();
    F("NRTAREFA").SetAsString("0000000009");
    ds.Post();
    EXPECT_EQ(Rows(), "01:P 09: 02:A 03:C 04: ");
}

// ---- exceptions in handlers ----

TEST_F(ClientDataSetTest, AbortInBeforeHandlersLeavesStateAndRowsUnchanged) {
    const auto abort = [](TClientDataSet&) { throw EAbort(); };
    ds.BeforeEdit = abort;
    EXPECT_THROW(ds.Edit(), EAbort);
    EXPECT_EQ(ds.State(), dsBrowse);

    ds.BeforeInsert = abort;
    EXPECT_THROW(ds.Insert(), EAbort);
    EXPECT_EQ(ds.RecordCount(), 4);

    ds.BeforeDelete = abort;
    EXPECT_THROW(ds.Delete(), EAbort);
    EXPECT_EQ(ds.RecordCount(), 4);

    ds.BeforeScroll = abort;
    EXPECT_THROW(ds.Next(), EAbort);
    EXPECT_EQ(ds.RecNo(), 1);
    EXPECT_EQ(ds.ChangeCount(), 0);
}

TEST_F(ClientDataSetTest, RefusedPostKeepsTheRecordInEditWithWhatWasTyped) {
    ds.BeforePost = [](TClientDataSet&) { throw Exception("Assunto deve ser informado."); };
    ds.Edit();
    F("DSREFETAREFA").SetAsString("Nova");
    EXPECT_THROW(ds.Next(), Exception);
    EXPECT_EQ(ds.State(), dsEdit);
    EXPECT_EQ(ds.RecNo(), 1);
    EXPECT_EQ(F("DSREFETAREFA").AsString(), "Nova");
    EXPECT_EQ(ds.ChangeCount(), 0);
}

TEST_F(ClientDataSetTest, RefusedCancelKeepsTheEdit) {
    ds.BeforeCancel = [](TClientDataSet&) { throw EAbort(); };
    ds.Edit();
    EXPECT_THROW(ds.Cancel(), EAbort);
    EXPECT_EQ(ds.State(), dsEdit);
}

TEST_F(ClientDataSetTest, ExceptionInOnNewRecordCancelsTheInsert) {
    ds.OnNewRecord = [](TClientDataSet& d) {
        d.FieldByName("NRTAREFA").SetAsString("x");
        throw Exception("no number");
    };
    trace.Take();
    EXPECT_THROW(ds.Insert(), Exception);
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(ds.RecordCount(), 4);
    EXPECT_EQ(Nr(), "0000000001");
    EXPECT_EQ(trace.Take(), "BeforeInsert BeforeScroll [insert] [browse]");
}

TEST_F(ClientDataSetTest, ExceptionInAfterHandlerPropagatesOnceTheOperationHappened) {
    ds.AfterPost = [](TClientDataSet&) { throw Exception("send failed"); };
    ds.Edit();
    F("DSREFETAREFA").SetAsString("Nova");
    EXPECT_THROW(ds.Post(), Exception);
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(ds.ChangeCount(), 1);
}

TEST_F(ClientDataSetTest, HandlerReloadingTheDataSetEndsTheOperationCleanly) {
    // Windows reload their lists from handlers; the operation must not touch stale rows.
    ds.Last();
    const TBookmark last = ds.GetBookmark();
    ds.BeforeScroll = [](TClientDataSet& d) {
        d.BeforeScroll = nullptr;
        d.SetData(MeetingPacket());
    };
    ds.GotoBookmark(last);  // the reload made the bookmark stale: nothing moves
    EXPECT_EQ(Nr(), "0000000001");
    ds.Edit();
    F("DSREFETAREFA").SetAsString("x");
    ds.BeforePost = [](TClientDataSet& d) { d.SetData(MeetingPacket()); };
    ds.Post();
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(F("DSREFETAREFA").AsString(), "Planejamento");
    EXPECT_EQ(ds.ChangeCount(), 0);
}

// ---- change log ----

TEST_F(ClientDataSetTest, InsertThenEditThenDeleteLeavesNothingInTheLog) {
    ds.Append();
    F("NRTAREFA").SetAsString("0000000009");
    ds.Post();
    ds.Edit();
    F("DSREFETAREFA").SetAsString("Nova");
    ds.Post();
    EXPECT_EQ(ds.ChangeCount(), 1);
    ASSERT_EQ(ds.DeltaAsPacket().changes.size(), 1u);
    EXPECT_EQ(ds.DeltaAsPacket().changes[0].op, ChangeOp::Insert);
    ds.Delete();
    EXPECT_EQ(ds.ChangeCount(), 0);
    EXPECT_TRUE(ds.DeltaAsPacket().changes.empty());
}

TEST_F(ClientDataSetTest, EditRestoringTheOriginalValuesLeavesNothingInTheLog) {
    ds.Edit();
    F("DSREFETAREFA").SetAsString("Nova");
    ds.Post();
    EXPECT_EQ(ds.ChangeCount(), 1);
    ds.Edit();
    F("DSREFETAREFA").SetAsString("Planejamento");
    ds.Post();
    EXPECT_EQ(ds.ChangeCount(), 0);
}

TEST_F(ClientDataSetTest, DeltaHoldsOriginalAndCurrentValuesInChangeOrder) {
    ds.Last();
    ds.Delete();  // 04
    ds.First();
    ds.Edit();
    F("DSREFETAREFA").SetAsString("Primeira");
    ds.Post();
    ds.Edit();  // a second edit of the same row keeps its first place and original values
    F("QTHRREUNIAO").SetAsFloat(3);
    ds.Post();
    const ChangePacket delta = ds.DeltaAsPacket();
    ASSERT_EQ(delta.changes.size(), 2u);
    EXPECT_EQ(delta.changes[0].op, ChangeOp::Delete);
    EXPECT_EQ(delta.changes[0].oldValues[1], Variant("0000000004"));
    EXPECT_EQ(delta.changes[1].op, ChangeOp::Update);
    EXPECT_EQ(delta.changes[1].oldValues[2], Variant("Planejamento"));
    EXPECT_EQ(delta.changes[1].oldValues[5], Variant(1.5));
    EXPECT_EQ(delta.changes[1].newValues[2], Variant("Primeira"));
    EXPECT_EQ(delta.changes[1].newValues[5], Variant(3.0));
    EXPECT_EQ(delta.fields[1].flags & pfInKey, pfInKey);
}

TEST_F(ClientDataSetTest, DeltaRoundTripsThroughJson) {
    ds.Edit();
    F("DTHRREUNIAO").SetAsDateTime(EncodeDateTime(2026, 12, 9, 8, 15, 0));
    F("QTHRREUNIAO").Clear();
    ds.Post();
    ds.Append();
    F("NRTAREFA").SetAsString("0000000010");
    F("DSREFETAREFA").SetAsString("Reunião «nova»");
    ds.Post();
    ds.Locate("NRTAREFA", {"0000000003"});
    ds.Delete();
    const ChangePacket sent = ds.DeltaAsPacket();
    const ChangePacket read = ChangePacketFromJson(json::parse(ds.Delta().AsPacket().dump()));
    EXPECT_EQ(read.fields, sent.fields);
    ASSERT_EQ(read.changes.size(), 3u);
    for (size_t i = 0; i < sent.changes.size(); ++i) {
        EXPECT_EQ(read.changes[i].op, sent.changes[i].op);
        EXPECT_EQ(read.changes[i].oldValues, sent.changes[i].oldValues);
        EXPECT_EQ(read.changes[i].newValues, sent.changes[i].newValues);
    }
}

TEST_F(ClientDataSetTest, CancelUpdatesRestoresTheLoadedRows) {
    const json loaded = ds.Data().AsPacket();
    ds.Edit();
    F("DSREFETAREFA").SetAsString("Mudada");
    ds.Post();
    ds.Next();
    ds.Delete();
    ds.Append();
    F("NRTAREFA").SetAsString("0000000011");
    ds.Post();
    ds.Edit();  // still editing: CancelUpdates cancels first
    F("DSREFETAREFA").SetAsString("x");
    trace.Take();
    ds.CancelUpdates();
    EXPECT_EQ(trace.Take(), "BeforeCancel [browse] AfterCancel");
    EXPECT_EQ(ds.ChangeCount(), 0);
    EXPECT_EQ(ds.Data().AsPacket(), loaded);
    EXPECT_EQ(Rows(), "01:P 02:A 03:C 04: ");
}

TEST_F(ClientDataSetTest, MergeChangeLogMakesCurrentValuesTheOriginalOnes) {
    ds.Edit();
    F("DSREFETAREFA").SetAsString("Mudada");
    ds.Post();
    ds.Last();
    ds.Delete();
    trace.Take();
    ds.MergeChangeLog();
    EXPECT_EQ(trace.Take(), "");
    EXPECT_EQ(ds.ChangeCount(), 0);
    ds.First();
    ds.Edit();
    F("DSREFETAREFA").SetAsString("De novo");
    ds.Post();
    const ChangePacket delta = ds.DeltaAsPacket();
    ASSERT_EQ(delta.changes.size(), 1u);
    EXPECT_EQ(delta.changes[0].oldValues[2], Variant("Mudada"));
    ds.CancelUpdates();
    EXPECT_EQ(Rows(), "01:P 02:A 03:C");
}

TEST_F(ClientDataSetTest, WithoutLogChangesEditsAreAppliedButNotLogged) {
    ds.SetLogChanges(false);
    ds.Edit();
    F("DSREFETAREFA").SetAsString("Mudada");
    ds.Post();
    ds.Delete();
    EXPECT_EQ(ds.ChangeCount(), 0);
    EXPECT_EQ(ds.RecordCount(), 3);
}

TEST_F(ClientDataSetTest, DataCarriesPostedRowsButNotAnUnpostedEdit) {
    ds.Edit();
    F("DSREFETAREFA").SetAsString("Posted");
    ds.Post();
    ds.Edit();
    F("DSREFETAREFA").SetAsString("Pending");
    ds.Append();  // posts "Pending", then inserts an unposted row
    const DataPacket p = ds.DataAsPacket();
    ASSERT_EQ(p.rows.size(), 4u);
    EXPECT_EQ(p.rows[0][2], Variant("Pending"));
    ds.Cancel();
    ds.First();
    ds.Edit();
    F("DSREFETAREFA").SetAsString("Not yet");
    EXPECT_EQ(ds.DataAsPacket().rows[0][2], Variant("Pending"));
}

// ---- packets in ----

TEST_F(ClientDataSetTest, MalformedPacketLeavesTheDataSetUntouched) {
    ds.Next();
    trace.Take();
    json wrongWidth = MeetingPacket();
    wrongWidth["rows"][1].erase(0);
    json wrongKind = MeetingPacket();
    wrongKind["rows"][2][5] = "1,5";
    json badDate = MeetingPacket();
    badDate["rows"][0][4] = {{"$dt", "2026-02-30T10:00:00"}};
    json noRows = MeetingPacket();
    noRows.erase("rows");
    for (const json& bad : {wrongWidth, wrongKind, badDate, noRows}) {
        EXPECT_THROW(ds.SetData(bad), EDatabaseError) << bad.dump();
    }
    EXPECT_THROW(ds.SetDataFromJsonText("{\"fields\":["), EDatabaseError);
    EXPECT_THROW(ds.SetData(Variant(12)), EDatabaseError);
    EXPECT_EQ(trace.Take(), "");
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(ds.RecordCount(), 4);
    EXPECT_EQ(Nr(), "0000000002");
}

TEST(ClientDataSetFields, PredefinedFieldsTakePacketColumnsByName) {
    TClientDataSet ds("cdsControle");
    ds.AddField("nrtarefa", TFieldType::ftString, 10).SetDisplayLabel("Reunião");
    ds.AddField("IDSITTAREFA", TFieldType::ftString, 1);
    ds.SetData(MeetingPacket());
    EXPECT_EQ(ds.FieldCount(), 2);
    EXPECT_EQ(ds.FieldByName("NRTAREFA").AsString(), "0000000001");
    EXPECT_EQ(ds.FieldByName("NRTAREFA").DisplayLabel(), "Reunião");
}

TEST(ClientDataSetFields, MissingPredefinedFieldIsAnError) {
    TClientDataSet ds("cdsControle");
    ds.AddField("NRTAREFA", TFieldType::ftString, 10);
    ds.AddField("CDSALA", TFieldType::ftString, 5);
    try {
        ds.SetData(MeetingPacket());
        FAIL() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "Field 'CDSALA' is missing from the data packet");
    }
    EXPECT_FALSE(ds.Active());
}

TEST(ClientDataSetFields, FieldsFromPacketsKeepTheirHandlersAcrossReloads) {
    TClientDataSet ds;
    ds.SetData(MeetingPacket());
    TField* status = &ds.FieldByName("IDSITTAREFA");
    status->OnGetText = [](TField& f, std::string& text, bool) { text = "<" + f.AsString() + ">"; };
    ds.SetData(MeetingPacket());
    EXPECT_EQ(&ds.FieldByName("IDSITTAREFA"), status);
    EXPECT_EQ(status->DisplayText(), "<P>");
}

TEST(ClientDataSetFields, CreateDataSetOpensAnEmptyTable) {
    TClientDataSet ds;
    EXPECT_THROW(ds.Open(), EDatabaseError);
    ds.AddField("CDSALA", TFieldType::ftString, 5);
    ds.CreateDataSet();
    EXPECT_TRUE(ds.Active());
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_TRUE(ds.Eof());
    EXPECT_THROW(ds.AddField("X", TFieldType::ftString, 1), EDatabaseError);
    EXPECT_THROW(ds.FieldByName("NOPE"), EDatabaseError);
    EXPECT_EQ(ds.FindField("nope"), nullptr);
}

// ---- fields ----

TEST_F(ClientDataSetTest, AssignmentOutsideEditOrInsertIsRefused) {
    try {
        F("DSREFETAREFA").SetAsString("x");
        FAIL() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "cdsControle: Dataset not in edit or insert mode");
    }
    F("NRTAREFA").SetReadOnly(true);
    ds.Edit();
    EXPECT_THROW(F("NRTAREFA").SetAsString("x"), EDatabaseError);
    EXPECT_FALSE(ds.Modified());
}

TEST_F(ClientDataSetTest, StringsAreCutToTheFieldSizeInCharacters) {
    ds.Edit();
    F("CDFILIAL").SetAsString("000123");
    EXPECT_EQ(F("CDFILIAL").AsString(), "0001");
    F("IDSITTAREFA").SetAsString("ÃX");  // a two-byte letter is one character
    EXPECT_EQ(F("IDSITTAREFA").AsString(), "Ã");
}

TEST_F(ClientDataSetTest, TextConversionsUseThePtBrSettings) {
    ds.Edit();
    F("QTHRREUNIAO").SetAsString("2,5");
    EXPECT_DOUBLE_EQ(F("QTHRREUNIAO").AsFloat(), 2.5);
    F("QTHRREUNIAO").SetText(" ");
    EXPECT_TRUE(F("QTHRREUNIAO").IsNull());
    F("DTHRREUNIAO").SetAsString("09/12/2026 08:15:00");
    EXPECT_EQ(F("DTHRREUNIAO").AsDateTime(), EncodeDateTime(2026, 12, 9, 8, 15, 0));
    EXPECT_THROW(F("QTHRREUNIAO").SetAsString("duas"), EConvertError);
    EXPECT_EQ(F("DTHRREUNIAO").OldValue(),
              Variant::FromDateTime(EncodeDateTime(2026, 12, 7, 14, 30, 0)));
}

TEST_F(ClientDataSetTest, OnChangeFiresAfterTheValueIsStored) {
    std::string seen;
    F("DSREFETAREFA").OnChange = [&](TField& f) { seen = f.AsString(); };
    ds.Edit();
    F("DSREFETAREFA").SetAsString("Nova");
    EXPECT_EQ(seen, "Nova");
    EXPECT_TRUE(ds.Modified());
}

TEST_F(ClientDataSetTest, DisplayTextGoesThroughOnGetTextOrTheEditMask) {
    TField& nr = F("NRTAREFA");
    nr.SetEditMask("99.99999999;0; ");
    EXPECT_EQ(nr.DisplayText(), "00.00000001");
    EXPECT_EQ(nr.Text(), "0000000001");
    nr.OnGetText = [](TField&, std::string& text, bool display) { text = display ? "D" : "E"; };
    EXPECT_EQ(nr.DisplayText(), "D");
    EXPECT_EQ(nr.Text(), "E");
    std::string stored;
    nr.OnSetText = [&](TField&, const std::string& text) { stored = text; };
    ds.Edit();
    nr.SetText("typed");
    EXPECT_EQ(stored, "typed");
    EXPECT_EQ(nr.AsString(), "0000000001");
}

TEST(FormatMaskText, PlacesTheValueIntoTheMask) {
    EXPECT_EQ(FormatMaskText("!90:00;0; ", "1430"), "14:30");
    EXPECT_EQ(FormatMaskText("!90:00;1; ", "14:3"), "14:3 ");
    EXPECT_EQ(FormatMaskText("9999999999;0; ", "12"), "12        ");
    EXPECT_EQ(FormatMaskText("000\\-00;0;_", "12345"), "123-45");
}

// ---- view: filter, sort, locate, bookmarks ----

TEST_F(ClientDataSetTest, StatusFilterAdmitsBlankAndChosenLetters) {
    ds.SetFilter("IDSITTAREFA IN (' ', 'P', 'A')");
    ds.SetFiltered(true);
    EXPECT_EQ(Rows(), "01:P 02:A 04: ");
    ds.SetFilter("IDSITTAREFA IN (' ', 'X', 'C')");
    EXPECT_EQ(Rows(), "03:C 04: ");
    ds.SetFiltered(false);
    EXPECT_EQ(ds.RecordCount(), 4);
}

TEST_F(ClientDataSetTest, ChangingTheFilterScrollsToTheFirstRow) {
    ds.Last();
    trace.Take();
    ds.SetFilter("IDSITTAREFA = 'P'");  // not filtered yet: nothing happens
    EXPECT_EQ(trace.Take(), "");
    ds.SetFiltered(true);
    EXPECT_EQ(trace.Take(), "BeforeScroll AfterScroll");
    EXPECT_EQ(Nr(), "0000000001");
}

TEST_F(ClientDataSetTest, MalformedFilterThrowsAndKeepsTheView) {
    ds.SetFilter("IDSITTAREFA = 'C'");
    ds.SetFiltered(true);
    for (const char* bad : {"IDSITTAREFA IN ('P'", "IDSITTAREFA = ", "NOSUCH = 'P'",
                            "QTHRREUNIAO > 'muito'", "IDSITTAREFA = 'P"}) {
        EXPECT_THROW(ds.SetFilter(bad), EDatabaseError) << bad;
    }
    EXPECT_EQ(ds.Filter(), "IDSITTAREFA = 'C'");
    EXPECT_EQ(Rows(), "03:C");
}

TEST_F(ClientDataSetTest, PostedRowLeavesAFilterItNoLongerPasses) {
    ds.SetFilter("IDSITTAREFA <> 'C'");
    ds.SetFiltered(true);
    ds.Edit();
    F("IDSITTAREFA").SetAsString("C");
    ds.Post();
    EXPECT_EQ(Nr(), "0000000002");
    EXPECT_EQ(ds.RecordCount(), 2);
}

TEST_F(ClientDataSetTest, FilterLocateAndBookmarksWorkTogether) {
    ds.Locate("NRTAREFA", {"0000000003"});
    const TBookmark concluded = ds.GetBookmark();
    ds.SetFilter("IDSITTAREFA <> 'C'");
    ds.SetFiltered(true);
    EXPECT_FALSE(ds.BookmarkValid(concluded));
    EXPECT_THROW(ds.GotoBookmark(concluded), EDatabaseError);
    EXPECT_FALSE(ds.Locate("NRTAREFA", {"0000000003"}));
    EXPECT_TRUE(ds.Locate("DSREFETAREFA", {"REVISÃO"}, {loCaseInsensitive}));
    EXPECT_EQ(Nr(), "0000000002");
    EXPECT_TRUE(ds.Locate("DSREFETAREFA", {"pend"}, {loCaseInsensitive, loPartialKey}));
    EXPECT_EQ(Nr(), "0000000004");
    EXPECT_FALSE(ds.Locate("DSREFETAREFA", {"pend"}, {loPartialKey}));
    EXPECT_TRUE(ds.Locate("CDFILIAL;QTHRREUNIAO", {"0001", 2}));
    EXPECT_EQ(Nr(), "0000000002");
    ds.SetFiltered(false);
    EXPECT_TRUE(ds.BookmarkValid(concluded));
    ds.GotoBookmark(concluded);
    EXPECT_EQ(Nr(), "0000000003");
    EXPECT_EQ(ds.Lookup("NRTAREFA", {"0000000002"}, "IDSITTAREFA"), Variant("A"));
    EXPECT_TRUE(ds.Lookup("NRTAREFA", {"nope"}, "IDSITTAREFA").IsNull());
    EXPECT_EQ(Nr(), "0000000003");
}

TEST_F(ClientDataSetTest, BookmarksSurviveInsertsAndDeletesOfOtherRows) {
    ds.Last();
    const TBookmark last = ds.GetBookmark();
    ds.First();
    ds.Delete();
    ds.Insert();
    F("NRTAREFA").SetAsString("0000000000");
    ds.Post();
    ds.GotoBookmark(last);
    EXPECT_EQ(Nr(), "0000000004");
}

TEST_F(ClientDataSetTest, IndexFieldNamesSortsStablyAndKeepsPostedRowsInOrder) {
    ds.SetIndexFieldNames("CDFILIAL;QTHRREUNIAO");
    EXPECT_EQ(Rows(), "03:C 04:  01:P 02:A");  // null first; the equal branch keeps its order
    ds.Locate("NRTAREFA", {"0000000002"});
    ds.Edit();
    F("QTHRREUNIAO").SetAsFloat(0.25);
    ds.Post();
    EXPECT_EQ(Nr(), "0000000002");
    EXPECT_EQ(ds.RecNo(), 2);
    EXPECT_THROW(ds.SetIndexFieldNames("NOSUCH"), EDatabaseError);
    EXPECT_EQ(ds.IndexFieldNames(), "CDFILIAL;QTHRREUNIAO");
}

TEST_F(ClientDataSetTest, NavigationFlagsFollowThePlatform) {
    EXPECT_TRUE(ds.Bof());
    EXPECT_EQ(ds.MoveBy(10), 3);
    EXPECT_TRUE(ds.Eof());
    EXPECT_EQ(ds.MoveBy(1), 0);
    ds.Prior();
    EXPECT_FALSE(ds.Eof());
    ds.Last();
    ds.Delete();  // deleting the last row ends on the new last row with Eof set
    EXPECT_TRUE(ds.Eof());
    EXPECT_EQ(Nr(), "0000000003");
    int visited = 0;
    for (ds.First(); !ds.Eof(); ds.Next())
        ++visited;
    EXPECT_EQ(visited, 3);
}

TEST_F(ClientDataSetTest, DisplayRecordScopeReadsAnotherRowWithoutScrolling) {
    {
        TDisplayRecordScope row(ds, 2);
        EXPECT_EQ(Nr(), "0000000003");
    }
    EXPECT_EQ(Nr(), "0000000001");
    EXPECT_EQ(trace.Take(), "");
    EXPECT_THROW(TDisplayRecordScope(ds, 4), EDatabaseError);
}

}  // namespace
