#include "ui/dialogs/GroupDlg.h"

#include "DialogTestSupport.h"
#include "ui/dialogs/FontDlg.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <cstring>

namespace {

FontProperty Font(const char* name, int size) {
    FontProperty font;
    std::memset(font.Name, 0, sizeof font.Name);
    std::strcpy(font.Name, name);
    font.Size = size;
    return font;
}

class GroupDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_notes = {{101, "Milk"}, {102, "Bread"}, {103, "Eggs"}, {104, "Bread"}};
        m_table.AddGroup("Shopping");
        m_table.AddMember("Shopping", 101, "Milk");
        m_table.SetProperty("Shopping", Font("Noto Sans", 12));
        m_table.AddGroup("Work");
        m_default = Font("DejaVu Sans", 9);
        modalrun::SetHook([this](QDialog& dialog) {
            if (auto* box = qobject_cast<QMessageBox*>(&dialog))
                m_warnings.push_back(box->text());
            return int(QMessageBox::Ok);
        });
    }

    std::unique_ptr<CGroupDlg> Open() {
        auto dialog = std::make_unique<CGroupDlg>(m_notes, m_table, m_default);
        dialog->show();
        Pump(10);
        return dialog;
    }

    // The line editor of the label being edited.
    QLineEdit* Editor(CGroupDlg& dialog) { return dialog.Tree()->viewport()->findChild<QLineEdit*>(); }

    void Key(QWidget* widget, int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(widget, &release);
        Pump(30);
    }

    // Ends the running label edit with the text, or cancels it with Escape.
    void FinishEdit(CGroupDlg& dialog, const QString* text) {
        QLineEdit* editor = Editor(dialog);
        ASSERT_NE(editor, nullptr);
        ASSERT_TRUE(dialog.IsEditing());
        if (text != nullptr) {
            editor->setText(*text);
            Key(editor, Qt::Key_Return);
        } else {
            Key(editor, Qt::Key_Escape);
        }
        EXPECT_FALSE(dialog.IsEditing());
    }

    void Select(CGroupDlg& dialog, QTreeWidgetItem* item) {
        dialog.Tree()->setCurrentItem(item);
        item->setSelected(true);
    }

    CDialogSeams m_seams;
    std::vector<GroupMember> m_notes;
    CGroup m_table;
    FontProperty m_default;
    std::vector<QString> m_warnings;
};

TEST_F(GroupDlgTest, OpensWithTreeListAndDisabledButtons) {
    m_table.SetChangeEntireMessage(1);
    auto dialog = Open();
    EXPECT_EQ(dialog->Root()->text(0), QStringLiteral("Group"));
    ASSERT_EQ(dialog->Root()->childCount(), 2);
    EXPECT_EQ(dialog->Root()->child(0)->text(0), QStringLiteral("Shopping"));
    EXPECT_EQ(dialog->Root()->child(0)->child(0)->text(0), QStringLiteral("Milk"));
    EXPECT_TRUE(dialog->Root()->child(0)->isExpanded());
    EXPECT_EQ(dialog->List()->count(), 4);
    EXPECT_FALSE(dialog->Control(CGroupDlg::kIdAddToGroup)->isEnabled());
    EXPECT_FALSE(dialog->Control(CGroupDlg::kIdDelete)->isEnabled());
    EXPECT_FALSE(dialog->Control(CGroupDlg::kIdProperty)->isEnabled());
    EXPECT_TRUE(dialog->Control(CGroupDlg::kIdAdd)->isEnabled());
    EXPECT_FALSE(qobject_cast<QCheckBox*>(dialog->Control(CGroupDlg::kIdChangeGroupProp))->isChecked());
    EXPECT_TRUE(qobject_cast<QCheckBox*>(dialog->Control(CGroupDlg::kIdChangeEntireMessage))->isChecked());

    Select(*dialog, dialog->Root()->child(0)->child(0));
    EXPECT_TRUE(dialog->Control(CGroupDlg::kIdDelete)->isEnabled());
    EXPECT_FALSE(dialog->Control(CGroupDlg::kIdProperty)->isEnabled());
    Select(*dialog, dialog->Root()->child(1));
    EXPECT_TRUE(dialog->Control(CGroupDlg::kIdProperty)->isEnabled());
    EXPECT_FALSE(dialog->Control(CGroupDlg::kIdAddToGroup)->isEnabled());
    dialog->List()->item(2)->setSelected(true);
    EXPECT_TRUE(dialog->Control(CGroupDlg::kIdAddToGroup)->isEnabled());
    Select(*dialog, dialog->Root());
    EXPECT_FALSE(dialog->Control(CGroupDlg::kIdDelete)->isEnabled());
    // The root and member labels cannot be edited.
    EXPECT_FALSE(dialog->BeginLabelEdit(dialog->Root()));
    EXPECT_FALSE(dialog->BeginLabelEdit(dialog->Root()->child(0)->child(0)));
}

TEST_F(GroupDlgTest, RefusedNameKeepsNewGroupAndEnterClosesAfterwards) {
    auto dialog = Open();
    qobject_cast<QPushButton*>(dialog->Control(CGroupDlg::kIdAdd))->click();
    ASSERT_EQ(dialog->Root()->childCount(), 3);
    EXPECT_EQ(dialog->Root()->child(2)->text(0), QStringLiteral("New group"));
    const QString taken = QStringLiteral("Work");
    FinishEdit(*dialog, &taken);
    EXPECT_EQ(m_warnings, std::vector<QString>{QStringLiteral("Group name already exist.")});
    EXPECT_EQ(dialog->Root()->child(2)->text(0), QStringLiteral("New group"));
    const CGroup& groups = dialog->GetGroups();
    ASSERT_TRUE(groups.HasGroup("New group"));
    EXPECT_TRUE(groups.GetMembers("New group")->empty());
    EXPECT_TRUE(groups.GetProperty("New group") == m_default);
    EXPECT_TRUE(groups.GetMembers("Work")->empty());

    // Enter closes the dialog with OK again.
    dialog->Tree()->setFocus();
    Key(dialog.get(), Qt::Key_Return);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
}

TEST_F(GroupDlgTest, EscapeKeepsNewGroupWithTheDefaultFontAndDoesNotCloseTheDialog) {
    auto dialog = Open();
    dialog->AddGroup();
    FinishEdit(*dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    ASSERT_TRUE(dialog->GetGroups().HasGroup("New group"));
    EXPECT_TRUE(dialog->GetGroups().GetProperty("New group") == m_default);

    // A second "New group" node would be a second node of that group: it goes.
    dialog->AddGroup();
    FinishEdit(*dialog, nullptr);
    EXPECT_EQ(dialog->Root()->childCount(), 3);
    EXPECT_EQ(dialog->GetGroups().GetGroupCount(), 3);

    // Naming a new group makes it.
    dialog->AddGroup();
    const QString name = QStringLiteral("Travel");
    FinishEdit(*dialog, &name);
    EXPECT_TRUE(dialog->GetGroups().HasGroup("Travel"));
    EXPECT_TRUE(dialog->GetGroups().GetProperty("Travel") == m_default);
    EXPECT_NE(dialog->GroupNode(name), nullptr);
}

TEST_F(GroupDlgTest, RenameKeepsMembersAndProperty) {
    auto dialog = Open();
    QTreeWidgetItem* shopping = dialog->GroupNode(QStringLiteral("Shopping"));
    Select(*dialog, shopping);
    dialog->Tree()->editItem(shopping);
    const QString same = QStringLiteral("Shopping");
    FinishEdit(*dialog, &same);
    EXPECT_TRUE(m_warnings.empty()); // confirming the name unchanged is no clash
    dialog->Tree()->editItem(shopping);
    const QString name = QStringLiteral("Groceries");
    FinishEdit(*dialog, &name);
    const CGroup& groups = dialog->GetGroups();
    EXPECT_FALSE(groups.HasGroup("Shopping"));
    ASSERT_TRUE(groups.HasGroup("Groceries"));
    EXPECT_EQ(*groups.GetMembers("Groceries"), (std::vector<GroupMember>{{101, "Milk"}}));
    EXPECT_TRUE(groups.GetProperty("Groceries") == Font("Noto Sans", 12));
    EXPECT_EQ(shopping->text(0), name);
    EXPECT_EQ(shopping->childCount(), 1);
}

TEST_F(GroupDlgTest, NotesAreAddedOnceAndMembersDeletedByTheNodeChosen) {
    auto dialog = Open();
    QTreeWidgetItem* work = dialog->GroupNode(QStringLiteral("Work"));
    Select(*dialog, work);
    for (const int row : {1, 2, 3})
        dialog->List()->item(row)->setSelected(true);
    auto* addToGroup = qobject_cast<QPushButton*>(dialog->Control(CGroupDlg::kIdAddToGroup));
    addToGroup->click();
    addToGroup->click();
    const std::vector<GroupMember> expected{{102, "Bread"}, {103, "Eggs"}, {104, "Bread"}};
    EXPECT_EQ(*dialog->GetGroups().GetMembers("Work"), expected);
    ASSERT_EQ(work->childCount(), 3);

    // Two members titled "Bread": deleting the second node removes the second note.
    Select(*dialog, work->child(2));
    qobject_cast<QPushButton*>(dialog->Control(CGroupDlg::kIdDelete))->click();
    EXPECT_EQ(*dialog->GetGroups().GetMembers("Work"), (std::vector<GroupMember>{{102, "Bread"}, {103, "Eggs"}}));
    EXPECT_EQ(work->childCount(), 2);

    // The Delete key removes a whole group (its property stays recorded).
    Select(*dialog, dialog->GroupNode(QStringLiteral("Shopping")));
    dialog->Tree()->setFocus();
    Key(dialog->Tree(), Qt::Key_Delete);
    EXPECT_FALSE(dialog->GetGroups().HasGroup("Shopping"));
    EXPECT_TRUE(dialog->GetGroups().HasProperty("Shopping"));
    EXPECT_EQ(dialog->GroupNode(QStringLiteral("Shopping")), nullptr);
    // The root cannot be deleted.
    Select(*dialog, dialog->Root());
    Key(dialog->Tree(), Qt::Key_Delete);
    EXPECT_EQ(dialog->Tree()->topLevelItemCount(), 1);
}

TEST_F(GroupDlgTest, PropertyEditsTheGroupFontAndOkTakesTheFlags) {
    auto dialog = Open();
    FontProperty started;
    modalrun::SetHook([&started](QDialog& dialog) {
        auto* font = qobject_cast<CFontDlg*>(&dialog);
        if (font == nullptr)
            return int(QDialog::Rejected);
        started = font->GetFont();
        qobject_cast<QCheckBox*>(font->Control(CFontDlg::kIdItalic))->setChecked(true);
        font->accept();
        return int(QDialog::Accepted);
    });
    Select(*dialog, dialog->GroupNode(QStringLiteral("Work")));
    qobject_cast<QPushButton*>(dialog->Control(CGroupDlg::kIdProperty))->click();
    EXPECT_EQ(started.Size, m_default.Size); // a group without property starts from the default font
    ASSERT_TRUE(dialog->GetGroups().GetProperty("Work").has_value());
    EXPECT_EQ(dialog->GetGroups().GetProperty("Work")->Flags, kFontItalic);

    qobject_cast<QCheckBox*>(dialog->Control(CGroupDlg::kIdChangeGroupProp))->setChecked(true);
    dialog->accept();
    EXPECT_EQ(dialog->GetGroups().GetChangeGroupProp(), 1);
    EXPECT_EQ(dialog->GetGroups().GetChangeEntireMessage(), 0);
}

} // namespace
