#pragma once

#include "core/net/SelectThread.h"
#include "core/net/SimpleSocket.h"

#include <memory>
#include <mutex>
#include <vector>

// Sockets an owner has closed but whose last callback may still be running:
// the owner keeps them until the select thread is done with them, and its
// destructor waits for them, so no callback outlives what it touches.
class CRetiredSockets {
public:
    template <class Socket> void Add(const std::shared_ptr<Socket>& socket) {
        if (!socket)
            return;
        std::lock_guard<std::mutex> lock(m_mutex);
        m_sockets.push_back(socket);
    }
    template <class Socket> void AddAll(const std::vector<std::shared_ptr<Socket>>& sockets) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_sockets.insert(m_sockets.end(), sockets.begin(), sockets.end());
    }
    // Lets go of the ones the select thread no longer holds.
    void Forget() {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto& select = CSelectThread::Instance();
        std::erase_if(m_sockets, [&](const std::shared_ptr<CSimpleSocket>& socket) {
            return !select.IsRegistered(socket.get()) && select.WaitUntilIdle(socket.get(), 0);
        });
    }
    // Waits until none is in a callback; never from one of their callbacks.
    void WaitAll() {
        std::vector<std::shared_ptr<CSimpleSocket>> sockets;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            sockets.swap(m_sockets);
        }
        for (const auto& socket : sockets)
            CSelectThread::Instance().WaitUntilIdle(socket.get());
    }

private:
    std::mutex m_mutex;
    std::vector<std::shared_ptr<CSimpleSocket>> m_sockets;
};
