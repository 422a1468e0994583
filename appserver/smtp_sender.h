// SmtpSender: hands one message to the SMTP server of the settings (libcurl): STARTTLS or TLS
// from the start, login when a user is set, the sender as the envelope's MAIL FROM. The
// password is given to libcurl only; nothing here logs it.
#pragma once

#include <atomic>
#include <string>

#include "appserver/mail_settings.h"

namespace zel::appserver {

struct SmtpResult {
    enum class Outcome {
        Sent,     // the server accepted the message
        Retry,    // a failure that may pass (no connection, busy, a 4xx answer): try again later
        Refused,  // the server refused the message for good (a 5xx answer to it)
        Stopped,  // the transfer was given up because the server is stopping
    };
    Outcome outcome = Outcome::Retry;
    std::string reason;  // for the log and the outbox; never holds the password
};

class SmtpSender {
  public:
    explicit SmtpSender(MailSettings settings);

    // Sends `message` (CRLF lines, headers included) to `to`. `stop` is watched while the
    // transfer runs; when it turns true the transfer ends at once with Stopped.
    SmtpResult Send(const std::string& to, const std::string& message,
                    const std::atomic<bool>& stop) const;

  private:
    MailSettings m_settings;
};

}  // namespace zel::appserver
