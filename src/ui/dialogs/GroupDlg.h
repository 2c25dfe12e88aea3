#pragma once

#include "core/base/Properties.h"
#include "core/store/Group.h"

#include <QDialog>

#include <optional>
#include <vector>

class QCheckBox;
class QListWidget;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// The group settings dialog: create, rename and delete groups, put notes into
// groups and take them out, set each group's font and colours, and the two
// flags of the group table. Works on its own copy of the table; after OK the
// caller takes GetGroups() and hands it to the store.
class CGroupDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kIdTree = 1041;
    static constexpr int kIdAddToGroup = 1037; // "<<"
    static constexpr int kIdList = 1036;
    static constexpr int kIdAdd = 1039;
    static constexpr int kIdDelete = 1040;
    static constexpr int kIdProperty = 1137;
    static constexpr int kIdChangeGroupProp = 1138;
    static constexpr int kIdChangeEntireMessage = 1139;

    // Node kinds of the tree (Qt::UserRole of column 0).
    enum NodeKind { kRootNode = 0, kGroupNode = 1, kMemberNode = 2 };

    // notes: every note's ID and display title, oldest first; table: a copy of
    // the store's group table; defaultFont stands in for a group without a property.
    CGroupDlg(std::vector<GroupMember> notes, CGroup table, const FontProperty& defaultFont, QWidget* parent = nullptr);

    const CGroup& GetGroups() const { return m_table; }
    // The caller's question after OK (string 57700) for a group whose property
    // changed, translated and filled in with the group's name.
    static QString ChangeMembersQuestion(const QString& group);

    QWidget* Control(int id) const;
    QTreeWidget* Tree() const { return m_tree; }
    QListWidget* List() const { return m_list; }
    QTreeWidgetItem* Root() const { return m_root; }
    // The group node of a name, or null.
    QTreeWidgetItem* GroupNode(const QString& name) const;
    bool IsEditing() const { return m_editing; }

    // The buttons' handlers.
    void AddGroup();
    void AddSelectedNotes();
    void DeleteSelected();
    void EditGroupProperty();

    // The label editor's start and end; text is empty when the edit was cancelled.
    bool BeginLabelEdit(QTreeWidgetItem* item);
    void EndLabelEdit(QTreeWidgetItem* item, const std::optional<QString>& text);

    void accept() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class CLabelDelegate;

    void UpdateEnabling();
    void WarnGroupExists();
    void RemoveGroupKeepingProperty(const std::string& name);
    static NodeKind KindOf(const QTreeWidgetItem* item);
    QTreeWidgetItem* AddMemberNode(QTreeWidgetItem* group, const GroupMember& member);

    std::vector<GroupMember> m_notes;
    CGroup m_table;
    FontProperty m_defaultFont;

    QTreeWidget* m_tree = nullptr;
    QTreeWidgetItem* m_root = nullptr;
    QListWidget* m_list = nullptr;
    QPushButton* m_addToGroup = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_property = nullptr;
    QCheckBox* m_changeGroupProp = nullptr;
    QCheckBox* m_changeEntireMessage = nullptr;
    CLabelDelegate* m_delegate = nullptr;

    QString m_oldLabel;
    bool m_editing = false;
};
