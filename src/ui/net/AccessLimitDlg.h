#pragma once

#include "core/base/Properties.h"

#include <QDialog>

#include <vector>

class QPushButton;
class QRadioButton;
class QTreeWidget;

// "Access limitation": whether connections from every computer are allowed or
// denied, except from the listed networks. Entries are added and edited one
// at a time with the "Network information" dialog; nothing is validated here
// (the server skips what it cannot use).
class CAccessLimitDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kDialogId = 143;
    static constexpr int kNetworkColumn = 0;
    static constexpr int kMaskColumn = 1;

    explicit CAccessLimitDlg(QWidget* parent = nullptr);

    // allowAll: 1 = every computer is allowed except the listed ones, otherwise
    // every computer is denied except them.
    void SetAccess(int allowAll, const std::vector<NetworkInfo>& list);
    // After OK: 1 when "Allowed(&P)" is checked, else 0.
    int AllowAll() const { return m_allowAll; }
    const std::vector<NetworkInfo>& List() const { return m_list; }

    // The buttons' handlers.
    void Add();
    // Edits the first selected entry.
    void Edit();
    // Removes the first selected entry only.
    void Delete();

    QRadioButton* AllowedButton() const { return m_allowed; }
    QRadioButton* DeniedButton() const { return m_denied; }
    QTreeWidget* ListView() const { return m_view; }
    QPushButton* AddButton() const { return m_add; }
    QPushButton* EditButton() const { return m_edit; }
    QPushButton* DeleteButton() const { return m_delete; }

    void accept() override;

private:
    int FirstSelectedRow() const;
    void UpdateButtons();

    int m_allowAll = 1;
    std::vector<NetworkInfo> m_list;

    QRadioButton* m_allowed = nullptr;
    QRadioButton* m_denied = nullptr;
    QTreeWidget* m_view = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_edit = nullptr;
    QPushButton* m_delete = nullptr;
};
