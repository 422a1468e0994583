// BoundedTaskQueue: the HTTP server's queue of accepted connections, with a bound.
//
// `threads` workers serve connections; at most `maxWaiting` more wait for a busy worker. A
// connection beyond those goes to a refusal lane: its own thread serves it with Refusing()
// true, and the HTTP layer then answers the request "busy" (503) without reading its body and
// closes the connection. When the refusal lane is full too, enqueue() blocks the accept loop
// until there is room, so further clients wait in the kernel's listen backlog. However many
// clients connect, the server holds at most threads + maxWaiting + maxRefusals connections.
//
// Created by the HTTP server's task-queue factory; enqueue() is called by the accept thread,
// shutdown() once, by the same thread, when the server stops.
#pragma once

#include <httplib.h>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace zel::appserver {

class BoundedTaskQueue : public httplib::TaskQueue {
  public:
    BoundedTaskQueue(size_t threads, size_t maxWaiting, size_t maxRefusals = 16);
    ~BoundedTaskQueue() override;
    BoundedTaskQueue(const BoundedTaskQueue&) = delete;
    BoundedTaskQueue& operator=(const BoundedTaskQueue&) = delete;

    void enqueue(std::function<void()> fn) override;
    // Runs what is queued, then joins every thread.
    void shutdown() override;

    // True on the refusal lane's thread: the connection being served is to be refused.
    static bool Refusing();

  private:
    struct Lane {
        std::deque<std::function<void()>> jobs;
        size_t maxJobs = 0;  // jobs waiting beyond those idle threads are about to take
        size_t idle = 0;     // threads waiting for a job
        std::vector<std::thread> threads;
    };
    void work(Lane& lane, bool refusing);

    std::mutex m_mutex;
    std::condition_variable m_jobReady;   // a job was queued, or shutdown
    std::condition_variable m_roomFreed;  // a job left a lane, or shutdown
    Lane m_serve;
    Lane m_refuse;
    bool m_shutdown = false;
};

}  // namespace zel::appserver
