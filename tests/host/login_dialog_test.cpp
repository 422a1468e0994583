// The host's login dialog against the real application server over HTTP on loopback: what it
// remembers, what it says when the server refuses or cannot be reached; and the module loader's
// report of a module it cannot find or load.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>

#include "appserver/app_server.h"
#include "appserver/http_server.h"
#include "base/login_context.h"
#include "host/host_session.h"
#include "host/login_dialog.h"
#include "host/module_loader.h"

namespace {

class LoginDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(settingsDir.isValid());
        QCoreApplication::setOrganizationName(QStringLiteral("zel-test"));
        QCoreApplication::setApplicationName(QStringLiteral("zel-host-test"));
        QSettings::setDefaultFormat(QSettings::IniFormat);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
        zel::appserver::AppServerOptions options;
        options.demo = true;
        options.fastPasswordHashing = true;
        server = std::make_unique<zel::appserver::AppServer>(options);
        zel::appserver::HttpServerOptions http;
        http.port = 0;
        http.threads = 2;
        httpServer = std::make_unique<zel::appserver::HttpServer>(*server, http);
        httpServer->Start();
        address = QString::fromStdString(httpServer->Address());
    }
    void TearDown() override {
        session.logout();
        ClearLoginContext();
        httpServer.reset();
    }
    // A dialog that logs in through the host's session, filled with `request`; presses
    // "Entrar" and says whether the dialog was accepted.
    bool Enter(LoginDialog& dialog, const LoginRequest& request) {
        dialog.setRequest(request);
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        return dialog.result() == QDialog::Accepted;
    }
    LoginDialog::Attempt Attempt() {
        return [this](const LoginRequest& r) { return session.login(r); };
    }
    // A loopback port nobody listens on.
    static int ClosedPort() {
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof a;
        bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size);
        close(fd);
        return ntohs(a.sin_port);
    }

    QTemporaryDir settingsDir;
    std::unique_ptr<zel::appserver::AppServer> server;
    std::unique_ptr<zel::appserver::HttpServer> httpServer;
    QString address;
    HostSession session;
};

TEST_F(LoginDialogTest, RemembersServerOperatorAndBranchOfTheLastSuccessfulLogin) {
    {
        LoginDialog first(Attempt());
        EXPECT_EQ(first.request().server, "127.0.0.1:8400") << "nothing remembered yet";
        ASSERT_TRUE(Enter(first, {address, "000000000002", "demo", "0001"}))
            << first.errorText().toStdString();
    }
    EXPECT_EQ(CurrentOperator(), "000000000002");
    EXPECT_EQ(CurrentOperatorName(), "Ana Souza");
    EXPECT_EQ(session.description(),
              QStringLiteral("Ana Souza (000000000002) · Filial 0001 · %1").arg(address));
    {
        // A refused attempt afterwards does not replace what was remembered.
        LoginDialog refused(Attempt());
        EXPECT_FALSE(Enter(refused, {address, "000000000003", "errada", "0001"}));
    }
    LoginDialog next(Attempt());
    EXPECT_EQ(next.request().server, address);
    EXPECT_EQ(next.request().operatorCode, "000000000002");
    EXPECT_EQ(next.request().branch, "0001");
    EXPECT_TRUE(next.request().password.isEmpty()) << "the password is never remembered";
    EXPECT_EQ(QSettings().allKeys(),
              (QStringList{"login/branch", "login/operator", "login/server"}));
}

TEST_F(LoginDialogTest, ARefusedLoginShowsTheServersMessageAndTheDialogStaysOpen) {
    LoginDialog dialog(Attempt());
    EXPECT_FALSE(Enter(dialog, {address, "000000000001", "errada", "0001"}));
    EXPECT_EQ(dialog.errorText(), "Operador, senha ou filial inválidos.");
    EXPECT_TRUE(SessionToken().empty());
    // A branch the operator may not use is refused the same way; then the right password
    // gets in and clears the message.
    EXPECT_FALSE(Enter(dialog, {address, "000000000002", "demo", "0002"}));
    EXPECT_EQ(dialog.errorText(), "Operador, senha ou filial inválidos.");
    EXPECT_TRUE(Enter(dialog, {address, "000000000001", "demo", "0001"}));
    EXPECT_TRUE(dialog.errorText().isEmpty());
    EXPECT_FALSE(SessionToken().empty());
}

TEST_F(LoginDialogTest, AnUnreachableOrMalformedServerAddressIsNamedInTheMessage) {
    LoginDialog dialog(Attempt());
    const QString closed = QStringLiteral("127.0.0.1:%1").arg(ClosedPort());
    EXPECT_FALSE(Enter(dialog, {closed, "000000000001", "demo", "0001"}));
    EXPECT_TRUE(dialog.errorText().startsWith(
        "Não foi possível comunicar com o servidor de aplicação em " + closed))
        << dialog.errorText().toStdString();
    EXPECT_FALSE(Enter(dialog, {"127.0.0.1:porta", "000000000001", "demo", "0001"}));
    EXPECT_EQ(dialog.errorText(), "Porta inválida no endereço do servidor: 127.0.0.1:porta");
    EXPECT_TRUE(SessionToken().empty());
    EXPECT_EQ(QSettings().value("login/server").toString(), "") << "nothing remembered";
}

TEST(ModuleLoaderTest, AMissingOrBrokenModuleIsReportedByName) {
    QTemporaryDir dir;
    ModuleLoader loader({dir.path()});
    EXPECT_EQ(loader.open("zel00999"),
              QStringLiteral("Módulo ZEL00999 não encontrado em: %1").arg(dir.path()));
    // A file of that name that is no library.
    QFile broken(dir.filePath("libzel00998.so"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a shared library");
    broken.close();
    const QString error = loader.open("ZEL00998");
    EXPECT_TRUE(error.startsWith("Não foi possível carregar o módulo ZEL00998: "))
        << error.toStdString();
}

TEST(ModuleLoaderTest, ALibraryWithoutTheEntryIsReportedAndTheSearchPathIsKeptInOrder) {
    const QString zlib = "/usr/lib/x86_64-linux-gnu/libz.so.1";
    if (!QFile::exists(zlib)) GTEST_SKIP() << "no " << zlib.toStdString();
    QTemporaryDir first, second;
    // Only the second folder holds the module: the first is searched and passed over.
    ASSERT_TRUE(QFile::copy(zlib, second.filePath("libzel00997.so")));
    ModuleLoader loader({first.path(), second.path()});
    EXPECT_EQ(loader.open("zel00997"), "O módulo ZEL00997 não exporta IniProc.");
    EXPECT_EQ(loader.open("ZEL00997"), "O módulo ZEL00997 não exporta IniProc.")
        << "the loaded library is asked again, not loaded twice";
}

}  // namespace
