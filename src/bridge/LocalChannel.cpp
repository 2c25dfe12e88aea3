#include "bridge/LocalChannel.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool SameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// Waits for `events` on `fd`; false on time-out or error.
bool WaitFor(int fd, short events, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left < 0)
            return false;
        pollfd waiting{fd, events, 0};
        const int ready = poll(&waiting, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR)
            continue;
        return ready > 0;
    }
}

// A non-blocking socket connected to `address`, or -1.
int ConnectTo(const sockaddr* address, socklen_t length) {
    const int fd = socket(address->sa_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    if (connect(fd, address, length) == 0)
        return fd;
    if (errno == EINPROGRESS && WaitFor(fd, POLLOUT, CLocalChannel::kConnectTimeoutMs)) {
        int error = 0;
        socklen_t size = sizeof error;
        if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0)
            return fd;
    }
    close(fd);
    return -1;
}

int ConnectLoopback(int port) {
    sockaddr_in v4{};
    v4.sin_family = AF_INET;
    v4.sin_port = htons(static_cast<uint16_t>(port));
    v4.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int fd = ConnectTo(reinterpret_cast<const sockaddr*>(&v4), sizeof v4);
    if (fd >= 0)
        return fd;
    sockaddr_in6 v6{};
    v6.sin6_family = AF_INET6;
    v6.sin6_port = htons(static_cast<uint16_t>(port));
    v6.sin6_addr = in6addr_loopback;
    return ConnectTo(reinterpret_cast<const sockaddr*>(&v6), sizeof v6);
}

} // namespace

bool CLocalChannel::Stamp::operator==(const Stamp& other) const {
    return exists == other.exists && device == other.device && inode == other.inode && size == other.size &&
           SameTime(modified, other.modified) && SameTime(changed, other.changed);
}

CLocalChannel::Stamp CLocalChannel::StampOf(const std::string& portFile) {
    Stamp stamp;
    struct stat info {};
    if (stat(portFile.c_str(), &info) != 0)
        return stamp;
    stamp.exists = true;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.size = info.st_size;
    stamp.modified = info.st_mtim;
    stamp.changed = info.st_ctim;
    return stamp;
}

int CLocalChannel::ReadPort(const std::string& portFile) {
    // O_NONBLOCK and the type check: a FIFO in its place must not hang the caller.
    const int fd = open(portFile.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return 0;
    char text[kPortFileReadLimit];
    size_t length = 0;
    struct stat info {};
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        while (length < sizeof text) {
            const ssize_t got = read(fd, text + length, sizeof text - length);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            length += static_cast<size_t>(got);
        }
    }
    close(fd);

    size_t at = 0;
    while (at < length && (text[at] == ' ' || text[at] == '\t'))
        ++at;
    long port = 0;
    size_t digits = 0;
    while (at < length && text[at] >= '0' && text[at] <= '9' && port <= 65535) {
        port = port * 10 + (text[at] - '0');
        ++at;
        ++digits;
    }
    return digits > 0 && port >= 1 && port <= 65535 ? static_cast<int>(port) : 0;
}

CLocalChannel::Result CLocalChannel::Send(int port, const char* bytes, size_t length) {
    if (port < 1 || port > 65535)
        return Result::NoPort;
    const int fd = ConnectLoopback(port);
    if (fd < 0)
        return Result::ConnectFailed;
    size_t sent = 0;
    bool complete = true;
    while (sent < length) {
        const ssize_t wrote = send(fd, bytes + sent, length - sent, MSG_NOSIGNAL);
        if (wrote > 0) {
            sent += static_cast<size_t>(wrote);
            continue;
        }
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && WaitFor(fd, POLLOUT, kSendStallTimeoutMs))
            continue;
        complete = false;
        break;
    }
    // The end of the stream tells the program that the text is complete, so a
    // text that did not go out whole ends in a reset instead of an orderly end.
    if (complete && shutdown(fd, SHUT_WR) != 0)
        complete = false;
    if (!complete) {
        const linger abort{1, 0};
        setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    }
    close(fd);
    return complete ? Result::Sent : Result::SendFailed;
}
