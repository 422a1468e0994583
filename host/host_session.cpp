#include "host/host_session.h"

#include <QMdiArea>

#include "base/application_window.h"
#include "base/login_context.h"
#include "host/main_window.h"
#include "platform/exceptions.h"
#include "server/server_address.h"
#include "server/server_connection.h"

QString HostSession::login(const LoginRequest& request) {
    std::string why;
    const auto address = ServerAddress::Parse(request.server.toStdString(), &why);
    if (!address) return QString::fromStdString(why);
    const TlsOptions tls{address->tls, address->tls ? m_caFile.toStdString() : std::string()};
    try {
        TServerConnection net;
        net.ThrowException = true;
        net.Host = address->host;
        net.Port = address->port;
        net.Tls = tls;
        const Variant result = net.AppServer().Call(
            "Login", {Arg(request.operatorCode.toStdString()), Arg(request.password.toStdString()),
                      Arg(request.branch.toStdString())});
        SetLoginContext(LoginContextFromPacket(result, address->host, address->port));
        TServerConnection::SetDefaultTls(tls);
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
    const std::string server =
        FormatServerAddress(ServerHost(), ServerPort(), TServerConnection::DefaultTls().enabled);
    return QStringLiteral("%1 (%2) · Filial %3 · %4")
        .arg(QString::fromStdString(CurrentOperatorName()),
             QString::fromStdString(CurrentOperator()), QString::fromStdString(CurrentBranch()),
             QString::fromStdString(server));
}
