#pragma once

#include "core/stream/InputStream.h"

class CSimpleSocket;

// Reads from a connected socket, which stays the caller's (never closed here).
class CSocketInputStream : public CInputStream {
public:
    explicit CSocketInputStream(CSimpleSocket* socket) : m_socket(socket) {}

    // One receive: the byte count, 0 when the peer closed, -1 on error (or
    // when the socket's receive deadline passed). Blocks until data arrives.
    int Read(void* buffer, int count) override;
    // Bytes waiting (FIONREAD), or -1 when that cannot be asked.
    int Available() const override;
    // A socket cannot step back: does nothing and returns 0.
    int Seek(int offset, int origin) override;

private:
    CSimpleSocket* m_socket;
};
