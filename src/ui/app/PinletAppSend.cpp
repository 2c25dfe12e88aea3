// Sending notes and plain texts to other computers: the commands and the
// outcomes of the notes sent.
#include "ui/app/PinletApp.h"

#include "core/base/Paths.h"
#include "core/net/NoteClient.h"
#include "core/store/DataBase.h"
#include "core/store/SendLogFile.h"
#include "ui/common/ModalRun.h"
#include "ui/net/MessageSendDlg.h"
#include "ui/net/NetRequests.h"
#include "ui/net/SendSimpleTextDlg.h"

namespace {

// The send dialog, filled from the send log; false when it was cancelled.
bool RunSendDialog(CMessageSendDlg& dialog, const CDestInfo& sendLog, int defaultPort) {
    dialog.SetDestinations(sendLog);
    dialog.SetDefaultPort(defaultPort);
    return modalrun::Exec(dialog) == QDialog::Accepted;
}

} // namespace

void CPinletApp::OpenSendDialog(int id) {
    if (!m_requests || Store().GetMessage(id) == nullptr)
        return;
    CMessageSendDlg dialog;
    if (!RunSendDialog(dialog, m_sendLog, Network().Port))
        return;
    // The note may have gone while the dialog was open; the list still counts.
    if (Store().GetMessage(id) != nullptr)
        SendNoteTo(id, dialog.Chosen(), dialog.DeleteAfterSending());
    ReplaceSendLog(dialog.Destinations());
}

void CPinletApp::OpenSendGroupDialog(const std::string& group) {
    if (!m_requests)
        return;
    CMessageSendDlg dialog;
    if (!RunSendDialog(dialog, m_sendLog, Network().Port))
        return;
    // The members as they are now, not as they were when the dialog opened.
    std::vector<int> ids;
    Store().GetGroupMemberIds(group, ids);
    for (const int id : ids)
        SendNoteTo(id, dialog.Chosen(), dialog.DeleteAfterSending());
    ReplaceSendLog(dialog.Destinations());
}

void CPinletApp::OpenSendTextDialog() {
    CSendSimpleTextDlg dialog;
    dialog.SetDestinations(m_sendLog);
    dialog.SetDefaultPort(Network().Port);
    if (modalrun::Exec(dialog) != QDialog::Accepted)
        return;
    if (dialog.SaveMessage())
        CreateMessage(dialog.Text());
    ReplaceSendLog(dialog.Destinations());
}

void CPinletApp::SendNoteTo(int id, const std::vector<DestEntry>& destinations, bool deleteAfter) {
    if (!m_requests || destinations.empty())
        return;
    const std::string document = Store().Serialize(id);
    if (document.empty())
        return;
    const CSendBatches::Batch batch = m_sends.Begin(id, deleteAfter);
    for (const DestEntry& destination : destinations) {
        const CNoteClient::Started started =
            m_requests->Client().SendNote(destination.Name, destination.Port, id, document);
        if (started)
            m_sends.Add(started.RequestId, batch);
        else
            m_prompt.ShowMessage(started.ErrorId, {}, CPromptPort::Icon::Exclamation);
    }
}

void CPinletApp::OnSendFinished(const ClientOutcome& outcome) {
    if (outcome.Kind != ClientOutcome::EKind::SendNote)
        return;
    const CSendBatches::Outcome sent = m_sends.Finish(outcome.RequestId, outcome.Succeeded());
    if (!sent.Known)
        return;
    if (outcome.Succeeded()) {
        if (sent.DeleteNote != 0)
            Store().DeleteMessage(sent.DeleteNote);
        return;
    }
    // 57682 for a refused authorisation, 57680 for any other refusal, or why
    // the request could not be made.
    m_prompt.ShowMessage(outcome.ErrorId, {}, CPromptPort::Icon::Exclamation);
}

void CPinletApp::ReplaceSendLog(const CDestInfo& list) {
    m_sendLog = list;
    if (!SaveSendLog(CPaths::SendLogFile(), m_sendLog))
        qCWarning(lcApp) << "send log not saved:" << CPaths::SendLogFile().c_str();
}
