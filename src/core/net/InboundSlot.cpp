#include "core/net/InboundSlot.h"

#include <algorithm>

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

CInboundSlot::Ticket CInboundSlot::Offer(std::string bytes, int command, Done done) {
    Notify notify;
    Ticket ticket;
    bool stored = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ticket = m_nextTicket++;
        if (!m_shutDown) {
            if (m_pending || !m_offers.empty()) {
                m_offers.push_back(Offered{ticket, Item{std::move(bytes), command}, std::move(done)});
                return ticket;
            }
            m_item = Item{std::move(bytes), command};
            m_pending = true;
            stored = true;
            notify = m_notify;
        }
    }
    if (notify)
        notify();
    if (done)
        done(stored);
    return ticket;
}

bool CInboundSlot::Withdraw(Ticket ticket) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = std::find_if(m_offers.begin(), m_offers.end(), [&](const Offered& o) { return o.Id == ticket; });
    if (it == m_offers.end())
        return false;
    m_offers.erase(it);
    return true;
}

bool CInboundSlot::Take(Item& item) {
    Done stored;
    Notify notify;
    bool handedOn = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_pending)
            return false;
        item = std::move(m_item);
        m_item = Item{};
        m_pending = false;
        // A queued offer takes the slot before any waiting producer.
        if (!m_offers.empty() && !m_shutDown) {
            Offered next = std::move(m_offers.front());
            m_offers.pop_front();
            m_item = std::move(next.Bytes);
            m_pending = true;
            stored = std::move(next.Finish);
            notify = m_notify;
            handedOn = true;
        }
    }
    if (handedOn) {
        if (notify)
            notify();
        if (stored)
            stored(true);
        return true;
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
    std::deque<Offered> offers;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_shutDown = true;
        offers.swap(m_offers);
    }
    m_freed.notify_all();
    for (Offered& offer : offers)
        if (offer.Finish)
            offer.Finish(false);
}

bool CInboundSlot::IsShutDown() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_shutDown;
}
