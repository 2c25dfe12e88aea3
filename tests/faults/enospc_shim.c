/* Makes writes to regular files fail with ENOSPC once QUILLET_FAIL_AFTER bytes
 * have gone to regular files, as a full disk would. Loaded with LD_PRELOAD. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

static long long written;

static int Refuse(int fd, size_t count) {
    struct stat st;
    const char* limit = getenv("QUILLET_FAIL_AFTER");
    if (limit == NULL || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return 0;
    if (written + (long long)count > atoll(limit)) {
        errno = ENOSPC;
        return 1;
    }
    written += (long long)count;
    return 0;
}

ssize_t write(int fd, const void* buffer, size_t count) {
    static ssize_t (*real)(int, const void*, size_t);
    if (real == NULL)
        real = (ssize_t(*)(int, const void*, size_t))dlsym(RTLD_NEXT, "write");
    if (Refuse(fd, count))
        return -1;
    return real(fd, buffer, count);
}

ssize_t writev(int fd, const struct iovec* vector, int count) {
    static ssize_t (*real)(int, const struct iovec*, int);
    size_t total = 0;
    if (real == NULL)
        real = (ssize_t(*)(int, const struct iovec*, int))dlsym(RTLD_NEXT, "writev");
    for (int i = 0; i < count; ++i)
        total += vector[i].iov_len;
    if (Refuse(fd, total))
        return -1;
    return real(fd, vector, count);
}
