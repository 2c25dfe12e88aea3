#include "ui/net/MessageSendDlg.h"

#include "ui/net/DestinationList.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

CMessageSendDlg::CMessageSendDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("Send message"));
    m_destinations = new CDestinationList(this);
    m_deleteCheck = new QCheckBox(tr("Delete after sending(&V)"), this);
    m_deleteCheck->setObjectName(QString::number(kIdDeleteAfterSending));

    auto* buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(tr("OK"), QDialogButtonBox::AcceptRole);
    m_ok->setDefault(true);
    buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &CMessageSendDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_destinations, 1);
    layout->addWidget(m_deleteCheck);
    layout->addWidget(buttons);
    resize(360, 240);

    connect(m_destinations, &CDestinationList::SelectionChanged, m_ok, &QPushButton::setEnabled);
    m_ok->setEnabled(m_destinations->HasSelection());
}

void CMessageSendDlg::SetDestinations(const CDestInfo& list) {
    m_destinations->SetList(list);
}

const CDestInfo& CMessageSendDlg::Destinations() const {
    return m_destinations->List();
}

void CMessageSendDlg::SetDefaultPort(int port) {
    m_destinations->SetDefaultPort(port);
}

void CMessageSendDlg::accept() {
    // Nothing chosen, nothing to send: OK is greyed then, but Enter may still come.
    const std::vector<DestEntry> chosen = m_destinations->SelectedDestinations();
    if (chosen.empty())
        return;
    m_chosen = chosen;
    m_deleteAfterSending = m_deleteCheck->isChecked();
    m_destinations->MoveToFront(m_chosen);
    QDialog::accept();
}
