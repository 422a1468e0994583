// The host's main window with the meeting window in its MDI area, as an office's screen shows
// them: the window opens at its design size with every control showing, without the area
// needing scroll bars, and its menus show their shortcuts.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QStyleOptionMenuItem>

#include "base/application_window.h"
#include "host/main_window.h"
#include "host/module_loader.h"
#include "meeting/cli_zel00400.h"
#include "meeting/frm_reuniao.h"
#include "tests/meeting/meeting_fixture.h"

namespace {

// Every entry with a shortcut in the menus of `bar`, as the menu draws it: "caption = shortcut"
// (the shortcut blank when the menu does not show it; "(hidden)" for a hidden entry).
QStringList ShortcutsShown(QMenuBar* bar) {
    struct Peek : QMenu {
        using QMenu::initStyleOption;
    };
    void (QMenu::*describe)(QStyleOptionMenuItem*, const QAction*) const = &Peek::initStyleOption;
    QStringList out;
    for (QAction* top : bar->actions()) {
        QMenu* menu = top->menu();
        if (!menu) continue;
        for (QAction* a : menu->actions()) {
            if (a->shortcut().isEmpty()) continue;
            QStyleOptionMenuItem item;
            (menu->*describe)(&item, a);
            QString line = item.text.section(QLatin1Char('\t'), 0, 0).remove(QLatin1Char('&')) +
                           " = " + item.text.section(QLatin1Char('\t'), 1);
            if (!a->isVisible()) line += " (hidden)";
            out << line;
        }
    }
    return out;
}

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

TEST_F(HostScreenTest, MenusOfTheHostAndTheMeetingWindowShowTheirShortcuts) {
    MainWindow host(loader, QStringLiteral("sessão"),
                    [this](TServerConnection& c) { c.SetTransport(transport); });
    host.show();
    SetApplicationMainWindow(&host, host.mdiArea());
    Cli_zel00400::CriaReuniao();
    TfrmReuniao* w = Window();
    ASSERT_NE(nullptr, w);

    // "Sair" has the platform's standard quit key, which some platforms (this offscreen one
    // among them) do not define.
    QStringList hostShortcuts = {"Avisos = Ctrl+Shift+A"};
    const QKeySequence quit(QKeySequence::Quit);
    if (!quit.isEmpty()) hostShortcuts << "Sair = " + quit.toString(QKeySequence::NativeText);
    EXPECT_EQ(hostShortcuts, ShortcutsShown(host.menuBar()));
    EXPECT_EQ(QStringList({"Filtrar = Ctrl+L", "Ir Para  = Ctrl+I", "Hoje = Ctrl+H",
                           "Importar Pauta = Ctrl+M", "Cad. Participante = Ctrl+A"}),
              ShortcutsShown(w->mnuMenu));
}

}  // namespace
