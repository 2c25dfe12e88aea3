#include "core/net/SimpleSocket.h"

#include "core/net/SelectThread.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

// Holds the descriptor in use for the length of one call, so that a Close on
// another thread defers the actual close() until the call has returned.
class CSocketUse {
public:
    explicit CSocketUse(const CSimpleSocket& socket) : m_socket(socket), m_fd(socket.AcquireHandle()) {}
    ~CSocketUse() {
        if (m_fd >= 0)
            m_socket.ReleaseHandle();
    }
    CSocketUse(const CSocketUse&) = delete;
    CSocketUse& operator=(const CSocketUse&) = delete;
    int Fd() const { return m_fd; }

private:
    const CSimpleSocket& m_socket;
    int m_fd;
};

namespace {

struct AddrInfoDeleter {
    void operator()(addrinfo* info) const { ::freeaddrinfo(info); }
};
using AddrInfoPtr = std::unique_ptr<addrinfo, AddrInfoDeleter>;

// getaddrinfo with "%d" as service when the port is non-zero. Returns 0 or the resolver's code.
int Resolve(const std::string& host, int port, int family, int type, AddrInfoPtr& result) {
    addrinfo hints{};
    hints.ai_family = family;
    hints.ai_socktype = type;
    const std::string service = std::to_string(port);
    addrinfo* info = nullptr;
    const int rc =
        ::getaddrinfo(host.empty() ? nullptr : host.c_str(), port != 0 ? service.c_str() : nullptr, &hints, &info);
    if (rc == 0 && info == nullptr)
        return EAI_NONAME;
    if (rc != 0)
        return rc == EAI_SYSTEM ? errno : rc;
    result.reset(info);
    return 0;
}

} // namespace

CSimpleSocket::~CSimpleSocket() {
    CSimpleSocket::Close();
}

int CSimpleSocket::AcquireHandle() const {
    std::lock_guard<std::mutex> lock(m_handleMutex);
    if (m_handle < 0) {
        m_lastError = EBADF;
        return -1;
    }
    ++m_users;
    return m_handle;
}

void CSimpleSocket::ReleaseHandle() const {
    int toClose = -1;
    {
        std::lock_guard<std::mutex> lock(m_handleMutex);
        if (--m_users == 0 && m_deferredClose >= 0) {
            toClose = m_deferredClose;
            m_deferredClose = -1;
        }
    }
    if (toClose >= 0)
        ::close(toClose);
}

int CSimpleSocket::GetHandle() const {
    std::lock_guard<std::mutex> lock(m_handleMutex);
    return m_handle;
}

void CSimpleSocket::Adopt(int fd, int type, int family) {
    Close();
    std::lock_guard<std::mutex> lock(m_handleMutex);
    m_handle = fd;
    m_type = type;
    m_family = family;
}

bool CSimpleSocket::Create(int type, int protocol, int family) {
    const int fd = ::socket(family, type | SOCK_CLOEXEC, protocol);
    if (fd < 0) {
        m_lastError = errno;
        Close();
        std::lock_guard<std::mutex> lock(m_handleMutex);
        m_type = type;
        m_family = family;
        return false;
    }
    Adopt(fd, type, family);
    return true;
}

int CSimpleSocket::Close() {
    int fd;
    bool deferred;
    {
        std::lock_guard<std::mutex> lock(m_handleMutex);
        fd = m_handle;
        if (fd < 0)
            return 0;
        m_handle = -1;
        // Under the lock: a deferred close by the last user cannot slip in
        // between, so the shutdown never hits a reused descriptor.
        ::shutdown(fd, SHUT_RDWR);
        deferred = m_users > 0;
        if (deferred)
            m_deferredClose = fd;
    }
    CSelectThread::Instance().UnregisterSocket(this);
    if (deferred)
        return 0;
    const int rc = ::close(fd);
    if (rc != 0)
        m_lastError = errno;
    return rc;
}

void CSimpleSocket::Shutdown() {
    std::lock_guard<std::mutex> lock(m_handleMutex);
    if (m_handle >= 0)
        ::shutdown(m_handle, SHUT_RDWR);
}

bool CSimpleSocket::Bind(const sockaddr* address, socklen_t length) {
    CSocketUse use(*this);
    if (use.Fd() < 0)
        return false;
    if (::bind(use.Fd(), address, length) != 0) {
        m_lastError = errno;
        return false;
    }
    return true;
}

bool CSimpleSocket::Connect(const sockaddr* address, socklen_t length) {
    CSocketUse use(*this);
    if (use.Fd() < 0)
        return false;
    if (::connect(use.Fd(), address, length) != 0) {
        // An interrupted connect carries on in the background; wait for its outcome.
        if (errno != EINTR) {
            m_lastError = errno;
            return false;
        }
        pollfd p{use.Fd(), POLLOUT, 0};
        while (::poll(&p, 1, -1) < 0 && errno == EINTR) {
        }
        int error = 0;
        socklen_t len = sizeof error;
        if (::getsockopt(use.Fd(), SOL_SOCKET, SO_ERROR, &error, &len) != 0 || error != 0) {
            m_lastError = error != 0 ? error : errno;
            return false;
        }
    }
    return true;
}

bool CSimpleSocket::Listen(int backlog) {
    CSocketUse use(*this);
    if (use.Fd() < 0)
        return false;
    if (::listen(use.Fd(), backlog) != 0) {
        m_lastError = errno;
        return false;
    }
    return true;
}

bool CSimpleSocket::IOCtl(unsigned long command, int* argument) const {
    CSocketUse use(*this);
    if (use.Fd() < 0)
        return false;
    if (::ioctl(use.Fd(), command, argument) != 0) {
        m_lastError = errno;
        return false;
    }
    return true;
}

bool CSimpleSocket::SetReuseAddress(bool on) {
    CSocketUse use(*this);
    const int value = on ? 1 : 0;
    if (use.Fd() < 0)
        return false;
    if (::setsockopt(use.Fd(), SOL_SOCKET, SO_REUSEADDR, &value, sizeof value) != 0) {
        m_lastError = errno;
        return false;
    }
    return true;
}

bool CSimpleSocket::SetSendTimeout(int milliseconds) {
    CSocketUse use(*this);
    if (use.Fd() < 0)
        return false;
    timeval tv{};
    if (milliseconds > 0) {
        tv.tv_sec = milliseconds / 1000;
        tv.tv_usec = (milliseconds % 1000) * 1000;
    }
    if (::setsockopt(use.Fd(), SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv) != 0) {
        m_lastError = errno;
        return false;
    }
    return true;
}

void CSimpleSocket::SetReceiveDeadline(std::chrono::steady_clock::time_point deadline) {
    m_deadline = deadline;
    m_hasDeadline = true;
}

void CSimpleSocket::ClearReceiveDeadline() {
    m_hasDeadline = false;
}

bool CSimpleSocket::ConnectByName(const std::string& host, int port, int type) {
    AddrInfoPtr info;
    const int rc = Resolve(host, port, AF_UNSPEC, type, info);
    if (rc != 0) {
        m_lastError = rc;
        return false;
    }
    return Create(info->ai_socktype, info->ai_protocol, info->ai_family) && Connect(info->ai_addr, info->ai_addrlen);
}

bool CSimpleSocket::BindByName(const std::string& host, int port) {
    std::string name = host;
    if (name.empty()) {
        char buffer[256] = {};
        if (::gethostname(buffer, sizeof buffer - 1) != 0) {
            m_lastError = errno;
            return false;
        }
        name = buffer;
    }
    // The socket's own family: an address of the other family could not be bound anyway.
    AddrInfoPtr info;
    const int rc = Resolve(name, port, m_family, m_type, info);
    if (rc != 0) {
        m_lastError = rc;
        return false;
    }
    sockaddr_storage address{};
    std::memcpy(&address, info->ai_addr, info->ai_addrlen);
    if (address.ss_family == AF_INET) {
        auto* v4 = reinterpret_cast<sockaddr_in*>(&address);
        if (IN_MULTICAST(ntohl(v4->sin_addr.s_addr)))
            v4->sin_addr.s_addr = htonl(INADDR_ANY);
    } else if (address.ss_family == AF_INET6) {
        auto* v6 = reinterpret_cast<sockaddr_in6*>(&address);
        if (v6->sin6_addr.s6_addr[0] == 0xFF) {
            v6->sin6_addr = in6addr_any;
            v6->sin6_scope_id = 0;
        }
    }
    return Bind(reinterpret_cast<const sockaddr*>(&address), info->ai_addrlen);
}

bool CSimpleSocket::Accept(CSimpleSocket& target, sockaddr* address, socklen_t* length) {
    int fd;
    {
        CSocketUse use(*this);
        if (use.Fd() < 0) {
            target.Close();
            return false;
        }
        do {
            fd = ::accept4(use.Fd(), address, length, SOCK_CLOEXEC);
        } while (fd < 0 && errno == EINTR);
        if (fd < 0)
            m_lastError = errno;
    }
    if (fd < 0) {
        target.Close();
        return false;
    }
    target.Adopt(fd, m_type, m_family);
    return true;
}

int CSimpleSocket::Receive(void* buffer, int length, int flags) {
    CSocketUse use(*this);
    if (use.Fd() < 0)
        return -1;
    if (m_hasDeadline) {
        for (;;) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(m_deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                m_lastError = ETIMEDOUT;
                errno = ETIMEDOUT;
                return -1;
            }
            pollfd p{use.Fd(), POLLIN, 0};
            const int ready = ::poll(&p, 1, static_cast<int>(std::min<long long>(left.count() + 1, 1 << 30)));
            if (ready > 0)
                break;
            if (ready < 0 && errno != EINTR) {
                m_lastError = errno;
                return -1;
            }
        }
    }
    for (;;) {
        const ssize_t n = ::recv(use.Fd(), buffer, length > 0 ? static_cast<size_t>(length) : 0, flags);
        if (n >= 0)
            return static_cast<int>(n);
        if (errno != EINTR) {
            m_lastError = errno;
            return -1;
        }
    }
}

int CSimpleSocket::Send(const void* data, int length, int flags) {
    CSocketUse use(*this);
    if (use.Fd() < 0)
        return -1;
    for (;;) {
        const ssize_t n = ::send(use.Fd(), data, length > 0 ? static_cast<size_t>(length) : 0, flags | MSG_NOSIGNAL);
        if (n >= 0)
            return static_cast<int>(n);
        if (errno != EINTR) {
            m_lastError = errno;
            return -1;
        }
    }
}

bool CSimpleSocket::AddressText(const sockaddr* address, std::string& text, int& port) {
    if (address == nullptr)
        return false;
    if (address->sa_family == AF_INET6) {
        const auto* v6 = reinterpret_cast<const sockaddr_in6*>(address);
        if (IN6_IS_ADDR_V4MAPPED(&v6->sin6_addr)) {
            // A dual-stack listener sees IPv4 peers this way; access lists speak dotted IPv4.
            sockaddr_in v4{};
            v4.sin_family = AF_INET;
            v4.sin_port = v6->sin6_port;
            std::memcpy(&v4.sin_addr, &v6->sin6_addr.s6_addr[12], 4);
            return AddressText(reinterpret_cast<const sockaddr*>(&v4), text, port);
        }
    } else if (address->sa_family != AF_INET) {
        return false;
    }
    const socklen_t length = address->sa_family == AF_INET ? sizeof(sockaddr_in) : sizeof(sockaddr_in6);
    char host[NI_MAXHOST] = {};
    if (::getnameinfo(address, length, host, sizeof host, nullptr, 0, NI_NUMERICHOST) != 0)
        return false;
    text = host;
    const std::string::size_type scope = text.find('%');
    if (scope != std::string::npos)
        text.erase(scope);
    port = ntohs(address->sa_family == AF_INET ? reinterpret_cast<const sockaddr_in*>(address)->sin_port
                                               : reinterpret_cast<const sockaddr_in6*>(address)->sin6_port);
    return true;
}

bool CSimpleSocket::GetSockName(std::string& address, int& port) const {
    CSocketUse use(*this);
    if (use.Fd() < 0)
        return false;
    sockaddr_storage storage{};
    socklen_t length = sizeof storage;
    if (::getsockname(use.Fd(), reinterpret_cast<sockaddr*>(&storage), &length) != 0) {
        m_lastError = errno;
        return false;
    }
    return AddressText(reinterpret_cast<const sockaddr*>(&storage), address, port);
}

bool CSimpleSocket::GetPeerName(std::string& address, int& port) const {
    CSocketUse use(*this);
    if (use.Fd() < 0)
        return false;
    sockaddr_storage storage{};
    socklen_t length = sizeof storage;
    if (::getpeername(use.Fd(), reinterpret_cast<sockaddr*>(&storage), &length) != 0) {
        m_lastError = errno;
        return false;
    }
    return AddressText(reinterpret_cast<const sockaddr*>(&storage), address, port);
}

bool CSimpleSocket::SetInterest(int flags) {
    m_interest = flags;
    if (flags == 0) {
        CSelectThread::Instance().UnregisterSocket(this);
        return true;
    }
    std::shared_ptr<CSimpleSocket> self = weak_from_this().lock();
    if (!self)
        return false;
    return CSelectThread::Instance().RegisterSocket(self);
}
