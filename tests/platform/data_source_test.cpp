// Data sources: what data-aware controls are told, DisableControls, switching and lifetimes.
#include "platform/data_source.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/exceptions.h"
#include "tests/platform/data_set_fixture.h"

using testing_data_set::MeetingPacket;

namespace {

// A control that writes down every notification it receives.
class RecordingControl : public TDataSourceListener {
  public:
    void ActiveChanged() override { Add("active"); }
    void StateChanged() override { Add("state"); }
    void DataSetChanged() override { Add("dataset"); }
    void RecordChanged(TField* field) override {
        Add("record(" + (field ? field->FieldName() : std::string("*")) + ")");
    }
    void UpdateData() override {
        Add("update");
        if (pendingText.empty()) return;
        source->DataSet()->FieldByName("DSREFETAREFA").SetText(pendingText);
        pendingText.clear();
    }
    bool FocusControl(TField& field) override {
        Add("focus(" + field.FieldName() + ")");
        return true;
    }
    void DataSourceDestroyed(TDataSource&) override {
        Add("source gone");
        source = nullptr;
    }

    std::string Take() {
        std::string out = std::move(log);
        log.clear();
        return out;
    }

    TDataSource* source = nullptr;
    std::string pendingText;  // text typed but not yet written into the field
    std::string log;

  private:
    void Add(const std::string& s) { log += (log.empty() ? "" : " ") + s; }
};

class DataSourceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        control.source = &source;
        source.AddListener(&control);
        source.OnStateChange = [this](TDataSource& s) {
            control.log += std::string(control.log.empty() ? "" : " ") +
                           "OnStateChange:" + DataSetStateName(s.State());
        };
        ds.SetData(MeetingPacket());
        control.Take();
    }
    void TearDown() override { source.RemoveListener(&control); }

    TClientDataSet ds{"cdsControle"};
    TDataSource source{&ds};
    RecordingControl control;
};

TEST_F(DataSourceTest, ControlsFollowOpenEditAssignAndPost) {
    ds.Close();
    ds.SetData(MeetingPacket());
    ds.Edit();
    ds.FieldByName("IDSITTAREFA").SetAsString("A");
    ds.Post();
    ds.Next();
    EXPECT_EQ(control.Take(),
              "active state OnStateChange:inactive active state OnStateChange:browse dataset"
              " state OnStateChange:edit record(*) record(IDSITTAREFA)"
              " update state OnStateChange:browse dataset dataset");
}

TEST_F(DataSourceTest, PendingTextIsWrittenBeforeBeforePostRuns) {
    std::string seenByBeforePost;
    ds.BeforePost = [&](TClientDataSet& d) {
        seenByBeforePost = d.FieldByName("DSREFETAREFA").AsString();
    };
    ds.Edit();
    control.pendingText = "Digitado";
    ds.Post();
    EXPECT_EQ(seenByBeforePost, "Digitado");
    EXPECT_EQ(ds.ChangeCount(), 1);
}

TEST_F(DataSourceTest, NavigationPostsTextTypedIntoAnUnmodifiedRecord) {
    ds.Edit();
    control.pendingText = "Digitado";
    ds.Next();
    ds.Prior();
    EXPECT_EQ(ds.FieldByName("DSREFETAREFA").AsString(), "Digitado");
}

TEST_F(DataSourceTest, DisabledControlsAreRefreshedOnceWhenTheLastEnableComes) {
    ds.DisableControls();
    ds.DisableControls();
    int afterScrolls = 0;
    ds.AfterScroll = [&](TClientDataSet&) { ++afterScrolls; };
    for (ds.First(); !ds.Eof(); ds.Next()) {
        ds.Edit();
        ds.FieldByName("QTHRREUNIAO").SetAsFloat(1);
        ds.Post();
    }
    ds.EnableControls();
    EXPECT_TRUE(ds.ControlsDisabled());
    EXPECT_EQ(control.Take(), "");
    ds.EnableControls();
    EXPECT_FALSE(ds.ControlsDisabled());
    EXPECT_EQ(control.Take(), "dataset");
    EXPECT_EQ(afterScrolls, 5);  // the dataset's own events still fired
}

TEST_F(DataSourceTest, StateChangedWhileDisabledIsReportedOnEnable) {
    ds.DisableControls();
    ds.Edit();
    ds.EnableControls();
    EXPECT_EQ(control.Take(), "state OnStateChange:edit dataset");
}

// A window's first load opens its dataset with the controls disabled: enabling them must
// still show the rows (and fire OnDataChange), or the controls stay empty until a scroll.
TEST_F(DataSourceTest, DataSetOpenedWhileDisabledIsShownOnEnable) {
    int dataChanges = 0;
    source.OnDataChange = [&](TDataSource&, TField*) { ++dataChanges; };
    ds.Close();
    control.Take();
    ds.DisableControls();
    ds.SetData(MeetingPacket());
    EXPECT_EQ(control.Take(), "");
    ds.EnableControls();
    EXPECT_EQ(control.Take(), "active state OnStateChange:browse dataset");
    EXPECT_EQ(dataChanges, 1);
}

TEST_F(DataSourceTest, SeveralSourcesShareOneDataSet) {
    TDataSource second(&ds);
    RecordingControl other;
    second.AddListener(&other);
    ds.Edit();
    EXPECT_EQ(control.Take(), "state OnStateChange:edit record(*)");
    EXPECT_EQ(other.Take(), "state record(*)");
    second.RemoveListener(&other);
}

TEST_F(DataSourceTest, SwitchingTheDataSetReportsInactiveThenTheNewState) {
    TClientDataSet other;
    other.SetData(MeetingPacket());
    other.Edit();
    source.SetDataSet(&other);
    EXPECT_EQ(control.Take(),
              "active state OnStateChange:inactive active state OnStateChange:edit");
    ds.Edit();  // no longer watched
    EXPECT_EQ(control.Take(), "");
    source.SetDataSet(&ds);
}

TEST_F(DataSourceTest, DisabledSourceReportsInactiveAndPassesNothing) {
    source.SetEnabled(false);
    EXPECT_EQ(source.State(), dsInactive);
    ds.Next();
    EXPECT_EQ(control.Take(), "active state OnStateChange:inactive");
    source.SetEnabled(true);
    EXPECT_EQ(source.State(), dsBrowse);
}

TEST_F(DataSourceTest, AutoEditPutsTheDataSetInEditUnlessRefused) {
    EXPECT_TRUE(source.Edit());
    EXPECT_EQ(ds.State(), dsEdit);
    ds.Cancel();
    ds.BeforeEdit = [](TClientDataSet&) { throw EAbort(); };
    EXPECT_THROW(source.Edit(), EAbort);
    EXPECT_EQ(ds.State(), dsBrowse);
    ds.BeforeEdit = nullptr;
    source.SetAutoEdit(false);
    EXPECT_FALSE(source.Edit());
    EXPECT_EQ(ds.State(), dsBrowse);
}

TEST_F(DataSourceTest, FocusControlAsksTheControlsWhenNoHookIsSet) {
    ds.FieldByName("NRTAREFA").FocusControl();
    EXPECT_EQ(control.Take(), "focus(NRTAREFA)");
    bool hooked = false;
    ds.FieldByName("NRTAREFA").OnFocusControl = [&] { hooked = true; };
    ds.FieldByName("NRTAREFA").FocusControl();
    EXPECT_TRUE(hooked);
    EXPECT_EQ(control.Take(), "");
}

TEST(DataSourceLifetime, DestroyedDataSetDetachesItsSources) {
    TDataSource source;
    RecordingControl control;
    source.AddListener(&control);
    {
        TClientDataSet ds;
        ds.SetData(MeetingPacket());
        source.SetDataSet(&ds);
        control.Take();
    }
    EXPECT_EQ(source.DataSet(), nullptr);
    EXPECT_EQ(source.State(), dsInactive);
    EXPECT_EQ(control.Take(), "active state");
    source.RemoveListener(&control);
}

TEST(DataSourceLifetime, DestroyedSourceDetachesFromItsDataSetAndTellsItsControls) {
    TClientDataSet ds;
    ds.SetData(MeetingPacket());
    RecordingControl control;
    auto source = std::make_unique<TDataSource>(&ds);
    control.source = source.get();
    source->AddListener(&control);
    source.reset();
    EXPECT_EQ(control.Take(), "source gone");
    EXPECT_EQ(control.source, nullptr);
    ds.Edit();  // must not reach the destroyed source
    ds.Post();
}

}  // namespace
