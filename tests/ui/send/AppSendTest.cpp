#include "SendTestSupport.h"

#include "core/base/Strings.h"
#include "core/store/SendLogFile.h"
#include "ui/net/MessageSendDlg.h"
#include "ui/net/SendSimpleTextDlg.h"

#include <QCheckBox>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>

namespace {

constexpr int kIdA = 1600000000;
constexpr int kIdB = 1600000100;
constexpr int kIdC = 1600000200;

// Answers the send dialog: these destinations added and all chosen.
std::function<int(QDialog&)> ChooseAll(std::vector<DestEntry> destinations, bool deleteAfter, int* opened) {
    return [destinations, deleteAfter, opened](QDialog& dialog) {
        auto* send = qobject_cast<CMessageSendDlg*>(&dialog);
        if (send == nullptr)
            return int(QDialog::Rejected);
        ++*opened;
        CDestInfo list = send->Destinations();
        for (const DestEntry& entry : destinations)
            list.AddRecent(entry.Name, entry.Port);
        send->SetDestinations(list);
        std::vector<int> rows(destinations.size());
        for (size_t i = 0; i < rows.size(); ++i)
            rows[i] = static_cast<int>(i);
        SelectRows(*send->DestinationList(), rows);
        send->DeleteCheck()->setChecked(deleteAfter);
        send->accept();
        return send->result();
    };
}

CDestInfo SavedSendLog() {
    CDestInfo saved;
    LoadSendLog(CPaths::SendLogFile(), saved);
    return saved;
}

} // namespace

class AppSendTest : public AppTest {
protected:
    void TearDown() override {
        modalrun::SetHook({});
        AppTest::TearDown();
    }
    CScriptedDialogs m_dialogs;
};

TEST_F(AppSendTest, TheMenusOfferSending) {
    WriteNote(std::to_string(kIdA), NoteDocument(kIdA, "Alpha", {10, 10, 210, 110}));
    CPinletApp& app = Start();
    const QList<QAction*> items = app.MainFrame()->Menu()->actions();
    EXPECT_EQ(items.value(1), app.MainFrame()->Action(CMainFrame::kCmdSendNewMessage));
    // Send(&S) follows Delete(&L) and holds the group and note pop-ups.
    const auto remove = std::find_if(items.begin(), items.end(),
                                     [](QAction* item) { return item->text() == QStringLiteral("Delete(&L)"); });
    ASSERT_TRUE(remove != items.end() && remove + 1 != items.end());
    QMenu* send = (*(remove + 1))->menu();
    ASSERT_NE(send, nullptr);
    EXPECT_EQ(send->title(), QStringLiteral("Send(&S)"));
    EXPECT_EQ(send->actions().value(0)->menu(), app.Popup(CMainFrame::kSendGroup));
    EXPECT_EQ(send->actions().value(1)->menu(), app.Popup(CMainFrame::kSendMessage));

    // The Send/Message item and the note's own item open the send dialog.
    int opened = 0;
    m_dialogs.Other = ChooseAll({}, false, &opened);
    app.Popup(CMainFrame::kSendMessage)->actions().value(0)->trigger();
    EXPECT_EQ(opened, 1);
    QAction* noteItem = Note(kIdA)->PrepareContextMenu()->actions().value(9);
    EXPECT_EQ(noteItem->text(), QStringLiteral("Send message(&S)..."));
    noteItem->trigger();
    EXPECT_TRUE(PumpUntil([&] { return opened == 2; }));
}

TEST_F(AppSendTest, DeleteAfterSendingWaitsForAnAcceptance) {
    WriteNote(std::to_string(kIdA), NoteDocument(kIdA, "Alpha", {10, 10, 210, 110}));
    WriteNote(std::to_string(kIdB), NoteDocument(kIdB, "Beta", {10, 200, 210, 300}));
    CPinletApp& app = Start();
    CTinyHttpServer accepting(200, 200);
    CTinyHttpServer refusing(403);
    CTinyHttpServer refusingToo(403);

    // One acceptance among refusals: the refusal is shown, the note goes.
    int opened = 0;
    m_dialogs.Other = ChooseAll({Loopback(refusing.Port()), Loopback(accepting.Port())}, true, &opened);
    EXPECT_TRUE(app.RunCommand(CPinletApp::kFirstSendMessage)); // the first note's Send item
    ASSERT_TRUE(PumpUntil([&] { return Store().GetMessage(kIdA) == nullptr; }));
    EXPECT_EQ(app.Prompt().CountShown(strings::kMessageRefused), 1);
    const auto delivered = accepting.Requests();
    ASSERT_EQ(delivered.size(), 1u);
    EXPECT_EQ(delivered[0].Head.rfind("PUT /Message/" + std::to_string(kIdA) + " HTTP/1.0", 0), 0u);
    EXPECT_NE(delivered[0].Head.find("text/x-quillet"), std::string::npos);
    EXPECT_NE(delivered[0].Body.find("Alpha"), std::string::npos);
    EXPECT_TRUE(ReadNote(kIdA).empty());
    EXPECT_EQ(Entries(SavedSendLog()), Entries(app.SendLog()));
    EXPECT_EQ(app.SendLog().GetCount(), 2);

    // Refused everywhere: every refusal is shown and the note stays.
    m_dialogs.Other = ChooseAll({Loopback(refusing.Port()), Loopback(refusingToo.Port())}, true, &opened);
    Note(kIdB)->RunCommand(CMessageDlg::kCmdSend);
    ASSERT_TRUE(PumpUntil([&] { return app.Prompt().CountShown(strings::kMessageRefused) == 3; }));
    PumpFor(100);
    EXPECT_EQ(opened, 2);
    EXPECT_NE(Store().GetMessage(kIdB), nullptr);
    EXPECT_FALSE(ReadNote(kIdB).empty());
}

TEST_F(AppSendTest, AGroupGoesAsOneConnectionPerNoteAndDestination) {
    WriteNote(std::to_string(kIdA), NoteDocument(kIdA, "Alpha", {10, 10, 210, 110}));
    WriteNote(std::to_string(kIdB), NoteDocument(kIdB, "Beta", {10, 200, 210, 300}));
    WriteNote(std::to_string(kIdC), NoteDocument(kIdC, "Gamma", {10, 400, 210, 500}));
    WriteSettings([](CPropParser& model) {
        model.m_groups.AddGroup("Work");
        model.m_groups.AddMember("Work", kIdA, "Alpha");
        model.m_groups.AddMember("Work", kIdC, "Gamma");
        model.m_hasGroupList = true;
    });
    CPinletApp& app = Start();
    CTinyHttpServer first(200);
    CTinyHttpServer second(403);
    int opened = 0;
    m_dialogs.Other = ChooseAll({Loopback(first.Port()), Loopback(second.Port())}, false, &opened);
    EXPECT_TRUE(app.RunCommand(CPinletApp::kFirstSendGroup));
    EXPECT_EQ(opened, 1);
    ASSERT_TRUE(PumpUntil([&] { return app.Prompt().CountShown(strings::kMessageRefused) == 2; }));
    PumpFor(100);
    for (const CTinyHttpServer* server : {&first, &second}) {
        std::vector<std::string> lines;
        for (const auto& request : server->Requests())
            lines.push_back(request.Head.substr(0, request.Head.find("\r\n")));
        std::sort(lines.begin(), lines.end());
        EXPECT_EQ(lines, (std::vector<std::string>{"PUT /Message/" + std::to_string(kIdA) + " HTTP/1.0",
                                                   "PUT /Message/" + std::to_string(kIdC) + " HTTP/1.0"}));
    }
}

TEST_F(AppSendTest, PlainTextBecomesANoteAndTheSendLogIsSavedAfterOkOnly) {
    CPinletApp& app = Start();
    CTinyHttpServer refusing(403);
    CTinyHttpServer accepting(200, 200);

    // Cancelled after editing the list: the send log and its file stay as they were.
    m_dialogs.Other = [&](QDialog& dialog) {
        auto* text = qobject_cast<CSendSimpleTextDlg*>(&dialog);
        m_dialogs.Hosts = {{"somewhere", 4126}};
        text->DestinationList()->Add();
        text->CancelButton()->click();
        return text->result();
    };
    EXPECT_TRUE(app.RunCommand(CMainFrame::kCmdSendNewMessage));
    EXPECT_EQ(m_dialogs.Offered.back().Port, app.Network().Port);
    EXPECT_EQ(app.SendLog().GetCount(), 0);
    std::string file;
    EXPECT_FALSE(ReadWholeFile(CPaths::SendLogFile(), file));

    // Sent: the dialog shows the refusal, the acceptance ends it with OK.
    m_dialogs.Other = [&](QDialog& dialog) {
        auto* text = qobject_cast<CSendSimpleTextDlg*>(&dialog);
        text->SetDestinations(Destinations({Loopback(refusing.Port()), Loopback(accepting.Port())}));
        SelectRows(*text->DestinationList(), {0, 1});
        text->Editor()->setPlainText(QStringLiteral("call home"));
        text->SaveCheck()->setChecked(true);
        text->SendButton()->click();
        PumpUntil([&] { return text->result() == QDialog::Accepted; });
        return text->result();
    };
    EXPECT_TRUE(app.RunCommand(CMainFrame::kCmdSendNewMessage));
    ASSERT_EQ(m_dialogs.Boxes.size(), 1u);
    EXPECT_EQ(m_dialogs.Boxes[0].second, QStringLiteral("Your message was refused by destination."));
    ASSERT_EQ(Store().GetCount(), 1);
    EXPECT_EQ(Store().GetText(Store().GetIds().front()), "call home");
    EXPECT_EQ(app.SendLog().GetCount(), 2);
    EXPECT_EQ(Entries(SavedSendLog()), Entries(app.SendLog()));
}
