#include "core/net/InboundSlot.h"

void CInboundSlot::SetNotify(Notify notify) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_notify = std::move(notify);
}

bool CInboundSlot::PostInbound(std::string_view bytes, int command, std::chrono::milliseconds timeout) {
    Notify notify;
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        const auto ready = [this] { return !m_pending || m_shutDown; };
        if (timeout.count() < 0)
            m_freed.wait(lock, ready);
        else if (!m_freed.wait_for(lock, timeout, ready))
            return false;
        if (m_shutDown)
            return false;
        m_item.Bytes.assign(bytes.data(), bytes.size());
        m_item.Command = command;
        m_pending = true;
        notify = m_notify;
    }
    if (notify)
        notify();
    return true;
}

bool CInboundSlot::Take(Item& item) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_pending)
            return false;
        item = std::move(m_item);
        m_item = Item{};
        m_pending = false;
    }
    // Every waiter re-checks; the first to get the lock fills the slot again.
    m_freed.notify_all();
    return true;
}

bool CInboundSlot::IsPending() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_pending;
}

void CInboundSlot::Shutdown() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_shutDown = true;
    }
    m_freed.notify_all();
}

bool CInboundSlot::IsShutDown() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_shutDown;
}
