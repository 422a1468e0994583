// The activities page against the real application server: posting a new activity, the
// checks at post and on leaving a grid column, the silent guards of closed meetings, sending
// the changes, and the conclusion of a meeting whose last open activity is deleted.
#include <nlohmann/json.hpp>

#include "base/db_grid.h"
#include "base/guard.h"
#include "base/page_control_ex.h"
#include "tests/meeting/activities_fixture.h"

namespace {

using ActivityPageTest = ActivitiesTest;

TEST_F(ActivityPageTest, NewActivityGetsTheServersNumberPendingStatusAndHours) {
    TfrmReuniao& w = OpenOn("P", true);
    const int before = w.cdsAtividades.RecordCount();
    const std::string number = AddActivity(w, Today(10), "", "000130");
    EXPECT_EQ("", dialogs->ShownText()) << "a blank participant and work item pass";
    EXPECT_EQ(before + 1, w.cdsAtividades.RecordCount()) << "reloaded after the post";
    EXPECT_EQ(0, w.cdsAtividades.ChangeCount());
    ASSERT_TRUE(w.cdsAtividades.Locate("NRPLATIVTARE", {Variant(number)}));
    EXPECT_EQ(1, CallCount("GetPrxPlanAtivTare"));
    EXPECT_DOUBLE_EQ(1.5, w.cdsAtividades.FieldByName("QTHRPATIVTAR").AsFloat());
    EXPECT_EQ("P", w.cdsAtividades.FieldByName("IDSITATIVTAR").AsString());
    EXPECT_EQ("Pe", w.cdsAtividades.FieldByName("IDSITATIVTAR").DisplayText());
    EXPECT_EQ(DateToStr(Date()) + " 11:30:00",
              DateTimeToStr(w.cdsAtividades.FieldByName("DTFIPATIVTAR").AsDateTime()));
    EXPECT_EQ("Participar de Reunião", w.cdsAtividades.FieldByName("NMPROCESSO").AsString());
    EXPECT_EQ("N", w.cdsAtividades.FieldByName("IDOPERPAREUNIAO").AsString());
    EXPECT_EQ(w.cdsAtividades.FieldByName("DTINCATIVTAR").AsDateTime(), clock)
        << "stamped with the server clock";
}

TEST_F(ActivityPageTest, StartBeforeTheServerClockIsRefusedAtPost) {
    TfrmReuniao& w = OpenOn("P", true);
    clock = Today(12);
    EXPECT_FALSE(Guard([&] { AddActivity(w, Today(11)); }));
    EXPECT_EQ("error: Data/Hora menor que data/hora atual.", dialogs->ShownText());
    EXPECT_EQ(dsInsert, w.cdsAtividades.State()) << "nothing is lost";
    EXPECT_EQ("DTINPATIVTAR", w.dbgPadrao->SelectedField()->FieldName());
    EXPECT_EQ(0, CallCount("SetAtividades"));
}

TEST_F(ActivityPageTest, BlankProcessIsRefusedAtPostOnlyNotWhenItsColumnIsLeft) {
    TfrmReuniao& w = OpenOn("P", true);
    w.cdsAtividades.Insert();
    ASSERT_EQ("CDARVPROCESS", w.dbgPadrao->SelectedField()->FieldName())
        << "a new activity starts at its process";
    EXPECT_TRUE(w.dbgPadrao->SetSelectedField("CDOPERRESP"));
    EXPECT_EQ("", dialogs->ShownText());
    w.cdsAtividades.FieldByName("DTINPATIVTAR").SetAsDateTime(Today(10));
    w.cdsAtividades.FieldByName("QTHRPATIVTARE").SetAsString("000100");
    EXPECT_FALSE(Guard([&] { w.cdsAtividades.Post(); }));
    EXPECT_EQ("error: Processo deve ser informado.", dialogs->ShownText());
    EXPECT_EQ(dsInsert, w.cdsAtividades.State());
    EXPECT_EQ("CDARVPROCESS", w.dbgPadrao->SelectedField()->FieldName());
}

TEST_F(ActivityPageTest, UnknownCodesAreRefusedWhenTheirColumnIsLeft) {
    TfrmReuniao& w = OpenOn("P", true);
    TClientDataSet& a = w.cdsAtividades;
    a.Insert();
    a.FieldByName("CDARVPROCESS").SetAsString("0999");
    EXPECT_FALSE(w.dbgPadrao->SetSelectedField("CDARVITTRAB"));
    EXPECT_EQ("error: Processo não cadastrado.", dialogs->ShownText());
    EXPECT_EQ("CDARVPROCESS", w.dbgPadrao->SelectedField()->FieldName()) << "the column is kept";

    a.FieldByName("CDARVPROCESS").SetAsString("0101");
    ASSERT_TRUE(w.dbgPadrao->SetSelectedField("CDARVITTRAB"));
    a.FieldByName("CDARVITTRAB").SetAsString("99");
    a.FieldByName("CDITEMTRAB").SetAsString("0000000001");
    a.FieldByName("NMITEMTRAB").SetAsString("Reunião");
    dialogs->ClearShown();
    EXPECT_FALSE(w.dbgPadrao->SetSelectedField("CDOPERRESP"));
    EXPECT_EQ("error: Item de Trabalho não cadastrado.", dialogs->ShownText());
    EXPECT_EQ("", a.FieldByName("CDITEMTRAB").AsString());
    EXPECT_EQ("", a.FieldByName("NMITEMTRAB").AsString());

    a.FieldByName("CDARVITTRAB").SetAsString("");
    ASSERT_TRUE(w.dbgPadrao->SetSelectedField("CDOPERRESP"));
    a.FieldByName("CDOPERRESP").SetAsString("77");
    dialogs->ClearShown();
    EXPECT_FALSE(w.dbgPadrao->SetSelectedField("DTINPATIVTAR"));
    EXPECT_EQ("error: Participante não cadastrado.", dialogs->ShownText());
    EXPECT_EQ("000000000077", a.FieldByName("CDOPERRESP").AsString()) << "padded to 12";

    a.Cancel();
    EXPECT_TRUE(w.dbgPadrao->SetSelectedField("CDARVPROCESS"));
    EXPECT_TRUE(w.dbgPadrao->SetSelectedField("DTINPATIVTAR")) << "browsing validates nothing";
}

TEST_F(ActivityPageTest, ClosedMeetingsAndActivitiesRefuseChangesSilently) {
    for (const char* status : {"X", "C"}) {
        TfrmReuniao& w = OpenOn(status, false, true);
        ASSERT_FALSE(w.cdsAtividades.IsEmpty()) << status;
        EXPECT_FALSE(Guard([&] { w.cdsAtividades.Insert(); })) << status;
        EXPECT_FALSE(Guard([&] { w.cdsAtividades.Edit(); })) << status;
        EXPECT_EQ(dsBrowse, w.cdsAtividades.State());
        EXPECT_EQ("", dialogs->ShownText()) << status;
        CloseWindow();
    }
    TfrmReuniao& w = OpenOn("P", true);
    const std::string number = AddActivity(w, Today(10));
    SetStatus(w, number, "C");
    ASSERT_TRUE(w.cdsAtividades.Locate("NRPLATIVTARE", {Variant(number)}));
    EXPECT_FALSE(Guard([&] { w.cdsAtividades.Edit(); }));
    EXPECT_FALSE(Guard([&] { w.cdsAtividades.Delete(); }));
    EXPECT_EQ("", dialogs->ShownText());
    EXPECT_TRUE(w.cdsAtividades.Locate("NRPLATIVTARE", {Variant(number)}));
}

TEST_F(ActivityPageTest, DurationTypedBeforeTheStartIsClearedOnce) {
    TfrmReuniao& w = OpenOn("P", true);
    w.cdsAtividades.Insert();
    ASSERT_TRUE(w.dbgPadrao->SetSelectedField("QTHRPATIVTARE"));
    EXPECT_FALSE(
        Guard([&] { w.cdsAtividades.FieldByName("QTHRPATIVTARE").SetAsString("000130"); }));
    EXPECT_EQ("error: Data/Hora Inicial deve ser informada.", dialogs->ShownText());
    EXPECT_EQ("", w.cdsAtividades.FieldByName("QTHRPATIVTARE").AsString());
    EXPECT_EQ("DTINPATIVTAR", w.dbgPadrao->SelectedField()->FieldName());
    // With a start the duration is kept.
    w.cdsAtividades.FieldByName("DTINPATIVTAR").SetAsDateTime(Today(10));
    ASSERT_TRUE(w.dbgPadrao->SetSelectedField("QTHRPATIVTARE"));
    dialogs->ClearShown();
    w.cdsAtividades.FieldByName("QTHRPATIVTARE").SetAsString("000130");
    EXPECT_EQ("000130", w.cdsAtividades.FieldByName("QTHRPATIVTARE").AsString());
    EXPECT_EQ("", dialogs->ShownText());
}

TEST_F(ActivityPageTest, StartTypedInTheGridIsCheckedAndBlankKeepsTheValue) {
    TfrmReuniao& w = OpenOn("P", true);
    w.cdsAtividades.Insert();
    TField& start = w.cdsAtividades.FieldByName("DTINPATIVTAR");
    start.SetText("  /  /       :  :  ");
    EXPECT_TRUE(start.IsNull());
    EXPECT_FALSE(Guard([&] { start.SetText("31/04/2099 10:00:00"); }));
    EXPECT_EQ("error: Data/ Hora inválida.", dialogs->ShownText());
    start.SetText(DateToStr(Date()) + " 10:00:00");
    EXPECT_EQ(Today(10), start.AsDateTime());
    EXPECT_EQ(DateToStr(Date()) + " 10:00:00", start.Text());
    start.SetText("  /  /       :  :  ");
    EXPECT_EQ(Today(10), start.AsDateTime()) << "a blank text changes nothing";
}

TEST_F(ActivityPageTest, SentChangesAreMergedSoTheyNeverTravelAgain) {
    TfrmReuniao& w = OpenOn("P", true);
    AddActivity(w, Today(10));
    const std::string kept = AddActivity(w, Today(11));
    recorder->Clear();
    w.cdsAtividades.First();
    const std::string gone = w.cdsAtividades.FieldByName("NRPLATIVTARE").AsString();
    w.cdsAtividades.Delete();
    EXPECT_EQ(0, w.cdsAtividades.ChangeCount()) << "the sent deletion is merged";
    EXPECT_EQ(0, CallCount("GetUpdConcTarefa")) << "open activities are left";
    EXPECT_EQ(w.tshParticipantes, w.pgcReuniao->ActivePage());

    // A cancelled edit does not bring the deleted row back; the next post sends one change.
    ASSERT_TRUE(w.cdsAtividades.Locate("NRPLATIVTARE", {Variant(kept)}));
    w.cdsAtividades.Edit();
    w.cdsAtividades.Cancel();
    EXPECT_FALSE(w.cdsAtividades.Locate("NRPLATIVTARE", {Variant(gone)}));
    w.cdsAtividades.Locate("NRPLATIVTARE", {Variant(kept)});
    w.cdsAtividades.Edit();
    w.cdsAtividades.FieldByName("QTHRPATIVTARE").SetAsString("000200");
    recorder->Clear();
    ASSERT_TRUE(Guard([&] { w.cdsAtividades.Post(); }));
    ASSERT_EQ(1, CallCount("SetAtividades"));
    for (const CallRecorder::Call& c : recorder->Calls()) {
        if (c.method == "SetAtividades") {
            EXPECT_EQ(1u, c.args.at(0).AsPacket().at("changes").size()) << "only the edit";
        }
    }
    EXPECT_EQ("", dialogs->ShownText());
}

TEST_F(ActivityPageTest, DeletingTheLastOpenActivityConcludesTheMeeting) {
    TfrmReuniao& w = OpenOn("P", true);
    const std::string meeting = w.cdsControle.FieldByName("NRTAREFA").AsString();
    std::vector<std::string> numbers;
    for (w.cdsAtividades.First(); !w.cdsAtividades.Eof(); w.cdsAtividades.Next())
        numbers.push_back(w.cdsAtividades.FieldByName("NRPLATIVTARE").AsString());
    for (const std::string& n : numbers)
        SetStatus(w, n, "C");
    const std::string number = AddActivity(w, Today(10));
    ASSERT_TRUE(w.cdsAtividades.Locate("NRPLATIVTARE", {Variant(number)}));
    recorder->Clear();
    ASSERT_TRUE(Guard([&] { w.cdsAtividades.Delete(); }));
    EXPECT_EQ("", dialogs->ShownText());
    EXPECT_EQ(1, CallCount("GetConcTarefa"));
    EXPECT_EQ(1, CallCount("GetUpdConcTarefa"));
    EXPECT_EQ(1, CallCount("GetControle")) << "the list is refreshed";
    EXPECT_EQ("C", ServerMeetingStatus(meeting));
    EXPECT_EQ(w.tshReuniao, w.pgcReuniao->ActivePage());
    EXPECT_EQ(&w.cdsControle, w.dtsPadrao.DataSet()) << "the buttons follow the list page";
}

}  // namespace
