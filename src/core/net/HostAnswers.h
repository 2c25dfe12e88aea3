#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>

// Lets a socket callback wait for an answer that another thread (the user
// interface) gives later, without ever tying the two threads together: the
// asking side hands out a reply function and waits, bounded by a time-out and
// by Cancel; the answering side calls the reply whenever it gets round to it,
// also after the wait has ended (a late answer is dropped harmlessly).
class CHostAnswers {
public:
    enum class EWait { Answered, TimedOut, Cancelled };

    // No time limit: only an answer or Cancel/Close ends the wait.
    static constexpr std::chrono::milliseconds kNoTimeout{-1};

    CHostAnswers() : m_hub(std::make_shared<Hub>()) {}
    CHostAnswers(const CHostAnswers&) = delete;
    CHostAnswers& operator=(const CHostAnswers&) = delete;

    // Calls ask(reply) on this thread, then waits until reply(value) is called
    // (from any thread; only the first call counts), the time-out passes, or
    // Cancel/Close is called. The answer lands in out only when Answered.
    template <class T>
    EWait Wait(const std::function<void(std::function<void(T)>)>& ask, std::chrono::milliseconds timeout, T& out) {
        struct Answer {
            bool given = false;
            T value{};
        };
        auto answer = std::make_shared<Answer>();
        std::uint64_t generation;
        {
            std::lock_guard<std::mutex> lock(m_hub->mutex);
            if (m_hub->closed)
                return EWait::Cancelled;
            generation = m_hub->generation;
        }
        std::function<void(T)> reply = [hub = m_hub, answer](T value) {
            std::lock_guard<std::mutex> lock(hub->mutex);
            if (answer->given)
                return;
            answer->given = true;
            answer->value = std::move(value);
            hub->changed.notify_all();
        };
        // Outside the lock: the answer may come back before ask returns.
        ask(std::move(reply));

        std::unique_lock<std::mutex> lock(m_hub->mutex);
        const auto ended = [&] { return answer->given || m_hub->generation != generation || m_hub->closed; };
        if (timeout.count() < 0)
            m_hub->changed.wait(lock, ended);
        else
            m_hub->changed.wait_for(lock, timeout, ended);
        if (answer->given) {
            out = std::move(answer->value);
            return EWait::Answered;
        }
        return ended() ? EWait::Cancelled : EWait::TimedOut;
    }

    // Ends every wait in progress with Cancelled; later waits run normally.
    void Cancel() {
        std::lock_guard<std::mutex> lock(m_hub->mutex);
        ++m_hub->generation;
        m_hub->changed.notify_all();
    }
    // Cancel, and every later wait ends at once with Cancelled (program exit).
    void Close() {
        std::lock_guard<std::mutex> lock(m_hub->mutex);
        ++m_hub->generation;
        m_hub->closed = true;
        m_hub->changed.notify_all();
    }
    bool IsClosed() const {
        std::lock_guard<std::mutex> lock(m_hub->mutex);
        return m_hub->closed;
    }

private:
    // Shared with the reply functions, which may outlive this object.
    struct Hub {
        std::mutex mutex;
        std::condition_variable changed;
        std::uint64_t generation = 0;
        bool closed = false;
    };
    std::shared_ptr<Hub> m_hub;
};
