#include "host/host_session.h"

#include <QMdiArea>

#include "base/application_window.h"
#include "base/login_context.h"
#include "host/main_window.h"
#include "platform/exceptions.h"
#include "server/server_connection.h"

namespace {

// Splits "host:port"; a missing port means the server's default 8400.
bool SplitAddress(const QString& address, std::string& host, int& port) {
    const int colon = address.lastIndexOf(':');
    host = (colon < 0 ? address : address.left(colon)).trimmed().toStdString();
    port = 8400;
    if (colon >= 0) {
        bool ok = false;
        port = address.mid(colon + 1).toInt(&ok);
        if (!ok || port <= 0 || port > 65535) return false;
    }
    return !host.empty();
}

}  // namespace

QString HostSession::login(const LoginRequest& request) {
    std::string host;
    int port = 0;
    if (!SplitAddress(request.server, host, port))
        return QStringLiteral("Endereço do servidor inválido: %1").arg(request.server);
    try {
        TServerConnection net;
        net.ThrowException = true;
        net.Host = host;
        net.Port = port;
        const Variant result = net.AppServer().Call(
            "Login", {Arg(request.operatorCode.toStdString()), Arg(request.password.toStdString()),
                      Arg(request.branch.toStdString())});
        SetLoginContext(LoginContextFromPacket(result, host, port));
        return {};
    } catch (const Exception& e) {
        return QString::fromStdString(e.Message());
    }
}

void HostSession::attach(MainWindow& window) {
    SetApplicationMainWindow(&window, window.mdiArea());
}

void HostSession::logout() {
    if (SessionToken().empty()) return;
    try {
        TServerConnection net;
        net.Host = ServerHost();
        net.Port = ServerPort();
        net.AppServer().Call("Logout");
    } catch (const Exception&) {
    }
    ClearLoginContext();
}

QString HostSession::description() const {
    return QStringLiteral("%1 (%2) · Filial %3 · %4:%5")
        .arg(QString::fromStdString(CurrentOperatorName()),
             QString::fromStdString(CurrentOperator()), QString::fromStdString(CurrentBranch()),
             QString::fromStdString(ServerHost()))
        .arg(ServerPort());
}
