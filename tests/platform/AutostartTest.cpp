#include "platform/Autostart.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string Read(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void Write(const std::string& path, const std::string& text) {
    std::ofstream(path) << text;
}

bool Exists(const std::string& path) {
    return access(path.c_str(), F_OK) == 0;
}

std::string ExecLine(const std::string& entry) {
    std::istringstream in(entry);
    for (std::string line; std::getline(in, line);)
        if (line.rfind("Exec=", 0) == 0)
            return line;
    return {};
}

} // namespace

class AutostartTest : public ::testing::Test {
protected:
    AutostartTest() {
        m_autostart.SetUserFolder(m_folder / "config/autostart");
        m_autostart.SetAllUsersFolder(m_folder / "system");
        m_autostart.SetExecutable("/usr/bin/quillet");
        mkdir((m_folder / "system").c_str(), 0755);
    }
    CTempFolder m_folder;
    CAutostart m_autostart;
};

TEST_F(AutostartTest, DefaultsFollowTheEnvironment) {
    CScopedVariable config("XDG_CONFIG_HOME", m_folder / "cfg");
    CAutostart autostart;
    EXPECT_EQ(autostart.UserEntryPath(), m_folder / "cfg/autostart/Quillet.desktop");
    EXPECT_EQ(autostart.AllUsersEntryPath(), "/etc/xdg/autostart/Quillet.desktop");
    char self[4096] = {};
    ASSERT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
    EXPECT_EQ(autostart.Executable(), self);
}

TEST_F(AutostartTest, EnablingCreatesTheEntryOnceAndDisablingDeletesIt) {
    const std::string entry = m_autostart.UserEntryPath();
    ASSERT_TRUE(m_autostart.Apply(true)); // also creates the missing folders
    ASSERT_TRUE(Exists(entry));
    EXPECT_EQ(ExecLine(Read(entry)), "Exec=/usr/bin/quillet");

    // An entry that is already there is left alone, even when it differs, as
    // long as what it starts exists (or is looked up on PATH).
    for (const char* exec : {"/bin/sh -c true", "quillet --show-all", "\"/bin/sh\""}) {
        const std::string edited = std::string("[Desktop Entry]\nName=Edited by the user\nExec=") + exec + "\n";
        Write(entry, edited);
        EXPECT_TRUE(m_autostart.Apply(true));
        EXPECT_TRUE(m_autostart.RefreshIfStale());
        EXPECT_EQ(Read(entry), edited);
    }
    // One whose program is gone (an old build folder) is written anew, at the
    // next start as when the setting is applied.
    for (const char* exec : {"/opt/gone/quillet", "\"/opt/gone away/quillet\" --x", "/opt/gone/q%%t"}) {
        Write(entry, std::string("[Desktop Entry]\nExec=") + exec + "\n");
        EXPECT_TRUE(m_autostart.RefreshIfStale());
        EXPECT_EQ(ExecLine(Read(entry)), "Exec=/usr/bin/quillet") << exec;
        Write(entry, std::string("[Desktop Entry]\nExec=") + exec + "\n");
        EXPECT_TRUE(m_autostart.Apply(true));
        EXPECT_EQ(ExecLine(Read(entry)), "Exec=/usr/bin/quillet") << exec;
    }

    EXPECT_TRUE(m_autostart.Apply(false));
    EXPECT_FALSE(Exists(entry));
    EXPECT_TRUE(m_autostart.Apply(false));
    EXPECT_FALSE(Exists(entry));

    // No temporary files are left behind.
    EXPECT_TRUE(m_autostart.Apply(true));
    int files = 0;
    for ([[maybe_unused]] const auto& item : std::filesystem::directory_iterator(m_folder / "config/autostart"))
        ++files;
    EXPECT_EQ(files, 1);
}

TEST_F(AutostartTest, AllUsersEntryIsDeletedEitherWay) {
    const std::string system = m_autostart.AllUsersEntryPath();
    Write(system, "[Desktop Entry]\n");
    EXPECT_TRUE(m_autostart.Apply(true));
    EXPECT_FALSE(Exists(system));

    Write(system, "[Desktop Entry]\n");
    EXPECT_TRUE(m_autostart.Apply(false));
    EXPECT_FALSE(Exists(system));
    EXPECT_FALSE(Exists(m_autostart.UserEntryPath()));

    // A folder we may not write to is not an error for the user's entry.
    m_autostart.SetAllUsersFolder(m_folder / "missing");
    EXPECT_TRUE(m_autostart.Apply(true));
}

TEST_F(AutostartTest, ExecIsQuotedForAwkwardPathsAndPassesTheValidator) {
    m_autostart.SetExecutable("/opt/my app/quillet");
    EXPECT_EQ(ExecLine(m_autostart.EntryText()), "Exec=\"/opt/my app/quillet\"");
    m_autostart.SetExecutable("/opt/a$b%c\\d\"e/quillet");
    EXPECT_EQ(ExecLine(m_autostart.EntryText()), "Exec=\"/opt/a\\\\$b%%c\\\\\\\\d\\\\\"e/quillet\"");

    // Paths the format cannot carry produce no entry at all rather than a broken one.
    m_autostart.SetExecutable("/opt/line\nbreak/quillet");
    EXPECT_EQ(m_autostart.EntryText(), "");
    EXPECT_FALSE(m_autostart.Apply(true));
    EXPECT_FALSE(Exists(m_autostart.UserEntryPath()));
    m_autostart.SetExecutable("quillet");
    EXPECT_FALSE(m_autostart.Apply(true));

    if (std::system("command -v desktop-file-validate >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "desktop-file-validate is not installed";
    for (const char* path : {"/usr/bin/quillet", "/opt/my app/quillet", "/opt/a$b%c\\d\"e`f/quillet"}) {
        m_autostart.SetExecutable(path);
        ASSERT_TRUE(m_autostart.Apply(false));
        ASSERT_TRUE(m_autostart.Apply(true));
        const std::string command = "desktop-file-validate '" + m_autostart.UserEntryPath() + "' >&2";
        EXPECT_EQ(std::system(command.c_str()), 0) << path << "\n" << Read(m_autostart.UserEntryPath());
    }
}
