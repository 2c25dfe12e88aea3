#include "AppTestSupport.h"

#include "core/base/FieldText.h"
#include "core/base/Strings.h"
#include "core/net/LocalListener.h"
#include "core/net/ReceiveServer.h"
#include "ui/app/AppServerHost.h"
#include "ui/common/AppStrings.h"
#include "ui/common/ModalRun.h"
#include "ui/dialogs/ConfirmDlg.h"
#include "ui/dialogs/GroupDlg.h"
#include "ui/find/SearchDlg.h"

#include <QAction>
#include <QListWidget>
#include <QTreeWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTextEdit>
#include <QTranslator>

#include <algorithm>
#include <sys/stat.h>
#include <thread>

namespace {

constexpr int kIdA = 1500000000;
constexpr int kIdB = 1500000100;

QStringList Texts(QMenu* menu) {
    QStringList texts;
    for (QAction* action : menu->actions())
        texts << action->text();
    return texts;
}

QAction* ItemOf(QMenu* menu, int id) {
    for (QAction* action : menu->actions())
        if (action->data().toInt() == id)
            return action;
    return nullptr;
}

QAction* GroupItem(QMenu* menu, const QString& name) {
    for (QAction* action : menu->actions())
        if (action->data().toString() == name)
            return action;
    return nullptr;
}

} // namespace

TEST_F(AppTest, StartsWithDefaultsWhenNoFileExists) {
    CPinletApp& app = Start();

    EXPECT_EQ(Store().GetCount(), 0);
    EXPECT_EQ(app.SavePath(), SaveFolder());
    EXPECT_EQ(app.Application().OrderFlag, 3);
    EXPECT_EQ(app.Application().EnableOutOfWindow, 0);
    EXPECT_EQ(app.Network().Port, 4126);
    EXPECT_EQ(app.Network().AcceptConnection, 0);
    EXPECT_TRUE(app.Server() == nullptr || !app.Server()->IsRunning());
    EXPECT_TRUE(app.HasTray());

    // The local bridge port is published.
    ASSERT_NE(app.LocalListener(), nullptr);
    ASSERT_TRUE(app.LocalListener()->IsListening());
    std::string port;
    ASSERT_TRUE(ReadWholeFile(CPaths::LocalPortFile(), port));
    EXPECT_EQ(port, std::to_string(app.LocalListener()->GetPort()));

    // The main menu: New message is the default item.
    QMenu* menu = app.MainFrame()->Menu();
    EXPECT_EQ(menu->defaultAction(), menu->actions().first());
    EXPECT_EQ(menu->actions().first()->text(), QStringLiteral("New message(&N)..."));
    for (int command :
         {CMainFrame::kCmdShowAll, CMainFrame::kCmdHideAll, CMainFrame::kCmdUpperLeft, CMainFrame::kCmdRelocate,
          CMainFrame::kCmdDeleteAll, CMainFrame::kCmdFind, CMainFrame::kCmdGroupSettings, CMainFrame::kCmdHelp,
          CMainFrame::kCmdAbout, CMainFrame::kCmdExit})
        EXPECT_NE(app.MainFrame()->Action(command), nullptr) << command;
    EXPECT_NE(app.MainFrame()->Action(CMainFrame::kCmdSendNewMessage), nullptr);
    EXPECT_NE(app.MainFrame()->Action(CMainFrame::kCmdProperty), nullptr);
    EXPECT_NE(app.MainFrame()->Action(CMainFrame::kCmdRetrieve), nullptr);
    EXPECT_TRUE(app.Popup(CMainFrame::kDisplayMessage)->actions().isEmpty());
    EXPECT_EQ(app.Popup(CMainFrame::kDisplayMessage)->title(), QStringLiteral("Message"));
    EXPECT_EQ(app.Popup(CMainFrame::kDisplayGroup)->title(), QStringLiteral("Group"));

    // Find opens the modeless find dialog, created hidden at start.
    ASSERT_NE(app.FindDialog(), nullptr);
    EXPECT_FALSE(app.FindDialog()->isVisible());
    EXPECT_TRUE(app.RunCommand(CMainFrame::kCmdFind));
    EXPECT_TRUE(app.FindDialog()->isVisible());

    // Exit writes the settings document.
    app.RunCommand(CMainFrame::kCmdExit);
    struct stat info;
    ASSERT_EQ(stat(CPaths::SettingsFile().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_TRUE(app.MainFrame()->Tray().IsHidden());
}

TEST_F(AppTest, LoadsNoteFilesSkipsOthersAndRelocatesOffScreenNotes) {
    WriteNote("a-note", NoteDocument(kIdA, "Shopping", {5000, 40, 5200, 140}));
    WriteNote(std::to_string(kIdB), NoteDocument(kIdB, "Hidden one", {10, 20, 210, 120}, true));
    WriteNote("garbage", "this is not a note");

    CPinletApp& app = Start();
    ASSERT_EQ(Store().GetCount(), 2);
    // Wholly to the right of the screen: moved so that its right edge is on it.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const Rect moved = Store().GetWindowRect(kIdA);
    EXPECT_EQ(moved.Right, screen.right() + 1);
    EXPECT_EQ(moved.Width(), 200);
    EXPECT_EQ(Store().GetWindowRect(kIdB), (Rect{10, 20, 210, 120}));
    std::string garbage;
    ASSERT_TRUE(ReadWholeFile(SaveFolder() + "/garbage", garbage));
    EXPECT_EQ(garbage, "this is not a note");

    // Both notes are listed, checked when visible, in load order.
    QMenu* display = app.Popup(CMainFrame::kDisplayMessage);
    EXPECT_EQ(Texts(display), (QStringList{QStringLiteral("Hidden one"), QStringLiteral("Shopping")}));
    EXPECT_FALSE(ItemOf(display, kIdB)->isChecked());
    EXPECT_TRUE(ItemOf(display, kIdA)->isChecked());
    EXPECT_EQ(Store().GetMenuCommand(kIdB), CPinletApp::kFirstDisplayMessage);
    EXPECT_EQ(Store().GetMenuCommand(kIdA), CPinletApp::kFirstDisplayMessage + 1);
    Stop();

    // With EnableOutOfWindow the note may stay off the screen.
    unlink(NoteFilePath(SaveFolder(), kIdA).c_str());
    WriteNote("a-note", NoteDocument(kIdA, "Shopping", {5000, 40, 5200, 140}));
    WriteSettings([](CPropParser& model) { model.m_application.EnableOutOfWindow = 1; });
    Start();
    EXPECT_EQ(Store().GetWindowRect(kIdA).Left, 5000);
}

TEST_F(AppTest, MenusFollowShowHideRenameAndDelete) {
    WriteNote(std::to_string(kIdA), NoteDocument(kIdA, "Alpha", {10, 10, 210, 110}));
    WriteNote(std::to_string(kIdB), NoteDocument(kIdB, "Beta", {10, 200, 210, 300}));
    WriteSettings([](CPropParser& model) {
        model.m_groups.AddGroup("Work");
        model.m_groups.AddMember("Work", kIdA, "Alpha");
        model.m_groups.AddMember("Work", kIdB, "Beta");
        model.m_groups.AddGroup("Solo");
        model.m_groups.AddMember("Solo", kIdB, "Beta");
        model.m_hasGroupList = true;
    });
    CPinletApp& app = Start();
    QMenu* display = app.Popup(CMainFrame::kDisplayMessage);
    QMenu* displayGroups = app.Popup(CMainFrame::kDisplayGroup);
    ASSERT_EQ(Texts(displayGroups), (QStringList{QStringLiteral("Solo"), QStringLiteral("Work")}));
    EXPECT_TRUE(GroupItem(displayGroups, "Work")->isChecked());

    // Hiding a note from its own menu unchecks it and its groups.
    Note(kIdA)->RunCommand(CMessageDlg::kCmdHide);
    EXPECT_FALSE(ItemOf(display, kIdA)->isChecked());
    EXPECT_FALSE(GroupItem(displayGroups, "Work")->isChecked());
    EXPECT_TRUE(GroupItem(displayGroups, "Solo")->isChecked());
    // The Display item shows it again; the group is checked once all members show.
    EXPECT_TRUE(app.RunCommand(CPinletApp::kFirstDisplayMessage));
    EXPECT_TRUE(Store().IsVisible(kIdA));
    EXPECT_TRUE(GroupItem(displayGroups, "Work")->isChecked());
    // Choosing a checked group hides all its members.
    GroupItem(displayGroups, "Work")->trigger();
    EXPECT_FALSE(Store().IsVisible(kIdA));
    EXPECT_FALSE(Store().IsVisible(kIdB));
    EXPECT_FALSE(GroupItem(displayGroups, "Solo")->isChecked());
    app.RunCommand(CMainFrame::kCmdShowAll);
    EXPECT_TRUE(ItemOf(display, kIdA)->isChecked() && ItemOf(display, kIdB)->isChecked());

    // A new title shows in all three note pop-ups.
    QTextEdit* editor = Note(kIdA)->Editor();
    editor->setPlainText(QStringLiteral("Tom & Jerry"));
    editor->selectAll();
    Note(kIdA)->RunCommand(CMessageDlg::kCmdMoveToTitle);
    for (auto popup : {CMainFrame::kDisplayMessage, CMainFrame::kDeleteMessage, CMainFrame::kSendMessage})
        EXPECT_EQ(ItemOf(app.Popup(popup), kIdA)->text(), QStringLiteral("Tom && Jerry"));

    // Delete: No keeps the note; Yes removes note, items and file, and the
    // group whose last member it was leaves the group pop-ups.
    app.Prompt().PushAnswer(CPromptPort::Answer::No);
    app.RunCommand(CPinletApp::kFirstDeleteMessage + 1);
    EXPECT_EQ(Store().GetCount(), 2);
    app.Prompt().PushAnswer(CPromptPort::Answer::Yes);
    ItemOf(app.Popup(CMainFrame::kDeleteMessage), kIdB)->trigger();
    EXPECT_EQ(Store().GetCount(), 1);
    EXPECT_EQ(ItemOf(display, kIdB), nullptr);
    EXPECT_EQ(ItemOf(app.Popup(CMainFrame::kSendMessage), kIdB), nullptr);
    EXPECT_EQ(ReadNote(kIdB), "");
    EXPECT_EQ(GroupItem(displayGroups, "Solo"), nullptr);
    EXPECT_EQ(GroupItem(app.Popup(CMainFrame::kDeleteGroup), "Solo"), nullptr);
    EXPECT_NE(GroupItem(displayGroups, "Work"), nullptr);
    EXPECT_EQ(app.Prompt().CountAsked(strings::kDeleteMessageConfirm), 2);

    // The freed slot is taken by the next note.
    const int created = app.CreateMessage("new");
    EXPECT_EQ(Store().GetMenuCommand(created), CPinletApp::kFirstDisplayMessage + 1);

    // Delete all asks 57685 first.
    app.Prompt().PushAnswer(CPromptPort::Answer::Yes);
    app.RunCommand(CMainFrame::kCmdDeleteAll);
    EXPECT_EQ(app.Prompt().CountAsked(strings::kDeleteAllConfirm), 1);
    EXPECT_EQ(Store().GetCount(), 0);
    EXPECT_TRUE(display->actions().isEmpty());
}

TEST_F(AppTest, DeletingAGroupDeletesItsMembersAfterOneQuestion) {
    WriteNote(std::to_string(kIdA), NoteDocument(kIdA, "Alpha", {10, 10, 210, 110}));
    WriteNote(std::to_string(kIdB), NoteDocument(kIdB, "Beta", {10, 200, 210, 300}));
    WriteNote("3", NoteDocument(3, "Gamma", {300, 200, 500, 300}));
    WriteSettings([](CPropParser& model) {
        model.m_groups.AddGroup("Work");
        model.m_groups.AddMember("Work", kIdA, "Alpha");
        model.m_groups.AddMember("Work", kIdB, "Beta");
        model.m_hasGroupList = true;
    });
    CPinletApp& app = Start();
    app.Prompt().PushAnswer(CPromptPort::Answer::Yes);
    EXPECT_TRUE(app.RunCommand(CPinletApp::kFirstDeleteGroup));
    EXPECT_EQ(app.Prompt().CountAsked(strings::kDeleteMessageConfirm), 1);
    EXPECT_EQ(Store().GetIds(), std::vector<int>{3});
    EXPECT_EQ(ReadNote(kIdA), "");
    // The group itself stays in the table.
    EXPECT_TRUE(Store().GetGroups().HasGroup("Work"));
    // Commands without an item do nothing.
    EXPECT_FALSE(app.RunCommand(CPinletApp::kFirstDeleteGroup + 5));
}

// The limit itself is the keeper's; here: the command refuses with a box, and
// a note received past the limit is listed but cannot be chosen.
TEST_F(AppTest, RefusesTheHundredAndFirstNote) {
    CPinletApp& app = Start();
    for (int i = 0; i < CPinletApp::kMaxMessages; ++i)
        ASSERT_NE(app.CreateMessage("note " + std::to_string(i)), 0) << i;
    EXPECT_TRUE(app.RunCommand(CMainFrame::kCmdNewMessage));
    EXPECT_EQ(Store().GetCount(), 100);
    EXPECT_EQ(app.Prompt().CountShown(strings::kMessageLimit), 1);

    std::thread producer(
        [&] { app.InboundSlot().PostInbound(std::string("one too many"), CPinletApp::kCmdInboundText); });
    producer.join();
    ASSERT_TRUE(PumpUntil([&] { return Store().GetCount() == 101; }));
    const QList<QAction*> items = app.Popup(CMainFrame::kDisplayMessage)->actions();
    ASSERT_EQ(items.size(), 101);
    EXPECT_FALSE(items.last()->isEnabled());
}

TEST_F(AppTest, ReceivedItemsBecomeNotesWrittenAtOnce) {
    CPinletApp& app = Start();
    std::thread text(
        [&] { app.InboundSlot().PostInbound(std::string("from the bridge"), CPinletApp::kCmdInboundText); });
    // A second item waits until the first was taken.
    const std::string document = NoteDocument(kIdA, "Delivered", {0, 0, 220, 120}, true);
    std::thread note([&] {
        text.join();
        app.InboundSlot().PostInbound(document, CPinletApp::kCmdInboundDocument);
    });
    ASSERT_TRUE(PumpUntil([&] { return Store().GetCount() == 2; }));
    note.join();

    const std::vector<int> ids = Store().GetIds();
    const int textId = ids[0] == kIdA ? ids[1] : ids[0];
    EXPECT_EQ(Store().GetText(textId), "from the bridge");
    EXPECT_NE(ReadNote(textId).find("<SheetID ID=\"" + std::to_string(textId) + "\"/>"), std::string::npos);

    // The document arrives whole: its ID and title, shown centred whatever it said.
    EXPECT_EQ(Store().GetTitle(kIdA), "Delivered");
    EXPECT_TRUE(Store().IsVisible(kIdA));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_NEAR(Store().GetWindowRect(kIdA).Left, (screen.width() - 220) / 2, 1);
    EXPECT_NE(ItemOf(app.Popup(CMainFrame::kDisplayMessage), kIdA), nullptr);
    // On disk at once, although a loaded note counts as unmodified.
    EXPECT_FALSE(Store().IsModified(kIdA));
    const std::string saved = ReadNote(kIdA);
    EXPECT_NE(saved.find("Title=\"Delivered\""), std::string::npos);
    EXPECT_NE(saved.find("<SheetDisplay Bool=\"True\"/>"), std::string::npos);

    // Data that is no note document gives nothing.
    std::thread bad([&] { app.InboundSlot().PostInbound(std::string("<Quillet>"), CPinletApp::kCmdInboundDocument); });
    bad.join();
    ASSERT_TRUE(PumpUntil([&] { return !app.InboundSlot().IsPending(); }));
    EXPECT_EQ(Store().GetCount(), 2);
}

TEST_F(AppTest, SaveFolderUnderAFileFailsWithoutLosingTheNote) {
    ASSERT_TRUE(EnsureFolder(m_root + "/config", 0700));
    WriteFileAtomically(m_root + "/plain-file", "x", 0600);
    WriteSettings([&](CPropParser& model) { CopyField(model.m_application.SavePath, m_root + "/plain-file/notes"); });
    CPinletApp& app = Start();
    const int id = app.CreateMessage("kept in memory");
    ASSERT_NE(id, 0);
    EXPECT_GE(app.Prompt().CountShown(strings::kSaveFailed), 1);
    EXPECT_EQ(Store().GetText(id), "kept in memory");
    app.Prompt().ClearHistory();
    EXPECT_FALSE(app.SaveAllModified());
    EXPECT_EQ(app.Prompt().CountShown(strings::kSaveFailed), 1);
    // Not interactive (a signal, the session ending): logged, no box.
    app.Prompt().ClearHistory();
    EXPECT_FALSE(app.SaveAllModified(false));
    EXPECT_EQ(app.Prompt().CountShown(strings::kSaveFailed), 0);

    // Exit asks instead of losing the note: Try Again fails again, Cancel
    // keeps the program running; Continue quits without saving.
    app.Prompt().PushAnswer(CPromptPort::Answer::TryAgain);
    app.Prompt().PushAnswer(CPromptPort::Answer::Cancel);
    app.RunCommand(CMainFrame::kCmdExit);
    EXPECT_EQ(app.Prompt().CountAsked(strings::kSaveFailed), 2);
    EXPECT_EQ(app.Prompt().CountShown(strings::kSaveFailed), 0);
    EXPECT_FALSE(app.MainFrame()->Tray().IsHidden());
    app.Prompt().PushAnswer(CPromptPort::Answer::Continue);
    app.RunCommand(CMainFrame::kCmdExit);
    EXPECT_EQ(app.Prompt().CountAsked(strings::kSaveFailed), 3);
    EXPECT_TRUE(app.MainFrame()->Tray().IsHidden());
}

TEST_F(AppTest, FailedSettingsSaveIsReportedOnceAndKeepsTheOldFile) {
    CPinletApp& app = Start();
    ASSERT_TRUE(app.SaveSettings());
    std::string before;
    ASSERT_TRUE(ReadWholeFile(CPaths::SettingsFile(), before));
    const std::string blocker = CPaths::SettingsFile() + "_tmp";
    ASSERT_EQ(mkdir(blocker.c_str(), 0700), 0);

    EXPECT_FALSE(app.SaveSettings());
    EXPECT_EQ(app.Prompt().CountShown(strings::kSaveFailed), 1);
    // Notes saved fine, settings not: still one box, and a failure.
    app.CreateMessage("a note");
    app.Prompt().ClearHistory();
    EXPECT_FALSE(app.SaveAllModified());
    EXPECT_EQ(app.Prompt().CountShown(strings::kSaveFailed), 1);
    std::string after;
    ASSERT_TRUE(ReadWholeFile(CPaths::SettingsFile(), after));
    EXPECT_EQ(after, before);

    ASSERT_EQ(rmdir(blocker.c_str()), 0);
    app.Prompt().ClearHistory();
    EXPECT_TRUE(app.SaveAllModified());
    EXPECT_EQ(app.Prompt().CountShown(strings::kSaveFailed), 0);
}

TEST_F(AppTest, OrderCommandsLineNotesUpFromACorner) {
    WriteNote("1", NoteDocument(1000, "a", {300, 300, 400, 400}));
    WriteNote("2", NoteDocument(2000, "b", {300, 300, 450, 450}));
    WriteNote("3", NoteDocument(3000, "c", {300, 300, 400, 420}, true));
    WriteSettings([](CPropParser& model) { model.m_application.MessageGap = 5; });
    CPinletApp& app = Start();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();

    app.RunCommand(CMainFrame::kCmdUpperLeft);
    EXPECT_EQ(Store().GetWindowRect(1000), (Rect{0, 0, 100, 100}));
    EXPECT_EQ(Store().GetWindowRect(2000), (Rect{0, 105, 150, 255}));
    // Hidden notes keep their places.
    EXPECT_EQ(Store().GetWindowRect(3000), (Rect{300, 300, 400, 420}));

    app.RunCommand(CMainFrame::kCmdLowerRight);
    const int w = screen.width(), h = screen.height();
    EXPECT_EQ(Store().GetWindowRect(1000), (Rect{w - 100, h - 100, w, h}));
    EXPECT_EQ(Store().GetWindowRect(2000), (Rect{w - 150, h - 255, w, h - 105}));
    // The move is a change of the note: written at once.
    EXPECT_NE(ReadNote(1000).find("X=\"" + std::to_string(w - 100) + "\""), std::string::npos);

    // Relocation brings back a note moved off the screen.
    Store().GetMessage(2000)->SetWindowRect({-900, 10, -750, 160});
    app.RunCommand(CMainFrame::kCmdRelocate);
    EXPECT_EQ(Store().GetWindowRect(2000), (Rect{0, 10, 150, 160}));
}

TEST_F(AppTest, ReceivingServerAnswersWithTheStoresNotes) {
    WriteNote(std::to_string(kIdA), NoteDocument(kIdA, "Listed", {10, 10, 210, 110}));
    WriteSettings([](CPropParser& model) {
        model.m_network.AcceptConnection = 1;
        CopyField(model.m_network.Address, "127.0.0.1");
        model.m_network.Port = 0;
        model.m_network.AcceptTransfer = 1;
    });
    CPinletApp& app = Start();
    ASSERT_NE(app.Server(), nullptr);
    ASSERT_TRUE(app.Server()->IsRunning());
    std::string address;
    int port = 0;
    ASSERT_TRUE(app.Server()->GetListenAddress(address, port));

    auto put =
        HttpExchange(port, "PUT /Message HTTP/1.0\r\nContent-Type: text/plain\r\nContent-Length: 9\r\n\r\nover wire");
    EXPECT_EQ(Pumped(put).rfind("HTTP/1.0 200", 0), 0u);
    ASSERT_TRUE(PumpUntil([&] { return Store().GetCount() == 2; }));

    auto list = HttpExchange(port, "GET /List HTTP/1.0\r\n\r\n");
    const std::string answer = Pumped(list);
    EXPECT_NE(answer.find("text/x-quilletlist"), std::string::npos);
    EXPECT_NE(answer.find("Title=\"Listed\""), std::string::npos);

    auto fetch = HttpExchange(port, "GET /Message/" + std::to_string(kIdA) + " HTTP/1.0\r\n\r\n");
    EXPECT_NE(Pumped(fetch).find("<SheetID ID=\"" + std::to_string(kIdA) + "\"/>"), std::string::npos);
    Stop(); // joins the network threads
}

TEST_F(AppTest, ServerThatCannotListenIsReported) {
    // Hold a port so that the server cannot bind it.
    const int holder = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(holder, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(holder, 1), 0);
    socklen_t length = sizeof address;
    getsockname(holder, reinterpret_cast<sockaddr*>(&address), &length);
    WriteSettings([&](CPropParser& model) {
        model.m_network.AcceptConnection = 1;
        CopyField(model.m_network.Address, "127.0.0.1");
        model.m_network.Port = ntohs(address.sin_port);
    });
    CPinletApp& app = Start();
    EXPECT_TRUE(PumpUntil([&] { return app.Prompt().CountShown(strings::kServerSocketCreateFailed) == 1; }));
    EXPECT_FALSE(app.Server()->IsRunning());
    // The program runs on: the local listener is there.
    EXPECT_TRUE(app.LocalListener()->IsListening());
    close(holder);
}

TEST_F(AppTest, ConfirmationClosesItselfAsYesAndNeverBlocks) {
    CPinletApp& app = Start();
    CAppServerHost& host = *app.ServerHost();
    std::optional<bool> expired;
    std::optional<bool> refused;
    std::thread asker([&] {
        host.AskToReceive(strings::kReceiveConfirm, {"192.0.2.7"}, 1, [&](bool yes) { expired = yes; });
        host.AskToReceive(strings::kReceiveConfirm, {"192.0.2.8"}, 0, [&](bool yes) { refused = yes; });
    });
    asker.join();
    ASSERT_TRUE(PumpUntil([&] { return host.OpenConfirmations().size() == 2; }));
    CConfirmDlg* first = host.OpenConfirmations()[0];
    EXPECT_EQ(first->Text(), QStringLiteral("Do you want to receive message from 192.0.2.7 ?"));
    // The second is answered by the user; the first closes after a second.
    host.OpenConfirmations()[1]->CancelButton()->click();
    EXPECT_EQ(refused, std::optional<bool>(false));
    EXPECT_FALSE(expired.has_value());
    ASSERT_TRUE(PumpUntil([&] { return expired.has_value(); }, 3000));
    EXPECT_TRUE(*expired);
    EXPECT_TRUE(PumpUntil([&] { return host.OpenConfirmations().empty(); }));
}

TEST_F(AppTest, WithoutTrayTheMenuIsInEveryNote) {
    CTrayIcon::SetAvailabilityOverride(0);
    CPinletApp& app = Start();
    EXPECT_FALSE(app.HasTray());
    // A first note, so that the menu can be reached at all.
    ASSERT_EQ(Store().GetCount(), 1);
    const int id = Store().GetIds().front();
    QMenu* menu = Note(id)->PrepareContextMenu();
    QAction* last = menu->actions().last();
    EXPECT_EQ(last->menu(), app.MainFrame()->Menu());
    EXPECT_EQ(last->text(), QStringLiteral("Quillet menu"));

    // Disposing of the last note brings a fresh one.
    app.Prompt().PushAnswer(CPromptPort::Answer::Yes);
    Note(id)->RunCommand(CMessageDlg::kCmdDispose);
    EXPECT_EQ(Store().GetCount(), 0);
    ASSERT_TRUE(PumpUntil([&] { return Store().GetCount() == 1; }));
    EXPECT_EQ(app.Popup(CMainFrame::kDisplayMessage)->actions().size(), 1);

    // A tray that turns up later takes the menu back.
    Stop();
    CPinletApp::Options options;
    options.TrayRecheckMs = 50;
    CPinletApp& again = Start(options);
    EXPECT_FALSE(again.HasTray());
    CTrayIcon::SetAvailabilityOverride(1);
    ASSERT_TRUE(PumpUntil([&] { return again.HasTray(); }, 2000));
    QMenu* noteMenu = Note(Store().GetIds().front())->PrepareContextMenu();
    EXPECT_NE(noteMenu->actions().last()->menu(), again.MainFrame()->Menu());
}

TEST_F(AppTest, HelpOpensThePageInstalledWithTheProgram) {
    // Beside the program (build tree) or under share/ (installed).
    ASSERT_TRUE(EnsureFolder(m_root + "/bin/help", 0755));
    ASSERT_TRUE(EnsureFolder(m_root + "/share/quillet/help", 0755));
    EXPECT_TRUE(CPinletApp::HelpUrl(QString::fromStdString(m_root + "/bin")).isEmpty());
    WriteFileAtomically(m_root + "/share/quillet/help/index.html", "<html></html>", 0644);
    EXPECT_EQ(CPinletApp::HelpUrl(QString::fromStdString(m_root + "/bin")).toLocalFile().toStdString(),
              m_root + "/share/quillet/help/index.html");
    WriteFileAtomically(m_root + "/bin/help/index.html", "<html></html>", 0644);
    EXPECT_EQ(CPinletApp::HelpUrl(QString::fromStdString(m_root + "/bin")).toLocalFile().toStdString(),
              m_root + "/bin/help/index.html");

    // The command opens what is found, through the seam.
    CPinletApp& app = Start();
    std::vector<QUrl> opened;
    app.SetUrlOpener([&](const QUrl& url) { opened.push_back(url); });
    app.RunCommand(CMainFrame::kCmdHelp);
    EXPECT_EQ(opened.size(), CPinletApp::HelpUrl().isEmpty() ? 0u : 1u);
}

TEST_F(AppTest, JapaneseTextsOfTheApplication) {
    QTranslator translator;
    ASSERT_TRUE(translator.load(QStringLiteral(":/i18n/quillet_ja.qm")));
    QCoreApplication::installTranslator(&translator);
    EXPECT_EQ(CPinletApp::StringText(strings::kMessageLimit), QStringLiteral("メッセージ数が多すぎます。"));
    EXPECT_EQ(CPinletApp::StringText(strings::kDeleteAllConfirm),
              QStringLiteral("本当に全てのメッセージを削除しますか？"));
    EXPECT_EQ(CPinletApp::StringText(strings::kDeleteMessageConfirm), QStringLiteral("本当に削除しますか？"));
    // The title of the tray menu's note pop-ups.
    EXPECT_EQ(CPinletApp::StringText(strings::kMessageMenu), QStringLiteral("メッセージ"));
    EXPECT_TRUE(
        CPinletApp::StringText(strings::kSaveFailed).startsWith(QStringLiteral("メッセージの保存に失敗しました。")));
    EXPECT_EQ(AppStringFormat(strings::kReceiveConfirm, {"10.0.0.1"}),
              QStringLiteral("”10.0.0.1” からメッセージが届きました。受信しますか？"));
    QCoreApplication::removeTranslator(&translator);
    EXPECT_EQ(CPinletApp::StringText(strings::kMessageLimit), QStringLiteral("Message limitation over."));
}

TEST_F(AppTest, GroupSettingsReplaceTheTableAndRefillTheMenus) {
    CPinletApp& app = Start();
    const int id = app.CreateMessage("member to be");
    ASSERT_NE(id, 0);
    modalrun::SetHook([&](QDialog& dialog) {
        auto& groups = dynamic_cast<CGroupDlg&>(dialog);
        groups.AddGroup();
        QTreeWidgetItem* node = groups.Tree()->currentItem();
        groups.EndLabelEdit(node, QStringLiteral("Work"));
        groups.Tree()->setCurrentItem(groups.GroupNode(QStringLiteral("Work")));
        groups.List()->item(0)->setSelected(true);
        groups.AddSelectedNotes();
        groups.accept();
        return static_cast<int>(QDialog::Accepted);
    });
    EXPECT_TRUE(app.RunCommand(CMainFrame::kCmdGroupSettings));
    modalrun::SetHook({});

    EXPECT_EQ(Store().GetGroupMemberCount("Work"), 1);
    std::vector<std::string> groups;
    EXPECT_EQ(Store().GetMessageGroups(id, groups), 1);
    ASSERT_EQ(app.Popup(CMainFrame::kDisplayGroup)->actions().size(), 1);
    EXPECT_EQ(app.Popup(CMainFrame::kDisplayGroup)->actions().first()->text(), QStringLiteral("Work"));
    // Leaving the group from the note's own menu reaches the file at once.
    auto membersOnDisk = [] {
        CPropParser model;
        EXPECT_EQ(CSettingsFile::Load(model), CSettingsFile::LoadResult::Loaded);
        const auto* members = model.m_groups.GetMembers("Work");
        return members ? static_cast<int>(members->size()) : -1;
    };
    Note(id)->PrepareContextMenu();
    QAction* work = Note(id)->Action(CMessageDlg::kCmdFirstGroup);
    ASSERT_NE(work, nullptr);
    work->trigger();
    EXPECT_EQ(Store().GetGroupMemberCount("Work"), 0);
    EXPECT_EQ(membersOnDisk(), 0);

    // Cancel changes nothing.
    modalrun::SetHook([](QDialog&) { return static_cast<int>(QDialog::Rejected); });
    EXPECT_TRUE(app.RunCommand(CMainFrame::kCmdGroupSettings));
    modalrun::SetHook({});
    EXPECT_TRUE(Store().GetGroups().HasGroup("Work"));
}
