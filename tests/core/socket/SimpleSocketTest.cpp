#include "core/net/SimpleAsyncSocket.h"
#include "core/net/SelectThread.h"
#include "core/socket/SocketTestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <netdb.h>
#include <sys/ioctl.h>
#include <sys/un.h>

using namespace sockettest;

class SimpleSocketFamily : public ::testing::TestWithParam<int> {};

TEST_P(SimpleSocketFamily, EchoesAndReportsBothEnds) {
    const int family = GetParam();
    const std::string loopback = family == AF_INET ? "127.0.0.1" : "::1";
    CSimpleSocket listener;
    int listenPort = 0;
    ASSERT_TRUE(Listen(listener, family, listenPort)) << "errno " << listener.GetLastError();
    CSimpleSocket client, server;
    ASSERT_TRUE(Connect(client, family, listenPort));
    ASSERT_TRUE(listener.Accept(server));
    EXPECT_EQ(listener.GetSocketType(), server.GetSocketType());

    EXPECT_EQ(5, client.Send("hello", 5));
    char buffer[16] = {};
    ASSERT_EQ(5, server.Receive(buffer, sizeof buffer));
    EXPECT_EQ(5, server.Send(buffer, 5));
    char echo[16] = {};
    ASSERT_EQ(5, client.Receive(echo, sizeof echo));
    EXPECT_STREQ("hello", echo);

    std::string address;
    int port = 0, clientPort = 0;
    ASSERT_TRUE(server.GetSockName(address, port));
    EXPECT_EQ(loopback, address);
    EXPECT_EQ(listenPort, port);
    ASSERT_TRUE(client.GetSockName(address, clientPort));
    ASSERT_TRUE(server.GetPeerName(address, port));
    EXPECT_EQ(loopback, address);
    EXPECT_EQ(clientPort, port);

    client.Close();
    EXPECT_EQ(0, server.Receive(buffer, sizeof buffer)); // orderly close
}

INSTANTIATE_TEST_SUITE_P(Loopback, SimpleSocketFamily, ::testing::Values(AF_INET, AF_INET6));

TEST(SimpleSocket, AddressTextDropsScopeAndUnmapsIPv4) {
    sockaddr_in6 v6{};
    v6.sin6_family = AF_INET6;
    v6.sin6_port = htons(4126);
    ASSERT_EQ(1, inet_pton(AF_INET6, "fe80::1", &v6.sin6_addr));
    v6.sin6_scope_id = 1; // the loopback interface exists everywhere
    std::string text;
    int port = 0;
    ASSERT_TRUE(CSimpleSocket::AddressText(reinterpret_cast<sockaddr*>(&v6), text, port));
    EXPECT_EQ("fe80::1", text);
    EXPECT_EQ(4126, port);

    ASSERT_EQ(1, inet_pton(AF_INET6, "::ffff:10.1.2.3", &v6.sin6_addr));
    v6.sin6_scope_id = 0;
    ASSERT_TRUE(CSimpleSocket::AddressText(reinterpret_cast<sockaddr*>(&v6), text, port));
    EXPECT_EQ("10.1.2.3", text);
    EXPECT_EQ(4126, port);

    sockaddr_un local{};
    local.sun_family = AF_UNIX;
    EXPECT_FALSE(CSimpleSocket::AddressText(reinterpret_cast<sockaddr*>(&local), text, port));
    EXPECT_FALSE(CSimpleSocket::AddressText(nullptr, text, port));
}

TEST(SimpleSocket, ClosedSocketRefusesEverythingAndClosesOnce) {
    Pair<> pair;
    ASSERT_TRUE(pair.Open());
    EXPECT_EQ(0, pair.server->Close());
    EXPECT_FALSE(pair.server->IsOpen());
    EXPECT_EQ(0, pair.server->Close());
    char byte = 0;
    EXPECT_EQ(-1, pair.server->Receive(&byte, 1));
    EXPECT_EQ(EBADF, pair.server->GetLastError());
    EXPECT_EQ(-1, pair.server->Send("x", 1));
    int count = 0;
    EXPECT_FALSE(pair.server->IOCtl(FIONREAD, &count));
    std::string address;
    int port = 0;
    EXPECT_FALSE(pair.server->GetPeerName(address, port));
    EXPECT_FALSE(pair.server->SetInterest(CSimpleSocket::kInterestRead));
    EXPECT_EQ(0, pair.client->Receive(&byte, 1)); // the peer saw the close
}

TEST(SimpleSocket, ReceiveDeadlineBoundsASilentPeer) {
    Pair<> pair;
    ASSERT_TRUE(pair.Open());
    char buffer[8];
    const auto start = std::chrono::steady_clock::now();
    pair.server->SetReceiveDeadline(start + std::chrono::milliseconds(100));
    EXPECT_EQ(-1, pair.server->Receive(buffer, sizeof buffer));
    EXPECT_EQ(ETIMEDOUT, pair.server->GetLastError());
    EXPECT_LT(std::chrono::steady_clock::now() - start, kPromptly);

    // Data that arrives before the deadline is read; a cleared deadline waits.
    ASSERT_EQ(2, pair.client->Send("ok", 2));
    pair.server->SetReceiveDeadline(std::chrono::steady_clock::now() + std::chrono::seconds(30));
    EXPECT_EQ(2, pair.server->Receive(buffer, sizeof buffer));
    pair.server->ClearReceiveDeadline();
    std::thread late([&] { pair.client->Send("z", 1); });
    EXPECT_EQ(1, pair.server->Receive(buffer, sizeof buffer));
    late.join();
}

TEST(SimpleSocket, CloseFromAnotherThreadUnblocksReceive) {
    Pair<> pair;
    ASSERT_TRUE(pair.Open());
    std::atomic<int> result{1};
    std::atomic<bool> done{false};
    std::thread reader([&] {
        char buffer[8];
        result = pair.server->Receive(buffer, sizeof buffer);
        done = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20)); // let it block (not required for the check)
    EXPECT_EQ(0, pair.server->Close());
    EXPECT_TRUE(WaitFor([&] { return done.load(); }));
    reader.join();
    EXPECT_LE(result.load(), 0);
    EXPECT_FALSE(pair.server->IsOpen());
}

TEST(SimpleSocket, ConnectByNameUsesTheFirstAddress) {
    CSimpleSocket listener;
    int port = 0;
    ASSERT_TRUE(Listen(listener, AF_INET, port));
    CSimpleSocket client, server;
    ASSERT_TRUE(client.ConnectByName("127.0.0.1", port));
    EXPECT_EQ(AF_INET, client.GetFamily());
    ASSERT_TRUE(listener.Accept(server));
    listener.Close();
    CSimpleSocket refused;
    EXPECT_FALSE(refused.ConnectByName("127.0.0.1", port));
    EXPECT_EQ(ECONNREFUSED, refused.GetLastError());
}

class CreateListenerTest : public ::testing::Test {
protected:
    void TearDown() override { CSelectThread::Instance().Stop(); }
};

TEST_F(CreateListenerTest, BindsMulticastToAnyAndRegisters) {
    auto v4 = std::make_shared<CSimpleAsyncSocket>();
    ASSERT_TRUE(v4->CreateListener(0, SOCK_STREAM, 0, AF_INET, "224.0.0.1")) << v4->GetLastError();
    std::string address;
    int port = 0;
    ASSERT_TRUE(v4->GetSockName(address, port));
    EXPECT_EQ("0.0.0.0", address);
    EXPECT_NE(0, port);
    EXPECT_TRUE(CSelectThread::Instance().IsRegistered(v4.get()));

    auto v6 = std::make_shared<CSimpleAsyncSocket>();
    ASSERT_TRUE(v6->CreateListener(0, SOCK_STREAM, 0, AF_INET6, "ff02::1")) << v6->GetLastError();
    ASSERT_TRUE(v6->GetSockName(address, port));
    EXPECT_EQ("::", address);

    v4->Close();
    EXPECT_FALSE(CSelectThread::Instance().IsRegistered(v4.get()));
    EXPECT_TRUE(CSelectThread::Instance().IsRegistered(v6.get()));
}

TEST_F(CreateListenerTest, FailureClosesAndKeepsTheResolverError) {
    auto listener = std::make_shared<CSimpleAsyncSocket>();
    EXPECT_FALSE(listener->CreateListener(0, SOCK_STREAM, 0, AF_INET, "::1")); // no IPv4 address for it
    EXPECT_FALSE(listener->IsOpen());
    EXPECT_LT(listener->GetLastError(), 0);
    EXPECT_FALSE(CSelectThread::Instance().IsRegistered(listener.get()));

    CSimpleAsyncSocket unowned; // registering needs shared ownership
    EXPECT_FALSE(unowned.CreateListener(0, SOCK_STREAM, 0, AF_INET, "127.0.0.1"));
    EXPECT_FALSE(unowned.IsOpen());
}
