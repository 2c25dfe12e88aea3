#include "core/net/SocketInputStream.h"

#include "core/net/SimpleSocket.h"

#include <sys/ioctl.h>

int CSocketInputStream::Read(void* buffer, int count) {
    if (m_socket == nullptr)
        return -1;
    return m_socket->Receive(buffer, count);
}

int CSocketInputStream::Available() const {
    int count = 0;
    if (m_socket == nullptr || !m_socket->IOCtl(FIONREAD, &count))
        return -1;
    return count;
}

int CSocketInputStream::Seek(int /*offset*/, int /*origin*/) {
    return 0;
}
