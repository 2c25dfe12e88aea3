#pragma once

#include "core/stream/OutputStream.h"

// Writes to an open file. Keeps a duplicate of the caller's descriptor (sharing
// its position); the caller still closes its own.
class CFileOutputStream : public COutputStream {
public:
    explicit CFileOutputStream(int fd);
    ~CFileOutputStream() override;
    CFileOutputStream(const CFileOutputStream&) = delete;
    CFileOutputStream& operator=(const CFileOutputStream&) = delete;

    // Writes everything and returns count; a write error (disk full...) raises
    // CFileError. -1 when there is no file.
    int Write(const void* data, int count) override;
    int Seek(int offset, int origin) override;

private:
    int m_fd = -1;
};
