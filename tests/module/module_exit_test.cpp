// The package's shut-down: a host that opened the minutes report and the agenda import quits
// and its process ends cleanly. The units' finalisation runs while the application and the
// dialogs' instance pointers are alive, never from a static destructor at exit (where it read
// pointers already destroyed and aborted the process).
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>

namespace {

TEST(ModuleExit, AHostThatOpenedTheReportAndTheImportEndsCleanly) {
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    QProcess probe;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    probe.setProcessEnvironment(env);
    probe.start(QStringLiteral(ZEL_EXIT_PROBE), {QStringLiteral(ZEL_MODULE_DIR)});
    ASSERT_TRUE(probe.waitForStarted());
    ASSERT_TRUE(probe.waitForFinished(240000));
    const std::string out = probe.readAllStandardOutput().toStdString();
    const std::string err = probe.readAllStandardError().toStdString();
    EXPECT_EQ(QProcess::NormalExit, probe.exitStatus()) << err;
    EXPECT_EQ(0, probe.exitCode()) << err;
    EXPECT_NE(std::string::npos, out.find("module_exit_probe: done")) << out << err;
    EXPECT_EQ(std::string::npos, err.find("AddressSanitizer")) << err;
    EXPECT_EQ(std::string::npos, err.find("malloc")) << err;
}

}  // namespace
