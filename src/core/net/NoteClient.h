#pragma once

#include "core/net/MessageList.h"
#include "core/store/DestInfo.h"

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CInboundSlot;

// What became of one request of the note protocol.
struct ClientOutcome {
    enum class EKind { SendNote, SendText, Fetch, List };

    int RequestId = 0;
    EKind Kind = EKind::SendNote;
    std::string Host;
    int Port = 0;
    int NoteId = 0; // SendNote and Fetch
    // The answer's status; 0 when no readable answer came (connection closed,
    // garbage, time-out).
    int Status = 0;
    // 0 on success, else the string id to show: strings::kMessageRefused,
    // kAuthenticationFailed, kListRetrieveFailed, or (when the request could not
    // be started) kInvalidDestination, kSocketCreateFailed, kSocketCannotConnect.
    int ErrorId = 0;
    // No answer came before the caller's deadline (ErrorId is kMessageRefused).
    bool TimedOut = false;
    // Fetch: the note document; empty when the other side has no such note.
    std::string Body;
    // List: what the document held, and whether it could be read at all (a 200
    // answer whose body does not parse gives ErrorId 0 and ListParsed false).
    CMessageList List;
    bool ListParsed = false;

    bool Succeeded() const { return ErrorId == 0 && (Kind != EKind::List || ListParsed); }
};

// Receives outcomes on a dispatch thread of the select thread. A user interface
// queues them to its own thread; it must not destroy the client from here.
class CClientListener {
public:
    virtual ~CClientListener() = default;
    virtual void OnOutcome(const ClientOutcome& outcome) = 0;
};

// The client side of the note protocol: delivers notes and texts, lists and
// fetches another computer's notes. Requests are started on the caller's thread
// (name resolution and connection set-up block it, bounded by the connect
// time-out) unless background start is on; answers are handled on the select
// thread and reported to the listener. An answer that has not come
// CSendMessage::kAnswerTimeout after the request was sent is reported as
// refused and timed out. Every method may be called from any thread; none
// waits for the network once background start is on.
class CNoteClient {
public:
    static constexpr int kDefaultPort = 4126;

    // How starting a request went: a request id (> 0) whose outcome will be
    // reported, or the string id of the failure.
    struct Started {
        int RequestId = 0;
        int ErrorId = 0;
        explicit operator bool() const { return RequestId != 0; }
    };

    // Both may be null. A fetched note is posted to the inbound slot, waiting for
    // it to come free; the slot must stay valid until the select thread has
    // stopped, and its Shutdown ends such a wait at exit.
    explicit CNoteClient(CClientListener* listener = nullptr, CInboundSlot* inbound = nullptr);
    // Cancels every pending request; once it returns the listener is never called again.
    ~CNoteClient();
    CNoteClient(const CNoteClient&) = delete;
    CNoteClient& operator=(const CNoteClient&) = delete;

    // PUT /Message/<noteId> with the note document ("text/x-quillet").
    Started SendNote(const std::string& host, int port, int noteId, std::string_view document);
    // The note to every destination in order, one connection each.
    std::vector<Started> SendNoteTo(int noteId, std::string_view document, const std::vector<DestEntry>& destinations);
    // PUT /Message with a plain text ("text/plain").
    Started SendText(const std::string& host, int port, std::string_view text);
    // GET /Message/<noteId>; user and password (when either is non-empty) go into
    // an Authorization header, Digest unless digest is false. A 200 answer with a
    // body is posted to the inbound slot as a note document.
    Started FetchNote(const std::string& host, int port, int noteId, const std::string& user,
                      const std::string& password, bool digest = true);
    // GET /List with credentials as for FetchNote.
    Started RequestList(const std::string& host, int port, const std::string& user, const std::string& password,
                        bool digest = true);

    // Drops a pending request and closes its connection; its outcome is never
    // reported. False when it was not pending (already answered or unknown).
    bool Cancel(int requestId);
    void CancelAll();
    int PendingCount() const;
    // Applies to requests started afterwards; 0 = the system's own limit.
    void SetConnectTimeout(int milliseconds);
    // How long after sending a request its answer may take; applies to requests
    // started afterwards.
    void SetAnswerTimeout(std::chrono::milliseconds limit);
    // Background start: every request returns its id at once and a few
    // connector threads resolve, connect and send, so a user interface never
    // waits on the network. A request that cannot be started is then reported
    // to the listener like an answer (Status 0, ErrorId kInvalidDestination,
    // kSocketCreateFailed or kSocketCannotConnect). Set before the first request.
    void SetBackgroundStart(bool background);
    // Joins the connector threads of every client (program exit). Requests
    // still connecting are abandoned.
    static void StopBackground();

    struct State;

private:
    std::shared_ptr<State> m_state;
};
