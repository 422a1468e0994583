// Helpers of the agenda and minutes window tests: the window with every meeting listed, a
// meeting of a given status made current, the pages, and reads of the server's database.
// The demo branch has agenda items (two each) in meetings of every status, and minutes for the
// items of the concluded ones.
#pragma once

#include <QApplication>
#include <QCoreApplication>
#include <QThread>
#include <string>

#include "appserver/app_server_impl.h"
#include "base/buttons.h"
#include "base/page_control_ex.h"
#include "meeting/cli_zel00400.h"
#include "meeting/frm_reuniao.h"
#include "tests/meeting/meeting_fixture.h"

class AgendaWindowTest : public MeetingWindowTest {
  protected:
    // The window, listing the meetings of every status.
    TfrmReuniao& Open() {
        Cli_zel00400::CriaReuniao();
        TfrmReuniao& w = *Window();
        for (TToolButtonEx* b : {w.tbtPendente, w.tbtAndamento, w.tbtCancelada, w.tbtConcluida})
            b->SetDown(true);
        w.tbtPendenteClick();
        return w;
    }

    // Makes current the first meeting of `status` that has an agenda (or has none).
    static bool GoToMeeting(TfrmReuniao& w, const std::string& status, bool withAgenda) {
        for (w.cdsControle.First(); !w.cdsControle.Eof(); w.cdsControle.Next()) {
            if (w.cdsControle.FieldByName("IDSITTAREFA").AsString() == status &&
                w.cdsItemTarefa.IsEmpty() != withAgenda)
                return true;
        }
        return false;
    }

    static void ShowPage(TfrmReuniao& w, QWidget* page) {
        w.pgcReuniao->SetActivePage(page);
        w.pgcReuniaoChange();
    }

    // Shows the window and waits until it is the active one, so keys and focus reach it.
    static bool Activate(TfrmReuniao& w) {
        w.show();
        w.activateWindow();
        for (int i = 0; i < 200 && QApplication::activeWindow() != &w; ++i) {
            QCoreApplication::processEvents();
            QThread::msleep(5);
        }
        return QApplication::activeWindow() == &w;
    }

    // The first column of the first row `sql` reads from the server's database ("" for none).
    std::string DbText(const std::string& sql, const zel::appserver::SqlParams& params) {
        return server->Impl().db().Transact(false, [&](zel::appserver::SqlConnection& c) {
            const auto result = c.Exec(sql, params);
            return result.rows.empty() || result.rows[0][0].IsNull() ? std::string()
                                                                     : result.rows[0][0].AsString();
        });
    }
    void DbExec(const std::string& sql, const zel::appserver::SqlParams& params) {
        server->Impl().db().Transact(true, [&](zel::appserver::SqlConnection& c) {
            c.Exec(sql, params);
            return 0;
        });
    }

    static std::string Text(const TClientDataSet& cds, const char* field) {
        return cds.FieldByName(field).AsString();
    }
};
