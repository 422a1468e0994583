// The module's entry points: IniProc opens one meeting window at a time, closing it ends its
// connection, and nothing thrown during creation reaches the host.
#include <QApplication>
#include <QLibrary>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>

#include "base/login_context.h"
#include "base/page_control_ex.h"
#include "base/routines.h"
#include "meeting/cli_zel00400.h"
#include "meeting/frm_reuniao.h"
#include "tests/meeting/meeting_fixture.h"

extern "C" void IniProc();
extern "C" void CriaReuniao();

using namespace Cli_zel00400;

namespace {

using ModuleTest = MeetingWindowTest;

TEST_F(ModuleTest, IniProcTwiceBringsTheSameWindowBackWithoutReloading) {
    IniProc();
    TfrmReuniao* first = Window();
    ASSERT_NE(nullptr, first);
    EXPECT_TRUE(boIdCriado);
    first->pgcReuniao->SetActivePage(first->tshAta);
    boDiaExato = true;

    IniProc();
    EXPECT_EQ(first, Window());
    EXPECT_EQ(1, CallCount("GetControle"));
    EXPECT_FALSE(boDiaExato) << "every activation ends the exact-day mode";
    EXPECT_EQ(first->tshReuniao, first->pgcReuniao->ActivePage());
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(0, BusyAnimationDepth());
    EXPECT_EQ(nullptr, QApplication::overrideCursor());
}

TEST_F(ModuleTest, CloseClearsTheFlagDisconnectsAndTheNextIniProcReloadsWithTheSameParameters) {
    IniProc();
    TfrmReuniao* first = Window();
    ASSERT_NE(nullptr, first);
    ASSERT_TRUE(first->netReuniao.Connected());
    stSituacao = "_P_X";
    stTResp = "";
    stResp = "'000000000001'";

    first->close();
    EXPECT_FALSE(boIdCriado);
    EXPECT_FALSE(first->netReuniao.Connected());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(nullptr, Window()) << "the closed window is gone";

    recorder->Clear();
    IniProc();
    ASSERT_NE(nullptr, Window());
    EXPECT_TRUE(boIdCriado);
    ASSERT_EQ(1, CallCount("GetControle"));
    const CallRecorder::Call& call = recorder->Calls().front();
    EXPECT_EQ("_P_X", call.args[3].AsString());
    EXPECT_EQ("'000000000001'", call.args[4].AsString());
    EXPECT_EQ("", call.args[5].AsString());
    EXPECT_TRUE(Window()->netReuniao.Connected());
}

TEST_F(ModuleTest, FailedCreationLeavesNoBusyIndicatorNoWindowAndCanBeRetried) {
    const LoginContext good = CurrentLogin();
    LoginContext expired = good;
    expired.token = "no-such-session";
    SetLoginContext(expired);

    EXPECT_NO_THROW(IniProc());
    EXPECT_FALSE(boIdCriado);
    EXPECT_EQ(nullptr, Window());
    EXPECT_EQ(0, BusyAnimationDepth());
    EXPECT_EQ(0, dialogs->BusyVisible());
    EXPECT_EQ(nullptr, QApplication::overrideCursor());
    ASSERT_EQ(1u, dialogs->Shown().size()) << dialogs->ShownText();
    EXPECT_EQ(0u, dialogs->Shown().front().rfind("error: ", 0)) << dialogs->ShownText();

    SetLoginContext(good);
    dialogs->ClearShown();
    IniProc();
    ASSERT_NE(nullptr, Window());
    EXPECT_TRUE(boIdCriado);
    EXPECT_EQ("", dialogs->ShownText());
}

TEST_F(ModuleTest, InTheHostTheWindowIsAnMdiChildAndClosingItsFrameEndsIt) {
    MdiMainWindow host;
    QMdiArea* area = host.area();

    IniProc();
    TfrmReuniao* form = Window();
    ASSERT_NE(nullptr, form);
    auto* frame = qobject_cast<QMdiSubWindow*>(form->parentWidget());
    ASSERT_NE(nullptr, frame);
    EXPECT_EQ(1, area->subWindowList().size());
    IniProc();
    EXPECT_EQ(1, area->subWindowList().size()) << "one meeting window at a time";
    EXPECT_EQ(1, CallCount("GetControle"));

    frame->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(boIdCriado);
    EXPECT_EQ(nullptr, Window());
    EXPECT_TRUE(area->subWindowList().isEmpty());

    IniProc();
    EXPECT_NE(nullptr, Window());
    EXPECT_EQ(2, CallCount("GetControle"));
    if (qEnvironmentVariableIsSet("ZEL_MEETING_SHOT")) {
        host.window().grab().save(qEnvironmentVariable("ZEL_MEETING_SHOT"));
        Window()->pgcReuniao->SetActivePage(Window()->tshFormulario);
        host.window().grab().save(qEnvironmentVariable("ZEL_MEETING_SHOT") + ".form.png");
    }
    CloseWindow();
    QCoreApplication::processEvents();
}

TEST_F(ModuleTest, ModuleLibraryExportsItsEntryPoints) {
    QLibrary lib(QStringLiteral(ZEL_MODULE_FILE));
    ASSERT_TRUE(lib.load()) << lib.errorString().toStdString();
    EXPECT_NE(nullptr, lib.resolve("IniProc"));
    EXPECT_NE(nullptr, lib.resolve("CriaReuniao"));
}

}  // namespace
