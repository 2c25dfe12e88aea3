#include "core/stream/FileOutputStream.h"

#include "core/stream/FileError.h"
#include "core/stream/FileSeek.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

CFileOutputStream::CFileOutputStream(int fd) : m_fd(fd >= 0 ? ::fcntl(fd, F_DUPFD_CLOEXEC, 0) : -1) {}

CFileOutputStream::~CFileOutputStream() {
    if (m_fd >= 0)
        ::close(m_fd);
}

int CFileOutputStream::Write(const void* data, int count) {
    if (m_fd < 0)
        return -1;
    const auto* bytes = static_cast<const char*>(data);
    int written = 0;
    while (written < count) {
        const ssize_t n = ::write(m_fd, bytes + written, static_cast<size_t>(count - written));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw CFileError("file write failed", errno);
        }
        written += static_cast<int>(n);
    }
    return count;
}

int CFileOutputStream::Seek(int offset, int origin) {
    return SeekFileDescriptor(m_fd, offset, origin);
}
