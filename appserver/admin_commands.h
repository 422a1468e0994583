// Admin subcommands of zel-appserver (branches, operators, rooms, migrate, seed-demo, history).
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <string>

namespace zel::appserver {

struct CliSettings {
    std::string db = "sqlite:zel.db";
    std::string listen = "127.0.0.1:8400";
    bool demo = false;
    std::string logLevel = "info";
    int threads = 64;  // one per connected client (keep-alive)
    int queue = 256;   // connections that may wait for a thread
    int pool = 8;
    std::string tlsCert;  // both set: serve HTTPS
    std::string tlsKey;
    // Invitation mail (mail_settings.h); no smtp-url: no mail.
    std::string smtpUrl, smtpUser, smtpFrom, smtpPasswordFile, smtpCaFile;
    std::string smtpTls = "starttls";
};

// Adds the subcommands; the one chosen stores its action in `action`, run after parsing.
void AddAdminCommands(CLI::App& app, const CliSettings& settings, std::function<int()>& action);

}  // namespace zel::appserver
