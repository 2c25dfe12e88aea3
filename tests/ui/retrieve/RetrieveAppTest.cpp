#include "core/base/FieldText.h"
#include "core/base/Strings.h"
#include "core/net/MessageList.h"
#include "core/net/ReceiveServer.h"
#include "core/store/SendLogFile.h"
#include "ui/app/AppTestSupport.h"
#include "ui/common/ModalRun.h"
#include "ui/net/RetrieveMessageDlg.h"

#include "ui/retrieve/ScriptedServer.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

constexpr int kIdA = 1600000001;
constexpr int kIdB = 1600000002;

// Fills the retrieve dialog like a user: destination, list, the rows titled
// in `rows`, then "Retrieve" (or "Cancel").
modalrun::Hook RetrieveHook(CPinletApp& app, int port, QStringList rows, bool retrieve = true,
                            const QString& user = QString()) {
    return [&app, port, rows, retrieve, user](QDialog& dialog) {
        auto& retrieveDlg = dynamic_cast<CRetrieveMessageDlg&>(dialog);
        retrieveDlg.SetPromptPort(&app.Prompt());
        retrieveDlg.DestinationBox()->setEditText(QStringLiteral("127.0.0.1"));
        retrieveDlg.PortEdit()->setText(QString::number(port));
        retrieveDlg.findChild<QLineEdit*>(QString::number(CRetrieveMessageDlg::kIdUser))->setText(user);
        retrieveDlg.RequestList();
        EXPECT_TRUE(PumpUntil([&] { return !retrieveDlg.IsListPending(); }));
        for (int i = 0; i < retrieveDlg.List()->count(); ++i)
            if (rows.contains(retrieveDlg.List()->item(i)->text()))
                retrieveDlg.List()->item(i)->setSelected(true);
        const int button = retrieve ? CRetrieveMessageDlg::kIdRetrieve : CRetrieveMessageDlg::kIdCancel;
        static_cast<QPushButton*>(retrieveDlg.Control(button))->click();
        return retrieveDlg.result();
    };
}

int CountTitled(CDataBase& store, const std::string& title) {
    int count = 0;
    for (const int id : store.GetIds())
        count += store.GetTitle(id) == title ? 1 : 0;
    return count;
}

class RetrieveAppTest : public AppTest {
protected:
    void TearDown() override {
        modalrun::SetHook({});
        AppTest::TearDown();
    }
};

} // namespace

TEST_F(RetrieveAppTest, AGroupAndItsMemberFetchTheNoteTwiceAndTheSendLogIsSaved) {
    WriteNote(std::to_string(kIdA), NoteDocument(kIdA, "Alpha", {10, 10, 210, 110}));
    WriteNote(std::to_string(kIdB), NoteDocument(kIdB, "Beta", {20, 20, 220, 120}));
    WriteSettings([](CPropParser& model) {
        model.m_network.AcceptConnection = 1;
        CopyField(model.m_network.Address, "127.0.0.1");
        model.m_network.Port = 0;
        model.m_network.AcceptTransfer = 1;
        model.m_groups.AddGroup("Team");
        model.m_groups.AddMember("Team", kIdA, "Alpha");
    });
    CPinletApp& app = Start();
    QAction* item = app.MainFrame()->Action(CMainFrame::kCmdRetrieve);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(), QStringLiteral("Retrieve message(&R)..."));
    std::string address;
    int port = 0;
    ASSERT_TRUE(app.Server()->GetListenAddress(address, port));

    // This computer lists and serves its own notes: each fetch is a new note.
    modalrun::SetHook(RetrieveHook(app, port, {QStringLiteral("Alpha"), QStringLiteral("Team")}));
    ASSERT_TRUE(app.RunCommand(CMainFrame::kCmdRetrieve));
    ASSERT_TRUE(PumpUntil([&] { return Store().GetCount() == 4; }));
    PumpFor(200);
    EXPECT_EQ(Store().GetCount(), 4);
    EXPECT_EQ(CountTitled(Store(), "Alpha"), 3);
    EXPECT_EQ(CountTitled(Store(), "Beta"), 1);
    EXPECT_TRUE(app.Prompt().History().empty());

    ASSERT_EQ(app.SendLog().GetCount(), 1);
    EXPECT_EQ(app.SendLog().GetEntries()[0].Name, "127.0.0.1");
    EXPECT_EQ(app.SendLog().GetEntries()[0].Port, port);
    CDestInfo saved;
    ASSERT_EQ(LoadSendLog(CPaths::SendLogFile(), saved), SendLogStatus::Loaded);
    ASSERT_EQ(saved.GetCount(), 1);
    EXPECT_EQ(saved.GetEntries()[0].Port, port);
    Stop();
}

TEST_F(RetrieveAppTest, FetchFailuresAreShownAndCancelChangesNothing) {
    CScriptedServer server;
    CMessageList list;
    list.m_notes = {{7, "Locked"}, {8, "Gone"}};
    const std::string listAnswer = CScriptedServer::Ok(kMessageListContentType, list.MakeDocument());
    server.Answer(listAnswer);
    server.Answer(CScriptedServer::Status(401, "Authetication error"));
    // The other side no longer has the note: an empty answer, nothing created.
    server.Answer(CScriptedServer::Ok("text/x-quillet", ""));
    CPinletApp& app = Start();

    modalrun::SetHook(RetrieveHook(app, server.Port(), {QStringLiteral("Locked"), QStringLiteral("Gone")}, true,
                                   QStringLiteral("me")));
    ASSERT_TRUE(app.RunCommand(CMainFrame::kCmdRetrieve));
    ASSERT_TRUE(PumpUntil([&] { return server.RequestCount() == 3; }));
    ASSERT_TRUE(PumpUntil([&] { return app.Prompt().CountShown(strings::kAuthenticationFailed) == 1; }));
    PumpFor(300);
    EXPECT_EQ(app.Prompt().History().size(), 1u);
    EXPECT_EQ(Store().GetCount(), 0);
    // The fetches connect side by side: either may be answered first.
    std::vector<std::string> fetches = server.Requests();
    fetches.erase(fetches.begin());
    std::sort(fetches.begin(), fetches.end());
    EXPECT_EQ(fetches[0].rfind("GET /Message/7 HTTP/1.0\r\n", 0), 0u);
    EXPECT_EQ(fetches[1].rfind("GET /Message/8 HTTP/1.0\r\n", 0), 0u);
    for (const std::string& fetch : fetches)
        EXPECT_NE(fetch.find("Authorization: Digest "), std::string::npos);
    ASSERT_EQ(app.SendLog().GetCount(), 1);

    // Cancelled after listing from another destination: log and file stay.
    CScriptedServer other;
    other.Answer(listAnswer);
    modalrun::SetHook(RetrieveHook(app, other.Port(), {QStringLiteral("Locked")}, false));
    ASSERT_TRUE(app.RunCommand(CMainFrame::kCmdRetrieve));
    EXPECT_EQ(other.RequestCount(), 1u);
    PumpFor(200);
    EXPECT_EQ(other.RequestCount(), 1u);
    ASSERT_EQ(app.SendLog().GetCount(), 1);
    EXPECT_EQ(app.SendLog().GetEntries()[0].Port, server.Port());
    CDestInfo saved;
    ASSERT_EQ(LoadSendLog(CPaths::SendLogFile(), saved), SendLogStatus::Loaded);
    EXPECT_EQ(saved.GetCount(), 1);
    Stop();
}
