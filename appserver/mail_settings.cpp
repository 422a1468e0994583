#include "appserver/mail_settings.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string_view>

namespace zel::appserver {

bool IsPlainMailAddress(const std::string& e) {
    // An address safe to put after "mailto:" and into a header as it is: local@domain,
    // printable ASCII or UTF-8, without the characters that separate or quote addresses or
    // URI parts.
    const size_t at = e.find('@');
    if (e.size() > 100 || at == std::string::npos || at == 0 || at + 1 == e.size() ||
        e.find('@', at + 1) != std::string::npos)
        return false;
    for (const unsigned char ch : e)
        if (ch <= ' ' || ch == 0x7f ||
            std::string_view("\"<>()[],;:\\?#%/").find(ch) != std::string_view::npos)
            return false;
    return e.front() != '.' && e.back() != '.';
}

std::string MailSettingsProblem(const MailSettings& s) {
    if (!s.Configured()) return {};
    const bool smtps = s.url.rfind("smtps://", 0) == 0;
    if (!smtps && s.url.rfind("smtp://", 0) != 0)
        return "smtp-url must start with smtp:// or smtps:// (" + s.url + ")";
    if (s.url.find_first_of(" \t\r\n@") != std::string::npos)
        return "smtp-url must name only the server and port (the login goes in smtp-user)";
    if (s.from.empty()) return "smtp-from is needed with smtp-url";
    if (!IsPlainMailAddress(s.from)) return "smtp-from is not a plain mail address: " + s.from;
    if (!s.user.empty() && s.password.empty())
        return "smtp-user needs a password (smtp-password-file or ZEL_SMTP_PASSWORD)";
    if (!s.user.empty() && !smtps && !s.startTls)
        return "a login needs TLS: use smtps:// or leave smtp-tls at starttls";
    if (s.fromName.find_first_of("\r\n") != std::string::npos)
        return "the sender's name cannot hold line breaks";
    return {};
}

std::string ReadSmtpPassword(const std::string& file) {
    if (file.empty()) {
        const char* env = std::getenv("ZEL_SMTP_PASSWORD");
        return env ? env : "";
    }
    std::ifstream in(file);
    if (!in) throw std::runtime_error("cannot read smtp-password-file " + file);
    std::string line;
    std::getline(in, line);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

}  // namespace zel::appserver
