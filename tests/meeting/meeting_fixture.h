// The fixture of the meeting window's tests: a real application server (in-memory SQLite with
// the demo branch) answering in process, the demo operator logged in, every meeting window's
// connection routed to that server with a call recorder, scripted dialogs, and a fresh module
// state. The test program's main (meeting_test_main.cpp) makes the offscreen QApplication.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "appserver/app_server.h"
#include "base/scripted_dialogs.h"
#include "platform/date_time.h"
#include "server/call_recorder.h"
#include "server/in_process_transport.h"

class QMainWindow;
class QMdiArea;
class TfrmReuniao;

// A real main window with an MDI area, as the host has: 1000 x 700, shown, and registered as
// the application's main window, so module windows open as children of its area. It is
// unregistered before it goes; the windows in its area go with it.
class MdiMainWindow {
  public:
    MdiMainWindow();
    ~MdiMainWindow();
    MdiMainWindow(const MdiMainWindow&) = delete;
    MdiMainWindow& operator=(const MdiMainWindow&) = delete;

    // Makes it the active window and waits until the platform reports it active (only then
    // are focus events delivered).
    bool Activate();

    QMainWindow& window() { return *m_window; }
    QMdiArea* area() const { return m_area; }

  private:
    std::unique_ptr<QMainWindow> m_window;
    QMdiArea* m_area;
};

class MeetingWindowTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Logs the demo operator in and fills the login context.
    void Login();
    // How many times the window's connections called `method` (case ignored).
    int CallCount(const std::string& method) const;
    // Closes the meeting window, if any, and lets Qt delete it.
    void CloseWindow();
    // The current meeting window (nullptr when there is none).
    TfrmReuniao* Window() const;
    // Fixes the server's clock at `now` (what getHoraServidor answers and what the server
    // stamps); `clock` lets a test move it while a call runs. ResetServerClock: the wall clock.
    void SetServerClock(TDateTime now);
    void SetServerClock(std::function<TDateTime()> clock);
    void ResetServerClock();

    // The next request for this method (case as the window sends it) never reaches the
    // server: the connection drops, as when the network fails mid-operation. Once only.
    std::string dropNextCall;
    // Runs before every request reaches the server, with the request's body: lets a test
    // change the server's data while the window is in the middle of an operation (another
    // operator booking a room meanwhile).
    std::function<void(std::string_view body)> beforeCall;

    std::unique_ptr<zel::appserver::AppServer> server;
    std::shared_ptr<InProcessTransport> transport;
    std::shared_ptr<CallRecorder> recorder;
    ScriptedDialogs* dialogs = nullptr;
};
