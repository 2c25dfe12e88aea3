#include "core/store/SendLogFile.h"

#include "core/store/DestInfo.h"
#include "core/stream/DataFiles.h"
#include "core/stream/FileError.h"
#include "core/stream/FileInputStream.h"
#include "core/stream/MemInputStream.h"

#include <cerrno>
#include <cstdio>
#include <exception>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// 1 parsed, 0 or -1 not a send log, -2 not opened or not a regular file (openError says why).
int ParseFile(const std::string& path, CDestInfo& list, int& openError) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        openError = errno;
        return -2;
    }
    int result = -2;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        openError = errno;
    } else if (!S_ISREG(st.st_mode)) {
        openError = EISDIR;
    } else {
        CFileInputStream stream(fd);
        result = list.ParseFrom(&stream);
    }
    ::close(fd);
    return result;
}

} // namespace

SendLogStatus LoadSendLog(const std::string& path, CDestInfo& list) {
    int openError = 0;
    const int result = ParseFile(path, list, openError);
    if (result == -2)
        return (openError == ENOENT || openError == ENOTDIR) ? SendLogStatus::Missing : SendLogStatus::Unreadable;
    return result == 1 ? SendLogStatus::Loaded : SendLogStatus::NotParsed;
}

bool SaveSendLog(const std::string& path, const CDestInfo& list) {
    const auto parses = [](const std::string& text) {
        if (text.empty())
            return true; // nothing to keep
        CDestInfo probe;
        CMemInputStream stream(text.data(), static_cast<int>(text.size()));
        return probe.ParseFrom(&stream) == 1;
    };
    try {
        KeepAsBadIfUnparsable(path, parses);
        WriteFileAtomically(path, list.MakeDocument(), kPrivateFileMode);
        return true;
    } catch (const CFileError&) {
        return false;
    }
}
