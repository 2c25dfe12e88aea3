#include "ui/note/ReminderNotifier.h"

#include "ui/note/MessageDlg.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kDefaultAction = QStringLiteral("default");
// Let the server decide how long the notice stays.
constexpr int kServerTimeout = -1;

} // namespace

CReminderNotifier::CReminderNotifier(QObject* parent) : QObject(parent) {}

CReminderNotifier::~CReminderNotifier() = default;

void CReminderNotifier::Notify(CMessageDlg* note) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (note == nullptr || !bus.isConnected())
        return;
    if (!m_listening) {
        // Signals of a service that starts later (on activation) arrive too.
        bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                    SLOT(OnActionInvoked(uint, QString)));
        bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                    SLOT(OnClosed(uint, uint)));
        m_listening = true;
    }
    uint replaces = 0;
    for (auto it = m_notes.cbegin(); it != m_notes.cend(); ++it)
        if (it.value() == note)
            replaces = it.key();

    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("quillet")}};
    call << QStringLiteral("Quillet") << replaces << QStringLiteral("quillet")
         << QString::fromStdString(note->GetDisplayTitle()) << QString()
         << QStringList{kDefaultAction, tr("Show the note")} << hints << kServerTimeout;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, guard = QPointer<CMessageDlg>(note)](QDBusPendingCallWatcher* w) { OnReply(w, guard); });
}

void CReminderNotifier::OnReply(QDBusPendingCallWatcher* watcher, CMessageDlg* note) {
    watcher->deleteLater();
    const QDBusPendingReply<uint> reply = *watcher;
    // No service: the note on top is all there is, as without a desktop.
    if (reply.isError() || note == nullptr)
        return;
    m_notes.insert(reply.value(), note);
}

void CReminderNotifier::OnActionInvoked(uint id, const QString& action) {
    const QPointer<CMessageDlg> note = m_notes.value(id);
    if (action != kDefaultAction || note.isNull())
        return;
    note->Show(ShowCommand::Show);
}

void CReminderNotifier::OnClosed(uint id, uint /*reason*/) {
    m_notes.remove(id);
}
