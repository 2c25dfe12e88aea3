#include "core/net/SyncNoteClient.h"

#include "core/base/Strings.h"

CSyncNoteClient::CSyncNoteClient(std::chrono::milliseconds timeout, CInboundSlot* inbound)
    : m_timeout(timeout), m_client(this, inbound) {}

CSyncNoteClient::~CSyncNoteClient() = default;

void CSyncNoteClient::OnOutcome(const ClientOutcome& outcome) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_outcomes[outcome.RequestId] = outcome;
    }
    m_arrived.notify_all();
}

ClientOutcome CSyncNoteClient::Await(const CNoteClient::Started& started) {
    ClientOutcome outcome;
    if (!started) {
        outcome.ErrorId = started.ErrorId;
        return outcome;
    }
    std::unique_lock<std::mutex> lock(m_mutex);
    const bool arrived = m_arrived.wait_for(lock, m_timeout, [&] { return m_outcomes.count(started.RequestId) != 0; });
    if (!arrived) {
        lock.unlock();
        // The answer may have slipped in between: cancelling fails then, and it is taken below.
        const bool cancelled = m_client.Cancel(started.RequestId);
        lock.lock();
        if (cancelled ||
            !m_arrived.wait_for(lock, m_timeout, [&] { return m_outcomes.count(started.RequestId) != 0; })) {
            outcome.RequestId = started.RequestId;
            outcome.ErrorId = strings::kMessageRefused;
            outcome.TimedOut = true;
            return outcome;
        }
    }
    const auto it = m_outcomes.find(started.RequestId);
    outcome = std::move(it->second);
    m_outcomes.erase(it);
    return outcome;
}

ClientOutcome CSyncNoteClient::SendNote(const std::string& host, int port, int noteId, std::string_view document) {
    return Await(m_client.SendNote(host, port, noteId, document));
}

ClientOutcome CSyncNoteClient::SendText(const std::string& host, int port, std::string_view text) {
    return Await(m_client.SendText(host, port, text));
}

ClientOutcome CSyncNoteClient::FetchNote(const std::string& host, int port, int noteId, const std::string& user,
                                         const std::string& password, bool digest) {
    return Await(m_client.FetchNote(host, port, noteId, user, password, digest));
}

ClientOutcome CSyncNoteClient::RequestList(const std::string& host, int port, const std::string& user,
                                           const std::string& password, bool digest) {
    return Await(m_client.RequestList(host, port, user, password, digest));
}
