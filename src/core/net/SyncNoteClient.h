#pragma once

#include "core/net/NoteClient.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>

// Waits for the outcomes of a CNoteClient's requests, for callers without an
// event loop (the command-line tool, tests). Never use it on a user-interface
// thread: it blocks until the answer comes or the time-out passes.
class CSyncNoteClient : private CClientListener {
public:
    explicit CSyncNoteClient(std::chrono::milliseconds timeout, CInboundSlot* inbound = nullptr);
    ~CSyncNoteClient() override;

    CNoteClient& Client() { return m_client; }

    // The outcome of a started request. A request that could not be started gives
    // its failure at once; one that is not answered within the time-out is
    // cancelled and reported as refused with TimedOut set.
    ClientOutcome Await(const CNoteClient::Started& started);

    ClientOutcome SendNote(const std::string& host, int port, int noteId, std::string_view document);
    ClientOutcome SendText(const std::string& host, int port, std::string_view text);
    ClientOutcome FetchNote(const std::string& host, int port, int noteId, const std::string& user,
                            const std::string& password, bool digest = true);
    ClientOutcome RequestList(const std::string& host, int port, const std::string& user, const std::string& password,
                              bool digest = true);

private:
    void OnOutcome(const ClientOutcome& outcome) override;

    std::chrono::milliseconds m_timeout;
    std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::map<int, ClientOutcome> m_outcomes;
    // Last member: destroyed first, so no outcome arrives at a half-destroyed object.
    CNoteClient m_client;
};
