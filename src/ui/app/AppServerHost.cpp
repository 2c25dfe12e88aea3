#include "ui/app/AppServerHost.h"
#include "ui/dialogs/ConfirmDlg.h"

#include "core/base/PromptPort.h"
#include "core/store/DataBase.h"
#include "ui/common/AppStrings.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <memory>

CAppServerHost::CAppServerHost(CDataBase& store, CInboundSlot& slot, CPromptPort& prompt, QObject* parent)
    : QObject(parent), m_store(store), m_slot(slot), m_prompt(prompt),
      m_publisher(store, m_served, [this](std::function<void()> call) {
          QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
      }) {
    m_store.SetChangeListener([this](int id) { m_publisher.Changed(id); });
}

CAppServerHost::~CAppServerHost() {
    m_store.SetChangeListener({});
    Close();
}

void CAppServerHost::SetNetworkSettings(const NetworkProperty& settings) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_settings = settings;
}

NetworkProperty CAppServerHost::GetNetworkSettings() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_settings;
}

void CAppServerHost::AskToReceive(int stringId, const std::vector<std::string>& args, int expireSeconds,
                                  Reply<bool> reply) {
    QMetaObject::invokeMethod(
        this,
        [this, stringId, args, expireSeconds, reply = std::move(reply)]() mutable {
            if (m_closed)
                return;
            ShowConfirmation(AppStringFormat(stringId, args), expireSeconds, std::move(reply));
        },
        Qt::QueuedConnection);
}

void CAppServerHost::ShowConfirmation(const QString& text, int expireSeconds, Reply<bool> reply) {
    // Not modal: the program goes on while the question waits, and the
    // dialog answers OK by itself once the time is up.
    auto pending = std::make_shared<Reply<bool>>(std::move(reply));
    QPointer<CConfirmDlg> dialog = CConfirmDlg::Ask(nullptr, text, expireSeconds, [pending](bool accepted) {
        if (!*pending)
            return;
        auto answer = std::move(*pending);
        *pending = nullptr;
        answer(accepted);
    });
    m_confirmations.erase(std::remove(m_confirmations.begin(), m_confirmations.end(), nullptr), m_confirmations.end());
    m_confirmations.push_back(dialog);
}

void CAppServerHost::ReportError(int stringId, const std::vector<std::string>& args) {
    QMetaObject::invokeMethod(
        this,
        [this, stringId, args] {
            if (!m_closed)
                m_prompt.ShowMessage(stringId, args, CPromptPort::Icon::Exclamation);
        },
        Qt::QueuedConnection);
}

void CAppServerHost::Close() {
    m_closed = true;
    for (const QPointer<CConfirmDlg>& box : m_confirmations)
        delete box.data();
    m_confirmations.clear();
}

std::vector<CConfirmDlg*> CAppServerHost::OpenConfirmations() const {
    std::vector<CConfirmDlg*> open;
    for (const QPointer<CConfirmDlg>& box : m_confirmations)
        if (!box.isNull() && box->isVisible())
            open.push_back(box.data());
    return open;
}
