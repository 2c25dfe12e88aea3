#include "ui/note/MessageDlg.h"

#include "NoteTestSupport.h"
#include "core/base/FieldText.h"
#include "core/note/ReminderInput.h"
#include "ui/common/Clock.h"
#include "ui/common/ModalRun.h"
#include "ui/common/RichTextBridge.h"
#include "ui/common/SoundPort.h"
#include "ui/dialogs/ColorBtn.h"
#include "ui/dialogs/FontDlg.h"
#include "ui/dialogs/PropertyDlg.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QTextEdit>

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr int kId = 1178000100;

class CRecordingSound : public CSoundPort {
public:
    void PlayFile(const std::string& path) override { Played.push_back(path); }
    void Beep() override { ++Beeps; }
    std::vector<std::string> Played;
    int Beeps = 0;
};

// 2030-06-15 10:02 local time.
std::int64_t LocalTime(int year, int month, int day, int hour, int minute) {
    return reminder::DateFireTime({year, month, day, hour, minute});
}

class NoteReminderTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_now = LocalTime(2030, 6, 15, 10, 2);
        uiclock::Set([this] { return m_now; });
        CSoundPort::SetDefault(&m_sound);
        m_context->QuietTime = 300;
        m_dlg = new CMessageDlg(std::make_shared<CNote>(), m_context);
        SheetProperty sheet;
        sheet.ID = kId;
        sheet.AutoResize = 0;
        m_dlg->SetSheet(sheet);
        m_dlg->SetWindowRect({100, 100, 300, 200});
        m_dlg->SetEventHandler(&m_handler);
        m_dlg->Show(ShowCommand::ShowNoActivate);
        Pump(20);
        m_handler.Clear();
    }

    void TearDown() override {
        m_dlg->Dispose();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        uiclock::Set({});
        CSoundPort::SetDefault(nullptr);
        modalrun::SetHook({});
    }

    std::int64_t m_now = 0;
    CRecordingSound m_sound;
    CRecordingHandler m_handler;
    std::shared_ptr<CNoteContext> m_context = std::make_shared<CNoteContext>();
    CMessageDlg* m_dlg = nullptr;
};

TEST_F(NoteReminderTest, RepeatingReminderFiresOnTheTimerAndReportsTheAdvancedRecord) {
    m_context->ReminderPeriod = 20;
    InformProperty inform;
    inform.Enabled = 1;
    inform.ByTime = 1;
    inform.Repeat = 1;
    inform.StartTime = m_now;
    inform.FireTime = m_now + 30 * 60;
    m_dlg->SetInform(inform);
    EXPECT_TRUE(m_dlg->IsReminderRunning());
    EXPECT_TRUE(m_handler.Changed.empty()); // nothing to repair or advance
    m_dlg->Show(ShowCommand::Hide);
    m_handler.Clear();

    // Ticks before the time do nothing.
    m_now += 29 * 60;
    Pump(60);
    EXPECT_FALSE(m_dlg->IsVisible());
    EXPECT_EQ(m_sound.Beeps, 0);
    EXPECT_TRUE(m_handler.Changed.empty());

    // The first tick at or after it shows and raises the note and beeps.
    m_now += 60 + 20;
    Pump(60);
    EXPECT_TRUE(m_dlg->IsVisible());
    EXPECT_EQ(m_dlg->GetSheet().Hidden, 0);
    EXPECT_EQ(m_sound.Beeps, 1);
    EXPECT_EQ(m_dlg->GetSheet().TopWindow, 1);
    EXPECT_TRUE(m_dlg->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    m_dlg->PrepareContextMenu();
    EXPECT_TRUE(m_dlg->Action(CMessageDlg::kCmdTopMost)->isChecked());
    EXPECT_EQ(m_dlg->GetInform().StartTime, inform.FireTime);
    EXPECT_EQ(m_dlg->GetInform().FireTime, inform.FireTime + 30 * 60);
    EXPECT_TRUE(m_dlg->IsReminderRunning());
    ASSERT_FALSE(m_handler.Changed.empty());
    const std::string saved = m_dlg->Serialize();
    EXPECT_NE(saved.find(std::to_string(inform.FireTime + 30 * 60)), std::string::npos);
}

TEST_F(NoteReminderTest, OneTimeReminderPlaysItsFileAndEnds) {
    InformProperty inform;
    inform.Enabled = 1;
    inform.ByDate = 1;
    inform.FireTime = m_now + 120;
    inform.StartTime = m_now;
    inform.Topmost = 0;
    std::strcpy(inform.WavePath, "/usr/share/sounds/alarm.wav");
    m_dlg->SetInform(inform);
    m_dlg->ReminderTick();
    EXPECT_TRUE(m_sound.Played.empty());
    m_now += 150;
    m_dlg->ReminderTick();
    EXPECT_EQ(m_sound.Played, std::vector<std::string>{"/usr/share/sounds/alarm.wav"});
    EXPECT_EQ(m_sound.Beeps, 0);
    EXPECT_EQ(m_dlg->GetSheet().TopWindow, 0);
    EXPECT_FALSE(m_dlg->IsReminderRunning());
    EXPECT_EQ(m_dlg->GetInform().Enabled, 0);
    EXPECT_EQ(m_dlg->GetInform().Sound, 0);
    EXPECT_EQ(m_handler.Changed, std::vector<int>{kId});
    EXPECT_EQ(m_dlg->Serialize().find("InformProperty"), std::string::npos);
}

TEST_F(NoteReminderTest, MissedReminderAtLoadWarnsWithoutWaitingAndIsSaved) {
    InformProperty inform;
    inform.Enabled = 1;
    inform.ByDate = 1;
    inform.FireTime = m_now;
    inform.StartTime = m_now - 600;
    m_dlg->SetInform(inform);
    SheetProperty sheet = m_dlg->GetSheet();
    std::strcpy(sheet.Title, "Dentist %d");
    m_dlg->SetSheet(sheet);
    const std::string document = m_dlg->Serialize();
    ASSERT_NE(document.find("InformProperty"), std::string::npos);

    m_now += 125 * 60 + 30;
    auto* loaded = new CMessageDlg();
    QElapsedTimer elapsed;
    elapsed.start();
    ASSERT_EQ(loaded->Load(document.c_str(), false), 1);
    EXPECT_LT(elapsed.elapsed(), 2000);
    auto* box = loaded->findChild<QMessageBox*>(QStringLiteral("MissedReminder"));
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_FALSE(box->isModal());
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Warning"));
    EXPECT_EQ(box->text(), QStringLiteral("Notification time for message Dentist %d is already passed 125 minutes."));
    EXPECT_EQ(loaded->GetInform().Enabled, 0);
    EXPECT_FALSE(loaded->IsReminderRunning());
    EXPECT_TRUE(loaded->IsModified());

    // The store hands the handler over after the load; the cleared record is reported then.
    CRecordingHandler handler;
    loaded->SetEventHandler(&handler);
    Pump(20);
    EXPECT_EQ(handler.Changed.size(), 1u);
    EXPECT_FALSE(loaded->IsModified());
    EXPECT_EQ(loaded->Serialize().find("InformProperty"), std::string::npos);
    loaded->Dispose();
}

TEST_F(NoteReminderTest, PassedDailyReminderMovesOnSilentlyAndBrokenRecordsAreRepaired) {
    InformProperty daily;
    daily.Enabled = 1;
    daily.ByDate = 1;
    daily.Repeat = 1;
    daily.Cycle = 3;
    daily.FireTime = LocalTime(2030, 6, 12, 9, 0);
    daily.StartTime = LocalTime(2030, 6, 11, 9, 0);
    m_dlg->SetInform(daily);
    EXPECT_EQ(m_dlg->GetInform().FireTime, LocalTime(2030, 6, 16, 9, 0));
    EXPECT_EQ(m_dlg->GetInform().StartTime, LocalTime(2030, 6, 15, 9, 0));
    EXPECT_TRUE(m_dlg->IsReminderRunning());
    EXPECT_EQ(m_dlg->findChild<QMessageBox*>(), nullptr);
    EXPECT_EQ(m_handler.Changed.size(), 1u);

    // A repeating ByTime record without a period would loop: it fires once instead.
    InformProperty broken;
    broken.Enabled = 1;
    broken.ByTime = 1;
    broken.Repeat = 1;
    broken.FireTime = m_now + 60;
    broken.StartTime = m_now + 60;
    m_dlg->SetInform(broken);
    EXPECT_EQ(m_dlg->GetInform().Repeat, 0);
    EXPECT_TRUE(m_dlg->IsReminderRunning());
    EXPECT_EQ(m_handler.Changed.size(), 2u);
}

TEST_F(NoteReminderTest, PropertyDialogOkAppliesSheetTitleAndReminder) {
    modalrun::SetHook([](QDialog& dialog) {
        auto* property = dynamic_cast<CPropertyDlg*>(&dialog);
        EXPECT_NE(property, nullptr);
        if (property == nullptr)
            return int(QDialog::Rejected);
        qobject_cast<QLineEdit*>(property->Control(CPropertyDlg::kIdTitle))->setText(QStringLiteral("Call Bob"));
        qobject_cast<QCheckBox*>(property->Control(CPropertyDlg::kIdTopWindow))->setChecked(true);
        qobject_cast<QCheckBox*>(property->Control(CPropertyDlg::kIdReadOnly))->setChecked(true);
        qobject_cast<QCheckBox*>(property->Control(CPropertyDlg::kIdNotify))->click();
        qobject_cast<QRadioButton*>(property->Control(CPropertyDlg::kIdTime))->click();
        qobject_cast<QLineEdit*>(property->Control(CPropertyDlg::kIdMinutes))->setText(QStringLiteral("5"));
        property->accept();
        return property->result();
    });
    m_dlg->RunCommand(CMessageDlg::kCmdProperty);
    EXPECT_STREQ(m_dlg->GetSheet().Title, "Call Bob");
    EXPECT_EQ(m_handler.Titles, (std::vector<std::pair<int, std::string>>{{kId, "Call Bob"}}));
    EXPECT_EQ(m_dlg->GetSheet().TopWindow, 1);
    EXPECT_TRUE(m_dlg->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(m_dlg->Editor()->isReadOnly());
    EXPECT_EQ(m_dlg->GetInform().Enabled, 1);
    EXPECT_EQ(m_dlg->GetInform().FireTime, m_now + 300);
    EXPECT_TRUE(m_dlg->IsReminderRunning());
    EXPECT_EQ(m_handler.Changed, std::vector<int>{kId});

    // Cancel touches nothing.
    m_handler.Clear();
    modalrun::SetHook([](QDialog&) { return int(QDialog::Rejected); });
    m_dlg->RunCommand(CMessageDlg::kCmdProperty);
    EXPECT_TRUE(m_handler.Changed.empty());
    EXPECT_EQ(m_dlg->GetInform().FireTime, m_now + 300);
}

TEST_F(NoteReminderTest, FontDialogChangesTheNoteOrOnlyTheSelection) {
    m_dlg->SetBody("hello world", BodyFormat::PlainText);
    FontProperty font = m_dlg->GetFont();
    font.Flags = kFontEmboss;
    m_dlg->SetFont(font);
    Pump(20);
    m_handler.Clear();
    FontProperty seen;
    modalrun::SetHook([&seen](QDialog& dialog) {
        auto* fontDlg = dynamic_cast<CFontDlg*>(&dialog);
        if (fontDlg == nullptr)
            return int(QDialog::Rejected);
        seen = fontDlg->GetFont();
        qobject_cast<QCheckBox*>(fontDlg->Control(CFontDlg::kIdBold))->setChecked(true);
        qobject_cast<QLineEdit*>(fontDlg->Control(CFontDlg::kIdSize))->setText(QStringLiteral("14"));
        fontDlg->accept();
        return int(QDialog::Accepted);
    });
    // No selection: the whole note; emboss is dropped.
    m_dlg->RunCommand(CMessageDlg::kCmdFont);
    EXPECT_EQ(seen.Flags, kFontEmboss);
    EXPECT_EQ(m_dlg->GetFont().Flags, kFontBold);
    EXPECT_EQ(m_dlg->GetFont().Size, 14);
    EXPECT_EQ(m_handler.Changed, std::vector<int>{kId});

    // A selection: only its characters change, and the background.
    m_handler.Clear();
    font = m_dlg->GetFont();
    font.Flags = 0;
    font.Size = 9;
    m_dlg->SetFont(font);
    m_dlg->SelectRange(0, 5);
    modalrun::SetHook([&seen](QDialog& dialog) {
        auto* fontDlg = dynamic_cast<CFontDlg*>(&dialog);
        if (fontDlg == nullptr)
            return int(QDialog::Rejected);
        seen = fontDlg->GetFont();
        qobject_cast<QCheckBox*>(fontDlg->Control(CFontDlg::kIdItalic))->setChecked(true);
        fontDlg->BackgroundButton()->SetColor(0x00112233);
        fontDlg->accept();
        return int(QDialog::Accepted);
    });
    m_dlg->RunCommand(CMessageDlg::kCmdFont);
    EXPECT_EQ(seen.Size, 9);
    EXPECT_EQ(m_dlg->GetFont().Flags, 0);
    EXPECT_EQ(m_dlg->GetFont().BackgroundColor, 0x00112233u);
    const CStyledText text = richtext::FromDocument(*m_dlg->Editor()->document(), m_dlg->DefaultFormat());
    ASSERT_EQ(text.Paragraphs().size(), 1u);
    const auto& runs = text.Paragraphs()[0].Runs;
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].Text, "hello");
    EXPECT_TRUE(runs[0].Format.Italic);
    EXPECT_FALSE(runs[1].Format.Italic);
    EXPECT_FALSE(m_handler.Changed.empty());
}

} // namespace
