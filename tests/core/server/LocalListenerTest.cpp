#include "core/net/LocalListener.h"

#include "core/net/InboundSlot.h"
#include "core/server/ServerTestSupport.h"
#include "core/store/PropParser.h"
#include "core/stream/DataFiles.h"

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <thread>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace servertest;

namespace {

class LocalListenerTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/quillet-local-XXXXXX";
        ASSERT_NE(nullptr, ::mkdtemp(pattern));
        m_root = pattern;
        m_slot.SetNotify([this] {
            CInboundSlot::Item item;
            if (m_slot.Take(item)) {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_items.push_back(std::move(item));
            }
        });
    }
    void TearDown() override {
        m_listener.reset();
        m_slot.Shutdown();
        std::filesystem::remove_all(m_root);
    }
    std::vector<CInboundSlot::Item> Items() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_items;
    }
    // Connects, sends, closes: what the bridge does.
    void Deliver(const std::string& bytes) {
        CClient client;
        ASSERT_TRUE(client.Open(AF_INET, m_listener->GetPort()));
        ASSERT_TRUE(client.SendRaw(bytes));
        client.m_socket->Close();
    }

    std::string m_root;
    CInboundSlot m_slot;
    std::unique_ptr<CLocalListener> m_listener;
    std::mutex m_mutex;
    std::vector<CInboundSlot::Item> m_items;
};

} // namespace

TEST_F(LocalListenerTest, PublishesItsLoopbackPortAndRoutesByPrefix) {
    const std::string file = m_root + "/config/Quillet/localport.ini";
    m_listener = std::make_unique<CLocalListener>(m_slot);
    ASSERT_TRUE(m_listener->CreateLocalListener(file));

    std::string contents;
    ASSERT_TRUE(ReadWholeFile(file, contents));
    EXPECT_EQ(std::to_string(m_listener->GetPort()), contents);
    struct stat info {};
    ASSERT_EQ(0, ::stat((m_root + "/config/Quillet").c_str(), &info));
    EXPECT_EQ(0700u, info.st_mode & 0777);

    // Not reachable from the network: bound to loopback only.
    CClient probe;
    ASSERT_TRUE(probe.Open(AF_INET, m_listener->GetPort()));
    std::string address;
    int port = 0;
    ASSERT_TRUE(probe.m_socket->GetPeerName(address, port));
    EXPECT_EQ("127.0.0.1", address);
    probe.m_socket->Close(); // a bare probe makes no note

    const std::string note = std::string(kPropertyDocumentPrefix) + "\r\n</Quillet>\r\n";
    Deliver(note);
    ASSERT_TRUE(sockettest::WaitFor([&] { return Items().size() == 1; }));
    Deliver(std::string(kPropertyDocumentPrefix).substr(0, 32) + " plain after all");
    ASSERT_TRUE(sockettest::WaitFor([&] { return Items().size() == 2; }));
    const std::string big(300 * 1024, 'x');
    Deliver(big);
    ASSERT_TRUE(sockettest::WaitFor([&] { return Items().size() == 3; }));

    const auto items = Items();
    EXPECT_EQ(note, items[0].Bytes);
    EXPECT_EQ(CInboundSlot::kNoteDocument, items[0].Command);
    EXPECT_EQ(CInboundSlot::kPlainText, items[1].Command);
    EXPECT_EQ(big, items[2].Bytes);
    EXPECT_EQ(CInboundSlot::kPlainText, items[2].Command);

    // A new listener gets a new port and rewrites the file.
    const int old = m_listener->GetPort();
    ASSERT_TRUE(m_listener->CreateLocalListener(file));
    ASSERT_TRUE(ReadWholeFile(file, contents));
    EXPECT_EQ(std::to_string(m_listener->GetPort()), contents);
    CClient stale;
    EXPECT_TRUE(old == m_listener->GetPort() || !stale.Open(AF_INET, old));
}

TEST_F(LocalListenerTest, DropsOversizedAndUnfinishedConnections) {
    CLocalListener::Options options;
    options.MaxBytes = 100;
    options.ReadDeadline = std::chrono::milliseconds(500);
    m_listener = std::make_unique<CLocalListener>(m_slot, options);
    ASSERT_TRUE(m_listener->CreateLocalListener(m_root + "/localport.ini"));

    Deliver(std::string(101, 'y'));
    CClient silent;
    ASSERT_TRUE(silent.Open(AF_INET, m_listener->GetPort()));
    ASSERT_TRUE(silent.SendRaw("never finished"));
    EXPECT_TRUE(silent.ClosedWithin(std::chrono::seconds(3)));
    Deliver(std::string(100, 'z'));
    ASSERT_TRUE(sockettest::WaitFor([&] { return Items().size() == 1; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_EQ(1u, Items().size());
    EXPECT_EQ(std::string(100, 'z'), Items()[0].Bytes);
}

// Another account's process delivers nothing. As root (CI), a real client
// runs as "nobody"; otherwise this process stands in for another user.
TEST_F(LocalListenerTest, ClosesOtherUsersConnectionsUnread) {
    CLocalListener::Options options;
    const bool root = ::geteuid() == 0;
    if (!root)
        options.Owner = ::geteuid() + 1;
    m_listener = std::make_unique<CLocalListener>(m_slot, options);
    ASSERT_TRUE(m_listener->CreateLocalListener(m_root + "/localport.ini"));
    const int port = m_listener->GetPort();
    if (root) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const passwd* nobody = ::getpwnam("nobody");
            if (nobody == nullptr || ::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0)
                ::_exit(2);
            CClient stranger;
            const bool closedUnread = stranger.Open(AF_INET, port) && stranger.SendRaw("not for this user") &&
                                      stranger.ClosedWithin(std::chrono::seconds(2));
            ::_exit(closedUnread ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(child, ::waitpid(child, &status, 0));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    } else {
        Deliver("not for this user");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_TRUE(Items().empty());
    if (root) {
        Deliver("from this user");
        ASSERT_TRUE(sockettest::WaitFor([&] { return Items().size() == 1; }));
    }
}

TEST_F(LocalListenerTest, FailsWithoutAWritablePortFile) {
    WriteFileAtomically(m_root + "/file", "x", 0600);
    m_listener = std::make_unique<CLocalListener>(m_slot);
    // The folder of the port file cannot exist: a file stands in its place.
    EXPECT_FALSE(m_listener->CreateLocalListener(m_root + "/file/localport.ini"));
    EXPECT_FALSE(m_listener->IsListening());
}
