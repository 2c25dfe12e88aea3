#include "ui/find/SearchDlg.h"

#include "core/base/FieldText.h"
#include "core/base/Strings.h"
#include "core/find/ByteSearch.h"
#include "core/find/SearchThread.h"
#include "core/find/TextOffset.h"
#include "core/store/DataBase.h"
#include "ui/common/SortHeader.h"

#include <QAction>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

namespace {

constexpr int kResultRole = Qt::UserRole;

// Rows compare their texts as UTF-8 bytes, which orders by code point; the Date
// texts have a fixed width, so that is also their chronological order.
class CResultItem : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;

    bool operator<(const QTreeWidgetItem& other) const override {
        const int column = treeWidget() != nullptr ? treeWidget()->sortColumn() : 0;
        return text(column).toUtf8() < other.text(column).toUtf8();
    }
};

} // namespace

CSearchDlg::CSearchDlg(CDataBase& store, QWidget* parent) : QDialog(parent), m_store(store) {
    setObjectName(QStringLiteral("searchDialog"));
    setWindowTitle(tr("Find String"));
    setModal(false);

    m_editLabel = new QLabel(tr("String(&S)"), this);
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("searchString"));
    m_editLabel->setBuddy(m_edit);
    m_startButton = new QPushButton(StringText(strings::kSearchStart), this);
    m_startButton->setObjectName(QStringLiteral("startButton"));
    m_startButton->setDefault(true);
    m_startButton->setAutoDefault(true);

    m_listLabel = new QLabel(tr("Result(&L)"), this);
    m_list = new QTreeWidget(this);
    m_list->setHeader(new CSortHeader(m_list));
    m_list->setObjectName(QStringLiteral("resultList"));
    m_listLabel->setBuddy(m_list);
    m_list->setColumnCount(2);
    m_list->setHeaderLabels({StringText(strings::kSearchDateColumn), StringText(strings::kSearchTitleColumn)});
    m_list->setRootIsDecorated(false);
    m_list->setItemsExpandable(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSortingEnabled(false);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    QHeaderView* header = m_list->header();
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(false);
    header->setStretchLastSection(true);
    // At least the classic widths; wider where the font needs it to show a whole date.
    const int dateWidth =
        std::max(kDateWidth, m_list->fontMetrics().horizontalAdvance(QStringLiteral("0000/00/00 00:00:00")) + 16);
    m_list->setColumnWidth(kDateColumn, dateWidth);
    m_list->setColumnWidth(kTitleColumn, kTitleWidth);

    m_closeButton = new QPushButton(tr("Close"), this);
    m_closeButton->setObjectName(QStringLiteral("closeButton"));
    m_closeButton->setAutoDefault(false);

    m_menu = new QMenu(this);
    m_openAction = m_menu->addAction(tr("Open(&O)"));
    m_openAction->setData(kCmdOpen);

    auto* top = new QHBoxLayout;
    top->addWidget(m_editLabel);
    top->addWidget(m_edit, 1);
    top->addWidget(m_startButton);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(m_closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_listLabel);
    layout->addWidget(m_list, 1);
    layout->addLayout(bottom);
    // Room for both columns at their widths, with a scroll bar.
    resize(dateWidth + kTitleWidth + 60, 320);

    connect(m_startButton, &QPushButton::clicked, this, &CSearchDlg::StartStop);
    connect(m_closeButton, &QPushButton::clicked, this, &CSearchDlg::Close);
    connect(header, &QHeaderView::sectionClicked, this, &CSearchDlg::SortByColumn);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem*, int) { OpenSelected(); });
    connect(m_list, &QWidget::customContextMenuRequested, this, &CSearchDlg::ShowContextMenu);
    connect(m_openAction, &QAction::triggered, this, &CSearchDlg::OpenSelected);
}

CSearchDlg::~CSearchDlg() {
    // Ask every worker first, so they wind down together; the destructors join.
    if (m_worker)
        m_worker->RequestStop();
    for (const auto& worker : m_retired)
        worker->RequestStop();
    m_worker.reset();
    m_retired.clear();
}

QString CSearchDlg::StringText(int id) {
    switch (id) {
    case strings::kSearchStart:
        return tr("Start search(&F)");
    case strings::kSearchStop:
        return tr("Stop search(&T)");
    case strings::kSearchDateColumn:
        return tr("Date");
    case strings::kSearchTitleColumn:
        return tr("Title");
    default:
        return QString::fromUtf8(strings::EnglishText(id));
    }
}

void CSearchDlg::ShowDialog() {
    show();
    raise();
    activateWindow();
    m_edit->setFocus();
}

void CSearchDlg::StartStop() {
    if (m_searching)
        StopSearch();
    else
        StartSearch();
}

void CSearchDlg::StartSearch() {
    ClearResults();
    ++m_generation;
    m_pattern = m_edit->text().toStdString();

    // A stopped search may still be winding down: let it finish on its own.
    if (m_worker && m_worker->IsRunning()) {
        m_worker->RequestStop();
        m_retired.push_back(std::move(m_worker));
    }
    // The reports cross to this thread as queued calls; the guard drops them when
    // the dialog is gone by the time they arrive.
    const int generation = m_generation;
    const QPointer<CSearchDlg> guard(this);
    QObject* const context = QCoreApplication::instance();
    auto onFound = [guard, generation, context](const SearchResult& result) {
        QMetaObject::invokeMethod(
            context,
            [guard, generation, result] {
                if (guard)
                    guard->AddResult(generation, result);
            },
            Qt::QueuedConnection);
    };
    auto onFinished = [guard, generation, context](bool) {
        QMetaObject::invokeMethod(
            context,
            [guard, generation] {
                if (guard)
                    guard->SearchFinished(generation);
            },
            Qt::QueuedConnection);
    };
    // The worker reads a copy of the notes, never the store or the windows.
    m_worker = std::make_unique<CSearchThread>(onFound, onFinished);
    m_searching = true;
    m_startButton->setText(StringText(strings::kSearchStop));
    m_worker->Start(TakeSearchSnapshot(m_store), m_pattern);
}

void CSearchDlg::StopSearch() {
    if (m_worker)
        m_worker->RequestStop();
    m_searching = false;
    m_startButton->setText(StringText(strings::kSearchStart));
}

void CSearchDlg::Close() {
    reject();
}

void CSearchDlg::reject() {
    if (m_searching)
        StopSearch();
    // Rows of the stopped search that are still on their way are dropped.
    ++m_generation;
    ClearResults();
    QDialog::reject();
}

void CSearchDlg::keyPressEvent(QKeyEvent* event) {
    // Enter on the list opens the rows rather than pressing the default button,
    // which would start a new search and lose the results.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && focusWidget() == m_list) {
        OpenSelected();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CSearchDlg::ClearResults() {
    m_list->clear();
    m_results.clear();
    m_dateAscending = true;
    m_titleAscending = false;
    m_sortedColumn = -1;
    static_cast<CSortHeader*>(m_list->header())->SetArrow(-1, true);
}

void CSearchDlg::AddResult(int generation, const SearchResult& result) {
    if (generation != m_generation)
        return;
    m_results.push_back(result);
    auto* item = new CResultItem(m_list);
    item->setText(kDateColumn, QString::fromStdString(result.CreationTime));
    // The Title field itself, so an untitled note shows an empty cell.
    QString title;
    if (const CMessageWindow* window = m_store.GetMessage(result.ID))
        title = QString::fromUtf8(FieldText(window->GetSheet().Title));
    else if (result.Title != result.CreationTime)
        title = QString::fromStdString(result.Title);
    item->setText(kTitleColumn, title);
    item->setData(kDateColumn, kResultRole, static_cast<int>(m_results.size() - 1));
}

void CSearchDlg::SearchFinished(int generation) {
    ReapWorkers();
    if (generation != m_generation)
        return;
    m_searching = false;
    m_startButton->setText(StringText(strings::kSearchStart));
}

void CSearchDlg::ReapWorkers() {
    // A worker that is no longer running has made its last report: joining it
    // takes no time.
    std::erase_if(m_retired, [](const std::unique_ptr<CSearchThread>& worker) { return !worker->IsRunning(); });
}

bool CSearchDlg::HasRunningWorker() const {
    return (m_worker && m_worker->IsRunning()) ||
           std::any_of(m_retired.begin(), m_retired.end(), [](const auto& worker) { return worker->IsRunning(); });
}

bool CSearchDlg::IsSortAscending(int column) const {
    return column == kDateColumn ? m_dateAscending : m_titleAscending;
}

void CSearchDlg::SortByColumn(int column) {
    if (column != kDateColumn && column != kTitleColumn)
        return;
    bool& ascending = column == kDateColumn ? m_dateAscending : m_titleAscending;
    ascending = !ascending;
    const Qt::SortOrder order = ascending ? Qt::AscendingOrder : Qt::DescendingOrder;
    m_list->sortItems(column, order);
    static_cast<CSortHeader*>(m_list->header())->SetArrow(column, ascending);
    m_sortedColumn = column;
}

void CSearchDlg::OpenSelected() {
    // Row order, whatever order the rows were selected in.
    std::vector<int> rows;
    for (int row = 0; row < m_list->topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = m_list->topLevelItem(row);
        if (item->isSelected())
            rows.push_back(item->data(kDateColumn, kResultRole).toInt());
    }
    for (const int index : rows) {
        if (index >= 0 && static_cast<std::size_t>(index) < m_results.size())
            OpenResult(m_results[static_cast<std::size_t>(index)]);
    }
}

void CSearchDlg::OpenResult(const SearchResult& result) {
    // The note may have been deleted since the search; ID 0 would mean every note.
    if (result.ID == 0 || m_store.GetMessage(result.ID) == nullptr)
        return;
    m_store.ShowMessage(result.ID, ShowCommand::Show);

    // The note may also have been edited since: select the match where it is now.
    const std::string text = m_store.GetText(result.ID);
    std::size_t offset = result.Offset;
    if (offset > text.size() || text.compare(offset, m_pattern.size(), m_pattern) != 0)
        offset = FindBytes(text, m_pattern);
    if (offset == CByteSearch::npos)
        return;
    // The editor counts UTF-16 units, with one position per line break.
    const textoffset::CharRange range = textoffset::CharRangeOf(text, offset, m_pattern.size());
    if (range.Start.Utf16 > static_cast<std::size_t>(INT_MAX) ||
        range.Utf16Length() > static_cast<std::size_t>(INT_MAX))
        return;
    m_store.SelectRange(result.ID, static_cast<int>(range.Start.Utf16), static_cast<int>(range.Utf16Length()));
}

QMenu* CSearchDlg::PrepareContextMenu() {
    m_openAction->setEnabled(!m_list->selectedItems().isEmpty());
    return m_menu;
}

void CSearchDlg::ShowContextMenu(const QPoint& position) {
    PrepareContextMenu()->popup(m_list->viewport()->mapToGlobal(position));
}
