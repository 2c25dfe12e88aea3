#include "core/net/SelectThread.h"
#include "core/net/SimpleAsyncSocket.h"
#include "core/socket/SocketTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <stdexcept>
#include <vector>

using namespace sockettest;

namespace {

// A session whose OnRead runs a test-supplied function.
class CProbeSocket : public CSimpleSocket {
public:
    ~CProbeSocket() override {
        if (m_destroyed)
            *m_destroyed = true;
    }
    void OnRead() override {
        ++m_calls;
        if (m_onRead)
            m_onRead(*this);
    }
    // Reads whatever is waiting; -1/0 when the connection ended.
    int Drain() {
        char buffer[4096];
        return Receive(buffer, sizeof buffer);
    }

    std::function<void(CProbeSocket&)> m_onRead;
    std::atomic<int> m_calls{0};
    std::atomic<bool>* m_destroyed = nullptr;
};

class SelectThreadTest : public ::testing::Test {
protected:
    CSelectThread& Select() { return CSelectThread::Instance(); }
    void TearDown() override {
        EXPECT_TRUE(Select().Stop());
        EXPECT_FALSE(Select().IsActive());
    }
};

} // namespace

TEST_F(SelectThreadTest, CallsBackAndWakesAtOnceForNewSockets) {
    Pair<CProbeSocket> first, second;
    ASSERT_TRUE(first.Open());
    ASSERT_TRUE(second.Open());
    first.server->m_onRead = [](CProbeSocket& s) { s.Drain(); };
    second.server->m_onRead = [](CProbeSocket& s) { s.Drain(); };

    ASSERT_TRUE(first.server->SetInterest(CSimpleSocket::kInterestRead));
    EXPECT_TRUE(Select().IsActive());
    ASSERT_EQ(1, first.client->Send("a", 1));
    ASSERT_TRUE(WaitFor([&] { return first.server->m_calls == 1; }));

    // The poll thread now sleeps with no time-out: only the wake-up can make
    // it see the second socket.
    ASSERT_TRUE(second.server->SetInterest(CSimpleSocket::kInterestRead));
    ASSERT_TRUE(second.server->SetInterest(CSimpleSocket::kInterestRead));
    EXPECT_EQ(2, Select().RegisteredCount());
    ASSERT_EQ(1, second.client->Send("b", 1));
    EXPECT_TRUE(WaitFor([&] { return second.server->m_calls == 1; }));
    EXPECT_EQ(1, first.server->m_calls);
}

TEST_F(SelectThreadTest, ListenerAcceptsThroughItsCallback) {
    for (const int family : {AF_INET, AF_INET6}) {
        std::mutex mutex;
        std::vector<std::shared_ptr<CSimpleSocket>> accepted;
        auto listener = std::make_shared<CSimpleAsyncSocket>([&](CSimpleAsyncSocket& self) {
            auto session = std::make_shared<CSimpleSocket>();
            if (self.Accept(*session)) {
                std::lock_guard<std::mutex> lock(mutex);
                accepted.push_back(session);
            }
        });
        const char* address = family == AF_INET ? "127.0.0.1" : "::1";
        ASSERT_TRUE(listener->CreateListener(0, SOCK_STREAM, 0, family, address)) << address;
        std::string text;
        int port = 0;
        ASSERT_TRUE(listener->GetSockName(text, port));
        EXPECT_EQ(address, text);

        CSimpleSocket client;
        ASSERT_TRUE(Connect(client, family, port));
        ASSERT_TRUE(WaitFor([&] {
            std::lock_guard<std::mutex> lock(mutex);
            return accepted.size() == 1;
        }));
        int clientPort = 0, peerPort = 0;
        ASSERT_TRUE(client.GetSockName(text, clientPort));
        ASSERT_TRUE(accepted[0]->GetPeerName(text, peerPort));
        EXPECT_EQ(address, text);
        EXPECT_EQ(clientPort, peerPort);
        listener->Close();
        EXPECT_TRUE(Select().WaitUntilIdle(listener.get(), 2000));
    }
}

TEST_F(SelectThreadTest, SocketMayUnregisterOrDropItselfInItsCallback) {
    Pair<CProbeSocket> quits, drops, witness;
    ASSERT_TRUE(quits.Open());
    ASSERT_TRUE(drops.Open());
    ASSERT_TRUE(witness.Open());

    quits.server->m_onRead = [](CProbeSocket& s) {
        s.Drain();
        s.SetInterest(0);
    };
    std::atomic<bool> destroyed{false};
    std::shared_ptr<CProbeSocket> owner = drops.server;
    drops.server.reset();
    owner->m_destroyed = &destroyed;
    std::atomic<int> sawAfterDrop{0};
    owner->m_onRead = [&](CProbeSocket& s) {
        owner.reset(); // the last owner lets go while the callback runs
        s.Drain();     // the object must still be alive here
        sawAfterDrop = s.m_calls.load();
    };
    witness.server->m_onRead = [](CProbeSocket& s) { s.Drain(); };

    ASSERT_TRUE(quits.server->SetInterest(CSimpleSocket::kInterestRead));
    ASSERT_TRUE(owner->SetInterest(CSimpleSocket::kInterestRead));
    ASSERT_EQ(1, quits.client->Send("1", 1));
    ASSERT_EQ(1, drops.client->Send("1", 1));

    ASSERT_TRUE(WaitFor([&] { return destroyed.load(); }));
    EXPECT_EQ(1, sawAfterDrop);
    ASSERT_TRUE(WaitFor([&] { return quits.server->m_calls == 1; }));
    EXPECT_TRUE(Select().WaitUntilIdle(quits.server.get(), 2000));
    EXPECT_FALSE(Select().IsRegistered(quits.server.get()));

    // More data for the unregistered socket calls nothing; the thread still serves others.
    ASSERT_EQ(1, quits.client->Send("2", 1));
    ASSERT_TRUE(witness.server->SetInterest(CSimpleSocket::kInterestRead));
    ASSERT_EQ(1, witness.client->Send("w", 1));
    ASSERT_TRUE(WaitFor([&] { return witness.server->m_calls == 1; }));
    EXPECT_EQ(1, quits.server->m_calls);

    // Registering again resumes callbacks (the pending byte is still there).
    ASSERT_TRUE(quits.server->SetInterest(CSimpleSocket::kInterestRead));
    EXPECT_TRUE(WaitFor([&] { return quits.server->m_calls == 2; }));
}

TEST_F(SelectThreadTest, CloseFromAnotherThreadWhileCallbacksRun) {
    constexpr int kSessions = 4;
    std::vector<Pair<CProbeSocket>> pairs(kSessions);
    std::vector<std::thread> writers;
    std::atomic<bool> stopWriting{false};
    std::vector<std::atomic<bool>> destroyed(kSessions);
    for (int i = 0; i < kSessions; ++i) {
        ASSERT_TRUE(pairs[i].Open());
        pairs[i].server->m_destroyed = &destroyed[i];
        pairs[i].server->m_onRead = [](CProbeSocket& s) { s.Drain(); };
        ASSERT_TRUE(pairs[i].server->SetInterest(CSimpleSocket::kInterestRead));
        writers.emplace_back([&, client = pairs[i].client] {
            const char chunk[512] = {};
            while (!stopWriting && client->Send(chunk, sizeof chunk) > 0) {
            }
        });
    }
    for (int i = 0; i < kSessions; ++i)
        ASSERT_TRUE(WaitFor([&] { return pairs[i].server->m_calls > 0; }));

    for (int i = 0; i < kSessions; ++i) {
        CProbeSocket* raw = pairs[i].server.get();
        raw->Close();
        EXPECT_FALSE(Select().IsRegistered(raw));
        pairs[i].server.reset(); // a callback may still hold it
        ASSERT_TRUE(Select().WaitUntilIdle(raw, 2000));
        // Once idle, the dispatcher has let go: nothing else keeps it alive.
        EXPECT_TRUE(destroyed[i].load());
    }
    stopWriting = true;
    for (auto& writer : writers)
        writer.join(); // their sends fail with EPIPE, not SIGPIPE
    EXPECT_EQ(0, Select().RegisteredCount());
}

TEST_F(SelectThreadTest, BlockedSessionDoesNotStallAnother) {
    Pair<CProbeSocket> slow, quick;
    ASSERT_TRUE(slow.Open());
    ASSERT_TRUE(quick.Open());
    Gate gate;
    std::atomic<bool> slowEntered{false};
    slow.server->m_onRead = [&](CProbeSocket& s) {
        s.Drain();
        slowEntered = true;
        gate.Pass(); // e.g. a confirmation waiting for the user
    };
    std::atomic<int> quickServed{0}; // counted after the read, so each round is one byte
    quick.server->m_onRead = [&](CProbeSocket& s) {
        if (s.Drain() > 0)
            ++quickServed;
    };
    ASSERT_TRUE(slow.server->SetInterest(CSimpleSocket::kInterestRead));
    ASSERT_TRUE(quick.server->SetInterest(CSimpleSocket::kInterestRead));

    ASSERT_EQ(1, slow.client->Send("s", 1));
    ASSERT_TRUE(WaitFor([&] { return slowEntered.load(); }));
    for (int round = 1; round <= 3; ++round) {
        ASSERT_EQ(1, quick.client->Send("q", 1));
        EXPECT_TRUE(WaitFor([&] { return quickServed == round; })) << round;
    }
    // The blocked socket is not dispatched a second time meanwhile.
    ASSERT_EQ(1, slow.client->Send("t", 1));
    EXPECT_FALSE(Select().WaitUntilIdle(slow.server.get(), 50));
    EXPECT_EQ(1, slow.server->m_calls);
    gate.Open();
    EXPECT_TRUE(WaitFor([&] { return slow.server->m_calls == 2; }));
}

TEST_F(SelectThreadTest, ThrowingCallbackClosesOnlyItsSocket) {
    Pair<CSimpleAsyncSocket> thrower;
    Pair<CProbeSocket> other;
    ASSERT_TRUE(thrower.Open());
    ASSERT_TRUE(other.Open());
    thrower.server->SetCallback([](CSimpleAsyncSocket&) { throw std::runtime_error("bad request"); });
    other.server->m_onRead = [](CProbeSocket& s) { s.Drain(); };
    ASSERT_TRUE(thrower.server->SetInterest(CSimpleSocket::kInterestRead));
    ASSERT_TRUE(other.server->SetInterest(CSimpleSocket::kInterestRead));

    ASSERT_EQ(1, thrower.client->Send("x", 1));
    ASSERT_TRUE(WaitFor([&] { return !thrower.server->IsOpen(); }));
    EXPECT_FALSE(Select().IsRegistered(thrower.server.get()));
    char byte;
    EXPECT_EQ(0, thrower.client->Receive(&byte, 1));

    ASSERT_EQ(1, other.client->Send("y", 1));
    EXPECT_TRUE(WaitFor([&] { return other.server->m_calls == 1; }));
}

TEST_F(SelectThreadTest, StopEndsBlockedCallbacksAndJoins) {
    Pair<CProbeSocket> pair;
    ASSERT_TRUE(pair.Open());
    std::atomic<int> secondRead{1};
    std::atomic<bool> inside{false};
    pair.server->m_onRead = [&](CProbeSocket& s) {
        s.Drain();
        inside = true;
        secondRead = s.Drain(); // the peer says nothing more: blocks until Stop
    };
    ASSERT_TRUE(pair.server->SetInterest(CSimpleSocket::kInterestRead));
    ASSERT_EQ(1, pair.client->Send("a", 1));
    ASSERT_TRUE(WaitFor([&] { return inside.load(); }));

    ASSERT_TRUE(Select().Stop());
    EXPECT_FALSE(Select().IsActive());
    EXPECT_EQ(0, Select().RegisteredCount());
    EXPECT_LE(secondRead.load(), 0);

    // A later registration starts afresh.
    Pair<CProbeSocket> again;
    ASSERT_TRUE(again.Open());
    again.server->m_onRead = [](CProbeSocket& s) { s.Drain(); };
    ASSERT_TRUE(again.server->SetInterest(CSimpleSocket::kInterestRead));
    ASSERT_EQ(1, again.client->Send("b", 1));
    EXPECT_TRUE(WaitFor([&] { return again.server->m_calls == 1; }));
}

TEST_F(SelectThreadTest, ThreadEndsWithTheLastSocketAndRestarts) {
    Pair<CProbeSocket> pair;
    ASSERT_TRUE(pair.Open());
    pair.server->m_onRead = [](CProbeSocket& s) { s.Drain(); };
    ASSERT_TRUE(pair.server->SetInterest(CSimpleSocket::kInterestRead));
    EXPECT_TRUE(Select().IsActive());
    pair.server->SetInterest(0);
    EXPECT_TRUE(WaitFor([&] { return !Select().IsActive(); }));

    ASSERT_TRUE(pair.server->SetInterest(CSimpleSocket::kInterestRead));
    EXPECT_TRUE(Select().IsActive());
    ASSERT_EQ(1, pair.client->Send("z", 1));
    EXPECT_TRUE(WaitFor([&] { return pair.server->m_calls == 1; }));
    pair.server->Close();
    EXPECT_TRUE(WaitFor([&] { return !Select().IsActive(); }));
}
