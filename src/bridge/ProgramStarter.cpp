#include "bridge/ProgramStarter.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// One record on the report pipe; smaller than PIPE_BUF, so written whole.
struct Report {
    char tag; // 'P' program started (value = pid), 'E' exec failed, 'F' fork failed (value = errno)
    int value;
};

void SendReport(int fd, char tag, int value) {
    const Report report{tag, value};
    while (write(fd, &report, sizeof report) < 0 && errno == EINTR) {
    }
}

// Between fork and exec only async-signal-safe calls are allowed: the caller
// may have other threads holding locks (malloc's among them).
[[noreturn]] void RunProgram(int reportFd, const char* file, char* const argv[], const char* folder,
                             int descriptorLimit) {
    const int nullFd = open("/dev/null", O_RDWR | O_CLOEXEC);
    if (nullFd < 0) {
        SendReport(reportFd, 'E', errno);
        _exit(127);
    }
    // The report pipe must survive until exec, whatever number it got.
    int report = fcntl(reportFd, F_DUPFD_CLOEXEC, 3);
    if (report < 0) {
        SendReport(reportFd, 'E', errno);
        _exit(127);
    }
    for (int standard = 0; standard <= 2; ++standard) {
        if (nullFd == standard)
            fcntl(standard, F_SETFD, 0);
        else
            dup2(nullFd, standard);
    }
    if (nullFd > 2)
        close(nullFd);
    if (report != 3) {
        dup3(report, 3, O_CLOEXEC);
        close(report);
        report = 3;
    }
    if (close_range(4, ~0U, 0) != 0) {
        for (int fd = 4; fd < descriptorLimit; ++fd)
            close(fd);
    }
    struct sigaction defaults {};
    defaults.sa_handler = SIG_DFL;
    sigemptyset(&defaults.sa_mask);
    for (int signal = 1; signal < NSIG; ++signal)
        sigaction(signal, &defaults, nullptr);
    if (folder[0] != '\0' && chdir(folder) != 0) {
        // Stay where the caller was.
    }
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    execve(file, argv, environ);
    SendReport(report, 'E', errno);
    _exit(127);
}

[[noreturn]] void RunIntermediate(int reportFd, const char* file, char* const argv[], const char* folder,
                                  int descriptorLimit) {
    setsid();
    const pid_t program = fork();
    if (program == 0)
        RunProgram(reportFd, file, argv, folder, descriptorLimit);
    if (program < 0) {
        SendReport(reportFd, 'F', errno);
        _exit(1);
    }
    SendReport(reportFd, 'P', static_cast<int>(program));
    _exit(0);
}

int DescriptorLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur > 65536)
        return 65536;
    return static_cast<int>(limit.rlim_cur);
}

} // namespace

pid_t CProgramStarter::Start(const std::string& path, const std::string& workingFolder, int timeoutMs) {
    if (path.empty()) {
        errno = ENOENT;
        return -1;
    }
    // Everything the children need is made before fork: they may not allocate.
    char* const argv[] = {const_cast<char*>(path.c_str()), nullptr};
    const int descriptorLimit = DescriptorLimit();
    int reportPipe[2];
    if (pipe2(reportPipe, O_CLOEXEC) != 0)
        return -1;

    // With every signal blocked, no handler of the caller runs in the children.
    sigset_t all;
    sigset_t previous;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &previous);
    const pid_t intermediate = fork();
    if (intermediate == 0) {
        close(reportPipe[0]);
        RunIntermediate(reportPipe[1], path.c_str(), argv, workingFolder.c_str(), descriptorLimit);
    }
    const int forkError = errno;
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    close(reportPipe[1]);
    if (intermediate < 0) {
        close(reportPipe[0]);
        errno = forkError;
        return -1;
    }
    int status = 0;
    while (waitpid(intermediate, &status, 0) < 0 && errno == EINTR) {
    }

    // The pipe reaches its end when the program's exec closes the last copy.
    pid_t program = -1;
    int error = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    Report report{};
    size_t filled = 0;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0)
            break;
        pollfd waiting{reportPipe[0], POLLIN, 0};
        const int ready = poll(&waiting, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            break;
        const ssize_t got = read(reportPipe[0], reinterpret_cast<char*>(&report) + filled, sizeof report - filled);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        filled += static_cast<size_t>(got);
        if (filled < sizeof report)
            continue;
        filled = 0;
        if (report.tag == 'P')
            program = static_cast<pid_t>(report.value);
        else
            error = report.value != 0 ? report.value : EIO;
    }
    close(reportPipe[0]);
    if (error != 0) {
        errno = error;
        return -1;
    }
    if (program <= 0) {
        errno = ECHILD;
        return -1;
    }
    return program;
}

bool CProgramStarter::IsAlive(pid_t pid) {
    if (pid <= 0)
        return false;
    if (kill(pid, 0) != 0 && errno != EPERM)
        return false;
    // A process that ended but was not yet reaped still answers kill().
    char name[64];
    std::snprintf(name, sizeof name, "/proc/%d/stat", static_cast<int>(pid));
    FILE* stat = std::fopen(name, "re");
    if (stat == nullptr)
        return true;
    char buffer[512];
    const size_t length = std::fread(buffer, 1, sizeof buffer - 1, stat);
    std::fclose(stat);
    buffer[length] = '\0';
    // "pid (comm) S ...": the state follows the last ')', as comm may hold one.
    const char* state = nullptr;
    for (size_t i = 0; i < length; ++i) {
        if (buffer[i] == ')')
            state = buffer + i;
    }
    if (state == nullptr || state[1] != ' ')
        return true;
    return state[2] != 'Z' && state[2] != 'X';
}
