#pragma once

#include <QDBusContext>
#include <QObject>
#include <QString>

class CPinletApp;

// The program's commands on the session bus (commandbus::kService): each
// method runs the main menu's command of the same name. Commands run from the
// event loop after the reply has gone out, so a caller never waits on a
// dialog that a command opens.
class CCommandService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "io.github.quillet.Quillet") // commandbus::kInterface

public:
    explicit CCommandService(CPinletApp& app, QObject* parent = nullptr);
    ~CCommandService() override;

    // Exports the object and takes the name. False, and the program goes on
    // without commands, when there is no session bus or the name is taken.
    bool Register();
    void Unregister();

public slots:
    Q_SCRIPTABLE void NewNote();
    // Shows and raises every note.
    Q_SCRIPTABLE void ShowAll();
    Q_SCRIPTABLE void HideAll();
    // corner: upper-left, lower-left, upper-right or lower-right.
    Q_SCRIPTABLE void Arrange(const QString& corner);
    // The main menu at the mouse pointer.
    Q_SCRIPTABLE void OpenMenu();
    Q_SCRIPTABLE void Find();
    Q_SCRIPTABLE void Quit();

private:
    void Run(int command);

    CPinletApp& m_app;
    bool m_registered = false;
};
