#include "core/net/ReceiveServer.h"

#include "core/base/FieldText.h"
#include "core/base/Strings.h"
#include "core/net/Credentials.h"
#include "core/net/HTTPRequest.h"
#include "core/net/HTTPResponse.h"
#include "core/net/InboundSlot.h"
#include "core/net/MessageList.h"
#include "core/net/ServedDocuments.h"
#include "core/net/ServerHost.h"
#include "core/net/SimpleSocket.h"
#include "core/store/Note.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <strings.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

using Clock = CEventLoop::Clock;

namespace {

constexpr char kListPath[] = "/List";
// Bytes read per call; a session reads no further while it has a request to answer.
constexpr size_t kReadChunk = 64 * 1024;
// Connections taken per readiness of the listener, so sessions get their turn.
constexpr int kAcceptBatch = 64;
// When the process runs out of descriptors, accepting pauses this long.
constexpr std::chrono::milliseconds kAcceptPause{100};

struct AddrInfoDeleter {
    void operator()(addrinfo* info) const { ::freeaddrinfo(info); }
};
using AddrInfoPtr = std::unique_ptr<addrinfo, AddrInfoDeleter>;

AddrInfoPtr Resolve(const std::string& host, const char* service) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* info = nullptr;
    if (host.empty() || ::getaddrinfo(host.c_str(), service, &hints, &info) != 0)
        return nullptr;
    return AddrInfoPtr(info);
}

bool FindHeader(const CHTTPRequest& request, const char* name, std::string& value) {
    if (request.LookupHeader(name, value))
        return true;
    for (const auto& [key, text] : request.GetHeaders())
        if (HTTPCodec::EqualsNoCase(key, name)) {
            value = text;
            return true;
        }
    return false;
}

// HTTP/1.0 ends the connection after the response unless the peer asks to
// keep it; a client that reads a bodiless answer to the end would hang otherwise.
bool WantsKeepAlive(const CHTTPRequest& request) {
    std::string value;
    if (FindHeader(request, "Connection", value)) {
        const std::string_view token = HTTPCodec::Trim(value);
        if (HTTPCodec::EqualsNoCase(token, "close"))
            return false;
        if (HTTPCodec::EqualsNoCase(token, "keep-alive"))
            return true;
    }
    return HTTPCodec::EqualsNoCase(request.GetVersion(), "HTTP/1.1");
}

// A listening socket, non-blocking; -1 on failure with errno set.
int OpenListener(const sockaddr* address, socklen_t length, bool dualStack) {
    const int fd = ::socket(address->sa_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    // A restarted program must not fail on its old connections in TIME_WAIT.
    const int on = 1, off = 0;
    if (::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        (dualStack && ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &off, sizeof off) != 0) ||
        ::bind(fd, address, length) != 0 || ::listen(fd, SOMAXCONN) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

int OpenAnyListener(int family, int port) {
    sockaddr_storage storage{};
    if (family == AF_INET6) {
        auto* v6 = reinterpret_cast<sockaddr_in6*>(&storage);
        v6->sin6_family = AF_INET6;
        v6->sin6_addr = in6addr_any;
        v6->sin6_port = htons(static_cast<std::uint16_t>(port));
        return OpenListener(reinterpret_cast<sockaddr*>(&storage), sizeof *v6, true);
    }
    auto* v4 = reinterpret_cast<sockaddr_in*>(&storage);
    v4->sin_family = AF_INET;
    v4->sin_addr.s_addr = htonl(INADDR_ANY);
    v4->sin_port = htons(static_cast<std::uint16_t>(port));
    return OpenListener(reinterpret_cast<sockaddr*>(&storage), sizeof *v4, false);
}

} // namespace

// One connection and the request it is on.
struct CReceiveServer::Session {
    enum class EState { AwaitingAccess, Reading, Parked, Writing };

    SessionId Id = 0;
    int Fd = -1;
    std::string Peer;
    EState State = EState::AwaitingAccess;
    Clock::time_point LastActive = Clock::now();
    CEventLoop::TimerId Timer = 0;
    bool RequestStarted = false; // the deadline of the request runs
    bool InProcess = false;      // Process is answering it further up the stack

    // Reading.
    std::string In;
    HTTPCodec::CHeadScanner Head;
    bool HeadDone = false;
    int BodyLength = 0;
    CHTTPRequest Request;

    // Parked: the question or offer whose answer counts.
    std::uint64_t Question = 0;
    CInboundSlot::Ticket Offer = 0;
    int Command = 0;
    bool KeepAlive = false;

    // Writing: head and body go out together.
    std::string OutHead;
    std::shared_ptr<const std::string> OutBody;
    size_t Sent = 0;
};

// What callbacks from other threads reach the server through; emptied when
// the server goes, so a late answer finds nobody and is dropped.
struct CReceiveServer::Gate {
    std::mutex Mutex;
    CReceiveServer* Server = nullptr;

    // Runs task(server) on the server's loop, which ends before the server does.
    template <class F> void Post(F task) {
        std::lock_guard<std::mutex> lock(Mutex);
        if (Server != nullptr)
            Server->m_loop.Post([server = Server, task = std::move(task)] { task(*server); });
    }
};

CReceiveServer::CReceiveServer(CServerHost& host) : CReceiveServer(host, Options{}) {}

CReceiveServer::CReceiveServer(CServerHost& host, const Options& options)
    : m_host(host), m_options(options), m_gate(std::make_shared<Gate>()) {
    m_gate->Server = this;
}

CReceiveServer::~CReceiveServer() {
    {
        std::lock_guard<std::mutex> lock(m_gate->Mutex);
        m_gate->Server = nullptr;
    }
    Shutdown();
    m_loop.Stop();
    // Whatever the loop did not get to close.
    if (m_listener >= 0)
        ::close(m_listener);
    for (auto& [id, session] : m_sessions) {
        if (session->Offer != 0)
            m_host.GetInboundSlot().Withdraw(session->Offer);
        ::close(session->Fd);
    }
    if (m_lookup.joinable())
        m_lookup.join();
}

// --- control, any thread -----------------------------------------------------

bool CReceiveServer::ListensEverywhere(const std::string& address) {
    if (address.empty())
        return true;
    // The computer's own name, as the settings store it when Address is left
    // empty, means every address: Debian maps it to a loopback address.
    char own[256] = {};
    if (::gethostname(own, sizeof own - 1) != 0 || own[0] == '\0')
        return false;
    const std::string_view name(own);
    const std::string_view shortName = name.substr(0, name.find('.'));
    std::string_view typed(address);
    if (typed.ends_with('.'))
        typed.remove_suffix(1);
    return HTTPCodec::EqualsNoCase(typed, name) || HTTPCodec::EqualsNoCase(typed, shortName);
}

bool CReceiveServer::IsLoopbackAddress(const std::string& address) {
    in_addr v4{};
    in6_addr v6{};
    if (::inet_pton(AF_INET, address.c_str(), &v4) == 1)
        return (ntohl(v4.s_addr) >> 24) == 127;
    if (::inet_pton(AF_INET6, address.c_str(), &v6) == 1)
        return IN6_IS_ADDR_LOOPBACK(&v6);
    return ::strcasecmp(address.c_str(), "localhost") == 0;
}

bool CReceiveServer::StartServer() {
    const NetworkProperty settings = m_host.GetNetworkSettings();
    const std::string address(FieldText(settings.Address));
    const std::string service = std::to_string(settings.Port);

    int fd;
    if (ListensEverywhere(address)) {
        // Any address: one IPv6 socket that takes IPv4 too, else plain IPv4.
        fd = OpenAnyListener(AF_INET6, settings.Port);
        if (fd < 0)
            fd = OpenAnyListener(AF_INET, settings.Port);
    } else {
        const AddrInfoPtr info = Resolve(address, service.c_str());
        if (!info)
            return false;
        const bool any = info->ai_family == AF_INET6 &&
                         IN6_IS_ADDR_UNSPECIFIED(&reinterpret_cast<const sockaddr_in6*>(info->ai_addr)->sin6_addr);
        fd = OpenListener(info->ai_addr, info->ai_addrlen, any);
    }
    if (fd < 0) {
        const std::string where = ListensEverywhere(address) ? "every address" : address;
        m_host.ReportError(strings::kServerSocketCreateFailed,
                           {where + ", port " + std::to_string(settings.Port) + ":", std::strerror(errno)});
        return false;
    }
    sockaddr_storage bound{};
    socklen_t length = sizeof bound;
    std::string boundAddress;
    int boundPort = 0;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length);
    CSimpleSocket::AddressText(reinterpret_cast<const sockaddr*>(&bound), boundAddress, boundPort);

    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_closed || !m_loop.Start() || !m_loop.Post([this, fd] { InstallListener(fd); })) {
            ::close(fd);
            return false;
        }
        m_listenAddress = boundAddress;
        m_listenPort = boundPort;
        m_running = true;
    }
    return true;
}

void CReceiveServer::StopServer() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_running = false;
        m_listenAddress.clear();
        m_listenPort = 0;
    }
    // Waited for, so that the port is free when this returns (a restart on
    // the same port follows at once); the loop's handlers never block.
    m_loop.RunAndWait([this] {
        CloseListener();
        CloseAll();
    });
}

void CReceiveServer::Shutdown() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_closed = true;
    }
    StopServer();
}

bool CReceiveServer::IsRunning() const {
    return m_running;
}

bool CReceiveServer::GetListenAddress(std::string& address, int& port) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_running)
        return false;
    address = m_listenAddress;
    port = m_listenPort;
    return true;
}

int CReceiveServer::GetSessionCount() const {
    return m_sessionCount;
}

// --- listener ------------------------------------------------------------------

void CReceiveServer::InstallListener(int fd) {
    CloseListener();
    m_listener = fd;
    m_loop.Watch(fd, EPOLLIN, [this](std::uint32_t) { OnListenerReady(); });
}

void CReceiveServer::CloseListener() {
    if (m_listener < 0)
        return;
    m_loop.Unwatch(m_listener);
    ::close(m_listener);
    m_listener = -1;
    if (m_acceptPause != 0) {
        m_loop.CancelTimer(m_acceptPause);
        m_acceptPause = 0;
    }
}

void CReceiveServer::CloseAll() {
    std::vector<SessionId> ids;
    for (const auto& item : m_sessions)
        ids.push_back(item.first);
    for (const SessionId id : ids)
        if (Session* session = Find(id))
            End(*session);
}

void CReceiveServer::OnListenerReady() {
    for (int i = 0; i < kAcceptBatch && m_listener >= 0; ++i) {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        const int fd =
            ::accept4(m_listener, reinterpret_cast<sockaddr*>(&address), &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                // Out of descriptors: an idle session gives way, else accepting
                // pauses (a ready listener would only spin meanwhile).
                if (!MakeRoom(nullptr) && m_acceptPause == 0) {
                    m_loop.Modify(m_listener, 0);
                    m_acceptPause = m_loop.AddTimer(kAcceptPause, [this] {
                        m_acceptPause = 0;
                        if (m_listener >= 0)
                            m_loop.Modify(m_listener, EPOLLIN);
                    });
                    return;
                }
                continue;
            }
            return; // EAGAIN, or a connection that vanished meanwhile
        }
        std::string peer;
        int port = 0;
        if (!CSimpleSocket::AddressText(reinterpret_cast<const sockaddr*>(&address), peer, port)) {
            ::close(fd);
            continue;
        }
        Admit(fd, peer);
    }
}

bool CReceiveServer::MakeRoom(const std::string* peer) {
    // The longest-idle session that is only waiting for its peer gives way.
    Session* oldest = nullptr;
    for (const auto& [id, session] : m_sessions) {
        if (session->State != Session::EState::Reading && session->State != Session::EState::AwaitingAccess)
            continue;
        if (peer != nullptr && session->Peer != *peer)
            continue;
        if (oldest == nullptr || session->LastActive < oldest->LastActive)
            oldest = session.get();
    }
    if (oldest == nullptr)
        return false;
    End(*oldest);
    return true;
}

void CReceiveServer::Admit(int fd, const std::string& peer) {
    // A peer at its cap, or the server at its own: the longest-idle session
    // (of that peer, or of all) makes room, else the newcomer is refused. So
    // a flood from one address cannot lock out a polite client behind it.
    const auto count = m_perPeer.find(peer);
    if ((count != m_perPeer.end() && count->second >= m_options.MaxSessionsPerPeer && !MakeRoom(&peer)) ||
        (static_cast<int>(m_sessions.size()) >= m_options.MaxSessions && !MakeRoom(nullptr))) {
        ::close(fd);
        return;
    }
    auto owned = std::make_unique<Session>();
    Session& session = *owned;
    session.Id = m_nextSession++;
    session.Fd = fd;
    session.Peer = peer;
    const SessionId id = session.Id;
    if (!m_loop.Watch(fd, 0, [this, id](std::uint32_t events) { OnSessionReady(id, events); })) {
        ::close(fd);
        return;
    }
    ++m_perPeer[peer];
    m_sessions.emplace(id, std::move(owned));
    m_sessionCount = static_cast<int>(m_sessions.size());
    // A fresh connection has the request deadline to deliver its request.
    session.RequestStarted = true;
    AwaitRequest(session, m_options.RequestDeadline);
    session.State = Session::EState::AwaitingAccess;
    if (CurrentAccess() != nullptr)
        Judge(session);
    else
        m_awaitingAccess.push_back(id);
}

void CReceiveServer::Judge(Session& session) {
    if (!m_access->Allows(session.Peer)) {
        End(session);
        return;
    }
    session.State = Session::EState::Reading;
    m_loop.Modify(session.Fd, EPOLLIN);
}

// --- access list -----------------------------------------------------------------

const CAccessList* CReceiveServer::CurrentAccess() {
    const NetworkProperty settings = m_host.GetNetworkSettings();
    const std::string key = CAccessList::Key(settings);
    if (key != m_accessKey) {
        m_accessKey = key;
        m_accessTime = Clock::now();
        // Addresses are read at once; names are looked up off the loop, and
        // peers wait for them rather than slip past an entry meant for them.
        auto numeric = std::make_shared<const CAccessList>(settings, false);
        if (numeric->HasNames()) {
            m_access.reset();
            LookUpNames(settings, key);
        } else {
            m_access = std::move(numeric);
        }
    } else if (m_access && m_access->HasNames() && Clock::now() - m_accessTime >= kAccessRefresh) {
        // Stale names: looked up again, the old answer serves meanwhile.
        m_accessTime = Clock::now();
        LookUpNames(settings, key);
    }
    return m_access.get();
}

void CReceiveServer::LookUpNames(const NetworkProperty& settings, const std::string& key) {
    if (m_lookingUp)
        return; // its answer is checked against the key then current
    // The previous lookup has posted its answer: it is at its end.
    if (m_lookup.joinable())
        m_lookup.join();
    m_lookingUp = true;
    try {
        m_lookup = std::thread([gate = m_gate, settings, key] {
            auto list = std::make_shared<const CAccessList>(settings, true);
            gate->Post([key, list](CReceiveServer& server) { server.OnNamesLookedUp(key, list); });
        });
    } catch (const std::system_error&) {
        m_lookingUp = false;
    }
}

void CReceiveServer::OnNamesLookedUp(const std::string& key, std::shared_ptr<const CAccessList> list) {
    m_lookingUp = false;
    if (key == m_accessKey) {
        m_access = std::move(list);
    } else {
        // The settings changed during the lookup: look up the new ones.
        m_accessKey.clear();
        if (CurrentAccess() == nullptr)
            return;
    }
    std::vector<SessionId> waiting;
    waiting.swap(m_awaitingAccess);
    for (const SessionId id : waiting)
        if (Session* session = Find(id))
            Judge(*session);
}

// --- sessions ----------------------------------------------------------------

CReceiveServer::Session* CReceiveServer::Find(SessionId id) {
    const auto it = m_sessions.find(id);
    return it == m_sessions.end() ? nullptr : it->second.get();
}

void CReceiveServer::AwaitRequest(Session& session, std::chrono::milliseconds limit) {
    if (session.Timer != 0)
        m_loop.CancelTimer(session.Timer);
    const SessionId id = session.Id;
    session.Timer = m_loop.AddTimer(limit, [this, id] {
        if (Session* expired = Find(id)) {
            expired->Timer = 0;
            End(*expired);
        }
    });
}

void CReceiveServer::End(Session& session) {
    if (session.Timer != 0)
        m_loop.CancelTimer(session.Timer);
    if (session.Offer != 0)
        m_host.GetInboundSlot().Withdraw(session.Offer);
    m_loop.Unwatch(session.Fd);
    const int fd = session.Fd;
    const auto peer = m_perPeer.find(session.Peer);
    if (peer != m_perPeer.end() && --peer->second <= 0)
        m_perPeer.erase(peer);
    m_sessions.erase(session.Id); // session is gone from here on
    m_sessionCount = static_cast<int>(m_sessions.size());
    // Last: a peer that sees the close finds the count up to date.
    ::close(fd);
}

void CReceiveServer::OnSessionReady(SessionId id, std::uint32_t events) {
    Session* session = Find(id);
    if (session == nullptr)
        return;
    if (session->State == Session::EState::Writing && (events & (EPOLLOUT | EPOLLERR | EPOLLHUP))) {
        Flush(*session);
        return;
    }
    if (session->State == Session::EState::Reading)
        ReadFrom(*session);
    else if (events & (EPOLLERR | EPOLLHUP))
        End(*session); // waiting, and the connection is gone: nobody to answer
}

void CReceiveServer::ReadFrom(Session& session) {
    const SessionId id = session.Id;
    m_readBuffer.resize(kReadChunk);
    for (;;) {
        const ssize_t got = ::recv(session.Fd, m_readBuffer.data(), m_readBuffer.size(), 0);
        if (got > 0)
            session.In.append(m_readBuffer.data(), static_cast<size_t>(got));
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
            return;
        if (got <= 0) {
            // The peer closed (or failed) before its request was whole.
            End(session);
            return;
        }
        session.LastActive = Clock::now();
        if (!session.RequestStarted) {
            // The deadline of a request counts from its first byte.
            session.RequestStarted = true;
            AwaitRequest(session, m_options.RequestDeadline);
        }
        Process(session);
        // Answering may have parked, ended or put the session to writing.
        Session* still = Find(id);
        if (still == nullptr || still->State != Session::EState::Reading)
            return;
    }
}

void CReceiveServer::Process(Session& session) {
    // The loop below may answer a request at once and go on with the next.
    while (session.State == Session::EState::Reading && !session.In.empty()) {
        if (!session.HeadDone) {
            switch (session.Head.Feed(session.In)) {
            case HTTPCodec::CHeadScanner::EState::Incomplete:
                return;
            case HTTPCodec::CHeadScanner::EState::Bad:
                End(session);
                return;
            case HTTPCodec::CHeadScanner::EState::Complete:
                break;
            }
            if (!session.Request.ParseHead(session.Head.Lines(), m_options.MaxBody, session.BodyLength)) {
                End(session);
                return;
            }
            session.HeadDone = true;
        }
        const size_t used = session.Head.Used();
        if (session.In.size() - used < static_cast<size_t>(session.BodyLength))
            return;
        session.Request.SetBodyText(session.In.substr(used, static_cast<size_t>(session.BodyLength)));
        session.In.erase(0, used + static_cast<size_t>(session.BodyLength));
        session.Head.Reset();
        session.HeadDone = false;
        session.RequestStarted = false;
        if (session.Timer != 0) {
            m_loop.CancelTimer(session.Timer);
            session.Timer = 0;
        }
        session.KeepAlive = WantsKeepAlive(session.Request);
        // Nothing more is read until this one is answered; requests sent
        // back to back are answered in turn by this loop.
        m_loop.Modify(session.Fd, 0);
        session.State = Session::EState::Parked;
        const SessionId id = session.Id;
        session.InProcess = true;
        Answer(session, session.Request);
        Session* still = Find(id);
        if (still == nullptr)
            return;
        still->InProcess = false;
        if (still->State != Session::EState::Reading)
            return; // parked or writing: it goes on when that ends
    }
}

void CReceiveServer::Answer(Session& session, CHTTPRequest& request) {
    const NetworkProperty settings = m_host.GetNetworkSettings();
    switch (request.GetMethod()) {
    case CHTTPRequest::kPut: {
        // Content types are compared exactly: "text/plain; charset=..." is not plain text.
        if (request.GetContentType() == kNoteContentType)
            session.Command = CInboundSlot::kNoteDocument;
        else if (request.GetContentType() == kPlainTextContentType)
            session.Command = CInboundSlot::kPlainText;
        else
            session.Command = 0;
        if (session.Command == 0) {
            Respond(session, 406, "Invalid content type");
            return;
        }
        // A document the program would drop must not be answered "OK": the
        // sender would delete a note that never arrived.
        if (session.Command == CInboundSlot::kNoteDocument &&
            !CNote().Parse(std::string(request.GetBodyText()).c_str())) {
            Respond(session, 400, "Invalid document");
            return;
        }
        if (settings.ConfirmReceive == 1)
            Confirm(session, settings.ConfirmExpire);
        else
            Deliver(session);
        return;
    }
    case CHTTPRequest::kGet: {
        std::string authorization;
        FindHeader(request, "Authorization", authorization);
        switch (Authenticate(settings, authorization)) {
        case kAuthTransferOff:
            Respond(session, 403, "Receive refused");
            return;
        case kAuthRejected:
            Respond(session, 401, "Authetication error");
            return;
        default:
            break;
        }
        const auto served = m_host.GetServedDocuments().Current();
        const std::string& path = request.GetPath();
        if (path == kListPath) {
            Respond(session, 200, "OK", served->List, kMessageListContentType);
            return;
        }
        const int id = HTTPCodec::LeadingNumber(std::string_view(path).substr(path.rfind('/') + 1));
        const auto note = served->Notes.find(id);
        if (note == served->Notes.end())
            Respond(session, 200, "OK");
        else
            Respond(session, 200, "OK", note->second, kNoteContentType);
        return;
    }
    default: // POST: nothing to do
        Respond(session, 200, "OK");
        return;
    }
}

void CReceiveServer::Confirm(Session& session, int expireSeconds) {
    const std::uint64_t question = m_nextQuestion++;
    session.Question = question;
    const SessionId id = session.Id;
    if (expireSeconds > 0) {
        // The question closes itself as if OK were pressed.
        session.Timer = m_loop.AddTimer(std::chrono::seconds(expireSeconds), [this, id, question] {
            if (Session* waiting = Find(id)) {
                waiting->Timer = 0;
                OnConfirmed(id, question, true);
            }
        });
    }
    m_host.AskToReceive(strings::kReceiveConfirm, {session.Peer}, expireSeconds > 0 ? expireSeconds : 0,
                        [gate = m_gate, id, question](bool accepted) {
                            gate->Post([=](CReceiveServer& server) { server.OnConfirmed(id, question, accepted); });
                        });
}

void CReceiveServer::OnConfirmed(SessionId id, std::uint64_t question, bool accepted) {
    Session* session = Find(id);
    if (session == nullptr || session->Question != question)
        return; // answered already, or the session is gone
    session->Question = 0;
    if (session->Timer != 0) {
        m_loop.CancelTimer(session->Timer);
        session->Timer = 0;
    }
    if (accepted)
        Deliver(*session);
    else
        Respond(*session, 403, "Receive refused");
}

void CReceiveServer::Deliver(Session& session) {
    const SessionId id = session.Id;
    // Never "OK" for a note that did not get through: the answer waits for the slot.
    session.Timer = m_loop.AddTimer(m_options.InboundWait, [this, id] {
        if (Session* waiting = Find(id)) {
            waiting->Timer = 0;
            End(*waiting);
        }
    });
    std::string body = session.Request.GetBodyText();
    session.Request.SetBodyText({});
    // The outcome is always posted, so it finds the ticket in place.
    session.Offer = m_host.GetInboundSlot().Offer(std::move(body), session.Command, [gate = m_gate, id](bool stored) {
        gate->Post([id, stored](CReceiveServer& server) { server.OnDelivered(id, stored); });
    });
}

void CReceiveServer::OnDelivered(SessionId id, bool stored) {
    Session* session = Find(id);
    if (session == nullptr || session->Offer == 0)
        return;
    session->Offer = 0;
    if (session->Timer != 0) {
        m_loop.CancelTimer(session->Timer);
        session->Timer = 0;
    }
    if (stored)
        Respond(*session, 200, "OK");
    else
        End(*session);
}

void CReceiveServer::Respond(Session& session, int status, const char* reason, std::shared_ptr<const std::string> body,
                             const char* contentType) {
    CHTTPResponse response;
    response.SetStatus(status, reason);
    session.OutHead = response.Head(body ? body->size() : 0, contentType);
    session.OutBody = body && !body->empty() ? std::move(body) : nullptr;
    session.Sent = 0;
    session.State = Session::EState::Writing;
    session.Request.SetBodyText({});
    Flush(session);
}

void CReceiveServer::Flush(Session& session) {
    const size_t headSize = session.OutHead.size();
    const size_t total = headSize + (session.OutBody ? session.OutBody->size() : 0);
    while (session.Sent < total) {
        iovec parts[2];
        int count = 0;
        if (session.Sent < headSize)
            parts[count++] = iovec{session.OutHead.data() + session.Sent, headSize - session.Sent};
        if (session.OutBody) {
            const size_t from = session.Sent > headSize ? session.Sent - headSize : 0;
            parts[count++] = iovec{const_cast<char*>(session.OutBody->data()) + from, session.OutBody->size() - from};
        }
        msghdr message{};
        message.msg_iov = parts;
        message.msg_iovlen = static_cast<size_t>(count);
        const ssize_t sent = ::sendmsg(session.Fd, &message, MSG_NOSIGNAL);
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // The rest when the peer has taken some; it has the request deadline for that.
            m_loop.Modify(session.Fd, EPOLLOUT);
            if (session.Timer == 0)
                AwaitRequest(session, m_options.RequestDeadline);
            return;
        }
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0) {
            End(session);
            return;
        }
        session.Sent += static_cast<size_t>(sent);
    }
    session.OutHead.clear();
    session.OutBody.reset();
    if (!session.KeepAlive) {
        End(session);
        return;
    }
    session.State = Session::EState::Reading;
    session.LastActive = Clock::now();
    m_loop.Modify(session.Fd, EPOLLIN);
    AwaitRequest(session, m_options.IdleTimeout);
    // Requests the peer sent back to back may sit in the buffer already;
    // inside Process its own loop takes them.
    if (!session.InProcess)
        Process(session);
}

// --- rules -----------------------------------------------------------------------

bool CReceiveServer::IsPeerAllowed(const NetworkProperty& settings, const std::string& peer) {
    return CAccessList(settings, true).Allows(peer);
}

int CReceiveServer::Authenticate(const NetworkProperty& settings, const std::string& authorization) {
    if (settings.AcceptTransfer != 1)
        return kAuthTransferOff;
    const std::string_view user = FieldText(settings.User);
    const std::string_view password = FieldText(settings.Passwd);
    if (user.empty() && password.empty())
        return kAuthAccepted;
    if (authorization.empty())
        return kAuthRejected;
    return CheckCredentials(authorization, user, password) ? kAuthAccepted : kAuthRejected;
}
