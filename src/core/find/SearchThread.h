#pragma once

#include "core/find/SearchSnapshot.h"

#include <atomic>
#include <functional>
#include <string>
#include <thread>

// The find worker: searches a snapshot of the notes for a string on a thread of
// its own and reports each note that contains it.
//
// The callbacks run on the worker thread, in order: OnFound for each hit, then
// OnFinished once. They must not wait for the owner's thread (queue the work to
// it instead). Start, RequestStop, Join and the destructor belong to the owner's
// thread; stopping never blocks it, only Join does.
class CSearchThread {
public:
    using FoundCallback = std::function<void(const SearchResult&)>;
    // stopped: the search ended on a stop request before the last note.
    using FinishedCallback = std::function<void(bool stopped)>;

    CSearchThread(FoundCallback onFound, FinishedCallback onFinished);
    // Stops and joins: nothing is left running.
    ~CSearchThread();
    CSearchThread(const CSearchThread&) = delete;
    CSearchThread& operator=(const CSearchThread&) = delete;

    // Starts a search for pattern over the snapshot. Returns false, and does
    // nothing, while a search is still running; a finished one is joined first.
    bool Start(SearchSnapshot snapshot, std::string pattern);
    // Asks the running search to end; returns at once. The search ends after at
    // most a short stretch of text and then reports OnFinished(true).
    void RequestStop();
    // Waits for the worker to end (at shutdown).
    void Join();
    // From Start until just before OnFinished is called.
    bool IsRunning() const { return m_running.load(); }

    // The search itself, on the calling thread: reports the first match of each
    // note in snapshot order. Returns false when stop was set before the end.
    static bool Search(const SearchSnapshot& snapshot, const std::string& pattern, const std::atomic<bool>& stop,
                       const FoundCallback& onFound);

private:
    void Run();

    FoundCallback m_onFound;
    FinishedCallback m_onFinished;
    SearchSnapshot m_snapshot;
    std::string m_pattern;
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};
