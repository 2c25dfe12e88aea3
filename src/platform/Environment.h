#pragma once

#include <map>
#include <optional>
#include <string>

// Decisions taken from the process environment, written as pure functions over
// an environment map so that every combination can be tested.
class CEnvironment {
public:
    using Map = std::map<std::string, std::string>;

    static constexpr const char* kAppPathVariable = "QUILLET_APP_PATH";
    static constexpr const char* kExecutableName = "quillet";

    // Notes need absolute window positions, which Wayland does not give
    // clients: on a Wayland session with XWayland (WAYLAND_DISPLAY and DISPLAY
    // both set) the program runs on "xcb", unless the user chose a platform
    // with QT_QPA_PLATFORM. Returns the value to give QT_QPA_PLATFORM, or none.
    static std::optional<std::string> PlatformOverride(const Map& environment);

    // Where the program is: $QUILLET_APP_PATH, else `installedPath`, else
    // "quillet" in an absolute folder of $PATH; the first that names an
    // executable regular file. Empty when none does.
    static std::string FindApplication(const Map& environment, const std::string& installedPath);
    // The same over this process's environment and the path compiled in at build time.
    static std::string FindApplication();

    // The path the build installs the program to (CMAKE_INSTALL_FULL_BINDIR/quillet).
    static std::string InstalledPath();
    // This process's environment as a map.
    static Map Current();
};
