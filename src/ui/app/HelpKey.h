#pragma once

#include <QObject>

// F1 in any window of the program asks for help. The program has no main
// window whose menu could carry the shortcut, and a widget shortcut of the
// hidden frame never fires, so the key is taken from the application's event
// stream before the focused widget sees it.
class CHelpKey : public QObject {
    Q_OBJECT

public:
    // Watches the application while it lives.
    explicit CHelpKey(QObject* parent = nullptr);
    ~CHelpKey() override;

signals:
    void Requested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
