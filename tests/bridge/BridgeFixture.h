#pragma once

// Test doubles for the program side of the bridge: private XDG folders, an
// instance lock held by the test, and a loopback listener that keeps every
// text it receives.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// Holds the instance lock of `name` like a running program does.
class LockHolder {
public:
    explicit LockHolder(const std::string& path);
    ~LockHolder();
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;

private:
    int m_fd = -1;
};

// Accepts connections on 127.0.0.1 and reads each to its end. With `read` false
// it accepts but never reads (a program stuck in a modal prompt).
class TestListener {
public:
    explicit TestListener(bool read = true);
    ~TestListener();
    TestListener(const TestListener&) = delete;
    TestListener& operator=(const TestListener&) = delete;

    int Port() const { return m_port; }
    // The next text received, waiting at most `timeoutMs`.
    std::optional<std::string> NextText(int timeoutMs = 5000);
    // How many connections have been accepted so far.
    int Accepted() const { return m_accepted; }
    // For a listener that does not read: the error seen when finally reading
    // the first connection to its end (0 for an orderly end).
    int DrainFirstConnection();

private:
    void Run();

    int m_fd = -1;
    int m_port = 0;
    bool m_read;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_accepted{0};
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::string> m_texts;
    std::vector<int> m_unread;
    size_t m_taken = 0;
    std::thread m_thread;
};

class BridgeTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string Root() const { return m_root; }
    std::string InstanceName() const;
    std::string LockFile(const std::string& instance) const;
    std::string LockFile() const { return LockFile(InstanceName()); }
    std::string PortFile() const;
    void WritePortFile(const std::string& content) const;
    // Starts the fake program through the bridge: QUILLET_APP_PATH and its output folder.
    std::string UseFakeProgram(const std::string& mode = "serve", int delayMs = 0);
    // Waits until the fake program has written `name` into its output folder.
    std::optional<std::string> WaitForFakeFile(const std::string& name, int timeoutMs = 15000) const;
    // Kills the fake program started by the bridge, if it still runs.
    void StopFakeProgram();

private:
    std::string m_root;
    std::string m_fakeOutput;
};

std::string ReadWholeFile(const std::string& path);
// True when the test process has no child at all, not even a zombie.
bool HasNoChildren();
long MillisecondsSince(std::chrono::steady_clock::time_point start);
