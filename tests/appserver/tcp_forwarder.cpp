#include "tcp_forwarder.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zel::appserver::test {

namespace {

constexpr int kPollMs = 100;  // how often the threads look at the stop flag

sockaddr_in Loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

void NoDelay(int fd) {
    int yes = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
}

// Writes all of `data`; false when the peer is gone.
bool WriteAll(int fd, const char* data, ssize_t size) {
    while (size > 0) {
        const ssize_t n = send(fd, data, static_cast<size_t>(size), MSG_NOSIGNAL);
        if (n <= 0) return false;
        data += n;
        size -= n;
    }
    return true;
}

}  // namespace

TcpForwarder::TcpForwarder(std::vector<int> backendPorts)
    : m_backends(std::move(backendPorts)), m_counts(m_backends.size()) {
    m_listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = Loopback(0);
    socklen_t len = sizeof a;
    if (m_listener < 0 || bind(m_listener, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        listen(m_listener, 64) != 0 ||
        getsockname(m_listener, reinterpret_cast<sockaddr*>(&a), &len) != 0)
        return;
    m_port = ntohs(a.sin_port);
    m_acceptor = std::thread([this] { AcceptLoop(); });
}

TcpForwarder::~TcpForwarder() {
    m_stop = true;
    if (m_acceptor.joinable()) m_acceptor.join();
    std::lock_guard lock(m_mutex);
    for (std::thread& t : m_pumps)
        t.join();
    if (m_listener >= 0) close(m_listener);
}

int TcpForwarder::Connections(size_t i) const {
    return m_counts.at(i).load();
}

void TcpForwarder::AcceptLoop() {
    while (!m_stop) {
        pollfd p{m_listener, POLLIN, 0};
        if (poll(&p, 1, kPollMs) <= 0) continue;
        const int client = accept(m_listener, nullptr, nullptr);
        if (client < 0) continue;
        const size_t i = m_next++ % m_backends.size();
        const int backend = socket(AF_INET, SOCK_STREAM, 0);
        const sockaddr_in a = Loopback(m_backends[i]);
        if (backend < 0 || connect(backend, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) {
            if (backend >= 0) close(backend);
            close(client);
            continue;
        }
        NoDelay(client);
        NoDelay(backend);
        ++m_counts[i];
        std::lock_guard lock(m_mutex);
        m_pumps.emplace_back([this, client, backend] { Pump(client, backend); });
    }
}

void TcpForwarder::Pump(int client, int backend) {
    char buf[16384];
    while (!m_stop) {
        pollfd p[2] = {{client, POLLIN, 0}, {backend, POLLIN, 0}};
        if (poll(p, 2, kPollMs) < 0) break;
        bool open = true;
        for (int k = 0; k < 2 && open; ++k) {
            if (!(p[k].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            const ssize_t n = recv(p[k].fd, buf, sizeof buf, 0);
            open = n > 0 && WriteAll(p[1 - k].fd, buf, n);
        }
        if (!open) break;
    }
    close(client);
    close(backend);
}

}  // namespace zel::appserver::test
