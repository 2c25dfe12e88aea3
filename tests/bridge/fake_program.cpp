// A stand-in for the desktop program, started by the bridge under test: it
// takes the instance lock, opens a loopback listener, publishes its port and
// stores the one text it receives. It keeps to the shared contract on its own
// (no bridge code), so the bridge is checked against the contract, not itself.
//
// Environment: QUILLET_FAKE_OUTPUT  folder for "pid", "info" and "received"
//              QUILLET_FAKE_MODE    "serve" (default) or "noport" (lock only)
//              QUILLET_FAKE_DELAY_MS  pause before the port file is written
#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Nothing the fake starts may outlive a test run by much.
constexpr int kLifetimeMs = 20000;

std::string Env(const char* name, const char* fallback = "") {
    const char* value = std::getenv(name);
    return value != nullptr ? value : fallback;
}

void WriteFileAtomically(const std::string& path, const std::string& content) {
    const std::string temporary = path + ".tmp";
    FILE* out = std::fopen(temporary.c_str(), "wb");
    if (out == nullptr)
        return;
    std::fwrite(content.data(), 1, content.size(), out);
    std::fclose(out);
    std::rename(temporary.c_str(), path.c_str());
}

std::string LinkTarget(const std::string& link) {
    char buffer[4096];
    const ssize_t length = readlink(link.c_str(), buffer, sizeof buffer);
    return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string();
}

// What the test checks about how it was started.
std::string Info() {
    std::string info = "pid=" + std::to_string(getpid()) + "\nppid=" + std::to_string(getppid()) +
                       "\nsid=" + std::to_string(getsid(0)) + "\nstdin=" + LinkTarget("/proc/self/fd/0") +
                       "\nstdout=" + LinkTarget("/proc/self/fd/1") + "\nfds=,";
    if (DIR* folder = opendir("/proc/self/fd")) {
        const int own = dirfd(folder);
        while (const dirent* entry = readdir(folder)) {
            if (entry->d_name[0] != '.' && std::atoi(entry->d_name) != own)
                info += std::string(entry->d_name) + ",";
        }
        closedir(folder);
    }
    return info + "\n";
}

} // namespace

int main() {
    const std::string output = Env("QUILLET_FAKE_OUTPUT", "/tmp");
    const std::string mode = Env("QUILLET_FAKE_MODE", "serve");
    const std::string lockPath =
        Env("XDG_RUNTIME_DIR", "/tmp") + "/h_Pinlet_PrevInstance_" + Env("QUILLET_INSTANCE_NAME", "fake");

    const int lock = open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (lock < 0)
        return 3;
    // Like the program: retry for about a second, a probe may hold it briefly.
    bool locked = false;
    for (int attempt = 0; attempt < 100 && !locked; ++attempt) {
        locked = flock(lock, LOCK_EX | LOCK_NB) == 0;
        if (!locked)
            usleep(10000);
    }
    if (!locked)
        return 4;
    WriteFileAtomically(output + "/info", Info());
    WriteFileAtomically(output + "/pid", std::to_string(getpid()));
    if (mode == "noport") {
        usleep(kLifetimeMs * 1000);
        return 0;
    }

    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener < 0 || bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, 5) != 0 || getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return 5;
    usleep(std::atoi(Env("QUILLET_FAKE_DELAY_MS", "0").c_str()) * 1000);

    const std::string folder = Env("XDG_CONFIG_HOME", "/tmp") + "/Quillet";
    mkdir(folder.c_str(), 0700);
    FILE* portFile = std::fopen((folder + "/localport.ini").c_str(), "wb");
    if (portFile == nullptr)
        return 6;
    std::fprintf(portFile, "%d", ntohs(address.sin_port));
    std::fclose(portFile);

    pollfd waiting{listener, POLLIN, 0};
    if (poll(&waiting, 1, kLifetimeMs) != 1)
        return 7;
    const int connection = accept(listener, nullptr, nullptr);
    if (connection < 0)
        return 8;
    std::string received;
    char buffer[65536];
    for (;;) {
        const ssize_t got = recv(connection, buffer, sizeof buffer, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        received.append(buffer, static_cast<size_t>(got));
    }
    close(connection);
    WriteFileAtomically(output + "/received", received);
    return 0;
}
