#include "host/host_panel.h"

#include <QLabel>
#include <QMdiSubWindow>

#include "base/login_context.h"
#include "platform/exceptions.h"
#include "server/server_connection.h"

namespace host_panel {

std::unique_ptr<TServerConnection> SessionConnection(
    const std::function<void(TServerConnection&)>& setup) {
    auto net = std::make_unique<TServerConnection>();
    net->ThrowException = true;
    net->BeforeConnect = [](TServerConnection& c) {
        c.Host = ServerHost();
        c.Port = ServerPort();
    };
    if (setup) setup(*net);
    return net;
}

QLabel* NewErrorLabel(QWidget* parent) {
    auto* error = new QLabel(parent);
    error->setStyleSheet(QStringLiteral("color: #a00000"));
    error->setWordWrap(true);
    error->hide();
    return error;
}

bool Attempt(QLabel* error, const QString& what, const std::function<void()>& action) {
    try {
        action();
        error->clear();
        error->hide();
        return true;
    } catch (const Exception& e) {
        error->setText(what + QString::fromStdString(e.Message()));
        error->show();
        return false;
    }
}

void CloseFrame(QWidget* window) {
    auto* frame = qobject_cast<QMdiSubWindow*>(window->parentWidget());
    frame ? frame->close() : window->close();
}

}  // namespace host_panel
