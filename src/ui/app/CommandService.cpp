#include "ui/app/CommandService.h"

#include "ui/app/CommandBus.h"
#include "ui/app/MainFrame.h"
#include "ui/app/PinletApp.h"

#include <QCursor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QMenu>

#include <utility>

CCommandService::CCommandService(CPinletApp& app, QObject* parent) : QObject(parent), m_app(app) {}

CCommandService::~CCommandService() {
    Unregister();
}

bool CCommandService::Register() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        qCInfo(lcApp) << "no session bus: commands from other programs are off";
        return false;
    }
    if (!bus.registerObject(QString::fromLatin1(commandbus::kPath), this, QDBusConnection::ExportScriptableSlots)) {
        qCWarning(lcApp) << "cannot export the command object on the session bus";
        return false;
    }
    if (!bus.registerService(QString::fromLatin1(commandbus::kService))) {
        // Another program holds it: one running without the instance lock.
        qCWarning(lcApp) << "the session bus name" << commandbus::kService << "is taken:" << bus.lastError().message();
        bus.unregisterObject(QString::fromLatin1(commandbus::kPath));
        return false;
    }
    m_registered = true;
    return true;
}

void CCommandService::Unregister() {
    if (!m_registered)
        return;
    m_registered = false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterService(QString::fromLatin1(commandbus::kService));
    bus.unregisterObject(QString::fromLatin1(commandbus::kPath));
}

void CCommandService::Run(int command) {
    QMetaObject::invokeMethod(
        this, [this, command] { m_app.RunCommand(command); }, Qt::QueuedConnection);
}

void CCommandService::NewNote() {
    Run(CMainFrame::kCmdNewMessage);
}

void CCommandService::ShowAll() {
    Run(CMainFrame::kCmdShowAll);
}

void CCommandService::HideAll() {
    Run(CMainFrame::kCmdHideAll);
}

void CCommandService::Arrange(const QString& corner) {
    static const std::pair<const char*, int> kCorners[] = {
        {"upper-left", CMainFrame::kCmdUpperLeft},
        {"lower-left", CMainFrame::kCmdLowerLeft},
        {"upper-right", CMainFrame::kCmdUpperRight},
        {"lower-right", CMainFrame::kCmdLowerRight},
    };
    for (const auto& [name, command] : kCorners) {
        if (corner == QLatin1String(name)) {
            Run(command);
            return;
        }
    }
    if (calledFromDBus())
        sendErrorReply(
            QDBusError::InvalidArgs,
            QStringLiteral("unknown corner '%1': upper-left, lower-left, upper-right or lower-right").arg(corner));
}

void CCommandService::OpenMenu() {
    QMetaObject::invokeMethod(
        this, [this] { m_app.MainFrame()->Menu()->popup(QCursor::pos()); }, Qt::QueuedConnection);
}

void CCommandService::Find() {
    Run(CMainFrame::kCmdFind);
}

void CCommandService::Quit() {
    Run(CMainFrame::kCmdExit);
}
