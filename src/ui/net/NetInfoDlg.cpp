#include "ui/net/NetInfoDlg.h"

#include "core/base/FieldText.h"
#include "core/net/AccessList.h"
#include "ui/common/ModalRun.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QValidator>
#include <QVBoxLayout>

namespace {

// Keeps a field within a number of UTF-8 bytes: what goes beyond (typed or
// pasted) is dropped at a character boundary.
class CByteLimitValidator : public QValidator {
public:
    CByteLimitValidator(int maxBytes, QObject* parent) : QValidator(parent), m_maxBytes(maxBytes) {}

    State validate(QString& input, int& position) const override {
        const QByteArray bytes = input.toUtf8();
        if (bytes.size() <= m_maxBytes)
            return Acceptable;
        const std::size_t keep = Utf8PrefixLength(std::string_view(bytes.constData(), bytes.size()), m_maxBytes);
        input = QString::fromUtf8(bytes.constData(), static_cast<qsizetype>(keep));
        position = std::min(position, static_cast<int>(input.size()));
        return Acceptable;
    }

private:
    int m_maxBytes;
};

QLineEdit* LimitedEdit(int maxBytes, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setValidator(new CByteLimitValidator(maxBytes, edit));
    return edit;
}

} // namespace

CNetInfoDlg::CNetInfoDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("netInfoDialog"));
    setWindowTitle(tr("Network information"));

    m_network = LimitedEdit(kNetworkBytes, this);
    m_mask = LimitedEdit(kMaskBytes, this);
    auto* form = new QFormLayout;
    form->addRow(tr("Network address"), m_network);
    form->addRow(tr("Net mask"), m_mask);
    m_network->setMinimumWidth(180);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(tr("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void CNetInfoDlg::SetInfo(const NetworkInfo& info) {
    m_info = info;
    m_network->setText(QString::fromStdString(std::string(FieldText(info.Network))));
    m_mask->setText(QString::fromStdString(std::string(FieldText(info.Mask))));
}

void CNetInfoDlg::accept() {
    // An entry the server cannot read would be skipped without a word; with
    // "Denied" chosen that could lock every peer out.
    if (!CAccessList::IsReadable(m_network->text().toStdString(), m_mask->text().toStdString())) {
        QMessageBox box(QMessageBox::Warning, windowTitle(),
                        tr("\"%1\" cannot be used. Enter an IPv4 or IPv6 address with a mask or a prefix length "
                           "(192.168.1.0 and 255.255.255.0, 192.168.1.0/24, fd00::/8), a single address, or a "
                           "host name.")
                            .arg(m_mask->text().trimmed().isEmpty()
                                     ? m_network->text().trimmed()
                                     : m_network->text().trimmed() + QStringLiteral(" ") + m_mask->text().trimmed()),
                        QMessageBox::Ok, this);
        modalrun::Exec(box);
        m_network->setFocus();
        return;
    }
    // CopyField cuts at a character boundary whatever reached the fields.
    CopyField(m_info.Network, m_network->text().toStdString());
    CopyField(m_info.Mask, m_mask->text().toStdString());
    QDialog::accept();
}
