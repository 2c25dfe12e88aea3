#include "ui/net/SendSimpleTextDlg.h"

#include "core/base/PromptPort.h"
#include "core/base/Strings.h"
#include "ui/common/AppStrings.h"
#include "ui/common/MessageBoxPrompt.h"
#include "ui/net/DestinationList.h"
#include "ui/net/NetRequests.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <vector>

namespace {

// The request could not even be made: the destination is at fault, not its answer.
bool IsStartFailure(int stringId) {
    return stringId == strings::kInvalidDestination || stringId == strings::kSocketCreateFailed ||
           stringId == strings::kSocketCannotConnect;
}

} // namespace

CSendSimpleTextDlg::CSendSimpleTextDlg(QWidget* parent)
    : QDialog(parent), m_requests(std::make_unique<CNetRequests>()) {
    setWindowTitle(tr("Message Send"));
    m_destinations = new CDestinationList(this);
    m_editor = new QPlainTextEdit(this);
    m_editor->setObjectName(QString::number(kIdMessage));
    m_editor->setTabChangesFocus(true);
    m_saveCheck = new QCheckBox(tr("Save message(&S)"), this);
    m_saveCheck->setObjectName(QString::number(kIdSaveMessage));
    m_send = new QPushButton(tr("Send"), this);
    m_send->setObjectName(QString::number(kIdSend));
    m_send->setDefault(true);
    m_cancel = new QPushButton(tr("Cancel"), this);
    m_cancel->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_saveCheck);
    buttons->addStretch(1);
    buttons->addWidget(m_send);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_destinations, 1);
    layout->addWidget(m_editor, 2);
    layout->addLayout(buttons);
    resize(380, 360);

    connect(m_send, &QPushButton::clicked, this, &CSendSimpleTextDlg::Send);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_destinations, &CDestinationList::SelectionChanged, this, &CSendSimpleTextDlg::UpdateButtons);
    connect(m_requests.get(), &CNetRequests::Finished, this, &CSendSimpleTextDlg::OnFinished);
    UpdateButtons();
}

CSendSimpleTextDlg::~CSendSimpleTextDlg() {
    // First: no outcome may arrive into a half-destroyed dialog.
    m_requests.reset();
}

void CSendSimpleTextDlg::SetDestinations(const CDestInfo& list) {
    m_destinations->SetList(list);
}

const CDestInfo& CSendSimpleTextDlg::Destinations() const {
    return m_destinations->List();
}

void CSendSimpleTextDlg::SetDefaultPort(int port) {
    m_destinations->SetDefaultPort(port);
}

void CSendSimpleTextDlg::UpdateButtons() {
    m_send->setEnabled(!m_sending && m_destinations->HasSelection());
    m_cancel->setEnabled(!m_sending);
}

void CSendSimpleTextDlg::Send() {
    if (m_sending)
        return;
    const std::vector<DestEntry> chosen = m_destinations->SelectedDestinations();
    if (chosen.empty())
        return;
    m_sending = true;
    UpdateButtons();
    // The note made after OK holds what went out, whatever is typed meanwhile.
    m_text = m_editor->toPlainText().toStdString();
    m_destinations->MoveToFront(chosen);

    std::vector<int> notStarted;
    for (const DestEntry& destination : chosen) {
        const auto started = m_requests->Client().SendText(destination.Name, destination.Port, m_text);
        if (started)
            m_outstanding.insert(started.RequestId);
        else
            notStarted.push_back(started.ErrorId);
    }
    if (m_outstanding.empty())
        m_sending = false;
    UpdateButtons();
    // Shown after every request is out: a box runs the event loop, and an
    // answer may end the dialog meanwhile.
    for (const int errorId : notStarted)
        ShowFailure(errorId);
}

void CSendSimpleTextDlg::OnFinished(const ClientOutcome& outcome) {
    if (m_outstanding.erase(outcome.RequestId) == 0)
        return;
    if (outcome.Succeeded() && outcome.Status == 200) {
        m_saveMessage = m_saveCheck->isChecked();
        accept();
        return;
    }
    if (m_outstanding.empty()) {
        // Every destination failed: the user may try again.
        m_sending = false;
        UpdateButtons();
    }
    ShowFailure(outcome.ErrorId != 0 ? outcome.ErrorId : strings::kMessageRefused);
}

void CSendSimpleTextDlg::ShowFailure(int stringId) {
    if (m_prompt != nullptr) {
        m_prompt->ShowMessage(stringId, {}, CPromptPort::Icon::Exclamation);
        return;
    }
    const QString title = IsStartFailure(stringId) ? tr("Error") : CMessageBoxPrompt::AppTitle();
    CMessageBoxPrompt(this, title, title).ShowText(AppStringText(stringId), CPromptPort::Icon::Exclamation);
}

void CSendSimpleTextDlg::done(int result) {
    m_requests->Client().CancelAll();
    m_outstanding.clear();
    m_sending = false;
    QDialog::done(result);
}
