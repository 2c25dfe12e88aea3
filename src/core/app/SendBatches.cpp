#include "core/app/SendBatches.h"

CSendBatches::Batch CSendBatches::Begin(int noteId, bool deleteAfter) {
    auto batch = std::make_shared<SendBatch>();
    batch->NoteId = noteId;
    batch->DeleteAfter = deleteAfter;
    return batch;
}

void CSendBatches::Add(int requestId, const Batch& batch) {
    m_requests[requestId] = batch;
}

CSendBatches::Outcome CSendBatches::Finish(int requestId, bool accepted) {
    const auto it = m_requests.find(requestId);
    if (it == m_requests.end())
        return {};
    const Batch batch = it->second;
    m_requests.erase(it);
    Outcome outcome;
    outcome.Known = true;
    if (accepted) {
        // Deleted only once a copy is safe elsewhere, and only once.
        if (batch->DeleteAfter && !batch->Delivered)
            outcome.DeleteNote = batch->NoteId;
        batch->Delivered = true;
    }
    return outcome;
}
