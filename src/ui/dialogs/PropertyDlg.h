#pragma once

#include "core/base/Properties.h"

#include <QDialog>
#include <QString>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The note property dialog: the note's title and display flags and its
// reminder. Works on copies of the note's SheetProperty and InformProperty;
// the caller reads them back after OK.
class CPropertyDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kIdTitle = 1032;
    static constexpr int kIdTopWindow = 1004;
    static constexpr int kIdAutoResize = 1009;
    static constexpr int kIdMoveBar = 1034;
    static constexpr int kIdReadOnly = 1143;
    static constexpr int kIdNotify = 1011;
    static constexpr int kIdDate = 1012;
    static constexpr int kIdTime = 1013;
    static constexpr int kIdYear = 1015;
    static constexpr int kIdMonth = 1016;
    static constexpr int kIdDay = 1017;
    static constexpr int kIdHour = 1018;
    static constexpr int kIdMinute = 1019;
    static constexpr int kIdMinutes = 1014;
    static constexpr int kIdRepeat = 1124;
    static constexpr int kIdMonthly = 1126;
    static constexpr int kIdWeekly = 1121;
    static constexpr int kIdDaily = 1122;
    static constexpr int kIdHourly = 1123;
    static constexpr int kIdInform = 1023;
    static constexpr int kIdSound = 1020;
    static constexpr int kIdWaveFile = 1022;
    static constexpr int kIdTopmost = 1021;
    // Object names of the unit labels beside the date and time fields.
    static constexpr const char* kYearLabel = "YearLabel";
    static constexpr const char* kMonthLabel = "MonthLabel";
    static constexpr const char* kDayLabel = "DayLabel";
    static constexpr const char* kHourLabel = "HourLabel";
    static constexpr const char* kMinuteLabel = "MinuteLabel";
    static constexpr const char* kMinutesLabel = "MinutesLabel";

    // The title holds at most this many bytes of UTF-8.
    static constexpr int kMaxTitleBytes = 255;

    CPropertyDlg(const SheetProperty& sheet, const InformProperty& inform, QWidget* parent = nullptr);

    const SheetProperty& GetSheet() const { return m_sheet; }
    const InformProperty& GetInform() const { return m_inform; }
    // The WAV file picked in the dialog, or the record's.
    const QString& ChosenPath() const { return m_chosenPath; }

    // A control by its id, or a unit label by its object name.
    QWidget* Control(int id) const;
    QWidget* Control(const char* name) const;

    // The handlers of the buttons, as a click runs them.
    void ClickNotify();
    void ClickDate();
    void ClickTime();
    void ClickRepeat();
    void ChooseWaveFile();

    void accept() override;

private:
    void ApplyEnabling();
    void ShowFireDate(std::int64_t fireTime);
    void SelectEntry(QComboBox* list, int index);
    std::int64_t MinutesField() const;
    void LimitTitle();

    SheetProperty m_sheet;
    InformProperty m_inform;
    QString m_chosenPath;
    // The minutes edit as opening filled it: the same text on OK means untouched.
    QString m_openedMinutes;

    QLineEdit* m_title = nullptr;
    QCheckBox* m_topWindow = nullptr;
    QCheckBox* m_autoResize = nullptr;
    QCheckBox* m_moveBar = nullptr;
    QCheckBox* m_readOnly = nullptr;
    QCheckBox* m_notify = nullptr;
    QRadioButton* m_date = nullptr;
    QRadioButton* m_time = nullptr;
    QLineEdit* m_year = nullptr;
    QComboBox* m_month = nullptr;
    QComboBox* m_day = nullptr;
    QComboBox* m_hour = nullptr;
    QComboBox* m_minute = nullptr;
    QLineEdit* m_minutes = nullptr;
    QCheckBox* m_repeat = nullptr;
    QRadioButton* m_monthly = nullptr;
    QRadioButton* m_weekly = nullptr;
    QRadioButton* m_daily = nullptr;
    QRadioButton* m_hourly = nullptr;
    QLabel* m_informLabel = nullptr;
    QCheckBox* m_sound = nullptr;
    QPushButton* m_waveFile = nullptr;
    QCheckBox* m_topmost = nullptr;
    QLabel* m_unitLabels[6] = {};
};
