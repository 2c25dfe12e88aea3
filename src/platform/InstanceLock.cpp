#include "platform/InstanceLock.h"

#include <cerrno>
#include <cstdlib>
#include <thread>

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string RuntimeFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat info {};
    if (runtime != nullptr && runtime[0] == '/' && stat(runtime, &info) == 0 && S_ISDIR(info.st_mode))
        return runtime;
    return "/tmp";
}

std::string UserPart() {
    if (const char* name = std::getenv(CInstanceLock::kNameVariable); name != nullptr && name[0] != '\0')
        return name;
    if (const passwd* entry = getpwuid(geteuid()); entry != nullptr && entry->pw_name != nullptr)
        return entry->pw_name;
    return std::to_string(geteuid());
}

// The file must be a regular file of ours: in /tmp another user could have
// created it first to keep us from ever starting, or to watch us.
bool IsOurs(int fd) {
    struct stat info {};
    return fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == geteuid();
}

int OpenNoFollow(const std::string& path, int flags) {
    int fd;
    do {
        fd = open(path.c_str(), flags | O_NOFOLLOW | O_CLOEXEC, 0600);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

} // namespace

CInstanceLock::CInstanceLock() : m_path(LockPath()) {}

CInstanceLock::~CInstanceLock() {
    Release();
}

std::string CInstanceLock::LockName() {
    std::string user = UserPart();
    // The name must stay inside the runtime folder whatever the variable says.
    for (char& c : user)
        if (c == '/')
            c = '_';
    return kNamePrefix + user;
}

std::string CInstanceLock::LockPath() {
    return RuntimeFolder() + "/" + LockName();
}

bool CInstanceLock::TryAcquire(std::chrono::milliseconds retryWindow) {
    if (m_state == EState::Acquired)
        return true;
    if (m_fd < 0) {
        m_fd = OpenNoFollow(m_path, O_RDWR | O_CREAT);
        if (m_fd < 0 || !IsOurs(m_fd)) {
            if (m_fd >= 0)
                close(m_fd);
            m_fd = -1;
            m_state = EState::Refused;
            return false;
        }
        fchmod(m_fd, 0600);
    }
    const auto deadline = std::chrono::steady_clock::now() + retryWindow;
    for (;;) {
        if (flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
            m_state = EState::Acquired;
            return true;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            m_state = EState::Refused;
            return false;
        }
        // A bridge's probe holds a shared lock for an instant only: wait it out.
        if (std::chrono::steady_clock::now() >= deadline) {
            m_state = EState::Busy;
            return false;
        }
        std::this_thread::sleep_for(kRetryStep);
    }
}

void CInstanceLock::Release() {
    if (m_fd >= 0) {
        flock(m_fd, LOCK_UN);
        close(m_fd);
        m_fd = -1;
    }
    m_state = EState::Unlocked;
}

bool CInstanceLock::IsHeld() {
    const int fd = OpenNoFollow(LockPath(), O_RDONLY);
    if (fd < 0)
        return false; // no file: nobody ever started, or it is not a lock we trust
    bool held = false;
    if (IsOurs(fd)) {
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
