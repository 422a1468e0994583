// The host's main window with the meeting window in its MDI area, as an office's screen shows
// them: the window opens at its design size with every control showing, without the area
// needing scroll bars, and its menus show their shortcuts.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollBar>

#include "base/application_window.h"
#include "host/main_window.h"
#include "host/module_loader.h"
#include "meeting/cli_zel00400.h"
#include "meeting/frm_reuniao.h"
#include "tests/meeting/meeting_fixture.h"

namespace {

class HostScreenTest : public MeetingWindowTest {
  protected:
    void TearDown() override {
        CloseWindow();
        SetApplicationMainWindow(nullptr, nullptr);
        MeetingWindowTest::TearDown();
    }
    ModuleLoader loader{QStringList{}};
};

TEST_F(HostScreenTest, MeetingWindowOpensAtItsDesignSizeWithoutScrollBarsOn1280x800) {
    // Maximised on a 1280 x 800 screen, after a title bar and a desktop panel.
    MainWindow host(loader, QStringLiteral("sessão"),
                    [this](TServerConnection& c) { c.SetTransport(transport); });
    host.resize(1280, 740);
    host.show();
    SetApplicationMainWindow(&host, host.mdiArea());
    Cli_zel00400::CriaReuniao();
    TfrmReuniao* w = Window();
    ASSERT_NE(nullptr, w);
    auto* frame = qobject_cast<QMdiSubWindow*>(w->parentWidget());
    ASSERT_NE(nullptr, frame);
    QCoreApplication::processEvents();

    const QSize design(TfrmReuniao::kDesignWidth, TfrmReuniao::kDesignHeight);
    EXPECT_EQ(w->size(), design);
    const QSize least = w->minimumSizeHint();
    EXPECT_TRUE(least.width() <= design.width() && least.height() <= design.height())
        << "the controls need " << least.width() << " x " << least.height();
    QMdiArea* area = host.mdiArea();
    EXPECT_TRUE(area->viewport()->rect().contains(frame->geometry()));
    EXPECT_FALSE(area->horizontalScrollBar()->isVisible());
    EXPECT_FALSE(area->verticalScrollBar()->isVisible());
}

}  // namespace
