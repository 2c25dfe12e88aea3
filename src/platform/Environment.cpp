#include "platform/Environment.h"

#include <sys/stat.h>
#include <unistd.h>

#ifndef QUILLET_INSTALLED_PATH
#define QUILLET_INSTALLED_PATH "/usr/local/bin/quillet"
#endif

extern char** environ;

namespace {

std::string Value(const CEnvironment::Map& environment, const std::string& name) {
    const auto it = environment.find(name);
    return it != environment.end() ? it->second : std::string();
}

bool IsExecutableFile(const std::string& path) {
    struct stat info {};
    return !path.empty() && path[0] == '/' && stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           access(path.c_str(), X_OK) == 0;
}

} // namespace

std::optional<std::string> CEnvironment::PlatformOverride(const Map& environment) {
    // An empty variable counts as unset, as it does for Qt itself.
    if (!Value(environment, "QT_QPA_PLATFORM").empty())
        return std::nullopt;
    if (Value(environment, "WAYLAND_DISPLAY").empty() || Value(environment, "DISPLAY").empty())
        return std::nullopt;
    return std::string("xcb");
}

std::string CEnvironment::FindApplication(const Map& environment, const std::string& installedPath) {
    if (const std::string configured = Value(environment, kAppPathVariable); IsExecutableFile(configured))
        return configured;
    if (IsExecutableFile(installedPath))
        return installedPath;
    // Relative and empty entries of PATH would make the answer depend on the
    // current folder: skipped.
    const std::string path = Value(environment, "PATH");
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(':', start);
        if (end == std::string::npos)
            end = path.size();
        std::string folder = path.substr(start, end - start);
        if (!folder.empty() && folder[0] == '/') {
            if (folder.back() != '/')
                folder += '/';
            if (IsExecutableFile(folder + kExecutableName))
                return folder + kExecutableName;
        }
        start = end + 1;
    }
    return {};
}

std::string CEnvironment::FindApplication() {
    return FindApplication(Current(), InstalledPath());
}

std::string CEnvironment::InstalledPath() {
    return QUILLET_INSTALLED_PATH;
}

CEnvironment::Map CEnvironment::Current() {
    Map result;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const size_t equals = text.find('=');
        if (equals != std::string::npos)
            result.emplace(text.substr(0, equals), text.substr(equals + 1));
    }
    return result;
}
