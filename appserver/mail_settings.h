// How the server sends mail: the SMTP server, its login and the sender. Without an SMTP
// address the server sends no mail and queues none. The password comes from a file or from the
// environment, never from the command line, and is never written to a log.
#pragma once

#include <string>

namespace zel::appserver {

struct MailSettings {
    // "smtp://HOST[:PORT]" (STARTTLS unless startTls is off) or "smtps://HOST[:PORT]" (TLS
    // from the start). Empty: no mail.
    std::string url;
    std::string user;      // empty: no login
    std::string password;  // read by ReadSmtpPassword
    std::string from;      // the sender's address ("reunioes@empresa.com.br")
    std::string fromName = "Controle de Reunião";
    // For smtp:// URLs: insist on STARTTLS (the default). Off only for a relay on a trusted
    // network; a login is then refused, so no password ever travels in the clear.
    bool startTls = true;
    std::string caFile;  // PEM file of the CAs to trust instead of the system's; empty: system

    // Growing waits after a failed delivery: the first, doubled each time up to the last.
    int retrySeconds = 60;
    int retryMaxSeconds = 3600;
    // How often the delivery looks for due mail when nothing woke it.
    int pollMilliseconds = 2000;
    // Longest time one delivery may take before it counts as failed.
    int timeoutSeconds = 60;

    bool Configured() const { return !url.empty(); }
};

// "" when the settings can be used (or mail is off), else what is wrong, for the
// administrator.
std::string MailSettingsProblem(const MailSettings& settings);

// The SMTP password: the first line of `file` when one is named, else the environment
// variable ZEL_SMTP_PASSWORD, else "". Throws std::runtime_error naming the file when it
// cannot be read.
std::string ReadSmtpPassword(const std::string& file);

// True for a plain mail address (one "@", no blanks, quotes, brackets or separators).
bool IsPlainMailAddress(const std::string& address);

}  // namespace zel::appserver
