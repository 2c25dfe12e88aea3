#include "ui/app/AppTestSupport.h"

#include "core/base/FieldText.h"
#include "core/net/ReceiveServer.h"
#include "ui/app/AppServerHost.h"
#include "ui/common/ModalRun.h"
#include "ui/dialogs/ConfirmDlg.h"
#include "ui/settings/AppPropSheet.h"
#include "ui/settings/PropGeneral.h"
#include "ui/settings/PropMessage.h"
#include "ui/settings/PropNetwork.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>

#include <sys/stat.h>

namespace {

bool Exists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

std::string ReadFile(const std::string& path) {
    std::string contents;
    ReadWholeFile(path, contents);
    return contents;
}

template <class T> T* Get(CPropPage* page, int id) {
    auto* widget = qobject_cast<T*>(page->Control(id));
    EXPECT_NE(widget, nullptr) << id;
    return widget;
}

class PropertyCommandTest : public AppTest {
protected:
    void TearDown() override {
        modalrun::SetHook({});
        AppTest::TearDown();
    }

    CPinletApp& StartWithTempAutostart() {
        CPinletApp::Options options = NoRecheck();
        options.AutostartAllUsersFolder = m_root + "/xdg-autostart";
        return Start(options);
    }

    // Runs the property command; fill edits the sheet, then OK or Cancel is pressed.
    void RunSheet(CPinletApp& app, const std::function<void(CAppPropSheet&)>& fill, bool ok = true) {
        int runs = 0;
        modalrun::SetHook([&](QDialog& dialog) {
            auto& sheet = dynamic_cast<CAppPropSheet&>(dialog);
            ++runs;
            // The server is down while the sheet is open.
            EXPECT_TRUE(app.Server() == nullptr || !app.Server()->IsRunning());
            fill(sheet);
            if (ok)
                sheet.accept();
            else
                sheet.reject();
            return sheet.result();
        });
        EXPECT_TRUE(app.RunCommand(CMainFrame::kCmdProperty));
        modalrun::SetHook({});
        EXPECT_EQ(runs, 1);
    }

    void LoopbackServer(bool confirm) {
        WriteSettings([&](CPropParser& model) {
            model.m_network.AcceptConnection = 1;
            CopyField(model.m_network.Address, "127.0.0.1");
            model.m_network.Port = 0;
            model.m_network.ConfirmReceive = confirm ? 1 : 0;
        });
    }
};

TEST_F(PropertyCommandTest, MenuItemFollowsGroupSettingsAndOpensTheSheet) {
    CPinletApp& app = StartWithTempAutostart();
    const QList<QAction*> items = app.MainFrame()->Menu()->actions();
    int group = -1;
    for (int i = 0; i < items.size(); ++i)
        if (items[i]->data().toInt() == CMainFrame::kCmdGroupSettings)
            group = i;
    ASSERT_GE(group, 0);
    ASSERT_LT(group + 1, items.size());
    EXPECT_EQ(items[group + 1]->text(), QStringLiteral("Property(&O)..."));

    int runs = 0;
    modalrun::SetHook([&](QDialog& dialog) {
        runs += dynamic_cast<CAppPropSheet*>(&dialog) != nullptr;
        return static_cast<int>(QDialog::Rejected);
    });
    items[group + 1]->trigger();
    EXPECT_EQ(runs, 1);
}

TEST_F(PropertyCommandTest, CancelChangesNothingAndRestartsTheServer) {
    LoopbackServer(false);
    CPinletApp& app = StartWithTempAutostart();
    ASSERT_TRUE(app.Server()->IsRunning());
    const std::string before = ReadFile(CPaths::SettingsFile());

    RunSheet(
        app,
        [](CAppPropSheet& sheet) {
            sheet.ShowPage(CAppPropSheet::kPageGeneral);
            Get<QCheckBox>(sheet.GeneralPage(), CPropGeneral::kIdStartup)->setChecked(true);
            Get<QRadioButton>(sheet.GeneralPage(), CPropGeneral::kIdTitle)->click();
            sheet.ShowPage(CAppPropSheet::kPageNetwork);
            Get<QCheckBox>(sheet.NetworkPage(), CPropNetwork::kIdAllowConnection)->click();
        },
        false);

    EXPECT_TRUE(app.Server()->IsRunning());
    EXPECT_EQ(app.Network().AcceptConnection, 1);
    EXPECT_EQ(app.Application().OrderFlag, 3);
    EXPECT_EQ(app.Application().EnableStartup, 0);
    EXPECT_EQ(ReadFile(CPaths::SettingsFile()), before);
    EXPECT_FALSE(Exists(m_root + "/config/autostart/Quillet.desktop"));
    Stop();
}

TEST_F(PropertyCommandTest, OkStoresTheOrderAndTheAddressOnlyFromVisitedPages) {
    CPinletApp& app = StartWithTempAutostart();
    ASSERT_EQ(FieldText(app.Network().Address), "");

    // The Network page is never opened: the address stays empty.
    RunSheet(app, [](CAppPropSheet& sheet) {
        sheet.ShowPage(CAppPropSheet::kPageGeneral);
        Get<QRadioButton>(sheet.GeneralPage(), CPropGeneral::kIdDescend)->click();
        Get<QRadioButton>(sheet.GeneralPage(), CPropGeneral::kIdTitle)->click();
    });
    EXPECT_EQ(app.Application().OrderFlag, 4);
    EXPECT_EQ(FieldText(app.Network().Address), "");
    CPropParser saved;
    ASSERT_EQ(CSettingsFile::Load(saved), CSettingsFile::LoadResult::Loaded);
    EXPECT_EQ(saved.m_application.OrderFlag, 4);
    EXPECT_STREQ(saved.m_network.Address, "");

    // Visited: the host name shown is stored.
    QString shown;
    RunSheet(app, [&](CAppPropSheet& sheet) {
        sheet.ShowPage(CAppPropSheet::kPageGeneral);
        Get<QRadioButton>(sheet.GeneralPage(), CPropGeneral::kIdAscend)->click();
        Get<QRadioButton>(sheet.GeneralPage(), CPropGeneral::kIdDate)->click();
        Get<QCheckBox>(sheet.GeneralPage(), CPropGeneral::kIdGroup)->setChecked(true);
        sheet.ShowPage(CAppPropSheet::kPageNetwork);
        shown = Get<QLineEdit>(sheet.NetworkPage(), CPropNetwork::kIdAddress)->text();
    });
    EXPECT_EQ(app.Application().OrderFlag, 3 + 8);
    EXPECT_FALSE(shown.isEmpty());
    EXPECT_EQ(FieldText(app.Network().Address), shown.toStdString());
    ASSERT_EQ(CSettingsFile::Load(saved), CSettingsFile::LoadResult::Loaded);
    EXPECT_EQ(saved.m_application.OrderFlag, 11);
    EXPECT_EQ(FieldText(saved.m_network.Address), shown.toStdString());
    // The server stays off: connections were not allowed.
    EXPECT_TRUE(app.Server() == nullptr || !app.Server()->IsRunning());
}

TEST_F(PropertyCommandTest, ConfirmationTimeIsSavedAndUsedByTheServer) {
    LoopbackServer(false);
    CPinletApp& app = StartWithTempAutostart();
    RunSheet(app, [](CAppPropSheet& sheet) {
        sheet.ShowPage(CAppPropSheet::kPageNetwork);
        Get<QCheckBox>(sheet.NetworkPage(), CPropNetwork::kIdConfirm)->click();
        Get<QLineEdit>(sheet.NetworkPage(), CPropNetwork::kIdExpire)->setText(QStringLiteral("30"));
    });
    CPropParser saved;
    ASSERT_EQ(CSettingsFile::Load(saved), CSettingsFile::LoadResult::Loaded);
    EXPECT_EQ(saved.m_network.ConfirmReceive, 1);
    EXPECT_EQ(saved.m_network.ConfirmExpire, 30);
    EXPECT_EQ(app.ServerHost()->GetNetworkSettings().ConfirmExpire, 30);

    ASSERT_TRUE(app.Server()->IsRunning());
    std::string address;
    int port = 0;
    ASSERT_TRUE(app.Server()->GetListenAddress(address, port));
    auto put = HttpExchange(port, "PUT /Message HTTP/1.0\r\nContent-Type: text/plain\r\nContent-Length: 2\r\n\r\nhi");
    ASSERT_TRUE(PumpUntil([&] { return app.ServerHost()->OpenConfirmations().size() == 1; }));
    CConfirmDlg* question = app.ServerHost()->OpenConfirmations()[0];
    EXPECT_EQ(question->ExpireSeconds(), 30);
    question->CancelButton()->click();
    Pumped(put);
    EXPECT_EQ(Store().GetCount(), 0);
    Stop();
}

TEST_F(PropertyCommandTest, StartupEntryFollowsTheSetting) {
    const std::string entry = m_root + "/config/autostart/Quillet.desktop";
    const std::string allUsers = m_root + "/xdg-autostart/Quillet.desktop";
    ASSERT_TRUE(EnsureFolder(m_root + "/xdg-autostart", 0700));
    WriteFileAtomically(allUsers, "[Desktop Entry]\n", 0644);
    CPinletApp& app = StartWithTempAutostart();

    const auto setStartup = [&](bool on) {
        RunSheet(app, [on](CAppPropSheet& sheet) {
            sheet.ShowPage(CAppPropSheet::kPageGeneral);
            Get<QCheckBox>(sheet.GeneralPage(), CPropGeneral::kIdStartup)->setChecked(on);
        });
    };
    setStartup(true);
    EXPECT_TRUE(Exists(entry));
    EXPECT_NE(ReadFile(entry).find("Exec="), std::string::npos);
    EXPECT_FALSE(Exists(allUsers));
    EXPECT_EQ(app.Application().EnableStartup, 1);
    CPropParser saved;
    CSettingsFile::Load(saved);
    EXPECT_EQ(saved.m_application.EnableStartup, 1);

    setStartup(false);
    EXPECT_FALSE(Exists(entry));
    EXPECT_EQ(app.Application().EnableStartup, 0);
}

TEST_F(PropertyCommandTest, DefaultFontChangesOnlyNewNotes) {
    CPinletApp& app = StartWithTempAutostart();
    const int before = app.CreateMessage("old");
    ASSERT_NE(before, 0);
    const FontProperty oldFont = Store().GetMessage(before)->GetFont();

    RunSheet(app, [](CAppPropSheet& sheet) {
        CPropMessage* page = sheet.MessagePage();
        page->FaceList()->addItem(QStringLiteral("Quillet Test Face"));
        page->FaceList()->setCurrentText(QStringLiteral("Quillet Test Face"));
        Get<QLineEdit>(page, CPropMessage::kIdSize)->setText(QStringLiteral("20"));
        Get<QCheckBox>(page, CPropMessage::kIdBold)->setChecked(true);
        Get<QCheckBox>(page, CPropMessage::kIdTopWindow)->setChecked(true);
    });
    EXPECT_EQ(Store().GetMessage(before)->GetFont(), oldFont);
    EXPECT_EQ(Store().GetMessage(before)->GetSheet().TopWindow, 0);

    const int after = app.CreateMessage("new");
    ASSERT_NE(after, 0);
    const FontProperty& newFont = Store().GetMessage(after)->GetFont();
    EXPECT_STREQ(newFont.Name, "Quillet Test Face");
    EXPECT_EQ(newFont.Size, 20);
    EXPECT_EQ(newFont.Flags & kFontBold, kFontBold);
    EXPECT_EQ(Store().GetMessage(after)->GetSheet().TopWindow, 1);
    CPropParser saved;
    CSettingsFile::Load(saved);
    EXPECT_STREQ(saved.m_font.Name, "Quillet Test Face");
}

} // namespace
