// ServerAddress: where the application server listens, as an operator or a script writes it:
// "host", "host:port", "http://host:port" or "https://host:port" (port 8400 when left out).
// TlsOptions: whether a connection speaks HTTPS and which certificate authority it trusts.
#pragma once

#include <optional>
#include <string>
#include <string_view>

struct TlsOptions {
    bool enabled = false;
    // PEM file with the CA certificate(s) to trust; empty: the system's trusted CAs.
    std::string caFile;
};

struct ServerAddress {
    static constexpr int kDefaultPort = 8400;

    std::string host;
    int port = kDefaultPort;
    bool tls = false;

    // The address in `text`, or nullopt with `error` (if given) telling the operator why not.
    static std::optional<ServerAddress> Parse(std::string_view text, std::string* error = nullptr);
    // "host:port", or "https://host:port" for TLS; Parse reads it back.
    std::string ToString() const;
};

// "host:port" or "https://host:port", for messages and the address a connection shows.
std::string FormatServerAddress(const std::string& host, int port, bool tls);
