#pragma once

#include "core/net/MessageList.h"
#include "core/store/DestInfo.h"

#include <QDialog>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct ClientOutcome;
class CNetRequests;
class CPromptPort;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

// "Retrieve message": asks another computer for its notes and groups and lets
// the user choose what to fetch. The dialog does the listing itself, through
// requests of its own that end with it; the caller fetches ChosenIds() from
// Host()/Port() with the credentials after OK ("Retrieve"), and takes
// Destinations() back as its send log.
class CRetrieveMessageDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kIdDestination = 1077;
    static constexpr int kIdPort = 1045;
    static constexpr int kIdUser = 1080;
    static constexpr int kIdPassword = 1048;
    static constexpr int kIdListButton = 1079;
    static constexpr int kIdList = 1055;
    static constexpr int kIdRetrieve = 1;
    static constexpr int kIdCancel = 2;

    static constexpr std::uint16_t kDefaultPort = 4126;

    // destinations: a copy of the send log; its first entry is shown.
    explicit CRetrieveMessageDlg(const CDestInfo& destinations, QWidget* parent = nullptr);
    ~CRetrieveMessageDlg() override;

    // Where failures go; null (the default) shows message boxes titled "Error".
    void SetPromptPort(CPromptPort* prompt) { m_prompt = prompt; }
    // Limits how long the list request may take to connect (0 = the system's).
    void SetConnectTimeout(int milliseconds);

    // GET /List from the host and port in the fields; a list request still out
    // is dropped first. The answer fills the list when it arrives.
    void RequestList();
    bool IsListPending() const { return m_listRequest != 0; }

    // After OK: what to fetch, from where, with which credentials.
    std::string Host() const { return m_host; }
    std::uint16_t Port() const { return m_port; }
    std::string User() const { return m_user; }
    std::string Password() const { return m_password; }
    // Note rows give their note, group rows every member of the group, in row
    // order; a note chosen twice is listed twice.
    const std::vector<int>& ChosenIds() const { return m_chosen; }
    // The send log as the dialog leaves it: the destination used moved to the front.
    const CDestInfo& Destinations() const { return m_destinations; }

    // Controls by their ids, and the list rows.
    QWidget* Control(int id) const;
    QComboBox* DestinationBox() const { return m_destination; }
    QLineEdit* PortEdit() const { return m_portEdit; }
    QListWidget* List() const { return m_list; }
    // Selects the destination at index as if the user had picked it.
    void ChooseDestination(int index);

    void accept() override;
    void done(int result) override;

private:
    void OnListFinished(const ClientOutcome& outcome);
    void FillList(const CMessageList& list);
    void ShowError(int stringId);
    void CancelList();
    void ReadFields();

    CDestInfo m_destinations;
    CPromptPort* m_prompt = nullptr;
    std::unique_ptr<CPromptPort> m_boxPrompt;
    std::unique_ptr<CNetRequests> m_requests;
    int m_listRequest = 0;
    // The groups of the list shown; group rows point into it.
    std::vector<CMessageList::Group> m_groups;

    std::string m_host;
    std::uint16_t m_port = kDefaultPort;
    std::string m_user;
    std::string m_password;
    std::vector<int> m_chosen;

    QComboBox* m_destination = nullptr;
    QLineEdit* m_portEdit = nullptr;
    QLineEdit* m_userEdit = nullptr;
    QLineEdit* m_passwordEdit = nullptr;
    QPushButton* m_listButton = nullptr;
    QListWidget* m_list = nullptr;
    QPushButton* m_retrieveButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
};
