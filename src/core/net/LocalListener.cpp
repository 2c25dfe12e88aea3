#include "core/net/LocalListener.h"

#include "core/base/Paths.h"
#include "core/net/InboundSlot.h"
#include "core/net/PeerOwner.h"
#include "core/store/PropParser.h"
#include "core/stream/DataFiles.h"

#include <cerrno>
#include <exception>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

struct CLocalListener::Connection {
    int Fd = -1;
    std::string Bytes;
    CEventLoop::TimerId Deadline = 0;
};

namespace {

// Loopback only: the bridge is for scripts of this computer, never the network.
int ListenLoopback(int family, int& port) {
    sockaddr_storage storage{};
    socklen_t length;
    if (family == AF_INET) {
        auto* v4 = reinterpret_cast<sockaddr_in*>(&storage);
        v4->sin_family = AF_INET;
        v4->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        length = sizeof *v4;
    } else {
        auto* v6 = reinterpret_cast<sockaddr_in6*>(&storage);
        v6->sin6_family = AF_INET6;
        v6->sin6_addr = in6addr_loopback;
        length = sizeof *v6;
    }
    const int fd = ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&storage), length) != 0 || ::listen(fd, SOMAXCONN) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&storage), &length) != 0) {
        ::close(fd);
        return -1;
    }
    port = ntohs(family == AF_INET ? reinterpret_cast<sockaddr_in*>(&storage)->sin_port
                                   : reinterpret_cast<sockaddr_in6*>(&storage)->sin6_port);
    return fd;
}

} // namespace

CLocalListener::CLocalListener(CInboundSlot& slot) : CLocalListener(slot, Options{}) {}

CLocalListener::CLocalListener(CInboundSlot& slot, const Options& options)
    : m_slot(slot), m_options(options), m_owner(options.Owner.value_or(::geteuid())) {}

CLocalListener::~CLocalListener() {
    Close();
    m_loop.Stop();
    if (m_listener >= 0)
        ::close(m_listener);
    for (const auto& [id, connection] : m_connections)
        ::close(connection->Fd);
}

bool CLocalListener::CreateLocalListener() {
    return CreateLocalListener(CPaths::LocalPortFile());
}

bool CLocalListener::CreateLocalListener(const std::string& portFile) {
    Close();
    int port = 0;
    int fd = ListenLoopback(AF_INET, port);
    if (fd < 0)
        fd = ListenLoopback(AF_INET6, port);
    if (fd < 0 || !m_loop.Start() || !m_loop.Post([this, fd] { Install(fd); })) {
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_port = port;
    }
    // Published last, so that the file never names a port nobody serves.
    try {
        const std::string::size_type slash = portFile.rfind('/');
        if (slash != std::string::npos && slash > 0 && !EnsureFolder(portFile.substr(0, slash), kPrivateFolderMode)) {
            Close();
            return false;
        }
        WriteFileAtomically(portFile, std::to_string(port), kPrivateFileMode);
    } catch (const std::exception&) {
        Close();
        return false;
    }
    return true;
}

void CLocalListener::Close() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_port = 0;
    }
    // Waited for: a port file written next must not name a port still served.
    m_loop.RunAndWait([this] { CloseAll(); });
}

int CLocalListener::GetPort() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_port;
}

bool CLocalListener::IsListening() const {
    return GetPort() != 0;
}

void CLocalListener::Install(int fd) {
    CloseAll();
    m_listener = fd;
    m_loop.Watch(fd, EPOLLIN, [this](std::uint32_t) { OnAccept(); });
}

void CLocalListener::CloseAll() {
    if (m_listener >= 0) {
        m_loop.Unwatch(m_listener);
        ::close(m_listener);
        m_listener = -1;
    }
    std::vector<std::uint64_t> ids;
    for (const auto& item : m_connections)
        ids.push_back(item.first);
    for (const std::uint64_t id : ids)
        End(id);
}

void CLocalListener::OnAccept() {
    for (;;) {
        const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            return;
        // Another account's process has no business in this user's notes.
        const std::optional<uid_t> owner = LocalPeerOwner(fd);
        if (!owner || *owner != m_owner || static_cast<int>(m_connections.size()) >= kMaxConnections) {
            ::close(fd);
            continue;
        }
        const std::uint64_t id = m_nextId++;
        auto connection = std::make_unique<Connection>();
        connection->Fd = fd;
        if (!m_loop.Watch(fd, EPOLLIN, [this, id](std::uint32_t) { OnReadable(id); })) {
            ::close(fd);
            continue;
        }
        connection->Deadline = m_loop.AddTimer(m_options.ReadDeadline, [this, id] {
            if (const auto it = m_connections.find(id); it != m_connections.end()) {
                it->second->Deadline = 0;
                End(id); // unfinished: nothing half-read is delivered
            }
        });
        m_connections.emplace(id, std::move(connection));
    }
}

void CLocalListener::OnReadable(std::uint64_t id) {
    const auto it = m_connections.find(id);
    if (it == m_connections.end())
        return;
    Connection& connection = *it->second;
    m_readBuffer.resize(kReadChunk);
    for (;;) {
        const ssize_t got = ::recv(connection.Fd, m_readBuffer.data(), m_readBuffer.size(), 0);
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
            return;
        // An error or too much data: nothing half-read is delivered.
        if (got < 0 || connection.Bytes.size() + static_cast<size_t>(got) > static_cast<size_t>(m_options.MaxBytes)) {
            End(id);
            return;
        }
        if (got == 0)
            break;
        connection.Bytes.append(m_readBuffer.data(), static_cast<size_t>(got));
    }
    std::string bytes = std::move(connection.Bytes);
    End(id);
    // A connection that carried nothing (a probe) makes no empty note.
    if (bytes.empty())
        return;
    const int command = bytes.starts_with(std::string_view(kPropertyDocumentPrefix)) ? CInboundSlot::kNoteDocument
                                                                                     : CInboundSlot::kPlainText;
    // Queued behind a busy slot for a bounded time; the writer is not kept waiting.
    const CInboundSlot::Ticket ticket = m_slot.Offer(std::move(bytes), command, {});
    m_loop.AddTimer(m_options.InboundWait, [this, ticket] { m_slot.Withdraw(ticket); });
}

void CLocalListener::End(std::uint64_t id) {
    const auto it = m_connections.find(id);
    if (it == m_connections.end())
        return;
    if (it->second->Deadline != 0)
        m_loop.CancelTimer(it->second->Deadline);
    m_loop.Unwatch(it->second->Fd);
    ::close(it->second->Fd);
    m_connections.erase(it);
}
