#include "core/net/Thread.h"
#include "core/socket/SocketTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>

using namespace sockettest;

namespace {

class CGatedThread : public CThread {
public:
    int Run() override {
        ++m_runs;
        m_waitFromInside = Wait();
        m_startFromInside = Start();
        m_gate.Pass();
        return 40 + m_runs;
    }
    void OnExit(int code) override {
        m_exitCode = code;
        m_exitOnOwnThread = IsCurrentThread();
    }

    Gate m_gate;
    std::atomic<int> m_runs{0};
    std::atomic<int> m_exitCode{0};
    std::atomic<int> m_waitFromInside{0};
    std::atomic<bool> m_startFromInside{true};
    std::atomic<bool> m_exitOnOwnThread{false};
};

class CSelfDeletingThread : public CThread {
public:
    explicit CSelfDeletingThread(std::atomic<bool>& deleted) : m_deleted(deleted) {}
    ~CSelfDeletingThread() override { m_deleted = true; }
    int Run() override { return 0; }

private:
    std::atomic<bool>& m_deleted;
};

} // namespace

TEST(Thread, StartRunsOnceAndWaitReturnsTheExitCode) {
    CGatedThread thread;
    ASSERT_TRUE(thread.Start());
    EXPECT_TRUE(thread.Start()); // still running: nothing new
    EXPECT_TRUE(thread.IsRunning());
    thread.m_gate.Open();
    EXPECT_EQ(41, thread.Wait());
    EXPECT_EQ(1, thread.m_runs);
    EXPECT_EQ(41, thread.m_exitCode);
    EXPECT_TRUE(thread.m_exitOnOwnThread);
    EXPECT_EQ(-1, thread.m_waitFromInside);
    EXPECT_FALSE(thread.m_startFromInside);
    EXPECT_FALSE(thread.IsRunning());

    ASSERT_TRUE(thread.Start()); // a finished thread can run again
    EXPECT_EQ(42, thread.Wait());
    EXPECT_EQ(42, thread.Wait()); // nothing left to join: the last code
}

TEST(Thread, AutoDeleteFreesTheObject) {
    std::atomic<bool> deleted{false};
    auto* thread = new CSelfDeletingThread(deleted);
    thread->SetAutoDelete(true);
    ASSERT_TRUE(thread->Start());
    EXPECT_TRUE(WaitFor([&] { return deleted.load(); }));
}
