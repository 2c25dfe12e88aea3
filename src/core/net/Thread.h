#pragma once

#include <atomic>
#include <mutex>
#include <thread>

// Base of the program's worker threads: derive, implement Run, call Start.
//
// The thread runs Run, passes its result to OnExit and, when auto-delete is set,
// deletes the object. Otherwise the owner must Wait before destroying the object;
// the destructor joins as a last resort so that no thread is ever left running
// on a dead object.
class CThread {
public:
    CThread() = default;
    virtual ~CThread();
    CThread(const CThread&) = delete;
    CThread& operator=(const CThread&) = delete;

    // Starts the thread. Does nothing (true) while a thread of this object is
    // still running; false when called from that thread or when no thread could
    // be created. A finished thread is joined before the new one starts.
    virtual bool Start();
    // Joins the thread and returns its exit code (that of the last run when no
    // thread is running). Returns -1 at once when called from the thread itself.
    virtual int Wait();
    // Called on the thread itself with Run's result, before an auto-delete.
    virtual void OnExit(int /*exitCode*/) {}
    virtual int Run() = 0;

    bool IsRunning() const { return m_running.load(); }
    bool IsCurrentThread() const;
    // With auto-delete the object deletes itself when its thread ends; nobody
    // may Wait for it or touch it after Start.
    void SetAutoDelete(bool autoDelete) { m_autoDelete = autoDelete; }
    bool GetAutoDelete() const { return m_autoDelete; }

private:
    static void Entry(CThread* self);

    mutable std::mutex m_mutex; // guards m_thread while it is replaced or joined
    std::thread m_thread;
    std::thread::id m_threadId; // kept after a join, for the self checks
    std::atomic<bool> m_running{false};
    std::atomic<int> m_exitCode{0};
    bool m_autoDelete = false;
};
