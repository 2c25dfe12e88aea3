#include "ui/net/HostInfoDlg.h"

#include "ui/common/ModalRun.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kMaxPort = 65535;
} // namespace

CHostInfoDlg::CHostInfoDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("hostInfoDialog"));
    setWindowTitle(tr("Host Information"));

    m_address = new QLineEdit(this);
    m_port = new QLineEdit(this);
    m_port->setValidator(new QIntValidator(0, kMaxPort, m_port));
    m_port->setMaxLength(5);
    auto* addressLabel = new QLabel(tr("Address(&A)"), this);
    addressLabel->setBuddy(m_address);
    auto* portLabel = new QLabel(tr("Port(&P)"), this);
    portLabel->setBuddy(m_port);
    m_find = new QPushButton(tr("Find(&F)..."), this);
    m_find->setAutoDefault(false);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(tr("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    ok->setDefault(true);

    auto* grid = new QGridLayout;
    grid->addWidget(addressLabel, 0, 0);
    grid->addWidget(m_address, 0, 1);
    grid->addWidget(m_find, 0, 2);
    grid->addWidget(portLabel, 1, 0);
    grid->addWidget(m_port, 1, 1);
    grid->setColumnMinimumWidth(1, 180);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &CHostInfoDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_find, &QPushButton::clicked, this, &CHostInfoDlg::Find);
}

void CHostInfoDlg::SetAddress(const QString& address) {
    m_address->setText(address);
}

QString CHostInfoDlg::Address() const {
    return m_address->text();
}

void CHostInfoDlg::SetPort(int port) {
    m_port->setText(port > 0 && port <= kMaxPort ? QString::number(port) : QString());
}

int CHostInfoDlg::Port() const {
    bool ok = false;
    const int port = m_port->text().trimmed().toInt(&ok);
    return ok && port > 0 && port <= kMaxPort ? port : 0;
}

void CHostInfoDlg::accept() {
    // Refused here with a word, rather than the destination dropped silently.
    if (m_address->text().trimmed().isEmpty() || Port() == 0) {
        QMessageBox box(QMessageBox::Warning, windowTitle(),
                        tr("Enter the other computer's name or address, and a port from 1 to 65535."), QMessageBox::Ok,
                        this);
        modalrun::Exec(box);
        (m_address->text().trimmed().isEmpty() ? m_address : m_port)->setFocus();
        return;
    }
    QDialog::accept();
}

void CHostInfoDlg::Find() {
    CHostSearchDlg search(this, m_browse);
    if (modalrun::Exec(search) != QDialog::Accepted || search.HostName().isEmpty())
        return;
    // The address works without ".local" name resolution (libnss-mdns is only
    // recommended); the name would stay right across address changes but
    // fail silently where nothing resolves it.
    m_address->setText(search.HostAddress().isEmpty() ? search.HostName() : search.HostAddress());
    // The computer told us where its server listens; another port would miss it.
    if (search.HostPort() != 0)
        SetPort(search.HostPort());
}
