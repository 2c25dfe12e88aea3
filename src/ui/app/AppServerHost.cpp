#include "ui/app/AppServerHost.h"

#include "core/net/MessageList.h"
#include "core/store/DataBase.h"
#include "core/store/PromptPort.h"
#include "ui/app/AppStrings.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <memory>

CAppServerHost::CAppServerHost(CDataBase& store, CInboundSlot& slot, CPromptPort& prompt, QObject* parent)
    : QObject(parent), m_store(store), m_slot(slot), m_prompt(prompt) {}

CAppServerHost::~CAppServerHost() {
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
    const QString title = QGuiApplication::applicationDisplayName();
    auto* box = new QMessageBox(QMessageBox::Question, title.isEmpty() ? QStringLiteral("Quillet!") : title, text,
                                QMessageBox::Ok | QMessageBox::Cancel);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setDefaultButton(QMessageBox::Ok);
    box->setEscapeButton(QMessageBox::Cancel);
    box->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    // One answer only, whichever way the box goes.
    auto pending = std::make_shared<Reply<bool>>(std::move(reply));
    connect(box, &QMessageBox::finished, box, [box, pending] {
        if (!*pending)
            return;
        const bool accepted = box->clickedButton() == box->button(QMessageBox::Ok);
        auto answer = std::move(*pending);
        *pending = nullptr;
        answer(accepted);
    });
    if (expireSeconds > 0) {
        // Unanswered, the question closes itself as if OK were pressed.
        QTimer::singleShot(expireSeconds * 1000, box, [box] { box->button(QMessageBox::Ok)->click(); });
    }
    m_confirmations.erase(std::remove(m_confirmations.begin(), m_confirmations.end(), nullptr), m_confirmations.end());
    m_confirmations.emplace_back(box);
    // Not modal: the program goes on while the question waits.
    box->show();
    box->raise();
}

void CAppServerHost::GetMessageList(Reply<CMessageList> reply) {
    QMetaObject::invokeMethod(
        this,
        [this, reply = std::move(reply)] {
            if (!m_closed)
                reply(CMessageList::FromStore(m_store));
        },
        Qt::QueuedConnection);
}

void CAppServerHost::GetMessageDocument(int id, Reply<std::string> reply) {
    QMetaObject::invokeMethod(
        this,
        [this, id, reply = std::move(reply)] {
            if (!m_closed)
                reply(m_store.Serialize(id));
        },
        Qt::QueuedConnection);
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
    for (const QPointer<QMessageBox>& box : m_confirmations)
        delete box.data();
    m_confirmations.clear();
}

std::vector<QMessageBox*> CAppServerHost::OpenConfirmations() const {
    std::vector<QMessageBox*> open;
    for (const QPointer<QMessageBox>& box : m_confirmations)
        if (!box.isNull() && box->isVisible())
            open.push_back(box.data());
    return open;
}
