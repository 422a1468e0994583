#include "tests/meeting/meeting_fixture.h"

#include <QCoreApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QTest>
#include <stdexcept>

#include "appserver/app_server_impl.h"
#include "base/application_window.h"
#include "base/guard.h"
#include "base/login_context.h"
#include "meeting/cli_zel00400.h"
#include "meeting/frm_reuniao.h"
#include "platform/routines.h"
#include "server/server_connection.h"

void MeetingWindowTest::SetUp() {
    zel::appserver::AppServerOptions options;
    options.demo = true;
    options.fastPasswordHashing = true;
    // Tests move the server clock anywhere within today; the session opened at the real time
    // must outlive such a move, whatever the hour the suite runs at.
    options.tokenTtlSeconds = 2 * 86400;
    server = std::make_unique<zel::appserver::AppServer>(options);
    transport =
        std::make_shared<InProcessTransport>([this](std::string_view body, std::string_view token) {
            if (beforeCall) beforeCall(body);
            if (!dropNextCall.empty() &&
                body.find("\"" + dropNextCall + "\"") != std::string_view::npos) {
                dropNextCall.clear();
                throw std::runtime_error("Conexão com o servidor de aplicação perdida.");
            }
            return server->HandleRpc(body, token);
        });
    recorder = std::make_shared<CallRecorder>();
    dialogs = &ScriptedDialogs::Install();
    Cli_zel00400::Initialization();
    Login();
    TfrmReuniao::SetConnectionSetup([this](TServerConnection& c) {
        c.SetTransport(transport);
        c.SetRecorder(recorder);
    });
}

void MeetingWindowTest::TearDown() {
    CloseWindow();
    TfrmReuniao::SetConnectionSetup(nullptr);
    ClearLoginContext();
    Cli_zel00400::Finalization();
    InstallDialogs(nullptr);
    server.reset();
}

void MeetingWindowTest::Login() {
    TServerConnection net;
    net.SetTransport(transport);
    const Variant result =
        net.AppServer().Call("Login", {Arg("000000000001"), Arg("demo"), Arg("0001")});
    SetLoginContext(LoginContextFromPacket(result, "127.0.0.1", 8400));
}

int MeetingWindowTest::CallCount(const std::string& method) const {
    int n = 0;
    for (const std::string& m : recorder->Methods())
        if (SameText(m, method)) ++n;
    return n;
}

void MeetingWindowTest::CloseWindow() {
    if (TfrmReuniao* w = Window()) {
        // What a test left typed goes with it: the close would ask, and a No would keep the
        // window alive past the fixture whose server it calls.
        for (TClientDataSet* ds : {&w->cdsDescItTare, &w->cdsItemTarefa, &w->cdsAtividades,
                                   &w->cdsControle, &w->cdsAgeAtiviSala})
            if (ds->State() == dsEdit || ds->State() == dsInsert) Guard([ds] { ds->Cancel(); });
        w->close();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TfrmReuniao* MeetingWindowTest::Window() const {
    return Cli_zel00400::frmReuniao;
}

void MeetingWindowTest::SetServerClock(TDateTime now) {
    server->Impl().setClock([now] { return now; });
}

void MeetingWindowTest::SetServerClock(std::function<TDateTime()> clock) {
    server->Impl().setClock(std::move(clock));
}

void MeetingWindowTest::ResetServerClock() {
    server->Impl().setClock(nullptr);
}

MdiMainWindow::MdiMainWindow() : m_window(std::make_unique<QMainWindow>()), m_area(new QMdiArea) {
    m_window->setCentralWidget(m_area);
    m_window->resize(1000, 700);
    SetApplicationMainWindow(m_window.get(), m_area);
    m_window->show();
}

MdiMainWindow::~MdiMainWindow() {
    SetApplicationMainWindow(nullptr, nullptr);
}

bool MdiMainWindow::Activate() {
    m_window->activateWindow();
    return QTest::qWaitForWindowActive(m_window.get());
}
