#include "ui/net/RetrieveMessageDlg.h"

#include "core/base/Strings.h"
#include "core/net/MessageList.h"
#include "ui/app/AppTestSupport.h"
#include "ui/app/UiPrompt.h"
#include "ui/common/AppStrings.h"

#include "ui/retrieve/ScriptedServer.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTranslator>

#include <gtest/gtest.h>

namespace {

std::string ListAnswer(bool withGroup) {
    CMessageList list;
    list.m_notes = {{101, "First"}, {102, "Second"}};
    if (withGroup)
        list.m_groups = {{"Team", {{102, "Second"}, {101, "First"}}}};
    return CScriptedServer::Ok(kMessageListContentType, list.MakeDocument());
}

// A port on which nothing listens.
int ClosedPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

class RetrieveDlgTest : public ::testing::Test {
protected:
    void SetUp() override { m_prompt.SetScripted(true); }

    std::unique_ptr<CRetrieveMessageDlg> Make(const CDestInfo& log = CDestInfo()) {
        auto dialog = std::make_unique<CRetrieveMessageDlg>(log);
        dialog->SetPromptPort(&m_prompt);
        return dialog;
    }

    static void Point(CRetrieveMessageDlg& dialog, int port) {
        dialog.DestinationBox()->setEditText(QStringLiteral("127.0.0.1"));
        dialog.PortEdit()->setText(QString::number(port));
    }

    // Presses "Message List(&L)" and waits for the answer.
    static bool List(CRetrieveMessageDlg& dialog) {
        static_cast<QPushButton*>(dialog.Control(CRetrieveMessageDlg::kIdListButton))->click();
        return PumpUntil([&] { return !dialog.IsListPending(); });
    }

    static QStringList Rows(const CRetrieveMessageDlg& dialog) {
        QStringList rows;
        for (int i = 0; i < dialog.List()->count(); ++i)
            rows << dialog.List()->item(i)->text();
        return rows;
    }

    static QPushButton* RetrieveButton(const CRetrieveMessageDlg& dialog) {
        return static_cast<QPushButton*>(dialog.Control(CRetrieveMessageDlg::kIdRetrieve));
    }

    CUiPrompt m_prompt;
};

} // namespace

TEST_F(RetrieveDlgTest, ListsNotesThenGroupsAndChoosesInRowOrder) {
    CScriptedServer server;
    server.Answer(ListAnswer(false));
    server.Answer(CScriptedServer::Ok(kMessageListContentType, "<not a list"));
    server.Answer(ListAnswer(true));
    auto dialog = Make();
    Point(*dialog, server.Port());

    // No groups: note rows only.
    ASSERT_TRUE(List(*dialog));
    EXPECT_EQ(Rows(*dialog), (QStringList{QStringLiteral("First"), QStringLiteral("Second")}));
    EXPECT_FALSE(RetrieveButton(*dialog)->isEnabled());
    ASSERT_EQ(server.RequestCount(), 1u);
    EXPECT_EQ(server.Requests()[0].rfind("GET /List HTTP/1.0\r\n", 0), 0u);

    // A list that cannot be read keeps the rows, silently.
    ASSERT_TRUE(List(*dialog));
    EXPECT_EQ(Rows(*dialog).size(), 2);
    EXPECT_TRUE(m_prompt.History().empty());

    // The group row follows the notes; choosing it gives its members.
    ASSERT_TRUE(List(*dialog));
    EXPECT_EQ(Rows(*dialog), (QStringList{QStringLiteral("First"), QStringLiteral("Second"), QStringLiteral("Team")}));
    dialog->List()->item(2)->setSelected(true);
    EXPECT_TRUE(RetrieveButton(*dialog)->isEnabled());
    dialog->List()->item(0)->setSelected(true);
    RetrieveButton(*dialog)->click();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    // First (its row), then Team's members in the group's order: First twice.
    EXPECT_EQ(dialog->ChosenIds(), (std::vector<int>{101, 102, 101}));
    EXPECT_EQ(dialog->Host(), "127.0.0.1");
    EXPECT_EQ(dialog->Port(), server.Port());
}

TEST_F(RetrieveDlgTest, CredentialsOnlyWhenGivenAndEveryFailureIsShown) {
    CScriptedServer server;
    server.Answer(CScriptedServer::Status(401, "Authetication error"));
    server.Answer(CScriptedServer::Status(403, "Receive refused"));
    server.Answer(std::string()); // closed without an answer
    server.Answer(CScriptedServer::Status(401, "Authetication error"));
    auto dialog = Make();
    Point(*dialog, server.Port());

    ASSERT_TRUE(List(*dialog));
    EXPECT_EQ(server.Requests()[0].find("Authorization"), std::string::npos);
    EXPECT_EQ(m_prompt.CountShown(strings::kAuthenticationFailed), 1);
    ASSERT_TRUE(List(*dialog));
    EXPECT_EQ(m_prompt.CountShown(strings::kListRetrieveFailed), 1);
    ASSERT_TRUE(List(*dialog));
    EXPECT_EQ(m_prompt.CountShown(strings::kMessageRefused), 1);

    // The password alone is enough to send credentials.
    dialog->findChild<QLineEdit*>(QString::number(CRetrieveMessageDlg::kIdPassword))->setText(QStringLiteral("pw"));
    ASSERT_TRUE(List(*dialog));
    ASSERT_EQ(server.RequestCount(), 4u);
    EXPECT_NE(server.Requests()[3].find("Authorization: Digest "), std::string::npos);
    EXPECT_EQ(m_prompt.CountShown(strings::kAuthenticationFailed), 2);

    // Nobody listening: the connection error, and the rows stay empty.
    dialog->PortEdit()->setText(QString::number(ClosedPort()));
    ASSERT_TRUE(List(*dialog));
    EXPECT_EQ(m_prompt.CountShown(strings::kSocketCannotConnect), 1);
    EXPECT_EQ(dialog->List()->count(), 0);
    EXPECT_EQ(m_prompt.History().size(), 5u);
}

TEST_F(RetrieveDlgTest, PortFollowsTheComboButNotAHandTypedDestination) {
    EXPECT_EQ(Make()->PortEdit()->text(), QStringLiteral("4126"));

    CDestInfo log;
    log.Append("pc1", 5000);
    log.Append("pc2", 4127);
    auto dialog = Make(log);
    QComboBox* combo = dialog->DestinationBox();
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->currentText(), QStringLiteral("pc1"));
    EXPECT_EQ(dialog->PortEdit()->text(), QStringLiteral("5000"));
    emit combo->activated(1);
    EXPECT_EQ(dialog->PortEdit()->text(), QStringLiteral("4127"));
    dialog->ChooseDestination(0);
    EXPECT_EQ(combo->currentText(), QStringLiteral("pc1"));
    EXPECT_EQ(dialog->PortEdit()->text(), QStringLiteral("5000"));

    CScriptedServer server;
    server.Answer(ListAnswer(false));
    combo->setEditText(QStringLiteral("127.0.0.1"));
    EXPECT_EQ(dialog->PortEdit()->text(), QStringLiteral("5000"));
    dialog->PortEdit()->setText(QString::number(server.Port()));
    ASSERT_TRUE(List(*dialog));
    dialog->List()->item(1)->setSelected(true);
    RetrieveButton(*dialog)->click();
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->ChosenIds(), std::vector<int>{102});
    // The destination used comes first; the others keep their order.
    const std::vector<DestEntry>& entries = dialog->Destinations().GetEntries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].Name, "127.0.0.1");
    EXPECT_EQ(entries[0].Port, server.Port());
    EXPECT_EQ(entries[1].Name, "pc1");
    EXPECT_EQ(entries[2].Name, "pc2");
}

TEST_F(RetrieveDlgTest, ARequestStillOutIsDroppedByAnotherOrByClosing) {
    CScriptedServer server;
    server.Hold();
    CMessageList old;
    old.m_notes = {{7, "Old"}};
    server.Answer(CScriptedServer::Ok(kMessageListContentType, old.MakeDocument()));
    server.Answer(ListAnswer(false));
    server.Answer(ListAnswer(true));

    // Asking again drops the first request: only the second answer counts.
    auto dialog = Make();
    Point(*dialog, server.Port());
    static_cast<QPushButton*>(dialog->Control(CRetrieveMessageDlg::kIdListButton))->click();
    ASSERT_TRUE(PumpUntil([&] { return server.RequestCount() == 1; }));
    dialog->RequestList();
    server.Release();
    ASSERT_TRUE(PumpUntil([&] { return !dialog->IsListPending(); }));
    PumpFor(200);
    EXPECT_EQ(Rows(*dialog), (QStringList{QStringLiteral("First"), QStringLiteral("Second")}));

    // Closed while the answer is out: it is not taken.
    server.Hold();
    dialog->RequestList();
    ASSERT_TRUE(PumpUntil([&] { return server.RequestCount() == 3; }));
    dialog->reject();
    EXPECT_FALSE(dialog->IsListPending());
    server.Release();
    PumpFor(300);
    EXPECT_EQ(Rows(*dialog).size(), 2);
    EXPECT_TRUE(m_prompt.History().empty());

    // Destroyed while the answer is out.
    server.Hold();
    server.Answer(ListAnswer(true));
    dialog->RequestList();
    ASSERT_TRUE(PumpUntil([&] { return server.RequestCount() == 4; }));
    dialog.reset();
    server.Release();
    PumpFor(300);
    EXPECT_TRUE(m_prompt.History().empty());
}

TEST(RetrieveTexts, JapaneseTextsOfTheDialogAndItsMessages) {
    QTranslator translator;
    ASSERT_TRUE(translator.load(QStringLiteral(":/i18n/quillet_ja.qm")));
    QCoreApplication::installTranslator(&translator);
    CRetrieveMessageDlg dialog{CDestInfo()};
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("メッセージの取得"));
    EXPECT_EQ(
        AppStringText(strings::kListRetrieveFailed),
        QStringLiteral("メッセージリストの取得に失敗しました。おそらく、相手先はメッセージの転送を許可していません。"));
    EXPECT_EQ(AppStringText(strings::kAuthenticationFailed), QStringLiteral("ユーザー認証に失敗しました。"));
    // The same English as the server's message, another Japanese text.
    EXPECT_EQ(AppStringText(strings::kSocketCreateFailed), QStringLiteral("ソケットの生成に失敗しました。"));
    EXPECT_EQ(AppStringText(strings::kServerSocketCreateFailed),
              QStringLiteral("外部接続用のソケットの生成に失敗しました。"));
    QCoreApplication::removeTranslator(&translator);
    EXPECT_EQ(AppStringText(strings::kSocketCreateFailed), QStringLiteral("Socket create failed."));
}
