#include "core/net/SimpleAsyncSocket.h"

#include <cstdio>
#include <cstdlib>

void CSimpleAsyncSocket::SetCallback(Callback callback) {
    std::lock_guard<std::mutex> lock(m_callbackMutex);
    m_callback = std::move(callback);
}

void CSimpleAsyncSocket::OnRead() {
    Callback callback;
    {
        std::lock_guard<std::mutex> lock(m_callbackMutex);
        callback = m_callback;
    }
    if (!callback)
        return;
    try {
        callback(*this);
    } catch (...) {
        if (std::getenv("QUILLET_DEBUG") != nullptr)
            std::fputs("CSimpleAsyncSocket::OnRead() exception occurd.\n", stderr);
        SetInterest(0);
        Close();
    }
}

bool CSimpleAsyncSocket::CreateListener(int port, int type, int protocol, int family, const std::string& address) {
    // Address reuse: a restarted program must not fail on its old connections in TIME_WAIT.
    if (Create(type, protocol, family) && SetReuseAddress(true) && BindByName(address, port) && Listen() &&
        SetInterest(kInterestRead))
        return true;
    const int error = GetLastError();
    Close();
    SetLastError(error);
    return false;
}
