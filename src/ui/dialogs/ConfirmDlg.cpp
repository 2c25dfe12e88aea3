#include "ui/dialogs/ConfirmDlg.h"

#include "ui/common/SoundPort.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <QHideEvent>
#include <QShowEvent>

namespace {
// One day is far beyond any sensible prompt; larger values would overflow the timer.
constexpr int kMaxExpireSeconds = 24 * 60 * 60;
} // namespace

CConfirmDlg::CConfirmDlg(const QString& text, int expireSeconds, QWidget* parent)
    : QDialog(parent), m_expireSeconds(std::clamp(expireSeconds, 0, kMaxExpireSeconds)) {
    setWindowTitle(tr("Confirmation"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_text = new QLabel(text, this);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(true);
    m_text->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_text->setMinimumSize(260, 40);
    m_text->setObjectName(QString::number(kIdText));

    auto* buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(tr("OK"), QDialogButtonBox::AcceptRole);
    m_cancel = buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    m_ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text, 1);
    layout->addWidget(buttons);

    m_expire.setSingleShot(true);
    // As if OK had been pressed.
    connect(&m_expire, &QTimer::timeout, m_ok, &QPushButton::click);
    m_countdown.setInterval(1000);
    connect(&m_countdown, &QTimer::timeout, this, &CConfirmDlg::Tick);
    UpdateOkText();
}

QPointer<CConfirmDlg> CConfirmDlg::Ask(QWidget* parent, const QString& text, int expireSeconds,
                                       std::function<void(bool)> done) {
    auto* dialog = new CConfirmDlg(text, expireSeconds, parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setModal(false);
    connect(dialog, &QDialog::finished, dialog, [done = std::move(done)](int result) {
        if (done)
            done(result == QDialog::Accepted);
    });
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    return dialog;
}

QString CConfirmDlg::Text() const {
    return m_text->text();
}

void CConfirmDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    CSoundPort::Default().Beep();
    if (m_expireSeconds > 0 && !m_expire.isActive()) {
        m_secondsLeft = m_expireSeconds;
        m_expire.start(m_expireSeconds * 1000);
        m_countdown.start();
        UpdateOkText();
    }
}

void CConfirmDlg::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    if (event->spontaneous())
        return;
    m_expire.stop();
    m_countdown.stop();
    m_secondsLeft = 0;
    UpdateOkText();
}

void CConfirmDlg::Tick() {
    if (m_secondsLeft > 1)
        --m_secondsLeft;
    UpdateOkText();
}

void CConfirmDlg::UpdateOkText() {
    if (m_secondsLeft > 0)
        m_ok->setText(tr("OK") + QStringLiteral(" (%1)").arg(m_secondsLeft));
    else
        m_ok->setText(tr("OK"));
}
