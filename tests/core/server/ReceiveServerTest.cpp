#include "core/server/ServerTestSupport.h"

#include "core/base/Strings.h"
#include "core/net/Credentials.h"
#include "core/store/PropParser.h"

#include <future>
#include <thread>

using namespace servertest;

namespace {

class ReceiveServerTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (m_server)
            m_server->Shutdown();
        m_host.GetInboundSlot().Shutdown();
        m_server.reset();
    }

    // Starts on the loopback address of the family, port of the system's choice.
    void Start(int family = AF_INET, CReceiveServer::Options options = {}) {
        m_family = family;
        m_host.Edit([&](NetworkProperty& s) { CopyField(s.Address, family == AF_INET ? "127.0.0.1" : "::1"); });
        m_server = std::make_unique<CReceiveServer>(m_host, options);
        ASSERT_TRUE(m_server->StartServer());
        std::string address;
        ASSERT_TRUE(m_server->GetListenAddress(address, m_port));
    }
    void Connect(CClient& client) { ASSERT_TRUE(client.Open(m_family, m_port)); }

    CScriptedHost m_host;
    std::unique_ptr<CReceiveServer> m_server;
    int m_family = AF_INET;
    int m_port = 0;
};

class ReceiveServerFamilyTest : public ReceiveServerTest, public ::testing::WithParamInterface<int> {};

const std::string kNote =
    std::string(kPropertyDocumentPrefix) + "\r\n<SheetProperty>\r\n</SheetProperty>\r\n</Quillet>\r\n";

} // namespace

// The whole status table over one kept-alive connection, IPv4 and IPv6.
TEST_P(ReceiveServerFamilyTest, AnswersEveryRequestOfTheProtocol) {
    m_host.m_list.m_notes = {{7, "seven"}};
    m_host.m_notes[123] = kNote;
    Start(GetParam());
    CClient client;
    Connect(client);
    CHTTPResponse response;

    CHTTPRequest note = MakeRequest(CHTTPRequest::kPut, "/Message/123", kNote, "text/x-quillet");
    ASSERT_TRUE(client.Exchange(note, response));
    EXPECT_EQ(200, response.GetStatus());
    EXPECT_EQ("OK", response.GetReason());
    EXPECT_EQ(0, response.GetBodyLength());

    CHTTPRequest text = MakeRequest(CHTTPRequest::kPut, "/Message", "hello there", "text/plain");
    ASSERT_TRUE(client.Exchange(text, response = {}));
    EXPECT_EQ(200, response.GetStatus());
    ASSERT_TRUE(sockettest::WaitFor([&] { return m_host.Items().size() == 2; }));
    EXPECT_EQ(kNote, m_host.Items()[0].Bytes);
    EXPECT_EQ(CInboundSlot::kNoteDocument, m_host.Items()[0].Command);
    EXPECT_EQ("hello there", m_host.Items()[1].Bytes);
    EXPECT_EQ(CInboundSlot::kPlainText, m_host.Items()[1].Command);

    // Content types are compared exactly.
    CHTTPRequest charset = MakeRequest(CHTTPRequest::kPut, "/Message", "x", "text/plain; charset=utf-8");
    ASSERT_TRUE(client.Exchange(charset, response = {}));
    EXPECT_EQ(406, response.GetStatus());
    // A note document the program could not read is refused, so its sender keeps it.
    CHTTPRequest broken = MakeRequest(CHTTPRequest::kPut, "/Message/9", "<Quillet><Sheet", "text/x-quillet");
    ASSERT_TRUE(client.Exchange(broken, response = {}));
    EXPECT_EQ(400, response.GetStatus());
    EXPECT_EQ(2u, m_host.Items().size());

    m_host.Edit([](NetworkProperty& s) { s.ConfirmReceive = 1; });
    m_host.m_confirm = CScriptedHost::EConfirm::No;
    ASSERT_TRUE(client.Exchange(text, response = {}));
    EXPECT_EQ(403, response.GetStatus());
    ASSERT_EQ(1u, m_host.Questions().size());
    EXPECT_EQ(strings::kReceiveConfirm, m_host.Questions()[0].StringId);
    EXPECT_EQ(std::vector<std::string>{GetParam() == AF_INET ? "127.0.0.1" : "::1"}, m_host.Questions()[0].Args);
    EXPECT_EQ(2u, m_host.Items().size());

    CHTTPRequest list = MakeRequest(CHTTPRequest::kGet, "/List");
    ASSERT_TRUE(client.Exchange(list, response = {}));
    EXPECT_EQ(403, response.GetStatus()); // AcceptTransfer is off

    m_host.Edit([](NetworkProperty& s) { s.AcceptTransfer = 1; });
    ASSERT_TRUE(client.Exchange(list, response = {}));
    EXPECT_EQ(200, response.GetStatus());
    EXPECT_EQ("text/x-quilletlist", response.GetContentType());
    EXPECT_EQ(m_host.m_list.MakeDocument(), response.GetBodyText());

    CHTTPRequest fetch = MakeRequest(CHTTPRequest::kGet, "/Message/123");
    ASSERT_TRUE(client.Exchange(fetch, response = {}));
    EXPECT_EQ(200, response.GetStatus());
    EXPECT_EQ("text/x-quillet", response.GetContentType());
    EXPECT_EQ(kNote, response.GetBodyText());

    CHTTPRequest missing = MakeRequest(CHTTPRequest::kGet, "/Message/124");
    ASSERT_TRUE(client.Exchange(missing, response = {}));
    EXPECT_EQ(200, response.GetStatus());
    EXPECT_EQ(0, response.GetBodyLength());

    CHTTPRequest post = MakeRequest(CHTTPRequest::kPost, "/Anything", "ignored", "application/octet-stream");
    ASSERT_TRUE(client.Exchange(post, response = {}));
    EXPECT_EQ(200, response.GetStatus());
    EXPECT_EQ(1, m_server->GetSessionCount());

    // Not a request: the connection ends without an answer.
    ASSERT_TRUE(client.SendRaw("HELLO\r\n\r\n"));
    EXPECT_TRUE(client.ClosedWithin(2s));
    EXPECT_TRUE(sockettest::WaitFor([&] { return m_server->GetSessionCount() == 0; }));
}

INSTANTIATE_TEST_SUITE_P(Families, ReceiveServerFamilyTest, ::testing::Values(AF_INET, AF_INET6),
                         [](const auto& info) { return info.param == AF_INET ? "IPv4" : "IPv6"; });

TEST_F(ReceiveServerTest, ClosesAfterTheAnswerUnlessAskedToKeepTheConnection) {
    Start();
    CClient client;
    Connect(client);
    CHTTPRequest request = MakeRequest(CHTTPRequest::kPost, "/");
    request.SetHeader("Connection", "close");
    CHTTPResponse response;
    ASSERT_TRUE(client.Exchange(request, response));
    EXPECT_EQ(200, response.GetStatus());
    EXPECT_TRUE(client.ClosedWithin(2s));

    // A bare HTTP/1.0 request (as curl sends it) is answered and closed too.
    CClient bare;
    Connect(bare);
    ASSERT_TRUE(bare.SendRaw("POST / HTTP/1.0\r\n\r\n"));
    ASSERT_TRUE(bare.Read(response = {}));
    EXPECT_EQ(200, response.GetStatus());
    EXPECT_TRUE(bare.ClosedWithin(2s));
}

TEST_F(ReceiveServerTest, AnswersRequestsSentBackToBackInOneWrite) {
    // Both requests arrive in one segment; the second must not wait for a
    // readiness event that never comes.
    Start();
    CClient client;
    Connect(client);
    const std::string post = "POST / HTTP/1.0\r\nConnection: Keep-Alive\r\n\r\n";
    ASSERT_TRUE(client.SendRaw(post + post));
    CHTTPResponse first, second;
    ASSERT_TRUE(client.Read(first, 2s));
    ASSERT_TRUE(client.Read(second, 2s));
    EXPECT_EQ(200, first.GetStatus());
    EXPECT_EQ(200, second.GetStatus());
}

TEST_F(ReceiveServerTest, ChecksBasicAndDigestCredentials) {
    m_host.Edit([](NetworkProperty& s) {
        s.AcceptTransfer = 1;
        CopyField(s.User, "alice");
        CopyField(s.Passwd, "s3cret");
    });
    Start();
    CClient client;
    Connect(client);
    const auto status = [&](const std::string& authorization) {
        CHTTPRequest request = MakeRequest(CHTTPRequest::kGet, "/List");
        if (!authorization.empty())
            request.SetHeader("Authorization", authorization);
        CHTTPResponse response;
        EXPECT_TRUE(client.Exchange(request, response));
        return std::make_pair(response.GetStatus(), response.GetReason());
    };
    EXPECT_EQ(std::make_pair(401, std::string("Authetication")), status(""));
    EXPECT_EQ(200, status(MakeAuthorization("alice", "s3cret", false)).first);
    EXPECT_EQ(401, status(MakeAuthorization("alice", "wrong", false)).first);
    EXPECT_EQ(200, status(MakeAuthorization("alice", "s3cret", true)).first);
    EXPECT_EQ(401, status(MakeAuthorization("alice", "s3cre", true)).first);
    EXPECT_EQ(401, status("Bearer abc").first);

    // Without configured credentials nothing is asked for.
    m_host.Edit([](NetworkProperty& s) {
        CopyField(s.User, "");
        CopyField(s.Passwd, "");
    });
    EXPECT_EQ(200, status("").first);
}

TEST(ReceiveServerAccess, AppliesTheAccessList) {
    NetworkProperty s;
    s.AllowAll = 0;
    EXPECT_FALSE(CReceiveServer::IsPeerAllowed(s, "127.0.0.1"));
    s.AllowAll = 1;
    EXPECT_TRUE(CReceiveServer::IsPeerAllowed(s, "127.0.0.1"));

    s.AllowAll = 0;
    s.NetworkInfoList = {Entry("127.0.0.0", "255.255.255.0")};
    EXPECT_TRUE(CReceiveServer::IsPeerAllowed(s, "127.0.0.1"));
    EXPECT_TRUE(CReceiveServer::IsPeerAllowed(s, "127.0.0.254"));
    EXPECT_FALSE(CReceiveServer::IsPeerAllowed(s, "127.0.1.1"));
    EXPECT_FALSE(CReceiveServer::IsPeerAllowed(s, "::1"));
    s.AllowAll = 1; // the list now names the refused networks
    EXPECT_FALSE(CReceiveServer::IsPeerAllowed(s, "127.0.0.9"));
    EXPECT_TRUE(CReceiveServer::IsPeerAllowed(s, "10.1.2.3"));

    // An entry that does not resolve is skipped; the next one decides.
    s.AllowAll = 0;
    s.NetworkInfoList = {Entry("no-such-host.invalid", "255.0.0.0"), Entry("10.0.0.7", "")};
    EXPECT_TRUE(CReceiveServer::IsPeerAllowed(s, "10.0.0.7"));
    EXPECT_FALSE(CReceiveServer::IsPeerAllowed(s, "10.0.0.8"));
    s.NetworkInfoList = {Entry("no-such-host.invalid", "")};
    EXPECT_FALSE(CReceiveServer::IsPeerAllowed(s, "10.0.0.7"));

    // IPv6 entries match by address text, whatever the spelling of the entry.
    s.NetworkInfoList = {Entry("0:0:0:0:0:0:0:1", "ffff::")};
    EXPECT_TRUE(CReceiveServer::IsPeerAllowed(s, "::1"));
    s.NetworkInfoList = {Entry("FE80::1", "")};
    EXPECT_TRUE(CReceiveServer::IsPeerAllowed(s, "fe80::1"));
    // The first matching entry decides.
    s.NetworkInfoList = {Entry("10.0.0.0", "255.0.0.0"), Entry("10.0.0.0", "255.0.0.0")};
    s.AllowAll = 1;
    EXPECT_FALSE(CReceiveServer::IsPeerAllowed(s, "10.9.9.9"));

    // Prefixes as people write them, IPv4 and IPv6, in the network or as the mask.
    s.AllowAll = 0;
    s.NetworkInfoList = {Entry("192.168.1.0/24", ""), Entry("fd00:1::/32", ""), Entry("172.16.0.0", "12")};
    EXPECT_TRUE(CReceiveServer::IsPeerAllowed(s, "192.168.1.77"));
    EXPECT_FALSE(CReceiveServer::IsPeerAllowed(s, "192.168.2.1"));
    EXPECT_TRUE(CReceiveServer::IsPeerAllowed(s, "fd00:1:ffff::9"));
    EXPECT_FALSE(CReceiveServer::IsPeerAllowed(s, "fd00:2::9"));
    EXPECT_TRUE(CReceiveServer::IsPeerAllowed(s, "172.31.255.255"));
    EXPECT_FALSE(CReceiveServer::IsPeerAllowed(s, "172.32.0.1"));
    EXPECT_FALSE(CReceiveServer::IsPeerAllowed(s, "garbage"));

    // What cannot be read is refused at entry.
    for (const auto& [network, mask] : std::vector<std::pair<const char*, const char*>>{{"192.168.1.300", ""},
                                                                                        {"192.168.1.0/33", ""},
                                                                                        {"192.168.1.0/24", "24"},
                                                                                        {"10.0.0.1", "255.0.x.0"},
                                                                                        {"fd00::/129", ""},
                                                                                        {"", ""},
                                                                                        {"host name", ""},
                                                                                        {"10.0.0.1", "64"}})
        EXPECT_FALSE(CAccessList::IsReadable(network, mask)) << network << " " << mask;
    for (const auto& [network, mask] :
         std::vector<std::pair<const char*, const char*>>{{"192.168.1.0/24", ""},
                                                          {"192.168.1.0", "255.255.255.0"},
                                                          {"10.0.0.1", "/8"},
                                                          {"fe80::1", ""},
                                                          {"fd00::", "ffff:ff00::"},
                                                          {"office-pc.local", ""},
                                                          {"printer", "255.255.0.0"}})
        EXPECT_TRUE(CAccessList::IsReadable(network, mask)) << network << " " << mask;
}

TEST_F(ReceiveServerTest, AccessListDecidesAtAccept) {
    m_host.Edit([](NetworkProperty& s) { s.AllowAll = 0; });
    Start();
    CClient refused;
    Connect(refused);
    EXPECT_TRUE(refused.ClosedWithin(2s));
    EXPECT_EQ(0, m_server->GetSessionCount());

    m_host.Edit([](NetworkProperty& s) { s.NetworkInfoList = {Entry("127.0.0.0", "255.255.255.0")}; });
    CClient admitted;
    Connect(admitted);
    CHTTPRequest request = MakeRequest(CHTTPRequest::kPost, "/");
    CHTTPResponse response;
    ASSERT_TRUE(admitted.Exchange(request, response));
    EXPECT_EQ(200, response.GetStatus());

    m_host.Edit([](NetworkProperty& s) { s.AllowAll = 1; });
    CClient listedAsRefused;
    Connect(listedAsRefused);
    EXPECT_TRUE(listedAsRefused.ClosedWithin(2s));
}

TEST_F(ReceiveServerTest, UnansweredConfirmationAcceptsAfterItsTime) {
    m_host.Edit([](NetworkProperty& s) {
        s.ConfirmReceive = 1;
        s.ConfirmExpire = 1;
    });
    m_host.m_confirm = CScriptedHost::EConfirm::Never;
    Start();
    CClient client;
    Connect(client);
    CHTTPRequest request = MakeRequest(CHTTPRequest::kPut, "/Message", "late", "text/plain");
    CHTTPResponse response;
    const auto begin = std::chrono::steady_clock::now();
    ASSERT_TRUE(client.Exchange(request, response, 10s));
    const auto waited = std::chrono::steady_clock::now() - begin;
    EXPECT_EQ(200, response.GetStatus());
    EXPECT_GE(waited, 900ms);
    EXPECT_LT(waited, 5s);
    ASSERT_TRUE(sockettest::WaitFor([&] { return m_host.Items().size() == 1; }));
    EXPECT_EQ(1, m_host.Questions().at(0).Expire);

    // Without a time limit only the user or a stop ends the question; a stop drops the request.
    m_host.Edit([](NetworkProperty& s) { s.ConfirmExpire = 0; });
    CClient waiting;
    Connect(waiting);
    ASSERT_TRUE(waiting.SendRaw("PUT /Message HTTP/1.0\r\nContent-Type: text/plain\r\nContent-Length: 2\r\n\r\nhi"));
    ASSERT_TRUE(sockettest::WaitFor([&] { return m_host.Questions().size() == 2; }));
    const auto stopAt = std::chrono::steady_clock::now();
    m_server->StopServer();
    EXPECT_TRUE(waiting.ClosedWithin(2s));
    EXPECT_LT(std::chrono::steady_clock::now() - stopAt, 2s);
    EXPECT_EQ(1u, m_host.Items().size());
}

TEST_F(ReceiveServerTest, SecondDeliveryWaitsForTheSlot) {
    m_host.m_autoTake = false;
    Start();
    CClient first, second;
    Connect(first);
    Connect(second);
    CHTTPResponse response;
    CHTTPRequest one = MakeRequest(CHTTPRequest::kPut, "/Message", "one", "text/plain");
    ASSERT_TRUE(first.Exchange(one, response));
    EXPECT_EQ(200, response.GetStatus());

    auto answered = std::async(std::launch::async, [&] {
        CHTTPRequest two = MakeRequest(CHTTPRequest::kPut, "/Message", "two", "text/plain");
        CHTTPResponse reply;
        return second.Exchange(two, reply, 10s) ? reply.GetStatus() : 0;
    });
    EXPECT_EQ(std::future_status::timeout, answered.wait_for(300ms));

    CInboundSlot::Item item;
    ASSERT_TRUE(m_host.GetInboundSlot().Take(item));
    EXPECT_EQ("one", item.Bytes);
    EXPECT_EQ(200, answered.get());
    ASSERT_TRUE(m_host.GetInboundSlot().Take(item));
    EXPECT_EQ("two", item.Bytes);
}

TEST_F(ReceiveServerTest, SlowPeerCostsOnlyItsOwnSession) {
    CReceiveServer::Options options;
    options.RequestDeadline = 1s;
    Start(AF_INET, options);
    CClient slow, quick;
    Connect(slow);
    ASSERT_TRUE(slow.SendRaw("PUT /Message HTTP/1.0\r\nContent-Length: 10\r\n\r\nabc"));
    std::this_thread::sleep_for(100ms);

    const auto begin = std::chrono::steady_clock::now();
    Connect(quick);
    CHTTPRequest request = MakeRequest(CHTTPRequest::kPost, "/");
    CHTTPResponse response;
    ASSERT_TRUE(quick.Exchange(request, response));
    EXPECT_EQ(200, response.GetStatus());
    EXPECT_LT(std::chrono::steady_clock::now() - begin, 900ms);

    // The slow one is dropped once its deadline has passed, unanswered.
    EXPECT_TRUE(slow.ClosedWithin(3s));
    EXPECT_LT(std::chrono::steady_clock::now() - begin, 3s);
    EXPECT_TRUE(m_host.Items().empty());
}

// A flood of silent connections from many peers: the cap per peer holds,
// the longest-idle session gives way at the total cap, and a well-behaved
// peer is answered at once.
TEST_F(ReceiveServerTest, SilentFloodCostsNoWellBehavedPeerItsAnswer) {
    CReceiveServer::Options options;
    options.MaxSessions = 200;
    options.MaxSessionsPerPeer = 8;
    Start(AF_INET, options);

    std::vector<std::unique_ptr<CClient>> silent;
    for (int peer = 2; peer < 40; ++peer)
        for (int i = 0; i < 9; ++i) {
            auto client = std::make_unique<CClient>();
            const std::string source = "127.0.0." + std::to_string(peer);
            ASSERT_TRUE(client->OpenFrom(source.c_str(), m_port));
            silent.push_back(std::move(client));
        }
    // The ninth of each peer pushed out the first of that peer.
    EXPECT_TRUE(silent[0]->ClosedWithin(2s));
    EXPECT_TRUE(silent[10]->SendRaw("P")); // one byte, then nothing

    const auto begin = std::chrono::steady_clock::now();
    CClient polite;
    Connect(polite);
    CHTTPRequest request = MakeRequest(CHTTPRequest::kPost, "/");
    CHTTPResponse response;
    ASSERT_TRUE(polite.Exchange(request, response, 2s));
    EXPECT_EQ(200, response.GetStatus());
    EXPECT_LT(std::chrono::steady_clock::now() - begin, 500ms);
    EXPECT_LE(m_server->GetSessionCount(), 200);
    // The oldest silent session of all made room.
    EXPECT_TRUE(silent[1]->ClosedWithin(2s));
}

TEST_F(ReceiveServerTest, IdleKeptAliveSessionGivesWayToANewPeer) {
    CReceiveServer::Options options;
    options.MaxSessions = 1;
    Start(AF_INET, options);
    CClient idle;
    Connect(idle);
    CHTTPRequest keep = MakeRequest(CHTTPRequest::kPost, "/");
    keep.SetHeader("Connection", "Keep-Alive");
    CHTTPResponse response;
    ASSERT_TRUE(idle.Exchange(keep, response));

    CClient late;
    Connect(late);
    CHTTPRequest request = MakeRequest(CHTTPRequest::kPost, "/");
    ASSERT_TRUE(late.Exchange(request, response = {}));
    EXPECT_EQ(200, response.GetStatus());
    EXPECT_TRUE(idle.ClosedWithin(2s));
}

TEST_F(ReceiveServerTest, OversizedBodyClosesTheConnection) {
    Start();
    CClient client;
    Connect(client);
    ASSERT_TRUE(client.SendRaw("PUT /Message HTTP/1.0\r\nContent-Type: text/plain\r\nContent-Length: " +
                               std::to_string(kMaxBody + 1) + "\r\n\r\nabc"));
    EXPECT_TRUE(client.ClosedWithin(2s));

    CClient negative;
    Connect(negative);
    ASSERT_TRUE(negative.SendRaw("PUT /Message HTTP/1.0\r\nContent-Type: text/plain\r\nContent-Length: -5\r\n\r\n"));
    EXPECT_TRUE(negative.ClosedWithin(2s));
    EXPECT_TRUE(m_host.Items().empty());
}

TEST_F(ReceiveServerTest, StopServerClosesSessionsAndRestarts) {
    Start();
    CClient client;
    Connect(client);
    CHTTPRequest request = MakeRequest(CHTTPRequest::kPost, "/");
    CHTTPResponse response;
    ASSERT_TRUE(client.Exchange(request, response));
    ASSERT_EQ(1, m_server->GetSessionCount());

    m_server->StopServer();
    EXPECT_FALSE(m_server->IsRunning());
    EXPECT_EQ(0, m_server->GetSessionCount());
    EXPECT_TRUE(client.ClosedWithin(2s));
    CClient late;
    EXPECT_FALSE(late.Open(AF_INET, m_port));

    // Straight back on the same port.
    m_host.Edit([&](NetworkProperty& s) { s.Port = static_cast<uint16_t>(m_port); });
    ASSERT_TRUE(m_server->StartServer());
    std::string address;
    ASSERT_TRUE(m_server->GetListenAddress(address, m_port));
    CClient again;
    Connect(again);
    ASSERT_TRUE(again.Exchange(request, response = {}));
    EXPECT_EQ(200, response.GetStatus());
}

TEST_F(ReceiveServerTest, ReportsListenFailuresButNotUnresolvableAddresses) {
    Start();
    CReceiveServer second(m_host);
    m_host.Edit([&](NetworkProperty& s) { s.Port = static_cast<uint16_t>(m_port); });
    EXPECT_FALSE(second.StartServer());
    EXPECT_EQ(std::vector<int>{strings::kServerSocketCreateFailed}, m_host.Errors());

    EXPECT_EQ(std::vector<int>{strings::kServerSocketCreateFailed}, m_host.Errors());
    m_host.Edit([](NetworkProperty& s) { CopyField(s.Address, "no-such-host.invalid"); });
    EXPECT_FALSE(second.StartServer());
    EXPECT_EQ(1u, m_host.Errors().size());
}

// Empty, or the computer's own name (which Debian maps to 127.0.1.1), means
// every address; a typed loopback address stays loopback.
TEST_F(ReceiveServerTest, EmptyAddressOrOwnNameListensOnEveryAddressOfBothFamilies) {
    char own[256] = {};
    ASSERT_EQ(0, ::gethostname(own, sizeof own - 1));
    m_host.Edit([&](NetworkProperty& s) { CopyField(s.Address, own); });
    m_server = std::make_unique<CReceiveServer>(m_host);
    ASSERT_TRUE(m_server->StartServer());
    std::string address;
    ASSERT_TRUE(m_server->GetListenAddress(address, m_port));
    EXPECT_TRUE(address == "::" || address == "0.0.0.0") << address;
    EXPECT_TRUE(CReceiveServer::ListensEverywhere(""));
    EXPECT_FALSE(CReceiveServer::ListensEverywhere("127.0.1.1"));
    for (const int family : {AF_INET, AF_INET6}) {
        CClient client;
        ASSERT_TRUE(client.Open(family, m_port)) << family;
        CHTTPRequest request = MakeRequest(CHTTPRequest::kPost, "/");
        CHTTPResponse response;
        ASSERT_TRUE(client.Exchange(request, response));
        EXPECT_EQ(200, response.GetStatus());
    }
}
