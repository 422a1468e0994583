// The zel-appserver executable as an administrator starts it, for end-to-end tests: a serving
// process on a free loopback port (killed when the test leaves), or a run to its end with its
// exit code and standard error.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace zel::appserver::test {

class ServerProcess {
  public:
    // Starts `zel-appserver ARGS --listen 127.0.0.1:0` and waits (up to a minute) for its
    // "listening HOST:PORT" line; Port() is 0 when it did not come. Its standard error goes to
    // the file `errorLog` when one is named.
    explicit ServerProcess(std::vector<std::string> args, const std::string& errorLog = "");
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    int Port() const { return m_port; }
    pid_t Pid() const { return m_pid; }
    // SIGTERM, then SIGKILL when it does not end within ten seconds. Idempotent.
    void Stop();
    // SIGKILL: the process dies where it stands, as in a crash. Idempotent.
    void Kill();

  private:
    int ReadPort();
    pid_t m_pid = -1;
    int m_out = -1;
    int m_port = 0;
};

struct RunResult {
    int exitCode = -1;   // -1: killed by a signal
    std::string errors;  // what it wrote to standard error
};

// Runs `zel-appserver ARGS` to its end (stdin empty, stdout dropped).
RunResult RunAppServer(const std::vector<std::string>& args);

}  // namespace zel::appserver::test
