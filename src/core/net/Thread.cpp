#include "core/net/Thread.h"

#include <system_error>

CThread::~CThread() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_thread.joinable())
        return;
    if (m_thread.get_id() == std::this_thread::get_id())
        m_thread.detach(); // auto-delete: the thread is ending right after this
    else
        m_thread.join();
}

bool CThread::IsCurrentThread() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_running.load() && m_threadId == std::this_thread::get_id();
}

bool CThread::Start() {
    std::lock_guard<std::mutex> lock(m_mutex);
    // Ids of ended threads are reused: only a running one can be "self".
    if (m_running.load() && m_threadId == std::this_thread::get_id())
        return false;
    if (m_running.load())
        return true;
    if (m_thread.joinable())
        m_thread.join(); // finished: reap it before replacing it
    m_running = true;
    try {
        // The new thread cannot reach the auto-delete path before m_thread is
        // assigned: it takes m_mutex first.
        m_thread = std::thread(&CThread::Entry, this);
        m_threadId = m_thread.get_id();
    } catch (const std::system_error&) {
        m_running = false;
        return false;
    }
    return true;
}

int CThread::Wait() {
    std::thread thread;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_running.load() && m_threadId == std::this_thread::get_id())
            return -1;
        thread = std::move(m_thread);
    }
    if (thread.joinable())
        thread.join();
    return m_exitCode.load();
}

void CThread::Entry(CThread* self) {
    const int code = self->Run();
    self->m_exitCode = code;
    self->OnExit(code);
    if (self->m_autoDelete) {
        {
            std::lock_guard<std::mutex> lock(self->m_mutex);
            self->m_thread.detach();
        }
        delete self;
        return;
    }
    self->m_running = false;
}
