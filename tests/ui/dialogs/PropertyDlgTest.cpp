#include "ui/dialogs/PropertyDlg.h"

#include "DialogTestSupport.h"
#include "core/note/ReminderInput.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::int64_t LocalTime(int year, int month, int day, int hour, int minute) {
    return reminder::DateFireTime({year, month, day, hour, minute});
}

class PropertyDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_now = LocalTime(2030, 6, 15, 10, 2);
        uiclock::Set([this] { return m_now; });
    }

    template <class T> T* Get(CPropertyDlg& dialog, int id) {
        auto* widget = qobject_cast<T*>(dialog.Control(id));
        EXPECT_NE(widget, nullptr) << id;
        return widget;
    }

    // The year edit and the selected texts of the month, day, hour and minute lists.
    QStringList DateShown(CPropertyDlg& dialog) {
        return {Get<QLineEdit>(dialog, CPropertyDlg::kIdYear)->text(),
                Get<QComboBox>(dialog, CPropertyDlg::kIdMonth)->currentText(),
                Get<QComboBox>(dialog, CPropertyDlg::kIdDay)->currentText(),
                Get<QComboBox>(dialog, CPropertyDlg::kIdHour)->currentText(),
                Get<QComboBox>(dialog, CPropertyDlg::kIdMinute)->currentText()};
    }

    CDialogSeams m_seams;
    std::int64_t m_now = 0;
};

TEST_F(PropertyDlgTest, EnablingFollowsNotifyDateTimeAndRepeat) {
    CPropertyDlg dialog(SheetProperty{}, InformProperty{});
    const int reminderControls[] = {CPropertyDlg::kIdDate,     CPropertyDlg::kIdTime,    CPropertyDlg::kIdYear,
                                    CPropertyDlg::kIdMonth,    CPropertyDlg::kIdDay,     CPropertyDlg::kIdHour,
                                    CPropertyDlg::kIdMinute,   CPropertyDlg::kIdMinutes, CPropertyDlg::kIdRepeat,
                                    CPropertyDlg::kIdMonthly,  CPropertyDlg::kIdWeekly,  CPropertyDlg::kIdDaily,
                                    CPropertyDlg::kIdHourly,   CPropertyDlg::kIdInform,  CPropertyDlg::kIdSound,
                                    CPropertyDlg::kIdWaveFile, CPropertyDlg::kIdTopmost};
    for (const int id : reminderControls)
        EXPECT_FALSE(dialog.Control(id)->isEnabled()) << id;
    EXPECT_FALSE(dialog.Control(CPropertyDlg::kYearLabel)->isEnabled());
    EXPECT_TRUE(dialog.Control(CPropertyDlg::kIdTitle)->isEnabled());
    // A new note's defaults: sound and top-most on.
    EXPECT_TRUE(Get<QCheckBox>(dialog, CPropertyDlg::kIdSound)->isChecked());
    EXPECT_TRUE(Get<QCheckBox>(dialog, CPropertyDlg::kIdTopmost)->isChecked());

    Get<QCheckBox>(dialog, CPropertyDlg::kIdNotify)->click();
    for (const int id : {CPropertyDlg::kIdDate, CPropertyDlg::kIdTime, CPropertyDlg::kIdRepeat, CPropertyDlg::kIdInform,
                         CPropertyDlg::kIdSound, CPropertyDlg::kIdWaveFile, CPropertyDlg::kIdTopmost})
        EXPECT_TRUE(dialog.Control(id)->isEnabled()) << id;
    for (const int id :
         {CPropertyDlg::kIdYear, CPropertyDlg::kIdMonth, CPropertyDlg::kIdMinutes, CPropertyDlg::kIdMonthly})
        EXPECT_FALSE(dialog.Control(id)->isEnabled()) << id;

    Get<QRadioButton>(dialog, CPropertyDlg::kIdDate)->click();
    EXPECT_TRUE(dialog.Control(CPropertyDlg::kIdYear)->isEnabled());
    EXPECT_TRUE(dialog.Control(CPropertyDlg::kIdMinute)->isEnabled());
    EXPECT_TRUE(dialog.Control(CPropertyDlg::kMinuteLabel)->isEnabled());
    EXPECT_FALSE(dialog.Control(CPropertyDlg::kIdMinutes)->isEnabled());
    EXPECT_FALSE(dialog.Control(CPropertyDlg::kMinutesLabel)->isEnabled());
    EXPECT_FALSE(dialog.Control(CPropertyDlg::kIdDaily)->isEnabled());
    Get<QCheckBox>(dialog, CPropertyDlg::kIdRepeat)->click();
    EXPECT_TRUE(dialog.Control(CPropertyDlg::kIdDaily)->isEnabled());

    Get<QRadioButton>(dialog, CPropertyDlg::kIdTime)->click();
    EXPECT_TRUE(dialog.Control(CPropertyDlg::kIdMinutes)->isEnabled());
    EXPECT_FALSE(dialog.Control(CPropertyDlg::kIdYear)->isEnabled());
    EXPECT_FALSE(dialog.Control(CPropertyDlg::kIdDaily)->isEnabled());

    Get<QCheckBox>(dialog, CPropertyDlg::kIdNotify)->click();
    EXPECT_FALSE(dialog.Control(CPropertyDlg::kIdMinutes)->isEnabled());
    EXPECT_FALSE(dialog.Control(CPropertyDlg::kIdWaveFile)->isEnabled());
}

TEST_F(PropertyDlgTest, DateAndTimePrefillEachOther) {
    CPropertyDlg dialog(SheetProperty{}, InformProperty{});
    Get<QCheckBox>(dialog, CPropertyDlg::kIdNotify)->click();
    auto* date = Get<QRadioButton>(dialog, CPropertyDlg::kIdDate);
    auto* time = Get<QRadioButton>(dialog, CPropertyDlg::kIdTime);

    date->click(); // 10:02, empty minutes
    EXPECT_EQ(DateShown(dialog), (QStringList{"2030", "6", "15", "10", "5"}));

    m_now = LocalTime(2030, 6, 15, 10, 56);
    time->click(); // from the date controls: 10:05 is 51 minutes ago
    EXPECT_EQ(Get<QLineEdit>(dialog, CPropertyDlg::kIdMinutes)->text(), QStringLiteral("-51"));
    Get<QLineEdit>(dialog, CPropertyDlg::kIdMinutes)->clear();
    date->click();
    EXPECT_EQ(DateShown(dialog), (QStringList{"2030", "6", "15", "11", "0"}));

    // 23:57 becomes 0:00 of the next day: no hour entry for 0.
    m_now = LocalTime(2030, 6, 30, 23, 57);
    time->click();
    Get<QLineEdit>(dialog, CPropertyDlg::kIdMinutes)->clear();
    date->click();
    EXPECT_EQ(DateShown(dialog), (QStringList{"2030", "7", "1", "", "0"}));

    // Minutes ahead are added before rounding.
    m_now = LocalTime(2030, 6, 15, 10, 2);
    time->click();
    Get<QLineEdit>(dialog, CPropertyDlg::kIdMinutes)->setText(QStringLiteral("90"));
    date->click();
    EXPECT_EQ(DateShown(dialog), (QStringList{"2030", "6", "15", "11", "35"}));
    time->click();
    EXPECT_EQ(Get<QLineEdit>(dialog, CPropertyDlg::kIdMinutes)->text(), QStringLiteral("93"));
}

TEST_F(PropertyDlgTest, OpensFromTheRecordsAndOkBuildsThem) {
    SheetProperty sheet;
    std::strcpy(sheet.Title, "Meeting");
    sheet.TopWindow = 1;
    sheet.MoveBar = 0;
    sheet.Hidden = 1;
    InformProperty inform;
    inform.Enabled = 1;
    inform.ByDate = 1;
    inform.Repeat = 1;
    inform.Cycle = 2;
    inform.FireTime = LocalTime(2030, 6, 20, 0, 15);
    std::strcpy(inform.WavePath, "/home/u/sounds/bell.wav");
    CPropertyDlg dialog(sheet, inform);
    EXPECT_EQ(Get<QLineEdit>(dialog, CPropertyDlg::kIdTitle)->text(), QStringLiteral("Meeting"));
    EXPECT_TRUE(Get<QCheckBox>(dialog, CPropertyDlg::kIdTopWindow)->isChecked());
    EXPECT_FALSE(Get<QCheckBox>(dialog, CPropertyDlg::kIdMoveBar)->isChecked());
    EXPECT_TRUE(Get<QRadioButton>(dialog, CPropertyDlg::kIdWeekly)->isChecked());
    EXPECT_TRUE(dialog.Control(CPropertyDlg::kIdWeekly)->isEnabled());
    // 0:15 has no hour entry and 15 is a minute entry.
    EXPECT_EQ(DateShown(dialog), (QStringList{"2030", "6", "20", "", "15"}));
    EXPECT_EQ(Get<QPushButton>(dialog, CPropertyDlg::kIdWaveFile)->text(), QStringLiteral("bell.wav"));

    dialog.accept();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.GetInform().FireTime, LocalTime(2030, 6, 20, 0, 15)); // hour 0 kept
    EXPECT_EQ(dialog.GetInform().StartTime, m_now);
    EXPECT_EQ(dialog.GetInform().Cycle, 2);
    EXPECT_STREQ(dialog.GetInform().WavePath, "/home/u/sounds/bell.wav");
    EXPECT_EQ(dialog.GetSheet().Hidden, 1);
    EXPECT_EQ(dialog.GetSheet().TopWindow, 1);

    // Hour "24" of day 30 is 0:00 of the next day.
    CPropertyDlg other(sheet, inform);
    Get<QComboBox>(other, CPropertyDlg::kIdHour)->setCurrentText(QStringLiteral("24"));
    Get<QComboBox>(other, CPropertyDlg::kIdDay)->setCurrentText(QStringLiteral("30"));
    other.accept();
    EXPECT_EQ(other.GetInform().FireTime, LocalTime(2030, 7, 1, 0, 15));
}

TEST_F(PropertyDlgTest, NotifyOffRemovesTheReminderAndBadInputIsRefused) {
    InformProperty inform;
    inform.Enabled = 1;
    inform.ByTime = 1;
    inform.FireTime = m_now + 600;
    inform.StartTime = m_now;
    {
        CPropertyDlg dialog(SheetProperty{}, inform);
        EXPECT_EQ(Get<QLineEdit>(dialog, CPropertyDlg::kIdMinutes)->text(), QStringLiteral("10"));
        Get<QCheckBox>(dialog, CPropertyDlg::kIdNotify)->click();
        dialog.accept();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.GetInform().Enabled, 0);
        EXPECT_EQ(dialog.GetInform().FireTime, 0);
        EXPECT_EQ(dialog.GetInform().StartTime, 0);
    }

    std::vector<QString> shown;
    modalrun::SetHook([&shown](QDialog& box) {
        if (auto* message = qobject_cast<QMessageBox*>(&box))
            shown.push_back(message->text());
        return int(QMessageBox::Ok);
    });
    CPropertyDlg dialog(SheetProperty{}, InformProperty{});
    dialog.setResult(-1);
    Get<QCheckBox>(dialog, CPropertyDlg::kIdNotify)->click();
    dialog.accept(); // neither Date nor Time
    Get<QRadioButton>(dialog, CPropertyDlg::kIdDate)->click();
    Get<QCheckBox>(dialog, CPropertyDlg::kIdRepeat)->click();
    dialog.accept(); // date, repeat, no cycle
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1], QStringLiteral("You should choose one of Repeate Cycle when you choose a mode date for "
                                       "Repeate Timer."));
    EXPECT_EQ(dialog.result(), -1);
    Get<QRadioButton>(dialog, CPropertyDlg::kIdTime)->click();
    Get<QLineEdit>(dialog, CPropertyDlg::kIdMinutes)->setText(QStringLiteral("0"));
    dialog.accept(); // repeating with no period
    EXPECT_EQ(shown.size(), 3u);
    EXPECT_EQ(dialog.result(), -1);
    Get<QLineEdit>(dialog, CPropertyDlg::kIdMinutes)->setText(QStringLiteral("30"));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.GetInform().FireTime - dialog.GetInform().StartTime, 1800);
}

TEST_F(PropertyDlgTest, TitleKeeps255BytesWithoutSplittingCharacters) {
    CPropertyDlg dialog(SheetProperty{}, InformProperty{});
    auto* title = Get<QLineEdit>(dialog, CPropertyDlg::kIdTitle);
    title->setText(QString(300, QLatin1Char('a')));
    EXPECT_EQ(title->text().size(), 255);
    // 85 three-byte characters are 255 bytes; one more would cut the 86th.
    title->setText(QString(86, QChar(0x3042)));
    EXPECT_EQ(title->text().toUtf8().size(), 255);
    dialog.accept();
    EXPECT_EQ(std::strlen(dialog.GetSheet().Title), 255u);
}

TEST_F(PropertyDlgTest, ChosenWaveFileIsShownPreviewedAndStored) {
    modalrun::SetHook([](QDialog& dialog) {
        auto* chooser = qobject_cast<QFileDialog*>(&dialog);
        if (chooser == nullptr)
            return int(QDialog::Rejected);
        chooser->setOption(QFileDialog::DontUseNativeDialog);
        chooser->setFileMode(QFileDialog::AnyFile);
        chooser->selectFile(QStringLiteral("/tmp/quillet-test-chime.wav"));
        return int(QDialog::Accepted);
    });
    CPropertyDlg dialog(SheetProperty{}, InformProperty{});
    EXPECT_TRUE(dialog.ChosenPath().isEmpty());
    dialog.ChooseWaveFile();
    EXPECT_EQ(dialog.ChosenPath(), QStringLiteral("/tmp/quillet-test-chime.wav"));
    EXPECT_EQ(Get<QPushButton>(dialog, CPropertyDlg::kIdWaveFile)->text(), QStringLiteral("quillet-test-chime.wav"));
    EXPECT_EQ(m_seams.Sound.Played, std::vector<std::string>{"/tmp/quillet-test-chime.wav"});
    dialog.accept();
    EXPECT_STREQ(dialog.GetInform().WavePath, "/tmp/quillet-test-chime.wav");
}

} // namespace
