// A host in miniature, run by module_exit_test as a process of its own: it starts the
// application server (in process, over HTTP), logs in, loads libzel00400.so from the folder
// given as its argument as the host does, opens the meeting window, opens and closes the
// minutes report and the agenda import from the window's buttons, quits, and returns from
// main, so that everything the process runs at its exit runs. Exit code 0 when it got there.
#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QToolButton>
#include <cstdio>
#include <functional>

#include "appserver/app_server.h"
#include "appserver/http_server.h"
#include "host/host_session.h"
#include "host/main_window.h"
#include "host/module_loader.h"

namespace {

// Closes every modal window (the report, the import, a message box over them), then runs
// `next`.
void CloseModalsThen(std::function<void()> next) {
    QTimer::singleShot(200, [next = std::move(next)]() mutable {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
            else
                modal->close();
            CloseModalsThen(std::move(next));
            return;
        }
        next();
    });
}

// Clicks the meeting window's button `name` (its modal dialog is closed meanwhile), then runs
// `next`.
void Press(MainWindow& window, const char* name, std::function<void()> next) {
    auto* button = window.findChild<QToolButton*>(QString::fromLatin1(name));
    if (!button) {
        std::fprintf(stderr, "module_exit_probe: no button %s\n", name);
        QCoreApplication::exit(3);
        return;
    }
    CloseModalsThen([] {});
    button->click();
    CloseModalsThen(std::move(next));
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: module_exit_probe MODULE_DIR\n");
        return 2;
    }
    zel::appserver::AppServerOptions options;
    options.demo = true;
    options.fastPasswordHashing = true;
    zel::appserver::AppServer server(options);
    zel::appserver::HttpServerOptions httpOptions;
    httpOptions.port = 0;
    httpOptions.threads = 4;
    zel::appserver::HttpServer http(server, httpOptions);
    http.Start();

    HostSession session;
    const QString error = session.login({QStringLiteral("127.0.0.1:%1").arg(http.Port()),
                                         QStringLiteral("000000000001"), QStringLiteral("demo"),
                                         QStringLiteral("0001")});
    if (!error.isEmpty()) {
        std::fprintf(stderr, "module_exit_probe: %s\n", qPrintable(error));
        return 2;
    }
    int rc = 0;
    {
        ModuleLoader loader({QString::fromLocal8Bit(argv[1])});
        MainWindow window(loader, session.description());
        session.attach(window);
        window.show();
        if (!window.openModule(QStringLiteral("ZEL00400"))) return 4;
        QTimer::singleShot(0, [&window] {
            Press(window, "sbtImprimir",
                  [&window] { Press(window, "sbtImpArq", [] { QCoreApplication::quit(); }); });
        });
        rc = app.exec();
    }
    session.logout();
    http.Stop();
    std::fprintf(stdout, "module_exit_probe: done\n");
    return rc;
}
