#include "ui/net/NetRequests.h"

#include <QMetaObject>

CNetRequests::CNetRequests(CInboundSlot* inbound, QObject* parent) : QObject(parent), m_client(this, inbound) {
    m_client.SetBackgroundStart(true);
}

CNetRequests::~CNetRequests() = default;

void CNetRequests::OnOutcome(const ClientOutcome& outcome) {
    // Queued with this object as context: dropped if it is gone by then.
    QMetaObject::invokeMethod(
        this, [this, outcome] { emit Finished(outcome); }, Qt::QueuedConnection);
}
