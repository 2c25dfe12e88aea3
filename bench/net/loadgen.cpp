// A small closed-loop HTTP load generator for the server benchmark: each thread
// opens a connection, sends one request, reads the whole answer (head, then as
// many bytes as Content-Length says, none without it), closes, and starts over.
// One request per connection is how the program's own clients talk. Only
// POSIX; built by run.sh.
//
// Usage: loadgen PORT SECONDS THREADS REQUEST_FILE EXPECTED_STATUS
// Prints: requests=N failures=F seconds=S rps=R
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// Reads one answer; its status, or 0 when it did not arrive whole.
int ReadAnswer(int fd) {
    std::string bytes;
    char buffer[16384];
    size_t headEnd = std::string::npos;
    size_t wanted = 0;
    for (;;) {
        if (headEnd != std::string::npos && bytes.size() >= wanted)
            break;
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            return 0;
        bytes.append(buffer, static_cast<size_t>(n));
        if (headEnd == std::string::npos && (headEnd = bytes.find("\r\n\r\n")) != std::string::npos) {
            size_t length = 0;
            for (const char* name : {"\r\nContent-Length:", "\r\ncontent-length:"}) {
                const size_t at = bytes.find(name);
                if (at != std::string::npos && at < headEnd)
                    length = std::strtoul(bytes.c_str() + at + std::strlen(name), nullptr, 10);
            }
            wanted = headEnd + 4 + length;
        }
    }
    const size_t space = bytes.find(' ');
    return space == std::string::npos ? 0 : std::atoi(bytes.c_str() + space + 1);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: %s PORT SECONDS THREADS REQUEST_FILE EXPECTED_STATUS\n", argv[0]);
        return 2;
    }
    const int port = std::atoi(argv[1]);
    const double seconds = std::atof(argv[2]);
    const int threads = std::atoi(argv[3]);
    std::ifstream file(argv[4], std::ios::binary);
    const std::string request((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const int expected = std::atoi(argv[5]);
    if (port <= 0 || seconds <= 0 || seconds > 60 || threads <= 0 || threads > 64 || request.empty()) {
        std::fprintf(stderr, "loadgen: bad arguments\n");
        return 2;
    }

    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);

    std::atomic<long> done{0}, failed{0};
    const auto start = Clock::now();
    const auto end = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) {
        pool.emplace_back([&] {
            while (Clock::now() < end) {
                const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
                if (fd < 0) {
                    ++failed;
                    continue;
                }
                // A receive time-out so that a stuck server ends the run instead of hanging it.
                timeval tv{5, 0};
                ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
                const int one = 1;
                ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
                // Closing with a reset leaves no TIME_WAIT behind, so tens of thousands
                // of connections do not run out of loopback ports. The answer is read
                // whole before that.
                const linger reset{1, 0};
                ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
                bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                          WriteAll(fd, request) && ReadAnswer(fd) == expected;
                ::close(fd);
                ++(ok ? done : failed);
            }
        });
    }
    for (auto& t : pool)
        t.join();
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("requests=%ld failures=%ld seconds=%.2f rps=%.0f\n", done.load(), failed.load(), elapsed,
                done.load() / elapsed);
    return failed.load() > done.load() ? 1 : 0;
}
