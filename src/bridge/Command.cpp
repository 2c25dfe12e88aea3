// quilletfire: hand a text to the running Quillet program from a shell.
#include "quilletfire.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

// Exit status for a bad command line or an unreadable input; 0 and 1 belong to SendToApp.
constexpr int kUsageError = 2;

void PrintUsage(FILE* out) {
    std::fputs("Usage: quilletfire [TEXT...]\n"
               "       quilletfire --file PATH\n"
               "Hand a text to the running Quillet program as a new note, starting the\n"
               "program when it does not run. The TEXT arguments are joined by spaces;\n"
               "without any, standard input is sent. A text that begins with\n"
               "<?xml version=\"1.0\" ?> CR LF <Quillet> is taken as a note document.\n"
               "\n"
               "  -f, --file PATH  send the contents of PATH (- for standard input)\n"
               "  -h, --help       show this help and exit\n"
               "  -V, --version    show the version and exit\n"
               "  --               end of options\n"
               "\n"
               "Exit status: 0 the program runs and the text was handed over (a warning\n"
               "on standard error tells when it could not be delivered), 1 the program\n"
               "was not running and could not be started, 2 bad usage or unreadable input.\n",
               out);
}

bool ReadAll(int fd, std::string& into) {
    char buffer[65536];
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        into.append(buffer, static_cast<size_t>(got));
    }
}

bool ReadFile(const char* path, std::string& into) {
    if (std::strcmp(path, "-") == 0)
        return ReadAll(STDIN_FILENO, into);
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool read = ReadAll(fd, into);
    const int error = errno;
    close(fd);
    errno = error;
    return read;
}

} // namespace

int main(int argc, char** argv) {
    const char* file = nullptr;
    std::string text;
    bool haveWords = false;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (options && argument[0] == '-' && argument[1] != '\0') {
            if (std::strcmp(argument, "--") == 0) {
                options = false;
            } else if (std::strcmp(argument, "-h") == 0 || std::strcmp(argument, "--help") == 0) {
                PrintUsage(stdout);
                return 0;
            } else if (std::strcmp(argument, "-V") == 0 || std::strcmp(argument, "--version") == 0) {
                std::printf("quilletfire %s\n", quilletfire_version());
                return 0;
            } else if (std::strcmp(argument, "-f") == 0 || std::strcmp(argument, "--file") == 0) {
                if (i + 1 >= argc) {
                    std::fprintf(stderr, "quilletfire: %s needs a file name\n", argument);
                    return kUsageError;
                }
                file = argv[++i];
            } else if (std::strncmp(argument, "--file=", 7) == 0) {
                file = argument + 7;
            } else {
                std::fprintf(stderr, "quilletfire: unknown option %s (try --help)\n", argument);
                return kUsageError;
            }
            continue;
        }
        if (haveWords)
            text += ' ';
        text += argument;
        haveWords = true;
    }
    if (file != nullptr && haveWords) {
        std::fputs("quilletfire: give either TEXT or --file, not both\n", stderr);
        return kUsageError;
    }
    if (file != nullptr) {
        if (!ReadFile(file, text)) {
            std::fprintf(stderr, "quilletfire: cannot read %s: %s\n", file, std::strerror(errno));
            return kUsageError;
        }
    } else if (!haveWords && !ReadAll(STDIN_FILENO, text)) {
        std::fprintf(stderr, "quilletfire: cannot read standard input: %s\n", std::strerror(errno));
        return kUsageError;
    }

    QuilletFireMessage* message = quilletfire_message_new();
    if (message == nullptr || quilletfire_message_put(message, text.data(), text.size()) != QUILLETFIRE_S_OK) {
        std::fputs("quilletfire: out of memory\n", stderr);
        quilletfire_message_free(message);
        return kUsageError;
    }
    const QuilletFireStatus status = quilletfire_message_deliver(message);
    quilletfire_message_free(message);
    if (status != QUILLETFIRE_DELIVERED)
        std::fprintf(stderr, "quilletfire: %s\n", quilletfire_status_text(status));
    return quilletfire_status_result(status);
}
