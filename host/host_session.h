// The host's session with the application server: logs in, fills the base library's login
// context (which every module's connection reads), and logs out at the end.
#pragma once

#include <QString>

#include "host/login_dialog.h"

class MainWindow;

class HostSession {
  public:
    // The CA certificate file (PEM) that an https:// server's certificate must chain to;
    // empty: the system's trusted CAs.
    void setCaFile(const QString& caFile) { m_caFile = caFile; }
    // `request.server` is "host:port", "http://host:port" or "https://host:port"; with https
    // every connection of the process (the modules' too) checks the server's certificate.
    // Returns "" on success, else a message for the operator (unreachable server, refusal).
    QString login(const LoginRequest& request);
    // Makes the window the application's main window for the modules (their MDI parent).
    void attach(MainWindow& window);
    // Ends the session on the server; failures are ignored (the token expires anyway).
    void logout();
    // "Operador Demonstração (000000000001) · Filial 0001 · 127.0.0.1:8400"
    QString description() const;

  private:
    QString m_caFile;
};
