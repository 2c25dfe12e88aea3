#include "core/net/SocketInputStream.h"
#include "core/net/SocketOutputStream.h"
#include "core/socket/SocketTestSupport.h"

#include <gtest/gtest.h>

#include <csignal>

using namespace sockettest;

TEST(SocketStream, SeekDoesNotStepBack) {
    Pair<> pair;
    ASSERT_TRUE(pair.Open());
    CSocketOutputStream out(pair.client.get());
    CSocketInputStream in(pair.server.get());
    ASSERT_EQ(3, out.Write("abc", 3));

    ASSERT_TRUE(WaitFor([&] { return in.Available() == 3; }));
    char byte = 0;
    ASSERT_EQ(1, in.Read(&byte, 1));
    EXPECT_EQ('a', byte);
    EXPECT_EQ(0, in.Seek(-1, 1));
    ASSERT_EQ(1, in.Read(&byte, 1));
    EXPECT_EQ('b', byte);
    EXPECT_EQ(1, in.Available());
}

TEST(SocketStream, PeerCloseReadsAsZeroAndClosedSocketAsMinusOne) {
    Pair<> pair;
    ASSERT_TRUE(pair.Open());
    CSocketInputStream in(pair.server.get());
    ASSERT_EQ(2, pair.client->Send("hi", 2));
    pair.client->Close();
    char buffer[8];
    EXPECT_EQ(2, in.Read(buffer, sizeof buffer));
    EXPECT_EQ(0, in.Read(buffer, sizeof buffer));
    EXPECT_EQ(0, in.Available());

    pair.server->Close();
    EXPECT_EQ(-1, in.Read(buffer, sizeof buffer));
    EXPECT_EQ(-1, in.Available());
    EXPECT_TRUE(pair.client.use_count() > 0); // the streams own nothing
}

TEST(SocketStream, WriteToClosedPeerFailsWithoutSigpipe) {
    // Default disposition: a SIGPIPE would end this test program.
    const auto previous = std::signal(SIGPIPE, SIG_DFL);
    Pair<> pair;
    ASSERT_TRUE(pair.Open());
    CSocketOutputStream out(pair.client.get());
    pair.server->Close();
    // The first writes may still be accepted before the reset comes back.
    int result = 0;
    EXPECT_TRUE(WaitFor([&] { return (result = out.Write("data", 4)) < 0; }));
    EXPECT_EQ(-1, result);
    std::signal(SIGPIPE, previous);
}
