#include "platform/Autostart.h"

#include "core/base/Paths.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool Exists(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

// mkdir -p; folders we create are private.
bool MakeFolders(const std::string& folder) {
    if (folder.empty())
        return false;
    for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = slash == std::string::npos ? folder : folder.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            break;
    }
    struct stat info {};
    return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// Written beside the target and renamed over it, so a half-written entry is
// never left for the session manager to trip over.
bool WriteFileAtomically(const std::string& path, const std::string& text) {
    std::string temp = path + "_tmpXXXXXX";
    const int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool written = fchmod(fd, 0644) == 0 && WriteAll(fd, text) && fsync(fd) == 0;
    const bool closed = close(fd) == 0;
    if (!written || !closed || rename(temp.c_str(), path.c_str()) != 0) {
        unlink(temp.c_str());
        return false;
    }
    return true;
}

bool IsPlain(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/' || c == '.' ||
           c == '_' || c == '-' || c == '+' || c >= 0x80;
}

// One Exec argument: quoted when it holds anything but plain characters, with
// the quoting escapes applied first and the string escapes (backslash) after,
// and % doubled because it introduces field codes.
std::string ExecArgument(const std::string& path) {
    bool plain = true;
    for (unsigned char c : path)
        plain = plain && IsPlain(c);
    std::string quoted;
    if (plain) {
        quoted = path;
    } else {
        quoted = "\"";
        for (char c : path) {
            if (c == '"' || c == '`' || c == '$' || c == '\\')
                quoted += '\\';
            quoted += c;
        }
        quoted += '"';
    }
    std::string result;
    for (char c : quoted) {
        if (c == '\\')
            result += "\\\\";
        else if (c == '%')
            result += "%%";
        else
            result += c;
    }
    return result;
}

// The program an Exec value starts, with the quoting of ExecArgument undone.
std::string ExecProgram(const std::string& exec) {
    // The string escapes first, then the quoting, as the format nests them.
    std::string unescaped;
    for (size_t i = 0; i < exec.size(); ++i) {
        if (exec[i] == '\\' && i + 1 < exec.size())
            ++i;
        else if (exec[i] == '%' && i + 1 < exec.size() && exec[i + 1] == '%')
            ++i;
        unescaped += exec[i];
    }
    if (unescaped.empty() || unescaped[0] != '"')
        return unescaped.substr(0, unescaped.find(' '));
    std::string program;
    for (size_t i = 1; i < unescaped.size() && unescaped[i] != '"'; ++i) {
        if (unescaped[i] == '\\' && i + 1 < unescaped.size())
            ++i;
        program += unescaped[i];
    }
    return program;
}

// An entry whose program was moved or removed (an old build folder, a
// reinstall elsewhere) would start nothing at the next login. A program found
// on PATH is the user's or the package's choice and stays.
bool IsStale(const std::string& entryPath) {
    std::ifstream in(entryPath);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("Exec=", 0) == 0) {
            const std::string program = ExecProgram(line.substr(5));
            return !program.empty() && program[0] == '/' && access(program.c_str(), X_OK) != 0;
        }
    }
    return false;
}

} // namespace

CAutostart::CAutostart()
    : m_userFolder(CPaths::ConfigHome() + "/autostart"), m_allUsersFolder(kDefaultAllUsersFolder),
      m_executable(RunningExecutable()) {}

std::string CAutostart::RunningExecutable() {
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return {};
    std::string path(buffer, static_cast<size_t>(n));
    // An upgrade replaced the file under us; the path still names the program.
    const std::string deleted = " (deleted)";
    if (path.size() > deleted.size() && path.compare(path.size() - deleted.size(), deleted.size(), deleted) == 0)
        path.resize(path.size() - deleted.size());
    return path;
}

std::string CAutostart::EntryText() const {
    if (m_executable.empty() || m_executable[0] != '/')
        return {};
    for (unsigned char c : m_executable)
        if (c < 0x20 || c == 0x7f)
            return {};
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Quillet\n"
           "Comment=Sticky notes on the desktop\n"
           "Exec=" +
           ExecArgument(m_executable) +
           "\n"
           "Icon=quillet\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

bool CAutostart::Apply(bool enable) const {
    // Best effort: usually only an administrator may touch the system folder.
    unlink(AllUsersEntryPath().c_str());

    const std::string entry = UserEntryPath();
    if (!enable) {
        if (!Exists(entry))
            return true;
        return unlink(entry.c_str()) == 0 || errno == ENOENT;
    }
    if (Exists(entry))
        return RefreshIfStale();
    const std::string text = EntryText();
    return !text.empty() && MakeFolders(m_userFolder) && WriteFileAtomically(entry, text);
}

bool CAutostart::RefreshIfStale() const {
    const std::string entry = UserEntryPath();
    if (!Exists(entry) || !IsStale(entry))
        return true;
    const std::string text = EntryText();
    return !text.empty() && WriteFileAtomically(entry, text);
}
