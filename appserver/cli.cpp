#include "appserver/cli.h"

#include <signal.h>
#include <spdlog/sinks/stdout_color_sinks.h>
#include <spdlog/spdlog.h>

#include <iostream>

#include "appserver/admin_commands.h"
#include "appserver/app_server.h"
#include "appserver/http_server.h"
#include "appserver/storage.h"

namespace zel::appserver {

namespace {

bool SplitListen(const std::string& listen, std::string& host, int& port) {
    const size_t colon = listen.rfind(':');
    if (colon == std::string::npos || colon == 0) return false;
    host = listen.substr(0, colon);
    try {
        size_t used = 0;
        port = std::stoi(listen.substr(colon + 1), &used);
        return used == listen.size() - colon - 1 && port >= 0 && port <= 65535;
    } catch (const std::exception&) {
        return false;
    }
}

// The mail settings of the command line and configuration file, with the password read from
// its file or the environment. False (and the reason written) when they cannot be used.
bool MailFromSettings(const CliSettings& s, MailSettings& m) {
    m.url = s.smtpUrl;
    m.user = s.smtpUser;
    m.from = s.smtpFrom;
    m.caFile = s.smtpCaFile;
    m.startTls = s.smtpTls != "none";
    try {
        if (!m.url.empty()) m.password = ReadSmtpPassword(s.smtpPasswordFile);
    } catch (const std::exception& e) {
        std::cerr << "zel-appserver: " << e.what() << "\n";
        return false;
    }
    const std::string problem = MailSettingsProblem(m);
    if (!problem.empty()) std::cerr << "zel-appserver: " << problem << "\n";
    return problem.empty();
}

int Serve(const CliSettings& s) {
    std::string host;
    int port = 0;
    if (!SplitListen(s.listen, host, port)) {
        std::cerr << "zel-appserver: --listen espera HOST:PORTA, recebeu '" << s.listen << "'\n";
        return kExitUsage;
    }
    if (s.tlsCert.empty() != s.tlsKey.empty()) {
        std::cerr
            << "zel-appserver: --tls-cert e --tls-key andam juntos (HTTPS precisa dos dois)\n";
        return kExitUsage;
    }
    MailSettings mail;
    if (!MailFromSettings(s, mail)) return kExitUsage;
    // Signals are taken by sigwait below, so block them before any thread starts.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    std::unique_ptr<AppServer> app;
    try {
        AppServerOptions o;
        o.db = s.db;
        o.demo = s.demo;
        o.poolSize = s.pool;
        o.mail = mail;
        app = std::make_unique<AppServer>(o);
    } catch (const std::exception& e) {
        std::cerr << "zel-appserver: banco de dados " << RedactDatabaseUrl(s.db) << ": " << e.what()
                  << "\n";
        return kExitDatabase;
    }
    HttpServerOptions h;
    h.host = host;
    h.port = port;
    h.threads = s.threads;
    h.maxWaitingConnections = s.queue;
    h.tlsCert = s.tlsCert;
    h.tlsKey = s.tlsKey;
    HttpServer http(*app, h);
    try {
        http.Start();
    } catch (const TlsSetupError& e) {
        std::cerr << "zel-appserver: " << e.what() << "\n";
        return kExitTls;
    } catch (const std::exception& e) {
        std::cerr << "zel-appserver: " << e.what() << "\n";
        return kExitListen;
    }
    spdlog::info("zel-appserver listening on {} ({}, database {})", http.Address(),
                 http.Tls() ? "HTTPS" : "HTTP", RedactDatabaseUrl(s.db));
    // Scripts that start the server on port 0 read the bound address from this line.
    std::cout << "listening " << http.Address() << std::endl;
    int sig = 0;
    sigwait(&signals, &sig);
    spdlog::info("signal {}: stopping", sig);
    http.Stop();
    return kExitOk;
}

}  // namespace

int RunCli(int argc, char** argv) {
    CliSettings s;
    std::function<int()> action;
    CLI::App app{"zel-appserver: servidor de aplicação do controle de reuniões"};
    app.set_config("--config", "",
                   "Arquivo de configuração: linhas chave = valor com os nomes das opções "
                   "(db, listen, tls-cert, tls-key, log-level, ...)");
    // A misspelt key in the file must not be ignored silently.
    app.allow_config_extras(CLI::config_extras_mode::error);
    app.add_option("--db", s.db, "sqlite:ARQUIVO, sqlite::memory: ou postgresql://...")
        ->capture_default_str();
    app.add_option("--listen", s.listen, "Endereço HOST:PORTA (porta 0: qualquer livre)")
        ->capture_default_str();
    app.add_flag("--demo", s.demo, "Preenche um banco vazio com os dados de demonstração");
    app.add_option("--log-level", s.logLevel, "trace, debug, info, warn, error, off")
        ->check(CLI::IsMember({"trace", "debug", "info", "warn", "error", "critical", "off"}))
        ->capture_default_str();
    app.add_option("--tls-cert", s.tlsCert,
                   "Certificado PEM do servidor (com a cadeia): serve HTTPS");
    app.add_option("--tls-key", s.tlsKey, "Chave privada PEM do certificado");
    app.add_option("--threads", s.threads,
                   "Tarefas HTTP em paralelo (cada cliente conectado ocupa uma)")
        ->check(CLI::Range(1, 256))
        ->capture_default_str();
    app.add_option("--queue", s.queue,
                   "Conexões que podem esperar por uma tarefa livre (as demais: 503)")
        ->check(CLI::Range(0, 100000))
        ->capture_default_str();
    app.add_option("--pool", s.pool, "Conexões com o banco")
        ->check(CLI::Range(1, 256))
        ->capture_default_str();
    app.add_option("--smtp-url", s.smtpUrl,
                   "Servidor de e-mail dos convites: smtp://HOST:587 (STARTTLS) ou "
                   "smtps://HOST:465; sem ele nenhum e-mail é enviado");
    app.add_option("--smtp-user", s.smtpUser, "Usuário do servidor de e-mail");
    app.add_option("--smtp-password-file", s.smtpPasswordFile,
                   "Arquivo com a senha do servidor de e-mail (sem ele, ZEL_SMTP_PASSWORD)");
    app.add_option("--smtp-from", s.smtpFrom, "Remetente dos convites (endereço de e-mail)");
    app.add_option("--smtp-tls", s.smtpTls,
                   "starttls (exige TLS) ou none (só um relé em rede confiável, sem login)")
        ->check(CLI::IsMember({"starttls", "none"}))
        ->capture_default_str();
    app.add_option("--smtp-ca-file", s.smtpCaFile,
                   "Certificados PEM das autoridades em que confiar no servidor de e-mail");
    AddAdminCommands(app, s, action);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return kExitUsage;
    } catch (const std::exception& e) {
        std::cerr << "zel-appserver: " << e.what() << "\n";
        return kExitFailure;
    }
    // Logs go to standard error; standard output carries only what scripts read.
    spdlog::set_default_logger(spdlog::stderr_color_mt("zel-appserver"));
    spdlog::set_level(spdlog::level::from_str(s.logLevel));
    if (action) return action();
    return Serve(s);
}

}  // namespace zel::appserver
