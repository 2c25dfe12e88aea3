#pragma once

#include "core/store/DestInfo.h"

#include <QDialog>

#include <memory>
#include <set>
#include <string>

class CDestinationList;
class CNetRequests;
class CPromptPort;
class QCheckBox;
class QPlainTextEdit;
class QPushButton;
struct ClientOutcome;

// "Message Send": a new plain text to the selected destinations. The dialog
// sends by itself through requests of its own, so closing it cancels what is
// still out. It ends with OK at the first destination that accepts the text;
// after failures it stays open for another try. After OK the caller takes
// Destinations() back as its send log and, when SaveMessage() is set, makes a
// note of Text().
class CSendSimpleTextDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kIdMessage = 1008;
    static constexpr int kIdSaveMessage = 1083;
    static constexpr int kIdSend = 1086;

    explicit CSendSimpleTextDlg(QWidget* parent = nullptr);
    ~CSendSimpleTextDlg() override;

    void SetDestinations(const CDestInfo& list);
    const CDestInfo& Destinations() const;
    void SetDefaultPort(int port);
    // Where failures are reported; without one the dialog shows its own
    // message boxes (through modalrun).
    void SetPromptPort(CPromptPort* prompt) { m_prompt = prompt; }

    // After OK: the text that was sent, and whether it becomes a local note.
    const std::string& Text() const { return m_text; }
    bool SaveMessage() const { return m_saveMessage; }

    // The Send button: the text goes to every selected destination.
    void Send();
    // Requests sent and not answered yet.
    int PendingCount() const { return static_cast<int>(m_outstanding.size()); }
    CNetRequests& Requests() const { return *m_requests; }

    CDestinationList* DestinationList() const { return m_destinations; }
    QPlainTextEdit* Editor() const { return m_editor; }
    QCheckBox* SaveCheck() const { return m_saveCheck; }
    QPushButton* SendButton() const { return m_send; }
    QPushButton* CancelButton() const { return m_cancel; }

    // Every end (OK, Cancel, closing) drops the requests still out.
    void done(int result) override;

private:
    void OnFinished(const ClientOutcome& outcome);
    void ShowFailure(int stringId);
    void UpdateButtons();

    std::unique_ptr<CNetRequests> m_requests;
    CPromptPort* m_prompt = nullptr;
    CDestinationList* m_destinations = nullptr;
    QPlainTextEdit* m_editor = nullptr;
    QCheckBox* m_saveCheck = nullptr;
    QPushButton* m_send = nullptr;
    QPushButton* m_cancel = nullptr;

    std::set<int> m_outstanding;
    bool m_sending = false;
    std::string m_text;
    bool m_saveMessage = false;
};
