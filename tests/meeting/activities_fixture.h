// The activity tests' fixture: the meeting window's fixture with the server clock held at a
// fixed moment of today (00:05), a window opened on a chosen meeting with its activities page
// shown, and helpers that add an activity through the window and set an activity's status on
// the server (statuses other than pending only ever come from there).
#pragma once

#include <string>

#include "appserver/app_server_impl.h"
#include "base/page_control_ex.h"
#include "meeting/cli_zel00400.h"
#include "meeting/frm_reuniao.h"
#include "platform/date_time.h"
#include "tests/meeting/meeting_fixture.h"

class ActivitiesTest : public MeetingWindowTest {
  protected:
    static constexpr const char* kDemoOperator = "000000000001";

    void SetUp() override {
        MeetingWindowTest::SetUp();
        server->Impl().setClock([this] { return clock; });
    }

    // Opens the window on the first meeting in `status` whose responsible operator is (or,
    // with `own` false, is not) the logged-in one, with activities when `withActivities`, and
    // shows its activities.
    TfrmReuniao& OpenOn(const std::string& status, bool own, bool withActivities = false) {
        Cli_zel00400::CriaReuniao();
        TfrmReuniao& w = *Window();
        w.cdsControle.SetFiltered(false);
        for (w.cdsControle.First(); !w.cdsControle.Eof(); w.cdsControle.Next()) {
            if (w.cdsControle.FieldByName("IDSITTAREFA").AsString() == status &&
                (w.cdsControle.FieldByName("CDOPERRESP").AsString() == kDemoOperator) == own &&
                (!withActivities || !w.cdsAtividades.IsEmpty()))
                break;
        }
        EXPECT_FALSE(w.cdsControle.Eof()) << "the demo data has such a meeting";
        w.pgcReuniao->SetActivePage(w.tshParticipantes);
        w.pgcReuniaoChange();
        recorder->Clear();
        dialogs->ClearShown();
        return w;
    }

    // Adds and posts an activity of the process "Participar de Reunião" (tree code 0101).
    // Returns its plan-activity number.
    std::string AddActivity(TfrmReuniao& w, TDateTime start, const std::string& participant = "",
                            const std::string& duration = "000100") {
        TClientDataSet& a = w.cdsAtividades;
        a.Insert();
        a.FieldByName("CDARVPROCESS").SetAsString("0101");
        a.FieldByName("CDOPERRESP").SetAsString(participant);
        a.FieldByName("DTINPATIVTAR").SetAsDateTime(start);
        a.FieldByName("QTHRPATIVTARE").SetAsString(duration);
        a.Post();
        return a.FieldByName("NRPLATIVTARE").AsString();
    }

    // Sets the status of activity `number` of the current meeting on the server and reloads.
    void SetStatus(TfrmReuniao& w, const std::string& number, const std::string& status) {
        const std::string meeting = w.cdsControle.FieldByName("NRTAREFA").AsString();
        server->Impl().db().Transact(true, [&](zel::appserver::SqlConnection& c) {
            c.Exec(
                "UPDATE PLANATIVTARE SET IDSITATIVTAR = ? WHERE CDFILIAL = '0001' AND "
                "NRTAREFA = ? AND NRPLATIVTARE = ?",
                {status, meeting, number});
            return true;
        });
        w.sbtVerificarClick();
    }

    std::string ServerMeetingStatus(const std::string& meeting) {
        return server->Impl().db().Transact(false, [&](zel::appserver::SqlConnection& c) {
            return c
                .Exec("SELECT IDSITTAREFA FROM TAREFA WHERE CDFILIAL = '0001' AND NRTAREFA = ?",
                      {meeting})
                .rows.at(0)
                .at(0)
                .AsString();
        });
    }

    TDateTime Today(int hour) const { return Date() + EncodeTime(hour, 0, 0, 0); }

    TDateTime clock = Date() + EncodeTime(0, 5, 0, 0);
};
