#include "BridgeFixture.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <ftw.h>
#include <netinet/in.h>
#include <poll.h>
#include <sstream>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

LockHolder::LockHolder(const std::string& path) {
    m_fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    EXPECT_GE(m_fd, 0) << path;
    EXPECT_EQ(flock(m_fd, LOCK_EX | LOCK_NB), 0);
}

LockHolder::~LockHolder() {
    if (m_fd >= 0)
        close(m_fd);
}

TestListener::TestListener(bool read) : m_read(read) {
    m_fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    EXPECT_EQ(bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(listen(m_fd, 5), 0);
    EXPECT_EQ(getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length), 0);
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { Run(); });
}

TestListener::~TestListener() {
    m_stop = true;
    m_thread.join();
    close(m_fd);
    for (int fd : m_unread)
        close(fd);
}

void TestListener::Run() {
    while (!m_stop) {
        pollfd waiting{m_fd, POLLIN, 0};
        if (poll(&waiting, 1, 20) != 1)
            continue;
        const int connection = accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0)
            continue;
        ++m_accepted;
        if (!m_read) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_unread.push_back(connection);
            continue;
        }
        std::string text;
        char buffer[65536];
        for (;;) {
            const ssize_t got = recv(connection, buffer, sizeof buffer, 0);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            text.append(buffer, static_cast<size_t>(got));
        }
        close(connection);
        std::lock_guard<std::mutex> lock(m_mutex);
        m_texts.push_back(std::move(text));
        m_changed.notify_all();
    }
}

std::optional<std::string> TestListener::NextText(int timeoutMs) {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_texts.size() > m_taken; }))
        return std::nullopt;
    return m_texts[m_taken++];
}

int TestListener::DrainFirstConnection() {
    int connection;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_unread.empty())
            return -1;
        connection = m_unread.front();
    }
    char buffer[65536];
    for (;;) {
        const ssize_t got = recv(connection, buffer, sizeof buffer, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return errno;
        if (got == 0)
            return 0;
    }
}

void BridgeTest::SetUp() {
    char pattern[] = "/tmp/quilletfire-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    m_root = pattern;
    m_fakeOutput = m_root + "/fake";
    ASSERT_EQ(mkdir((m_root + "/config").c_str(), 0700), 0);
    ASSERT_EQ(mkdir((m_root + "/runtime").c_str(), 0700), 0);
    ASSERT_EQ(mkdir(m_fakeOutput.c_str(), 0700), 0);
    setenv("HOME", m_root.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (m_root + "/config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (m_root + "/runtime").c_str(), 1);
    setenv("QUILLET_INSTANCE_NAME", ("tester-" + std::to_string(getpid())).c_str(), 1);
    // Never start whatever quillet may be installed on the machine.
    setenv("QUILLET_APP_PATH", (m_root + "/no-such-program").c_str(), 1);
    setenv("QUILLET_FAKE_OUTPUT", m_fakeOutput.c_str(), 1);
    unsetenv("QUILLETFIRE_START_TIMEOUT_MS");
    unsetenv("QUILLET_FAKE_MODE");
    unsetenv("QUILLET_FAKE_DELAY_MS");
}

void BridgeTest::TearDown() {
    StopFakeProgram();
    nftw(
        m_root.c_str(), [](const char* path, const struct stat*, int, FTW*) { return remove(path); }, 16,
        FTW_DEPTH | FTW_PHYS);
}

std::string BridgeTest::InstanceName() const {
    return std::getenv("QUILLET_INSTANCE_NAME");
}

std::string BridgeTest::LockFile(const std::string& instance) const {
    return m_root + "/runtime/h_Pinlet_PrevInstance_" + instance;
}

std::string BridgeTest::PortFile() const {
    return m_root + "/config/Quillet/localport.ini";
}

void BridgeTest::WritePortFile(const std::string& content) const {
    mkdir((m_root + "/config/Quillet").c_str(), 0700);
    std::ofstream(PortFile(), std::ios::binary | std::ios::trunc) << content;
}

std::string BridgeTest::UseFakeProgram(const std::string& mode, int delayMs) {
    setenv("QUILLET_APP_PATH", QUILLET_FAKE_PROGRAM, 1);
    setenv("QUILLET_FAKE_MODE", mode.c_str(), 1);
    setenv("QUILLET_FAKE_DELAY_MS", std::to_string(delayMs).c_str(), 1);
    return QUILLET_FAKE_PROGRAM;
}

std::optional<std::string> BridgeTest::WaitForFakeFile(const std::string& name, int timeoutMs) const {
    const auto start = std::chrono::steady_clock::now();
    const std::string path = m_fakeOutput + "/" + name;
    while (MillisecondsSince(start) < timeoutMs) {
        if (access(path.c_str(), F_OK) == 0)
            return ReadWholeFile(path);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return std::nullopt;
}

void BridgeTest::StopFakeProgram() {
    const std::string pid = ReadWholeFile(m_fakeOutput + "/pid");
    if (pid.empty())
        return;
    // Only that process, and only while it is still the fake program.
    char target[4096];
    const ssize_t length = readlink(("/proc/" + pid + "/exe").c_str(), target, sizeof target);
    if (length > 0 && std::string(target, static_cast<size_t>(length)) == QUILLET_FAKE_PROGRAM)
        kill(static_cast<pid_t>(std::atol(pid.c_str())), SIGKILL);
    unlink((m_fakeOutput + "/pid").c_str());
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool HasNoChildren() {
    int status = 0;
    return waitpid(-1, &status, WNOHANG) < 0 && errno == ECHILD;
}

long MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
}
