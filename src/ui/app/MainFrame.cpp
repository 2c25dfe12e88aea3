#include "ui/app/MainFrame.h"

#include "core/base/Strings.h"
#include "ui/app/TrayIcon.h"
#include "ui/common/AppStrings.h"

#include <QAction>
#include <QMenu>

#include <algorithm>
#include <iterator>

CMainFrame::CMainFrame() {
    setObjectName(QStringLiteral("MainFrame"));
    setWindowTitle(QString::fromLatin1(kTip));
    m_tray = new CTrayIcon(this);
    BuildMenu();
    connect(m_tray, &CTrayIcon::DefaultCommand, this, [this] { emit Command(kCmdNewMessage); });
}

CMainFrame::~CMainFrame() {
    m_tray->Remove();
    delete m_menu;
}

QAction* CMainFrame::AddCommand(QMenu* menu, int command, const QString& text) {
    QAction* action = menu->addAction(text);
    action->setData(command);
    connect(action, &QAction::triggered, this, [this, command] { emit Command(command); });
    return action;
}

void CMainFrame::BuildMenu() {
    // No parent: the menu is also shown from note windows, which must not own it.
    m_menu = new QMenu();
    m_menu->setObjectName(QStringLiteral("MainMenu"));
    m_menu->setTitle(tr("Quillet menu"));

    QAction* newMessage = AddCommand(m_menu, kCmdNewMessage, tr("New message(&N)..."));
    m_menu->setDefaultAction(newMessage);
    AddCommand(m_menu, kCmdSendNewMessage, tr("Send new message(&M)..."));
    AddCommand(m_menu, kCmdRetrieve, tr("Retrieve message(&R)..."));

    const QString groupTitle = AppStringText(strings::kGroupMenu);
    const QString messageTitle = AppStringText(strings::kMessageMenu);

    QMenu* display = m_menu->addMenu(tr("Display(&D)"));
    AddCommand(display, kCmdShowAll, tr("Show all(&S)"));
    AddCommand(display, kCmdHideAll, tr("Hide all(&H)"));
    display->addSeparator();
    m_popups[kDisplayGroup] = display->addMenu(groupTitle);
    m_popups[kDisplayMessage] = display->addMenu(messageTitle);

    QMenu* order = m_menu->addMenu(tr("Order(&E)"));
    AddCommand(order, kCmdUpperLeft, tr("Upper left(&1)"));
    AddCommand(order, kCmdLowerLeft, tr("Lower left(&2)"));
    AddCommand(order, kCmdUpperRight, tr("Upper right(&3)"));
    AddCommand(order, kCmdLowerRight, tr("Lower right(&4)"));
    order->addSeparator();
    AddCommand(order, kCmdRelocate, tr("Relocate messages into the screen(&5)"));

    QMenu* remove = m_menu->addMenu(tr("Delete(&L)"));
    m_popups[kDeleteGroup] = remove->addMenu(groupTitle);
    m_popups[kDeleteMessage] = remove->addMenu(messageTitle);
    remove->addSeparator();
    AddCommand(remove, kCmdDeleteAll, tr("Delete all(&A)"));

    QMenu* send = m_menu->addMenu(tr("Send(&S)"));
    m_popups[kSendGroup] = send->addMenu(groupTitle);
    m_popups[kSendMessage] = send->addMenu(messageTitle);

    m_menu->addSeparator();
    AddCommand(m_menu, kCmdFind, tr("Find(&F)..."));
    AddCommand(m_menu, kCmdGroupSettings, tr("Group settings(&G)..."));
    AddCommand(m_menu, kCmdProperty, tr("Property(&O)..."));
    m_menu->addSeparator();
    AddCommand(m_menu, kCmdHelp, tr("Help(&H)..."));
    AddCommand(m_menu, kCmdAbout, tr("About Quillet!(&A)..."));
    m_menu->addSeparator();
    AddCommand(m_menu, kCmdExit, tr("Exit(&X)"));

    const char* names[kPopupCount] = {"DisplayMessage", "DisplayGroup", "DeleteMessage",
                                      "DeleteGroup",    "SendMessage",  "SendGroup"};
    for (int i = 0; i < kPopupCount; ++i)
        m_popups[i]->setObjectName(QString::fromLatin1(names[i]));
}

bool CMainFrame::CreateTrayIcon() {
    if (!m_tray->Create(QString::fromLatin1(kTip), m_menu))
        return false;
    m_tray->SetIcon(CTrayIcon::ProgramIcon());
    return true;
}

QAction* CMainFrame::Action(int command) const {
    QList<QMenu*> menus{m_menu};
    while (!menus.isEmpty()) {
        QMenu* menu = menus.takeFirst();
        for (QAction* action : menu->actions()) {
            if (action->menu() != nullptr) {
                // The note and group pop-ups carry note IDs, not commands.
                if (std::find(std::begin(m_popups), std::end(m_popups), action->menu()) == std::end(m_popups))
                    menus.append(action->menu());
                continue;
            }
            if (action->data().userType() == QMetaType::Int && action->data().toInt() == command)
                return action;
        }
    }
    return nullptr;
}
