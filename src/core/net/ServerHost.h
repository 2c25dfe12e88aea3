#pragma once

#include "core/base/Properties.h"

#include <functional>
#include <string>
#include <vector>

class CInboundSlot;
class CServedDocuments;

// What the receiving server needs from the application. Every operation is
// called on the server's loop thread and must return at once; an
// implementation must be thread-safe.
//
// The question is asynchronous: the application answers by calling the reply
// it was given, once, from any thread and whenever it can (the desktop program
// queues the work to its user-interface thread and replies from there). The
// session that asked waits parked, costing no thread; a reply that comes after
// the session or the server is gone is dropped, so it is always safe to call.
class CServerHost {
public:
    template <class T> using Reply = std::function<void(T)>;

    virtual ~CServerHost() = default;

    // A copy of the current network settings.
    virtual NetworkProperty GetNetworkSettings() = 0;

    // Ask the user whether to accept a note: string stringId (57679) filled
    // with args (the peer's address), answered Yes (true) or No (false). With
    // expireSeconds > 0 the question closes itself after that long, as Yes;
    // the server also counts an unanswered question as Yes by then.
    virtual void AskToReceive(int stringId, const std::vector<std::string>& args, int expireSeconds,
                              Reply<bool> reply) = 0;

    // The list and note documents the store published last.
    virtual const CServedDocuments& GetServedDocuments() = 0;

    // Where received notes go; the application consumes it.
    virtual CInboundSlot& GetInboundSlot() = 0;

    // An error for the user (string stringId filled with args). Shown later on
    // the user's thread; never waited for.
    virtual void ReportError(int stringId, const std::vector<std::string>& args) = 0;
};
