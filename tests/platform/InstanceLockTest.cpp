#include "platform/InstanceLock.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class InstanceLockTest : public ::testing::Test {
protected:
    CTempFolder m_runtime;
    CScopedVariable m_runtimeVariable{"XDG_RUNTIME_DIR", m_runtime.Path()};
    CScopedVariable m_nameVariable{CInstanceLock::kNameVariable, "alice"};
};

TEST_F(InstanceLockTest, LockFileIsPrivateAndLivesInTheRuntimeFolder) {
    CInstanceLock lock;
    EXPECT_EQ(lock.Path(), m_runtime / "h_Pinlet_PrevInstance_alice");
    ASSERT_TRUE(lock.TryAcquire());
    struct stat info {};
    ASSERT_EQ(stat(lock.Path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(info.st_uid, geteuid());

    // A name from the environment cannot walk out of the folder.
    CScopedVariable sneaky(CInstanceLock::kNameVariable, "../../etc/x");
    EXPECT_EQ(CInstanceLock::LockPath(), m_runtime / "h_Pinlet_PrevInstance_.._.._etc_x");

    CScopedVariable noRuntime("XDG_RUNTIME_DIR", std::nullopt);
    EXPECT_EQ(CInstanceLock::LockPath().rfind("/tmp/h_Pinlet_PrevInstance_", 0), 0u);
}

TEST_F(InstanceLockTest, SecondInstanceOfTheSameUserGivesUpAfterItsRetryWindow) {
    CInstanceLock first;
    ASSERT_TRUE(first.TryAcquire());

    CInstanceLock second;
    const auto start = Clock::now();
    EXPECT_FALSE(second.TryAcquire(200ms));
    EXPECT_GE(Clock::now() - start, 200ms);
    EXPECT_EQ(second.State(), CInstanceLock::EState::Busy);
    EXPECT_EQ(first.State(), CInstanceLock::EState::Acquired);

    // Another user's instance is not in the way.
    CScopedVariable bob(CInstanceLock::kNameVariable, "bob");
    CInstanceLock other;
    EXPECT_TRUE(other.TryAcquire(0ms));

    // Once the first one ends, a new start gets it.
    first.Release();
    CScopedVariable alice(CInstanceLock::kNameVariable, "alice");
    EXPECT_TRUE(second.TryAcquire(0ms));
}

TEST_F(InstanceLockTest, ProbeTellsWhetherHeldWithoutDisturbingTheLock) {
    EXPECT_FALSE(CInstanceLock::IsHeld());
    EXPECT_FALSE(access(CInstanceLock::LockPath().c_str(), F_OK) == 0) << "a probe must not create the file";

    CInstanceLock holder;
    ASSERT_TRUE(holder.TryAcquire());
    EXPECT_TRUE(CInstanceLock::IsHeld());
    EXPECT_TRUE(CInstanceLock::IsHeld());
    CInstanceLock intruder;
    EXPECT_FALSE(intruder.TryAcquire(0ms)) << "the probe left the lock taken";

    holder.Release();
    EXPECT_FALSE(CInstanceLock::IsHeld());
    // The probe released its shared lock: a start right after it succeeds at once.
    CInstanceLock next;
    EXPECT_TRUE(next.TryAcquire(0ms));
}

TEST_F(InstanceLockTest, StartWaitsOutABridgeProbeInsteadOfGivingUp) {
    // The bridge's probe holds a shared lock; a start that meets it must retry.
    const std::string path = CInstanceLock::LockPath();
    const int probe = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(probe, 0);
    ASSERT_EQ(flock(probe, LOCK_SH | LOCK_NB), 0);
    std::thread release([probe] {
        std::this_thread::sleep_for(150ms);
        flock(probe, LOCK_UN);
    });
    CInstanceLock lock;
    EXPECT_TRUE(lock.TryAcquire(2000ms));
    release.join();
    close(probe);
}

TEST_F(InstanceLockTest, PlantedSymlinkIsRefused) {
    const std::string target = m_runtime / "victim";
    ASSERT_EQ(symlink(target.c_str(), CInstanceLock::LockPath().c_str()), 0);

    CInstanceLock lock;
    EXPECT_FALSE(lock.TryAcquire(0ms));
    EXPECT_EQ(lock.State(), CInstanceLock::EState::Refused);
    EXPECT_NE(access(target.c_str(), F_OK), 0) << "the link was followed";
    EXPECT_FALSE(CInstanceLock::IsHeld());

    // A folder in its place is refused as well.
    CScopedVariable other(CInstanceLock::kNameVariable, "carol");
    ASSERT_EQ(mkdir(CInstanceLock::LockPath().c_str(), 0700), 0);
    CInstanceLock folder;
    EXPECT_FALSE(folder.TryAcquire(0ms));
    EXPECT_EQ(folder.State(), CInstanceLock::EState::Refused);

    // So is a file that someone else created first (only root can set that up here).
    if (geteuid() == 0) {
        CScopedVariable foreign(CInstanceLock::kNameVariable, "dave");
        const int fd = open(CInstanceLock::LockPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(fchown(fd, 65534, 65534), 0);
        close(fd);
        CInstanceLock planted;
        EXPECT_FALSE(planted.TryAcquire(0ms));
        EXPECT_EQ(planted.State(), CInstanceLock::EState::Refused);
    }
}
