#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM, SIGINT and SIGHUP as a Qt signal on the user-interface thread. The
// handler only writes the signal number into a pipe; everything else (saving,
// quitting) happens in the event loop, never inside the handler.
class CQuitSignals : public QObject {
    Q_OBJECT

public:
    explicit CQuitSignals(QObject* parent = nullptr);
    // Restores the default actions.
    ~CQuitSignals() override;

    bool IsInstalled() const { return m_installed; }

signals:
    void Received(int signal);

private:
    void OnReadable();

    QSocketNotifier* m_notifier = nullptr;
    bool m_installed = false;
};
