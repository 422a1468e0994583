#include "server_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#ifndef ZEL_APPSERVER_EXE
#error "ZEL_APPSERVER_EXE must name the zel-appserver executable"
#endif

namespace zel::appserver::test {

namespace {

// execv's argument vector; `args` must outlive it.
std::vector<char*> Argv(std::vector<std::string>& args) {
    std::vector<char*> argv{const_cast<char*>(ZEL_APPSERVER_EXE)};
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    return argv;
}

}  // namespace

ServerProcess::ServerProcess(std::vector<std::string> args, const std::string& errorLog) {
    args.insert(args.end(), {"--listen", "127.0.0.1:0"});
    int out[2];
    if (pipe(out) != 0) return;
    std::vector<char*> argv = Argv(args);
    m_pid = fork();
    if (m_pid == 0) {
        if (!errorLog.empty()) {
            const int err = open(errorLog.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(err, STDERR_FILENO);
        }
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        execv(ZEL_APPSERVER_EXE, argv.data());
        _exit(127);
    }
    close(out[1]);
    m_out = out[0];
    m_port = ReadPort();
}

ServerProcess::~ServerProcess() {
    Stop();
    if (m_out >= 0) close(m_out);
}

void ServerProcess::Stop() {
    if (m_pid <= 0) return;
    kill(m_pid, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        if (waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
            m_pid = 0;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    kill(m_pid, SIGKILL);
    waitpid(m_pid, nullptr, 0);
    m_pid = 0;
}

void ServerProcess::Kill() {
    if (m_pid <= 0) return;
    kill(m_pid, SIGKILL);
    waitpid(m_pid, nullptr, 0);
    m_pid = 0;
}

// The server prints "listening HOST:PORT" once it accepts connections.
int ServerProcess::ReadPort() {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd p{m_out, POLLIN, 0};
        if (poll(&p, 1, 500) <= 0) continue;
        char c;
        if (read(m_out, &c, 1) != 1) return 0;
        if (c != '\n') {
            line += c;
            continue;
        }
        const auto colon = line.rfind(':');
        if (line.rfind("listening ", 0) == 0 && colon != std::string::npos)
            return std::stoi(line.substr(colon + 1));
        line.clear();
    }
    return 0;
}

RunResult RunAppServer(const std::vector<std::string>& given) {
    std::vector<std::string> args = given;
    std::vector<char*> argv = Argv(args);
    int err[2];
    RunResult r;
    if (pipe(err) != 0) return r;
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_RDWR);
        dup2(null, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        close(err[0]);
        close(err[1]);
        execv(ZEL_APPSERVER_EXE, argv.data());
        _exit(127);
    }
    close(err[1]);
    char buf[512];
    for (ssize_t n; (n = read(err[0], buf, sizeof buf)) > 0;)
        r.errors.append(buf, static_cast<size_t>(n));
    close(err[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

}  // namespace zel::appserver::test
