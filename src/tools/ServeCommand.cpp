#include "tools/ServeCommand.h"

#include "core/app/NoteKeeper.h"
#include "core/app/ServedPublisher.h"
#include "core/app/SettingsFile.h"
#include "core/base/FieldText.h"
#include "core/base/PromptPort.h"
#include "core/base/Strings.h"
#include "core/net/InboundSlot.h"
#include "core/net/MessageList.h"
#include "core/net/ReceiveServer.h"
#include "core/net/ServedDocuments.h"
#include "core/net/ServerHost.h"
#include "core/store/DataBase.h"
#include "core/store/HeadlessMessage.h"
#include "core/store/PropParser.h"

#include <csignal>
#include <cstdio>
#include <exception>
#include <mutex>
#include <optional>
#include <pthread.h>
#include <string>
#include <string_view>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

const char kServeHelp[] = R"(Usage: quillet-cli serve --notes DIR [OPTIONS]

Answers the note protocol like a running Quillet: serves the notes of DIR to
GET /List and GET /Message/ID, and stores every note or text it receives in
DIR as a new note file. Runs until interrupted (SIGINT or SIGTERM).

Options:
  --notes DIR          the note folder (required; created when missing)
  --config FILE        a settings document whose network settings apply
                       (default: the defaults, listening on every address)
  --address A          listen on this address instead
  --port N             listen on this port instead (0: any free port)
  --confirm yes|no     how to answer when the settings ask to confirm a
                       delivery (default yes)
  --help               this text

Prints "listening on ADDRESS:PORT" once it accepts connections.
)";

struct ServeOptions {
    std::string Notes;
    std::string Config;
    std::optional<std::string> Address;
    std::optional<int> Port;
    bool Confirm = true;
};

bool ParsePort(const std::string& text, int& port) {
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    port = std::stoi(text);
    return port <= 65535;
}

// 0 = go on, otherwise the exit code.
int ParseOptions(int argc, char** argv, ServeOptions& options) {
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        std::optional<std::string> value;
        const std::string::size_type equals = name.find('=');
        if (name.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.erase(equals);
        }
        if (name == "--help" || name == "-h") {
            std::fputs(kServeHelp, stdout);
            return -1;
        }
        if (name != "--notes" && name != "--config" && name != "--address" && name != "--port" && name != "--confirm") {
            std::fprintf(stderr, "quillet-cli serve: unknown option %s\n", name.c_str());
            return kExitUsage;
        }
        if (!value) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "quillet-cli serve: %s needs a value\n", name.c_str());
                return kExitUsage;
            }
            value = argv[++i];
        }
        if (name == "--notes") {
            options.Notes = *value;
        } else if (name == "--config") {
            options.Config = *value;
        } else if (name == "--address") {
            options.Address = *value;
        } else if (name == "--port") {
            int port = 0;
            if (!ParsePort(*value, port)) {
                std::fprintf(stderr, "quillet-cli serve: invalid port %s\n", value->c_str());
                return kExitUsage;
            }
            options.Port = port;
        } else if (*value == "yes" || *value == "no") {
            options.Confirm = *value == "yes";
        } else {
            std::fprintf(stderr, "quillet-cli serve: --confirm takes yes or no\n");
            return kExitUsage;
        }
    }
    if (options.Notes.empty()) {
        std::fprintf(stderr, "quillet-cli serve: --notes DIR is required (see --help)\n");
        return kExitUsage;
    }
    return 0;
}

// What the program would show, on standard error.
class CStderrPrompt : public CPromptPort {
public:
    Answer AskYesNo(int stringId, const std::vector<std::string>& args) override {
        ShowMessage(stringId, args, Icon::Exclamation);
        return Answer::No;
    }
    void ShowMessage(int stringId, const std::vector<std::string>& args, Icon) override {
        std::fprintf(stderr, "quillet-cli serve: %s\n", strings::EnglishFormat(stringId, args).c_str());
    }
};

// The store is not thread-safe: every use of it, from the server's loop or
// the main thread, goes through one lock.
class CServeHost : public CServerHost {
public:
    CServeHost(const ServeOptions& options, const NetworkProperty& settings)
        : m_options(options), m_settings(settings), m_store(&CreateHeadlessMessage),
          m_keeper(m_store, &m_prompt,
                   [](const std::string& text) { std::fprintf(stderr, "quillet-cli serve: %s\n", text.c_str()); }) {
        m_keeper.SetSavePath(options.Notes);
        // Published at once, under the store's lock, by whichever thread changed it.
        m_store.SetChangeListener([this](int id) { m_publisher.Changed(id); });
        m_publisher.SetServing(true);
        // The headless consumer: the item is stored on the producer's thread.
        m_slot.SetNotify([this] {
            CInboundSlot::Item item;
            if (m_slot.Take(item))
                Deliver(item);
        });
    }

    int LoadNotes() {
        std::lock_guard<std::mutex> lock(m_storeMutex);
        return static_cast<int>(m_keeper.LoadAll().size());
    }

    NetworkProperty GetNetworkSettings() override { return m_settings; }

    void AskToReceive(int, const std::vector<std::string>&, int, Reply<bool> reply) override {
        reply(m_options.Confirm);
    }
    const CServedDocuments& GetServedDocuments() override { return m_served; }
    CInboundSlot& GetInboundSlot() override { return m_slot; }
    void ReportError(int stringId, const std::vector<std::string>& args) override {
        m_prompt.ShowMessage(stringId, args, CPromptPort::Icon::Stop);
    }

private:
    // What the desktop program does with a received item, under the store's lock.
    void Deliver(const CInboundSlot::Item& item) {
        std::lock_guard<std::mutex> lock(m_storeMutex);
        if (const int id = m_keeper.Receive(item)) {
            std::printf("received note %d\n", id);
            std::fflush(stdout);
        } else {
            std::fprintf(stderr, "quillet-cli serve: a received note could not be read\n");
        }
    }

    const ServeOptions& m_options;
    const NetworkProperty m_settings;
    CStderrPrompt m_prompt;
    std::mutex m_storeMutex;
    CDataBase m_store;
    CNoteKeeper m_keeper;
    CServedDocuments m_served;
    CServedPublisher m_publisher{m_store, m_served};
    CInboundSlot m_slot;
};

} // namespace

int RunServe(int argc, char** argv) {
    ServeOptions options;
    if (const int parsed = ParseOptions(argc, argv, options); parsed != 0)
        return parsed < 0 ? kExitOk : parsed;

    NetworkProperty settings;
    if (!options.Config.empty()) {
        CPropParser model;
        const CSettingsFile::LoadResult result = CSettingsFile::Load(options.Config, model);
        if (result != CSettingsFile::LoadResult::Loaded) {
            std::fprintf(stderr, "quillet-cli serve: %s: %s\n", options.Config.c_str(),
                         result == CSettingsFile::LoadResult::Missing ? "cannot read the file"
                                                                      : "not a settings document");
            return kExitFailed;
        }
        settings = model.m_network;
    }
    settings.AcceptConnection = 1;
    if (options.Address)
        CopyField(settings.Address, *options.Address);
    if (options.Port)
        settings.Port = static_cast<std::uint16_t>(*options.Port);

    // Signals are taken by sigwait below: block them before any thread starts,
    // so that every thread inherits the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    int exitCode = kExitOk;
    {
        CServeHost host(options, settings);
        try {
            const int loaded = host.LoadNotes();
            std::printf("loaded %d note%s from %s\n", loaded, loaded == 1 ? "" : "s", options.Notes.c_str());
        } catch (const std::exception& error) {
            std::fprintf(stderr, "quillet-cli serve: %s: %s\n", options.Notes.c_str(), error.what());
            return kExitFailed;
        }

        CReceiveServer server(host);
        std::string address;
        int port = 0;
        if (!server.StartServer() || !server.GetListenAddress(address, port)) {
            std::fprintf(stderr, "quillet-cli serve: cannot listen on %s:%d\n",
                         std::string(FieldText(settings.Address)).c_str(), settings.Port);
            exitCode = kExitFailed;
        } else {
            std::printf("listening on %s:%d\n", address.c_str(), port);
            std::fflush(stdout);
            int signal = 0;
            while (sigwait(&stopSignals, &signal) != 0) {
            }
        }
        // Wake every wait, then join every thread, before the store goes.
        server.Shutdown();
        host.GetInboundSlot().Shutdown();
    }
    pthread_sigmask(SIG_UNBLOCK, &stopSignals, nullptr);
    return exitCode;
}
