#pragma once

#include <QDialog>
#include <QPointer>
#include <QTimer>

#include <functional>

class QLabel;
class QPushButton;

// A question with OK and Cancel that answers itself with OK after a time-out,
// counting the seconds down on the OK button. It beeps when shown and stops
// counting while hidden. Used to ask whether a delivered note is accepted.
class CConfirmDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kIdText = 1008;
    // The time-out timer's id in the resource set; here one single-shot QTimer.
    static constexpr int kExpireTimerId = 2;

    // expireSeconds 0 waits for the user.
    CConfirmDlg(const QString& text, int expireSeconds, QWidget* parent = nullptr);

    // Asks without waiting: the dialog is shown non-modally and done(true) is
    // called on OK or the time-out, done(false) on Cancel or when the dialog is
    // closed. The dialog deletes itself when it ends; the pointer lets the
    // caller close it early (it then answers false).
    static QPointer<CConfirmDlg> Ask(QWidget* parent, const QString& text, int expireSeconds,
                                     std::function<void(bool)> done);

    QString Text() const;
    int ExpireSeconds() const { return m_expireSeconds; }
    // Seconds left before the dialog answers itself; 0 when it does not.
    int SecondsLeft() const { return m_secondsLeft; }
    bool IsCounting() const { return m_expire.isActive(); }
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void Tick();
    void UpdateOkText();

    QLabel* m_text = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QTimer m_expire;
    QTimer m_countdown;
    int m_expireSeconds = 0;
    int m_secondsLeft = 0;
};
