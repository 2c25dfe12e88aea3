#pragma once

#include <QWidget>

class CTrayIcon;
class QAction;
class QMenu;

// The hidden frame of the program (never shown): it owns the main menu
// ("Main", the tray icon's menu) and the tray icon, and turns the menu's fixed
// items into commands. The note and group pop-ups are filled by the application.
class CMainFrame : public QWidget {
    Q_OBJECT

public:
    // Fixed commands of the main menu.
    static constexpr int kCmdNewMessage = 32773;
    static constexpr int kCmdSendNewMessage = 32796;
    static constexpr int kCmdShowAll = 32790;
    static constexpr int kCmdHideAll = 32777;
    static constexpr int kCmdUpperLeft = 32785;
    static constexpr int kCmdLowerLeft = 32786;
    static constexpr int kCmdUpperRight = 32787;
    static constexpr int kCmdLowerRight = 32788;
    static constexpr int kCmdRelocate = 32823;
    static constexpr int kCmdDeleteAll = 32803;
    static constexpr int kCmdFind = 32804;
    static constexpr int kCmdGroupSettings = 32793;
    static constexpr int kCmdRetrieve = 32797;
    static constexpr int kCmdProperty = 32771;
    static constexpr int kCmdHelp = 32791;
    static constexpr int kCmdAbout = 57664;
    static constexpr int kCmdExit = 32798;

    // The pop-ups that list notes and groups.
    enum EPopup { kDisplayMessage, kDisplayGroup, kDeleteMessage, kDeleteGroup, kSendMessage, kSendGroup, kPopupCount };

    static constexpr const char* kTip = "Quillet!";

    CMainFrame();
    ~CMainFrame() override;

    // Puts the icon into the notification area; false when there is none.
    bool CreateTrayIcon();

    QMenu* Menu() const { return m_menu; }
    QMenu* Popup(EPopup popup) const { return m_popups[popup]; }
    CTrayIcon& Tray() const { return *m_tray; }
    // The item of a fixed command, or null when the menu has none.
    QAction* Action(int command) const;

signals:
    void Command(int command);

private:
    void BuildMenu();
    QAction* AddCommand(QMenu* menu, int command, const QString& text);

    QMenu* m_menu = nullptr;
    QMenu* m_popups[kPopupCount] = {};
    CTrayIcon* m_tray = nullptr;
};
