#include "appserver/bounded_task_queue.h"

namespace zel::appserver {

namespace {

thread_local bool t_refusing = false;

}  // namespace

BoundedTaskQueue::BoundedTaskQueue(size_t threads, size_t maxWaiting, size_t maxRefusals) {
    m_serve.maxJobs = maxWaiting;
    m_refuse.maxJobs = maxRefusals;
    for (size_t i = 0; i < (threads ? threads : 1); ++i)
        m_serve.threads.emplace_back([this] { work(m_serve, false); });
    m_refuse.threads.emplace_back([this] { work(m_refuse, true); });
}

BoundedTaskQueue::~BoundedTaskQueue() {
    shutdown();
}

bool BoundedTaskQueue::Refusing() {
    return t_refusing;
}

void BoundedTaskQueue::enqueue(std::function<void()> fn) {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        if (m_shutdown) {
            // Nothing would run it any more: the connection is served here (a stopping
            // server only closes it).
            lock.unlock();
            fn();
            return;
        }
        // Idle workers take a job at once; it waits only when they are all busy.
        if (m_serve.jobs.size() < m_serve.idle + m_serve.maxJobs) {
            m_serve.jobs.push_back(std::move(fn));
            break;
        }
        if (m_refuse.jobs.size() < m_refuse.maxJobs) {
            m_refuse.jobs.push_back(std::move(fn));
            break;
        }
        m_roomFreed.wait(lock);
    }
    lock.unlock();
    m_jobReady.notify_all();
}

void BoundedTaskQueue::work(Lane& lane, bool refusing) {
    t_refusing = refusing;
    for (;;) {
        std::function<void()> fn;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            ++lane.idle;
            m_jobReady.wait(lock, [&] { return !lane.jobs.empty() || m_shutdown; });
            --lane.idle;
            if (lane.jobs.empty()) return;  // shut down and nothing left
            fn = std::move(lane.jobs.front());
            lane.jobs.pop_front();
        }
        m_roomFreed.notify_one();
        fn();
    }
}

void BoundedTaskQueue::shutdown() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_shutdown && m_serve.threads.empty()) return;
        m_shutdown = true;
    }
    m_jobReady.notify_all();
    m_roomFreed.notify_all();
    for (Lane* lane : {&m_serve, &m_refuse}) {
        for (std::thread& t : lane->threads)
            t.join();
        lane->threads.clear();
    }
}

}  // namespace zel::appserver
