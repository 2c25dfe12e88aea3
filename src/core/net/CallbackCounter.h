#pragma once

#include <condition_variable>
#include <mutex>

// Counts the socket callbacks running inside an owner (a server, a listener),
// so that its destructor can wait until none touches it any more. Sockets may
// outlive their owner; their callbacks may not.
class CCallbackCounter {
public:
    class CScope {
    public:
        explicit CScope(CCallbackCounter& counter) : m_counter(counter) { m_counter.Enter(); }
        ~CScope() { m_counter.Leave(); }
        CScope(const CScope&) = delete;
        CScope& operator=(const CScope&) = delete;

    private:
        CCallbackCounter& m_counter;
    };

    void Enter() {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_running;
    }
    void Leave() {
        // Notified under the lock: once the waiter has it back, this callback
        // touches nothing of the owner any more.
        std::lock_guard<std::mutex> lock(m_mutex);
        if (--m_running == 0)
            m_idle.notify_all();
    }
    // Never from one of the counted callbacks.
    void WaitIdle() {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_idle.wait(lock, [this] { return m_running == 0; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_idle;
    int m_running = 0;
};
