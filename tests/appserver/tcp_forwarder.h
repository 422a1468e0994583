// TcpForwarder: one loopback address in front of several servers, the way a TCP load balancer
// stands in front of application servers: each accepted connection goes, round robin, to the
// next backend port on 127.0.0.1, and bytes are copied both ways until either side closes.
// Stopped (every connection closed, every thread joined) on destruction.
#pragma once

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace zel::appserver::test {

class TcpForwarder {
  public:
    explicit TcpForwarder(std::vector<int> backendPorts);
    ~TcpForwarder();
    TcpForwarder(const TcpForwarder&) = delete;
    TcpForwarder& operator=(const TcpForwarder&) = delete;

    int Port() const { return m_port; }  // 0 when it could not listen
    // Connections handed to backend `i` so far.
    int Connections(size_t i) const;

  private:
    void AcceptLoop();
    void Pump(int client, int backend);

    std::vector<int> m_backends;
    std::vector<std::atomic<int>> m_counts;
    int m_listener = -1;
    int m_port = 0;
    size_t m_next = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_acceptor;
    std::mutex m_mutex;
    std::vector<std::thread> m_pumps;
};

}  // namespace zel::appserver::test
