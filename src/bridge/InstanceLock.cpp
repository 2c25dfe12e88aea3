#include "bridge/InstanceLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

bool CInstanceLock::IsHeld(const std::string& path) {
    if (path.empty())
        return false;
    // O_NONBLOCK: a FIFO planted under the lock's name must not hang the caller.
    const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return false;
    bool held = false;
    struct stat info {};
    // In /tmp another user could plant and lock a file of that name; the
    // program refuses such a file, so it does not count here either.
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == geteuid()) {
        int result;
        do {
            result = flock(fd, LOCK_SH | LOCK_NB);
        } while (result != 0 && errno == EINTR);
        if (result == 0)
            flock(fd, LOCK_UN);
        else
            held = errno == EWOULDBLOCK;
    }
    close(fd);
    return held;
}
