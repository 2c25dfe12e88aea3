// quillet-cli: sends texts and notes to a running Quillet, lists and fetches its
// notes, and (serve) answers like one.
#include "core/base/Strings.h"
#include "core/net/HTTPMessage.h"
#include "core/net/HostPort.h"
#include "core/net/NoteClient.h"
#include "core/net/SelectThread.h"
#include "core/net/SyncNoteClient.h"
#include "core/store/PropParser.h"
#include "core/stream/DataFiles.h"
#include "core/stream/FileError.h"

#if __has_include("tools/ServeCommand.h")
#include "tools/ServeCommand.h"
#define QUILLET_CLI_HAS_SERVE 1
#endif

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kDefaultTimeoutSeconds = 30;

const char kMainHelp[] = R"(Usage: quillet-cli COMMAND [OPTIONS]

Talks the note protocol of Quillet over TCP.

Commands:
  send HOST[:PORT] (--text TEXT | --file FILE | -)
                     deliver a plain text or a note document
  list HOST[:PORT]   print the notes and groups another computer offers
  fetch HOST[:PORT] ID...
                     fetch notes and save each as a note document
  serve ...          answer the note protocol like a running Quillet

HOST is a name, an IPv4 address, or an IPv6 address in brackets ([::1]:4126).
The default PORT is 4126.

Run 'quillet-cli COMMAND --help' for the options of a command.
Exit status: 0 on success, 1 when the request failed (the reason goes to
standard error), 2 for a usage error.
)";

const char kSendHelp[] = R"(Usage: quillet-cli send HOST[:PORT] (--text TEXT | --file FILE | -) [--timeout SECONDS]

Delivers a new note to the Quillet listening on HOST:PORT.

  --text TEXT        send TEXT as a plain-text note (PUT /Message, text/plain)
  --file FILE        send the contents of FILE: a note document (a file that
                     begins with the note-document header) is sent as that
                     note, under its ID (PUT /Message/ID, text/x-quillet);
                     anything else is sent as plain text
  -                  like --file, reading standard input
  --timeout SECONDS  how long to wait for the answer (default 30)
  -h, --help         show this help
)";

const char kListHelp[] =
    R"(Usage: quillet-cli list HOST[:PORT] [--user USER --password PASSWORD] [--basic] [--timeout SECONDS]

Prints the notes (ID and title) and the groups (with their members) that the
Quillet on HOST:PORT offers.

  --user USER          user name, when the other side asks for one
  --password PASSWORD  its password (default: $QUILLET_PASSWORD, so that it
                       need not appear on the command line)
  --basic              send the credentials as Basic (Base64) instead of
                       Digest (MD5-crypt, the default)
  --timeout SECONDS    how long to wait for the answer (default 30)
  -h, --help           show this help
)";

const char kFetchHelp[] =
    R"(Usage: quillet-cli fetch HOST[:PORT] ID... [--user USER --password PASSWORD] [--basic] [--out DIR] [--timeout SECONDS]

Fetches the notes with the given IDs from the Quillet on HOST:PORT and saves
each note document as DIR/ID.

  --user USER          user name, when the other side asks for one
  --password PASSWORD  its password (default: $QUILLET_PASSWORD)
  --basic              send the credentials as Basic instead of Digest
  --out DIR            folder to save into (default: the current folder;
                       created when missing)
  --timeout SECONDS    how long to wait for each answer (default 30)
  -h, --help           show this help
)";

class CUsageError {
public:
    explicit CUsageError(std::string text) : m_text(std::move(text)) {}
    const std::string& Text() const { return m_text; }

private:
    std::string m_text;
};

// Options shared by the client commands.
struct Options {
    std::string Destination;
    std::vector<std::string> Operands;
    std::optional<std::string> Text;
    std::optional<std::string> File; // "-" = standard input
    std::string User;
    std::optional<std::string> Password;
    bool Basic = false;
    std::string OutDir = ".";
    int TimeoutSeconds = kDefaultTimeoutSeconds;
    bool Help = false;
};

bool IsHelp(const std::string& arg) {
    return arg == "-h" || arg == "--help";
}

int ParseSeconds(const std::string& text) {
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || value < 1 || value > 3600)
        throw CUsageError("--timeout wants a number of seconds from 1 to 3600");
    return static_cast<int>(value);
}

// allowed: the options this command takes, beyond --help and --timeout.
Options ParseOptions(int argc, char** argv, const std::vector<std::string>& allowed) {
    Options options;
    auto takes = [&](const std::string& name) {
        for (const auto& a : allowed)
            if (a == name)
                return true;
        return false;
    };
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc)
                throw CUsageError(arg + " needs a value");
            return argv[++i];
        };
        if (IsHelp(arg)) {
            options.Help = true;
        } else if (arg == "--timeout") {
            options.TimeoutSeconds = ParseSeconds(value());
        } else if (arg == "--text" && takes(arg)) {
            options.Text = value();
        } else if (arg == "--file" && takes(arg)) {
            options.File = value();
        } else if (arg == "-" && takes("--file")) {
            options.File = "-";
        } else if (arg == "--user" && takes(arg)) {
            options.User = value();
        } else if (arg == "--password" && takes(arg)) {
            options.Password = value();
        } else if (arg == "--basic" && takes(arg)) {
            options.Basic = true;
        } else if (arg == "--out" && takes(arg)) {
            options.OutDir = value();
        } else if (arg.size() > 1 && arg[0] == '-') {
            throw CUsageError("unknown option " + arg);
        } else if (options.Destination.empty()) {
            options.Destination = arg;
        } else {
            options.Operands.push_back(arg);
        }
    }
    return options;
}

void Destination(const Options& options, std::string& host, int& port) {
    if (options.Destination.empty())
        throw CUsageError("HOST[:PORT] is missing");
    if (!ParseHostPort(options.Destination, CNoteClient::kDefaultPort, host, port))
        throw CUsageError("cannot read the destination " + options.Destination);
}

std::string Password(const Options& options) {
    if (options.Password)
        return *options.Password;
    const char* fromEnvironment = std::getenv("QUILLET_PASSWORD");
    return fromEnvironment != nullptr ? fromEnvironment : "";
}

// The message of a failed outcome, as the desktop program would show it.
std::string FailureText(const ClientOutcome& outcome) {
    std::string text = outcome.ErrorId != 0 ? strings::EnglishText(outcome.ErrorId) : std::string();
    if (outcome.TimedOut)
        text += " (no answer in time)";
    return text;
}

int Fail(const std::string& text) {
    std::cerr << "quillet-cli: " << text << "\n";
    return kExitFailed;
}

std::string ReadAll(std::istream& in) {
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Control characters would break the listing's lines; they are shown as spaces.
std::string Printable(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    return out;
}

int RunSend(int argc, char** argv) {
    const Options options = ParseOptions(argc, argv, {"--text", "--file"});
    if (options.Help) {
        std::cout << kSendHelp;
        return kExitOk;
    }
    std::string host;
    int port = 0;
    Destination(options, host, port);
    if (!options.Operands.empty())
        throw CUsageError("unexpected argument " + options.Operands.front());
    if (options.Text.has_value() == options.File.has_value())
        throw CUsageError("give exactly one of --text TEXT, --file FILE or -");

    std::string bytes;
    bool fromFile = false;
    if (options.Text) {
        bytes = *options.Text;
    } else if (*options.File == "-") {
        bytes = ReadAll(std::cin);
        fromFile = true;
    } else {
        errno = 0;
        if (!ReadWholeFile(*options.File, bytes))
            return Fail(*options.File + ": " + (errno != 0 ? std::strerror(errno) : "not a regular file"));
        fromFile = true;
    }
    if (bytes.empty())
        return Fail("nothing to send");
    if (bytes.size() > static_cast<size_t>(kMaxBody))
        return Fail("too large to send (the limit is " + std::to_string(kMaxBody) + " bytes)");

    CSyncNoteClient client{std::chrono::seconds(options.TimeoutSeconds)};
    ClientOutcome outcome;
    const size_t prefixLength = sizeof kPropertyDocumentPrefix - 1;
    if (fromFile && bytes.compare(0, prefixLength, kPropertyDocumentPrefix) == 0) {
        // The receiver keeps the note's own ID unless it is taken there, so it
        // must be the document's.
        CPropParser document;
        if (document.Parse(bytes.c_str()) != 1 || !document.m_hasSheet)
            return Fail((*options.File == "-" ? std::string("standard input") : *options.File) +
                        ": not a readable note document");
        outcome = client.SendNote(host, port, document.m_sheet.ID, bytes);
    } else {
        outcome = client.SendText(host, port, bytes);
    }
    return outcome.Succeeded() ? kExitOk : Fail(FailureText(outcome));
}

int RunList(int argc, char** argv) {
    const Options options = ParseOptions(argc, argv, {"--user", "--password", "--basic"});
    if (options.Help) {
        std::cout << kListHelp;
        return kExitOk;
    }
    std::string host;
    int port = 0;
    Destination(options, host, port);
    if (!options.Operands.empty())
        throw CUsageError("unexpected argument " + options.Operands.front());

    CSyncNoteClient client{std::chrono::seconds(options.TimeoutSeconds)};
    const ClientOutcome outcome = client.RequestList(host, port, options.User, Password(options), !options.Basic);
    if (outcome.ErrorId != 0)
        return Fail(FailureText(outcome));
    if (!outcome.ListParsed)
        return Fail("the message list could not be read");

    std::cout << "Messages:\n";
    for (const auto& note : outcome.List.m_notes)
        std::cout << "  " << note.ID << "\t" << Printable(note.Title) << "\n";
    std::cout << "Groups:\n";
    for (const auto& group : outcome.List.m_groups) {
        std::cout << "  " << Printable(group.Name) << "\n";
        for (const auto& note : group.Members)
            std::cout << "    " << note.ID << "\t" << Printable(note.Title) << "\n";
    }
    return kExitOk;
}

int ParseNoteId(const std::string& text) {
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || text[0] < '0' || text[0] > '9' || *end != '\0' || errno != 0 || value < 1 || value > INT32_MAX)
        throw CUsageError("not a note ID: " + text);
    return static_cast<int>(value);
}

int RunFetch(int argc, char** argv) {
    const Options options = ParseOptions(argc, argv, {"--user", "--password", "--basic", "--out"});
    if (options.Help) {
        std::cout << kFetchHelp;
        return kExitOk;
    }
    std::string host;
    int port = 0;
    Destination(options, host, port);
    if (options.Operands.empty())
        throw CUsageError("no note ID given");
    std::vector<int> ids;
    for (const auto& operand : options.Operands)
        ids.push_back(ParseNoteId(operand));
    if (!EnsureFolder(options.OutDir, kPrivateFolderMode))
        return Fail(options.OutDir + ": cannot create the folder");

    CSyncNoteClient client{std::chrono::seconds(options.TimeoutSeconds)};
    const std::string password = Password(options);
    int status = kExitOk;
    for (const int id : ids) {
        const ClientOutcome outcome = client.FetchNote(host, port, id, options.User, password, !options.Basic);
        if (!outcome.Succeeded()) {
            status = Fail(std::to_string(id) + ": " + FailureText(outcome));
            // A refused connection or credentials will not change for the next ID.
            if (outcome.Status == 0 || outcome.Status == 401)
                break;
            continue;
        }
        if (outcome.Body.empty()) {
            status = Fail(std::to_string(id) + ": no such note on " + options.Destination);
            continue;
        }
        const std::string path = options.OutDir + "/" + std::to_string(id);
        try {
            WriteFileAtomically(path, outcome.Body, kPrivateFileMode);
        } catch (const CFileError& error) {
            status = Fail(path + ": " + error.what());
            continue;
        }
        std::cout << path << "\n";
    }
    return status;
}

// args: what follows the command; argv0: the command as typed (argv[0] of serve).
int RunCommand(const std::string& command, int argc, char** args, char* argv0) {
    if (command == "send")
        return RunSend(argc, args);
    if (command == "list")
        return RunList(argc, args);
    if (command == "fetch")
        return RunFetch(argc, args);
    if (command == "serve") {
#ifdef QUILLET_CLI_HAS_SERVE
        std::vector<char*> serveArgs{argv0};
        serveArgs.insert(serveArgs.end(), args, args + argc);
        serveArgs.push_back(nullptr);
        return RunServe(argc + 1, serveArgs.data());
#else
        (void)argv0;
        throw CUsageError("serve is not part of this build");
#endif
    }
    throw CUsageError("unknown command " + command);
}

int Dispatch(int argc, char** argv) {
    if (argc < 2 || IsHelp(argv[1])) {
        std::cout << kMainHelp;
        return argc < 2 ? kExitUsage : kExitOk;
    }
    if (std::strcmp(argv[1], "help") == 0) {
        if (argc < 3) {
            std::cout << kMainHelp;
            return kExitOk;
        }
        // "help COMMAND" is "COMMAND --help".
        static char help[] = "--help";
        char* helpArgs[] = {help, nullptr};
        return RunCommand(argv[2], 1, helpArgs, argv[2]);
    }
    return RunCommand(argv[1], argc - 2, argv + 2, argv[1]);
}

} // namespace

int main(int argc, char** argv) {
    int status;
    try {
        status = Dispatch(argc, argv);
    } catch (const CUsageError& error) {
        std::cerr << "quillet-cli: " << error.Text() << "\nTry 'quillet-cli --help'.\n";
        status = kExitUsage;
    } catch (const std::exception& error) {
        std::cerr << "quillet-cli: " << error.what() << "\n";
        status = kExitFailed;
    }
    // Joins the socket threads before the statics they use go away.
    CSelectThread::Instance().Stop();
    CNoteClient::StopBackground();
    return status;
}
