#pragma once

#include "core/net/NoteClient.h"

#include <QObject>

class CInboundSlot;

// The program's requests to other computers. Requests start at once and
// connect in the background; each outcome is handed to the user-interface
// thread through Finished, so no dialog ever waits on the network.
class CNetRequests : public QObject, private CClientListener {
    Q_OBJECT

public:
    // Fetched notes go to `inbound` (may be null), which must outlive this object.
    explicit CNetRequests(CInboundSlot* inbound = nullptr, QObject* parent = nullptr);
    // Cancels every pending request; no Finished follows.
    ~CNetRequests() override;

    CNoteClient& Client() { return m_client; }

signals:
    // On the user-interface thread, once per request that was not cancelled.
    void Finished(const ClientOutcome& outcome);

private:
    void OnOutcome(const ClientOutcome& outcome) override;

    CNoteClient m_client;
};
