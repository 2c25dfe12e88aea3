#include "ui/app/PinletApp.h"

#include "core/app/SettingsFile.h"
#include "core/base/FieldText.h"
#include "core/base/Paths.h"
#include "core/base/Strings.h"
#include "core/net/LocalListener.h"
#include "core/net/ReceiveServer.h"
#include "core/net/NoteClient.h"
#include "core/net/SelectThread.h"
#include "core/store/DataBase.h"
#include "core/store/PropParser.h"
#include "core/store/SendLogFile.h"
#include "core/stream/DataFiles.h"
#include "platform/Autostart.h"
#include "ui/app/AboutDlg.h"
#include "ui/app/AppServerHost.h"
#include "ui/app/HelpKey.h"
#include "ui/app/TrayIcon.h"
#include "ui/common/AppStrings.h"
#include "ui/common/ModalRun.h"
#include "ui/dialogs/GroupDlg.h"
#include "ui/find/SearchDlg.h"
#include "ui/net/NetRequests.h"
#include "ui/note/MessageDlg.h"
#include "ui/note/ReminderNotifier.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>

#include <exception>

Q_LOGGING_CATEGORY(lcApp, "quillet.app", QtInfoMsg)

namespace {

constexpr const char* kCommandProperty = "quilletCommand";

// "&" in a title is a character, not a mnemonic marker.
QString MenuText(const std::string& title) {
    QString text = QString::fromStdString(title);
    text.replace(QLatin1Char('&'), QLatin1String("&&"));
    return text;
}

Rect ToRect(const QRect& r) {
    return Rect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

QRect PrimaryGeometry() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->geometry() : QRect(0, 0, 1024, 768);
}

// Every screen, the primary one first.
std::vector<Rect> ScreenRects() {
    std::vector<Rect> rects{ToRect(PrimaryGeometry())};
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen != QGuiApplication::primaryScreen())
            rects.push_back(ToRect(screen->geometry()));
    return rects;
}

bool InRange(int command, int first, int count) {
    return command >= first && command < first + count;
}

} // namespace

// ---- the application's event handler --------------------------------------

void CPinletApp::CMessageEvent::OnShowChanged(int id, bool shown) {
    m_app.OnShownChanged(id, shown);
}

void CPinletApp::CMessageEvent::OnDelete(int id) {
    m_app.OnDeleted(id);
}

void CPinletApp::CMessageEvent::OnTitleChanged(int id, const std::string& title) {
    m_app.Rename(id, title);
}

void CPinletApp::CMessageEvent::OnSend(int id) {
    // Queued: the note that asked may be deleted while the dialog runs.
    QMetaObject::invokeMethod(
        &m_app, [app = &m_app, id] { app->OpenSendDialog(id); }, Qt::QueuedConnection);
}

void CPinletApp::CMessageEvent::OnRequest(int id, int kind) {
    // Kind 0 (bring the main window forward) has nothing to do: the frame is
    // never shown.
    if (kind == kRequestSave)
        m_app.m_keeper->SaveReporting(id);
    else if (kind == kRequestGroupSettings)
        // Queued: the note that asked may be deleted while the dialog runs.
        QMetaObject::invokeMethod(&m_app, &CPinletApp::OpenGroupSettings, Qt::QueuedConnection);
}

void CPinletApp::CMessageEvent::OnAddToGroup(int, const std::string&) {
    m_app.m_settings->GroupsChanged();
}

void CPinletApp::CMessageEvent::OnRemoveFromGroup(int, const std::string&) {
    m_app.m_settings->GroupsChanged();
}

void CPinletApp::CMessageEvent::GetGroupNames(std::vector<std::string>& out) {
    out = m_app.Store().GetGroups().GetGroupNames();
}

int CPinletApp::CMessageEvent::GetMessageGroups(int id, std::vector<std::string>& out) {
    return m_app.Store().GetMessageGroups(id, out);
}

void CPinletApp::CMessageEvent::OnSetGroups(int id, const std::vector<std::string>& groups) {
    m_app.m_settings->SetNoteGroups(id, groups);
    m_app.FillGroupMenus(m_app.Store().GetGroups());
}

void CPinletApp::CMessageEvent::OnChanged(int id) {
    m_app.m_keeper->SaveReporting(id);
}

// ---- life cycle -------------------------------------------------------------

CPinletApp::CPinletApp() : CPinletApp(Options{}) {}

CPinletApp::CPinletApp(const Options& options) : m_options(options) {
    m_trayTimer.setSingleShot(false);
    connect(&m_trayTimer, &QTimer::timeout, this, &CPinletApp::RecheckTray);
    connect(new CHelpKey(this), &CHelpKey::Requested, this, &CPinletApp::ShowHelp);
}

CPinletApp::~CPinletApp() {
    ExitInstance();
}

CDataBase& CPinletApp::Store() const {
    return CDataBase::GetInstance();
}

std::string CPinletApp::SavePath() const {
    return m_settings ? m_settings->SavePath() : std::string();
}

// Before start-up and after exit: the defaults.
const ApplicationProperty& CPinletApp::Application() const {
    static const CSettingsKeeper::Settings defaults;
    return m_settings ? m_settings->Application() : defaults.Application;
}

const NetworkProperty& CPinletApp::Network() const {
    static const CSettingsKeeper::Settings defaults;
    return m_settings ? m_settings->Network() : defaults.Network;
}

const CGroup& CPinletApp::Groups() const {
    return Store().GetGroups();
}

bool CPinletApp::InitInstance() {
    if (m_started)
        return true;
    m_started = true;
    m_slots.fill(false);

    // The hidden frame with the menu, and the tray icon when there is a tray.
    m_frame = std::make_unique<CMainFrame>();
    connect(m_frame.get(), &CMainFrame::Command, this, [this](int command) { RunCommand(command); });
    m_hasTray = SetUpTray();

    MainInitialisation();
    return true;
}

void CPinletApp::MainInitialisation() {
    // The store with real note windows; questions go to message boxes.
    CDataBase::SetInstance(std::make_unique<CDataBase>(
        [context = m_noteContext](std::shared_ptr<CNote> note) { return CreateMessageDlg(std::move(note), context); }));
    m_event = std::make_unique<CMessageEvent>(*this);
    CDataBase& store = Store();
    m_keeper = std::make_unique<CNoteKeeper>(store, &m_prompt,
                                             [](const std::string& text) { qCWarning(lcApp) << text.c_str(); });
    store.SetEventHandler(m_event.get());
    store.SetPromptPort(&m_prompt);
    m_noteContext->Prompt = &m_prompt;
    m_reminders = std::make_unique<CReminderNotifier>();
    m_noteContext->ReminderFired = [notifier = m_reminders.get()](CMessageDlg& note) { notifier->Notify(&note); };

    m_settings = std::make_unique<CSettingsKeeper>(store, *m_keeper, &m_prompt);
    CSettingsFile::LoadResult settings = CSettingsFile::LoadResult::Missing;
    for (const int id : m_settings->StartUp(&settings))
        AddMessageMenus(id);
    if (settings == CSettingsFile::LoadResult::Unparsable)
        qCWarning(lcApp) << "settings file unreadable, defaults used:" << CPaths::SettingsFile().c_str();
    FillGroupMenus(store.GetGroups());
    // A build or an install that moved leaves the login entry pointing nowhere.
    if (const CAutostart autostart = Autostart(); Application().EnableStartup == 1 && !autostart.RefreshIfStale())
        qCWarning(lcApp) << "start-up entry not updated:" << autostart.UserEntryPath().c_str();

    // Received items come in on network threads; the store is only touched here.
    m_slot.SetNotify([this] { QMetaObject::invokeMethod(this, &CPinletApp::HandleInbound, Qt::QueuedConnection); });
    m_host = std::make_unique<CAppServerHost>(store, m_slot, m_prompt);
    m_host->SetNetworkSettings(Network());
    if (Network().AcceptConnection == 1)
        StartServer();

    LoadSendLog(CPaths::SendLogFile(), m_sendLog);
    m_requests = std::make_unique<CNetRequests>(&m_slot);
    connect(m_requests.get(), &CNetRequests::Finished, this, &CPinletApp::OnFetchFinished);
    connect(m_requests.get(), &CNetRequests::Finished, this, &CPinletApp::OnSendFinished);
    CreateLocalListener();
    // Modeless and hidden until "Find" is chosen.
    m_find = std::make_unique<CSearchDlg>(store);

    m_screenRect = ToRect(PrimaryGeometry());
    if (Application().EnableOutOfWindow != 1)
        Relocate();

    if (!m_hasTray)
        KeepMenuReachable();
}

void CPinletApp::ExitInstance() {
    if (!m_started || m_exited)
        return;
    m_exited = true;
    m_trayTimer.stop();

    // Network first: no callback may run into what is torn down below.
    if (m_server)
        m_server->Shutdown();
    if (m_local)
        m_local->Close();
    m_requests.reset(); // cancels what is still out
    m_sends.Clear();
    m_slot.Shutdown();
    m_discovery.reset(); // withdraws the announcement and joins its thread
    CSelectThread::Instance().Stop();
    CNoteClient::StopBackground();
    if (m_host)
        m_host->Close();
    m_server.reset();
    m_local.reset();
    m_host.reset();
    m_sendLog.RemoveAll();
    m_find.reset(); // stops and joins a running search

    m_noteContext->ExtraMenu = nullptr;
    m_noteContext->Prompt = nullptr;
    m_noteContext->ReminderFired = nullptr;
    Store().SetEventHandler(nullptr);
    Store().SetPromptPort(nullptr);
    m_settings.reset();
    m_keeper.reset();
    CDataBase::DeleteInstance();
    // Note windows delete themselves from the event loop, which has ended.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_event.reset();
    m_frame.reset();
}

// ---- settings and files -----------------------------------------------------

bool CPinletApp::SaveSettings() {
    return m_settings && m_settings->Save();
}

bool CPinletApp::SaveModifiedMessages() {
    if (!m_keeper)
        return false;
    const bool cursor = !m_displayGone && qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    if (cursor)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const bool saved = m_keeper->SaveModified();
    if (cursor)
        QGuiApplication::restoreOverrideCursor();
    return saved;
}

bool CPinletApp::SaveAllModified(bool interactive) {
    if (!m_keeper || !m_settings)
        return false;
    const bool before = m_keeper->IsInteractive();
    m_keeper->SetInteractive(interactive);
    const bool settings = m_settings->Write();
    const bool notes = SaveModifiedMessages();
    // One box for both: the notes report their own failure.
    if (!settings && notes)
        m_keeper->ReportSaveFailure();
    m_keeper->SetInteractive(before);
    return settings && notes;
}

void CPinletApp::SaveAllModifiedWithoutDisplay() {
    m_displayGone = true;
    SaveAllModified(false);
}

// ---- network ----------------------------------------------------------------

bool CPinletApp::StartServer() {
    if (!m_host)
        return false;
    m_host->SetNetworkSettings(Network());
    if (!m_server)
        m_server = std::make_unique<CReceiveServer>(*m_host);
    // The documents are up to date before the first request can come.
    m_host->SetServing(true);
    if (!m_server->StartServer()) {
        m_host->SetServing(false);
        return false;
    }
    // Lets the host search of other computers find this one, on the port
    // actually bound (port 0 in the settings means one the system picked).
    std::string boundAddress;
    int port = Network().Port;
    if (!m_server->GetListenAddress(boundAddress, port))
        port = Network().Port;
    if (!m_discovery)
        m_discovery = std::make_unique<CServiceDiscovery>();
    m_discovery->Announce(static_cast<std::uint16_t>(port), boundAddress);
    return true;
}

void CPinletApp::StopServer() {
    if (m_server)
        m_server->StopServer();
    if (m_host)
        m_host->SetServing(false);
    if (m_discovery)
        m_discovery->Withdraw();
}

bool CPinletApp::CreateLocalListener() {
    if (!m_local)
        m_local = std::make_unique<CLocalListener>(m_slot);
    if (m_local->CreateLocalListener())
        return true;
    m_prompt.ShowText(QString::fromLatin1(kLocalSocketCreateError), CPromptPort::Icon::Exclamation);
    return false;
}

void CPinletApp::HandleInbound() {
    CInboundSlot::Item item;
    // Taking the item frees the slot for the next producer, whatever follows.
    if (!m_started || m_exited || !m_slot.Take(item))
        return;
    // Past 100 notes its menu items are greyed.
    if (const int id = m_keeper->Receive(item))
        AddMessageMenus(id);
}

// ---- commands ---------------------------------------------------------------

int CPinletApp::CreateMessage(const std::string& text) {
    const int id = m_keeper->Create(text);
    if (id != 0)
        AddMessageMenus(id);
    return id;
}

bool CPinletApp::RunCommand(int command) {
    CDataBase& store = Store();
    switch (command) {
    case CMainFrame::kCmdNewMessage:
        CreateMessage(std::string());
        return true;
    case CMainFrame::kCmdShowAll:
        store.ShowMessage(0, ShowCommand::Show);
        return true;
    case CMainFrame::kCmdHideAll:
        store.ShowMessage(0, ShowCommand::Hide);
        return true;
    case CMainFrame::kCmdUpperLeft:
        Arrange(arrangement::Corner::UpperLeft);
        return true;
    case CMainFrame::kCmdLowerLeft:
        Arrange(arrangement::Corner::LowerLeft);
        return true;
    case CMainFrame::kCmdUpperRight:
        Arrange(arrangement::Corner::UpperRight);
        return true;
    case CMainFrame::kCmdLowerRight:
        Arrange(arrangement::Corner::LowerRight);
        return true;
    case CMainFrame::kCmdRelocate:
        Relocate();
        return true;
    case CMainFrame::kCmdDeleteAll:
        if (m_prompt.AskYesNo(strings::kDeleteAllConfirm, {}) == CPromptPort::Answer::Yes)
            store.DeleteAll();
        return true;
    case CMainFrame::kCmdGroupSettings:
        OpenGroupSettings();
        return true;
    case CMainFrame::kCmdProperty:
        OpenPropertySheet();
        return true;
    case CMainFrame::kCmdRetrieve:
        OpenRetrieveDialog();
        return true;
    case CMainFrame::kCmdSendNewMessage:
        OpenSendTextDialog();
        return true;
    case CMainFrame::kCmdFind:
        m_find->ShowDialog();
        return true;
    case CMainFrame::kCmdHelp:
        ShowHelp();
        return true;
    case CMainFrame::kCmdAbout:
        ShowAbout();
        return true;
    case CMainFrame::kCmdExit:
        Exit();
        return true;
    default:
        break;
    }

    const struct {
        CMainFrame::EPopup Popup;
        int First;
        int Count;
    } ranges[] = {
        {CMainFrame::kDisplayMessage, kFirstDisplayMessage, kMenuSlots},
        {CMainFrame::kDeleteMessage, kFirstDeleteMessage, kMenuSlots},
        {CMainFrame::kDisplayGroup, kFirstDisplayGroup, kMenuGroups},
        {CMainFrame::kDeleteGroup, kFirstDeleteGroup, kMenuGroups},
        {CMainFrame::kSendMessage, kFirstSendMessage, kMenuSlots},
        {CMainFrame::kSendGroup, kFirstSendGroup, kMenuGroups},
    };
    for (const auto& range : ranges) {
        if (!InRange(command, range.First, range.Count))
            continue;
        QAction* item = FindItemByCommand(range.Popup, command);
        if (item == nullptr)
            return false;
        DispatchItem(item, command);
        return true;
    }
    return false;
}

void CPinletApp::DispatchItem(QAction* item, int command) {
    CDataBase& store = Store();
    // The check mark as it was before the item was chosen.
    const bool checked = item->isChecked();
    if (InRange(command, kFirstDisplayMessage, kMenuSlots)) {
        store.ShowMessage(item->data().toInt(), checked ? ShowCommand::Hide : ShowCommand::Show);
    } else if (InRange(command, kFirstDeleteMessage, kMenuSlots)) {
        const int id = item->data().toInt();
        if (m_prompt.AskYesNo(strings::kDeleteMessageConfirm, {}) == CPromptPort::Answer::Yes)
            store.DeleteMessage(id);
    } else if (InRange(command, kFirstDisplayGroup, kMenuGroups)) {
        store.ShowGroup(item->data().toString().toStdString(), checked ? ShowCommand::Hide : ShowCommand::Show);
    } else if (InRange(command, kFirstDeleteGroup, kMenuGroups)) {
        const std::string name = item->data().toString().toStdString();
        if (m_prompt.AskYesNo(strings::kDeleteMessageConfirm, {}) != CPromptPort::Answer::Yes)
            return;
        // The group itself stays.
        std::vector<int> ids;
        store.GetGroupMemberIds(name, ids);
        for (const int id : ids)
            store.DeleteMessage(id);
    } else if (InRange(command, kFirstSendMessage, kMenuSlots)) {
        OpenSendDialog(item->data().toInt());
    } else if (InRange(command, kFirstSendGroup, kMenuGroups)) {
        OpenSendGroupDialog(item->data().toString().toStdString());
    }
}

void CPinletApp::Exit() {
    const bool interactive = m_keeper->IsInteractive();
    // Quitting after a failed save would lose the edits: the user may make
    // room and try again, quit anyway, or keep the program running.
    while (!SaveAllModified(false) && interactive) {
        const CPromptPort::Answer answer = m_prompt.AskCancelTryContinue(strings::kSaveFailed, {});
        if (answer == CPromptPort::Answer::Cancel)
            return;
        if (answer != CPromptPort::Answer::TryAgain)
            break;
    }
    if (m_frame)
        m_frame->Tray().Hide();
    // exit, not quit: quit would first close (hide) every note, and a hidden
    // note saves itself as hidden.
    QCoreApplication::exit(0);
}

void CPinletApp::Arrange(arrangement::Corner corner) {
    CDataBase& store = Store();
    const QRect screen = PrimaryGeometry();
    std::vector<arrangement::ArrangedNote> notes;
    for (const CDataBase::SortedItem& item : store.BuildSortedList(Application().OrderFlag))
        notes.push_back({item.ID, store.GetWindowRect(item.ID), store.IsVisible(item.ID)});
    for (const arrangement::Placement& placement :
         arrangement::Arrange(notes, corner, screen.width(), screen.height(), Application().MessageGap))
        store.MoveMessage(placement.Id, screen.x() + placement.Position.X, screen.y() + placement.Position.Y);
}

void CPinletApp::Relocate() {
    const std::vector<Rect> screens = ScreenRects();
    Store().RelocateIntoScreen(screens.front(), screens);
}

QUrl CPinletApp::HelpUrl(const QString& programFolder, const QLocale& locale) {
    const QString program = programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : programFolder;
    // Beside the program in the build tree; under share/ when installed. In
    // each, the page in the user's language (index.ja.html) before the English one.
    const QString language = locale.name().section(QLatin1Char('_'), 0, 0);
    QStringList pages;
    if (!language.isEmpty() && language != QLatin1String("C") && language != QLatin1String("en"))
        pages << QStringLiteral("index.%1.html").arg(language);
    pages << QStringLiteral("index.html");
    const QStringList folders{program + QStringLiteral("/help/"), program + QStringLiteral("/../share/quillet/help/")};
    for (const QString& folder : folders) {
        for (const QString& page : pages) {
            const QFileInfo file(folder + page);
            if (file.isFile())
                return QUrl::fromLocalFile(file.canonicalFilePath());
        }
    }
    return QUrl();
}

void CPinletApp::ShowHelp() {
    const QUrl url = HelpUrl();
    if (url.isEmpty()) {
        qCWarning(lcApp) << "no help page installed";
        return;
    }
    if (m_urlOpener)
        m_urlOpener(url);
    else
        QDesktopServices::openUrl(url);
}

void CPinletApp::ShowAbout() {
    CAboutDlg dialog(QCoreApplication::applicationVersion());
    dialog.SetHelpOpener([this] { ShowHelp(); });
    modalrun::Exec(dialog);
}

// ---- tray -------------------------------------------------------------------

void CPinletApp::SetNoteMenu(QMenu* menu) {
    m_noteContext->ExtraMenu = menu;
}

bool CPinletApp::SetUpTray() {
    if (m_frame->CreateTrayIcon()) {
        SetNoteMenu(nullptr);
        return true;
    }
    qCInfo(lcApp) << "no notification area: the main menu is in every note's menu";
    SetNoteMenu(m_frame->Menu());
    // A panel started later announces its host on the bus; the timer below is
    // for XEmbed trays, which say nothing there.
    const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
    QDBusConnection::sessionBus().connect(watcher, QStringLiteral("/StatusNotifierWatcher"), watcher,
                                          QStringLiteral("StatusNotifierHostRegistered"), this, SLOT(RecheckTray()));
    if (m_options.TrayRecheckMs > 0 && m_options.TrayRecheckTries > 0) {
        m_trayTries = 0;
        m_trayTimer.start(m_options.TrayRecheckMs);
    }
    return false;
}

void CPinletApp::RecheckTray() {
    if (m_exited || m_hasTray) {
        m_trayTimer.stop();
        return;
    }
    if (m_frame->CreateTrayIcon()) {
        qCInfo(lcApp) << "notification area found: tray icon shown";
        m_hasTray = true;
        SetNoteMenu(nullptr);
        m_trayTimer.stop();
        return;
    }
    if (++m_trayTries >= m_options.TrayRecheckTries)
        m_trayTimer.stop();
}

void CPinletApp::KeepMenuReachable() {
    // Without a tray icon the menu lives in the notes' menus: some note must
    // be there to offer it.
    if (m_hasTray || m_exited)
        return;
    CDataBase& store = Store();
    if (store.GetCount() == 0)
        CreateMessage(std::string());
}

// ---- menus ------------------------------------------------------------------

QString CPinletApp::StringText(int id) {
    return AppStringText(id);
}

QAction* CPinletApp::AddItem(CMainFrame::EPopup popup, const QString& text, int command, const QVariant& data) {
    QAction* item = Popup(popup)->addAction(text);
    item->setData(data);
    if (command == 0) {
        // Beyond the command ranges: listed, but it cannot be chosen.
        item->setEnabled(false);
        return item;
    }
    item->setProperty(kCommandProperty, command);
    connect(item, &QAction::triggered, this, [this, item, command] {
        // Qt has flipped the check mark already; the store's events set it.
        if (item->isCheckable())
            item->setChecked(!item->isChecked());
        DispatchItem(item, command);
    });
    return item;
}

QAction* CPinletApp::FindItemByCommand(CMainFrame::EPopup popup, int command) const {
    for (QAction* item : Popup(popup)->actions())
        if (item->property(kCommandProperty).toInt() == command)
            return item;
    return nullptr;
}

std::vector<QAction*> CPinletApp::FindItemsByData(CMainFrame::EPopup popup, const QVariant& data) const {
    std::vector<QAction*> found;
    for (QAction* item : Popup(popup)->actions())
        if (item->data() == data)
            found.push_back(item);
    return found;
}

void CPinletApp::AddMessageMenus(int id) {
    CDataBase& store = Store();
    int slot = -1;
    for (int s = 0; s < kMenuSlots; ++s) {
        if (!m_slots[s]) {
            slot = s;
            break;
        }
    }
    const QString text = MenuText(store.GetTitle(id));
    int display = 0;
    if (slot >= 0) {
        m_slots[slot] = true;
        display = kFirstDisplayMessage + slot;
        store.SetMenuCommand(id, display);
    }
    QAction* item = AddItem(CMainFrame::kDisplayMessage, text, display, id);
    item->setCheckable(true);
    item->setChecked(store.IsVisible(id));
    AddItem(CMainFrame::kDeleteMessage, text, display != 0 ? display + 500 : 0, id);
    AddItem(CMainFrame::kSendMessage, text, display != 0 ? display + 900 : 0, id);
}

void CPinletApp::RemoveMessageMenus(int id) {
    CDataBase& store = Store();
    const int command = store.GetMenuCommand(id);
    if (InRange(command, kFirstDisplayMessage, kMenuSlots))
        m_slots[command - kFirstDisplayMessage] = false;
    for (const auto popup : {CMainFrame::kDisplayMessage, CMainFrame::kDeleteMessage, CMainFrame::kSendMessage})
        for (QAction* item : FindItemsByData(popup, id))
            delete item;
    // A group that loses its last member leaves the menus until they are rebuilt.
    std::vector<std::string> groups;
    store.GetMessageGroups(id, groups);
    for (const std::string& name : groups)
        if (store.GetGroupMemberCount(name) < 2)
            RemoveGroupItems(name);
}

void CPinletApp::RemoveGroupItems(const std::string& name) {
    const QVariant data(QString::fromStdString(name));
    for (const auto popup : {CMainFrame::kDisplayGroup, CMainFrame::kDeleteGroup, CMainFrame::kSendGroup})
        for (QAction* item : FindItemsByData(popup, data))
            delete item;
}

void CPinletApp::Rename(int id, const std::string& title) {
    const QString text = MenuText(title);
    for (const auto popup : {CMainFrame::kDisplayMessage, CMainFrame::kDeleteMessage, CMainFrame::kSendMessage})
        for (QAction* item : FindItemsByData(popup, id))
            item->setText(text);
}

void CPinletApp::Check(int id, bool shown) {
    CDataBase& store = Store();
    for (QAction* item : FindItemsByData(CMainFrame::kDisplayMessage, id))
        item->setChecked(shown);
    std::vector<std::string> groups;
    store.GetMessageGroups(id, groups);
    for (const std::string& name : groups)
        for (QAction* item : FindItemsByData(CMainFrame::kDisplayGroup, QString::fromStdString(name)))
            item->setChecked(shown && store.IsGroupShown(name));
}

void CPinletApp::OpenGroupSettings() {
    CDataBase& store = Store();
    std::vector<GroupMember> notes;
    for (const CDataBase::SortedItem& item : store.BuildSortedList(CDataBase::kSortAscending | CDataBase::kSortById))
        notes.push_back({item.ID, item.Title});
    CGroupDlg dialog(std::move(notes), store.GetGroups(), m_settings->Get().DefaultFont);
    if (modalrun::Exec(dialog) != QDialog::Accepted)
        return;

    m_settings->ChangeGroups(dialog.GetGroups());
    FillGroupMenus(store.GetGroups());
}

void CPinletApp::FillGroupMenus(const CGroup& table) {
    CDataBase& store = Store();
    for (const auto popup : {CMainFrame::kDisplayGroup, CMainFrame::kDeleteGroup, CMainFrame::kSendGroup}) {
        const QList<QAction*> items = Popup(popup)->actions();
        for (QAction* item : items)
            delete item;
    }
    int k = 0;
    for (const std::string& name : table.GetGroupNames()) {
        const QString text = MenuText(name);
        const QVariant data(QString::fromStdString(name));
        const int display = k < kMenuGroups ? kFirstDisplayGroup + k : 0;
        QAction* item = AddItem(CMainFrame::kDisplayGroup, text, display, data);
        item->setCheckable(true);
        item->setChecked(store.IsGroupShown(name));
        AddItem(CMainFrame::kDeleteGroup, text, display != 0 ? display + 300 : 0, data);
        AddItem(CMainFrame::kSendGroup, text, display != 0 ? display + 700 : 0, data);
        if (display != 0)
            store.SetGroupCommand(name, display);
        ++k;
    }
}

// ---- store events -----------------------------------------------------------

void CPinletApp::OnShownChanged(int id, bool shown) {
    Check(id, shown);
}

void CPinletApp::OnDeleted(int id) {
    RemoveMessageMenus(id);
    m_keeper->Forget(id);
    if (!m_hasTray)
        QTimer::singleShot(0, this, &CPinletApp::KeepMenuReachable);
}
