#pragma once

#include "core/net/SimpleSocket.h"

#include <functional>
#include <mutex>
#include <string>

// A socket that reports read readiness through a callback set by its owner.
// The callback runs on a dispatch thread of the select thread; an exception
// escaping it closes this socket (and only this socket).
class CSimpleAsyncSocket : public CSimpleSocket {
public:
    using Callback = std::function<void(CSimpleAsyncSocket& socket)>;

    CSimpleAsyncSocket() = default;
    explicit CSimpleAsyncSocket(Callback callback) : m_callback(std::move(callback)) {}

    // May be changed at any time; a callback already running finishes first.
    void SetCallback(Callback callback);

    void OnRead() override;

    // Opens a socket of the given type, protocol and family, binds it to
    // address and port (an empty address means the local host name, a
    // multicast address the any-address of its family, port 0 a port of the
    // system's choice), listens and registers for read readiness. On failure
    // the socket is closed and false returned. Must be owned by a shared_ptr.
    virtual bool CreateListener(int port, int type = SOCK_STREAM, int protocol = 0, int family = AF_INET,
                                const std::string& address = std::string());

private:
    std::mutex m_callbackMutex;
    Callback m_callback;
};
