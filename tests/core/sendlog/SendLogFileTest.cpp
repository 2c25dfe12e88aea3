#include "core/store/SendLogFile.h"

#include "core/store/DestInfo.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class SendLogFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/quillet-sendlog-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_dir = pattern;
        m_path = m_dir + "/SendLog.ini";
    }
    void TearDown() override { std::system(("rm -rf '" + m_dir + "'").c_str()); }

    static std::string ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    static void WriteFile(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    static bool Exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

    std::string m_dir;
    std::string m_path;
};

} // namespace

TEST_F(SendLogFileTest, SaveThenLoadRoundTrips) {
    CDestInfo list;
    EXPECT_EQ(LoadSendLog(m_path, list), SendLogStatus::Missing);
    EXPECT_EQ(list.GetCount(), 0);

    list.AddRecent("pc2", 4126);
    list.AddRecent("Ärger.local", 8080);
    ASSERT_TRUE(SaveSendLog(m_path, list));

    struct stat st {};
    ASSERT_EQ(::stat(m_path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_FALSE(Exists(m_path + "_tmp"));
    EXPECT_FALSE(Exists(m_path + ".bad"));

    CDestInfo loaded;
    EXPECT_EQ(LoadSendLog(m_path, loaded), SendLogStatus::Loaded);
    EXPECT_EQ(loaded.GetEntries().size(), 2u);
    EXPECT_EQ(loaded.Find("ärger.LOCAL", 8080), 0);
    EXPECT_EQ(loaded.Find("pc2", 4126), 1);

    // A second save replaces the file, a stale temporary file notwithstanding.
    WriteFile(m_path + "_tmp", "stale");
    loaded.RemoveAt(0);
    ASSERT_TRUE(SaveSendLog(m_path, loaded));
    CDestInfo again;
    EXPECT_EQ(LoadSendLog(m_path, again), SendLogStatus::Loaded);
    EXPECT_EQ(again.GetCount(), 1);
    EXPECT_FALSE(Exists(m_path + "_tmp"));
}

TEST_F(SendLogFileTest, DamagedFileIsKeptBeforeItIsReplaced) {
    const std::string damaged = "<?xml version=\"1.0\" ?>\r\n<Quillet>\r\n<List Name=\"lost\" Port=\"1\"";
    WriteFile(m_path, damaged);

    CDestInfo list;
    list.AddRecent("before", 1);
    EXPECT_EQ(LoadSendLog(m_path, list), SendLogStatus::NotParsed);
    EXPECT_EQ(list.GetCount(), 1);

    ASSERT_TRUE(SaveSendLog(m_path, list));
    EXPECT_EQ(ReadFile(m_path + ".bad"), damaged);
    CDestInfo loaded;
    EXPECT_EQ(LoadSendLog(m_path, loaded), SendLogStatus::Loaded);
    EXPECT_EQ(loaded.Find("before", 1), 0);

    // A file that parses is simply replaced; the kept copy stays as it was.
    list.AddRecent("after", 2);
    ASSERT_TRUE(SaveSendLog(m_path, list));
    EXPECT_EQ(ReadFile(m_path + ".bad"), damaged);

    // An empty file holds nothing worth keeping.
    ::unlink((m_path + ".bad").c_str());
    WriteFile(m_path, "");
    ASSERT_TRUE(SaveSendLog(m_path, list));
    EXPECT_FALSE(Exists(m_path + ".bad"));
}

TEST_F(SendLogFileTest, FailuresLeaveThePreviousFile) {
    // No such folder: nothing written, nothing thrown.
    CDestInfo list;
    list.AddRecent("x", 1);
    EXPECT_FALSE(SaveSendLog(m_dir + "/missing/SendLog.ini", list));

    // A folder in the file's place is neither read nor renamed away.
    ::mkdir(m_path.c_str(), 0700);
    EXPECT_EQ(LoadSendLog(m_path, list), SendLogStatus::Unreadable);
    EXPECT_FALSE(SaveSendLog(m_path, list));
    EXPECT_FALSE(Exists(m_path + ".bad"));
    EXPECT_FALSE(Exists(m_path + "_tmp"));
    EXPECT_EQ(list.GetCount(), 1);
}

TEST_F(SendLogFileTest, SavedFileIsWellFormedXml) {
    if (std::system("command -v xmllint >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "xmllint not installed";
    CDestInfo list;
    list.AddRecent("pc1", 4126);
    list.AddRecent("10.0.0.7", 80);
    list.AddRecent("Überraschung.example", 65535);
    ASSERT_TRUE(SaveSendLog(m_path, list));
    EXPECT_EQ(std::system(("xmllint --noout '" + m_path + "'").c_str()), 0);
}
