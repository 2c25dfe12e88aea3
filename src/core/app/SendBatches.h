#pragma once

#include <map>
#include <memory>

// One note sent to several destinations at once.
struct SendBatch {
    int NoteId = 0;
    bool DeleteAfter = false;
    bool Delivered = false; // some destination accepted it
};

// Notes on their way to other computers, one request per destination. A note
// sent with "delete after sending" goes once some destination has accepted
// it, and only once; refused everywhere, it stays.
class CSendBatches {
public:
    using Batch = std::shared_ptr<SendBatch>;

    Batch Begin(int noteId, bool deleteAfter);
    // A request of the batch is under way.
    void Add(int requestId, const Batch& batch);

    struct Outcome {
        bool Known = false; // a request of a batch
        int DeleteNote = 0; // the note to delete now, or 0
    };
    // A request ended; it is forgotten.
    Outcome Finish(int requestId, bool accepted);
    void Clear() { m_requests.clear(); }

private:
    std::map<int, Batch> m_requests;
};
