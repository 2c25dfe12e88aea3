#include "ui/settings/AppPropSheet.h"

#include "core/base/FieldText.h"
#include "ui/app/MainFrame.h"
#include "ui/common/ModalRun.h"
#include "ui/dialogs/ColorBtn.h"
#include "ui/net/AccessLimitDlg.h"
#include "ui/settings/PropGeneral.h"
#include "ui/settings/PropMessage.h"
#include "ui/settings/PropNetwork.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTranslator>

#include <gtest/gtest.h>

#include <cstring>

namespace {

const QStringList kFamilies = {QStringLiteral("Serif"), QStringLiteral("DejaVu Sans"), QStringLiteral("arial"),
                               QStringLiteral("Serif"), QStringLiteral("Noto Sans CJK JP")};

class AppPropSheetTest : public ::testing::Test {
protected:
    ~AppPropSheetTest() override {
        modalrun::SetHook({});
        CPropGeneral::SetFolderChooser({});
    }

    template <class T> static T* Get(CPropPage* page, int id) {
        auto* widget = qobject_cast<T*>(page->Control(id));
        EXPECT_NE(widget, nullptr) << id;
        return widget;
    }

    CAppPropSheet m_sheet{nullptr, kFamilies};
};

TEST_F(AppPropSheetTest, ThreePagesOpeningOnMessageWithOkAndCancelOnly) {
    EXPECT_EQ(m_sheet.windowTitle(), QStringLiteral("Property"));
    EXPECT_EQ(m_sheet.parent(), nullptr);
    ASSERT_EQ(m_sheet.Tabs()->count(), 3);
    EXPECT_EQ(m_sheet.Tabs()->tabText(0), QStringLiteral("Message"));
    EXPECT_EQ(m_sheet.Tabs()->tabText(1), QStringLiteral("Generic"));
    EXPECT_EQ(m_sheet.Tabs()->tabText(2), QStringLiteral("Network"));
    EXPECT_EQ(m_sheet.Tabs()->currentIndex(), 0);
    EXPECT_TRUE(m_sheet.MessagePage()->IsInitialised());
    EXPECT_FALSE(m_sheet.GeneralPage()->IsInitialised());
    EXPECT_FALSE(m_sheet.NetworkPage()->IsInitialised());

    const QList<QAbstractButton*> buttons = m_sheet.Buttons()->buttons();
    ASSERT_EQ(buttons.size(), 2);
    EXPECT_NE(m_sheet.Buttons()->button(QDialogButtonBox::Ok), nullptr);
    EXPECT_NE(m_sheet.Buttons()->button(QDialogButtonBox::Cancel), nullptr);
    // UPnP is not offered.
    EXPECT_EQ(m_sheet.NetworkPage()->Control(1049), nullptr);
}

TEST_F(AppPropSheetTest, PagesNeverOpenedGiveTheirCopiesBackUnchanged) {
    ApplicationProperty application;
    application.OrderFlag = 13;
    CopyField(application.SavePath, "/data/notes");
    NetworkProperty network; // empty address: a visited page would fill in the host name
    network.Port = 5000;
    m_sheet.SetApplication(application);
    m_sheet.SetNetwork(network);
    FontProperty font;
    font.Flags = kFontUnderline;
    m_sheet.SetDefaultFont(font);

    Get<QCheckBox>(m_sheet.MessagePage(), CPropMessage::kIdBold)->setChecked(true);
    m_sheet.accept();
    EXPECT_EQ(m_sheet.result(), QDialog::Accepted);

    EXPECT_EQ(m_sheet.GetApplication().OrderFlag, 13);
    EXPECT_EQ(FieldText(m_sheet.GetApplication().SavePath), "/data/notes");
    EXPECT_EQ(FieldText(m_sheet.GetNetwork().Address), "");
    EXPECT_EQ(m_sheet.GetNetwork().Port, 5000);
    // The page the sheet opens on is always read back.
    EXPECT_EQ(m_sheet.GetDefaultFont().Flags, kFontUnderline | kFontBold);
}

TEST_F(AppPropSheetTest, SortRuleMakesTheOrderFlag) {
    ApplicationProperty application;
    application.OrderFlag = 4 + 8; // descending by title, by group
    m_sheet.SetApplication(application);
    m_sheet.ShowPage(CAppPropSheet::kPageGeneral);
    CPropGeneral* page = m_sheet.GeneralPage();
    EXPECT_TRUE(Get<QRadioButton>(page, CPropGeneral::kIdDescend)->isChecked());
    EXPECT_TRUE(Get<QRadioButton>(page, CPropGeneral::kIdTitle)->isChecked());
    EXPECT_TRUE(Get<QCheckBox>(page, CPropGeneral::kIdGroup)->isChecked());

    const auto orderAfter = [&](int direction, int key, bool group) {
        Get<QRadioButton>(page, direction)->click();
        Get<QRadioButton>(page, key)->click();
        Get<QCheckBox>(page, CPropGeneral::kIdGroup)->setChecked(group);
        m_sheet.accept();
        return m_sheet.GetApplication().OrderFlag;
    };
    EXPECT_EQ(orderAfter(CPropGeneral::kIdDescend, CPropGeneral::kIdTitle, false), 4);
    EXPECT_EQ(orderAfter(CPropGeneral::kIdAscend, CPropGeneral::kIdDate, false), 3);
    EXPECT_EQ(orderAfter(CPropGeneral::kIdAscend, CPropGeneral::kIdDate, true), 11);
    EXPECT_EQ(orderAfter(CPropGeneral::kIdDescend, CPropGeneral::kIdDate, true), 10);
    // The radio pairs are independent of each other.
    EXPECT_TRUE(Get<QRadioButton>(page, CPropGeneral::kIdDate)->isChecked());
    EXPECT_TRUE(Get<QRadioButton>(page, CPropGeneral::kIdDescend)->isChecked());
}

TEST_F(AppPropSheetTest, GenericPageEditsTheApplicationSettings) {
    ApplicationProperty application;
    CopyField(application.SavePath, "/old/notes");
    application.MessageGap = 7;
    m_sheet.SetApplication(application);
    m_sheet.ShowPage(CAppPropSheet::kPageGeneral);
    CPropGeneral* page = m_sheet.GeneralPage();
    auto* path = Get<QLineEdit>(page, CPropGeneral::kIdSavePath);
    auto* gap = Get<QSpinBox>(page, CPropGeneral::kIdGap);
    EXPECT_EQ(path->text(), QStringLiteral("/old/notes"));
    EXPECT_EQ(gap->value(), 7);
    EXPECT_EQ(gap->minimum(), 0);
    EXPECT_EQ(gap->maximum(), 1000);

    // The browser starts in the current folder; its answer replaces the text,
    // a cancelled browser (empty answer) and a path too long for the field change nothing.
    QString asked;
    QString answer = QStringLiteral("/home/me/Notes");
    CPropGeneral::SetFolderChooser([&](QWidget*, const QString& title, const QString& start) {
        asked = title + QLatin1Char('|') + start;
        return answer;
    });
    Get<QPushButton>(page, CPropGeneral::kIdBrowse)->click();
    EXPECT_EQ(asked, QStringLiteral("Save folder|/old/notes"));
    EXPECT_EQ(path->text(), QStringLiteral("/home/me/Notes"));
    answer.clear();
    page->Browse();
    EXPECT_EQ(path->text(), QStringLiteral("/home/me/Notes"));
    answer = QStringLiteral("/") + QString(300, QLatin1Char('x'));
    page->Browse();
    EXPECT_EQ(path->text(), QStringLiteral("/home/me/Notes"));

    Get<QCheckBox>(page, CPropGeneral::kIdStartup)->setChecked(true);
    Get<QCheckBox>(page, CPropGeneral::kIdOutOfWindow)->setChecked(true);
    gap->setValue(25);
    m_sheet.accept();
    const ApplicationProperty& result = m_sheet.GetApplication();
    EXPECT_EQ(result.EnableStartup, 1);
    EXPECT_EQ(result.EnableOutOfWindow, 1);
    EXPECT_EQ(result.MessageGap, 25);
    EXPECT_EQ(FieldText(result.SavePath), "/home/me/Notes");

    // Typed text stops at 259 bytes without splitting a character.
    path->setText(QStringLiteral("/") + QString(200, QChar(0x65E5))); // 3 bytes each
    const QByteArray typed = path->text().toUtf8();
    EXPECT_LE(typed.size(), 259);
    EXPECT_EQ(typed.size(), 1 + 86 * 3);
    EXPECT_EQ(QString::fromUtf8(typed).toUtf8(), typed);
}

TEST_F(AppPropSheetTest, MessagePageEditsTheDefaultsOfNewNotes) {
    SheetProperty sheet;
    sheet.TopWindow = 1;
    sheet.AutoResize = 0;
    sheet.MoveBar = 1;
    sheet.ReadOnly = 1;
    CopyField(sheet.Title, "kept");
    FontProperty font;
    CopyField(font.Name, "DejaVu Sans");
    font.Size = 12;
    font.Flags = kFontItalic | kFontStrikeOut | kFontEmboss;
    font.FontColor = 0x00112233;
    font.BackgroundColor = 0x00445566;
    m_sheet.SetDefaultSheet(sheet);
    m_sheet.SetDefaultFont(font);
    CPropMessage* page = m_sheet.MessagePage();

    // Sorted, ignoring case; each family once.
    QStringList listed;
    for (int i = 0; i < page->FaceList()->count(); ++i)
        listed << page->FaceList()->itemText(i);
    EXPECT_EQ(listed, (QStringList{QStringLiteral("arial"), QStringLiteral("DejaVu Sans"),
                                   QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Serif")}));
    EXPECT_EQ(page->FaceList()->currentText(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(Get<QLineEdit>(page, CPropMessage::kIdSize)->text(), QStringLiteral("12"));
    EXPECT_FALSE(Get<QCheckBox>(page, CPropMessage::kIdBold)->isChecked());
    EXPECT_TRUE(Get<QCheckBox>(page, CPropMessage::kIdItalic)->isChecked());
    EXPECT_EQ(page->FontColorButton()->GetColor(), 0x00112233u);
    EXPECT_EQ(page->BackgroundButton()->GetColor(), 0x00445566u);
    EXPECT_TRUE(Get<QCheckBox>(page, CPropMessage::kIdTopWindow)->isChecked());
    EXPECT_FALSE(Get<QCheckBox>(page, CPropMessage::kIdAutoResize)->isChecked());

    page->FaceList()->setCurrentText(QStringLiteral("Serif"));
    Get<QLineEdit>(page, CPropMessage::kIdSize)->setText(QStringLiteral("-3"));
    Get<QCheckBox>(page, CPropMessage::kIdBold)->setChecked(true);
    Get<QCheckBox>(page, CPropMessage::kIdItalic)->setChecked(false);
    page->FontColorButton()->SetColor(0x000000FF);
    page->BackgroundButton()->SetColor(0x00FFFFFF);
    Get<QCheckBox>(page, CPropMessage::kIdTopWindow)->setChecked(false);
    Get<QCheckBox>(page, CPropMessage::kIdAutoResize)->setChecked(true);
    Get<QCheckBox>(page, CPropMessage::kIdMoveBar)->setChecked(false);
    m_sheet.accept();

    const FontProperty& newFont = m_sheet.GetDefaultFont();
    EXPECT_STREQ(newFont.Name, "Serif");
    EXPECT_EQ(newFont.Size, -3);
    EXPECT_EQ(newFont.Flags, kFontBold | kFontStrikeOut | kFontEmboss);
    EXPECT_EQ(newFont.FontColor, 0x000000FFu);
    EXPECT_EQ(newFont.BackgroundColor, 0x00FFFFFFu);
    const SheetProperty& newSheet = m_sheet.GetDefaultSheet();
    EXPECT_EQ(newSheet.TopWindow, 0);
    EXPECT_EQ(newSheet.AutoResize, 1);
    EXPECT_EQ(newSheet.MoveBar, 0);
    // Fields the page does not edit stay.
    EXPECT_EQ(newSheet.ReadOnly, 1);
    EXPECT_STREQ(newSheet.Title, "kept");
}

TEST_F(AppPropSheetTest, FaceThatIsNotInstalledSurvivesOk) {
    FontProperty font; // "MS Sans Serif"
    m_sheet.SetDefaultFont(font);
    QComboBox* faces = m_sheet.MessagePage()->FaceList();
    EXPECT_EQ(faces->currentText(), QStringLiteral("MS Sans Serif"));
    // In its sorted place.
    EXPECT_EQ(faces->currentIndex(), 2);
    m_sheet.accept();
    EXPECT_STREQ(m_sheet.GetDefaultFont().Name, "MS Sans Serif");
}

TEST_F(AppPropSheetTest, NetworkEnablingRules) {
    NetworkProperty network;
    network.AcceptConnection = 0;
    network.ConfirmReceive = 1;
    network.AcceptTransfer = 0;
    m_sheet.SetNetwork(network);
    m_sheet.ShowPage(CAppPropSheet::kPageNetwork);
    CPropNetwork* page = m_sheet.NetworkPage();
    const auto enabled = [&](int id) { return page->Control(id)->isEnabled(); };
    const int followAllow[] = {CPropNetwork::kIdAddress, CPropNetwork::kIdPort, CPropNetwork::kIdConfirm,
                               CPropNetwork::kIdAccessLimit, CPropNetwork::kIdAllowTransfer};
    const int expire[] = {CPropNetwork::kIdExpireLabel, CPropNetwork::kIdExpire, CPropNetwork::kIdSecLabel};
    const int account[] = {CPropNetwork::kIdUser, CPropNetwork::kIdPasswd};

    // Not allowed: everything below is off, whatever the other boxes say.
    for (int id : followAllow)
        EXPECT_FALSE(enabled(id)) << id;
    for (int id : expire)
        EXPECT_FALSE(enabled(id)) << id;
    for (int id : account)
        EXPECT_FALSE(enabled(id)) << id;

    // Allowed: the confirmation time comes on with its ticked box, the
    // account stays off with its box clear.
    auto* allow = Get<QCheckBox>(page, CPropNetwork::kIdAllowConnection);
    allow->click();
    for (int id : followAllow)
        EXPECT_TRUE(enabled(id)) << id;
    for (int id : expire)
        EXPECT_TRUE(enabled(id)) << id;
    for (int id : account)
        EXPECT_FALSE(enabled(id)) << id;

    // Each box switches its own fields.
    Get<QCheckBox>(page, CPropNetwork::kIdConfirm)->click();
    for (int id : expire)
        EXPECT_FALSE(enabled(id)) << id;
    Get<QCheckBox>(page, CPropNetwork::kIdAllowTransfer)->click();
    for (int id : account)
        EXPECT_TRUE(enabled(id)) << id;

    // Off again: all of them off; on again: what was ticked comes back.
    allow->click();
    for (int id : followAllow)
        EXPECT_FALSE(enabled(id)) << id;
    for (int id : account)
        EXPECT_FALSE(enabled(id)) << id;
    allow->click();
    for (int id : account)
        EXPECT_TRUE(enabled(id)) << id;
    for (int id : expire)
        EXPECT_FALSE(enabled(id)) << id;
}

TEST_F(AppPropSheetTest, NetworkPageEditsTheServerSettings) {
    NetworkProperty network;
    network.AcceptConnection = 1;
    network.EnableUPnP = 1;
    network.AllowAll = 1;
    network.NetworkInfoList.push_back({"192.168.0.0", "255.255.255.0"});
    CopyField(network.User, "me");
    m_sheet.SetNetwork(network);
    m_sheet.ShowPage(CAppPropSheet::kPageNetwork);
    CPropNetwork* page = m_sheet.NetworkPage();

    // An empty address shows this computer's name.
    auto* address = Get<QLineEdit>(page, CPropNetwork::kIdAddress);
    EXPECT_EQ(address->text().toStdString(), CPropNetwork::HostName().substr(0, CPropNetwork::kMaxAddressBytes));
    EXPECT_FALSE(address->text().isEmpty());
    EXPECT_EQ(Get<QLineEdit>(page, CPropNetwork::kIdPasswd)->echoMode(), QLineEdit::Password);
    EXPECT_EQ(Get<QLineEdit>(page, CPropNetwork::kIdPort)->text(), QStringLiteral("4126"));

    // The access limits are edited on a copy; Cancel keeps them.
    int asked = 0;
    modalrun::SetHook([&](QDialog& dialog) {
        auto& limit = dynamic_cast<CAccessLimitDlg&>(dialog);
        ++asked;
        EXPECT_EQ(limit.AllowAll(), 1);
        EXPECT_EQ(limit.List().size(), 1u);
        limit.DeniedButton()->setChecked(true);
        if (asked == 1) {
            limit.reject();
            return static_cast<int>(QDialog::Rejected);
        }
        limit.accept();
        return static_cast<int>(QDialog::Accepted);
    });
    Get<QPushButton>(page, CPropNetwork::kIdAccessLimit)->click();
    page->AccessLimit();
    modalrun::SetHook({});
    EXPECT_EQ(asked, 2);

    // Address over 31 bytes is cut without splitting a character.
    address->setText(QStringLiteral("host-") + QString(20, QChar(0x00E9))); // 5 + 20 * 2 bytes
    EXPECT_EQ(address->text().toUtf8().size(), 5 + 13 * 2);
    address->setText(QStringLiteral("notes.example"));
    Get<QLineEdit>(page, CPropNetwork::kIdPort)->setText(QStringLiteral("70000"));
    Get<QCheckBox>(page, CPropNetwork::kIdConfirm)->click();
    Get<QLineEdit>(page, CPropNetwork::kIdExpire)->setText(QStringLiteral("30"));
    Get<QCheckBox>(page, CPropNetwork::kIdAllowTransfer)->click();
    Get<QLineEdit>(page, CPropNetwork::kIdUser)->setText(QString(200, QLatin1Char('u')));
    Get<QLineEdit>(page, CPropNetwork::kIdPasswd)->setText(QStringLiteral("secret"));
    // A port out of range keeps the sheet open on this page, saying why.
    QString warning;
    modalrun::SetHook([&](QDialog& dialog) {
        warning = static_cast<QMessageBox&>(dialog).text();
        return int(QMessageBox::Ok);
    });
    m_sheet.ShowPage(CAppPropSheet::kPageGeneral);
    m_sheet.accept();
    modalrun::SetHook({});
    EXPECT_NE(m_sheet.result(), QDialog::Accepted);
    EXPECT_EQ(m_sheet.Tabs()->currentIndex(), CAppPropSheet::kPageNetwork);
    EXPECT_TRUE(warning.contains(QStringLiteral("65535"))) << warning.toStdString();
    EXPECT_EQ(m_sheet.GetNetwork().Port, 4126);
    Get<QLineEdit>(page, CPropNetwork::kIdPort)->setText(QStringLiteral("4127"));
    // The page says where the server will listen.
    auto* listen = Get<QLabel>(page, CPropNetwork::kIdListenHint);
    EXPECT_TRUE(listen->text().contains(QStringLiteral("notes.example"))) << listen->text().toStdString();
    address->setText(QStringLiteral("127.0.0.1"));
    EXPECT_TRUE(listen->text().startsWith(QStringLiteral("Only programs"))) << listen->text().toStdString();
    address->setText(QString::fromStdString(CPropNetwork::HostName()));
    EXPECT_TRUE(listen->text().contains(QStringLiteral("any of its addresses"))) << listen->text().toStdString();
    address->setText(QStringLiteral("notes.example"));
    m_sheet.accept();

    const NetworkProperty& result = m_sheet.GetNetwork();
    EXPECT_EQ(result.AcceptConnection, 1);
    EXPECT_STREQ(result.Address, "notes.example");
    EXPECT_EQ(result.Port, 4127);
    EXPECT_EQ(result.ConfirmReceive, 1);
    EXPECT_EQ(result.ConfirmExpire, 30);
    EXPECT_EQ(result.AcceptTransfer, 1);
    EXPECT_EQ(std::strlen(result.User), 127u);
    EXPECT_STREQ(result.Passwd, "secret");
    EXPECT_EQ(result.AllowAll, 0);
    ASSERT_EQ(result.NetworkInfoList.size(), 1u);
    EXPECT_STREQ(result.NetworkInfoList[0].Network, "192.168.0.0");
    EXPECT_EQ(result.EnableUPnP, 1);
}

TEST_F(AppPropSheetTest, JapaneseTexts) {
    QTranslator translator;
    ASSERT_TRUE(translator.load(QStringLiteral(":/i18n/quillet_ja.qm")));
    QCoreApplication::installTranslator(&translator);
    {
        CAppPropSheet sheet(nullptr, kFamilies);
        EXPECT_EQ(sheet.windowTitle(), QStringLiteral("プロパティ"));
        EXPECT_EQ(sheet.Tabs()->tabText(0), QStringLiteral("メッセージ"));
        EXPECT_EQ(sheet.Tabs()->tabText(1), QStringLiteral("全般"));
        EXPECT_EQ(sheet.Tabs()->tabText(2), QStringLiteral("ネットワーク"));
        EXPECT_EQ(Get<QCheckBox>(sheet.GeneralPage(), CPropGeneral::kIdOutOfWindow)->text(),
                  QStringLiteral("メイン画面外にあるメッセージを起動時に補正しない (&J)"));
        EXPECT_EQ(Get<QRadioButton>(sheet.GeneralPage(), CPropGeneral::kIdDate)->text(),
                  QStringLiteral("生成日順(&C)"));
        EXPECT_EQ(Get<QCheckBox>(sheet.MessagePage(), CPropMessage::kIdTopWindow)->text(),
                  QStringLiteral("ウィンドウを常に手前に表示(&T)"));
        EXPECT_EQ(Get<QLabel>(sheet.NetworkPage(), CPropNetwork::kIdSecLabel)->text(),
                  QStringLiteral("秒後に自動的に閉じる"));
        EXPECT_EQ(Get<QLabel>(sheet.NetworkPage(), CPropNetwork::kIdHint)->text(),
                  QStringLiteral("メッセージ転送を行う場合には、セキュリティのために\nユーザーID、パスワードを設定する"
                                 "ことが望ましいです。"));
    }
    {
        CMainFrame frame;
        ASSERT_NE(frame.Action(CMainFrame::kCmdProperty), nullptr);
        EXPECT_EQ(frame.Action(CMainFrame::kCmdProperty)->text(), QStringLiteral("プロパティ(&O)..."));
    }
    QCoreApplication::removeTranslator(&translator);
}

} // namespace
