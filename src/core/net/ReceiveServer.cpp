#include "core/net/ReceiveServer.h"

#include "core/base/FieldText.h"
#include "core/base/Strings.h"
#include "core/net/Credentials.h"
#include "core/net/HTTPRequest.h"
#include "core/net/HTTPResponse.h"
#include "core/net/InboundSlot.h"
#include "core/net/SelectThread.h"
#include "core/net/ServerHost.h"
#include "core/net/SimpleAsyncSocket.h"
#include "core/net/SocketInputStream.h"
#include "core/stream/BufferedInputStream.h"
#include "core/stream/MemOutputStream.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <climits>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <arpa/inet.h>

namespace {
std::int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
} // namespace

class CReceiveServer::CSessionSocket : public CSimpleSocket {
public:
    explicit CSessionSocket(CReceiveServer& server) : m_server(server), m_stream(this), m_input(&m_stream) {}
    void OnRead() override { m_server.OnRead(*this); }

    CReceiveServer& m_server;
    std::string m_peer;
    // Steady-clock time of the last finished request (or the accept), and
    // whether a request is being read or answered now.
    std::atomic<std::int64_t> m_idleSinceMs{NowMs()};
    std::atomic<bool> m_busy{false};
    // Callbacks of one socket never overlap, so the session's reader needs no lock.
    CSocketInputStream m_stream;
    CBufferedInputStream m_input;
};

namespace {

constexpr char kListPath[] = "/List";

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

bool SendAll(CSimpleSocket& socket, const char* data, size_t size) {
    while (size > 0) {
        const int sent = socket.Send(data, static_cast<int>(std::min<size_t>(size, INT_MAX)));
        if (sent <= 0)
            return false;
        data += sent;
        size -= static_cast<size_t>(sent);
    }
    return true;
}

bool ReadIPv4(const std::string& text, uint32_t& value) {
    in_addr address{};
    if (::inet_pton(AF_INET, text.c_str(), &address) != 1)
        return false;
    value = address.s_addr;
    return true;
}

bool SetDualStack(int fd) {
    const int off = 0;
    return ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &off, sizeof off) == 0;
}

} // namespace

CReceiveServer::CReceiveServer(CServerHost& host) : CReceiveServer(host, Options{}) {}

CReceiveServer::CReceiveServer(CServerHost& host, const Options& options) : m_host(host), m_options(options) {}

CReceiveServer::~CReceiveServer() {
    Shutdown();
    m_retired.WaitAll();
    m_callbacks.WaitIdle();
}

bool CReceiveServer::StartServer() {
    const NetworkProperty settings = m_host.GetNetworkSettings();
    const std::string address(FieldText(settings.Address));
    const std::string service = std::to_string(settings.Port);

    auto listener = std::make_shared<CSimpleAsyncSocket>();
    // Any address: one IPv6 socket that takes IPv4 too, else plain IPv4.
    const auto bindAny = [&](int family) {
        sockaddr_storage storage{};
        socklen_t length;
        if (family == AF_INET6) {
            auto* v6 = reinterpret_cast<sockaddr_in6*>(&storage);
            v6->sin6_family = AF_INET6;
            v6->sin6_addr = in6addr_any;
            v6->sin6_port = htons(settings.Port);
            length = sizeof *v6;
        } else {
            auto* v4 = reinterpret_cast<sockaddr_in*>(&storage);
            v4->sin_family = AF_INET;
            v4->sin_addr.s_addr = htonl(INADDR_ANY);
            v4->sin_port = htons(settings.Port);
            length = sizeof *v4;
        }
        return listener->Create(SOCK_STREAM, 0, family) && listener->SetReuseAddress(true) &&
               (family != AF_INET6 || SetDualStack(listener->GetHandle())) &&
               listener->Bind(reinterpret_cast<const sockaddr*>(&storage), length);
    };

    bool bound;
    if (address.empty()) {
        bound = bindAny(AF_INET6) || bindAny(AF_INET);
    } else {
        const AddrInfoPtr info = Resolve(address, service.c_str());
        if (!info)
            return false;
        bound =
            listener->Create(info->ai_socktype, info->ai_protocol, info->ai_family) && listener->SetReuseAddress(true);
        if (bound && info->ai_family == AF_INET6 &&
            IN6_IS_ADDR_UNSPECIFIED(&reinterpret_cast<const sockaddr_in6*>(info->ai_addr)->sin6_addr))
            bound = SetDualStack(listener->GetHandle());
        bound = bound && listener->Bind(info->ai_addr, info->ai_addrlen);
    }
    // Non-blocking: a connection that vanished between readiness and accept
    // must not hold the listener's callback.
    const int fd = listener->GetHandle();
    if (!bound || !listener->Listen() || ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK) != 0) {
        listener->Close();
        m_host.ReportError(strings::kServerSocketCreateFailed, {});
        return false;
    }
    listener->SetCallback([this](CSimpleAsyncSocket& socket) { OnAccept(socket); });

    std::shared_ptr<CSimpleAsyncSocket> previous;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_answers.IsClosed()) {
            listener->Close();
            return false;
        }
        previous = std::exchange(m_listener, listener);
        m_retired.Add(previous);
    }
    if (previous)
        previous->Close();
    if (!listener->SetInterest(CSimpleSocket::kInterestRead)) {
        StopServer();
        m_host.ReportError(strings::kServerSocketCreateFailed, {});
        return false;
    }
    return true;
}

void CReceiveServer::StopServer() {
    std::shared_ptr<CSimpleAsyncSocket> listener;
    std::vector<std::shared_ptr<CSessionSocket>> sessions;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        listener = std::move(m_listener);
        m_listener.reset();
        for (auto& item : m_sessions)
            sessions.push_back(std::move(item.second));
        m_sessions.clear();
        m_retired.Add(listener);
        m_retired.AddAll(sessions);
    }
    if (listener)
        listener->Close();
    // Wakes a callback blocked on its connection.
    for (const auto& session : sessions)
        session->Close();
    m_answers.Cancel();
    m_retired.Forget();
}

void CReceiveServer::Shutdown() {
    m_answers.Close();
    StopServer();
}

bool CReceiveServer::IsRunning() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_listener != nullptr;
}

bool CReceiveServer::GetListenAddress(std::string& address, int& port) const {
    std::shared_ptr<CSimpleAsyncSocket> listener;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        listener = m_listener;
    }
    return listener && listener->GetSockName(address, port);
}

int CReceiveServer::GetSessionCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(m_sessions.size());
}

void CReceiveServer::OnAccept(CSimpleAsyncSocket& listener) {
    CCallbackCounter::CScope scope(m_callbacks);
    auto session = std::make_shared<CSessionSocket>(*this);
    if (!listener.Accept(*session))
        return;
    int port = 0;
    if (!session->GetPeerName(session->m_peer, port) || !IsPeerAllowed(m_host.GetNetworkSettings(), session->m_peer)) {
        session->Close();
        return;
    }
    session->SetSendTimeout(m_options.SendTimeoutMs);
    std::vector<std::shared_ptr<CSessionSocket>> idle;
    bool admitted = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        TakeIdleSessionsLocked(idle);
        // A listener replaced or stopped meanwhile takes no more sessions.
        if (m_listener.get() == &listener && static_cast<int>(m_sessions.size()) < m_options.MaxSessions) {
            m_sessions.emplace(session.get(), session);
            admitted = true;
        }
    }
    // Closed outside the lock; a closed session's read callback finds it gone.
    for (const auto& stale : idle)
        stale->Close();
    if (!admitted) {
        session->Close();
        return;
    }
    // StopServer may have closed it already; then this fails and it is gone.
    if (!session->SetInterest(CSimpleSocket::kInterestRead))
        EndSession(*session);
}

void CReceiveServer::TakeIdleSessionsLocked(std::vector<std::shared_ptr<CSessionSocket>>& idle) {
    const std::int64_t limit = NowMs() - m_options.IdleTimeout.count();
    for (auto it = m_sessions.begin(); it != m_sessions.end();) {
        if (!it->second->m_busy && it->second->m_idleSinceMs < limit) {
            idle.push_back(std::move(it->second));
            it = m_sessions.erase(it);
        } else {
            ++it;
        }
    }
}

void CReceiveServer::EndSession(CSessionSocket& session) {
    std::shared_ptr<CSessionSocket> owned;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const auto it = m_sessions.find(&session);
        if (it != m_sessions.end()) {
            owned = std::move(it->second);
            m_sessions.erase(it);
        }
    }
    session.Close();
}

void CReceiveServer::OnRead(CSessionSocket& session) {
    CCallbackCounter::CScope scope(m_callbacks);
    session.m_busy = true;
    struct IdleAgain {
        CSessionSocket& session;
        ~IdleAgain() {
            session.m_idleSinceMs = NowMs();
            session.m_busy = false;
        }
    } idleAgain{session};
    try {
        // Requests a peer sent back to back may already sit in the session's
        // buffer, where no readiness event would announce them: answer them all.
        do {
            if (!AnswerOneRequest(session)) {
                EndSession(session);
                return;
            }
        } while (session.m_input.Buffered() > 0);
    } catch (const std::exception&) {
        EndSession(session);
    }
}

bool CReceiveServer::AnswerOneRequest(CSessionSocket& session) {
    // The whole request, however it trickles in, within one deadline.
    const HTTPDeadline deadline = HTTPClock::now() + m_options.RequestDeadline;
    session.SetReceiveDeadline(deadline);
    CHTTPRequest request;
    if (!request.Parse(&session.m_input, deadline, m_options.MaxBody))
        return false;
    session.ClearReceiveDeadline();

    CHTTPResponse response;
    if (!Answer(request, session.m_peer, response))
        return false;
    // Built whole first: the socket stream makes one send per piece and
    // does not retry a short one.
    CMemOutputStream out(response.GetBodyLength() + 256);
    response.Write(&out);
    return SendAll(session, out.GetBuffer(), static_cast<size_t>(out.GetLength())) && WantsKeepAlive(request);
}

bool CReceiveServer::Answer(const CHTTPRequest& request, const std::string& peer, CHTTPResponse& response) {
    response.SetStatus(200, "OK");
    const NetworkProperty settings = m_host.GetNetworkSettings();

    switch (request.GetMethod()) {
    case CHTTPRequest::kPut: {
        // Content types are compared exactly: "text/plain; charset=..." is not plain text.
        int command = 0;
        if (request.GetContentType() == kNoteContentType)
            command = CInboundSlot::kNoteDocument;
        else if (request.GetContentType() == kPlainTextContentType)
            command = CInboundSlot::kPlainText;
        if (command == 0) {
            response.SetStatus(406, "Invalid content type");
            return true;
        }
        switch (AskToReceive(settings, peer)) {
        case EConfirm::Refused:
            response.SetStatus(403, "Receive refused");
            return true;
        case EConfirm::Abandoned:
            return false;
        case EConfirm::Accepted:
            break;
        }
        // Never "OK" for a note that did not get through.
        return m_host.GetInboundSlot().PostInbound(request.GetBodyText(), command, m_options.InboundWait);
    }
    case CHTTPRequest::kGet: {
        std::string authorization;
        FindHeader(request, "Authorization", authorization);
        switch (Authenticate(settings, authorization)) {
        case kAuthTransferOff:
            response.SetStatus(403, "Receive refused");
            return true;
        case kAuthRejected:
            response.SetStatus(401, "Authetication error");
            return true;
        default:
            break;
        }
        const std::string& path = request.GetPath();
        if (path == kListPath) {
            CMessageList list;
            const auto ask = [this](CServerHost::Reply<CMessageList> reply) {
                m_host.GetMessageList(std::move(reply));
            };
            if (m_answers.Wait<CMessageList>(ask, m_options.HostAnswerTimeout, list) != CHostAnswers::EWait::Answered)
                return false;
            const std::string document = list.MakeDocument();
            response.SetBody(document.data(), static_cast<int>(document.size()), kMessageListContentType);
            return true;
        }
        const int id = HTTPCodec::LeadingNumber(std::string_view(path).substr(path.rfind('/') + 1));
        std::string document;
        const auto ask = [this, id](CServerHost::Reply<std::string> reply) {
            m_host.GetMessageDocument(id, std::move(reply));
        };
        if (m_answers.Wait<std::string>(ask, m_options.HostAnswerTimeout, document) != CHostAnswers::EWait::Answered)
            return false;
        if (!document.empty())
            response.SetBody(document.data(), static_cast<int>(document.size()), kNoteContentType);
        return true;
    }
    default: // POST: nothing to do
        return true;
    }
}

CReceiveServer::EConfirm CReceiveServer::AskToReceive(const NetworkProperty& settings, const std::string& peer) {
    if (settings.ConfirmReceive != 1)
        return EConfirm::Accepted;
    const int expire = settings.ConfirmExpire;
    const auto ask = [&](CServerHost::Reply<bool> reply) {
        m_host.AskToReceive(strings::kReceiveConfirm, {peer}, expire > 0 ? expire : 0, std::move(reply));
    };
    bool accepted = false;
    const auto timeout =
        expire > 0 ? std::chrono::milliseconds(std::chrono::seconds(expire)) : CHostAnswers::kNoTimeout;
    switch (m_answers.Wait<bool>(ask, timeout, accepted)) {
    case CHostAnswers::EWait::Answered:
        return accepted ? EConfirm::Accepted : EConfirm::Refused;
    case CHostAnswers::EWait::TimedOut:
        // The question closes itself as if OK were pressed.
        return EConfirm::Accepted;
    default:
        return EConfirm::Abandoned;
    }
}

bool CReceiveServer::IsPeerAllowed(const NetworkProperty& settings, const std::string& peer) {
    const bool allowAll = settings.AllowAll != 0;
    for (const NetworkInfo& entry : settings.NetworkInfoList) {
        const AddrInfoPtr info = Resolve(std::string(FieldText(entry.Network)), nullptr);
        std::string network;
        int port = 0;
        if (!info || !CSimpleSocket::AddressText(info->ai_addr, network, port))
            continue;
        const std::string mask(FieldText(entry.Mask));
        bool matches;
        if (info->ai_family == AF_INET && !mask.empty()) {
            uint32_t maskBits, peerBits, networkBits;
            matches = ReadIPv4(mask, maskBits) && ReadIPv4(peer, peerBits) && ReadIPv4(network, networkBits) &&
                      (maskBits & peerBits) == (maskBits & networkBits);
        } else {
            matches = HTTPCodec::EqualsNoCase(network, peer);
        }
        if (matches)
            return !allowAll;
    }
    return allowAll;
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
