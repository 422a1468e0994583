// The meeting window as the host shows it: an MDI child of a main window, activated when it
// becomes the active child (not when a modal box closes over it) and then found as it was
// left, and a save over HTTP while the server is stopped.
#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QThread>
#include <QTimer>

#include "appserver/http_server.h"
#include "base/login_context.h"
#include "base/page_control_ex.h"
#include "tests/meeting/meeting_edit_support.h"

using namespace Cli_zel00400;

namespace {

void WaitFor(const std::function<bool()>& done) {
    for (int i = 0; i < 400 && !done(); ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
}

class MeetingActivationTest : public MeetingEditFixture {
  protected:
    void TearDown() override {
        MeetingEditFixture::TearDown();
        host.reset();
    }
    std::unique_ptr<MdiMainWindow> host;
};

TEST_F(MeetingActivationTest, ActivationRunsOnSwitchingMdiChildrenAndNotAfterAModalBox) {
    host = std::make_unique<MdiMainWindow>();
    QMainWindow* main = &host->window();
    QMdiArea* area = host->area();
    host->Activate();
    WaitFor([&] { return QApplication::activeWindow() == main; });
    ASSERT_EQ(main, QApplication::activeWindow());

    TfrmReuniao& w = Open();
    auto* ours = qobject_cast<QMdiSubWindow*>(w.parentWidget());
    ASSERT_NE(nullptr, ours);
    EXPECT_EQ(1, CallCount("GetControle")) << "one activation while it was created";
    auto* other = area->addSubWindow(new QWidget);
    other->show();
    area->setActiveSubWindow(ours);
    QCoreApplication::processEvents();

    // A real modal box over the window, closed by the operator: no activation follows.
    const auto leaveList = [&] {
        w.pgcReuniao->SetActivePage(w.tshPauta);
        boDiaExato = true;
    };
    leaveList();
    QTimer::singleShot(50, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->accept();
    });
    QMessageBox::warning(main, "Aviso", "Caixa modal");
    WaitFor([&] { return QApplication::activeWindow() == main; });
    QCoreApplication::processEvents();
    EXPECT_EQ(ours, area->activeSubWindow());
    EXPECT_EQ(w.tshPauta, w.pgcReuniao->ActivePage()) << "the box sent the window to its list";
    EXPECT_TRUE(boDiaExato) << "the box ended the exact-day mode";

    // Switching to the other child and back is an activation; the window is found on the
    // page it was left on.
    area->setActiveSubWindow(other);
    QCoreApplication::processEvents();
    EXPECT_EQ(w.tshPauta, w.pgcReuniao->ActivePage());
    area->setActiveSubWindow(ours);
    QCoreApplication::processEvents();
    EXPECT_EQ(w.tshPauta, w.pgcReuniao->ActivePage());
    EXPECT_FALSE(boDiaExato);
    EXPECT_EQ(1, CallCount("GetControle")) << "only the first activation loads the list";
}

TEST_F(MeetingActivationTest, SaveWhileTheServerIsStoppedKeepsTheMeetingForASecondConfirm) {
    zel::appserver::HttpServerOptions options;
    options.port = 0;
    options.threads = 2;
    auto http = std::make_unique<zel::appserver::HttpServer>(*server, options);
    http->Start();
    options.port = http->Port();
    LoginContext login = CurrentLogin();
    login.serverPort = options.port;
    SetLoginContext(login);
    TfrmReuniao::SetConnectionSetup([this](TServerConnection& c) { c.SetRecorder(recorder); });

    TfrmReuniao& w = Open();
    StartNewMeeting(w);
    TypeWindow(w, Date() + 46, "11:00", "01:00");
    w.dbeCdSalas->SetText("00004");
    http->Stop();
    http.reset();

    EXPECT_FALSE(w.sbtConfirmar->Click());
    EXPECT_NE(std::string::npos,
              dialogs->ShownText().find("127.0.0.1:" + std::to_string(options.port)))
        << dialogs->ShownText();
    EXPECT_EQ(dsInsert, w.cdsControle.State()) << "the typed meeting is still there";
    EXPECT_EQ("Reunião de teste", w.dbeDsReferencia->Text());
    EXPECT_EQ("11:00", w.medHoraIni->Text());
    EXPECT_EQ("00004", w.dbeCdSalas->Text());

    http = std::make_unique<zel::appserver::HttpServer>(*server, options);
    http->Start();
    dialogs->ClearShown();
    ASSERT_TRUE(w.sbtConfirmar->Click()) << dialogs->ShownText();
    const int64_t stored =
        server->Impl().db().Transact(false, [](zel::appserver::SqlConnection& c) {
            return static_cast<int64_t>(
                c.Exec("SELECT 1 FROM TAREFA WHERE DSREFETAREFA = ?", {"Reunião de teste"})
                    .rows.size());
        });
    EXPECT_EQ(1, stored) << "stored once";
    EXPECT_EQ(1, BookingsOf(stNovaTarefa));
    CloseWindow();
    http->Stop();
}

}  // namespace
