#include "ui/net/HostSearchDlg.h"

#include "core/base/Properties.h"
#include "core/base/Strings.h"
#include "ui/common/SortHeader.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kPortRole = Qt::UserRole;

// Rows compare by the text of the sorted column, ignoring case.
class CHostItem : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;

    bool operator<(const QTreeWidgetItem& other) const override {
        const int column = treeWidget() != nullptr ? treeWidget()->sortColumn() : 0;
        return text(column).compare(other.text(column), Qt::CaseInsensitive) < 0;
    }
};

QString ColumnText(int id) {
    switch (id) {
    case strings::kHostNameColumn:
        return CHostSearchDlg::tr("Host name");
    case strings::kIpAddressColumn:
        return CHostSearchDlg::tr("IP address");
    case strings::kAboutComputerColumn:
        return CHostSearchDlg::tr("About computer");
    default:
        return QString::fromUtf8(strings::EnglishText(id));
    }
}

} // namespace

CHostSearchDlg::CHostSearchDlg(QWidget* parent, BrowseFunction browse) : QDialog(parent), m_browse(std::move(browse)) {
    setObjectName(QStringLiteral("hostSearchDialog"));
    setWindowTitle(tr("Search host"));

    if (!m_browse) {
        m_discovery = std::make_unique<CServiceDiscovery>();
        m_browse = [discovery = m_discovery.get()](CServiceDiscovery::FoundCallback found,
                                                   CServiceDiscovery::FinishedCallback finished) {
            discovery->Browse(std::move(found), std::move(finished));
        };
    }

    m_list = new QTreeWidget(this);
    m_list->setHeader(new CSortHeader(m_list));
    m_list->setRootIsDecorated(false);
    m_list->setItemsExpandable(false);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSortingEnabled(false);
    m_list->setHeaderLabels({ColumnText(strings::kHostNameColumn), ColumnText(strings::kIpAddressColumn),
                             ColumnText(strings::kAboutComputerColumn)});
    QHeaderView* header = m_list->header();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_list->setColumnWidth(kHostColumn, 110);
    m_list->setColumnWidth(kAddressColumn, 90);
    m_list->setColumnWidth(kAboutColumn, 120);
    m_list->setMinimumWidth(110 + 90 + 120 + 8);

    m_findAgain = new QPushButton(tr("Find again(&F)"), this);
    m_findAgain->setAutoDefault(false);
    auto* buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(tr("OK"), QDialogButtonBox::AcceptRole);
    m_cancel = buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    m_ok->setDefault(true);
    m_ok->setEnabled(false);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_findAgain);
    bottom->addStretch(1);
    bottom->addWidget(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(bottom);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_findAgain, &QPushButton::clicked, this, &CHostSearchDlg::FindAgain);
    connect(header, &QHeaderView::sectionClicked, this, &CHostSearchDlg::SortByColumn);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &CHostSearchDlg::UpdateOk);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem*, int) { accept(); });

    StartSearch();
}

CHostSearchDlg::~CHostSearchDlg() {
    StopSearch();
}

void CHostSearchDlg::FindAgain() {
    m_lockCancel = true;
    StartSearch();
}

void CHostSearchDlg::StartSearch() {
    m_list->clear();
    m_searching = true;
    m_findAgain->setEnabled(false);
    if (m_lockCancel)
        m_cancel->setEnabled(false);
    UpdateOk();

    const int generation = ++m_generation;
    // The callbacks run on the browse's thread and may outlive the dialog:
    // they only post to the application, and the posted call checks that
    // the dialog is still there and still waits for this search.
    QPointer<CHostSearchDlg> self(this);
    auto found = [self, generation](const CServiceDiscovery::Host& host) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, generation, host] {
                if (self)
                    self->AddHost(generation, host);
            },
            Qt::QueuedConnection);
    };
    auto finished = [self, generation] {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, generation] {
                if (self)
                    self->SearchFinished(generation);
            },
            Qt::QueuedConnection);
    };
    m_browse(std::move(found), std::move(finished));
}

void CHostSearchDlg::StopSearch() {
    ++m_generation;
    if (m_discovery)
        m_discovery->CancelBrowse();
    if (m_searching) {
        m_searching = false;
        m_lockCancel = false;
        m_findAgain->setEnabled(true);
        m_cancel->setEnabled(true);
    }
}

void CHostSearchDlg::AddHost(int generation, const CServiceDiscovery::Host& host) {
    if (generation != m_generation || !m_searching)
        return;
    const QString name = QString::fromStdString(host.hostName);
    const QString address = QString::fromStdString(host.address);
    const QString about = AboutText(host);
    // A computer seen twice the same way (the daemon may report it per
    // interface) needs one row.
    for (int row = 0; row < m_list->topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = m_list->topLevelItem(row);
        if (item->text(kHostColumn) == name && item->text(kAddressColumn) == address &&
            item->text(kAboutColumn) == about)
            return;
    }
    auto* item = new CHostItem(QStringList{name, address, about});
    item->setData(kHostColumn, kPortRole, static_cast<int>(host.port));
    m_list->addTopLevelItem(item);
    // Keep the order the arrow promises.
    if (m_sortedColumn >= 0)
        m_list->sortItems(m_sortedColumn, IsSortAscending(m_sortedColumn) ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void CHostSearchDlg::SearchFinished(int generation) {
    if (generation != m_generation || !m_searching)
        return;
    m_searching = false;
    m_lockCancel = false;
    m_findAgain->setEnabled(true);
    m_cancel->setEnabled(true);
    UpdateOk();
}

void CHostSearchDlg::UpdateOk() {
    m_ok->setEnabled(!(m_searching && m_lockCancel) && !m_list->selectedItems().isEmpty());
}

QString CHostSearchDlg::AboutText(const CServiceDiscovery::Host& host) {
    const QString name = QString::fromStdString(host.serviceName);
    if (host.port == 0 || host.port == kDefaultPort)
        return name;
    return tr("%1 (port %2)").arg(name).arg(host.port);
}

bool CHostSearchDlg::IsSortAscending(int column) const {
    if (column == kHostColumn)
        return m_hostAscending;
    if (column == kAddressColumn)
        return m_addressAscending;
    return false;
}

void CHostSearchDlg::SortByColumn(int column) {
    if (column != kHostColumn && column != kAddressColumn)
        return;
    bool& ascending = column == kHostColumn ? m_hostAscending : m_addressAscending;
    ascending = !ascending;
    m_list->sortItems(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    static_cast<CSortHeader*>(m_list->header())->SetArrow(column, ascending);
    m_sortedColumn = column;
}

void CHostSearchDlg::accept() {
    // With several rows selected, the last one in list order counts.
    const QTreeWidgetItem* chosen = nullptr;
    for (int row = 0; row < m_list->topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = m_list->topLevelItem(row);
        if (item->isSelected())
            chosen = item;
    }
    if (chosen == nullptr)
        return;
    m_hostName = chosen->text(kHostColumn);
    m_hostAddress = chosen->text(kAddressColumn);
    m_hostPort = static_cast<std::uint16_t>(chosen->data(kHostColumn, kPortRole).toInt());
    QDialog::accept();
}

void CHostSearchDlg::done(int result) {
    StopSearch();
    m_list->clear();
    QDialog::done(result);
}
