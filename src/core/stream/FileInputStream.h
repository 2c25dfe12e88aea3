#pragma once

#include "core/stream/InputStream.h"

// Reads from an open file. Keeps a duplicate of the caller's descriptor (sharing
// its position); the caller still closes its own.
class CFileInputStream : public CInputStream {
public:
    explicit CFileInputStream(int fd);
    ~CFileInputStream() override;
    CFileInputStream(const CFileInputStream&) = delete;
    CFileInputStream& operator=(const CFileInputStream&) = delete;

    // 0 at the end of the file; -1 when there is no file. Read errors raise CFileError.
    int Read(void* buffer, int count) override;
    // File length minus the current position; -1 when there is no file.
    int Available() const override;
    int Seek(int offset, int origin) override;

private:
    int m_fd = -1;
};
