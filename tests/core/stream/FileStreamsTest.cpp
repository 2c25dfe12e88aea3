#include "core/stream/FileError.h"
#include "core/stream/FileInputStream.h"
#include "core/stream/FileOutputStream.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {
struct TempFile {
    std::string path;
    int fd;
    TempFile() {
        char name[] = "/tmp/quillet-stream-XXXXXX";
        fd = mkstemp(name);
        path = name;
    }
    ~TempFile() {
        close(fd);
        unlink(path.c_str());
    }
};
} // namespace

TEST(FileStreams, ShareThePositionOfTheCallersFile) {
    TempFile file;
    ASSERT_GE(file.fd, 0);
    {
        CFileOutputStream out(file.fd);
        EXPECT_EQ(out.Write("hello world", 11), 11);
    }
    // The duplicate is closed; the caller's descriptor still works and moved with it.
    EXPECT_EQ(lseek(file.fd, 0, SEEK_CUR), 11);
    ASSERT_EQ(lseek(file.fd, 0, SEEK_SET), 0);

    CFileInputStream in(file.fd);
    EXPECT_EQ(in.Available(), 11);
    char buf[16] = {};
    EXPECT_EQ(in.Read(buf, 5), 5);
    EXPECT_EQ(std::string(buf, 5), "hello");
    EXPECT_EQ(in.Available(), 6);
    EXPECT_EQ(in.Seek(-1, 1), 4);
    EXPECT_EQ(in.Read(buf, 16), 7);
    EXPECT_EQ(std::string(buf, 7), "o world");
    EXPECT_EQ(in.Read(buf, 16), 0);
    EXPECT_EQ(in.Seek(-1, 0), -1);
}

TEST(FileStreams, WithoutAFileNothingIsRead) {
    CFileInputStream in(-1);
    char c;
    EXPECT_EQ(in.Read(&c, 1), -1);
    EXPECT_EQ(in.Available(), -1);
    EXPECT_EQ(in.Seek(0, 0), -1);
    CFileOutputStream out(-1);
    EXPECT_EQ(out.Write("x", 1), -1);
}

TEST(FileStreams, WriteErrorIsRaised) {
    int fd = open("/dev/full", O_WRONLY);
    if (fd < 0)
        GTEST_SKIP() << "no /dev/full";
    CFileOutputStream out(fd);
    EXPECT_THROW(out.Write("x", 1), CFileError);
    close(fd);
}
