// Helpers of the meeting-editing tests: typing a meeting into the form page, saving one, and
// reading what the server stored (straight from its database, not through the window).
#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "appserver/app_server_impl.h"
#include "base/buttons.h"
#include "base/date_picker_edit.h"
#include "base/db_edit.h"
#include "base/login_context.h"
#include "base/lookup_button.h"
#include "base/mask_edit.h"
#include "base/routines.h"
#include "meeting/cli_zel00400.h"
#include "meeting/date_time_rules.h"
#include "meeting/frm_reuniao.h"
#include "platform/routines.h"
#include "tests/meeting/meeting_fixture.h"

class MeetingEditFixture : public MeetingWindowTest {
  protected:
    TfrmReuniao& Open() {
        Cli_zel00400::CriaReuniao();
        EXPECT_NE(nullptr, Window());
        return *Window();
    }

    static void SetStatusButtons(TfrmReuniao& w, bool p, bool a, bool x, bool c) {
        w.tbtPendente->SetDown(p);
        w.tbtAndamento->SetDown(a);
        w.tbtCancelada->SetDown(x);
        w.tbtConcluida->SetDown(c);
        ASSERT_TRUE(w.tbtPendente->Click());
    }

    // Include, then a valid header (reference, process "01", subject, responsible) unless
    // `header` is false (only the reference then).
    void StartNewMeeting(TfrmReuniao& w, bool header = true) {
        ASSERT_TRUE(w.sbtIncluir->Click()) << dialogs->ShownText();
        w.dbeDsReferencia->SetText("Reunião de teste");
        if (!header) return;
        w.dbeProcesso->SetText("01");
        w.dbeAssunto->SetText("3");
        w.dbeResp->SetText("1");
    }

    // Key presses of each character of `text`, as typing sends them.
    static void TypeKeys(QWidget* w, const std::string& text) {
        for (char c : text) {
            const QString ch(QChar::fromLatin1(c));
            QKeyEvent press(QEvent::KeyPress, static_cast<int>(ch.toUpper().at(0).unicode()),
                            Qt::NoModifier, ch);
            QApplication::sendEvent(w, &press);
        }
    }

    static void TypeWindow(TfrmReuniao& w, TDateTime day, const std::string& start,
                           const std::string& duration) {
        w.depDataIni->SetDate(day);
        w.medHoraIni->SetText(start);
        w.medQtdeHoras->SetText(duration);
    }

    // A new meeting saved through the window; its number. `room` blank: none.
    std::string SaveMeeting(TfrmReuniao& w, TDateTime day, const std::string& start,
                            const std::string& duration, const std::string& room) {
        StartNewMeeting(w);
        TypeWindow(w, day, start, duration);
        w.dbeCdSalas->SetText(room);
        dialogs->ClearShown();
        EXPECT_TRUE(w.sbtConfirmar->Click()) << dialogs->ShownText();
        EXPECT_EQ(Cli_zel00400::stNovaTarefa, w.cdsControle.FieldByName("NRTAREFA").AsString());
        return Cli_zel00400::stNovaTarefa;
    }

    // The methods of saving and deleting a meeting the window called, in order.
    std::vector<std::string> SavingCalls() const {
        static const std::set<std::string> saving = {
            "GetPrxTarefa",  "GetAuxAtiv",          "GetSeqSalas",        "SetControle",
            "SetSalas",      "GetCarregaAtividade", "GetPrxPlanAtivTare", "GetInsereAtiv",
            "GetAlteraAtiv", "GetUpdAtiv",          "GetAtividades",      "GetControle",
            "GetDelAtiv"};
        std::vector<std::string> out;
        for (const std::string& m : recorder->Methods())
            if (saving.count(m)) out.push_back(m);
        // After the save the list reloads and loads the current meeting's details: only the
        // first GetAtividades after the activity writes and the first reload count.
        std::vector<std::string> trimmed;
        bool listed = false;
        for (const std::string& m : out) {
            if (listed) break;
            if (m == "GetAtividades" && !trimmed.empty() && trimmed.back() == "GetAtividades")
                continue;
            trimmed.push_back(m);
            if (m == "GetControle") listed = true;
        }
        return trimmed;
    }

    // The calls of `method`, one "Method(args)" line each.
    std::string CallsText(const std::string& method) const {
        std::string s;
        for (const CallRecorder::Call& c : recorder->Calls()) {
            if (!SameText(c.method, method)) continue;
            if (!s.empty()) s += "\n";
            s += c.method + "(";
            for (size_t i = 0; i < c.args.size(); ++i)
                s += (i ? ", " : "") + std::string(c.byRef[i] ? "&" : "") + c.args[i].DebugString();
            s += ")";
        }
        return s;
    }

    int64_t Count(const std::string& sql, const std::string& meeting) {
        return server->Impl().db().Transact(false, [&](zel::appserver::SqlConnection& c) {
            return static_cast<int64_t>(c.Exec(sql, {"0001", meeting}).rows.size());
        });
    }
    int64_t BookingsOf(const std::string& nr) {
        return Count("SELECT 1 FROM AGEATIVISALA WHERE CDFILIAL = ? AND NRTAREFA = ?", nr);
    }
    int64_t ActivitiesOf(const std::string& nr) {
        return Count("SELECT 1 FROM PLANATIVTARE WHERE CDFILIAL = ? AND NRTAREFA = ?", nr);
    }
    int64_t AgendaItemsOf(const std::string& nr) {
        return Count("SELECT 1 FROM ITEMTAREFA WHERE CDFILIAL = ? AND NRTAREFA = ?", nr);
    }
    void SetActivityStatus(const std::string& nr, const std::string& status) {
        server->Impl().db().Transact(true, [&](zel::appserver::SqlConnection& c) {
            c.Exec("UPDATE PLANATIVTARE SET IDSITATIVTAR = ? WHERE CDFILIAL = ? AND NRTAREFA = ?",
                   {status, "0001", nr});
        });
    }
    void AddAgendaItem(const std::string& nr) {
        server->Impl().db().Transact(true, [&](zel::appserver::SqlConnection& c) {
            c.Exec(
                "INSERT INTO ITEMTAREFA (CDFILIAL, NRTAREFA, NRSEQUITTARE, DSREFEITTARE, "
                "NRPRIOITTARE, CDOPERRESP, CDOPERADOR) VALUES (?, ?, '9999999999', 'Item', "
                "'1', '000000000001', '000000000001')",
                {"0001", nr});
        });
    }

    // The first whole minute after `t`.
    static TDateTime MinuteAfter(TDateTime t) {
        const double minutes = std::ceil(t * 1440.0 + 1e-6);
        const TDateTime day = DateOf(minutes / 1440.0 + 1e-9);
        const int64_t ofDay = static_cast<int64_t>(std::llround(minutes - day * 1440.0));
        return day + EncodeTime(static_cast<int>(ofDay / 60), static_cast<int>(ofDay % 60), 0, 0);
    }
};
