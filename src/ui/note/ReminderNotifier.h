#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>

class CMessageDlg;
class QDBusPendingCallWatcher;

// Tells the desktop's notification centre (org.freedesktop.Notifications on
// the session bus) that a note's reminder went off; choosing the notice shows
// and raises the note. Without a bus or a notification service nothing
// happens: the note coming up top-most is the reminder itself.
class CReminderNotifier : public QObject {
    Q_OBJECT

public:
    explicit CReminderNotifier(QObject* parent = nullptr);
    ~CReminderNotifier() override;

    // Sends a notice titled with the note's display title; a notice still open
    // for the same note is replaced. Never waits for the service.
    void Notify(CMessageDlg* note);

private slots:
    void OnActionInvoked(uint id, const QString& action);
    void OnClosed(uint id, uint reason);

private:
    void OnReply(QDBusPendingCallWatcher* watcher, CMessageDlg* note);

    bool m_listening = false;
    // Open notices by the service's id.
    QHash<uint, QPointer<CMessageDlg>> m_notes;
};
