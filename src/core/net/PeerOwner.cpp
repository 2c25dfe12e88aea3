#include "core/net/PeerOwner.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <linux/inet_diag.h>
#include <linux/netlink.h>
#include <linux/sock_diag.h>
#include <netinet/in.h>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace {

struct Ends {
    int Family = 0;
    sockaddr_storage Local{};
    sockaddr_storage Peer{};
};

bool ReadEnds(int fd, Ends& ends) {
    socklen_t length = sizeof ends.Local;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&ends.Local), &length) != 0)
        return false;
    length = sizeof ends.Peer;
    if (::getpeername(fd, reinterpret_cast<sockaddr*>(&ends.Peer), &length) != 0)
        return false;
    ends.Family = ends.Local.ss_family;
    return ends.Family == AF_INET || ends.Family == AF_INET6;
}

// Port (network order) and address bytes of one end.
void Split(const sockaddr_storage& address, std::uint16_t& port, const void*& bytes, size_t& size) {
    if (address.ss_family == AF_INET) {
        const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
        port = v4.sin_port;
        bytes = &v4.sin_addr;
        size = sizeof v4.sin_addr;
    } else {
        const auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
        port = v6.sin6_port;
        bytes = &v6.sin6_addr;
        size = sizeof v6.sin6_addr;
    }
}

// The peer's socket is the one whose source is our peer and whose
// destination is our local end.
std::optional<uid_t> AskNetlink(const Ends& ends, bool& unavailable) {
    unavailable = true;
    const int fd = ::socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC, NETLINK_SOCK_DIAG);
    if (fd < 0)
        return std::nullopt;
    struct {
        nlmsghdr Header;
        inet_diag_req_v2 Request;
    } message{};
    message.Header.nlmsg_len = sizeof message;
    message.Header.nlmsg_type = SOCK_DIAG_BY_FAMILY;
    message.Header.nlmsg_flags = NLM_F_REQUEST;
    message.Request.sdiag_family = static_cast<std::uint8_t>(ends.Family);
    message.Request.sdiag_protocol = IPPROTO_TCP;
    message.Request.idiag_states = ~0u;
    const void* bytes;
    size_t size;
    Split(ends.Peer, message.Request.id.idiag_sport, bytes, size);
    std::memcpy(message.Request.id.idiag_src, bytes, size);
    Split(ends.Local, message.Request.id.idiag_dport, bytes, size);
    std::memcpy(message.Request.id.idiag_dst, bytes, size);
    message.Request.id.idiag_cookie[0] = INET_DIAG_NOCOOKIE;
    message.Request.id.idiag_cookie[1] = INET_DIAG_NOCOOKIE;

    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    timeval limit{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    std::optional<uid_t> owner;
    if (::sendto(fd, &message, sizeof message, 0, reinterpret_cast<sockaddr*>(&kernel), sizeof kernel) ==
        static_cast<ssize_t>(sizeof message)) {
        alignas(nlmsghdr) char buffer[8192];
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got > 0) {
            const auto* header = reinterpret_cast<const nlmsghdr*>(buffer);
            int remaining = static_cast<int>(got);
            if (NLMSG_OK(header, remaining)) {
                if (header->nlmsg_type == SOCK_DIAG_BY_FAMILY &&
                    header->nlmsg_len >= NLMSG_LENGTH(sizeof(inet_diag_msg))) {
                    owner = static_cast<const inet_diag_msg*>(NLMSG_DATA(header))->idiag_uid;
                    unavailable = false;
                } else if (header->nlmsg_type == NLMSG_ERROR) {
                    const auto* error = static_cast<const nlmsgerr*>(NLMSG_DATA(header));
                    // ENOENT: the kernel answered, there is no such socket.
                    unavailable = error->error != -ENOENT;
                }
            }
        }
    }
    ::close(fd);
    return owner;
}

// /proc/net/tcp shows addresses as the bytes of the address read as 32-bit
// host-order words, in hex, and ports in hex.
std::string ProcAddress(const sockaddr_storage& address) {
    std::uint16_t port;
    const void* bytes;
    size_t size;
    Split(address, port, bytes, size);
    std::string text;
    char hex[16];
    for (size_t word = 0; word < size / 4; ++word) {
        std::uint32_t value;
        std::memcpy(&value, static_cast<const char*>(bytes) + word * 4, 4);
        std::snprintf(hex, sizeof hex, "%08X", value);
        text += hex;
    }
    std::snprintf(hex, sizeof hex, ":%04X", ntohs(port));
    return text + hex;
}

std::optional<uid_t> AskProc(const Ends& ends) {
    std::ifstream table(ends.Family == AF_INET ? "/proc/net/tcp" : "/proc/net/tcp6");
    const std::string source = ProcAddress(ends.Peer);
    const std::string destination = ProcAddress(ends.Local);
    std::string line;
    std::getline(table, line); // column titles
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state, queues, timer, retransmits;
        uid_t uid;
        if (!(fields >> slot >> local >> remote >> state >> queues >> timer >> retransmits >> uid))
            continue;
        if (local == source && remote == destination)
            return uid;
    }
    return std::nullopt;
}

} // namespace

std::optional<uid_t> LocalPeerOwner(int connectedFd) {
    Ends ends;
    if (!ReadEnds(connectedFd, ends) || ends.Peer.ss_family != ends.Family)
        return std::nullopt;
    bool unavailable = false;
    const std::optional<uid_t> owner = AskNetlink(ends, unavailable);
    if (owner || !unavailable)
        return owner;
    return AskProc(ends);
}
