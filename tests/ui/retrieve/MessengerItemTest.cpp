#include "core/store/PropParser.h"
#include "platform/Messenger.h"
#include "ui/note/MessageDlg.h"

#include <QAction>
#include <QMenu>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#ifdef CHATBUS_DOUBLE

namespace {

// Steers the messenger double through its environment and reads its log.
class MessengerItemTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/quillet-chatbus-XXXXXX";
        const int fd = mkstemp(pattern);
        ASSERT_GE(fd, 0);
        close(fd);
        m_log = pattern;
        setenv("CHATBUS_DOUBLE_LOG", m_log.c_str(), 1);
        SetRunning(false);
    }
    void TearDown() override {
        unsetenv("CHATBUS_DOUBLE_LOG");
        unsetenv("CHATBUS_DOUBLE_RUNNING");
        std::remove(m_log.c_str());
    }

    static void SetRunning(bool running) { setenv("CHATBUS_DOUBLE_RUNNING", running ? "1" : "0", 1); }

    std::string Log() const {
        std::ifstream in(m_log, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    static int CountItems(QMenu* menu, int command) {
        int count = 0;
        for (QAction* action : menu->actions())
            count += !action->isSeparator() && action->data().toInt() == command ? 1 : 0;
        return count;
    }

    std::string m_log;
};

} // namespace

TEST_F(MessengerItemTest, ItemOnlyWhileAMessengerRunsAndItHandsOverTheNote) {
    CMessenger messenger(CHATBUS_DOUBLE);
    auto context = std::make_shared<CNoteContext>();
    context->Messenger = &messenger;
    CMessageDlg note(std::make_shared<CNote>(), context);
    SheetProperty sheet;
    sheet.ID = 4242;
    std::snprintf(sheet.Title, sizeof sheet.Title, "Hand-off");
    note.SetSheet(sheet);
    note.SetBody("hello messenger", BodyFormat::PlainText);

    QMenu* menu = note.PrepareContextMenu();
    const int plain = static_cast<int>(menu->actions().size());
    EXPECT_EQ(CountItems(menu, CMessageDlg::kCmdSendWithMessenger), 0);

    SetRunning(true);
    note.PrepareContextMenu();
    ASSERT_EQ(static_cast<int>(menu->actions().size()), plain + 1);
    QAction* item = menu->actions()[9];
    EXPECT_EQ(item->data().toInt(), CMessageDlg::kCmdSendWithMessenger);
    EXPECT_EQ(item->text(), QStringLiteral("Send with Messenger(&M)..."));
    // Just before "Send message(&S)...", which moves down to position 10.
    EXPECT_EQ(menu->actions()[10]->data().toInt(), CMessageDlg::kCmdSend);
    // Asked again while it still runs: still one item.
    note.PrepareContextMenu();
    EXPECT_EQ(CountItems(menu, CMessageDlg::kCmdSendWithMessenger), 1);
    EXPECT_EQ(static_cast<int>(menu->actions().size()), plain + 1);

    // Choosing it hands the note's document over under the program's identifier.
    item->trigger();
    const std::string document = note.Serialize();
    const std::string expected = std::string("PutPluginMessage ") + CMessenger::kPluginId + " " +
                                 std::to_string(document.size()) + "\n" + document + "\n";
    const std::string log = Log();
    EXPECT_NE(log.find(expected), std::string::npos);
    EXPECT_NE(document.find("<SheetID ID=\"4242\"/>"), std::string::npos);
    CPropParser parsed;
    ASSERT_EQ(parsed.Parse(document.c_str()), 1);
    EXPECT_EQ(parsed.m_sheet.ID, 4242);
    EXPECT_NE(parsed.m_body.find("hello messenger"), std::string::npos);

    SetRunning(false);
    note.PrepareContextMenu();
    EXPECT_EQ(CountItems(menu, CMessageDlg::kCmdSendWithMessenger), 0);
    EXPECT_EQ(static_cast<int>(menu->actions().size()), plain);

    // No library at all: no messenger, whatever the double would say.
    SetRunning(true);
    CMessenger missing("/nonexistent/libchatbus.so.1");
    context->Messenger = &missing;
    note.PrepareContextMenu();
    EXPECT_EQ(CountItems(menu, CMessageDlg::kCmdSendWithMessenger), 0);
}

#endif
