#pragma once

#include "core/net/SimpleSocket.h"

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>

namespace sockettest {

// Generous bound for anything that should happen "at once".
constexpr auto kPromptly = std::chrono::seconds(2);

template <class Pred> bool WaitFor(Pred pred, std::chrono::milliseconds limit = kPromptly) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// A one-shot gate that callbacks block on until the test opens it.
class Gate {
public:
    void Open() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_open = true;
        m_cv.notify_all();
    }
    void Pass() {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_cv.wait(lock, [this] { return m_open; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_open = false;
};

inline socklen_t LoopbackAddress(int family, int port, sockaddr_storage& storage) {
    std::memset(&storage, 0, sizeof storage);
    if (family == AF_INET) {
        auto* v4 = reinterpret_cast<sockaddr_in*>(&storage);
        v4->sin_family = AF_INET;
        v4->sin_port = htons(static_cast<uint16_t>(port));
        v4->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return sizeof(sockaddr_in);
    }
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&storage);
    v6->sin6_family = AF_INET6;
    v6->sin6_port = htons(static_cast<uint16_t>(port));
    v6->sin6_addr = in6addr_loopback;
    return sizeof(sockaddr_in6);
}

// A listener on the loopback address of the family, system-chosen port.
inline bool Listen(CSimpleSocket& listener, int family, int& port) {
    sockaddr_storage address;
    const socklen_t length = LoopbackAddress(family, 0, address);
    std::string text;
    return listener.Create(SOCK_STREAM, 0, family) && listener.Bind(reinterpret_cast<sockaddr*>(&address), length) &&
           listener.Listen() && listener.GetSockName(text, port);
}

inline bool Connect(CSimpleSocket& client, int family, int port) {
    sockaddr_storage address;
    const socklen_t length = LoopbackAddress(family, port, address);
    return client.Create(SOCK_STREAM, 0, family) && client.Connect(reinterpret_cast<sockaddr*>(&address), length);
}

// A connected pair over loopback; server may be a derived socket.
template <class Server = CSimpleSocket> struct Pair {
    std::shared_ptr<CSimpleSocket> client = std::make_shared<CSimpleSocket>();
    std::shared_ptr<Server> server = std::make_shared<Server>();

    bool Open(int family = AF_INET) {
        CSimpleSocket listener;
        int port = 0;
        return Listen(listener, family, port) && Connect(*client, family, port) && listener.Accept(*server);
    }
};

} // namespace sockettest
