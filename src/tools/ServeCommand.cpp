#include "tools/ServeCommand.h"

#include "core/app/SettingsFile.h"
#include "core/base/FieldText.h"
#include "core/base/Strings.h"
#include "core/net/InboundSlot.h"
#include "core/net/MessageList.h"
#include "core/net/ReceiveServer.h"
#include "core/net/SelectThread.h"
#include "core/net/ServerHost.h"
#include "core/note/RtfWriter.h"
#include "core/note/StyledText.h"
#include "core/store/DataBase.h"
#include "core/store/HeadlessMessage.h"
#include "core/store/PropParser.h"
#include "core/stream/DataFiles.h"

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

// The store is not thread-safe: every use of it, from any socket callback,
// goes through one lock.
class CServeHost : public CServerHost {
public:
    CServeHost(const ServeOptions& options, const NetworkProperty& settings)
        : m_options(options), m_settings(settings), m_store([] { return MessageWindowPtr(new CHeadlessMessage()); }) {
        // The headless consumer: the item is stored on the producer's thread.
        m_slot.SetNotify([this] {
            CInboundSlot::Item item;
            if (m_slot.Take(item))
                Store(item);
        });
    }

    int LoadNotes() {
        std::lock_guard<std::mutex> lock(m_storeMutex);
        int loaded = 0;
        for (const NoteFile& file : LoadNoteFiles(m_options.Notes))
            if (m_store.LoadMessage(file.Contents.data(), static_cast<int>(file.Contents.size()), false) != 0)
                ++loaded;
        return loaded;
    }

    NetworkProperty GetNetworkSettings() override { return m_settings; }

    void AskToReceive(int, const std::vector<std::string>&, int, Reply<bool> reply) override {
        reply(m_options.Confirm);
    }
    void GetMessageList(Reply<CMessageList> reply) override {
        CMessageList list;
        {
            std::lock_guard<std::mutex> lock(m_storeMutex);
            list = CMessageList::FromStore(m_store);
        }
        reply(std::move(list));
    }
    void GetMessageDocument(int id, Reply<std::string> reply) override {
        std::string document;
        {
            std::lock_guard<std::mutex> lock(m_storeMutex);
            document = m_store.Serialize(id);
        }
        reply(std::move(document));
    }
    CInboundSlot& GetInboundSlot() override { return m_slot; }
    void ReportError(int stringId, const std::vector<std::string>& args) override {
        std::fprintf(stderr, "quillet-cli serve: %s\n", strings::EnglishFormat(stringId, args).c_str());
    }

private:
    // What the desktop program does with a received item: a new note, its file
    // written as the program writes it.
    void Store(const CInboundSlot::Item& item) {
        std::lock_guard<std::mutex> lock(m_storeMutex);
        int id = 0;
        if (item.Command == CInboundSlot::kNoteDocument) {
            id = m_store.LoadMessage(item.Bytes.data(), static_cast<int>(item.Bytes.size()), true);
        } else {
            id = m_store.AddMessage(std::string());
            if (CMessageWindow* note = m_store.GetMessage(id)) {
                // A note window holds rich text: the text in the note's own font.
                const FontProperty& font = note->GetFont();
                CharFormat format;
                format.FaceName = std::string(FieldText(font.Name));
                format.HalfPoints = font.Size * 2;
                format.SetEffectFlags(font.Flags);
                format.Color = font.FontColor;
                note->SetBody(CRtfWriter::Write(CStyledText::FromPlainText(item.Bytes, format)), BodyFormat::Rtf);
            }
        }
        if (id == 0) {
            std::fprintf(stderr, "quillet-cli serve: a received note could not be read\n");
            return;
        }
        try {
            SaveNoteFile(m_options.Notes, id, m_store.Serialize(id));
            std::printf("received note %d\n", id);
            std::fflush(stdout);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "quillet-cli serve: %s (%s)\n", strings::EnglishText(strings::kSaveFailed),
                         error.what());
        }
    }

    const ServeOptions& m_options;
    const NetworkProperty m_settings;
    std::mutex m_storeMutex;
    CDataBase m_store;
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
        CSelectThread::Instance().Stop();
    }
    pthread_sigmask(SIG_UNBLOCK, &stopSignals, nullptr);
    return exitCode;
}
