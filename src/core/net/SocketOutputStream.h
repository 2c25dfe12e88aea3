#pragma once

#include "core/stream/OutputStream.h"

class CSimpleSocket;

// Writes to a connected socket, which stays the caller's (never closed here).
class CSocketOutputStream : public COutputStream {
public:
    explicit CSocketOutputStream(CSimpleSocket* socket) : m_socket(socket) {}

    // One send: returns what it returned, also a short count (no retry) or -1.
    // A closed peer gives -1, never SIGPIPE.
    int Write(const void* data, int count) override;

private:
    CSimpleSocket* m_socket;
};
