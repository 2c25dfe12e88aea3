#include "platform/Messenger.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

TEST(MessengerTest, NoLibraryOrAnUnfitOneMeansNoMessenger) {
    CMessenger missing("libchatbus-not-installed.so.1");
    EXPECT_FALSE(missing.IsMessengerRunning());
    EXPECT_FALSE(missing.PutPluginMessage("note"));

    // A library that loads but lacks the two functions is no messenger either.
    CMessenger unfit("libm.so.6");
    EXPECT_FALSE(unfit.IsMessengerRunning());
    EXPECT_FALSE(unfit.PutPluginMessage("note"));

    CScopedVariable unset(CMessenger::kLibraryVariable, std::nullopt);
    EXPECT_EQ(CMessenger().LibraryName(), "libchatbus.so.1");
    CScopedVariable set(CMessenger::kLibraryVariable, CHATBUS_DOUBLE);
    EXPECT_EQ(CMessenger().LibraryName(), CHATBUS_DOUBLE);
}

TEST(MessengerTest, RunningMeansExactlyOne) {
    CTempFolder folder;
    CScopedVariable log("CHATBUS_DOUBLE_LOG", folder / "calls");
    CMessenger messenger(CHATBUS_DOUBLE);
    {
        CScopedVariable running("CHATBUS_DOUBLE_RUNNING", "1");
        EXPECT_TRUE(messenger.IsMessengerRunning());
    }
    {
        CScopedVariable running("CHATBUS_DOUBLE_RUNNING", "0");
        EXPECT_FALSE(messenger.IsMessengerRunning());
    }
    {
        CScopedVariable running("CHATBUS_DOUBLE_RUNNING", "2");
        EXPECT_FALSE(messenger.IsMessengerRunning());
    }
    EXPECT_EQ(Read(folder / "calls"), "IsMessengerRunning\nIsMessengerRunning\nIsMessengerRunning\n");
}

TEST(MessengerTest, NoteBytesAndIdentifierReachTheLibrary) {
    CTempFolder folder;
    CScopedVariable log("CHATBUS_DOUBLE_LOG", folder / "calls");
    CMessenger messenger(CHATBUS_DOUBLE);
    const std::string document("<?xml version=\"1.0\" ?>\r\n<Quillet>\0\xe3\x81\x82</Quillet>", 41);
    ASSERT_EQ(document.size(), 41u);
    EXPECT_TRUE(messenger.PutPluginMessage(document));
    EXPECT_EQ(Read(folder / "calls"), "PutPluginMessage {1A23B247-C9CF-43f5-A7AE-6B1FF4BDB52A} 41\n" + document + "\n");
}
