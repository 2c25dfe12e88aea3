#include "core/stream/FileInputStream.h"

#include "core/stream/FileError.h"
#include "core/stream/FileSeek.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

CFileInputStream::CFileInputStream(int fd) : m_fd(fd >= 0 ? ::fcntl(fd, F_DUPFD_CLOEXEC, 0) : -1) {}

CFileInputStream::~CFileInputStream() {
    if (m_fd >= 0)
        ::close(m_fd);
}

int CFileInputStream::Read(void* buffer, int count) {
    if (m_fd < 0)
        return -1;
    if (count <= 0)
        return 0;
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, static_cast<size_t>(count));
        if (n >= 0)
            return static_cast<int>(n);
        if (errno != EINTR)
            throw CFileError("file read failed", errno);
    }
}

int CFileInputStream::Available() const {
    if (m_fd < 0)
        return -1;
    struct stat st {};
    const off_t position = ::lseek(m_fd, 0, SEEK_CUR);
    if (::fstat(m_fd, &st) != 0 || position < 0)
        return -1;
    return st.st_size > position ? static_cast<int>(st.st_size - position) : 0;
}

int CFileInputStream::Seek(int offset, int origin) {
    return SeekFileDescriptor(m_fd, offset, origin);
}
