#include "ui/dialogs/GroupDlg.h"

#include "core/base/Strings.h"
#include "ui/common/ModalRun.h"
#include "ui/dialogs/FontDlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kKindRole = Qt::UserRole;
constexpr int kIdRole = Qt::UserRole + 1;
// A group node added with "Add" whose first label edit has not ended yet.
constexpr int kPendingRole = Qt::UserRole + 2;

std::string ToStd(const QString& text) {
    return text.toStdString();
}

} // namespace

// Lets only group labels be edited and hands the outcome of each edit to the
// dialog instead of writing it into the tree: the dialog decides the label.
class CGroupDlg::CLabelDelegate : public QStyledItemDelegate {
public:
    explicit CLabelDelegate(CGroupDlg* dialog) : QStyledItemDelegate(dialog), m_dialog(dialog) {
        // The dialog acts once the view has closed the editor: its warning box
        // must not take the focus from an editor that is still open.
        connect(this, &QAbstractItemDelegate::closeEditor, this, [this](QWidget*) {
            const QPersistentModelIndex index = m_index;
            const std::optional<QString> text = m_text;
            m_index = QPersistentModelIndex();
            m_text.reset();
            QMetaObject::invokeMethod(
                m_dialog,
                [dialog = m_dialog, index, text] { dialog->EndLabelEdit(dialog->Tree()->itemFromIndex(index), text); },
                Qt::QueuedConnection);
        });
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QTreeWidgetItem* item = m_dialog->Tree()->itemFromIndex(index);
        if (item == nullptr || !m_dialog->BeginLabelEdit(item))
            return nullptr;
        m_index = index;
        m_text.reset();
        return QStyledItemDelegate::createEditor(parent, option, index);
    }

    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex&) const override {
        if (auto* line = qobject_cast<QLineEdit*>(editor))
            m_text = line->text();
    }

private:
    CGroupDlg* m_dialog;
    mutable QPersistentModelIndex m_index;
    mutable std::optional<QString> m_text;
};

CGroupDlg::CGroupDlg(std::vector<GroupMember> notes, CGroup table, const FontProperty& defaultFont, QWidget* parent)
    : QDialog(parent), m_notes(std::move(notes)), m_table(std::move(table)), m_defaultFont(defaultFont) {
    setWindowTitle(tr("Group settings"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QString::number(kIdTree));
    m_tree->setHeaderHidden(true);
    m_tree->setRootIsDecorated(true);
    m_tree->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    m_delegate = new CLabelDelegate(this);
    m_tree->setItemDelegate(m_delegate);
    m_tree->installEventFilter(this);

    m_list = new QListWidget(this);
    m_list->setObjectName(QString::number(kIdList));
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);

    m_addToGroup = new QPushButton(QStringLiteral("<<"), this);
    m_add = new QPushButton(tr("Add(&A)"), this);
    m_delete = new QPushButton(tr("Delete(&D)"), this);
    m_property = new QPushButton(tr("Property(&P)..."), this);
    m_addToGroup->setObjectName(QString::number(kIdAddToGroup));
    m_add->setObjectName(QString::number(kIdAdd));
    m_delete->setObjectName(QString::number(kIdDelete));
    m_property->setObjectName(QString::number(kIdProperty));
    for (QPushButton* button : {m_addToGroup, m_add, m_delete, m_property})
        button->setAutoDefault(false);
    m_changeGroupProp = new QCheckBox(tr("Apply group property when the message registered(&R)"), this);
    m_changeEntireMessage =
        new QCheckBox(tr("Change all message property when group property will be changed(&E)"), this);
    m_changeGroupProp->setObjectName(QString::number(kIdChangeGroupProp));
    m_changeEntireMessage->setObjectName(QString::number(kIdChangeEntireMessage));

    auto* treeLabel = new QLabel(tr("Group(&G)"), this);
    treeLabel->setBuddy(m_tree);
    auto* listLabel = new QLabel(tr("Messages(&M)"), this);
    listLabel->setBuddy(m_list);

    auto* middle = new QVBoxLayout;
    middle->addStretch(1);
    middle->addWidget(m_addToGroup);
    middle->addStretch(1);
    auto* groupButtons = new QHBoxLayout;
    groupButtons->addWidget(m_add);
    groupButtons->addWidget(m_delete);
    groupButtons->addWidget(m_property);
    groupButtons->addStretch(1);

    auto* grid = new QGridLayout;
    grid->addWidget(treeLabel, 0, 0);
    grid->addWidget(listLabel, 0, 2);
    grid->addWidget(m_tree, 1, 0);
    grid->addLayout(middle, 1, 1);
    grid->addWidget(m_list, 1, 2);
    grid->addLayout(groupButtons, 2, 0, 1, 3);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(2, 1);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(tr("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &CGroupDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addWidget(m_changeGroupProp);
    layout->addWidget(m_changeEntireMessage);
    layout->addWidget(buttons);
    resize(520, 360);

    // Opening.
    for (const GroupMember& note : m_notes) {
        auto* entry = new QListWidgetItem(QString::fromStdString(note.Title), m_list);
        entry->setData(kIdRole, note.ID);
    }
    m_root = new QTreeWidgetItem(m_tree, QStringList{tr("Group")});
    m_root->setData(0, kKindRole, kRootNode);
    for (const std::string& name : m_table.GetGroupNames()) {
        auto* group = new QTreeWidgetItem(m_root, QStringList{QString::fromStdString(name)});
        group->setData(0, kKindRole, kGroupNode);
        group->setFlags(group->flags() | Qt::ItemIsEditable);
        if (const auto* members = m_table.GetMembers(name)) {
            for (const GroupMember& member : *members)
                AddMemberNode(group, member);
        }
        group->setExpanded(true);
    }
    m_root->setExpanded(true);
    m_changeGroupProp->setChecked(m_table.GetChangeGroupProp() == 1);
    m_changeEntireMessage->setChecked(m_table.GetChangeEntireMessage() == 1);

    connect(m_add, &QPushButton::clicked, this, &CGroupDlg::AddGroup);
    connect(m_addToGroup, &QPushButton::clicked, this, &CGroupDlg::AddSelectedNotes);
    connect(m_delete, &QPushButton::clicked, this, &CGroupDlg::DeleteSelected);
    connect(m_property, &QPushButton::clicked, this, &CGroupDlg::EditGroupProperty);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &CGroupDlg::AddSelectedNotes);
    connect(m_tree, &QTreeWidget::itemSelectionChanged, this, &CGroupDlg::UpdateEnabling);
    connect(m_tree, &QTreeWidget::currentItemChanged, this, &CGroupDlg::UpdateEnabling);
    connect(m_list, &QListWidget::itemSelectionChanged, this, &CGroupDlg::UpdateEnabling);
    UpdateEnabling();
}

QWidget* CGroupDlg::Control(int id) const {
    return findChild<QWidget*>(QString::number(id));
}

CGroupDlg::NodeKind CGroupDlg::KindOf(const QTreeWidgetItem* item) {
    return item == nullptr ? kRootNode : static_cast<NodeKind>(item->data(0, kKindRole).toInt());
}

QTreeWidgetItem* CGroupDlg::GroupNode(const QString& name) const {
    for (int i = 0; i < m_root->childCount(); ++i) {
        if (m_root->child(i)->text(0) == name)
            return m_root->child(i);
    }
    return nullptr;
}

QTreeWidgetItem* CGroupDlg::AddMemberNode(QTreeWidgetItem* group, const GroupMember& member) {
    auto* node = new QTreeWidgetItem(group, QStringList{QString::fromStdString(member.Title)});
    node->setData(0, kKindRole, kMemberNode);
    node->setData(0, kIdRole, member.ID);
    return node;
}

void CGroupDlg::UpdateEnabling() {
    QTreeWidgetItem* current = m_tree->currentItem();
    const bool selected = current != nullptr && current->isSelected();
    const NodeKind kind = selected ? KindOf(current) : kRootNode;
    m_delete->setEnabled(selected && kind != kRootNode);
    m_property->setEnabled(selected && kind == kGroupNode);
    m_addToGroup->setEnabled(selected && kind == kGroupNode && !m_list->selectedItems().isEmpty());
}

void CGroupDlg::AddGroup() {
    auto* group = new QTreeWidgetItem(m_root, QStringList{tr("New group")});
    group->setData(0, kKindRole, kGroupNode);
    group->setData(0, kPendingRole, true);
    group->setFlags(group->flags() | Qt::ItemIsEditable);
    m_root->setExpanded(true);
    m_tree->setCurrentItem(group);
    m_tree->setFocus();
    m_tree->editItem(group);
}

bool CGroupDlg::BeginLabelEdit(QTreeWidgetItem* item) {
    if (KindOf(item) != kGroupNode)
        return false;
    m_oldLabel = item->text(0);
    m_editing = true;
    return true;
}

void CGroupDlg::RemoveGroupKeepingProperty(const std::string& name) {
    const auto property = m_table.GetProperty(name);
    m_table.RemoveGroup(name);
    if (property)
        m_table.SetProperty(name, *property);
}

void CGroupDlg::WarnGroupExists() {
    QMessageBox box(QMessageBox::Information, tr("Warning"), tr("Group name already exist."), QMessageBox::Ok, this);
    modalrun::Exec(box);
}

void CGroupDlg::EndLabelEdit(QTreeWidgetItem* item, const std::optional<QString>& text) {
    if (item == nullptr) {
        // The node went while its label was edited.
        m_editing = false;
        UpdateEnabling();
        return;
    }
    const std::string old = ToStd(m_oldLabel);
    const bool pending = item->data(0, kPendingRole).toBool();
    item->setData(0, kPendingRole, false);
    bool dropNode = false;
    // A node just added under a name that another group holds would be a
    // second node of that group: it goes.
    const bool oldIsOtherGroup = pending && m_table.HasGroup(old);

    if (text) {
        const std::string name = ToStd(*text);
        if (name == old && !pending) {
            // Confirmed unchanged: nothing to refuse.
        } else if (m_table.HasGroup(name)) {
            WarnGroupExists();
            if (oldIsOtherGroup) {
                dropNode = true;
            } else if (!m_table.HasGroup(old)) {
                m_table.AddGroup(old);
                if (!m_table.HasProperty(old))
                    m_table.SetProperty(old, m_defaultFont);
            }
        } else {
            const GroupProperty property = m_table.GetProperty(old).value_or(m_defaultFont);
            if (!pending && m_table.HasGroup(old)) {
                std::vector<GroupMember> members = *m_table.GetMembers(old);
                RemoveGroupKeepingProperty(old);
                m_table.SetMembers(name, std::move(members));
            } else {
                m_table.AddGroup(name);
            }
            m_table.SetProperty(name, property);
            item->setText(0, *text);
        }
    } else if (oldIsOtherGroup) {
        dropNode = true;
    } else if (!m_table.HasGroup(old)) {
        m_table.AddGroup(old);
        m_table.SetProperty(old, m_defaultFont);
    }
    m_editing = false;
    if (dropNode)
        delete item;
    UpdateEnabling();
}

void CGroupDlg::AddSelectedNotes() {
    QTreeWidgetItem* group = m_tree->currentItem();
    if (KindOf(group) != kGroupNode || !group->isSelected())
        return;
    const std::string name = ToStd(group->text(0));
    if (!m_table.HasGroup(name))
        return;
    for (int row = 0; row < m_list->count(); ++row) {
        QListWidgetItem* entry = m_list->item(row);
        if (!entry->isSelected())
            continue;
        const GroupMember& note = m_notes.at(static_cast<std::size_t>(row));
        if (m_table.AddMember(name, note.ID, note.Title))
            AddMemberNode(group, note);
    }
    group->setExpanded(true);
}

void CGroupDlg::DeleteSelected() {
    QTreeWidgetItem* node = m_tree->currentItem();
    if (node == nullptr || !node->isSelected())
        return;
    switch (KindOf(node)) {
    case kRootNode:
        return;
    case kGroupNode:
        if (!node->data(0, kPendingRole).toBool())
            RemoveGroupKeepingProperty(ToStd(node->text(0)));
        break;
    case kMemberNode:
        // The member this node shows: two notes of one title are still two members.
        m_table.RemoveMember(ToStd(node->parent()->text(0)), node->data(0, kIdRole).toInt());
        break;
    }
    delete node;
    UpdateEnabling();
}

void CGroupDlg::EditGroupProperty() {
    QTreeWidgetItem* group = m_tree->currentItem();
    if (KindOf(group) != kGroupNode)
        return;
    const std::string name = ToStd(group->text(0));
    CFontDlg dialog(m_table.GetProperty(name).value_or(m_defaultFont), this);
    if (modalrun::Exec(dialog) == QDialog::Accepted)
        m_table.SetProperty(name, dialog.GetFont());
}

QString CGroupDlg::ChangeMembersQuestion(const QString& group) {
    QString text = tr("Do you really want to change the property for all belonged messages?");
    const qsizetype at = text.indexOf(QLatin1String("%s"));
    if (at >= 0)
        text.replace(at, 2, group);
    return text;
}

void CGroupDlg::accept() {
    m_table.SetChangeGroupProp(m_changeGroupProp->isChecked() ? 1 : 0);
    m_table.SetChangeEntireMessage(m_changeEntireMessage->isChecked() ? 1 : 0);
    QDialog::accept();
}

void CGroupDlg::keyPressEvent(QKeyEvent* event) {
    // While a label is edited, Enter and Escape belong to its editor.
    if (m_editing &&
        (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Escape)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool CGroupDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_tree && event->type() == QEvent::KeyPress && !m_editing) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete && KindOf(m_tree->currentItem()) != kRootNode) {
            DeleteSelected();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
