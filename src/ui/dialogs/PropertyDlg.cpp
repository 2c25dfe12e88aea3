#include "ui/dialogs/PropertyDlg.h"

#include "core/base/FieldText.h"
#include "core/base/Strings.h"
#include "core/note/ReminderInput.h"
#include "core/note/ReminderSchedule.h"
#include "ui/common/Clock.h"
#include "ui/common/ModalRun.h"
#include "ui/common/SoundPort.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QComboBox* NumberList(int first, int last, int step, int id, QWidget* parent) {
    auto* list = new QComboBox(parent);
    list->setObjectName(QString::number(id));
    for (int value = first; value <= last; value += step)
        list->addItem(QString::number(value));
    list->setCurrentIndex(-1);
    return list;
}

// The number a field holds: its leading digits (a sign first where allowed), 0 for none.
std::int64_t NumberOf(const QString& text) {
    return ParseDecimal64(text.toStdString().c_str());
}

} // namespace

CPropertyDlg::CPropertyDlg(const SheetProperty& sheet, const InformProperty& inform, QWidget* parent)
    : QDialog(parent), m_sheet(sheet), m_inform(inform) {
    setWindowTitle(tr("Property"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    // Message property.
    auto* messageBox = new QGroupBox(tr("Message property"), this);
    m_title = new QLineEdit(messageBox);
    m_title->setObjectName(QString::number(kIdTitle));
    auto* titleLabel = new QLabel(tr("Title(&S)"), messageBox);
    titleLabel->setBuddy(m_title);
    m_topWindow = new QCheckBox(tr("Bringing to front(&T)"), messageBox);
    m_autoResize = new QCheckBox(tr("Auto resize(&A)"), messageBox);
    m_moveBar = new QCheckBox(tr("Show move bar(&B)"), messageBox);
    m_readOnly = new QCheckBox(tr("Read only(&R)"), messageBox);
    m_topWindow->setObjectName(QString::number(kIdTopWindow));
    m_autoResize->setObjectName(QString::number(kIdAutoResize));
    m_moveBar->setObjectName(QString::number(kIdMoveBar));
    m_readOnly->setObjectName(QString::number(kIdReadOnly));
    auto* messageLayout = new QGridLayout(messageBox);
    messageLayout->addWidget(titleLabel, 0, 0);
    messageLayout->addWidget(m_title, 0, 1, 1, 3);
    messageLayout->addWidget(m_topWindow, 1, 0, 1, 2);
    messageLayout->addWidget(m_autoResize, 1, 2, 1, 2);
    messageLayout->addWidget(m_moveBar, 2, 0, 1, 2);
    messageLayout->addWidget(m_readOnly, 2, 2, 1, 2);

    // Reminder.
    m_notify = new QCheckBox(tr("Notify(&N)"), this);
    m_notify->setObjectName(QString::number(kIdNotify));
    m_date = new QRadioButton(tr("Date(&Y)"), this);
    m_time = new QRadioButton(tr("Time(&E)"), this);
    m_date->setObjectName(QString::number(kIdDate));
    m_time->setObjectName(QString::number(kIdTime));
    auto* method = new QButtonGroup(this);
    method->addButton(m_date);
    method->addButton(m_time);

    m_year = new QLineEdit(this);
    m_year->setObjectName(QString::number(kIdYear));
    m_year->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,6}")), m_year));
    m_year->setMaximumWidth(56);
    m_month = NumberList(1, 12, 1, kIdMonth, this);
    m_day = NumberList(1, 31, 1, kIdDay, this);
    m_hour = NumberList(1, 24, 1, kIdHour, this);
    m_minute = NumberList(0, 55, 5, kIdMinute, this);
    m_minutes = new QLineEdit(this);
    m_minutes->setObjectName(QString::number(kIdMinutes));
    // Digits only, as typed; a negative number appears only from the pre-fill.
    m_minutes->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?[0-9]{0,9}")), m_minutes));
    m_minutes->setMaximumWidth(80);

    const char* unitNames[6] = {kYearLabel, kMonthLabel, kDayLabel, kHourLabel, kMinuteLabel, kMinutesLabel};
    const QString unitTexts[6] = {tr("Y"), tr("M"), tr("D"), tr("H"), tr("M", "minute"), tr("Minutes")};
    for (int i = 0; i < 6; ++i) {
        m_unitLabels[i] = new QLabel(unitTexts[i], this);
        m_unitLabels[i]->setObjectName(QString::fromLatin1(unitNames[i]));
    }

    auto* dateRow = new QHBoxLayout;
    dateRow->addWidget(m_year);
    dateRow->addWidget(m_unitLabels[0]);
    dateRow->addWidget(m_month);
    dateRow->addWidget(m_unitLabels[1]);
    dateRow->addWidget(m_day);
    dateRow->addWidget(m_unitLabels[2]);
    dateRow->addWidget(m_hour);
    dateRow->addWidget(m_unitLabels[3]);
    dateRow->addWidget(m_minute);
    dateRow->addWidget(m_unitLabels[4]);
    dateRow->addStretch(1);
    auto* timeRow = new QHBoxLayout;
    timeRow->addWidget(m_minutes);
    timeRow->addWidget(m_unitLabels[5]);
    timeRow->addStretch(1);

    m_repeat = new QCheckBox(tr("Repeate cycle(&C)"), this);
    m_repeat->setObjectName(QString::number(kIdRepeat));
    m_monthly = new QRadioButton(tr("Monthly(&M)"), this);
    m_weekly = new QRadioButton(tr("Weekly(&W)"), this);
    m_daily = new QRadioButton(tr("Dayly(&D)"), this);
    m_hourly = new QRadioButton(tr("Hourly(&H)"), this);
    m_monthly->setObjectName(QString::number(kIdMonthly));
    m_weekly->setObjectName(QString::number(kIdWeekly));
    m_daily->setObjectName(QString::number(kIdDaily));
    m_hourly->setObjectName(QString::number(kIdHourly));
    auto* cycles = new QButtonGroup(this);
    for (QRadioButton* cycle : {m_monthly, m_weekly, m_daily, m_hourly})
        cycles->addButton(cycle);
    auto* cycleRow = new QHBoxLayout;
    cycleRow->addWidget(m_repeat);
    for (QRadioButton* cycle : {m_monthly, m_weekly, m_daily, m_hourly})
        cycleRow->addWidget(cycle);
    cycleRow->addStretch(1);

    m_informLabel = new QLabel(tr("Inform"), this);
    m_informLabel->setObjectName(QString::number(kIdInform));
    m_sound = new QCheckBox(tr("Play sound(&R)"), this);
    m_sound->setObjectName(QString::number(kIdSound));
    m_waveFile = new QPushButton(this);
    m_waveFile->setObjectName(QString::number(kIdWaveFile));
    m_waveFile->setAutoDefault(false);
    m_waveFile->setMinimumWidth(120);
    m_topmost = new QCheckBox(tr("Bring the window top(&O)"), this);
    m_topmost->setObjectName(QString::number(kIdTopmost));
    auto* informRow = new QHBoxLayout;
    informRow->addWidget(m_informLabel);
    informRow->addWidget(m_sound);
    informRow->addWidget(m_waveFile, 1);
    informRow->addWidget(m_topmost);

    auto* reminder = new QGridLayout;
    reminder->addWidget(m_notify, 0, 0, 1, 2);
    reminder->addWidget(m_date, 1, 0);
    reminder->addLayout(dateRow, 1, 1);
    reminder->addWidget(m_time, 2, 0);
    reminder->addLayout(timeRow, 2, 1);
    reminder->addLayout(cycleRow, 3, 0, 1, 2);
    reminder->addLayout(informRow, 4, 0, 1, 2);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(tr("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &CPropertyDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(messageBox);
    layout->addLayout(reminder);
    layout->addWidget(buttons);

    // Opening.
    m_title->setText(
        QString::fromUtf8(FieldText(m_sheet.Title).data(), static_cast<int>(FieldText(m_sheet.Title).size())));
    connect(m_title, &QLineEdit::textChanged, this, &CPropertyDlg::LimitTitle);
    m_topWindow->setChecked(m_sheet.TopWindow == 1);
    m_autoResize->setChecked(m_sheet.AutoResize == 1);
    m_moveBar->setChecked(m_sheet.MoveBar == 1);
    m_readOnly->setChecked(m_sheet.ReadOnly == 1);
    m_notify->setChecked(m_inform.Enabled == 1);
    m_sound->setChecked(m_inform.Sound == 1);
    m_topmost->setChecked(m_inform.Topmost == 1);
    m_repeat->setChecked(m_inform.Repeat == 1);
    m_date->setChecked(m_inform.ByDate == 1);
    m_time->setChecked(m_inform.ByDate != 1 && m_inform.ByTime == 1);
    switch (m_inform.Cycle) {
    case reminder::kCycleMonthly:
        m_monthly->setChecked(true);
        break;
    case reminder::kCycleWeekly:
        m_weekly->setChecked(true);
        break;
    case reminder::kCycleDaily:
        m_daily->setChecked(true);
        break;
    case reminder::kCycleHourly:
        m_hourly->setChecked(true);
        break;
    default:
        break;
    }
    ApplyEnabling();
    if (m_inform.ByDate == 1)
        ShowFireDate(m_inform.FireTime);
    else if (m_inform.ByTime == 1)
        m_minutes->setText(QString::number(reminder::MinutesUntil(m_inform.FireTime, uiclock::Now())));
    m_openedMinutes = m_minutes->text();
    const std::string_view wave = FieldText(m_inform.WavePath);
    if (!wave.empty())
        m_chosenPath = QString::fromUtf8(wave.data(), static_cast<int>(wave.size()));
    m_waveFile->setText(m_chosenPath.isEmpty() ? QStringLiteral("...") : QFileInfo(m_chosenPath).fileName());
    m_waveFile->setToolTip(m_chosenPath);

    connect(m_notify, &QCheckBox::clicked, this, &CPropertyDlg::ClickNotify);
    connect(m_repeat, &QCheckBox::clicked, this, &CPropertyDlg::ClickRepeat);
    connect(m_date, &QRadioButton::clicked, this, &CPropertyDlg::ClickDate);
    connect(m_time, &QRadioButton::clicked, this, &CPropertyDlg::ClickTime);
    connect(m_waveFile, &QPushButton::clicked, this, &CPropertyDlg::ChooseWaveFile);
}

QWidget* CPropertyDlg::Control(int id) const {
    return findChild<QWidget*>(QString::number(id));
}

QWidget* CPropertyDlg::Control(const char* name) const {
    return findChild<QWidget*>(QString::fromLatin1(name));
}

void CPropertyDlg::LimitTitle() {
    const std::string text = m_title->text().toStdString();
    if (text.size() <= static_cast<std::size_t>(kMaxTitleBytes))
        return;
    const std::size_t keep = Utf8PrefixLength(text, kMaxTitleBytes);
    const QSignalBlocker blocker(m_title);
    m_title->setText(QString::fromUtf8(text.data(), static_cast<int>(keep)));
}

void CPropertyDlg::ApplyEnabling() {
    const bool notify = m_notify->isChecked();
    const bool date = notify && m_date->isChecked();
    const bool time = notify && m_time->isChecked();
    const bool cycles = date && m_repeat->isChecked();
    for (QWidget* widget :
         {static_cast<QWidget*>(m_informLabel), static_cast<QWidget*>(m_sound), static_cast<QWidget*>(m_waveFile),
          static_cast<QWidget*>(m_topmost), static_cast<QWidget*>(m_date), static_cast<QWidget*>(m_time),
          static_cast<QWidget*>(m_repeat)})
        widget->setEnabled(notify);
    for (QWidget* widget : {static_cast<QWidget*>(m_year), static_cast<QWidget*>(m_month), static_cast<QWidget*>(m_day),
                            static_cast<QWidget*>(m_hour), static_cast<QWidget*>(m_minute)})
        widget->setEnabled(date);
    for (int i = 0; i < 5; ++i)
        m_unitLabels[i]->setEnabled(date);
    m_minutes->setEnabled(time);
    m_unitLabels[5]->setEnabled(time);
    for (QRadioButton* cycle : {m_monthly, m_weekly, m_daily, m_hourly})
        cycle->setEnabled(cycles);
}

void CPropertyDlg::SelectEntry(QComboBox* list, int index) {
    list->setCurrentIndex(index);
}

void CPropertyDlg::ShowFireDate(std::int64_t fireTime) {
    const auto fields = reminder::LocalFields(fireTime);
    if (!fields)
        return;
    m_year->setText(QString::number(fields->Year));
    SelectEntry(m_month, reminder::MonthEntry(fields->Month));
    SelectEntry(m_day, reminder::DayEntry(fields->Day));
    SelectEntry(m_hour, reminder::HourEntry(fields->Hour));
    SelectEntry(m_minute, reminder::MinuteEntry(fields->Minute));
}

std::int64_t CPropertyDlg::MinutesField() const {
    return NumberOf(m_minutes->text());
}

void CPropertyDlg::ClickNotify() {
    ApplyEnabling();
}

void CPropertyDlg::ClickRepeat() {
    ApplyEnabling();
}

void CPropertyDlg::ClickDate() {
    ApplyEnabling();
    if (!m_date->isChecked())
        return;
    const auto fields = reminder::PrefillDate(uiclock::Now(), MinutesField());
    if (!fields)
        return;
    m_year->setText(QString::number(fields->Year));
    SelectEntry(m_month, reminder::MonthEntry(fields->Month));
    SelectEntry(m_day, reminder::DayEntry(fields->Day));
    SelectEntry(m_hour, reminder::HourEntry(fields->Hour));
    SelectEntry(m_minute, reminder::MinuteEntry(fields->Minute));
}

void CPropertyDlg::ClickTime() {
    ApplyEnabling();
    if (!m_time->isChecked())
        return;
    const std::int64_t year = NumberOf(m_year->text());
    if (year == 0)
        return;
    reminder::DateFields fields;
    fields.Year = static_cast<int>(year);
    fields.Month = static_cast<int>(NumberOf(m_month->currentText()));
    fields.Day = static_cast<int>(NumberOf(m_day->currentText()));
    fields.Hour = static_cast<int>(NumberOf(m_hour->currentText()));
    fields.Minute = static_cast<int>(NumberOf(m_minute->currentText()));
    const std::int64_t fire = reminder::DateFireTime(fields);
    if (fire == reminder::kInvalidTime)
        return;
    m_minutes->setText(QString::number(reminder::MinutesUntil(fire, uiclock::Now())));
}

void CPropertyDlg::ChooseWaveFile() {
    QFileDialog chooser(this);
    chooser.setFileMode(QFileDialog::ExistingFile);
    chooser.setAcceptMode(QFileDialog::AcceptOpen);
    chooser.setNameFilters({tr("Wave Files (*.wav)"), tr("All Files (*)")});
    if (modalrun::Exec(chooser) != QDialog::Accepted)
        return;
    const QStringList files = chooser.selectedFiles();
    if (files.isEmpty() || files.front().isEmpty())
        return;
    const std::string path = files.front().toStdString();
    // The record holds 259 bytes; a longer path could not be stored whole.
    if (path.size() >= sizeof m_inform.WavePath)
        return;
    m_chosenPath = files.front();
    m_waveFile->setText(QFileInfo(m_chosenPath).fileName());
    m_waveFile->setToolTip(m_chosenPath);
    CSoundPort::Default().PlayFile(path);
}

void CPropertyDlg::accept() {
    SheetProperty sheet = m_sheet;
    CopyField(sheet.Title, m_title->text().toStdString());
    sheet.TopWindow = m_topWindow->isChecked() ? 1 : 0;
    sheet.AutoResize = m_autoResize->isChecked() ? 1 : 0;
    sheet.MoveBar = m_moveBar->isChecked() ? 1 : 0;
    sheet.ReadOnly = m_readOnly->isChecked() ? 1 : 0;

    InformProperty inform = m_inform;
    inform.Enabled = m_notify->isChecked() ? 1 : 0;
    inform.ByDate = m_date->isChecked() ? 1 : 0;
    inform.ByTime = m_time->isChecked() ? 1 : 0;
    inform.Sound = m_sound->isChecked() ? 1 : 0;
    inform.Topmost = m_topmost->isChecked() ? 1 : 0;
    inform.Repeat = m_repeat->isChecked() ? 1 : 0;
    inform.Cycle = reminder::kCycleNone;
    if (inform.Repeat == 1) {
        if (m_monthly->isChecked())
            inform.Cycle = reminder::kCycleMonthly;
        else if (m_weekly->isChecked())
            inform.Cycle = reminder::kCycleWeekly;
        else if (m_daily->isChecked())
            inform.Cycle = reminder::kCycleDaily;
        else if (m_hourly->isChecked())
            inform.Cycle = reminder::kCycleHourly;
    }
    if (!m_chosenPath.isEmpty())
        CopyField(inform.WavePath, m_chosenPath.toStdString());

    const std::int64_t now = uiclock::Now();
    if (inform.Enabled != 1) {
        inform.FireTime = 0;
        inform.StartTime = 0;
    } else {
        if (inform.ByDate == 1) {
            reminder::DateFields fields;
            fields.Year = static_cast<int>(std::clamp<std::int64_t>(NumberOf(m_year->text()), 0, 1000000));
            fields.Month = static_cast<int>(NumberOf(m_month->currentText()));
            fields.Day = static_cast<int>(NumberOf(m_day->currentText()));
            fields.Hour = static_cast<int>(NumberOf(m_hour->currentText()));
            fields.Minute = static_cast<int>(NumberOf(m_minute->currentText()));
            inform.FireTime = reminder::DateFireTime(fields);
            inform.StartTime = now;
        } else if (inform.ByTime == 1) {
            reminder::ApplyMinutesEntry(inform, m_inform, m_minutes->text() != m_openedMinutes, MinutesField(), now);
        } else {
            inform.FireTime = reminder::kInvalidTime;
            inform.StartTime = now;
        }
    }

    const reminder::Problem problem = reminder::Validate(inform);
    if (problem != reminder::Problem::None) {
        QString text;
        switch (problem) {
        case reminder::Problem::NoCycle:
            text = tr("You should choose one of Repeate Cycle when you choose a mode date for Repeate Timer.");
            break;
        case reminder::Problem::NoMethod:
            text = tr("Choose Date or Time for the notification.");
            break;
        case reminder::Problem::BadCycle:
            text = tr("The repeat cycle is not valid.");
            break;
        case reminder::Problem::NoPeriod:
            text = tr("A repeating notification needs at least one minute.");
            break;
        default:
            text = tr("The notification time must lie between the years 1 and 9999.");
            break;
        }
        QMessageBox box(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
        modalrun::Exec(box);
        return;
    }
    m_sheet = sheet;
    m_inform = inform;
    QDialog::accept();
}
