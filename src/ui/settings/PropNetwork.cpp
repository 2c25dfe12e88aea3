#include "ui/settings/PropNetwork.h"

#include "core/base/FieldText.h"
#include "core/net/ReceiveServer.h"
#include "ui/common/ModalRun.h"
#include "ui/net/AccessLimitDlg.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <unistd.h>

namespace {

template <class T> T* Named(T* widget, int id) {
    widget->setObjectName(QString::number(id));
    return widget;
}

QLineEdit* NumberEdit(QWidget* parent, int id) {
    auto* edit = Named(new QLineEdit(parent), id);
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?[0-9]{0,9}")), edit));
    edit->setMaximumWidth(80);
    return edit;
}

} // namespace

std::string CPropNetwork::HostName() {
    char name[129] = {};
    if (gethostname(name, sizeof name - 1) != 0)
        return {};
    return std::string(name, strnlen(name, sizeof name - 1));
}

CPropNetwork::CPropNetwork(QWidget* parent) : CPropPage(parent) {
    m_allowConnection = Named(new QCheckBox(tr("Allow connection(&E)"), this), kIdAllowConnection);
    m_address = Named(new QLineEdit(this), kIdAddress);
    LimitBytes(m_address, kMaxAddressBytes);
    m_addressLabel = Named(new QLabel(tr("Address(&A)"), this), kIdAddressLabel);
    m_addressLabel->setBuddy(m_address);
    m_port = NumberEdit(this, kIdPort);
    m_portLabel = Named(new QLabel(tr("Port(&P)"), this), kIdPortLabel);
    m_portLabel->setBuddy(m_port);
    m_listenHint = Named(new QLabel(this), kIdListenHint);
    m_listenHint->setWordWrap(true);
    connect(m_address, &QLineEdit::textChanged, this, &CPropNetwork::ShowListenHint);
    m_accessLimit = Named(new QPushButton(tr("Access limit(&L)..."), this), kIdAccessLimit);
    m_confirm = Named(new QCheckBox(tr("Confirm message receive(&C)"), this), kIdConfirm);
    m_expireLabel = Named(new QLabel(tr("Confirmation dialog will be closed after"), this), kIdExpireLabel);
    m_expire = NumberEdit(this, kIdExpire);
    m_secLabel = Named(new QLabel(tr("sec."), this), kIdSecLabel);
    m_allowTransfer = Named(new QCheckBox(tr("Allow message transfer(&T)"), this), kIdAllowTransfer);
    m_user = Named(new QLineEdit(this), kIdUser);
    LimitBytes(m_user, kMaxUserBytes);
    m_userLabel = Named(new QLabel(tr("User ID(&I)"), this), kIdUserLabel);
    m_userLabel->setBuddy(m_user);
    m_passwd = Named(new QLineEdit(this), kIdPasswd);
    m_passwd->setEchoMode(QLineEdit::Password);
    LimitBytes(m_passwd, kMaxPasswdBytes);
    m_passwdLabel = Named(new QLabel(tr("Password(&S)"), this), kIdPasswdLabel);
    m_passwdLabel->setBuddy(m_passwd);
    auto* hint =
        Named(new QLabel(tr("You should set User ID and Password when you enable message transfer."), this), kIdHint);
    hint->setWordWrap(true);

    // Off until the settings turn them on.
    for (QWidget* widget :
         {static_cast<QWidget*>(m_expireLabel), static_cast<QWidget*>(m_expire), static_cast<QWidget*>(m_secLabel),
          static_cast<QWidget*>(m_userLabel), static_cast<QWidget*>(m_user), static_cast<QWidget*>(m_passwdLabel),
          static_cast<QWidget*>(m_passwd)})
        widget->setEnabled(false);

    connect(m_allowConnection, &QCheckBox::clicked, this, &CPropNetwork::ClickAllowConnection);
    connect(m_confirm, &QCheckBox::clicked, this, &CPropNetwork::ClickConfirm);
    connect(m_allowTransfer, &QCheckBox::clicked, this, &CPropNetwork::ClickAllowTransfer);
    connect(m_accessLimit, &QPushButton::clicked, this, &CPropNetwork::AccessLimit);

    auto* server = new QGridLayout;
    server->addWidget(m_addressLabel, 0, 0);
    server->addWidget(m_address, 0, 1);
    server->addWidget(m_portLabel, 1, 0);
    server->addWidget(m_port, 1, 1, Qt::AlignLeft);
    server->addWidget(m_listenHint, 2, 1);
    server->setColumnStretch(1, 1);

    auto* expire = new QHBoxLayout;
    expire->addSpacing(20);
    expire->addWidget(m_expireLabel);
    expire->addWidget(m_expire);
    expire->addWidget(m_secLabel);
    expire->addStretch(1);

    auto* account = new QGridLayout;
    account->setContentsMargins(20, 0, 0, 0);
    account->addWidget(m_userLabel, 0, 0);
    account->addWidget(m_user, 0, 1);
    account->addWidget(m_passwdLabel, 1, 0);
    account->addWidget(m_passwd, 1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_allowConnection);
    layout->addLayout(server);
    layout->addWidget(m_accessLimit, 0, Qt::AlignLeft);
    layout->addWidget(m_confirm);
    layout->addLayout(expire);
    layout->addWidget(m_allowTransfer);
    layout->addLayout(account);
    layout->addWidget(hint);
    layout->addStretch(1);
}

void CPropNetwork::SetProperty(const NetworkProperty& property) {
    m_property = property;
    Refresh();
}

void CPropNetwork::OnInitDialog() {
    m_allowConnection->setChecked(m_property.AcceptConnection == 1);
    QString address = FromField(FieldText(m_property.Address));
    // Shown, and stored if the page is applied.
    if (address.isEmpty())
        address = QString::fromStdString(HostName());
    m_address->setText(address);
    m_port->setText(QString::number(m_property.Port));
    ShowListenHint();
    m_confirm->setChecked(m_property.ConfirmReceive == 1);
    m_expire->setText(QString::number(m_property.ConfirmExpire));
    m_allowTransfer->setChecked(m_property.AcceptTransfer == 1);
    m_user->setText(FromField(FieldText(m_property.User)));
    m_passwd->setText(FromField(FieldText(m_property.Passwd)));
    ApplyEnabling();
}

void CPropNetwork::OnApply() {
    m_property.AcceptConnection = m_allowConnection->isChecked() ? 1 : 0;
    CopyField(m_property.Address, m_address->text().toStdString());
    m_property.Port = static_cast<std::uint16_t>(ReadInt(m_port)); // checked by OnCheck
    m_property.ConfirmReceive = m_confirm->isChecked() ? 1 : 0;
    m_property.ConfirmExpire = ReadInt(m_expire);
    m_property.AcceptTransfer = m_allowTransfer->isChecked() ? 1 : 0;
    CopyField(m_property.User, m_user->text().toStdString());
    CopyField(m_property.Passwd, m_passwd->text().toStdString());
}

QString CPropNetwork::OnCheck() const {
    // A stored port is kept as it is (0 asks the system for one, as scripts do).
    if (m_port->text() == QString::number(m_property.Port))
        return {};
    bool number = false;
    const int port = m_port->text().trimmed().toInt(&number);
    if (!number || port < 1 || port > 65535)
        return tr("The port must be a number from 1 to 65535.");
    return {};
}

void CPropNetwork::ShowListenHint() {
    const std::string address = m_address->text().trimmed().toStdString();
    if (CReceiveServer::ListensEverywhere(address)) {
        m_listenHint->setText(tr("Other computers reach this one at any of its addresses."));
        return;
    }
    if (CReceiveServer::IsLoopbackAddress(address))
        m_listenHint->setText(tr("Only programs on this computer can reach %1; leave Address empty to receive from "
                                 "other computers.")
                                  .arg(m_address->text().trimmed()));
    else
        m_listenHint->setText(tr("Other computers reach this one only at %1.").arg(m_address->text().trimmed()));
}

void CPropNetwork::ApplyEnabling() {
    const bool allow = m_allowConnection->isChecked();
    for (QWidget* widget :
         {static_cast<QWidget*>(m_addressLabel), static_cast<QWidget*>(m_address), static_cast<QWidget*>(m_portLabel),
          static_cast<QWidget*>(m_port), static_cast<QWidget*>(m_listenHint), static_cast<QWidget*>(m_confirm),
          static_cast<QWidget*>(m_accessLimit), static_cast<QWidget*>(m_allowTransfer)})
        widget->setEnabled(allow);
    // Switched on only where their own box is ticked; otherwise left as they are.
    if (!allow || m_confirm->isChecked())
        ClickConfirm();
    if (!allow || m_allowTransfer->isChecked())
        ClickAllowTransfer();
}

void CPropNetwork::ClickAllowConnection() {
    ApplyEnabling();
}

void CPropNetwork::ClickConfirm() {
    const bool on = m_allowConnection->isChecked() && m_confirm->isChecked();
    m_expireLabel->setEnabled(on);
    m_expire->setEnabled(on);
    m_secLabel->setEnabled(on);
}

void CPropNetwork::ClickAllowTransfer() {
    const bool on = m_allowConnection->isChecked() && m_allowTransfer->isChecked();
    m_userLabel->setEnabled(on);
    m_user->setEnabled(on);
    m_passwdLabel->setEnabled(on);
    m_passwd->setEnabled(on);
}

void CPropNetwork::AccessLimit() {
    CAccessLimitDlg dialog(this);
    dialog.SetAccess(m_property.AllowAll, m_property.NetworkInfoList);
    if (modalrun::Exec(dialog) != QDialog::Accepted)
        return;
    m_property.AllowAll = dialog.AllowAll();
    m_property.NetworkInfoList = dialog.List();
}
