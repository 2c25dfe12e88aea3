#include "ui/app/TrayIcon.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QStringList>

#include <algorithm>

#ifdef QUILLET_HAVE_XCB
#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>
#include <string>
#endif

namespace {

int g_availability = -1;
// The desktop's watcher answers at once or not at all.
constexpr int kWatcherTimeoutMs = 1000;
const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");

// A yellow sticky note with a folded corner and three lines of text.
QPixmap DrawnIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 32.0, size / 32.0);
    const QPolygonF sheet({{3, 3}, {29, 3}, {29, 21}, {21, 29}, {3, 29}});
    painter.setPen(QPen(QColor(0x8a, 0x6d, 0x00), 1.2));
    painter.setBrush(QColor(0xf0, 0xe6, 0x3c));
    painter.drawPolygon(sheet);
    painter.setBrush(QColor(0xc8, 0xb4, 0x1e));
    painter.drawPolygon(QPolygonF({{29, 21}, {21, 21}, {21, 29}}));
    painter.setPen(QPen(QColor(0x5a, 0x4a, 0x10), 1.6));
    for (int y : {10, 15, 20})
        painter.drawLine(QPointF(7, y), QPointF(y == 20 ? 17 : 25, y));
    return pixmap;
}

// A property of the desktop's StatusNotifier watcher; invalid when there is
// no session bus or the watcher does not answer.
QVariant WatcherProperty(QDBusConnection& bus, const QString& name) {
    if (!bus.isConnected() || bus.interface() == nullptr)
        return {};
    QDBusMessage get =
        QDBusMessage::createMethodCall(kWatcher, QStringLiteral("/StatusNotifierWatcher"),
                                       QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << kWatcher << name;
    const QDBusMessage reply = bus.call(get, QDBus::Block, kWatcherTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().first().value<QDBusVariant>().variant();
}

// Qt shows the icon as a StatusNotifierItem when the desktop's watcher has a
// host, and docks an XEmbed window otherwise; it does not say which. The
// watcher's list does: an item whose bus connection belongs to this process.
bool ShownAsStatusNotifier() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QStringList items = WatcherProperty(bus, QStringLiteral("RegisteredStatusNotifierItems")).toStringList();
    const auto pid = static_cast<uint>(QCoreApplication::applicationPid());
    // An entry is a bus name, or a bus name and the item's object path.
    return std::any_of(items.cbegin(), items.cend(), [&](const QString& item) {
        const QDBusReply<uint> owner = bus.interface()->servicePid(item.section(QLatin1Char('/'), 0, 0));
        return owner.isValid() && owner.value() == pid;
    });
}

#ifdef QUILLET_HAVE_XCB
bool StatusNotifierHostRunning() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    // Asking an absent watcher could start one by activation, or wait for it.
    if (!bus.isConnected() || bus.interface() == nullptr || !bus.interface()->isServiceRegistered(kWatcher))
        return false;
    return WatcherProperty(bus, QStringLiteral("IsStatusNotifierHostRegistered")).toBool();
}

// Whether an XEmbed tray manager owns its selection on our screen; -1 when
// this is no X11 session.
int XEmbedTrayRunning() {
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11 == nullptr || x11->connection() == nullptr)
        return -1;
    xcb_connection_t* connection = x11->connection();
    char* host = nullptr;
    int display = 0;
    int screen = 0;
    if (xcb_parse_display(nullptr, &host, &display, &screen) == 0)
        screen = 0;
    std::free(host);
    const std::string name = "_NET_SYSTEM_TRAY_S" + std::to_string(screen);
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, static_cast<uint16_t>(name.size()), name.c_str()), nullptr);
    if (atom == nullptr)
        return 0;
    const xcb_atom_t selection = atom->atom;
    std::free(atom);
    // Only-if-exists: no atom means no manager ever took it.
    if (selection == XCB_ATOM_NONE)
        return 0;
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr);
    const bool owned = owner != nullptr && owner->owner != XCB_NONE;
    std::free(owner);
    return owned ? 1 : 0;
}
#endif

} // namespace

CTrayIcon::CTrayIcon(QObject* parent) : QObject(parent) {}

CTrayIcon::~CTrayIcon() {
    Remove();
}

bool CTrayIcon::IsAvailable() {
    if (g_availability >= 0)
        return g_availability != 0;
#ifdef QUILLET_HAVE_XCB
    // Qt decides once per process, on first asking, between a StatusNotifier
    // host and an XEmbed tray, and keeps that answer. Asked while neither
    // runs it would settle on XEmbed, and a StatusNotifier host that comes up
    // later would never get the icon; so Qt is asked only once one of them
    // is there.
    if (XEmbedTrayRunning() == 0 && !StatusNotifierHostRunning())
        return false;
#endif
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void CTrayIcon::SetAvailabilityOverride(int available) {
    g_availability = available;
}

QIcon CTrayIcon::ProgramIcon() {
    QIcon icon(QStringLiteral(":/icons/quillet.svg"));
    if (!icon.pixmap(32, 32).isNull())
        return icon;
    QIcon drawn;
    for (int size : {16, 22, 24, 32, 48, 64})
        drawn.addPixmap(DrawnIcon(size));
    return drawn;
}

bool CTrayIcon::Create(const QString& tip, QMenu* menu) {
    if (m_enabled)
        return true;
    if (!IsAvailable())
        return false;
    m_menu = menu;
    m_icon = new QSystemTrayIcon(this);
    m_icon->setToolTip(tip);
    m_icon->setContextMenu(menu);
    connect(m_icon, &QSystemTrayIcon::activated, this, &CTrayIcon::OnTrayNotification);
    m_enabled = true;
    m_hidden = false;
    m_statusNotifier = -1;
    return true;
}

void CTrayIcon::SetIcon(const QIcon& icon) {
    if (m_icon == nullptr)
        return;
    m_icon->setIcon(icon);
    if (!m_hidden)
        m_icon->show();
}

void CTrayIcon::Hide() {
    if (m_enabled && !m_hidden) {
        m_icon->hide();
        m_hidden = true;
    }
}

void CTrayIcon::Remove() {
    if (!m_enabled)
        return;
    m_icon->hide();
    delete m_icon;
    m_icon = nullptr;
    m_enabled = false;
}

void CTrayIcon::OnTrayNotification(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::DoubleClick:
        emit DefaultCommand();
        break;
    case QSystemTrayIcon::Context:
        // The menu is the icon's context menu; its first item is the default.
        if (m_menu != nullptr && !m_menu->actions().isEmpty())
            m_menu->setDefaultAction(m_menu->actions().first());
        break;
    case QSystemTrayIcon::Trigger:
        // On a StatusNotifier host this is the whole click; in an XEmbed tray
        // it is also the first half of a double click, which creates a note.
        if (m_statusNotifier < 0)
            m_statusNotifier = ShownAsStatusNotifier() ? 1 : 0;
        if (m_statusNotifier == 1)
            emit DefaultCommand();
        break;
    case QSystemTrayIcon::MiddleClick:
    case QSystemTrayIcon::Unknown:
        break;
    }
}
