#include "bridge/BridgePaths.h"

#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#ifndef QUILLETFIRE_APP_INSTALL_PATH
#define QUILLETFIRE_APP_INSTALL_PATH "/usr/local/bin/quillet"
#endif

namespace {

const char kLockPrefix[] = "h_Pinlet_PrevInstance_";

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

bool IsAbsolute(const std::string& path) {
    return !path.empty() && path[0] == '/';
}

std::string StripTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// getpwuid_r rather than getpwuid: the library may be called from any thread.
bool PasswordEntry(std::string* name, std::string* home) {
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr)
        return false;
    if (name != nullptr && found->pw_name != nullptr)
        *name = found->pw_name;
    if (home != nullptr && found->pw_dir != nullptr)
        *home = found->pw_dir;
    return true;
}

bool IsExecutableFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

} // namespace

std::string CBridgePaths::InstanceName() {
    std::string name = Environment("QUILLET_INSTANCE_NAME");
    if (!name.empty())
        return name;
    if (PasswordEntry(&name, nullptr) && !name.empty())
        return name;
    return std::to_string(geteuid());
}

std::string CBridgePaths::RuntimeFolder() {
    const std::string folder = Environment("XDG_RUNTIME_DIR");
    struct stat info {};
    if (IsAbsolute(folder) && stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        return StripTrailingSlashes(folder);
    return "/tmp";
}

std::string CBridgePaths::LockFile() {
    const std::string name = InstanceName();
    // A name with a slash would point outside the runtime folder: no such instance.
    if (name.find('/') != std::string::npos)
        return std::string();
    return RuntimeFolder() + "/" + kLockPrefix + name;
}

std::string CBridgePaths::HomeFolder() {
    const std::string home = Environment("HOME");
    if (IsAbsolute(home))
        return StripTrailingSlashes(home);
    std::string fromDatabase;
    if (PasswordEntry(nullptr, &fromDatabase) && IsAbsolute(fromDatabase))
        return StripTrailingSlashes(fromDatabase);
    return "/tmp";
}

std::string CBridgePaths::ConfigHome() {
    const std::string configHome = Environment("XDG_CONFIG_HOME");
    if (IsAbsolute(configHome))
        return StripTrailingSlashes(configHome);
    return HomeFolder() + "/.config";
}

std::string CBridgePaths::PortFile() {
    return ConfigHome() + "/Quillet/localport.ini";
}

std::string CBridgePaths::AppPath() {
    const std::string configured = Environment("QUILLET_APP_PATH");
    if (!configured.empty())
        return configured.find('/') != std::string::npos ? configured : FindOnPath(configured);
    if (IsExecutableFile(QUILLETFIRE_APP_INSTALL_PATH))
        return QUILLETFIRE_APP_INSTALL_PATH;
    return FindOnPath("quillet");
}

std::string CBridgePaths::FindOnPath(const std::string& name) {
    const char* fromEnvironment = std::getenv("PATH");
    const std::string path = fromEnvironment != nullptr ? fromEnvironment : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(':', start);
        if (end == std::string::npos)
            end = path.size();
        // Empty and relative entries would start whatever lies in the caller's
        // current folder: only absolute folders are searched.
        const std::string folder = path.substr(start, end - start);
        if (IsAbsolute(folder)) {
            const std::string candidate = folder + "/" + name;
            if (IsExecutableFile(candidate))
                return candidate;
        }
        start = end + 1;
    }
    return std::string();
}
