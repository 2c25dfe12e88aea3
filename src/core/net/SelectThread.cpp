#include "core/net/SelectThread.h"

#include "core/net/SimpleSocket.h"

#include <cerrno>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace {

thread_local bool t_dispatchThread = false;
// The socket whose callback runs on this thread, if any.
thread_local const CSimpleSocket* t_currentSocket = nullptr;

} // namespace

CSelectThread& CSelectThread::Instance() {
    static CSelectThread instance;
    return instance;
}

CSelectThread::CSelectThread() : m_wakeFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

CSelectThread::~CSelectThread() {
    Stop();
    if (m_wakeFd >= 0)
        ::close(m_wakeFd);
}

bool CSelectThread::IsDispatchThread() {
    return t_dispatchThread;
}

void CSelectThread::Wake() {
    const std::uint64_t one = 1;
    // EAGAIN means the counter is already non-zero: the poll thread wakes anyway.
    [[maybe_unused]] const ssize_t n = ::write(m_wakeFd, &one, sizeof one);
}

void CSelectThread::DrainWake() {
    std::uint64_t value = 0;
    [[maybe_unused]] const ssize_t n = ::read(m_wakeFd, &value, sizeof value);
}

int CSelectThread::LiveCount() const {
    int count = 0;
    for (const auto& item : m_registry)
        if (!item.second->removed)
            ++count;
    return count;
}

bool CSelectThread::RegisterSocket(const std::shared_ptr<CSimpleSocket>& socket) {
    if (!socket || m_wakeFd < 0)
        return false;
    const int fd = socket->GetHandle();
    const int flags = socket->GetInterest() & (CSimpleSocket::kInterestRead | CSimpleSocket::kInterestWrite);
    if (fd < 0 || flags == 0)
        return false;

    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_stopping)
        return false;
    std::shared_ptr<Entry>& entry = m_registry[socket.get()];
    if (!entry) {
        entry = std::make_shared<Entry>();
        entry->key = socket.get();
        entry->generation = ++m_nextGeneration;
    } else if (entry->removed) {
        entry->removed = false;
        entry->generation = ++m_nextGeneration; // a job queued before the removal is stale
    }
    entry->socket = socket;
    entry->fd = fd;
    entry->flags = flags;

    if (m_active) {
        Wake();
        return true;
    }
    // The previous poll thread, if any, has left its loop and takes no lock
    // again: joining it here cannot block for long.
    Wait();
    m_active = true;
    if (!Start()) {
        m_active = false;
        m_registry.erase(socket.get());
        return false;
    }
    return true;
}

void CSelectThread::UnregisterSocket(const CSimpleSocket* socket) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_registry.find(socket);
    if (it == m_registry.end())
        return;
    if (it->second->busy)
        it->second->removed = true; // erased by the dispatch thread when the callback ends
    else
        m_registry.erase(it);
    Wake();
}

bool CSelectThread::IsActive() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_active;
}

bool CSelectThread::IsRegistered(const CSimpleSocket* socket) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_registry.find(socket);
    return it != m_registry.end() && !it->second->removed;
}

int CSelectThread::RegisteredCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return LiveCount();
}

bool CSelectThread::WaitUntilIdle(const CSimpleSocket* socket, int timeoutMs) {
    if (t_currentSocket == socket)
        return false;
    std::unique_lock<std::mutex> lock(m_mutex);
    const auto idle = [&] {
        const auto it = m_registry.find(socket);
        return it == m_registry.end() || !it->second->busy;
    };
    if (timeoutMs < 0) {
        m_idle.wait(lock, idle);
        return true;
    }
    return m_idle.wait_for(lock, std::chrono::milliseconds(timeoutMs), idle);
}

bool CSelectThread::Stop() {
    if (t_dispatchThread)
        return false;
    std::vector<std::shared_ptr<CSimpleSocket>> sockets;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_active) {
            m_registry.clear();
            Wait(); // a poll thread that ended by itself is still to be joined
            return true;
        }
        m_stopping = true;
        for (const auto& item : m_registry)
            if (auto socket = item.second->socket.lock())
                sockets.push_back(std::move(socket));
        Wake();
    }
    for (const auto& socket : sockets)
        socket->Shutdown();
    sockets.clear(); // may destroy sockets, which unregister: not under the lock
    Wait();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_registry.clear();
    m_stopping = false;
    return true;
}

int CSelectThread::Run() {
    t_dispatchThread = true;
    std::vector<pollfd> fds;
    std::vector<std::shared_ptr<Entry>> entries;
    std::vector<short> revents;
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        if (m_stopping || (LiveCount() == 0 && m_inFlight == 0)) {
            m_workersQuit = true;
            m_jobReady.notify_all();
            lock.unlock();
            JoinWorkers(); // they finish every queued job first
            lock.lock();
            m_workersQuit = false;
            if (m_stopping || LiveCount() == 0) {
                m_active = false;
                return 0;
            }
            continue; // a registration arrived meanwhile
        }

        fds.assign(1, pollfd{m_wakeFd, POLLIN, 0});
        entries.clear();
        for (const auto& item : m_registry) {
            const Entry& entry = *item.second;
            if (entry.removed || entry.busy)
                continue;
            short events = 0;
            if (entry.flags & CSimpleSocket::kInterestRead)
                events |= POLLIN;
            if (entry.flags & CSimpleSocket::kInterestWrite)
                events |= POLLOUT;
            fds.push_back(pollfd{entry.fd, events, 0});
            entries.push_back(item.second);
        }
        lock.unlock();

        const int ready = ::poll(fds.data(), fds.size(), -1);
        if (ready > 0 && fds[0].revents != 0)
            DrainWake();

        lock.lock();
        if (ready <= 0)
            continue; // EINTR: build the set again
        revents.resize(entries.size());
        for (size_t i = 0; i < entries.size(); ++i)
            revents[i] = fds[i + 1].revents;
        Dispatch(entries, revents);
    }
}

void CSelectThread::Dispatch(const std::vector<std::shared_ptr<Entry>>& entries, const std::vector<short>& revents) {
    for (size_t i = 0; i < entries.size(); ++i) {
        const std::shared_ptr<Entry>& entry = entries[i];
        if (revents[i] == 0 || entry->removed || entry->busy)
            continue;
        const auto it = m_registry.find(entry->key);
        if (it == m_registry.end() || it->second != entry)
            continue;
        std::shared_ptr<CSimpleSocket> socket = entry->socket.lock();
        if (!socket || (revents[i] & POLLNVAL)) {
            // Gone, or its descriptor was closed behind our back: it would only spin.
            m_registry.erase(it);
            if (socket)
                m_jobs.push_back(Job{entry, std::move(socket), 0, 0, 0}); // released off the lock
            continue;
        }
        entry->busy = true;
        ++m_inFlight;
        m_jobs.push_back(Job{entry, std::move(socket), entry->generation, entry->flags, revents[i]});
    }
    if (m_jobs.empty())
        return;
    while (m_idleWorkers < static_cast<int>(m_jobs.size()) &&
           static_cast<int>(m_workers.size()) < kMaxDispatchThreads) {
        try {
            m_workers.emplace_back(&CSelectThread::WorkerLoop, this);
            ++m_idleWorkers; // counted now so that one burst does not spawn twice
        } catch (const std::system_error&) {
            break;
        }
    }
    m_jobReady.notify_all();
}

void CSelectThread::WorkerLoop() {
    t_dispatchThread = true;
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_jobReady.wait(lock, [this] { return !m_jobs.empty() || m_workersQuit; });
        if (m_jobs.empty()) {
            --m_idleWorkers;
            return;
        }
        Job job = std::move(m_jobs.front());
        m_jobs.pop_front();
        --m_idleWorkers;
        const bool counted = job.generation != 0;
        const bool live = counted && !job.entry->removed && job.entry->generation == job.generation;
        lock.unlock();

        if (live)
            RunJob(job);
        job.socket.reset(); // the last owner may be gone: the socket dies here, off the lock

        lock.lock();
        ++m_idleWorkers;
        if (counted) {
            job.entry->busy = false;
            --m_inFlight;
            if (job.entry->removed) {
                const auto it = m_registry.find(job.entry->key);
                if (it != m_registry.end() && it->second == job.entry)
                    m_registry.erase(it);
            }
            m_idle.notify_all();
            Wake(); // poll the socket again, or let the loop end
        }
    }
}

void CSelectThread::RunJob(Job& job) {
    CSimpleSocket& socket = *job.socket;
    t_currentSocket = &socket;
    try {
        if ((job.flags & CSimpleSocket::kInterestRead) && (job.revents & (POLLIN | POLLHUP | POLLERR)))
            socket.OnRead();
        if ((job.flags & CSimpleSocket::kInterestWrite) && (job.revents & (POLLOUT | POLLHUP | POLLERR)) &&
            socket.IsOpen())
            socket.OnWrite();
    } catch (...) {
        // A callback that throws ends its own connection, nothing else.
        socket.Close();
    }
    t_currentSocket = nullptr;
}

void CSelectThread::JoinWorkers() {
    for (std::thread& worker : m_workers)
        worker.join();
    m_workers.clear();
}

bool RegisterSocket(const std::shared_ptr<CSimpleSocket>& socket) {
    return CSelectThread::Instance().RegisterSocket(socket);
}

void UnregisterSocket(const CSimpleSocket* socket) {
    CSelectThread::Instance().UnregisterSocket(socket);
}
