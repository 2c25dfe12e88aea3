#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>

#include <sys/socket.h>

// A thin wrapper of one blocking socket.
//
// Readiness comes only from the select thread (SetInterest); every read and
// write is a plain blocking call. A socket that registers must be owned by a
// std::shared_ptr: the select thread keeps it alive while one of its callbacks
// runs, so an owner may drop or close it from any thread, including from
// inside its own callback.
//
// Close may be called from another thread while a callback is blocked in
// Receive or Send: the connection is shut down at once (the blocked call
// returns 0 or -1) and the descriptor is released only when that call has
// returned, so it can never be reused under a running call.
class CSimpleSocket : public std::enable_shared_from_this<CSimpleSocket> {
public:
    enum { kInterestRead = 1, kInterestWrite = 2 };
    // The system's maximum: a burst of peers waits in the queue instead of
    // having its connections reset.
    static constexpr int kListenBacklog = SOMAXCONN;

    CSimpleSocket() = default;
    virtual ~CSimpleSocket();
    CSimpleSocket(const CSimpleSocket&) = delete;
    CSimpleSocket& operator=(const CSimpleSocket&) = delete;

    // Opens a socket (close-on-exec). Closes the previous one first.
    bool Create(int type = SOCK_STREAM, int protocol = 0, int family = AF_INET);
    bool Bind(const sockaddr* address, socklen_t length);
    bool Connect(const sockaddr* address, socklen_t length);
    bool Listen(int backlog = kListenBacklog);
    // Only FIONREAD is used: the number of bytes waiting.
    bool IOCtl(unsigned long command, int* argument) const;
    // Resolves host and port (any family), opens a socket for the first result
    // and connects to it; only that first address is tried.
    bool ConnectByName(const std::string& host, int port, int type = SOCK_STREAM);
    bool SetReuseAddress(bool on);

    // Accepts a connection into target (closing whatever target held). True
    // when target holds a valid socket; address arguments may be null.
    virtual bool Accept(CSimpleSocket& target, sockaddr* address = nullptr, socklen_t* length = nullptr);
    // Shuts the connection down, unregisters the socket from the select thread
    // and closes it. Returns the close result; 0 at once when already closed.
    virtual int Close();
    // Ends the connection in both directions but keeps the descriptor: a call
    // blocked on it returns at once. The owner still closes the socket.
    void Shutdown();
    // One recv: byte count, 0 when the peer closed, -1 on error or when the
    // receive deadline passed (GetLastError() == ETIMEDOUT).
    virtual int Receive(void* buffer, int length, int flags = 0);
    // One send (never raises SIGPIPE): byte count, possibly short, or -1.
    virtual int Send(const void* data, int length, int flags = 0);
    // Called on a dispatch thread of the select thread when the socket is
    // readable (or its peer hung up) / writable. Nothing in the base. Readiness
    // is level-triggered: a callback that neither reads nor closes is called
    // again at once.
    virtual void OnRead() {}
    virtual void OnWrite() {}

    // Address text and port of this end / of the peer. False on failure.
    virtual bool GetSockName(std::string& address, int& port) const;
    bool GetPeerName(std::string& address, int& port) const;
    // Numeric text of an address: dotted IPv4, IPv6 without its "%scope"
    // suffix, an IPv4-mapped IPv6 address as dotted IPv4. False for other families.
    static bool AddressText(const sockaddr* address, std::string& text, int& port);

    int GetHandle() const;
    bool IsOpen() const { return GetHandle() >= 0; }
    int GetSocketType() const { return m_type; }
    int GetFamily() const { return m_family; }
    // The last error of an operation on this socket: an errno value, or a
    // negative getaddrinfo code (see gai_strerror) after a failed resolution.
    int GetLastError() const { return m_lastError.load(); }

    int GetInterest() const { return m_interest.load(); }
    // Stores the interest flags and registers the socket with the select thread
    // (flags 0 unregisters it). False when the socket is closed or is not owned
    // by a std::shared_ptr.
    bool SetInterest(int flags);

    // Receive fails with ETIMEDOUT once this point has passed (waiting for
    // data counts). Lets a session bound a whole request, however it trickles in.
    void SetReceiveDeadline(std::chrono::steady_clock::time_point deadline);
    void ClearReceiveDeadline();
    // Bounds each blocking Send (SO_SNDTIMEO): a peer that stops reading
    // cannot hold a sender forever. 0 = no limit.
    bool SetSendTimeout(int milliseconds);

protected:
    // Binds to the first address that host and port resolve to; an empty host
    // means the local host name; a multicast address becomes the any-address
    // of its family. Port 0 lets the system choose.
    bool BindByName(const std::string& host, int port);
    void SetLastError(int error) { m_lastError = error; }

private:
    friend class CSocketUse;

    // Descriptor bookkeeping so that Close can run beside a blocked call.
    int AcquireHandle() const;
    void ReleaseHandle() const;
    // Stores a freshly opened descriptor, closing the previous one.
    void Adopt(int fd, int type, int family);

    mutable std::mutex m_handleMutex;
    int m_handle = -1;
    mutable int m_users = 0;
    mutable int m_deferredClose = -1;

    int m_type = SOCK_STREAM;
    int m_family = AF_UNSPEC;
    std::atomic<int> m_interest{0};
    mutable std::atomic<int> m_lastError{0};
    bool m_hasDeadline = false;
    std::chrono::steady_clock::time_point m_deadline{};
};
