// zel-host: the suite's desktop shell. Logs the operator in (interactively, or from the
// command line), shows the MDI main window and opens modules on request.
//
//   zel-host [--server [https://]HOST:PORT [--ca-file FILE] --operator CODE --password PW
//             --branch CODE]
//            [--open ZEL00400] [--screenshot FILE [--screenshot-delay MS]]
//            [--report ZEL004 --meeting N --pdf FILE [--layout N]]   (no window, no display)
//            [--ical FILE --meeting N]   (a meeting as an iCalendar file; no window)
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <cstdio>

#include "host/host_session.h"
#include "host/ical_command.h"
#include "host/login_dialog.h"
#include "host/main_window.h"
#include "host/module_loader.h"
#include "host/report_command.h"

namespace {

#ifndef ZEL_LIBDIR
#define ZEL_LIBDIR "lib"
#endif

// <bin>/../lib (the build tree), the install's library folder (lib/<arch> under /usr), then
// the executable's own folder.
QStringList ModuleSearchPath() {
    const QString appDir = QCoreApplication::applicationDirPath();
    QStringList path{QDir(appDir).filePath("../lib"),
                     QDir(appDir).filePath(QStringLiteral("../" ZEL_LIBDIR)), appDir};
    path.removeDuplicates();
    const QByteArray extra = qgetenv("ZEL_MODULE_PATH");
    if (!extra.isEmpty()) path.prepend(QString::fromLocal8Bit(extra));
    return path;
}

// Saves a picture of the main window after `delayMs` and quits; used by the demo script and to
// look at the windows on a machine without a display.
void ScheduleScreenshot(MainWindow& window, const QString& file, int delayMs) {
    QTimer::singleShot(delayMs, &window, [&window, file] {
        const bool ok = window.grab().save(file);
        std::fprintf(ok ? stdout : stderr, "%s %s\n",
                     ok ? "screenshot:" : "screenshot failed:", qPrintable(file));
        QCoreApplication::exit(ok ? 0 : 1);
    });
}

}  // namespace

int main(int argc, char** argv) {
    // Report to PDF: runs without a display.
    for (int i = 1; i < argc; ++i)
        if ((qstrcmp(argv[i], "--report") == 0 || qstrcmp(argv[i], "--ical") == 0) &&
            qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("zel"));
    QCoreApplication::setApplicationName(QStringLiteral("zel-host"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Host application of the business suite"));
    parser.addHelpOption();
    const QCommandLineOption server(
        "server", "Application server address; https://HOST:PORT checks its certificate.",
        "[https://]HOST:PORT");
    const QCommandLineOption caFile(
        "ca-file", "CA certificate (PEM) the server's certificate must chain to.", "FILE");
    const QCommandLineOption op("operator", "Operator code.", "CODE");
    const QCommandLineOption password("password", "Password.", "PASSWORD");
    const QCommandLineOption branch("branch", "Branch code.", "CODE");
    const QCommandLineOption open("open", "Open a module at start (e.g. ZEL00400).", "CODE");
    const QCommandLineOption shot("screenshot", "Save a picture of the main window and quit.",
                                  "FILE");
    const QCommandLineOption delay("screenshot-delay", "Wait before the picture.", "MS", "2000");
    parser.addOptions({server, caFile, op, password, branch, open, shot, delay});
    // Report to PDF.
    const QCommandLineOption report("report", "Write a report to PDF and quit (e.g. ZEL004).",
                                    "CODE");
    const QCommandLineOption meeting("meeting", "Meeting number of the report.", "N");
    const QCommandLineOption pdf("pdf", "PDF file the report is written to.", "FILE");
    const QCommandLineOption layout("layout", "Layout of the report (1 = the first).", "N", "1");
    parser.addOptions({report, meeting, pdf, layout});
    const QCommandLineOption ical("ical", "Write a meeting as an iCalendar file and quit.", "FILE");
    parser.addOption(ical);
    parser.process(app);
    if (parser.isSet(report) && (!parser.isSet(meeting) || !parser.isSet(pdf) ||
                                 !parser.isSet(op) || !parser.isSet(password))) {
        std::fprintf(stderr, "zel-host: --report needs --meeting, --pdf, --operator, --password\n");
        return 2;
    }
    if (parser.isSet(ical) &&
        (!parser.isSet(meeting) || !parser.isSet(op) || !parser.isSet(password))) {
        std::fprintf(stderr, "zel-host: --ical needs --meeting, --operator, --password\n");
        return 2;
    }

    HostSession session;
    session.setCaFile(parser.value(caFile));
    LoginRequest request{parser.value(server), parser.value(op), parser.value(password),
                         parser.value(branch)};
    const bool batch = parser.isSet(op) && parser.isSet(password);
    if (batch) {
        if (request.server.isEmpty()) request.server = QStringLiteral("127.0.0.1:8400");
        if (request.branch.isEmpty()) request.branch = QStringLiteral("0001");
        const QString error = session.login(request);
        if (!error.isEmpty()) {
            std::fprintf(stderr, "zel-host: %s\n", qPrintable(error));
            return 2;
        }
    } else {
        LoginDialog dialog([&session](const LoginRequest& r) { return session.login(r); });
        if (parser.isSet(server) || parser.isSet(op) || parser.isSet(branch)) {
            LoginRequest initial = dialog.request();
            if (parser.isSet(server)) initial.server = request.server;
            if (parser.isSet(op)) initial.operatorCode = request.operatorCode;
            if (parser.isSet(branch)) initial.branch = request.branch;
            dialog.setRequest(initial);
        }
        if (dialog.exec() != QDialog::Accepted) return 0;
    }

    // Report to PDF.
    if (parser.isSet(report)) {
        const int rc = RunReportCommand({parser.value(report), parser.value(meeting),
                                         parser.value(pdf), parser.value(layout).toInt()});
        session.logout();
        return rc;
    }

    if (parser.isSet(ical)) {
        const int rc = RunIcalCommand(parser.value(meeting), parser.value(ical));
        session.logout();
        return rc;
    }

    ModuleLoader loader(ModuleSearchPath());
    MainWindow window(loader, session.description());
    session.attach(window);
    window.show();
    // Unread notices open at the login, under any module opened from the command line.
    window.openNoticesIfUnread();
    if (parser.isSet(open)) window.openModule(parser.value(open));
    if (parser.isSet(shot))
        ScheduleScreenshot(window, parser.value(shot), parser.value(delay).toInt());
    const int rc = app.exec();
    session.logout();
    return rc;
}
