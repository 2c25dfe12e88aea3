#pragma once

#include "core/find/SearchSnapshot.h"

#include <QDialog>
#include <QString>

#include <memory>
#include <string>
#include <vector>

class CDataBase;
class CSearchThread;
class QAction;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// The Find String dialog: searches the text of every note for a string on a
// worker thread, lists the notes that contain it, and opens a found note with the
// match selected. Modeless; the application creates it once, hidden, and shows it
// with ShowDialog. Closing it stops a running search and hides it.
class CSearchDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kDialogId = 151;
    // The main menu's command that shows the dialog.
    static constexpr int kCmdFind = 32804;
    // The result list's context-menu item.
    static constexpr int kCmdOpen = 32805;
    // Result list columns.
    static constexpr int kDateColumn = 0;
    static constexpr int kTitleColumn = 1;
    static constexpr int kDateWidth = 120;
    static constexpr int kTitleWidth = 200;

    CSearchDlg(CDataBase& store, QWidget* parent = nullptr);
    // Stops a running search and waits for its worker, which ends within a short
    // stretch of text.
    ~CSearchDlg() override;

    // Shows the dialog and brings it to the front.
    void ShowDialog();

    // Button 1: starts a search for the edit's text, or stops the running one.
    // Stopping returns at once; the worker ends on its own shortly after.
    void StartStop();
    // Discards the results, stops a running search and hides the dialog.
    void Close();
    // Opens the note of every selected row, in row order, with its match selected.
    void OpenSelected();
    // What a click on a column header does: toggles that column's direction and
    // sorts by it.
    void SortByColumn(int column);

    bool IsSearching() const { return m_searching; }
    // A worker thread still runs: a stopped search winds down after the dialog
    // has returned to idle.
    bool HasRunningWorker() const;
    const std::vector<SearchResult>& Results() const { return m_results; }
    // The arrow shown in the header: -1 = none.
    int SortedColumn() const { return m_sortedColumn; }
    bool IsSortAscending(int column) const;

    QLineEdit* SearchEdit() const { return m_edit; }
    QPushButton* StartButton() const { return m_startButton; }
    QPushButton* CloseButton() const { return m_closeButton; }
    QTreeWidget* ResultList() const { return m_list; }
    // Brings the context menu up to date as before it is shown.
    QMenu* PrepareContextMenu();
    QAction* OpenAction() const { return m_openAction; }

    // The translated text of a string id the dialog uses.
    static QString StringText(int id);

    // Reached from the dialog's Close button, Escape and the window's close box.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void StartSearch();
    void StopSearch();
    void ClearResults();
    void AddResult(int generation, const SearchResult& result);
    void SearchFinished(int generation);
    void ReapWorkers();
    void OpenResult(const SearchResult& result);
    void ShowContextMenu(const QPoint& position);

    CDataBase& m_store;
    QLabel* m_editLabel = nullptr;
    QLineEdit* m_edit = nullptr;
    QPushButton* m_startButton = nullptr;
    QLabel* m_listLabel = nullptr;
    QTreeWidget* m_list = nullptr;
    QPushButton* m_closeButton = nullptr;
    QMenu* m_menu = nullptr;
    QAction* m_openAction = nullptr;

    // The search in progress or last run. Each search has a worker of its own, so
    // a new search never waits for a stopped one; stopped workers that have not
    // ended yet wait in m_retired until they report their end.
    std::unique_ptr<CSearchThread> m_worker;
    std::vector<std::unique_ptr<CSearchThread>> m_retired;
    // Reports of earlier searches that are still queued carry an older number and
    // are dropped.
    int m_generation = 0;
    bool m_searching = false;
    std::string m_pattern;
    std::vector<SearchResult> m_results;

    bool m_dateAscending = true;
    bool m_titleAscending = false;
    int m_sortedColumn = -1;
};
