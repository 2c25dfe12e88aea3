#pragma once

#include "core/base/Properties.h"
#include "core/base/Rect.h"
#include "core/app/NoteKeeper.h"
#include "core/app/SendBatches.h"
#include "core/app/SettingsKeeper.h"
#include "core/net/InboundSlot.h"
#include "core/note/Arrangement.h"
#include "core/store/DestInfo.h"
#include "core/store/Group.h"
#include "core/store/MessageEventHandler.h"
#include "platform/ServiceDiscovery.h"
#include "ui/app/MainFrame.h"
#include "ui/app/UiPrompt.h"
#include "ui/note/NoteContext.h"

#include <QLocale>
#include <QLoggingCategory>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

class CSearchDlg;
struct CNoteContext;
class CAppPropSheet;
struct ClientOutcome;
class CAutostart;
class CAppServerHost;
class CDataBase;
class CLocalListener;
class CNetRequests;
class CReceiveServer;
class CReminderNotifier;
class QAction;
class QMenu;

Q_DECLARE_LOGGING_CATEGORY(lcApp)

// The program: owns the settings, the note store, the hidden frame with the
// tray icon and its menu, the receiving server, the local bridge listener and
// the send log; keeps the menus in step with the notes; writes note files.
// Lives on the user-interface thread; received items reach it through the
// inbound slot by queued calls.
class CPinletApp : public QObject {
    Q_OBJECT

public:
    // At most this many notes; New message refuses beyond it.
    static constexpr int kMaxMessages = CNoteKeeper::kMaxMessages;
    // Menu slots for notes and groups that can be reached from the menus.
    static constexpr int kMenuSlots = 100;
    static constexpr int kMenuGroups = 25;
    // Command ranges of the note and group pop-ups.
    static constexpr int kFirstDisplayMessage = 32868;
    static constexpr int kFirstDeleteMessage = kFirstDisplayMessage + 500; // 33368
    static constexpr int kFirstSendMessage = kFirstDisplayMessage + 900;   // 33768
    static constexpr int kFirstDisplayGroup = 33268;
    static constexpr int kFirstDeleteGroup = kFirstDisplayGroup + 300; // 33568
    static constexpr int kFirstSendGroup = kFirstDisplayGroup + 700;   // 33968
    // The two hand-off commands.
    static constexpr int kCmdInboundText = CInboundSlot::kPlainText;
    static constexpr int kCmdInboundDocument = CInboundSlot::kNoteDocument;

    struct Options {
        // How long to wait before looking for a notification area again when
        // there was none at start-up (a panel may come up later); 0 = never.
        int TrayRecheckMs = 5000;
        int TrayRecheckTries = 12;
        // The start-up entry's folders; empty: the user's autostart folder
        // ($XDG_CONFIG_HOME/autostart) and the system's (/etc/xdg/autostart).
        std::string AutostartUserFolder;
        std::string AutostartAllUsersFolder;
    };

    // What the store reports, as the application handles it.
    class CMessageEvent : public CMessageEventHandler {
    public:
        explicit CMessageEvent(CPinletApp& app) : m_app(app) {}

        void OnShowChanged(int id, bool shown) override;
        void OnDelete(int id) override;
        void OnTitleChanged(int id, const std::string& title) override;
        void OnSend(int id) override;
        void OnRequest(int id, int kind) override;
        void OnAddToGroup(int id, const std::string& group) override;
        void OnRemoveFromGroup(int id, const std::string& group) override;
        void GetGroupNames(std::vector<std::string>& out) override;
        int GetMessageGroups(int id, std::vector<std::string>& out) override;
        void OnSetGroups(int id, const std::vector<std::string>& groups) override;
        void OnChanged(int id) override;

    private:
        CPinletApp& m_app;
    };

    CPinletApp();
    explicit CPinletApp(const Options& options);
    ~CPinletApp() override;
    CPinletApp(const CPinletApp&) = delete;
    CPinletApp& operator=(const CPinletApp&) = delete;

    // Start-up: settings, notes, groups, server, send log, local listener,
    // relocation. False when the program cannot run.
    bool InitInstance();
    // Releases everything in order and joins every network thread. Saves nothing.
    void ExitInstance();

    // Settings, then every modified note. Interactive: failures are shown;
    // otherwise (a signal, the session ending) they are only logged.
    bool SaveAllModified(bool interactive = true);
    // The same without a word to the display, which is gone.
    void SaveAllModifiedWithoutDisplay();
    // Writes the settings file; shows message 57695 when it fails, since the
    // changes would otherwise be gone at the next start without a word.
    bool SaveSettings();
    // Writes every note that has changes not on disk yet. Goes on past a note
    // that fails and reports the failure once (message 57695).
    bool SaveModifiedMessages();

    bool StartServer();
    void StopServer();
    bool CreateLocalListener();

    // A new note with the text; 0 and message 57670 when the store is full.
    int CreateMessage(const std::string& text);
    // Runs a command of the main menu as if its item had been chosen; false
    // when no item has that command.
    bool RunCommand(int command);
    // The Exit command: settings and modified notes saved, icon removed, quit.
    void Exit();

    // Consumes the pending inbound item, if any (user-interface thread).
    void HandleInbound();
    CInboundSlot& InboundSlot() { return m_slot; }

    // Menu maintenance.
    void AddMessageMenus(int id);
    void RemoveMessageMenus(int id);
    void Rename(int id, const std::string& title);
    void Check(int id, bool shown);
    void FillGroupMenus(const CGroup& table);
    // The group settings dialog; on OK the store and the menus take its table.
    void OpenGroupSettings();
    // The retrieve dialog (command 32797); after "Retrieve" the chosen notes are
    // fetched in order and the send log takes the dialog's list.
    void OpenRetrieveDialog();
    // The application property sheet (command 32771): the server is down
    // while it is open; on OK the settings, the defaults of new notes and the
    // start-up entry take its values and are saved.
    void OpenPropertySheet();
    // The send dialog for one note (Send/Message, a note's own Send) or for every
    // note of a group (Send/Group); on OK the notes go to the chosen destinations
    // and the send log takes the dialog's list. Cancel changes nothing.
    void OpenSendDialog(int id);
    void OpenSendGroupDialog(const std::string& group);
    // The plain-text dialog (command 32796); on OK the text may become a note
    // and the send log takes the dialog's list.
    void OpenSendTextDialog();
    // The note to every destination, one connection each. With deleteAfter the
    // note is deleted once some destination has accepted it; refused everywhere,
    // it stays.
    void SendNoteTo(int id, const std::vector<DestEntry>& destinations, bool deleteAfter);

    void Arrange(arrangement::Corner corner);
    void Relocate();

    // Access for the wiring and for tests.
    CDataBase& Store() const;
    CMainFrame* MainFrame() const { return m_frame.get(); }
    CSearchDlg* FindDialog() const { return m_find.get(); }
    QMenu* Popup(CMainFrame::EPopup popup) const { return m_frame->Popup(popup); }
    CUiPrompt& Prompt() { return m_prompt; }
    CAppServerHost* ServerHost() const { return m_host.get(); }
    CReceiveServer* Server() const { return m_server.get(); }
    CLocalListener* LocalListener() const { return m_local.get(); }
    // Requests to other computers; outcomes arrive on this thread.
    CNetRequests* Requests() const { return m_requests.get(); }
    // The DNS-SD announcement of the receiving server; null until the server first started.
    CServiceDiscovery* Discovery() const { return m_discovery.get(); }
    const CDestInfo& SendLog() const { return m_sendLog; }
    const ApplicationProperty& Application() const;
    const NetworkProperty& Network() const;
    const CGroup& Groups() const;
    const Rect& ScreenRect() const { return m_screenRect; }
    std::string SavePath() const;
    bool HasTray() const { return m_hasTray; }

    // What opens the help page; unset means QDesktopServices::openUrl.
    void SetUrlOpener(std::function<void(const QUrl&)> opener) { m_urlOpener = std::move(opener); }
    // The help page installed with the program in programFolder (default: the
    // running program's), in the locale's language when there is a page for
    // it, or an empty URL when none is found.
    static QUrl HelpUrl(const QString& programFolder = QString(), const QLocale& locale = QLocale());

    // The translated text of a string id.
    static QString StringText(int id);

private slots:
    // Also when a StatusNotifier host comes up, however late.
    void RecheckTray();

private:
    void MainInitialisation();
    bool SetUpTray();
    // Where no tray icon offers the main menu, every note's menu does.
    void SetNoteMenu(QMenu* menu);
    void KeepMenuReachable();
    // The start-up entry, in the folders the options name.
    CAutostart Autostart() const;
    void OnShownChanged(int id, bool shown);
    void OnDeleted(int id);
    // Failed fetches of the application's own requests, shown by string id.
    void OnFetchFinished(const ClientOutcome& outcome);
    // Outcomes of the notes sent by SendNoteTo.
    void OnSendFinished(const ClientOutcome& outcome);
    // Takes the list back as the send log and writes the file.
    void ReplaceSendLog(const CDestInfo& list);
    void ShowHelp();
    void ShowAbout();

    void DispatchItem(QAction* action, int command);
    QAction* AddItem(CMainFrame::EPopup popup, const QString& text, int command, const QVariant& data);
    QAction* FindItemByCommand(CMainFrame::EPopup popup, int command) const;
    std::vector<QAction*> FindItemsByData(CMainFrame::EPopup popup, const QVariant& data) const;
    void RemoveGroupItems(const std::string& name);

    Options m_options;
    CUiPrompt m_prompt;
    // What every note window shares.
    std::shared_ptr<CNoteContext> m_noteContext = std::make_shared<CNoteContext>();
    std::unique_ptr<CMessageEvent> m_event;
    // Reminders that went off, told to the desktop's notification centre.
    std::unique_ptr<CReminderNotifier> m_reminders;
    std::unique_ptr<CMainFrame> m_frame;

    std::array<bool, kMenuSlots> m_slots{};
    CInboundSlot m_slot;
    std::unique_ptr<CAppServerHost> m_host;
    std::unique_ptr<CReceiveServer> m_server;
    std::unique_ptr<CLocalListener> m_local;
    std::unique_ptr<CNetRequests> m_requests;
    std::unique_ptr<CServiceDiscovery> m_discovery;
    std::unique_ptr<CSearchDlg> m_find;
    CDestInfo m_sendLog{CDestInfo::kDefaultCapacity};

    // Loading, saving, receiving and deleting notes.
    std::unique_ptr<CNoteKeeper> m_keeper;
    // The settings, the defaults of new notes and the group table.
    std::unique_ptr<CSettingsKeeper> m_settings;
    Rect m_screenRect;
    bool m_hasTray = false;
    int m_trayTries = 0;
    QTimer m_trayTimer;
    bool m_started = false;
    bool m_exited = false;
    bool m_displayGone = false;
    std::function<void(const QUrl&)> m_urlOpener;
    CAppPropSheet* m_propSheet = nullptr; // while the property sheet is open
    // Notes on their way, by request id.
    CSendBatches m_sends;
};
