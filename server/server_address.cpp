#include "server/server_address.h"

#include <charconv>

#include "platform/text_view.h"

namespace {

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        const char c = s[i] >= 'A' && s[i] <= 'Z' ? static_cast<char>(s[i] - 'A' + 'a') : s[i];
        if (c != prefix[i]) return false;
    }
    return true;
}

std::optional<ServerAddress> Fail(std::string* error, std::string why) {
    if (error) *error = std::move(why);
    return std::nullopt;
}

}  // namespace

std::string FormatServerAddress(const std::string& host, int port, bool tls) {
    const bool v6 = host.find(':') != std::string::npos;
    return (tls ? "https://" : "") + (v6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

std::string ServerAddress::ToString() const {
    return FormatServerAddress(host, port, tls);
}

std::optional<ServerAddress> ServerAddress::Parse(std::string_view text, std::string* error) {
    const std::string shown(text);
    std::string_view rest = TrimBlanks(text);
    ServerAddress a;
    if (StartsWithNoCase(rest, "https://")) {
        a.tls = true;
        rest.remove_prefix(8);
    } else if (StartsWithNoCase(rest, "http://")) {
        rest.remove_prefix(7);
    } else if (rest.find("://") != std::string_view::npos) {
        return Fail(error,
                    "Endereço do servidor inválido: " + shown + " (use http:// ou https://)");
    }
    if (!rest.empty() && rest.back() == '/') rest.remove_suffix(1);

    std::string_view port;
    if (!rest.empty() && rest.front() == '[') {  // [IPv6]:port
        const size_t close = rest.find(']');
        if (close == std::string_view::npos)
            return Fail(error, "Endereço do servidor inválido: " + shown);
        a.host = std::string(rest.substr(1, close - 1));
        rest.remove_prefix(close + 1);
        if (!rest.empty() && rest.front() != ':')
            return Fail(error, "Endereço do servidor inválido: " + shown);
        if (!rest.empty()) port = rest.substr(1);
    } else {
        const size_t colon = rest.rfind(':');
        a.host = std::string(rest.substr(0, colon));
        if (colon != std::string_view::npos) port = rest.substr(colon + 1);
        if (colon != std::string_view::npos && port.empty())
            return Fail(error, "Endereço do servidor sem porta depois de ':': " + shown);
    }
    if (a.host.empty() || a.host.find_first_of(" /?#@") != std::string::npos)
        return Fail(error, "Endereço do servidor inválido: " + shown);
    if (!port.empty()) {
        const auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), a.port);
        if (ec != std::errc() || end != port.data() + port.size() || a.port <= 0 || a.port > 65535)
            return Fail(error, "Porta inválida no endereço do servidor: " + shown);
    }
    return a;
}
