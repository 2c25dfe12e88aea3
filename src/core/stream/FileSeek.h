#pragma once

#include <sys/types.h>
#include <unistd.h>

// Seek shared by the file streams: origin 0 = start, 1 = current; -1 on failure.
inline int SeekFileDescriptor(int fd, int offset, int origin) {
    if (fd < 0 || (origin != 0 && origin != 1))
        return -1;
    const off_t position = ::lseek(fd, static_cast<off_t>(offset), origin == 0 ? SEEK_SET : SEEK_CUR);
    return position < 0 ? -1 : static_cast<int>(position);
}
