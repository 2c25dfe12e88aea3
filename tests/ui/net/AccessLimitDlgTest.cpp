#include "core/base/FieldText.h"
#include "ui/common/ModalRun.h"
#include "ui/net/AccessLimitDlg.h"
#include "ui/net/NetInfoDlg.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <string>

namespace {

NetworkInfo Info(const std::string& network, const std::string& mask) {
    NetworkInfo info;
    CopyField(info.Network, network);
    CopyField(info.Mask, mask);
    return info;
}

std::string Networks(const std::vector<NetworkInfo>& list) {
    std::string out;
    for (const NetworkInfo& info : list)
        out += std::string(FieldText(info.Network)) + "/" + std::string(FieldText(info.Mask)) + ";";
    return out;
}

std::string Rows(const QTreeWidget* view) {
    std::string out;
    for (int row = 0; row < view->topLevelItemCount(); ++row)
        out +=
            view->topLevelItem(row)->text(0).toStdString() + "/" + view->topLevelItem(row)->text(1).toStdString() + ";";
    return out;
}

class AccessLimitDlgTest : public ::testing::Test {
protected:
    void TearDown() override { modalrun::SetHook({}); }
};

TEST_F(AccessLimitDlgTest, AddEditAndDeleteKeepListAndRowsInStep) {
    CAccessLimitDlg dialog;
    dialog.SetAccess(
        0, {Info("10.0.0.0", "255.0.0.0"), Info("192.168.1.0", "255.255.255.0"), Info("172.16.0.0", "255.240.0.0")});
    EXPECT_EQ(Rows(dialog.ListView()), "10.0.0.0/255.0.0.0;192.168.1.0/255.255.255.0;172.16.0.0/255.240.0.0;");
    EXPECT_FALSE(dialog.EditButton()->isEnabled());
    EXPECT_FALSE(dialog.DeleteButton()->isEnabled());

    // Two rows selected: only the first goes, and the buttons are disabled again.
    dialog.ListView()->topLevelItem(2)->setSelected(true);
    dialog.ListView()->topLevelItem(1)->setSelected(true);
    EXPECT_TRUE(dialog.DeleteButton()->isEnabled());
    dialog.DeleteButton()->click();
    EXPECT_EQ(Networks(dialog.List()), "10.0.0.0/255.0.0.0;172.16.0.0/255.240.0.0;");
    EXPECT_EQ(Rows(dialog.ListView()), "10.0.0.0/255.0.0.0;172.16.0.0/255.240.0.0;");
    EXPECT_FALSE(dialog.EditButton()->isEnabled());
    EXPECT_FALSE(dialog.DeleteButton()->isEnabled());

    // Add appends; the entry dialog starts empty.
    std::string shown;
    bool accept = true;
    modalrun::SetHook([&](QDialog& d) {
        auto& entry = dynamic_cast<CNetInfoDlg&>(d);
        shown = entry.NetworkEdit()->text().toStdString() + "/" + entry.MaskEdit()->text().toStdString();
        entry.NetworkEdit()->setText("fe80::");
        entry.MaskEdit()->setText("ffff::");
        if (accept)
            entry.accept();
        else
            entry.reject();
        return entry.result();
    });
    dialog.AddButton()->click();
    EXPECT_EQ(shown, "/");
    EXPECT_EQ(Networks(dialog.List()), "10.0.0.0/255.0.0.0;172.16.0.0/255.240.0.0;fe80::/ffff::;");
    EXPECT_EQ(Rows(dialog.ListView()), Networks(dialog.List()));

    // Double click edits the first selected entry, filled in beforehand.
    QTreeWidgetItem* second = dialog.ListView()->topLevelItem(1);
    second->setSelected(true);
    emit dialog.ListView()->itemDoubleClicked(second, 0);
    EXPECT_EQ(shown, "172.16.0.0/255.240.0.0");
    EXPECT_EQ(Networks(dialog.List()), "10.0.0.0/255.0.0.0;fe80::/ffff::;fe80::/ffff::;");
    EXPECT_EQ(Rows(dialog.ListView()), Networks(dialog.List()));

    // Cancel changes nothing.
    accept = false;
    dialog.ListView()->clearSelection();
    dialog.ListView()->topLevelItem(0)->setSelected(true);
    dialog.EditButton()->click();
    dialog.AddButton()->click();
    EXPECT_EQ(Networks(dialog.List()), "10.0.0.0/255.0.0.0;fe80::/ffff::;fe80::/ffff::;");
    EXPECT_EQ(Rows(dialog.ListView()), Networks(dialog.List()));
}

TEST_F(AccessLimitDlgTest, AllowAllFollowsTheRadioButtons) {
    CAccessLimitDlg dialog;
    dialog.SetAccess(1, {});
    EXPECT_TRUE(dialog.AllowedButton()->isChecked());
    dialog.DeniedButton()->setChecked(true);
    EXPECT_FALSE(dialog.AllowedButton()->isChecked());
    dialog.accept();
    EXPECT_EQ(dialog.AllowAll(), 0);

    CAccessLimitDlg again;
    again.SetAccess(0, {Info("10.0.0.0", "255.0.0.0")});
    EXPECT_TRUE(again.DeniedButton()->isChecked());
    again.AllowedButton()->setChecked(true);
    again.accept();
    EXPECT_EQ(again.AllowAll(), 1);
    EXPECT_EQ(Networks(again.List()), "10.0.0.0/255.0.0.0;");
}

TEST(NetInfoDlgTest, FieldsKeepWithinTheRecordsBytesWithoutCuttingACharacter) {
    CNetInfoDlg dialog;
    dialog.SetInfo(Info("192.168.0.0", "255.255.0.0"));
    EXPECT_EQ(dialog.NetworkEdit()->text(), "192.168.0.0");
    EXPECT_EQ(dialog.MaskEdit()->text(), "255.255.0.0");

    // 254 bytes and a two-byte character: the character does not fit and goes whole.
    dialog.NetworkEdit()->setText(QString(254, 'n') + QString::fromUtf8("\xC3\xA9"));
    EXPECT_EQ(dialog.NetworkEdit()->text(), QString(254, 'n'));
    // Typing beyond the limit is refused the same way.
    dialog.MaskEdit()->setText(QString(61, 'm'));
    dialog.MaskEdit()->end(false);
    dialog.MaskEdit()->insert(QString::fromUtf8("\xE6\x97\xA5")); // three bytes, 64 in all
    EXPECT_EQ(dialog.MaskEdit()->text(), QString(61, 'm'));
    dialog.MaskEdit()->insert("x");
    EXPECT_EQ(dialog.MaskEdit()->text(), QString(61, 'm') + "x");

    // What the server could not read is refused with a word, the record untouched.
    int warnings = 0;
    modalrun::SetHook([&](QDialog& box) {
        warnings += qobject_cast<QMessageBox*>(&box) != nullptr;
        return int(QMessageBox::Ok);
    });
    dialog.accept();
    EXPECT_EQ(1, warnings);
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(std::string(FieldText(dialog.Info().Network)), "192.168.0.0");
    // A long host name that fits the field exactly is kept whole.
    const std::string longName =
        std::string(63, 'a') + "." + std::string(63, 'b') + "." + std::string(63, 'c') + "." + std::string(61, 'd');
    dialog.NetworkEdit()->setText(QString::fromStdString(longName));
    dialog.MaskEdit()->setText(QStringLiteral("/24"));
    dialog.accept();
    modalrun::SetHook({});
    EXPECT_EQ(1, warnings);
    EXPECT_EQ(std::string(FieldText(dialog.Info().Network)), longName);
    EXPECT_EQ(std::string(FieldText(dialog.Info().Mask)), "/24");
}

} // namespace
