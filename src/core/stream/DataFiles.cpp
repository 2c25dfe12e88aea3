#include "core/stream/DataFiles.h"

#include "core/stream/FileError.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void ThrowFileError(const std::string& what, const std::string& path, int error) {
    throw CFileError(what + " " + path + ": " + std::strerror(error), error);
}

std::string ParentFolder(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    std::string joined = folder;
    while (joined.size() > 1 && joined.back() == '/')
        joined.pop_back();
    if (joined.empty() || joined.back() != '/')
        joined.push_back('/');
    return joined + name;
}

// Makes a rename durable. A folder that cannot be synced changes nothing about
// the file, which is already in place.
void SyncFolder(const std::string& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    fsync(fd);
    close(fd);
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

bool IsFolder(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

void WriteFileAtomically(const std::string& path, std::string_view bytes, mode_t mode) {
    WriteFileAtomically(path, bytes, mode, path + "_tmp");
}

void WriteFileAtomically(const std::string& path, std::string_view bytes, mode_t mode, const std::string& temporary) {
    // No symbolic link is followed: the file written is the one renamed.
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, mode);
    if (fd < 0)
        ThrowFileError("Cannot create", temporary, errno);

    auto fail = [&](const char* what, const std::string& name) {
        const int error = errno;
        if (fd >= 0)
            close(fd);
        unlink(temporary.c_str());
        ThrowFileError(what, name, error);
    };
    // A left-over temporary file keeps its old mode through O_TRUNC.
    if (fchmod(fd, mode) != 0)
        fail("Cannot set the mode of", temporary);
    if (!WriteAll(fd, bytes))
        fail("Cannot write", temporary);
    if (fsync(fd) != 0)
        fail("Cannot flush", temporary);
    const int closed = close(fd);
    fd = -1;
    if (closed != 0)
        fail("Cannot close", temporary);
    if (rename(temporary.c_str(), path.c_str()) != 0)
        fail("Cannot replace", path);
    SyncFolder(ParentFolder(path));
}

bool ReadWholeFile(const std::string& path, std::string& contents) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return false;
    }
    std::string data;
    if (info.st_size > 0)
        data.reserve(static_cast<size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t count = read(fd, buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            close(fd);
            errno = error;
            return false;
        }
        if (count == 0)
            break;
        data.append(buffer, static_cast<size_t>(count));
    }
    close(fd);
    contents = std::move(data);
    return true;
}

bool EnsureFolder(const std::string& folder, mode_t mode) {
    if (folder.empty())
        return false;
    if (IsFolder(folder))
        return true;
    const std::string parent = ParentFolder(folder);
    if (parent != folder && !IsFolder(parent) && !EnsureFolder(parent, 0755))
        return false;
    if (mkdir(folder.c_str(), mode) == 0)
        return true;
    return errno == EEXIST && IsFolder(folder);
}

bool KeepAsBadIfUnparsable(const std::string& path, const std::function<bool(const std::string&)>& parses) {
    struct stat info;
    if (lstat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode))
        return false;
    // A file that exists but cannot be read is kept aside as well: it may still be
    // the user's only copy.
    std::string contents;
    if (ReadWholeFile(path, contents) && parses(contents))
        return false;
    const std::string bad = path + ".bad";
    if (rename(path.c_str(), bad.c_str()) != 0)
        ThrowFileError("Cannot keep a copy as", bad, errno);
    return true;
}

std::string NoteFilePath(const std::string& savePath, int id) {
    return JoinPath(savePath, std::to_string(id));
}

std::string SaveFolderPath(const std::string& savePath, const std::string& name) {
    return JoinPath(savePath, name);
}

void SaveNoteFile(const std::string& savePath, int id, std::string_view document) {
    SaveNoteFile(savePath, id, document, std::to_string(id) + "_tmp");
}

void SaveNoteFile(const std::string& savePath, int id, std::string_view document, const std::string& temporaryName) {
    if (!EnsureFolder(savePath, kPrivateFolderMode))
        ThrowFileError("Cannot create the folder", savePath, errno);
    WriteFileAtomically(NoteFilePath(savePath, id), document, kPrivateFileMode, JoinPath(savePath, temporaryName));
}

bool DeleteNoteFile(const std::string& savePath, int id) {
    return unlink(NoteFilePath(savePath, id).c_str()) == 0 || errno == ENOENT;
}

std::vector<NoteFile> LoadNoteFiles(const std::string& savePath) {
    std::vector<NoteFile> files;
    if (!EnsureFolder(savePath, kPrivateFolderMode))
        return files;
    DIR* folder = opendir(savePath.c_str());
    if (folder == nullptr)
        return files;
    while (const dirent* entry = readdir(folder)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        NoteFile file;
        file.Name = name;
        if (ReadWholeFile(JoinPath(savePath, name), file.Contents))
            files.push_back(std::move(file));
    }
    closedir(folder);
    std::sort(files.begin(), files.end(), [](const NoteFile& a, const NoteFile& b) { return a.Name < b.Name; });
    return files;
}
