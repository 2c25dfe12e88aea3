#pragma once

#include "core/store/DestInfo.h"

#include <QWidget>

#include <vector>

class QPushButton;
class QTreeWidget;

// The destination list of the send dialogs: a copy of the send log shown as
// rows of address and port in the list's order, with Add, Edit and Delete.
// Choosing destinations is selecting rows; the dialog takes List() back when it
// ends with OK.
class CDestinationList : public QWidget {
    Q_OBJECT

public:
    static constexpr int kIdList = 1089;
    static constexpr int kIdAdd = 1094;
    static constexpr int kIdEdit = 1093;
    static constexpr int kIdDelete = 1092;
    static constexpr int kAddressWidth = 125;
    static constexpr int kPortWidth = 70;

    explicit CDestinationList(QWidget* parent = nullptr);

    // Shows the list; nothing is selected afterwards.
    void SetList(const CDestInfo& list);
    const CDestInfo& List() const { return m_list; }
    // The port that Add offers.
    void SetDefaultPort(int port) { m_defaultPort = port; }
    int DefaultPort() const { return m_defaultPort; }

    // The selected destinations, top row first.
    std::vector<DestEntry> SelectedDestinations() const;
    bool HasSelection() const;
    // Selects exactly the rows of these destinations.
    void Select(const std::vector<DestEntry>& destinations);
    // Makes each destination in turn the most recent one (the last ends up on
    // top); the rows follow and these destinations are the selection.
    void MoveToFront(const std::vector<DestEntry>& destinations);

    // The buttons' handlers. Add and Edit ask through the host dialog.
    void Add();
    void Edit();
    void DeleteSelected();

    QTreeWidget* View() const { return m_view; }
    QWidget* Control(int id) const;

signals:
    // Some row is selected (true), or none any more (false).
    void SelectionChanged(bool any);

private:
    void Refill(const std::vector<DestEntry>& selected);
    void UpdateEnabling();
    // The host dialog pre-filled with address and port; false when it was
    // cancelled or left without an address or a usable port.
    bool AskHost(QString& address, int& port);
    std::vector<int> SelectedRows() const;

    CDestInfo m_list{CDestInfo::kDefaultCapacity};
    int m_defaultPort = 0;
    QTreeWidget* m_view = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_edit = nullptr;
    QPushButton* m_delete = nullptr;
};
