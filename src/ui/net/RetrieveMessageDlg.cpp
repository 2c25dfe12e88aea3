#include "ui/net/RetrieveMessageDlg.h"

#include "core/base/PromptPort.h"
#include "core/base/Strings.h"
#include "core/net/NoteClient.h"
#include "ui/common/MessageBoxPrompt.h"
#include "ui/net/NetRequests.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// A row is a note (its ID) or a group (its index in the dialog's groups).
constexpr int kKindRole = Qt::UserRole;
constexpr int kValueRole = Qt::UserRole + 1;
constexpr int kNoteRow = 1;
constexpr int kGroupRow = 2;

} // namespace

CRetrieveMessageDlg::CRetrieveMessageDlg(const CDestInfo& destinations, QWidget* parent)
    : QDialog(parent), m_destinations(destinations),
      m_boxPrompt(std::make_unique<CMessageBoxPrompt>(this, tr("Error"), tr("Error"))),
      m_requests(std::make_unique<CNetRequests>()) {
    setWindowTitle(tr("Retrieve message"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    connect(m_requests.get(), &CNetRequests::Finished, this, &CRetrieveMessageDlg::OnListFinished);

    m_destination = new QComboBox(this);
    m_destination->setEditable(true);
    // The list is the send log: typing a destination does not add to it.
    m_destination->setInsertPolicy(QComboBox::NoInsert);
    m_portEdit = new QLineEdit(this);
    m_portEdit->setValidator(new QIntValidator(0, 65535, m_portEdit));
    m_userEdit = new QLineEdit(this);
    m_passwordEdit = new QLineEdit(this);
    m_passwordEdit->setEchoMode(QLineEdit::Password);
    m_listButton = new QPushButton(tr("Message List(&L)"), this);
    m_listButton->setAutoDefault(false);
    m_list = new QListWidget(this);
    m_list->setSelectionMode(QAbstractItemView::MultiSelection);
    m_retrieveButton = new QPushButton(tr("Retrieve"), this);
    m_retrieveButton->setDefault(true);
    m_retrieveButton->setEnabled(false);
    m_cancelButton = new QPushButton(tr("Cancel"), this);
    m_cancelButton->setAutoDefault(false);

    const std::pair<QWidget*, int> ids[] = {
        {m_destination, kIdDestination}, {m_portEdit, kIdPort},         {m_userEdit, kIdUser},
        {m_passwordEdit, kIdPassword},   {m_listButton, kIdListButton}, {m_list, kIdList},
        {m_retrieveButton, kIdRetrieve}, {m_cancelButton, kIdCancel},
    };
    for (const auto& [widget, id] : ids)
        widget->setObjectName(QString::number(id));

    auto* fields = new QGridLayout;
    const std::pair<QString, QWidget*> labelled[] = {
        {tr("Dest.(&D)"), m_destination},
        {tr("Port(&P)"), m_portEdit},
        {tr("User ID(&I)"), m_userEdit},
        {tr("Password(&S)"), m_passwordEdit},
    };
    int row = 0;
    for (const auto& [text, widget] : labelled) {
        auto* label = new QLabel(text, this);
        label->setBuddy(widget);
        fields->addWidget(label, row, 0);
        fields->addWidget(widget, row, 1);
        ++row;
    }
    fields->addWidget(m_listButton, row, 1, Qt::AlignRight);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_retrieveButton);
    buttons->addWidget(m_cancelButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);

    for (const DestEntry& entry : m_destinations.GetEntries())
        m_destination->addItem(QString::fromStdString(entry.Name));
    if (m_destination->count() > 0) {
        m_destination->setCurrentIndex(0);
        // The port beside the destination shown is that destination's.
        m_port = m_destinations.GetEntries().front().Port;
    }
    m_portEdit->setText(QString::number(m_port));

    connect(m_destination, qOverload<int>(&QComboBox::activated), this, &CRetrieveMessageDlg::ChooseDestination);
    connect(m_listButton, &QPushButton::clicked, this, &CRetrieveMessageDlg::RequestList);
    connect(m_list, &QListWidget::itemSelectionChanged, this,
            [this] { m_retrieveButton->setEnabled(!m_list->selectedItems().isEmpty()); });
    connect(m_retrieveButton, &QPushButton::clicked, this, &CRetrieveMessageDlg::accept);
    connect(m_cancelButton, &QPushButton::clicked, this, &CRetrieveMessageDlg::reject);
}

// The requests end with the dialog: no answer can reach it afterwards.
CRetrieveMessageDlg::~CRetrieveMessageDlg() = default;

void CRetrieveMessageDlg::SetConnectTimeout(int milliseconds) {
    m_requests->Client().SetConnectTimeout(milliseconds);
}

QWidget* CRetrieveMessageDlg::Control(int id) const {
    return findChild<QWidget*>(QString::number(id));
}

void CRetrieveMessageDlg::ChooseDestination(int index) {
    std::string name;
    std::uint16_t port = 0;
    if (!m_destinations.GetAt(index, name, port))
        return;
    if (m_destination->currentIndex() != index)
        m_destination->setCurrentIndex(index);
    m_portEdit->setText(QString::number(port));
}

void CRetrieveMessageDlg::ReadFields() {
    m_host = m_destination->currentText().trimmed().toStdString();
    bool ok = false;
    const int port = m_portEdit->text().toInt(&ok);
    m_port = ok && port >= 0 && port <= 65535 ? static_cast<std::uint16_t>(port) : 0;
    m_user = m_userEdit->text().toStdString();
    m_password = m_passwordEdit->text().toStdString();
}

void CRetrieveMessageDlg::CancelList() {
    if (m_listRequest != 0)
        m_requests->Client().Cancel(m_listRequest);
    // An outcome already on its way carries the old id and is ignored.
    m_listRequest = 0;
}

void CRetrieveMessageDlg::RequestList() {
    CancelList();
    ReadFields();
    const CNoteClient::Started started = m_requests->Client().RequestList(m_host, m_port, m_user, m_password, true);
    if (!started) {
        ShowError(started.ErrorId);
        return;
    }
    m_listRequest = started.RequestId;
}

void CRetrieveMessageDlg::OnListFinished(const ClientOutcome& outcome) {
    if (outcome.RequestId == 0 || outcome.RequestId != m_listRequest)
        return;
    m_listRequest = 0;
    if (outcome.ErrorId != 0) {
        ShowError(outcome.ErrorId);
        return;
    }
    // A list that cannot be read leaves the rows (and what they stand for) as they were.
    if (outcome.ListParsed)
        FillList(outcome.List);
}

void CRetrieveMessageDlg::FillList(const CMessageList& list) {
    m_list->clear();
    m_groups = list.m_groups;
    for (const CMessageList::Note& note : list.m_notes) {
        auto* item = new QListWidgetItem(QString::fromStdString(note.Title), m_list);
        item->setData(kKindRole, kNoteRow);
        item->setData(kValueRole, note.ID);
        item->setToolTip(QString::number(note.ID));
    }
    for (std::size_t i = 0; i < m_groups.size(); ++i) {
        auto* item = new QListWidgetItem(QString::fromStdString(m_groups[i].Name), m_list);
        item->setData(kKindRole, kGroupRow);
        item->setData(kValueRole, static_cast<int>(i));
    }
    m_retrieveButton->setEnabled(!m_list->selectedItems().isEmpty());
}

void CRetrieveMessageDlg::ShowError(int stringId) {
    CPromptPort* prompt = m_prompt != nullptr ? m_prompt : m_boxPrompt.get();
    prompt->ShowMessage(stringId, {}, CPromptPort::Icon::Exclamation);
}

void CRetrieveMessageDlg::accept() {
    if (m_list->selectedItems().isEmpty())
        return;
    ReadFields();
    // Nothing can be fetched from nowhere; the user may type a destination.
    if (m_host.empty()) {
        ShowError(strings::kInvalidDestination);
        return;
    }
    m_destinations.AddRecent(m_host, m_port);
    m_chosen.clear();
    // Row order, not the order in which rows were selected.
    for (int row = 0; row < m_list->count(); ++row) {
        const QListWidgetItem* item = m_list->item(row);
        if (!item->isSelected())
            continue;
        const int value = item->data(kValueRole).toInt();
        if (item->data(kKindRole).toInt() == kNoteRow) {
            m_chosen.push_back(value);
        } else if (value >= 0 && value < static_cast<int>(m_groups.size())) {
            for (const CMessageList::Note& member : m_groups[static_cast<std::size_t>(value)].Members)
                m_chosen.push_back(member.ID);
        }
    }
    QDialog::accept();
}

void CRetrieveMessageDlg::done(int result) {
    CancelList();
    QDialog::done(result);
}
