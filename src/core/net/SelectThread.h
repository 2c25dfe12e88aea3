#pragma once

#include "core/net/Thread.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

class CSimpleSocket;

// The process-wide readiness watcher of every registered socket.
//
// Threading design:
// - One poll thread (this CThread) waits with poll() on all registered sockets
//   plus an eventfd; registering, unregistering or a finished callback writes
//   the eventfd, so changes take effect at once, never after a time-out.
// - A readable (or writable) socket is taken out of the poll set and handed to
//   a small pool of dispatch threads, which call OnRead/OnWrite with a
//   shared_ptr held for the duration of the call; the socket is polled again
//   when its callback returns. So callbacks of one socket never overlap, but
//   callbacks of different sockets may run at the same time: an answer that
//   trickles in (bounded by its deadline) costs one dispatch thread, never
//   the other connections. Owners of state shared between callbacks must
//   lock it themselves. (The servers run on CEventLoop instead; the program's
//   own requests are read here.)
// - The registry lock is never held while a callback runs, so a callback may
//   register, unregister, close or drop any socket, including its own.
// - The pool grows on demand up to kMaxDispatchThreads; beyond that, ready
//   sockets wait for a dispatch thread to come free.
// - The poll thread and its pool end when the last socket is unregistered
//   and no callback is in flight; the next registration starts them again.
//   Stop() ends them at once and joins them (program exit).
//
// Unregistering never waits: after UnregisterSocket returns no new callback
// of that socket begins; a callback that a dispatch thread had already taken
// up (a queued one is dropped) runs to its end, on a live object. WaitUntilIdle waits for that
// where a caller needs it; never call it from a thread that the callback
// itself may be waiting for (the user-interface thread).
class CSelectThread : public CThread {
public:
    static constexpr int kMaxDispatchThreads = 64;

    static CSelectThread& Instance();

    // Adds the socket (or updates its interest flags); one entry per socket
    // object. False when the socket is closed or has no interest flags.
    bool RegisterSocket(const std::shared_ptr<CSimpleSocket>& socket);
    void UnregisterSocket(const CSimpleSocket* socket);

    // Waits until no callback of the socket is queued or running. False when
    // the time-out passed first (milliseconds, negative = no limit) or when
    // called from that socket's own callback.
    bool WaitUntilIdle(const CSimpleSocket* socket, int timeoutMs = -1);
    // Shuts down every registered connection (so callbacks blocked on them
    // return), lets running callbacks finish, joins all threads and empties
    // the registry. A later registration starts afresh. False (and nothing
    // done) when called from a callback.
    bool Stop();

    bool IsActive() const;
    bool IsRegistered(const CSimpleSocket* socket) const;
    int RegisteredCount() const;
    // True on the poll thread and on the dispatch threads.
    static bool IsDispatchThread();

    int Run() override;

private:
    struct Entry {
        const CSimpleSocket* key = nullptr;
        std::weak_ptr<CSimpleSocket> socket;
        int fd = -1;
        int flags = 0;
        std::uint64_t generation = 0; // bumped by every (re)registration
        bool removed = false;         // unregistered while busy; erased when the callback ends
        bool busy = false;            // queued for or inside a callback
    };
    struct Job {
        std::shared_ptr<Entry> entry;
        std::shared_ptr<CSimpleSocket> socket;
        std::uint64_t generation = 0;
        int flags = 0;
        short revents = 0;
    };

    CSelectThread();
    ~CSelectThread() override;

    void Wake();
    void DrainWake();
    void Dispatch(const std::vector<std::shared_ptr<Entry>>& entries, const std::vector<short>& revents);
    void WorkerLoop();
    void RunJob(Job& job);
    void JoinWorkers();
    int LiveCount() const;

    mutable std::mutex m_mutex;
    std::condition_variable m_jobReady;
    std::condition_variable m_idle;
    std::unordered_map<const CSimpleSocket*, std::shared_ptr<Entry>> m_registry;
    std::deque<Job> m_jobs;
    std::vector<std::thread> m_workers; // touched by the poll thread only
    int m_idleWorkers = 0;
    int m_inFlight = 0;
    std::uint64_t m_nextGeneration = 0;
    bool m_active = false;      // the poll thread is running (or about to)
    bool m_stopping = false;    // Stop() asked the poll thread to end
    bool m_workersQuit = false; // the poll thread dismisses the pool
    int m_wakeFd = -1;
};

// The registry operations used by the socket classes.
bool RegisterSocket(const std::shared_ptr<CSimpleSocket>& socket);
void UnregisterSocket(const CSimpleSocket* socket);
