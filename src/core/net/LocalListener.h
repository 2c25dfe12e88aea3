#pragma once

#include "core/net/CallbackCounter.h"
#include "core/net/RetiredSockets.h"
#include "core/net/HTTPMessage.h"

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

class CInboundSlot;
class CSimpleAsyncSocket;
class CSimpleSocket;

// The text of the message box the application shows when CreateLocalListener fails.
inline constexpr char kLocalSocketCreateError[] = "socket create error";

// The local bridge listener: a loopback port of the system's choice, published
// in the local port file, on which scripts of this user hand in a note
// document or a plain text. Each connection is read to its end (no answer is
// ever written) and goes to the inbound slot: a note document when it starts
// with the 33-byte document prefix, plain text otherwise.
class CLocalListener {
public:
    // A connection must be read whole within this time.
    static constexpr std::chrono::milliseconds kReadDeadline{10000};
    // A connection carrying more than this is dropped, nothing delivered.
    static constexpr int kMaxBytes = kMaxBody;
    static constexpr int kReadChunk = 16 * 1024;
    static constexpr std::chrono::milliseconds kInboundWait{60000};

    struct Options {
        std::chrono::milliseconds ReadDeadline = kReadDeadline;
        int MaxBytes = kMaxBytes;
        std::chrono::milliseconds InboundWait = kInboundWait;
    };

    explicit CLocalListener(CInboundSlot& slot);
    CLocalListener(CInboundSlot& slot, const Options& options);
    // Closes and waits until no callback runs inside the listener any more.
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
    void OnAccept(CSimpleAsyncSocket& listener);
    void OnRead(CSimpleAsyncSocket& connection);
    void EndConnection(CSimpleAsyncSocket& connection);

    CInboundSlot& m_slot;
    const Options m_options;
    CCallbackCounter m_callbacks;

    mutable std::mutex m_mutex;
    std::shared_ptr<CSimpleAsyncSocket> m_listener;
    int m_port = 0;
    std::unordered_map<const CSimpleAsyncSocket*, std::shared_ptr<CSimpleAsyncSocket>> m_connections;
    CRetiredSockets m_retired;
};
