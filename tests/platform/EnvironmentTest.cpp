#include "platform/Environment.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>

#include <sys/stat.h>

TEST(EnvironmentTest, XWaylandIsChosenOnlyWhenBothDisplaysExistAndTheUserDidNotChoose) {
    struct Case {
        CEnvironment::Map environment;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {{{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}}, "xcb"},
        {{{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}, {"QT_QPA_PLATFORM", "wayland"}}, std::nullopt},
        {{{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}, {"QT_QPA_PLATFORM", "offscreen"}}, std::nullopt},
        {{{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}, {"QT_QPA_PLATFORM", ""}}, "xcb"},
        {{{"WAYLAND_DISPLAY", "wayland-0"}}, std::nullopt}, // no XWayland: stay on Wayland
        {{{"DISPLAY", ":0"}}, std::nullopt},                // plain X11 needs nothing
        {{{"WAYLAND_DISPLAY", ""}, {"DISPLAY", ":0"}}, std::nullopt},
        {{{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ""}}, std::nullopt},
        {{}, std::nullopt},
    };
    for (const Case& c : cases) {
        std::string description;
        for (const auto& [name, value] : c.environment)
            description += name + "=" + value + " ";
        EXPECT_EQ(CEnvironment::PlatformOverride(c.environment), c.expected) << description;
    }
}

TEST(EnvironmentTest, ApplicationIsFoundByVariableThenInstallPathThenPath) {
    CTempFolder folder;
    auto makeFile = [&](const std::string& path, mode_t mode) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path) << "#!/bin/sh\n";
        chmod(path.c_str(), mode);
    };
    const std::string configured = folder / "configured/quillet";
    const std::string installed = folder / "installed/quillet";
    const std::string onPath = folder / "bin/quillet";
    makeFile(configured, 0755);
    makeFile(installed, 0755);
    makeFile(onPath, 0755);
    makeFile(folder / "plain/quillet", 0644);
    std::filesystem::create_directories(folder / "folder/quillet");

    CEnvironment::Map environment{{"QUILLET_APP_PATH", configured}, {"PATH", "/nonexistent:" + folder.Path() + "/bin"}};
    EXPECT_EQ(CEnvironment::FindApplication(environment, installed), configured);

    // A variable that names nothing usable does not stop the search.
    environment["QUILLET_APP_PATH"] = folder / "plain/quillet";
    EXPECT_EQ(CEnvironment::FindApplication(environment, installed), installed);
    environment.erase("QUILLET_APP_PATH");
    EXPECT_EQ(CEnvironment::FindApplication(environment, installed), installed);

    EXPECT_EQ(CEnvironment::FindApplication(environment, folder / "nowhere/quillet"), onPath);
    // Not executable, a folder, relative or empty PATH entries: skipped.
    environment["PATH"] = "::.:bin:" + folder.Path() + "/plain:" + folder.Path() + "/folder:" + folder.Path() + "/bin/";
    EXPECT_EQ(CEnvironment::FindApplication(environment, ""), onPath);
    environment["PATH"] = folder.Path() + "/plain";
    EXPECT_EQ(CEnvironment::FindApplication(environment, ""), "");

    EXPECT_EQ(CEnvironment::InstalledPath().substr(CEnvironment::InstalledPath().rfind('/')), "/quillet");
}
