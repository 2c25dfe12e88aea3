#include "core/find/SearchThread.h"

#include "core/find/ByteSearch.h"

#include <utility>

CSearchThread::CSearchThread(FoundCallback onFound, FinishedCallback onFinished)
    : m_onFound(std::move(onFound)), m_onFinished(std::move(onFinished)) {}

CSearchThread::~CSearchThread() {
    RequestStop();
    Join();
}

bool CSearchThread::Start(SearchSnapshot snapshot, std::string pattern) {
    if (m_running.load())
        return false;
    Join();
    m_snapshot = std::move(snapshot);
    m_pattern = std::move(pattern);
    // Cleared here rather than on the worker, so a stop right after Start is not lost.
    m_stop.store(false);
    m_running.store(true);
    try {
        m_thread = std::thread(&CSearchThread::Run, this);
    } catch (...) {
        m_running.store(false);
        throw;
    }
    return true;
}

void CSearchThread::RequestStop() {
    m_stop.store(true);
}

void CSearchThread::Join() {
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
        m_thread.join();
}

bool CSearchThread::Search(const SearchSnapshot& snapshot, const std::string& pattern, const std::atomic<bool>& stop,
                           const FoundCallback& onFound) {
    const CByteSearch search(pattern);
    for (const SearchNote& note : snapshot) {
        if (stop.load(std::memory_order_relaxed))
            return false;
        const std::size_t offset = search.Find(note.Text, &stop);
        if (offset == CByteSearch::npos) {
            // No match, or the search of this note was cut short.
            if (stop.load())
                return false;
            continue;
        }
        if (onFound)
            onFound(SearchResult{note.ID, offset, pattern.size(), note.Title, note.CreationTime});
    }
    return true;
}

void CSearchThread::Run() {
    const bool finished = Search(m_snapshot, m_pattern, m_stop, m_onFound);
    m_snapshot.clear();
    m_running.store(false);
    if (m_onFinished)
        m_onFinished(!finished);
}
