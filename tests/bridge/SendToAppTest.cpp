#include "BridgeFixture.h"

#include "quilletfire.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string kNoteDocument =
    "<?xml version=\"1.0\" ?>\r\n<Quillet>\r\n<Sheet ID=\"1\" Title=\"t\"/>\r\n</Quillet>\r\n";

QuilletFireStatus Deliver(const std::string& text) {
    QuilletFireMessage* message = quilletfire_message_new();
    EXPECT_EQ(quilletfire_message_put(message, text.data(), text.size()), QUILLETFIRE_S_OK);
    const QuilletFireStatus status = quilletfire_message_deliver(message);
    quilletfire_message_free(message);
    return status;
}

// A port on loopback where nobody listens.
int ClosedPort() {
    TestListener gone;
    return gone.Port();
}

} // namespace

TEST_F(BridgeTest, RunningProgramReceivesExactBytes) {
    LockHolder running(LockFile());
    TestListener listener;
    WritePortFile(std::to_string(listener.Port()));

    EXPECT_EQ(Deliver("Buy milk, 牛乳"), QUILLETFIRE_DELIVERED);
    EXPECT_EQ(listener.NextText(), "Buy milk, 牛乳");

    EXPECT_EQ(Deliver(kNoteDocument), QUILLETFIRE_DELIVERED);
    EXPECT_EQ(listener.NextText(), kNoteDocument);

    std::string big(1 << 20, '\0');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i * 131 + i / 4096);
    QuilletFireMessage* message = quilletfire_message_new();
    ASSERT_EQ(quilletfire_message_put(message, big.data(), big.size()), QUILLETFIRE_S_OK);
    EXPECT_EQ(quilletfire_send_to_app(message), QUILLETFIRE_S_OK);
    EXPECT_EQ(listener.NextText(), big);
    // The same object sends again, and a zero-terminated text stops at its end.
    ASSERT_EQ(quilletfire_message_put_string(message, "short"), QUILLETFIRE_S_OK);
    EXPECT_EQ(quilletfire_send_to_app(message), QUILLETFIRE_S_OK);
    EXPECT_EQ(listener.NextText(), "short");
    quilletfire_message_free(message);

    // A port file with a line end (written by hand) still works; an empty text is sent as one.
    WritePortFile(std::to_string(listener.Port()) + "\n");
    EXPECT_EQ(Deliver(""), QUILLETFIRE_DELIVERED);
    EXPECT_EQ(listener.NextText(), "");
}

TEST_F(BridgeTest, NeverSetTextSendsNothingAndStartsNothing) {
    LockHolder running(LockFile());
    TestListener listener;
    WritePortFile(std::to_string(listener.Port()));
    QuilletFireMessage* message = quilletfire_message_new();
    EXPECT_EQ(quilletfire_message_deliver(message), QUILLETFIRE_NOTHING_TO_SEND);
    EXPECT_EQ(quilletfire_send_to_app(message), QUILLETFIRE_S_OK);
    EXPECT_FALSE(listener.NextText(300).has_value());
    EXPECT_EQ(listener.Accepted(), 0);

    UseFakeProgram();
    setenv("QUILLET_INSTANCE_NAME", "nobody-runs-this", 1);
    EXPECT_EQ(quilletfire_send_to_app(message), QUILLETFIRE_S_OK);
    EXPECT_FALSE(WaitForFakeFile("pid", 500).has_value());
    quilletfire_message_free(message);
}

TEST_F(BridgeTest, InvalidArguments) {
    EXPECT_EQ(quilletfire_send_to_app(nullptr), QUILLETFIRE_E_INVALIDARG);
    EXPECT_EQ(quilletfire_message_deliver(nullptr), QUILLETFIRE_INVALID_ARGUMENT);
    EXPECT_EQ(quilletfire_message_put(nullptr, "x", 1), QUILLETFIRE_E_INVALIDARG);
    QuilletFireMessage* message = quilletfire_message_new();
    EXPECT_EQ(quilletfire_message_put(message, nullptr, 3), QUILLETFIRE_E_INVALIDARG);
    // A refused text leaves the message unset.
    EXPECT_EQ(quilletfire_message_deliver(message), QUILLETFIRE_NOTHING_TO_SEND);
    EXPECT_EQ(quilletfire_message_put(message, nullptr, 0), QUILLETFIRE_S_OK);
    quilletfire_message_free(message);
    quilletfire_message_free(nullptr);
}

TEST_F(BridgeTest, StartsProgramDetachedAndIgnoresStalePortFile) {
    // A port file left by an earlier run points at somebody else's listener now.
    TestListener stranger;
    WritePortFile(std::to_string(stranger.Port()));
    UseFakeProgram("serve", 300);
    // A descriptor the caller forgot to mark close-on-exec must not reach the program.
    const int leaked = open("/dev/null", O_RDONLY);
    ASSERT_GE(leaked, 0);

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Deliver("started for me"), QUILLETFIRE_DELIVERED);
    EXPECT_GE(MillisecondsSince(start), 300);
    EXPECT_EQ(WaitForFakeFile("received"), "started for me");
    EXPECT_EQ(stranger.Accepted(), 0);
    EXPECT_TRUE(HasNoChildren());

    const std::string info = ReadWholeFile(Root() + "/fake/info");
    EXPECT_EQ(info.find("ppid=" + std::to_string(getpid()) + "\n"), std::string::npos) << info;
    EXPECT_EQ(info.find("sid=" + std::to_string(getsid(0)) + "\n"), std::string::npos) << info;
    EXPECT_NE(info.find("stdin=/dev/null\n"), std::string::npos) << info;
    EXPECT_NE(info.find("stdout=/dev/null\n"), std::string::npos) << info;
    // Standard streams and its own lock file only: nothing of the caller leaked in.
    EXPECT_NE(info.find("\nfds=,0,1,2,3,\n"), std::string::npos) << info << " leaked " << leaked;
    close(leaked);
}

TEST_F(BridgeTest, UnstartableProgramFailsQuickly) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Deliver("x"), QUILLETFIRE_NOT_STARTED); // no such file
    setenv("QUILLET_APP_PATH", Root().c_str(), 1);    // a folder
    EXPECT_EQ(Deliver("x"), QUILLETFIRE_NOT_STARTED);
    const std::string plain = Root() + "/not-executable";
    ASSERT_EQ(close(open(plain.c_str(), O_WRONLY | O_CREAT, 0644)), 0);
    setenv("QUILLET_APP_PATH", plain.c_str(), 1);
    EXPECT_EQ(Deliver("x"), QUILLETFIRE_NOT_STARTED);
    setenv("QUILLET_APP_PATH", "no-such-program-on-path-quillet", 1);
    EXPECT_EQ(Deliver("x"), QUILLETFIRE_NOT_STARTED);
    EXPECT_LT(MillisecondsSince(start), 1000);

    // A program that runs but ends without taking the lock is noticed long before the bound.
    setenv("QUILLET_APP_PATH", "/bin/true", 1);
    QuilletFireMessage* message = quilletfire_message_new();
    quilletfire_message_put_string(message, "x");
    const auto ended = std::chrono::steady_clock::now();
    EXPECT_EQ(quilletfire_send_to_app(message), QUILLETFIRE_S_FALSE);
    EXPECT_LT(MillisecondsSince(ended), 3000);
    quilletfire_message_free(message);
    EXPECT_TRUE(HasNoChildren());
}

TEST_F(BridgeTest, ProgramThatNeverOpensItsListenerTimesOut) {
    UseFakeProgram("noport");
    setenv("QUILLETFIRE_START_TIMEOUT_MS", "1000", 1);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Deliver("x"), QUILLETFIRE_START_TIMEOUT);
    EXPECT_GE(MillisecondsSince(start), 1000);
    EXPECT_LT(MillisecondsSince(start), 4000);
    EXPECT_TRUE(WaitForFakeFile("pid", 100).has_value());
    EXPECT_TRUE(HasNoChildren());
    EXPECT_EQ(quilletfire_status_result(QUILLETFIRE_START_TIMEOUT), QUILLETFIRE_S_FALSE);
}

TEST_F(BridgeTest, OnlyThisInstanceCounts) {
    TestListener listener;
    WritePortFile(std::to_string(listener.Port()));
    {
        LockHolder other(LockFile("someone-else"));
        EXPECT_EQ(Deliver("x"), QUILLETFIRE_NOT_STARTED);
    }
    // A lock file nobody holds is what a crashed program leaves.
    { LockHolder crashed(LockFile()); }
    EXPECT_EQ(Deliver("x"), QUILLETFIRE_NOT_STARTED);
    // A symbolic link to a held lock is not the lock.
    ASSERT_EQ(unlink(LockFile().c_str()), 0);
    LockHolder held(LockFile("someone-else"));
    ASSERT_EQ(symlink(LockFile("someone-else").c_str(), LockFile().c_str()), 0);
    EXPECT_EQ(Deliver("x"), QUILLETFIRE_NOT_STARTED);
    // A FIFO in its place neither hangs the bridge nor counts.
    ASSERT_EQ(unlink(LockFile().c_str()), 0);
    ASSERT_EQ(mkfifo(LockFile().c_str(), 0600), 0);
    EXPECT_EQ(Deliver("x"), QUILLETFIRE_NOT_STARTED);
    // A lock file of another user (planted in a shared /tmp) does not count.
    ASSERT_EQ(unlink(LockFile().c_str()), 0);
    if (geteuid() == 0) {
        ASSERT_EQ(close(open(LockFile().c_str(), O_RDWR | O_CREAT, 0600)), 0);
        ASSERT_EQ(chown(LockFile().c_str(), 65534, 65534), 0);
        LockHolder planted(LockFile());
        EXPECT_EQ(Deliver("x"), QUILLETFIRE_NOT_STARTED);
    }
    // A slash in the name does not reach outside the runtime folder.
    setenv("QUILLET_INSTANCE_NAME", "../runtime/h_Pinlet_PrevInstance_someone-else", 1);
    EXPECT_EQ(Deliver("x"), QUILLETFIRE_NOT_STARTED);
    EXPECT_EQ(listener.Accepted(), 0);
}

TEST_F(BridgeTest, RunningWithoutUsableListenerReportsSuccessWithoutHanging) {
    LockHolder running(LockFile());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Deliver("x"), QUILLETFIRE_NO_PORT); // no port file
    WritePortFile("not a port");
    EXPECT_EQ(Deliver("x"), QUILLETFIRE_NO_PORT);
    WritePortFile("70000");
    EXPECT_EQ(Deliver("x"), QUILLETFIRE_NO_PORT);
    ASSERT_EQ(unlink(PortFile().c_str()), 0);
    ASSERT_EQ(mkfifo(PortFile().c_str(), 0600), 0);
    EXPECT_EQ(Deliver("x"), QUILLETFIRE_NO_PORT);
    ASSERT_EQ(unlink(PortFile().c_str()), 0);
    WritePortFile(std::to_string(ClosedPort()));
    EXPECT_EQ(Deliver("x"), QUILLETFIRE_CONNECT_FAILED);
    EXPECT_LT(MillisecondsSince(start), 2000);
    for (QuilletFireStatus status : {QUILLETFIRE_NO_PORT, QUILLETFIRE_CONNECT_FAILED, QUILLETFIRE_SEND_FAILED})
        EXPECT_EQ(quilletfire_status_result(status), QUILLETFIRE_S_OK);
}

TEST_F(BridgeTest, ListenerThatStopsReadingEndsInResetNotInTruncatedText) {
    LockHolder running(LockFile());
    TestListener stuck(false);
    WritePortFile(std::to_string(stuck.Port()));
    // Far more than loopback buffers hold.
    const std::string huge(64 << 20, 'q');
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Deliver(huge), QUILLETFIRE_SEND_FAILED);
    EXPECT_LT(MillisecondsSince(start), 20000);
    EXPECT_EQ(stuck.DrainFirstConnection(), ECONNRESET);
}

TEST_F(BridgeTest, CppClass) {
    LockHolder running(LockFile());
    TestListener listener;
    WritePortFile(std::to_string(listener.Port()));

    PinletMessage message;
    EXPECT_EQ(message.SendToApp(), QUILLETFIRE_S_OK); // never set: nothing sent
    const std::string withZero("a\0b", 3);
    EXPECT_EQ(message.put_Message(withZero), QUILLETFIRE_S_OK);
    EXPECT_EQ(message.SendToApp(), QUILLETFIRE_S_OK);
    EXPECT_EQ(listener.NextText(), withZero);

    PinletMessage moved(std::move(message));
    EXPECT_EQ(moved.put_Message("moved"), QUILLETFIRE_S_OK);
    EXPECT_EQ(moved.Deliver(), QUILLETFIRE_DELIVERED);
    EXPECT_EQ(listener.NextText(), "moved");
    EXPECT_EQ(message.SendToApp(), QUILLETFIRE_E_INVALIDARG); // NOLINT: moved-from on purpose
    EXPECT_EQ(listener.Accepted(), 2);
}
