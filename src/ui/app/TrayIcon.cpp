#include "ui/app/TrayIcon.h"

#include <QMenu>
#include <QPainter>
#include <QPixmap>

namespace {

int g_availability = -1;

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

} // namespace

CTrayIcon::CTrayIcon(QObject* parent) : QObject(parent) {}

CTrayIcon::~CTrayIcon() {
    Remove();
}

bool CTrayIcon::IsAvailable() {
    if (g_availability >= 0)
        return g_availability != 0;
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
    case QSystemTrayIcon::MiddleClick:
    case QSystemTrayIcon::Unknown:
        // A single left click does nothing: it is also the first half of a
        // double click, which creates a note.
        break;
    }
}
