#pragma once

#include "core/base/Properties.h"
#include "core/app/ServedPublisher.h"
#include "core/net/ServedDocuments.h"
#include "core/net/ServerHost.h"

#include <QObject>
#include <QPointer>

#include <mutex>
#include <vector>

class CDataBase;
class CInboundSlot;
class CPromptPort;
class CConfirmDlg;

// The receiving server's view of the desktop program. Callable from any
// thread: every question is queued to the user-interface thread, which
// answers when it gets to it; nothing here ever waits. It keeps the served
// documents in step with the store.
class CAppServerHost : public QObject, public CServerHost {
    Q_OBJECT

public:
    CAppServerHost(CDataBase& store, CInboundSlot& slot, CPromptPort& prompt, QObject* parent = nullptr);
    ~CAppServerHost() override;

    void SetNetworkSettings(const NetworkProperty& settings);
    // Keeps the served documents up to date only while a server runs.
    void SetServing(bool serving) { m_publisher.SetServing(serving); }

    // CServerHost
    NetworkProperty GetNetworkSettings() override;
    void AskToReceive(int stringId, const std::vector<std::string>& args, int expireSeconds,
                      Reply<bool> reply) override;
    const CServedDocuments& GetServedDocuments() override { return m_served; }
    CInboundSlot& GetInboundSlot() override { return m_slot; }
    void ReportError(int stringId, const std::vector<std::string>& args) override;

    // Program exit: open questions are closed (their late answers are
    // ignored by the server) and queued work is dropped.
    void Close();

    // The confirmation boxes now open (user-interface thread).
    std::vector<CConfirmDlg*> OpenConfirmations() const;

private:
    void ShowConfirmation(const QString& text, int expireSeconds, Reply<bool> reply);

    CDataBase& m_store;
    CInboundSlot& m_slot;
    CPromptPort& m_prompt;
    CServedDocuments m_served;
    CServedPublisher m_publisher;

    std::mutex m_mutex;
    NetworkProperty m_settings;

    bool m_closed = false; // user-interface thread only
    std::vector<QPointer<CConfirmDlg>> m_confirmations;
};
