#pragma once

#include "ui/net/HostSearchDlg.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

// "Host Information": the address and port of a receiving computer. "Find(&F)..."
// searches the local network; the chosen computer's name replaces the address
// (and its announced port the port).
class CHostInfoDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kDialogId = 150;

    explicit CHostInfoDlg(QWidget* parent = nullptr);

    void SetAddress(const QString& address);
    QString Address() const;
    // 0 = not set: the field stays empty.
    void SetPort(int port);
    // The port field as a number; 0 when it is empty or not a port.
    int Port() const;

    // Where "Find(&F)..." gets its hosts; empty = DNS-SD (the default).
    void SetSearchBrowse(CHostSearchDlg::BrowseFunction browse) { m_browse = std::move(browse); }
    // "Find(&F)...": runs the host search and takes the chosen computer.
    void Find();
    // OK: closes only with an address and a port from 1 to 65535.
    void accept() override;

    QLineEdit* AddressEdit() const { return m_address; }
    QLineEdit* PortEdit() const { return m_port; }
    QPushButton* FindButton() const { return m_find; }

private:
    QLineEdit* m_address = nullptr;
    QLineEdit* m_port = nullptr;
    QPushButton* m_find = nullptr;
    CHostSearchDlg::BrowseFunction m_browse;
};
