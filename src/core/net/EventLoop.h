#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

// One thread that waits on many non-blocking descriptors (epoll), runs timers
// and runs tasks posted from other threads. Everything registered with it runs
// on that thread, one handler at a time, so the objects it drives need no
// locks of their own.
//
// Handlers must not block: a slow peer or a busy user would stall every other
// descriptor. Work that has to wait parks its state and is resumed by a Post.
class CEventLoop {
public:
    using Clock = std::chrono::steady_clock;
    using Task = std::function<void()>;
    // Receives the epoll event bits (EPOLLIN, EPOLLOUT, EPOLLHUP, EPOLLERR...).
    using Handler = std::function<void(std::uint32_t events)>;
    using TimerId = std::uint64_t;

    CEventLoop();
    // Stops the loop (see Stop).
    ~CEventLoop();
    CEventLoop(const CEventLoop&) = delete;
    CEventLoop& operator=(const CEventLoop&) = delete;

    // Starts the thread; true when it runs (also when it already ran).
    bool Start();
    // Ends the thread after the handler running now, joins it and drops every
    // watch, timer and task not yet run. Not from the loop's own thread.
    void Stop();
    bool IsRunning() const;
    bool InLoopThread() const;

    // Any thread: runs task on the loop thread soon. False (task dropped) when
    // the loop is not running.
    bool Post(Task task);
    // Any thread but the loop's: runs task on the loop thread and waits for it.
    // False when the loop is not running.
    bool RunAndWait(const Task& task);

    // Loop thread only. The descriptor stays owned by the caller, who unwatches
    // it before closing it.
    bool Watch(int fd, std::uint32_t events, Handler handler);
    bool Modify(int fd, std::uint32_t events);
    void Unwatch(int fd);

    // Loop thread only. A cancelled or fired timer's id is never reused.
    TimerId AddTimer(Clock::time_point when, Task task);
    TimerId AddTimer(std::chrono::milliseconds delay, Task task) {
        return AddTimer(Clock::now() + delay, std::move(task));
    }
    void CancelTimer(TimerId id);

private:
    struct Watched {
        std::uint64_t Key = 0;
        std::shared_ptr<Handler> Call;
    };

    void Run();
    void Wake();
    void RunTasks();
    void RunTimers();
    int NextTimeoutMs() const;

    int m_epoll = -1;
    int m_wake = -1;
    std::thread m_thread;
    std::atomic<std::thread::id> m_threadId{};

    mutable std::mutex m_mutex; // guards m_tasks, m_running, m_quit
    std::vector<Task> m_tasks;
    bool m_running = false;
    bool m_quit = false;

    // Loop thread only.
    std::unordered_map<int, Watched> m_watched;
    std::unordered_map<std::uint64_t, int> m_keys; // epoll key -> fd
    std::uint64_t m_nextKey = 1;
    std::multimap<Clock::time_point, std::pair<TimerId, Task>> m_timers;
    std::unordered_map<TimerId, std::multimap<Clock::time_point, std::pair<TimerId, Task>>::iterator> m_timerIndex;
    TimerId m_nextTimer = 1;
};
