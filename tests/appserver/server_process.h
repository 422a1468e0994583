// ServerProcess: the real zel-appserver executable (ZEL_APPSERVER_EXE) started for a test on
// a free loopback port with its own SQLite database file and the demo data, and stopped when
// the object goes (or by Stop()). Port() is 0 when it did not start.
#pragma once

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#ifndef ZEL_APPSERVER_EXE
#error "ZEL_APPSERVER_EXE must name the zel-appserver executable"
#endif

namespace zel::appserver::test {

// The server process, started with its stdout on a pipe; killed when the test leaves.
class ServerProcess {
  public:
    explicit ServerProcess(const std::string& dbPath) {
        int out[2];
        if (pipe(out) != 0) return;
        m_pid = fork();
        if (m_pid == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            close(out[1]);
            const std::string db = "sqlite:" + dbPath;
            execl(ZEL_APPSERVER_EXE, ZEL_APPSERVER_EXE, "--db", db.c_str(), "--listen",
                  "127.0.0.1:0", "--demo", "--log-level", "warn", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(out[1]);
        m_out = out[0];
        m_port = ReadPort();
    }
    ~ServerProcess() {
        Stop();
        if (m_out >= 0) close(m_out);
    }
    int Port() const { return m_port; }

    // SIGTERM, then SIGKILL when it does not end within ten seconds.
    void Stop() {
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

  private:
    // The server prints "listening HOST:PORT" once it accepts connections.
    int ReadPort() {
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

    pid_t m_pid = -1;
    int m_out = -1;
    int m_port = 0;
};

}  // namespace zel::appserver::test
