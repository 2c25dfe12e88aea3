#pragma once

#include "core/store/DestInfo.h"

#include <QDialog>

#include <vector>

class CDestinationList;
class QCheckBox;
class QPushButton;

// "Send message": where an existing note (or every note of a group) goes. The
// caller fills in a copy of the send log and the default port; after OK it
// sends to Chosen() and takes Destinations() back as its send log.
class CMessageSendDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kIdDeleteAfterSending = 1058;

    explicit CMessageSendDlg(QWidget* parent = nullptr);

    void SetDestinations(const CDestInfo& list);
    // The edited list; after OK the chosen destinations lead it.
    const CDestInfo& Destinations() const;
    void SetDefaultPort(int port);

    // Filled on OK: the selected rows, top first.
    const std::vector<DestEntry>& Chosen() const { return m_chosen; }
    bool DeleteAfterSending() const { return m_deleteAfterSending; }

    CDestinationList* DestinationList() const { return m_destinations; }
    QCheckBox* DeleteCheck() const { return m_deleteCheck; }
    QPushButton* OkButton() const { return m_ok; }

    void accept() override;

private:
    CDestinationList* m_destinations = nullptr;
    QCheckBox* m_deleteCheck = nullptr;
    QPushButton* m_ok = nullptr;
    std::vector<DestEntry> m_chosen;
    bool m_deleteAfterSending = false;
};
