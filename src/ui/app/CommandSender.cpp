#include "ui/app/CommandSender.h"

#include "ui/app/CommandBus.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QThread>

#include <cstring>
#include <utility>

const char* CCommandSender::MethodOf(const char* option) {
    for (const Option& each : kOptions)
        if (std::strcmp(option, each.Name) == 0)
            return each.Method;
    return nullptr;
}

CCommandSender::CCommandSender(std::function<bool()> isRunning) : m_isRunning(std::move(isRunning)) {}

QString CCommandSender::Send(const QString& method, const QVariantList& arguments) {
    if (!m_isRunning())
        return QStringLiteral("Quillet is not running");
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return QStringLiteral("no session bus to reach the running program (%1)").arg(bus.lastError().message());

    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(commandbus::kService),
                                                       QString::fromLatin1(commandbus::kPath),
                                                       QString::fromLatin1(commandbus::kInterface), method);
    call.setArguments(arguments);
    // Nothing on the bus may start a program in our place: the lock decides.
    call.setAutoStartService(false);

    const auto deadline = std::chrono::steady_clock::now() + kAnswerWindow;
    for (;;) {
        const QDBusMessage reply = bus.call(call, QDBus::Block, kCallTimeoutMs);
        if (reply.type() == QDBusMessage::ReplyMessage)
            return QString();
        const QDBusError::ErrorType error = QDBusError(reply).type();
        const bool nameMissing = error == QDBusError::ServiceUnknown ||
                                 reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner");
        if (error == QDBusError::NoReply || error == QDBusError::Timeout)
            return QStringLiteral("the running program does not answer: %1").arg(reply.errorMessage());
        if (!nameMissing)
            return QStringLiteral("the running program refused the command: %1").arg(reply.errorMessage());
        // Still starting up, or ended meanwhile.
        if (!m_isRunning())
            return QStringLiteral("Quillet is not running");
        if (std::chrono::steady_clock::now() >= deadline)
            return QStringLiteral("Quillet runs but does not answer on the session bus (no owner of %1); "
                                  "was it started in another session?")
                .arg(QString::fromLatin1(commandbus::kService));
        QThread::msleep(static_cast<unsigned long>(kRetryStep.count()));
    }
}
