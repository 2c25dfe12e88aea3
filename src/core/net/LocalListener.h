#pragma once

#include "core/net/EventLoop.h"
#include "core/net/HTTPMessage.h"

#include <optional>
#include <sys/types.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

class CInboundSlot;

// The text of the message box the application shows when CreateLocalListener fails.
inline constexpr char kLocalSocketCreateError[] = "socket create error";

// The local bridge listener: a loopback port of the system's choice, published
// in the local port file, on which scripts of this user hand in a note
// document or a plain text. Each connection is read to its end (no answer is
// ever written) and goes to the inbound slot: a note document when it starts
// with the 33-byte document prefix, plain text otherwise.
//
// Connections of other users' processes are closed unread: the owner of the
// connecting socket is looked up in the kernel's socket table. Everything runs
// on the listener's own event loop; nothing waits on a writer or on the slot.
class CLocalListener {
public:
    // A connection must be read whole within this time.
    static constexpr std::chrono::milliseconds kReadDeadline{10000};
    // A connection carrying more than this is dropped, nothing delivered.
    static constexpr int kMaxBytes = kMaxBody;
    static constexpr int kReadChunk = 64 * 1024;
    static constexpr std::chrono::milliseconds kInboundWait{60000};
    static constexpr int kMaxConnections = 64;

    struct Options {
        std::chrono::milliseconds ReadDeadline = kReadDeadline;
        int MaxBytes = kMaxBytes;
        std::chrono::milliseconds InboundWait = kInboundWait;
        // Whose processes may hand in notes; the default is this process's user.
        std::optional<uid_t> Owner;
    };

    explicit CLocalListener(CInboundSlot& slot);
    CLocalListener(CInboundSlot& slot, const Options& options);
    // Closes and joins the loop.
    ~CLocalListener();
    CLocalListener(const CLocalListener&) = delete;
    CLocalListener& operator=(const CLocalListener&) = delete;

    // Replaces any previous listener: listens on 127.0.0.1 (::1 when IPv4 is
    // unavailable) and writes the port, decimal digits only, atomically to
    // portFile (its folder created with mode 0700). False when the socket
    // cannot be set up or the file cannot be written; no listener then.
    bool CreateLocalListener();
    bool CreateLocalListener(const std::string& portFile);
    // Closes the listener and every connection being read.
    void Close();

    int GetPort() const;
    bool IsListening() const;

private:
    struct Connection;

    // Loop thread only.
    void Install(int fd);
    void CloseAll();
    void OnAccept();
    void OnReadable(std::uint64_t id);
    void End(std::uint64_t id);

    CInboundSlot& m_slot;
    const Options m_options;
    const uid_t m_owner;
    CEventLoop m_loop;

    mutable std::mutex m_mutex; // guards m_port
    int m_port = 0;

    // Loop thread only.
    int m_listener = -1;
    std::unordered_map<std::uint64_t, std::unique_ptr<Connection>> m_connections;
    std::uint64_t m_nextId = 1;
    std::vector<char> m_readBuffer;
};
