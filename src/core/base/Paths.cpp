#include "core/base/Paths.h"

#include <cstdlib>
#include <fstream>
#include <pwd.h>
#include <unistd.h>

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

bool IsAbsolute(const std::string& path) {
    return !path.empty() && path[0] == '/';
}

// The XDG_DOCUMENTS_DIR line of user-dirs.dirs: a double-quoted value that is
// either absolute or starts with $HOME/.
std::string DocumentsFromUserDirs(const std::string& file, const std::string& home) {
    std::ifstream in(file);
    std::string line;
    std::string found;
    while (std::getline(in, line)) {
        const std::string key = "XDG_DOCUMENTS_DIR=";
        const size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line.compare(start, key.size(), key) != 0)
            continue;
        std::string value = line.substr(start + key.size());
        while (!value.empty() && (value.back() == ' ' || value.back() == '\t' || value.back() == '\r'))
            value.pop_back();
        if (value.size() < 2 || value.front() != '"' || value.back() != '"')
            continue;
        value = value.substr(1, value.size() - 2);
        if (value.rfind("$HOME", 0) == 0 && (value.size() == 5 || value[5] == '/'))
            value = home + value.substr(5);
        if (IsAbsolute(value))
            found = value; // the last definition wins, as in a shell
    }
    return found;
}

std::string StripTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

} // namespace

std::string CPaths::HomeFolder() {
    std::string home = Environment("HOME");
    if (IsAbsolute(home))
        return StripTrailingSlashes(home);
    if (const passwd* entry = getpwuid(geteuid()); entry != nullptr && entry->pw_dir != nullptr)
        return StripTrailingSlashes(entry->pw_dir);
    return "/tmp";
}

std::string CPaths::ConfigHome() {
    const std::string configHome = Environment("XDG_CONFIG_HOME");
    if (IsAbsolute(configHome))
        return StripTrailingSlashes(configHome);
    return HomeFolder() + "/.config";
}

std::string CPaths::ConfigFolder() {
    return ConfigHome() + "/Quillet";
}

std::string CPaths::SettingsFile() {
    return ConfigFolder() + "/Quillet.ini";
}

std::string CPaths::SendLogFile() {
    return ConfigFolder() + "/SendLog.ini";
}

std::string CPaths::LocalPortFile() {
    return ConfigFolder() + "/localport.ini";
}

std::string CPaths::DocumentsFolder() {
    const std::string fromEnvironment = Environment("XDG_DOCUMENTS_DIR");
    if (IsAbsolute(fromEnvironment))
        return StripTrailingSlashes(fromEnvironment);
    const std::string home = HomeFolder();
    const std::string fromFile = DocumentsFromUserDirs(ConfigHome() + "/user-dirs.dirs", home);
    if (!fromFile.empty())
        return StripTrailingSlashes(fromFile);
    return home + "/Documents";
}

std::string CPaths::DefaultSavePath() {
    const std::string documents = DocumentsFolder();
    return (documents == "/" ? std::string() : documents) + "/Quillet";
}
