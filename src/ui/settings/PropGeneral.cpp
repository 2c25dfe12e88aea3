#include "ui/settings/PropGeneral.h"

#include "core/base/FieldText.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

CPropGeneral::FolderChooser& Chooser() {
    static CPropGeneral::FolderChooser chooser;
    return chooser;
}

template <class T> T* Named(T* widget, int id) {
    widget->setObjectName(QString::number(id));
    return widget;
}

} // namespace

void CPropGeneral::SetFolderChooser(FolderChooser chooser) {
    Chooser() = std::move(chooser);
}

CPropGeneral::CPropGeneral(QWidget* parent) : CPropPage(parent) {
    m_startup = Named(new QCheckBox(tr("Register startup(&S)"), this), kIdStartup);
    m_savePath = Named(new QLineEdit(this), kIdSavePath);
    LimitBytes(m_savePath, kMaxSavePathBytes);
    m_browse = Named(new QPushButton(tr("..."), this), kIdBrowse);
    m_browse->setMaximumWidth(m_browse->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 24);
    connect(m_browse, &QPushButton::clicked, this, &CPropGeneral::Browse);
    m_outOfWindow = Named(new QCheckBox(tr("Don't relocate messages when startup (&J)"), this), kIdOutOfWindow);

    auto* sortRule = new QGroupBox(tr("Sort rule"), this);
    m_ascend = Named(new QRadioButton(tr("Ascend(&A)"), sortRule), kIdAscend);
    m_descend = Named(new QRadioButton(tr("Decende(&D)"), sortRule), kIdDescend);
    m_date = Named(new QRadioButton(tr("Date(&C)"), sortRule), kIdDate);
    m_title = Named(new QRadioButton(tr("Title(&T)"), sortRule), kIdTitle);
    m_group = Named(new QCheckBox(tr("Group(&G)"), sortRule), kIdGroup);
    // Two independent pairs of radio buttons in one box.
    auto* direction = new QButtonGroup(this);
    direction->addButton(m_ascend);
    direction->addButton(m_descend);
    auto* key = new QButtonGroup(this);
    key->addButton(m_date);
    key->addButton(m_title);
    auto* sortLayout = new QGridLayout(sortRule);
    sortLayout->addWidget(m_ascend, 0, 0);
    sortLayout->addWidget(m_descend, 0, 1);
    sortLayout->addWidget(m_date, 1, 0);
    sortLayout->addWidget(m_title, 1, 1);
    sortLayout->addWidget(m_group, 2, 0);
    sortLayout->setColumnStretch(2, 1);

    m_gap = Named(new QSpinBox(this), kIdGap);
    m_gap->setRange(0, kMaxGap);
    auto* gapLabel = new QLabel(tr("Message gap(&I)"), this);
    gapLabel->setBuddy(m_gap);
    auto* pathLabel = new QLabel(tr("Save folder(&P)"), this);
    pathLabel->setBuddy(m_savePath);

    auto* path = new QHBoxLayout;
    path->addWidget(m_savePath, 1);
    path->addWidget(m_browse);
    auto* gap = new QHBoxLayout;
    gap->addWidget(gapLabel);
    gap->addWidget(m_gap);
    gap->addWidget(new QLabel(tr("pixels"), this));
    gap->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_startup);
    layout->addWidget(pathLabel);
    layout->addLayout(path);
    layout->addWidget(m_outOfWindow);
    layout->addWidget(sortRule);
    layout->addLayout(gap);
    layout->addStretch(1);
}

void CPropGeneral::SetProperty(const ApplicationProperty& property) {
    m_property = property;
    Refresh();
}

void CPropGeneral::OnInitDialog() {
    m_startup->setChecked(m_property.EnableStartup == 1);
    m_savePath->setText(FromField(FieldText(m_property.SavePath)));
    m_outOfWindow->setChecked(m_property.EnableOutOfWindow == 1);
    const int order = m_property.OrderFlag;
    ((order & kOrderAscend) != 0 ? m_ascend : m_descend)->setChecked(true);
    ((order & kOrderDate) != 0 ? m_date : m_title)->setChecked(true);
    m_group->setChecked((order & kOrderGroup) != 0);
    m_gap->setValue(m_property.MessageGap);
}

void CPropGeneral::OnApply() {
    m_property.EnableStartup = m_startup->isChecked() ? 1 : 0;
    CopyField(m_property.SavePath, m_savePath->text().toStdString());
    m_property.MessageGap = m_gap->value();
    m_property.EnableOutOfWindow = m_outOfWindow->isChecked() ? 1 : 0;
    m_property.OrderFlag = (m_ascend->isChecked() ? kOrderAscend : 0) + (m_date->isChecked() ? kOrderDate : 0) +
                           (m_title->isChecked() ? kOrderTitle : 0) + (m_group->isChecked() ? kOrderGroup : 0);
}

void CPropGeneral::Browse() {
    // The browser is titled with string 57667.
    const QString title = tr("Save folder");
    QString folder;
    if (Chooser())
        folder = Chooser()(this, title, m_savePath->text());
    else
        folder = QFileDialog::getExistingDirectory(this, title, m_savePath->text(), QFileDialog::ShowDirsOnly);
    if (folder.isEmpty())
        return;
    // A cut path would name another folder: one that does not fit is not taken.
    if (folder.toUtf8().size() > kMaxSavePathBytes) {
        QApplication::beep();
        return;
    }
    m_savePath->setText(folder);
}
