#include "ui/net/DestinationList.h"

#include "ui/common/ModalRun.h"
#include "ui/net/HostInfoDlg.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Whether `list` holds the destination, by the send log's own notion of equal.
bool Holds(const CDestInfo& list, const DestEntry& entry) {
    return list.Find(entry.Name, entry.Port) >= 0;
}

} // namespace

CDestinationList::CDestinationList(QWidget* parent) : QWidget(parent) {
    m_view = new QTreeWidget(this);
    m_view->setObjectName(QString::number(kIdList));
    m_view->setColumnCount(2);
    // String ids 57683 and 57684.
    m_view->setHeaderLabels({tr("Destination address"), tr("Destination port number")});
    m_view->setColumnWidth(0, kAddressWidth);
    m_view->setColumnWidth(1, kPortWidth);
    m_view->setRootIsDecorated(false);
    m_view->setItemsExpandable(false);
    m_view->setAllColumnsShowFocus(true);
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->header()->setStretchLastSection(true);

    m_add = new QPushButton(tr("Add(&A)..."), this);
    m_edit = new QPushButton(tr("Edit(&E)..."), this);
    m_delete = new QPushButton(tr("Delete(&D)"), this);
    m_add->setObjectName(QString::number(kIdAdd));
    m_edit->setObjectName(QString::number(kIdEdit));
    m_delete->setObjectName(QString::number(kIdDelete));
    for (QPushButton* button : {m_add, m_edit, m_delete})
        button->setAutoDefault(false);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_add);
    buttons->addWidget(m_edit);
    buttons->addWidget(m_delete);
    buttons->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view, 1);
    layout->addLayout(buttons);

    connect(m_add, &QPushButton::clicked, this, &CDestinationList::Add);
    connect(m_edit, &QPushButton::clicked, this, &CDestinationList::Edit);
    connect(m_delete, &QPushButton::clicked, this, &CDestinationList::DeleteSelected);
    connect(m_view, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (HasSelection())
            Edit();
    });
    connect(m_view, &QTreeWidget::itemSelectionChanged, this, &CDestinationList::UpdateEnabling);
    UpdateEnabling();
}

QWidget* CDestinationList::Control(int id) const {
    return findChild<QWidget*>(QString::number(id));
}

void CDestinationList::SetList(const CDestInfo& list) {
    m_list = list;
    Refill({});
}

void CDestinationList::Refill(const std::vector<DestEntry>& selected) {
    CDestInfo wanted(0);
    for (const DestEntry& entry : selected)
        wanted.Append(entry.Name, entry.Port);
    const QSignalBlocker blocker(m_view);
    m_view->clear();
    for (const DestEntry& entry : m_list.GetEntries()) {
        auto* row = new QTreeWidgetItem(m_view, {QString::fromStdString(entry.Name), QString::number(entry.Port)});
        row->setSelected(Holds(wanted, entry));
    }
    UpdateEnabling();
}

std::vector<int> CDestinationList::SelectedRows() const {
    std::vector<int> rows;
    for (QTreeWidgetItem* item : m_view->selectedItems())
        rows.push_back(m_view->indexOfTopLevelItem(item));
    std::sort(rows.begin(), rows.end());
    return rows;
}

bool CDestinationList::HasSelection() const {
    return !m_view->selectedItems().isEmpty();
}

std::vector<DestEntry> CDestinationList::SelectedDestinations() const {
    std::vector<DestEntry> chosen;
    for (const int row : SelectedRows()) {
        if (row >= 0 && row < m_list.GetCount())
            chosen.push_back(m_list.GetEntries()[static_cast<size_t>(row)]);
    }
    return chosen;
}

void CDestinationList::Select(const std::vector<DestEntry>& destinations) {
    Refill(destinations);
}

void CDestinationList::MoveToFront(const std::vector<DestEntry>& destinations) {
    for (const DestEntry& entry : destinations)
        m_list.AddRecent(entry.Name, entry.Port);
    Refill(destinations);
}

void CDestinationList::UpdateEnabling() {
    const bool any = HasSelection();
    m_edit->setEnabled(any);
    m_delete->setEnabled(any);
    emit SelectionChanged(any);
}

bool CDestinationList::AskHost(QString& address, int& port) {
    CHostInfoDlg dialog(this);
    dialog.SetAddress(address);
    dialog.SetPort(port);
    if (modalrun::Exec(dialog) != QDialog::Accepted)
        return false;
    address = dialog.Address().trimmed();
    port = dialog.Port();
    return !address.isEmpty() && port > 0 && port <= 65535;
}

void CDestinationList::Add() {
    QString address;
    int port = m_defaultPort;
    if (!AskHost(address, port))
        return;
    const std::vector<DestEntry> selected = SelectedDestinations();
    // A listed destination moves up instead of being listed twice; on a full
    // list the oldest one drops out, so the rows are rebuilt from the list.
    m_list.AddRecent(address.toStdString(), static_cast<uint16_t>(port));
    Refill(selected);
}

void CDestinationList::Edit() {
    const std::vector<int> rows = SelectedRows();
    if (rows.empty())
        return;
    const int row = rows.back();
    std::string name;
    uint16_t oldPort = 0;
    if (!m_list.GetAt(row, name, oldPort))
        return;
    QString address = QString::fromStdString(name);
    int port = oldPort;
    if (!AskHost(address, port))
        return;
    const DestEntry edited{address.toStdString(), static_cast<uint16_t>(port)};
    std::vector<DestEntry> selected = SelectedDestinations();
    selected.back() = edited;
    // Edited into another listed destination: that one goes, so no destination
    // is listed twice.
    CDestInfo others = m_list;
    others.RemoveAt(row);
    const int twin = others.Find(edited.Name, edited.Port);
    m_list.SetAt(row, edited.Name, edited.Port);
    if (twin >= 0)
        m_list.RemoveAt(twin >= row ? twin + 1 : twin);
    Refill(selected);
}

void CDestinationList::DeleteSelected() {
    const std::vector<int> rows = SelectedRows();
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
        m_list.RemoveAt(*it);
    Refill({});
}
