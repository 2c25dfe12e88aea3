#include "core/net/EventLoop.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <condition_variable>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace {
constexpr std::uint64_t kWakeKey = 0;
constexpr int kMaxEvents = 256;
} // namespace

CEventLoop::CEventLoop() : m_epoll(::epoll_create1(EPOLL_CLOEXEC)), m_wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (m_epoll >= 0 && m_wake >= 0) {
        epoll_event event{};
        event.events = EPOLLIN;
        event.data.u64 = kWakeKey;
        ::epoll_ctl(m_epoll, EPOLL_CTL_ADD, m_wake, &event);
    }
}

CEventLoop::~CEventLoop() {
    Stop();
    if (m_wake >= 0)
        ::close(m_wake);
    if (m_epoll >= 0)
        ::close(m_epoll);
}

bool CEventLoop::Start() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_running)
        return true;
    if (m_epoll < 0 || m_wake < 0)
        return false;
    m_quit = false;
    try {
        m_thread = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        return false;
    }
    m_threadId = m_thread.get_id();
    m_running = true;
    return true;
}

void CEventLoop::Stop() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_running)
            return;
        m_quit = true;
    }
    Wake();
    if (m_thread.joinable())
        m_thread.join();
    m_threadId = std::thread::id();
    std::vector<Task> dropped;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_running = false;
        dropped.swap(m_tasks);
    }
    // Handlers and tasks may own objects whose destructors post or unwatch:
    // they go now, off the lock, with the loop no longer running.
    for (const auto& [fd, watched] : m_watched)
        ::epoll_ctl(m_epoll, EPOLL_CTL_DEL, fd, nullptr);
    auto watched = std::move(m_watched);
    m_watched.clear();
    m_keys.clear();
    auto timers = std::move(m_timers);
    m_timers.clear();
    m_timerIndex.clear();
}

bool CEventLoop::IsRunning() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_running && !m_quit;
}

bool CEventLoop::InLoopThread() const {
    return std::this_thread::get_id() == m_threadId;
}

void CEventLoop::Wake() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(m_wake, &one, sizeof one);
}

bool CEventLoop::Post(Task task) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_running || m_quit)
            return false;
        m_tasks.push_back(std::move(task));
    }
    Wake();
    return true;
}

bool CEventLoop::RunAndWait(const Task& task) {
    if (InLoopThread()) {
        task();
        return true;
    }
    struct Done {
        std::mutex Mutex;
        std::condition_variable Ready;
        bool Finished = false;
    };
    auto done = std::make_shared<Done>();
    const bool posted = Post([task, done] {
        task();
        std::lock_guard<std::mutex> lock(done->Mutex);
        done->Finished = true;
        done->Ready.notify_all();
    });
    if (!posted)
        return false;
    std::unique_lock<std::mutex> lock(done->Mutex);
    // A Stop before the task ran drops it: poll for that rather than wait for ever.
    while (!done->Ready.wait_for(lock, std::chrono::milliseconds(50), [&] { return done->Finished; }))
        if (!IsRunning())
            return false;
    return true;
}

bool CEventLoop::Watch(int fd, std::uint32_t events, Handler handler) {
    if (fd < 0 || m_watched.count(fd) != 0)
        return false;
    const std::uint64_t key = m_nextKey++;
    epoll_event event{};
    event.events = events;
    event.data.u64 = key;
    if (::epoll_ctl(m_epoll, EPOLL_CTL_ADD, fd, &event) != 0)
        return false;
    m_watched[fd] = Watched{key, std::make_shared<Handler>(std::move(handler))};
    m_keys[key] = fd;
    return true;
}

bool CEventLoop::Modify(int fd, std::uint32_t events) {
    const auto it = m_watched.find(fd);
    if (it == m_watched.end())
        return false;
    epoll_event event{};
    event.events = events;
    event.data.u64 = it->second.Key;
    return ::epoll_ctl(m_epoll, EPOLL_CTL_MOD, fd, &event) == 0;
}

void CEventLoop::Unwatch(int fd) {
    const auto it = m_watched.find(fd);
    if (it == m_watched.end())
        return;
    ::epoll_ctl(m_epoll, EPOLL_CTL_DEL, fd, nullptr);
    m_keys.erase(it->second.Key);
    m_watched.erase(it);
}

CEventLoop::TimerId CEventLoop::AddTimer(Clock::time_point when, Task task) {
    const TimerId id = m_nextTimer++;
    m_timerIndex[id] = m_timers.emplace(when, std::make_pair(id, std::move(task)));
    return id;
}

void CEventLoop::CancelTimer(TimerId id) {
    const auto it = m_timerIndex.find(id);
    if (it == m_timerIndex.end())
        return;
    m_timers.erase(it->second);
    m_timerIndex.erase(it);
}

int CEventLoop::NextTimeoutMs() const {
    if (m_timers.empty())
        return -1;
    const auto wait = m_timers.begin()->first - Clock::now();
    if (wait <= Clock::duration::zero())
        return 0;
    // Rounded up: waking a little early would only spin.
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(wait).count();
    return static_cast<int>(std::min<long long>(ms, INT_MAX));
}

void CEventLoop::RunTasks() {
    std::vector<Task> tasks;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        tasks.swap(m_tasks);
    }
    for (Task& task : tasks)
        task();
}

void CEventLoop::RunTimers() {
    const Clock::time_point now = Clock::now();
    while (!m_timers.empty() && m_timers.begin()->first <= now) {
        auto node = m_timers.extract(m_timers.begin());
        m_timerIndex.erase(node.mapped().first);
        node.mapped().second();
    }
}

void CEventLoop::Run() {
    m_threadId = std::this_thread::get_id();
    epoll_event events[kMaxEvents];
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_quit)
                return;
        }
        const int count = ::epoll_wait(m_epoll, events, kMaxEvents, NextTimeoutMs());
        if (count < 0 && errno != EINTR)
            return;
        for (int i = 0; i < count; ++i) {
            const std::uint64_t key = events[i].data.u64;
            if (key == kWakeKey) {
                std::uint64_t value;
                [[maybe_unused]] const ssize_t n = ::read(m_wake, &value, sizeof value);
                continue;
            }
            // An earlier handler of this batch may have unwatched this one.
            const auto fd = m_keys.find(key);
            if (fd == m_keys.end())
                continue;
            const std::shared_ptr<Handler> handler = m_watched[fd->second].Call;
            (*handler)(events[i].events);
        }
        RunTasks();
        RunTimers();
    }
}
