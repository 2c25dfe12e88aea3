#pragma once

#include "core/base/Properties.h"
#include "core/net/CallbackCounter.h"
#include "core/net/HTTPMessage.h"
#include "core/net/HostAnswers.h"
#include "core/net/RetiredSockets.h"
#include "core/net/SimpleSocket.h"

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>
#include <vector>

class CHTTPRequest;
class CHTTPResponse;
class CServerHost;
class CSimpleAsyncSocket;

// Content types of the note protocol.
inline constexpr char kNoteContentType[] = "text/x-quillet";
inline constexpr char kPlainTextContentType[] = "text/plain";

// The receiving server: listens on the configured address and port, admits
// peers by the access list and answers the note protocol (deliver a note,
// list notes, fetch a note), one request per readiness callback, keeping the
// connection for the next request when the peer asks for Keep-Alive.
//
// Everything it needs from the application goes through CServerHost. Waits
// for the application (a confirmation, a document, the inbound slot) are
// bounded and end at once when the server stops.
//
// Shutdown order at program exit: CReceiveServer::Shutdown, CInboundSlot::Shutdown,
// CSelectThread::Instance().Stop(), then destroy the server and its host.
class CReceiveServer {
public:
    // A whole request (head and body) must arrive within this time.
    static constexpr std::chrono::milliseconds kRequestDeadline{10000};
    // One blocking send of a response may take this long.
    static constexpr int kSendTimeoutMs = 10000;
    // How long the application may take to produce a list or a note.
    static constexpr std::chrono::milliseconds kHostAnswerTimeout{30000};
    // How long a delivery waits for the inbound slot to come free.
    static constexpr std::chrono::milliseconds kInboundWait{60000};
    // Open connections beyond this are closed at once: each costs a descriptor.
    static constexpr int kMaxSessions = 256;
    static constexpr std::chrono::milliseconds kIdleTimeout{60000};

    struct Options {
        std::chrono::milliseconds RequestDeadline = kRequestDeadline;
        int SendTimeoutMs = kSendTimeoutMs;
        int MaxBody = kMaxBody;
        std::chrono::milliseconds HostAnswerTimeout = kHostAnswerTimeout;
        std::chrono::milliseconds InboundWait = kInboundWait;
        int MaxSessions = kMaxSessions;
        // A kept-alive session that sends nothing for this long is closed when
        // a new peer connects, so idle peers cannot use up the sessions.
        std::chrono::milliseconds IdleTimeout = kIdleTimeout;
    };

    // Results of Authenticate.
    enum { kAuthAccepted = 0, kAuthTransferOff = 1, kAuthRejected = 2 };

    explicit CReceiveServer(CServerHost& host);
    CReceiveServer(CServerHost& host, const Options& options);
    // Shuts down and waits until no callback runs inside the server any more.
    ~CReceiveServer();
    CReceiveServer(const CReceiveServer&) = delete;
    CReceiveServer& operator=(const CReceiveServer&) = delete;

    // Listens on the settings' Address and Port (an empty address: every
    // address, IPv6 and IPv4). A running listener is replaced. False when the
    // address does not resolve (silently) or the socket cannot be created,
    // bound or put to listen (message 57687 through the host).
    bool StartServer();
    // Closes the listener and every session, and ends the waits of their
    // requests. Never waits for a callback: safe on the user's thread.
    void StopServer();
    // StopServer for good: later waits end at once (program exit).
    void Shutdown();

    bool IsRunning() const;
    // Where the listener is bound (port 0 in the settings gives a free port).
    bool GetListenAddress(std::string& address, int& port) const;
    int GetSessionCount() const;

    // The access list: the first entry that matches the peer decides against
    // AllowAll; no match gives AllowAll. IPv4 entries with a mask match by
    // (mask AND peer) == (mask AND network), other entries by address text;
    // an entry whose Network does not resolve is skipped.
    static bool IsPeerAllowed(const NetworkProperty& settings, const std::string& peer);
    // kAuthTransferOff when AcceptTransfer is off; kAuthAccepted when no
    // credentials are configured or the Authorization value proves them;
    // kAuthRejected otherwise.
    static int Authenticate(const NetworkProperty& settings, const std::string& authorization);

private:
    class CSessionSocket;
    enum class EConfirm { Accepted, Refused, Abandoned };

    void OnAccept(CSimpleAsyncSocket& listener);
    void OnRead(CSessionSocket& session);
    // Reads, answers and writes one request; false when the session must end.
    bool AnswerOneRequest(CSessionSocket& session);
    // Fills the response; false when the connection is to be dropped unanswered.
    bool Answer(const CHTTPRequest& request, const std::string& peer, CHTTPResponse& response);
    EConfirm AskToReceive(const NetworkProperty& settings, const std::string& peer);
    void EndSession(CSessionSocket& session);
    // Moves kept-alive sessions idle past the time-out out of the session list
    // into idle, for the caller to close once it has let go of m_mutex.
    void TakeIdleSessionsLocked(std::vector<std::shared_ptr<CSessionSocket>>& idle);

    CServerHost& m_host;
    const Options m_options;
    CHostAnswers m_answers;
    CCallbackCounter m_callbacks;

    mutable std::mutex m_mutex;
    std::shared_ptr<CSimpleAsyncSocket> m_listener;
    std::unordered_map<const CSessionSocket*, std::shared_ptr<CSessionSocket>> m_sessions;
    // Closed sockets whose last callback may still be on its way; the
    // destructor waits for them.
    CRetiredSockets m_retired;
};
