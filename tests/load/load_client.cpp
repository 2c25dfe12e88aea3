// Load generator for the note protocol: many clients at once, each doing a
// fixed mix of deliveries, list requests and note fetches over loopback,
// while hostile peers (a slow-loris, a silent one, an endless header line)
// hold connections open. Prints one summary line per figure and exits 1 when
// any request failed or took longer than allowed.
//
// Plain POSIX sockets on purpose: the client must not share code with the
// server it checks.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <regex>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
    int Port = 0;
    int Clients = 50;
    int Requests = 200;
    int PutsPerClient = 20;
    int MaxMilliseconds = 10000;
    std::string Marker = "load";
    bool Hostile = true;
};

int Connect(int port, int timeoutSeconds) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return -1;
    timeval timeout{timeoutSeconds, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

bool SendAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// One request on its own connection; the whole answer (the server closes).
bool Exchange(int port, const std::string& request, std::string& answer) {
    answer.clear();
    const int fd = Connect(port, 30);
    if (fd < 0) {
        answer = std::string("connect: ") + std::strerror(errno);
        return false;
    }
    bool ok = SendAll(fd, request);
    if (ok) {
        shutdown(fd, SHUT_WR);
        char buffer[8192];
        ssize_t n;
        while ((n = recv(fd, buffer, sizeof buffer, 0)) > 0)
            answer.append(buffer, static_cast<size_t>(n));
        ok = n == 0;
        if (!ok)
            answer += std::string(" [receive: ") + std::strerror(errno) + "]";
    } else {
        answer = std::string("send: ") + std::strerror(errno);
    }
    close(fd);
    return ok;
}

std::string Put(const std::string& text) {
    return "PUT /Message HTTP/1.0\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(text.size()) +
           "\r\n\r\n" + text;
}

std::string Get(const std::string& path) {
    return "GET " + path + " HTTP/1.0\r\n\r\n";
}

bool IsOk(const std::string& answer) {
    return answer.rfind("HTTP/1.0 200", 0) == 0 || answer.rfind("HTTP/1.1 200", 0) == 0;
}

struct Totals {
    std::atomic<int> Sent{0};
    std::atomic<int> Failed{0};
    std::atomic<int> PutsAccepted{0};
    std::atomic<long> SlowestMs{0};
    std::mutex Mutex;
    std::vector<std::string> Failures; // the first few, for the log
};

void Note(Totals& totals, const std::string& what) {
    ++totals.Failed;
    std::lock_guard<std::mutex> lock(totals.Mutex);
    if (totals.Failures.size() < 12)
        totals.Failures.push_back(what);
}

void RunClient(const Options& options, int client, Totals& totals) {
    static const std::regex kId("ID=\"(-?[0-9]+)\"");
    std::string noteId = "1";
    std::string answer;
    for (int i = 0; i < options.Requests; ++i) {
        std::string request;
        bool isPut = false;
        if (i < options.PutsPerClient) {
            request = Put(options.Marker + "-" + std::to_string(client) + "-" + std::to_string(i));
            isPut = true;
        } else if (i % 2 == 0) {
            request = Get("/List");
        } else {
            request = Get("/Message/" + noteId);
        }
        const auto start = Clock::now();
        const bool exchanged = Exchange(options.Port, request, answer);
        const long ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        long slowest = totals.SlowestMs.load();
        while (ms > slowest && !totals.SlowestMs.compare_exchange_weak(slowest, ms)) {
        }
        ++totals.Sent;
        if (!exchanged || !IsOk(answer)) {
            Note(totals, request.substr(0, request.find('\r')) + " -> " + answer.substr(0, answer.find('\r')));
            continue;
        }
        if (isPut)
            ++totals.PutsAccepted;
        std::smatch match;
        if (request.rfind("GET /List", 0) == 0 && std::regex_search(answer, match, kId))
            noteId = match[1];
    }
}

// Peers that try to hold the server up; they run until told to stop.
void RunHostile(int port, int kind, const std::atomic<bool>& stop) {
    while (!stop) {
        const int fd = Connect(port, 2);
        if (fd < 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            continue;
        }
        if (kind == 0) {
            // Slow-loris: a valid request, one byte a second.
            const std::string request = Put(std::string(64, 'x'));
            for (size_t i = 0; i < request.size() && !stop; ++i) {
                if (!SendAll(fd, request.substr(i, 1)))
                    break;
                for (int t = 0; t < 10 && !stop; ++t)
                    std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
        } else if (kind == 1) {
            // Connects and never sends.
            char byte;
            while (!stop && recv(fd, &byte, 1, 0) < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            }
        } else {
            // One endless header line.
            const std::string chunk(4096, 'a');
            SendAll(fd, "GET /List HTTP/1.0\r\nX-Long: ");
            while (!stop && SendAll(fd, chunk)) {
            }
        }
        close(fd);
    }
}

bool ParseArguments(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (argument == "--no-hostile") {
            options.Hostile = false;
            continue;
        }
        if (value == nullptr)
            return false;
        ++i;
        if (argument == "--port")
            options.Port = std::atoi(value);
        else if (argument == "--clients")
            options.Clients = std::atoi(value);
        else if (argument == "--requests")
            options.Requests = std::atoi(value);
        else if (argument == "--puts")
            options.PutsPerClient = std::atoi(value);
        else if (argument == "--max-ms")
            options.MaxMilliseconds = std::atoi(value);
        else if (argument == "--marker")
            options.Marker = value;
        else
            return false;
    }
    return options.Port > 0 && options.Clients > 0 && options.Requests > 0;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseArguments(argc, argv, options)) {
        std::fprintf(stderr, "usage: load_client --port N [--clients N] [--requests N] [--puts N] [--max-ms N] "
                             "[--marker TEXT] [--no-hostile]\n");
        return 2;
    }
    Totals totals;
    std::atomic<bool> stop{false};
    std::vector<std::thread> hostile;
    if (options.Hostile) {
        for (int kind = 0; kind < 3; ++kind)
            hostile.emplace_back(RunHostile, options.Port, kind, std::cref(stop));
        // Let them take their connections first.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    const auto start = Clock::now();
    std::vector<std::thread> clients;
    for (int c = 0; c < options.Clients; ++c)
        clients.emplace_back(RunClient, std::cref(options), c, std::ref(totals));
    for (std::thread& client : clients)
        client.join();
    const long elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    stop = true;
    for (std::thread& peer : hostile)
        peer.join();

    std::printf("requests %d\nfailed %d\nputs_accepted %d\nslowest_ms %ld\nelapsed_ms %ld\n", totals.Sent.load(),
                totals.Failed.load(), totals.PutsAccepted.load(), totals.SlowestMs.load(), elapsed);
    for (const std::string& failure : totals.Failures)
        std::printf("failure: %s\n", failure.c_str());
    const bool ok = totals.Failed == 0 && totals.SlowestMs <= options.MaxMilliseconds;
    return ok ? 0 : 1;
}
