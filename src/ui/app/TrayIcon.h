#pragma once

#include <QIcon>
#include <QObject>
#include <QString>
#include <QSystemTrayIcon>

class QMenu;

// The notification-area icon: tooltip, icon and the main menu on a right
// click; a double click asks for the menu's default command. A StatusNotifier
// host reports each click as one activation and never a double click, so
// there one activation asks for it.
class CTrayIcon : public QObject {
    Q_OBJECT

public:
    static constexpr int kIconId = 132;

    explicit CTrayIcon(QObject* parent = nullptr);
    ~CTrayIcon() override;

    // Puts the icon into the notification area with its tip and menu. False,
    // and nothing shown, when the desktop has no notification area.
    bool Create(const QString& tip, QMenu* menu);
    void SetIcon(const QIcon& icon);
    // At exit: takes the icon away.
    void Hide();
    // Takes the icon away for good.
    void Remove();

    bool IsEnabled() const { return m_enabled; }
    bool IsHidden() const { return m_hidden; }
    QSystemTrayIcon* Icon() const { return m_icon; }

    // Whether a notification area exists; tests decide it themselves.
    static bool IsAvailable();
    static void SetAvailabilityOverride(int available); // -1 = ask the system

    // The program's icon: the embedded picture, drawn here when no image
    // plug-in can read it.
    static QIcon ProgramIcon();

signals:
    // Double click (XEmbed) or activation (StatusNotifier): the default item
    // of the menu (New message).
    void DefaultCommand();

private:
    void OnTrayNotification(QSystemTrayIcon::ActivationReason reason);

    QSystemTrayIcon* m_icon = nullptr;
    QMenu* m_menu = nullptr;
    bool m_enabled = false;
    bool m_hidden = false;
    // Whether the icon lives on a StatusNotifier host; -1 until first asked.
    int m_statusNotifier = -1;
};
