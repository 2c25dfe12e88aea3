#pragma once

#include <optional>
#include <sys/types.h>

// The user who owns the other end of a connected TCP socket on this computer
// (a loopback connection), looked up in the kernel's socket table: first
// through socket diagnostics (netlink), else in /proc/net/tcp{,6}. Nothing
// when the other end is not found (it closed already, or lives elsewhere).
std::optional<uid_t> LocalPeerOwner(int connectedFd);
