// Retrieving notes from another computer: the command and the fetches.
#include "ui/app/PinletApp.h"

#include "core/net/NoteClient.h"
#include "ui/common/ModalRun.h"
#include "ui/net/NetRequests.h"
#include "ui/net/RetrieveMessageDlg.h"

void CPinletApp::OpenRetrieveDialog() {
    if (!m_requests)
        return;
    CRetrieveMessageDlg dialog(m_sendLog);
    if (modalrun::Exec(dialog) != QDialog::Accepted)
        return;
    // Each fetched note reaches the inbound slot and becomes a new note there.
    for (const int id : dialog.ChosenIds()) {
        const CNoteClient::Started started =
            m_requests->Client().FetchNote(dialog.Host(), dialog.Port(), id, dialog.User(), dialog.Password(), true);
        if (!started)
            m_prompt.ShowMessage(started.ErrorId, {}, CPromptPort::Icon::Exclamation);
    }
    ReplaceSendLog(dialog.Destinations());
}

// Sent notes have their own handler (OnSendFinished); this one takes the fetches.
void CPinletApp::OnFetchFinished(const ClientOutcome& outcome) {
    if (outcome.Kind != ClientOutcome::EKind::Fetch || outcome.ErrorId == 0)
        return;
    m_prompt.ShowMessage(outcome.ErrorId, {}, CPromptPort::Icon::Exclamation);
}
