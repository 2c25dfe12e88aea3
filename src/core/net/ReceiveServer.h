#pragma once

#include "core/base/Properties.h"
#include "core/net/AccessList.h"
#include "core/net/EventLoop.h"
#include "core/net/HTTPMessage.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

class CHTTPRequest;
class CServerHost;

// Content types of the note protocol.
inline constexpr char kNoteContentType[] = "text/x-quillet";
inline constexpr char kPlainTextContentType[] = "text/plain";

// The receiving server: listens on the configured address and port, admits
// peers by the access list and answers the note protocol (deliver a note,
// list notes, fetch a note), keeping the connection for the next request when
// the peer asks for Keep-Alive.
//
// Every session is a non-blocking state machine on the server's own event
// loop thread: it reads a request as it trickles in, answers it, and writes
// the answer as fast as the peer takes it. A session that needs the
// application (a confirmation, the inbound slot) parks with its buffers and
// costs no thread; the list and the notes are served from the snapshots the
// store publishes. So a slow, silent or hostile peer costs one session, and
// sessions are bounded, in all and per peer address: at a bound the
// longest-idle session gives way to the newcomer.
//
// Shutdown order at program exit: CReceiveServer::Shutdown, CInboundSlot::Shutdown,
// then destroy the server and its host.
class CReceiveServer {
public:
    // A whole request (head and body) must arrive within this time.
    static constexpr std::chrono::milliseconds kRequestDeadline{10000};
    // How long a delivery waits for the inbound slot to come free.
    static constexpr std::chrono::milliseconds kInboundWait{60000};
    static constexpr int kMaxSessions = 1024;
    // Above the concurrency of one busy client (a benchmark, a script).
    static constexpr int kMaxSessionsPerPeer = 64;
    // A kept-alive session may wait this long for its next request.
    static constexpr std::chrono::milliseconds kIdleTimeout{60000};
    // Host names in the access list are looked up again after this long.
    static constexpr std::chrono::milliseconds kAccessRefresh{60000};

    struct Options {
        std::chrono::milliseconds RequestDeadline = kRequestDeadline;
        int MaxBody = kMaxBody;
        std::chrono::milliseconds InboundWait = kInboundWait;
        int MaxSessions = kMaxSessions;
        int MaxSessionsPerPeer = kMaxSessionsPerPeer;
        std::chrono::milliseconds IdleTimeout = kIdleTimeout;
    };

    // Results of Authenticate.
    enum { kAuthAccepted = 0, kAuthTransferOff = 1, kAuthRejected = 2 };

    explicit CReceiveServer(CServerHost& host);
    CReceiveServer(CServerHost& host, const Options& options);
    // Shuts down and joins the loop and the name lookups.
    ~CReceiveServer();
    CReceiveServer(const CReceiveServer&) = delete;
    CReceiveServer& operator=(const CReceiveServer&) = delete;

    // Listens on the settings' Address and Port (see ListensEverywhere). A
    // running listener is replaced. False when the address does not resolve
    // (silently) or the socket cannot be created, bound or put to listen
    // (message 57687 through the host, with the address and the reason).
    bool StartServer();
    // Closes the listener and every session; the port is free on return. Waits
    // only for the loop's current handler, which never blocks: safe on the
    // user's thread.
    void StopServer();
    // StopServer for good (program exit).
    void Shutdown();

    bool IsRunning() const;
    // Where the listener is bound (port 0 in the settings gives a free port).
    bool GetListenAddress(std::string& address, int& port) const;
    int GetSessionCount() const;

    // An empty address, or this computer's own name, means every address,
    // IPv6 and IPv4; anything else (a loopback address included) is bound as
    // typed.
    static bool ListensEverywhere(const std::string& address);
    // A loopback address (127.0.0.0/8, ::1) or "localhost": reachable from
    // this computer only.
    static bool IsLoopbackAddress(const std::string& address);

    // The access list decision, resolving names now (see CAccessList).
    static bool IsPeerAllowed(const NetworkProperty& settings, const std::string& peer);
    // kAuthTransferOff when AcceptTransfer is off; kAuthAccepted when no
    // credentials are configured or the Authorization value proves them;
    // kAuthRejected otherwise.
    static int Authenticate(const NetworkProperty& settings, const std::string& authorization);

private:
    struct Session;
    struct Gate;
    using SessionId = std::uint64_t;

    // Loop thread only, below.
    void InstallListener(int fd);
    void CloseListener();
    void CloseAll();
    void OnListenerReady();
    void Admit(int fd, const std::string& peer);
    void Judge(Session& session);
    void OnSessionReady(SessionId id, std::uint32_t events);
    void ReadFrom(Session& session);
    void Process(Session& session);
    void Answer(Session& session, CHTTPRequest& request);
    void Confirm(Session& session, int expireSeconds);
    void OnConfirmed(SessionId id, std::uint64_t question, bool accepted);
    void Deliver(Session& session);
    void OnDelivered(SessionId id, bool stored);
    void Respond(Session& session, int status, const char* reason, std::shared_ptr<const std::string> body = nullptr,
                 const char* contentType = "");
    void Flush(Session& session);
    void AwaitRequest(Session& session, std::chrono::milliseconds limit);
    void End(Session& session);
    Session* Find(SessionId id);
    // Ends the longest-idle session waiting for a request (of peer, when given).
    bool MakeRoom(const std::string* peer);
    // The access list for the current settings; null while names are being looked up.
    const CAccessList* CurrentAccess();
    void LookUpNames(const NetworkProperty& settings, const std::string& key);
    void OnNamesLookedUp(const std::string& key, std::shared_ptr<const CAccessList> list);

    CServerHost& m_host;
    const Options m_options;
    std::shared_ptr<Gate> m_gate;
    CEventLoop m_loop;

    mutable std::mutex m_mutex; // guards the three below
    std::string m_listenAddress;
    int m_listenPort = 0;
    bool m_closed = false;
    std::atomic<bool> m_running{false};
    std::atomic<int> m_sessionCount{0};

    // Loop thread only.
    int m_listener = -1;
    std::unordered_map<SessionId, std::unique_ptr<Session>> m_sessions;
    std::unordered_map<std::string, int> m_perPeer;
    SessionId m_nextSession = 1;
    std::uint64_t m_nextQuestion = 1;
    CEventLoop::TimerId m_acceptPause = 0;
    std::shared_ptr<const CAccessList> m_access;
    std::string m_accessKey;
    CEventLoop::Clock::time_point m_accessTime{};
    bool m_lookingUp = false;
    std::vector<SessionId> m_awaitingAccess;
    std::thread m_lookup;
    std::vector<char> m_readBuffer;
};
