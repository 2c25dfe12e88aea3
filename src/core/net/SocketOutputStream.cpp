#include "core/net/SocketOutputStream.h"

#include "core/net/SimpleSocket.h"

int CSocketOutputStream::Write(const void* data, int count) {
    if (m_socket == nullptr)
        return -1;
    return m_socket->Send(data, count);
}
