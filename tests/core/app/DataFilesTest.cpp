#include "core/app/SettingsFile.h"
#include "core/base/FieldText.h"
#include "core/base/Paths.h"
#include "core/stream/DataFiles.h"
#include "core/stream/FileError.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const std::string& path) {
    std::string contents;
    EXPECT_TRUE(ReadWholeFile(path, contents)) << path;
    return contents;
}

void WriteFile(const std::string& path, const std::string& contents) {
    std::ofstream(path) << contents;
}

mode_t ModeOf(const std::string& path) {
    struct stat info;
    EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

// Each test gets its own home and XDG folders.
class DataFiles : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/quillet-filesXXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_root = pattern;
        setenv("HOME", m_root.c_str(), 1);
        unsetenv("XDG_CONFIG_HOME");
        unsetenv("XDG_DOCUMENTS_DIR");
    }
    void TearDown() override { fs::remove_all(m_root); }

    std::string m_root;
};

} // namespace

TEST_F(DataFiles, PathsFollowTheEnvironment) {
    EXPECT_EQ(CPaths::SettingsFile(), m_root + "/.config/Quillet/Quillet.ini");
    EXPECT_EQ(CPaths::DefaultSavePath(), m_root + "/Documents/Quillet");

    // user-dirs.dirs names the documents folder relative to $HOME.
    fs::create_directories(m_root + "/.config");
    WriteFile(m_root + "/.config/user-dirs.dirs", "# comment\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
    EXPECT_EQ(CPaths::DocumentsFolder(), m_root + "/Dokumente");

    setenv("XDG_CONFIG_HOME", (m_root + "/cfg/").c_str(), 1);
    setenv("XDG_DOCUMENTS_DIR", (m_root + "/docs").c_str(), 1);
    EXPECT_EQ(CPaths::SendLogFile(), m_root + "/cfg/Quillet/SendLog.ini");
    EXPECT_EQ(CPaths::LocalPortFile(), m_root + "/cfg/Quillet/localport.ini");
    EXPECT_EQ(CPaths::DefaultSavePath(), m_root + "/docs/Quillet");
    // A relative XDG_CONFIG_HOME is ignored, as the XDG rules say.
    setenv("XDG_CONFIG_HOME", "relative", 1);
    EXPECT_EQ(CPaths::ConfigFolder(), m_root + "/.config/Quillet");
}

TEST_F(DataFiles, NoteFilesSaveLoadAndDelete) {
    const std::string save = m_root + "/deep/notes";
    SaveNoteFile(save, 12, "first");
    SaveNoteFile(save, 12, "second");
    SaveNoteFile(save, 7, std::string("bin\0ary", 7));
    EXPECT_EQ(ModeOf(save), 0700u);
    EXPECT_EQ(ModeOf(save + "/12"), 0600u);
    EXPECT_EQ(ReadFile(save + "/12"), "second");
    EXPECT_FALSE(fs::exists(save + "/12_tmp"));

    // A left-over temporary file is a note of its own; folders, pipes and
    // devices are skipped without waiting on or reading them.
    WriteFile(save + "/12_tmp", "left over");
    fs::create_directory(save + "/subfolder");
    ASSERT_EQ(mkfifo((save + "/13").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", save + "/14");
    const std::vector<NoteFile> files = LoadNoteFiles(save);
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(files[0].Name, "12");
    EXPECT_EQ(files[0].Contents, "second");
    EXPECT_EQ(files[1].Name, "12_tmp");
    EXPECT_EQ(files[1].Contents, "left over");
    EXPECT_EQ(files[2].Contents, std::string("bin\0ary", 7));

    EXPECT_TRUE(DeleteNoteFile(save, 12));
    EXPECT_FALSE(fs::exists(save + "/12"));
    EXPECT_TRUE(DeleteNoteFile(save, 12)); // already gone

    // A missing save folder is created, empty.
    EXPECT_TRUE(LoadNoteFiles(m_root + "/fresh").empty());
    EXPECT_EQ(ModeOf(m_root + "/fresh"), 0700u);
}

TEST_F(DataFiles, FailedWritesKeepTheOldFileAndReportTheError) {
    const std::string save = m_root + "/notes";
    SaveNoteFile(save, 5, "old contents");

    // The temporary name is taken by a folder: the write cannot start.
    fs::create_directory(save + "/5_tmp");
    EXPECT_THROW(SaveNoteFile(save, 5, "new contents"), CFileError);
    EXPECT_EQ(ReadFile(save + "/5"), "old contents");
    EXPECT_TRUE(fs::is_directory(save + "/5_tmp"));

    // The final name is a non-empty folder: the rename fails, the temporary goes.
    fs::create_directories(save + "/6/inside");
    try {
        SaveNoteFile(save, 6, "data");
        ADD_FAILURE() << "no error reported";
    } catch (const CFileError& error) {
        EXPECT_NE(error.Error(), 0);
    }
    EXPECT_FALSE(fs::exists(save + "/6_tmp"));
    EXPECT_TRUE(fs::is_directory(save + "/6/inside"));

    // The save folder cannot be created under a file.
    WriteFile(m_root + "/plainfile", "x");
    EXPECT_THROW(SaveNoteFile(m_root + "/plainfile/notes", 1, "data"), CFileError);
    EXPECT_THROW(WriteFileAtomically(m_root + "/missing/parent/file", "data", 0600), CFileError);
}

TEST_F(DataFiles, SettingsFileRoundTripAndModes) {
    CPropParser defaults;
    EXPECT_EQ(CSettingsFile::Load(defaults), CSettingsFile::LoadResult::Missing);
    EXPECT_STREQ(defaults.m_application.SavePath, (m_root + "/Documents/Quillet").c_str());
    EXPECT_EQ(defaults.m_network.Port, kDefaultPort);

    CPropParser model;
    model.m_application.EnableStartup = 1;
    model.m_network.ConfirmExpire = 25;
    CopyField(model.m_network.Passwd, "secret");
    model.m_network.AcceptTransfer = 1;
    model.m_hasInform = true; // never part of the settings
    model.SetMessage("body", 4);
    CGroup groups;
    groups.SetMembers("g", {{3, "t"}});
    model.m_groups = groups;
    CSettingsFile::Save(model);

    const std::string path = m_root + "/.config/Quillet/Quillet.ini";
    EXPECT_EQ(ModeOf(m_root + "/.config/Quillet"), 0700u);
    EXPECT_EQ(ModeOf(path), 0600u);
    const std::string text = ReadFile(path);
    EXPECT_EQ(text.find("InformProperty"), std::string::npos);
    EXPECT_EQ(text.find("<Message>"), std::string::npos);

    CPropParser read;
    EXPECT_EQ(CSettingsFile::Load(read), CSettingsFile::LoadResult::Loaded);
    EXPECT_EQ(read.m_application.EnableStartup, 1);
    EXPECT_EQ(read.m_network.ConfirmExpire, 25);
    EXPECT_STREQ(read.m_network.Passwd, "secret");
    EXPECT_TRUE(read.m_hasGroupList);
    EXPECT_TRUE(read.m_groups.HasMember("g", 3));
    // An empty SavePath in the file still gives the default folder.
    EXPECT_STREQ(read.m_application.SavePath, (m_root + "/Documents/Quillet").c_str());
}

TEST_F(DataFiles, UnparsableSettingsAreKeptAsBad) {
    const std::string folder = m_root + "/.config/Quillet";
    fs::create_directories(folder);
    const std::string path = folder + "/Quillet.ini";
    WriteFile(path, "not a settings document\n");

    CPropParser model;
    EXPECT_EQ(CSettingsFile::Load(model), CSettingsFile::LoadResult::Unparsable);
    EXPECT_EQ(model.m_network.Port, kDefaultPort);
    CSettingsFile::Save(model);
    EXPECT_EQ(ReadFile(path + ".bad"), "not a settings document\n");
    EXPECT_EQ(CSettingsFile::Load(model), CSettingsFile::LoadResult::Loaded);

    // A good file is replaced without keeping a copy aside.
    fs::remove(path + ".bad");
    CSettingsFile::Save(model);
    EXPECT_FALSE(fs::exists(path + ".bad"));
    EXPECT_FALSE(KeepAsBadIfUnparsable(folder + "/absent", &CSettingsFile::Parses));

    // When the copy cannot be kept the file must not be overwritten either.
    WriteFile(path, "garbage again");
    fs::create_directories(path + ".bad/occupied");
    EXPECT_THROW(CSettingsFile::Save(model), CFileError);
    EXPECT_EQ(ReadFile(path), "garbage again");
}
