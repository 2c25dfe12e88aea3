#include "ui/net/AccessLimitDlg.h"

#include "core/base/FieldText.h"
#include "ui/common/ModalRun.h"
#include "ui/net/NetInfoDlg.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QStringList RowTexts(const NetworkInfo& info) {
    return {QString::fromStdString(std::string(FieldText(info.Network))),
            QString::fromStdString(std::string(FieldText(info.Mask)))};
}

} // namespace

CAccessLimitDlg::CAccessLimitDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("accessLimitDialog"));
    setWindowTitle(tr("Access limitation"));

    auto* intro = new QLabel(tr("A connection from all computer is"), this);
    m_allowed = new QRadioButton(tr("Allowed(&P)"), this);
    m_denied = new QRadioButton(tr("Denied(&R)"), this);
    auto* group = new QButtonGroup(this);
    group->addButton(m_allowed);
    group->addButton(m_denied);
    m_allowed->setChecked(true);
    auto* except = new QLabel(tr("except below"), this);

    m_view = new QTreeWidget(this);
    m_view->setRootIsDecorated(false);
    m_view->setItemsExpandable(false);
    m_view->setAllColumnsShowFocus(true);
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSortingEnabled(false);
    m_view->setHeaderLabels({tr("IP address"), tr("Net mask")});
    m_view->header()->setSectionsClickable(false);
    m_view->setColumnWidth(kNetworkColumn, 140);
    m_view->setColumnWidth(kMaskColumn, 130);
    m_view->setMinimumWidth(140 + 130 + 8);

    m_add = new QPushButton(tr("Add(&A)..."), this);
    m_edit = new QPushButton(tr("Edit(&E)..."), this);
    m_delete = new QPushButton(tr("Delete(&D)"), this);
    for (QPushButton* button : {m_add, m_edit, m_delete})
        button->setAutoDefault(false);
    m_edit->setEnabled(false);
    m_delete->setEnabled(false);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(tr("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    ok->setDefault(true);

    auto* radios = new QHBoxLayout;
    radios->addWidget(m_allowed);
    radios->addWidget(m_denied);
    radios->addWidget(except);
    radios->addStretch(1);
    auto* side = new QVBoxLayout;
    side->addWidget(m_add);
    side->addWidget(m_edit);
    side->addWidget(m_delete);
    side->addStretch(1);
    auto* middle = new QHBoxLayout;
    middle->addWidget(m_view, 1);
    middle->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(radios);
    layout->addLayout(middle, 1);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_add, &QPushButton::clicked, this, &CAccessLimitDlg::Add);
    connect(m_edit, &QPushButton::clicked, this, &CAccessLimitDlg::Edit);
    connect(m_delete, &QPushButton::clicked, this, &CAccessLimitDlg::Delete);
    connect(m_view, &QTreeWidget::itemSelectionChanged, this, &CAccessLimitDlg::UpdateButtons);
    connect(m_view, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem*, int) { Edit(); });
}

void CAccessLimitDlg::SetAccess(int allowAll, const std::vector<NetworkInfo>& list) {
    m_allowAll = allowAll;
    m_list = list;
    (allowAll == 1 ? m_allowed : m_denied)->setChecked(true);
    m_view->clear();
    for (const NetworkInfo& info : m_list)
        m_view->addTopLevelItem(new QTreeWidgetItem(RowTexts(info)));
    UpdateButtons();
}

void CAccessLimitDlg::Add() {
    CNetInfoDlg dialog(this);
    if (modalrun::Exec(dialog) != QDialog::Accepted)
        return;
    m_list.push_back(dialog.Info());
    m_view->addTopLevelItem(new QTreeWidgetItem(RowTexts(dialog.Info())));
}

void CAccessLimitDlg::Edit() {
    const int row = FirstSelectedRow();
    if (row < 0)
        return;
    CNetInfoDlg dialog(this);
    dialog.SetInfo(m_list[row]);
    if (modalrun::Exec(dialog) != QDialog::Accepted)
        return;
    // Whatever ran meanwhile must not make the row index dangle.
    if (row >= static_cast<int>(m_list.size()))
        return;
    m_list[row] = dialog.Info();
    const QStringList texts = RowTexts(m_list[row]);
    QTreeWidgetItem* item = m_view->topLevelItem(row);
    item->setText(kNetworkColumn, texts[0]);
    item->setText(kMaskColumn, texts[1]);
}

void CAccessLimitDlg::Delete() {
    const int row = FirstSelectedRow();
    if (row < 0)
        return;
    m_list.erase(m_list.begin() + row);
    delete m_view->takeTopLevelItem(row);
    m_view->clearSelection();
    m_edit->setEnabled(false);
    m_delete->setEnabled(false);
}

void CAccessLimitDlg::accept() {
    m_allowAll = m_allowed->isChecked() ? 1 : 0;
    QDialog::accept();
}

int CAccessLimitDlg::FirstSelectedRow() const {
    for (int row = 0; row < m_view->topLevelItemCount(); ++row) {
        if (m_view->topLevelItem(row)->isSelected())
            return row;
    }
    return -1;
}

void CAccessLimitDlg::UpdateButtons() {
    const bool selected = FirstSelectedRow() >= 0;
    m_edit->setEnabled(selected);
    m_delete->setEnabled(selected);
}
