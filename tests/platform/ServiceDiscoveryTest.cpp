#include "platform/ServiceDiscovery.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

// Collects one browse's results.
struct CBrowseResult {
    std::mutex mutex;
    std::condition_variable done;
    std::vector<CServiceDiscovery::Host> hosts;
    int finishedCalls = 0;

    void Start(CServiceDiscovery& discovery, std::chrono::milliseconds deadline) {
        discovery.Browse(
            [this](const CServiceDiscovery::Host& host) {
                std::lock_guard lock(mutex);
                hosts.push_back(host);
            },
            [this] {
                std::lock_guard lock(mutex);
                ++finishedCalls;
                done.notify_all();
            },
            deadline);
    }
    bool WaitFinished(std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex);
        return done.wait_for(lock, timeout, [this] { return finishedCalls > 0; });
    }
};

bool WaitAnnounced(CServiceDiscovery& discovery, std::chrono::milliseconds timeout) {
    const auto end = Clock::now() + timeout;
    while (Clock::now() < end) {
        const auto state = discovery.AnnounceState();
        if (state == CServiceDiscovery::EAnnounce::Announced)
            return true;
        if (state == CServiceDiscovery::EAnnounce::Failed)
            return false;
        std::this_thread::sleep_for(20ms);
    }
    return false;
}

// The daemon is reached over the system bus: pointing that at nothing gives
// the machine without a daemon, whatever runs here. libdbus reads the address
// once per process, so a process that did this cannot reach a real daemon later.
bool g_busHidden = false;

const char* HideTheBus() {
    g_busHidden = true;
    return "unix:path=/nonexistent/quillet-test-bus";
}

} // namespace

TEST(ServiceDiscoveryTest, WithoutADaemonBrowseFindsNothingAndAnnounceFailsQuietly) {
    CScopedVariable bus("DBUS_SYSTEM_BUS_ADDRESS", HideTheBus());
    CServiceDiscovery discovery;

    CBrowseResult result;
    auto start = Clock::now();
    result.Start(discovery, 5000ms);
    EXPECT_LT(Clock::now() - start, 500ms) << "Browse waited for the daemon";
    ASSERT_TRUE(result.WaitFinished(3s));
    EXPECT_TRUE(result.hosts.empty());

    start = Clock::now();
    discovery.Announce(4126);
    EXPECT_LT(Clock::now() - start, 500ms) << "Announce waited for the daemon";
    EXPECT_FALSE(WaitAnnounced(discovery, 3s));
    EXPECT_EQ(discovery.AnnounceState(), CServiceDiscovery::EAnnounce::Failed);
    discovery.Withdraw();
    EXPECT_EQ(discovery.AnnounceState(), CServiceDiscovery::EAnnounce::Off);

    // A withdrawal right after an announcement is final, even though the
    // announcement fails later on the Avahi thread.
    for (int round = 0; round < 20; ++round) {
        discovery.Announce(4126);
        discovery.Withdraw();
        for (const auto until = Clock::now() + 10ms; Clock::now() < until;)
            ASSERT_EQ(discovery.AnnounceState(), CServiceDiscovery::EAnnounce::Off) << round;
    }

    // A second browse on the same object works the same, and finishes once.
    CBrowseResult again;
    again.Start(discovery, 5000ms);
    ASSERT_TRUE(again.WaitFinished(3s));
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(again.finishedCalls, 1);
    EXPECT_EQ(result.finishedCalls, 1);
}

TEST(ServiceDiscoveryTest, CancelledBrowseStaysSilentAndDestructionIsClean) {
    CScopedVariable bus("DBUS_SYSTEM_BUS_ADDRESS", HideTheBus());
    // Without a daemon a browse finishes almost at once, so it races with the
    // cancel: finishing before CancelBrowse returns is fine, after it is not.
    std::atomic<int> lateCalls{0};
    {
        CServiceDiscovery discovery;
        for (int round = 0; round < 50; ++round) {
            auto cancelled = std::make_shared<std::atomic<bool>>(false);
            discovery.Browse([cancelled, &lateCalls](const CServiceDiscovery::Host&) { lateCalls += *cancelled; },
                             [cancelled, &lateCalls] { lateCalls += *cancelled; });
            discovery.CancelBrowse();
            *cancelled = true;
        }
        std::this_thread::sleep_for(300ms);
        CBrowseResult result;
        result.Start(discovery, 5000ms);
        // Destroyed with the browse possibly in flight.
    }
    EXPECT_EQ(lateCalls, 0);
    CServiceDiscovery unused; // never started: nothing to stop
}

// Needs a running Avahi daemon; tests/platform/avahi_roundtrip.sh starts a
// private one and sets QUILLET_TEST_AVAHI=1.
TEST(ServiceDiscoveryTest, AnnouncedServiceIsFoundByABrowse) {
    if (std::getenv("QUILLET_TEST_AVAHI") == nullptr)
        GTEST_SKIP() << "no Avahi daemon for this test (see avahi_roundtrip.sh)";
    if (g_busHidden)
        GTEST_SKIP() << "the bus was hidden earlier in this process: run this test alone";
    CServiceDiscovery server;
    server.Announce(45123);
    ASSERT_TRUE(WaitAnnounced(server, 10s));

    CServiceDiscovery search;
    CBrowseResult result;
    result.Start(search, 8000ms);
    ASSERT_TRUE(result.WaitFinished(15s));
    {
        std::lock_guard lock(result.mutex);
        bool found = false;
        for (const auto& host : result.hosts) {
            if (host.port != 45123)
                continue;
            found = true;
            EXPECT_FALSE(host.hostName.empty());
            EXPECT_FALSE(host.address.empty());
            EXPECT_FALSE(host.serviceName.empty());
        }
        EXPECT_TRUE(found) << result.hosts.size() << " services found, none on port 45123";
    }

    // Withdrawn: a new browse no longer sees it.
    server.Withdraw();
    std::this_thread::sleep_for(1500ms);
    CBrowseResult after;
    after.Start(search, 8000ms);
    ASSERT_TRUE(after.WaitFinished(15s));
    std::lock_guard lockAfter(after.mutex);
    for (const auto& host : after.hosts)
        EXPECT_NE(host.port, 45123);
}
