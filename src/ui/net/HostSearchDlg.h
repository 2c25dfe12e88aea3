#pragma once

#include "platform/ServiceDiscovery.h"

#include <QDialog>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// "Search host": lists the computers of the local network that announce a
// receiving server (DNS-SD), with their addresses, and lets the user pick one.
// The search starts when the dialog is created and again on "Find again(&F)";
// found computers arrive while the dialog runs. Nothing here waits for the
// network: without a DNS-SD daemon the list simply stays empty.
class CHostSearchDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kDialogId = 152;
    static constexpr int kHostColumn = 0;
    static constexpr int kAddressColumn = 1;
    static constexpr int kAboutColumn = 2;

    // Starts a search: found once per computer, then finished once. Both may
    // be called on any thread, also after the dialog is gone.
    using BrowseFunction =
        std::function<void(CServiceDiscovery::FoundCallback found, CServiceDiscovery::FinishedCallback finished)>;

    // browse: where hosts come from; empty = a DNS-SD browse of the dialog's own.
    explicit CHostSearchDlg(QWidget* parent = nullptr, BrowseFunction browse = {});
    // Cancels a running search.
    ~CHostSearchDlg() override;

    // The host name of the chosen row after OK; empty before.
    const QString& HostName() const { return m_hostName; }
    // The address the search resolved for it: reachable also where the
    // system resolver knows no ".local" names.
    const QString& HostAddress() const { return m_hostAddress; }
    // The port that computer announced (0 when none was chosen).
    std::uint16_t HostPort() const { return m_hostPort; }

    // "Find again(&F)": empties the list and searches anew; OK and Cancel stay
    // disabled until the search has finished.
    void FindAgain();
    bool IsSearching() const { return m_searching; }

    // What a click on a column header does: column 0 or 1 flips its direction
    // and sorts by it (text, ignoring case); column 2 does nothing.
    void SortByColumn(int column);
    // The header showing the arrow, -1 = none.
    int SortedColumn() const { return m_sortedColumn; }
    bool IsSortAscending(int column) const;

    // The "About computer" text of a found host: its announced name, with the
    // port when that is not the default one.
    static QString AboutText(const CServiceDiscovery::Host& host);

    QTreeWidget* List() const { return m_list; }
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }
    QPushButton* FindAgainButton() const { return m_findAgain; }

    // Takes the host name of the last selected row; does nothing without a selection.
    void accept() override;
    // Every way the dialog ends: the running search is cancelled.
    void done(int result) override;

private:
    void StartSearch();
    void StopSearch();
    void AddHost(int generation, const CServiceDiscovery::Host& host);
    void SearchFinished(int generation);
    void UpdateOk();

    BrowseFunction m_browse;
    std::unique_ptr<CServiceDiscovery> m_discovery; // when no browse function was given
    QTreeWidget* m_list = nullptr;
    QPushButton* m_findAgain = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;

    // Reports of an earlier or cancelled search carry an older number and are dropped.
    int m_generation = 0;
    bool m_searching = false;
    // Whether the current search keeps Cancel disabled ("Find again(&F)").
    bool m_lockCancel = false;

    bool m_hostAscending = false;
    bool m_addressAscending = false;
    int m_sortedColumn = -1;

    QString m_hostName;
    QString m_hostAddress;
    std::uint16_t m_hostPort = 0;
};
