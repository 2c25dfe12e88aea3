#include "core/base/Strings.h"
#include "core/client/ScriptedServer.h"
#include "core/net/Credentials.h"
#include "core/net/InboundSlot.h"
#include "core/net/NoteClient.h"
#include "core/net/SelectThread.h"
#include "core/net/SyncNoteClient.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

using clienttest::CScriptedServer;
using clienttest::HeaderValue;

namespace {

constexpr auto kTimeout = std::chrono::seconds(5);

const char kNoteDocument[] =
    "<?xml version=\"1.0\" ?>\r\n<Quillet>\r\n<Sheet ID=\"1234\" Title=\"t\"/>\r\n</Quillet>\r\n";

class NoteClientTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_TRUE(CSelectThread::Instance().Stop()); }
};

// A port on which nothing listens.
int ClosedPort() {
    CSimpleSocket probe;
    int port = 0;
    EXPECT_TRUE(sockettest::Listen(probe, AF_INET, port));
    probe.Close();
    return port;
}

} // namespace

TEST_F(NoteClientTest, SendsTextAndNoteAsTheProtocolSpellsThem) {
    CScriptedServer server;
    ASSERT_TRUE(server.Start());
    CSyncNoteClient client(kTimeout);
    const std::string host = "127.0.0.1:" + std::to_string(server.Port());

    const ClientOutcome text = client.SendText("127.0.0.1", server.Port(), "Hello, 世界");
    EXPECT_TRUE(text.Succeeded());
    EXPECT_EQ(200, text.Status);
    EXPECT_EQ(ClientOutcome::EKind::SendText, text.Kind);

    const ClientOutcome note = client.SendNote("127.0.0.1", server.Port(), 1234, kNoteDocument);
    EXPECT_TRUE(note.Succeeded());
    EXPECT_EQ(1234, note.NoteId);

    const auto requests = server.Requests(2);
    ASSERT_EQ(2u, requests.size());
    const std::string common = "Accept: *.*\r\nAccept-Charset: iso-8859-1,*,utf-8\r\nAccept-Language: en\r\n"
                               "Connection: Keep-Alive\r\nHost: " +
                               host + "\r\nUser-Agent: CHTTPRequest Agent\r\n\r\n";
    EXPECT_EQ("PUT /Message HTTP/1.0\r\nContent-Length: 13\r\nContent-Type: text/plain\r\n" + common + "Hello, 世界",
              requests[0]);
    EXPECT_EQ("PUT /Message/1234 HTTP/1.0\r\nContent-Length: " + std::to_string(sizeof kNoteDocument - 1) +
                  "\r\nContent-Type: text/x-quillet\r\n" + common + kNoteDocument,
              requests[1]);
}

TEST_F(NoteClientTest, AnswersBecomeOutcomes) {
    struct Case {
        std::string answer;
        int noteError; // for a note delivery and a fetch
        int textError; // for a plain text
        int status;
    };
    const Case cases[] = {
        {"HTTP/1.0 200 OK\r\n\r\n", 0, 0, 200},
        {"HTTP/1.0 403 Receive refused\r\n\r\n", strings::kMessageRefused, strings::kMessageRefused, 403},
        {"HTTP/1.0 406 Invalid content type\r\n\r\n", strings::kMessageRefused, strings::kMessageRefused, 406},
        {"HTTP/1.0 401 Authetication error\r\n\r\n", strings::kAuthenticationFailed, strings::kMessageRefused, 401},
        {"garbage\r\n\r\n", strings::kMessageRefused, strings::kMessageRefused, 0},
        {"HTTP/1.0 200 OK\r\nContent-Length: 50\r\n\r\nshort", strings::kMessageRefused, strings::kMessageRefused, 0},
        {CScriptedServer::kCloseWithoutAnswer, strings::kMessageRefused, strings::kMessageRefused, 0},
    };
    CScriptedServer server;
    ASSERT_TRUE(server.Start());
    CSyncNoteClient client(kTimeout);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        for (int round = 0; round < 3; ++round)
            server.Script(c.answer);
        const ClientOutcome note = client.SendNote("localhost", server.Port(), 7, kNoteDocument);
        EXPECT_EQ(c.noteError, note.ErrorId);
        EXPECT_EQ(c.status, note.Status);
        EXPECT_FALSE(note.TimedOut);
        EXPECT_EQ(c.textError, client.SendText("127.0.0.1", server.Port(), "x").ErrorId);
        EXPECT_EQ(c.noteError, client.FetchNote("127.0.0.1", server.Port(), 7, "", "").ErrorId);
    }
}

TEST_F(NoteClientTest, ConnectionFailuresAreReportedAtOnce) {
    CNoteClient client;
    EXPECT_EQ(strings::kSocketCannotConnect, client.SendText("127.0.0.1", ClosedPort(), "x").ErrorId);
    EXPECT_EQ(strings::kInvalidDestination, client.SendText("no-such-host.invalid", 4126, "x").ErrorId);
    EXPECT_EQ(strings::kInvalidDestination, client.SendText("", 4126, "x").ErrorId);
    EXPECT_EQ(strings::kInvalidDestination, client.RequestList("127.0.0.1", 70000, "", "").ErrorId);
    EXPECT_EQ(0, client.PendingCount());

    // The English texts the user sees, exactly.
    EXPECT_STREQ("Invalid destination", strings::EnglishText(strings::kInvalidDestination));
    EXPECT_STREQ("Socket can not connect.", strings::EnglishText(strings::kSocketCannotConnect));
    EXPECT_STREQ("Socket create failed.", strings::EnglishText(strings::kSocketCreateFailed));

    CSyncNoteClient sync(kTimeout);
    const ClientOutcome outcome = sync.SendNote("127.0.0.1", ClosedPort(), 1, kNoteDocument);
    EXPECT_EQ(strings::kSocketCannotConnect, outcome.ErrorId);
    EXPECT_FALSE(outcome.Succeeded());
}

TEST_F(NoteClientTest, FetchedNoteGoesToTheInboundSlotWithCredentials) {
    const std::string document = kNoteDocument;
    CScriptedServer server;
    ASSERT_TRUE(server.Start());
    server.Script("HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(document.size()) +
                  "\r\nContent-Type: text/x-quillet\r\n\r\n" + document);
    server.Script("HTTP/1.0 200 OK\r\n\r\n"); // no such note there
    server.Script("HTTP/1.0 200 OK\r\n\r\n");

    std::atomic<int> notified{0};
    CInboundSlot slot([&] { ++notified; });
    CSyncNoteClient client(kTimeout, &slot);

    const ClientOutcome found = client.FetchNote("127.0.0.1", server.Port(), 1234, "alice", "secret");
    EXPECT_TRUE(found.Succeeded());
    EXPECT_EQ(document, found.Body);
    CInboundSlot::Item item;
    ASSERT_TRUE(slot.Take(item));
    EXPECT_EQ(CInboundSlot::kNoteDocument, item.Command);
    EXPECT_EQ(33069, item.Command);
    EXPECT_EQ(document, item.Bytes);

    const ClientOutcome missing = client.FetchNote("127.0.0.1", server.Port(), 99, "alice", "secret", false);
    EXPECT_TRUE(missing.Succeeded());
    EXPECT_TRUE(missing.Body.empty());
    EXPECT_FALSE(slot.IsPending());
    EXPECT_EQ(1, notified);

    EXPECT_TRUE(client.FetchNote("127.0.0.1", server.Port(), 5, "", "").Succeeded());

    const auto requests = server.Requests(3);
    ASSERT_EQ(3u, requests.size());
    EXPECT_EQ(0u, requests[0].rfind("GET /Message/1234 HTTP/1.0\r\n", 0));
    const std::string digest = HeaderValue(requests[0], "Authorization");
    EXPECT_EQ(0u, digest.rfind("Digest $1$", 0));
    EXPECT_TRUE(CheckCredentials(digest, "alice", "secret"));
    EXPECT_FALSE(CheckCredentials(digest, "alice", "wrong"));
    EXPECT_EQ(MakeBasicAuthorization("alice", "secret"), HeaderValue(requests[1], "Authorization"));
    // Neither user nor password: no Authorization at all.
    EXPECT_EQ(std::string::npos, requests[2].find("Authorization"));
    EXPECT_EQ(std::string::npos, requests[2].find("Content-Length"));
}

TEST_F(NoteClientTest, ListAnswersBecomeNotesAndGroups) {
    // Titles as the server escapes them: quote, angle brackets, line breaks, an
    // ampersand that would read as a reference, and Japanese text as UTF-8.
    const std::string body =
        "<?xml version=\"1.0\" ?>\r\n<Quillet>\r\n<MessageList>\r\n"
        "<Message ID=\"101\" Title=\"&quot;a&lt;b&gt;&quot;\"/>\r\n"
        "<Message ID=\"102\" Title=\"買い物&#13;&#10;リスト\"/>\r\n"
        "<Message ID=\"103\" Title=\"Tom &amp;amp; Jerry & co\"/>\r\n"
        "</MessageList>\r\n<GroupList>\r\n"
        "<Group Title=\"仕事 &lt;1&gt;\">\r\n<Message ID=\"101\" Title=\"&quot;a&lt;b&gt;&quot;\"/>\r\n"
        "<Message ID=\"102\" Title=\"買い物&#13;&#10;リスト\"/>\r\n</Group>\r\n"
        "<Group Title=\"Empty\">\r\n</Group>\r\n"
        "</GroupList>\r\n</Quillet>\r\n";
    CScriptedServer server;
    ASSERT_TRUE(server.Start());
    server.Script("HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(body.size()) +
                  "\r\nContent-Type: text/x-quilletlist\r\n\r\n" + body);
    server.Script("HTTP/1.0 401 Authetication error\r\n\r\n");
    server.Script("HTTP/1.0 403 Receive refused\r\n\r\n");
    server.Script("garbage\r\n\r\n");
    server.Script("HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nnope!");

    CSyncNoteClient client(kTimeout);
    const ClientOutcome list = client.RequestList("127.0.0.1", server.Port(), "", "");
    ASSERT_TRUE(list.Succeeded());
    ASSERT_EQ(3u, list.List.m_notes.size());
    EXPECT_EQ(101, list.List.m_notes[0].ID);
    EXPECT_EQ("\"a<b>\"", list.List.m_notes[0].Title);
    EXPECT_EQ("買い物\r\nリスト", list.List.m_notes[1].Title);
    EXPECT_EQ("Tom &amp; Jerry & co", list.List.m_notes[2].Title);
    ASSERT_EQ(2u, list.List.m_groups.size());
    EXPECT_EQ("仕事 <1>", list.List.m_groups[0].Name);
    ASSERT_EQ(2u, list.List.m_groups[0].Members.size());
    EXPECT_EQ(102, list.List.m_groups[0].Members[1].ID);
    EXPECT_EQ("買い物\r\nリスト", list.List.m_groups[0].Members[1].Title);
    EXPECT_TRUE(list.List.m_groups[1].Members.empty());
    EXPECT_EQ(0u, server.Requests(1)[0].rfind("GET /List HTTP/1.0\r\n", 0));

    EXPECT_EQ(strings::kAuthenticationFailed, client.RequestList("127.0.0.1", server.Port(), "u", "p").ErrorId);
    EXPECT_EQ(strings::kListRetrieveFailed, client.RequestList("127.0.0.1", server.Port(), "", "").ErrorId);
    EXPECT_STREQ("Retrieveing message list failed. Probably destination user deny to connect.",
                 strings::EnglishText(strings::kListRetrieveFailed));
    EXPECT_EQ(strings::kMessageRefused, client.RequestList("127.0.0.1", server.Port(), "", "").ErrorId);
    const ClientOutcome unreadable = client.RequestList("127.0.0.1", server.Port(), "", "");
    EXPECT_EQ(0, unreadable.ErrorId);
    EXPECT_FALSE(unreadable.ListParsed);
    EXPECT_FALSE(unreadable.Succeeded());
}

TEST_F(NoteClientTest, ReachesIpv6Loopback) {
    CScriptedServer server(AF_INET6);
    if (!server.Start())
        GTEST_SKIP() << "no IPv6 loopback here";
    CSyncNoteClient client(kTimeout);
    EXPECT_TRUE(client.SendText("[::1]", server.Port(), "v6").Succeeded());
    EXPECT_TRUE(client.SendText("::1", server.Port(), "v6").Succeeded());
    const auto requests = server.Requests(2);
    ASSERT_EQ(2u, requests.size());
    // Bracketed in the Host header either way, so that the port stays apart.
    EXPECT_EQ("[::1]:" + std::to_string(server.Port()), HeaderValue(requests[0], "Host"));
    EXPECT_EQ("[::1]:" + std::to_string(server.Port()), HeaderValue(requests[1], "Host"));
}

TEST_F(NoteClientTest, CancelledAndUnansweredRequestsAreNeverReported) {
    struct CCounting : CClientListener {
        void OnOutcome(const ClientOutcome&) override { ++calls; }
        std::atomic<int> calls{0};
    } listener;
    CScriptedServer server;
    ASSERT_TRUE(server.Start());
    server.Hold();
    {
        CNoteClient client(&listener);
        const auto first = client.SendText("127.0.0.1", server.Port(), "one");
        const auto second = client.SendText("127.0.0.1", server.Port(), "two");
        ASSERT_TRUE(first);
        ASSERT_TRUE(second);
        EXPECT_NE(first.RequestId, second.RequestId);
        server.Requests(2);
        EXPECT_EQ(2, client.PendingCount());
        EXPECT_TRUE(client.Cancel(first.RequestId));
        EXPECT_FALSE(client.Cancel(first.RequestId));
        EXPECT_EQ(1, client.PendingCount());
        // Destroying the client cancels the second one.
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(0, listener.calls);

    // A synchronous caller gets a time-out, reported as a refusal.
    CSyncNoteClient sync(std::chrono::milliseconds(200));
    const ClientOutcome outcome = sync.SendText("127.0.0.1", server.Port(), "three");
    EXPECT_TRUE(outcome.TimedOut);
    EXPECT_EQ(strings::kMessageRefused, outcome.ErrorId);
    EXPECT_EQ(0, sync.Client().PendingCount());
}

TEST_F(NoteClientTest, ConcurrentRequestsAreEachReportedOnce) {
    struct CRecording : CClientListener {
        void OnOutcome(const ClientOutcome& outcome) override {
            std::lock_guard<std::mutex> lock(mutex);
            ids.push_back(outcome.RequestId);
            ok += outcome.Succeeded() ? 1 : 0;
        }
        std::mutex mutex;
        std::vector<int> ids;
        int ok = 0;
    } listener;
    CScriptedServer server;
    ASSERT_TRUE(server.Start());
    constexpr int kThreads = 4, kEach = 10;
    std::vector<int> started;
    std::mutex startedMutex;
    {
        CNoteClient client(&listener);
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&] {
                for (int i = 0; i < kEach; ++i) {
                    const auto s = client.SendText("127.0.0.1", server.Port(), "n");
                    std::lock_guard<std::mutex> lock(startedMutex);
                    started.push_back(s.RequestId);
                }
            });
        }
        for (auto& t : threads)
            t.join();
        ASSERT_TRUE(sockettest::WaitFor(
            [&] {
                std::lock_guard<std::mutex> lock(listener.mutex);
                return listener.ids.size() == started.size();
            },
            std::chrono::seconds(10)));
        EXPECT_EQ(0, client.PendingCount());
    }
    std::lock_guard<std::mutex> lock(listener.mutex);
    EXPECT_EQ(kThreads * kEach, listener.ok);
    std::sort(started.begin(), started.end());
    std::sort(listener.ids.begin(), listener.ids.end());
    EXPECT_EQ(started, listener.ids);
    EXPECT_EQ(started.end(), std::adjacent_find(started.begin(), started.end()));
}

TEST_F(NoteClientTest, BackgroundStartReportsEverythingThroughTheListener) {
    struct CRecording : CClientListener {
        void OnOutcome(const ClientOutcome& outcome) override {
            std::lock_guard<std::mutex> lock(mutex);
            outcomes.push_back(outcome);
        }
        size_t Count() {
            std::lock_guard<std::mutex> lock(mutex);
            return outcomes.size();
        }
        const ClientOutcome* Find(int id) {
            std::lock_guard<std::mutex> lock(mutex);
            for (const ClientOutcome& outcome : outcomes) {
                if (outcome.RequestId == id)
                    return &outcome;
            }
            return nullptr;
        }
        std::mutex mutex;
        std::vector<ClientOutcome> outcomes;
    } listener;
    CScriptedServer server;
    ASSERT_TRUE(server.Start());
    {
        CNoteClient client(&listener);
        client.SetBackgroundStart(true);
        const auto refused = client.SendText("127.0.0.1", ClosedPort(), "x");
        const auto unknown = client.SendNote("no-such-host.invalid", 4126, 3, kNoteDocument);
        const auto delivered = client.SendText("127.0.0.1", server.Port(), "fine");
        // Failures to start come later, as outcomes, so every request has an id.
        ASSERT_TRUE(refused);
        ASSERT_TRUE(unknown);
        ASSERT_TRUE(delivered);
        ASSERT_TRUE(sockettest::WaitFor([&] { return listener.Count() == 3; }, std::chrono::seconds(10)));
        EXPECT_EQ(strings::kSocketCannotConnect, listener.Find(refused.RequestId)->ErrorId);
        EXPECT_EQ(strings::kInvalidDestination, listener.Find(unknown.RequestId)->ErrorId);
        EXPECT_EQ(3, listener.Find(unknown.RequestId)->NoteId);
        EXPECT_TRUE(listener.Find(delivered.RequestId)->Succeeded());
        EXPECT_EQ(0, client.PendingCount());

        // Requests cancelled while queued or connecting are never reported,
        // and the client still goes down cleanly with some of them in flight.
        server.Hold();
        std::vector<int> ids;
        for (int i = 0; i < 12; ++i)
            ids.push_back(client.SendText("127.0.0.1", server.Port(), "held").RequestId);
        for (int id : ids)
            EXPECT_TRUE(client.Cancel(id));
        // A peer that takes the request and never answers: the deadline runs
        // from the sending, not from a first byte that never comes.
        client.SetAnswerTimeout(std::chrono::milliseconds(300));
        const auto unanswered = client.SendText("127.0.0.1", server.Port(), "never answered");
        ASSERT_TRUE(sockettest::WaitFor([&] { return listener.Count() == 4; }, std::chrono::seconds(3)));
        EXPECT_TRUE(listener.Find(unanswered.RequestId)->TimedOut);
        EXPECT_EQ(strings::kMessageRefused, listener.Find(unanswered.RequestId)->ErrorId);

        for (int i = 0; i < 6; ++i)
            client.SendText("127.0.0.1", server.Port(), "left to the destructor");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(4u, listener.Count());

    // A listener whose queue is full takes no more connections: a connect to it
    // hangs. Closing the client (a dialog) must not wait for that connect.
    CSimpleSocket full;
    int port = 0;
    ASSERT_TRUE(sockettest::Listen(full, AF_INET, port));
    ASSERT_EQ(0, ::listen(full.GetHandle(), 0));
    std::vector<std::unique_ptr<CSimpleSocket>> queued;
    for (int i = 0; i < 4; ++i) {
        auto socket = std::make_unique<CSimpleSocket>();
        socket->Create(SOCK_STREAM | SOCK_NONBLOCK, 0, AF_INET);
        sockaddr_storage address;
        const socklen_t length = sockettest::LoopbackAddress(AF_INET, port, address);
        ::connect(socket->GetHandle(), reinterpret_cast<sockaddr*>(&address), length);
        queued.push_back(std::move(socket));
    }
    auto connecting = std::make_unique<CNoteClient>(&listener);
    connecting->SetBackgroundStart(true);
    connecting->SetConnectTimeout(1000);
    ASSERT_TRUE(connecting->SendText("127.0.0.1", port, "stuck"));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const auto begin = std::chrono::steady_clock::now();
    connecting.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(100));
    EXPECT_EQ(4u, listener.Count());
    CNoteClient::StopBackground();
}
