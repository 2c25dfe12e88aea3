#include "ui/common/ModalRun.h"
#include "ui/net/HostInfoDlg.h"
#include "ui/net/HostSearchDlg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTranslator>
#include <QMessageBox>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <thread>

namespace {

using Host = CServiceDiscovery::Host;

// Stands in for the DNS-SD browse: keeps the callbacks of every search so a
// test can report hosts when it likes, from any thread.
struct CFakeBrowse {
    CHostSearchDlg::BrowseFunction Function() {
        return [this](CServiceDiscovery::FoundCallback found, CServiceDiscovery::FinishedCallback finished) {
            ++Calls;
            Found = std::move(found);
            Finished = std::move(finished);
        };
    }
    void Report(const std::string& name, const std::string& address, std::uint16_t port = 4126) {
        Found(Host{name, address, port, name.substr(0, name.find('.'))});
    }
    int Calls = 0;
    CServiceDiscovery::FoundCallback Found;
    CServiceDiscovery::FinishedCallback Finished;
};

void Drain() {
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

bool PumpUntil(const std::function<bool()>& done, int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > milliseconds)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

QStringList Column(const QTreeWidget* list, int column) {
    QStringList texts;
    for (int row = 0; row < list->topLevelItemCount(); ++row)
        texts << list->topLevelItem(row)->text(column);
    return texts;
}

class HostSearchDlgTest : public ::testing::Test {
protected:
    void TearDown() override { modalrun::SetHook({}); }
    CFakeBrowse Browse;
};

TEST_F(HostSearchDlgTest, FoundHostsArriveFromAnotherThreadAsRows) {
    CHostSearchDlg dialog(nullptr, Browse.Function());
    ASSERT_EQ(Browse.Calls, 1); // the search starts with the dialog
    EXPECT_TRUE(dialog.IsSearching());
    std::thread avahi([this] {
        Browse.Report("office.local", "192.168.1.20");
        Browse.Report("office.local", "192.168.1.20"); // the same service seen on a second interface
        Browse.Found(Host{"lab.local", "fe80::1%eth0", 5000, "lab"});
        Browse.Finished();
    });
    avahi.join();
    Drain();
    EXPECT_FALSE(dialog.IsSearching());
    EXPECT_EQ(Column(dialog.List(), 0), (QStringList{"office.local", "lab.local"}));
    EXPECT_EQ(Column(dialog.List(), 1), (QStringList{"192.168.1.20", "fe80::1%eth0"}));
    EXPECT_EQ(Column(dialog.List(), 2), (QStringList{"office", "lab (port 5000)"}));
}

TEST_F(HostSearchDlgTest, HeaderClicksSortColumnsZeroAndOneAsTextIgnoringCase) {
    CHostSearchDlg dialog(nullptr, Browse.Function());
    Browse.Report("beta.local", "192.168.1.9");
    Browse.Report("Gamma.local", "192.168.1.10");
    Browse.Report("alpha.local", "192.168.1.2");
    Drain();
    QHeaderView* header = dialog.List()->header();
    EXPECT_EQ(dialog.SortedColumn(), -1);

    emit header->sectionClicked(0);
    EXPECT_EQ(Column(dialog.List(), 0), (QStringList{"alpha.local", "beta.local", "Gamma.local"}));
    EXPECT_EQ(dialog.SortedColumn(), 0);
    EXPECT_TRUE(dialog.IsSortAscending(0));
    emit header->sectionClicked(0);
    EXPECT_EQ(Column(dialog.List(), 0), (QStringList{"Gamma.local", "beta.local", "alpha.local"}));
    EXPECT_FALSE(dialog.IsSortAscending(0));

    // Addresses are text: .10 comes before .2 and .9.
    emit header->sectionClicked(1);
    EXPECT_EQ(Column(dialog.List(), 1), (QStringList{"192.168.1.10", "192.168.1.2", "192.168.1.9"}));
    EXPECT_EQ(dialog.SortedColumn(), 1);
    // Rows stay whole.
    EXPECT_EQ(Column(dialog.List(), 0), (QStringList{"Gamma.local", "alpha.local", "beta.local"}));

    // Column 2 cannot be sorted.
    emit header->sectionClicked(2);
    EXPECT_EQ(dialog.SortedColumn(), 1);
    EXPECT_EQ(Column(dialog.List(), 1), (QStringList{"192.168.1.10", "192.168.1.2", "192.168.1.9"}));

    // A host found later takes its place in the shown order.
    Browse.Report("delta.local", "192.168.1.1");
    Drain();
    EXPECT_EQ(Column(dialog.List(), 1), (QStringList{"192.168.1.1", "192.168.1.10", "192.168.1.2", "192.168.1.9"}));
}

TEST_F(HostSearchDlgTest, OkNeedsASelectionAndTakesTheLastSelectedRow) {
    CHostSearchDlg dialog(nullptr, Browse.Function());
    Browse.Report("a.local", "10.0.0.1");
    Browse.Report("b.local", "10.0.0.2", 5000);
    Browse.Report("c.local", "10.0.0.3");
    Browse.Finished();
    Drain();
    EXPECT_FALSE(dialog.OkButton()->isEnabled());
    dialog.accept(); // no selection: stays open
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(dialog.HostName().isEmpty());

    // Selected from the bottom up: list order decides, not the order of selection.
    dialog.List()->topLevelItem(1)->setSelected(true);
    dialog.List()->topLevelItem(0)->setSelected(true);
    EXPECT_TRUE(dialog.OkButton()->isEnabled());
    dialog.List()->clearSelection();
    EXPECT_FALSE(dialog.OkButton()->isEnabled());
    dialog.List()->topLevelItem(1)->setSelected(true);
    dialog.List()->topLevelItem(0)->setSelected(true);
    dialog.OkButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.HostName(), "b.local");
    EXPECT_EQ(dialog.HostPort(), 5000);

    CHostSearchDlg second(nullptr, Browse.Function());
    Browse.Report("c.local", "10.0.0.3");
    Drain();
    QTreeWidgetItem* row = second.List()->topLevelItem(0);
    row->setSelected(true);
    emit second.List()->itemDoubleClicked(row, 0);
    EXPECT_EQ(second.result(), QDialog::Accepted);
    EXPECT_EQ(second.HostName(), "c.local");
}

TEST_F(HostSearchDlgTest, FindAgainLocksOkAndCancelUntilTheSearchEnds) {
    CHostSearchDlg dialog(nullptr, Browse.Function());
    Browse.Report("old.local", "10.0.0.1");
    Browse.Finished();
    Drain();
    auto oldFound = Browse.Found;
    dialog.List()->topLevelItem(0)->setSelected(true);
    ASSERT_TRUE(dialog.OkButton()->isEnabled());

    dialog.FindAgainButton()->click();
    EXPECT_EQ(Browse.Calls, 2);
    EXPECT_EQ(dialog.List()->topLevelItemCount(), 0);
    EXPECT_FALSE(dialog.OkButton()->isEnabled());
    EXPECT_FALSE(dialog.CancelButton()->isEnabled());

    // The replaced search is not heard any more.
    oldFound(Host{"stale.local", "10.0.0.9", 4126, "stale"});
    Browse.Report("new.local", "10.0.0.2");
    Drain();
    EXPECT_EQ(Column(dialog.List(), 0), (QStringList{"new.local"}));
    dialog.List()->topLevelItem(0)->setSelected(true);
    EXPECT_FALSE(dialog.OkButton()->isEnabled()); // still searching

    Browse.Finished();
    Drain();
    EXPECT_TRUE(dialog.CancelButton()->isEnabled());
    EXPECT_TRUE(dialog.OkButton()->isEnabled());
    EXPECT_TRUE(dialog.FindAgainButton()->isEnabled());
}

TEST_F(HostSearchDlgTest, ResultsAfterCloseAreDroppedEvenOnceTheDialogIsGone) {
    auto* dialog = new CHostSearchDlg(nullptr, Browse.Function());
    dialog->reject();
    EXPECT_FALSE(dialog->IsSearching());
    Browse.Report("late.local", "10.0.0.5");
    Drain();
    EXPECT_EQ(dialog->List()->topLevelItemCount(), 0);

    delete dialog;
    std::thread avahi([this] {
        Browse.Report("later.local", "10.0.0.6");
        Browse.Finished();
    });
    avahi.join();
    Drain(); // must not touch the deleted dialog
    SUCCEED();
}

TEST_F(HostSearchDlgTest, RealBrowseFinishesWithoutWaitingOnTheUiThread) {
    // Whatever the machine has (a daemon or none), the search ends on its own
    // within the deadline and the dialog never blocks while it runs.
    QElapsedTimer timer;
    timer.start();
    CHostSearchDlg dialog;
    EXPECT_LT(timer.elapsed(), 1000);
    EXPECT_TRUE(PumpUntil([&] { return !dialog.IsSearching(); },
                          static_cast<int>(CServiceDiscovery::kDefaultBrowseDeadline.count()) + 3000));
    EXPECT_TRUE(dialog.CancelButton()->isEnabled());
}

// Needs a running Avahi daemon (QUILLET_TEST_AVAHI=1); skipped otherwise.
// ui_avahi_host_search runs it against a daemon of its own.
TEST_F(HostSearchDlgTest, FindsAServerAnnouncedThroughTheDaemon) {
    if (qEnvironmentVariableIsEmpty("QUILLET_TEST_AVAHI"))
        GTEST_SKIP() << "no Avahi daemon for this test";
    CServiceDiscovery server;
    server.Announce(4999);
    ASSERT_TRUE(PumpUntil([&] { return server.AnnounceState() == CServiceDiscovery::EAnnounce::Announced; }, 10000));
    CHostSearchDlg dialog;
    ASSERT_TRUE(PumpUntil([&] { return !dialog.IsSearching(); }, 10000));
    const QStringList about = Column(dialog.List(), CHostSearchDlg::kAboutColumn);
    const auto row =
        std::find_if(about.begin(), about.end(), [](const QString& text) { return text.endsWith("(port 4999)"); });
    ASSERT_NE(row, about.end());
    const int index = static_cast<int>(row - about.begin());
    EXPECT_FALSE(dialog.List()->topLevelItem(index)->text(CHostSearchDlg::kHostColumn).isEmpty());
    EXPECT_FALSE(dialog.List()->topLevelItem(index)->text(CHostSearchDlg::kAddressColumn).isEmpty());
}

TEST_F(HostSearchDlgTest, HostInfoFindPutsTheChosenHostIntoTheAddress) {
    CHostInfoDlg info;
    info.SetAddress("old-host");
    info.SetPort(0);
    EXPECT_TRUE(info.PortEdit()->text().isEmpty());
    EXPECT_EQ(info.Port(), 0);
    info.SetPort(4126);
    info.SetSearchBrowse(Browse.Function());

    bool cancel = true;
    modalrun::SetHook([&](QDialog& dialog) {
        auto* search = qobject_cast<CHostSearchDlg*>(&dialog);
        if (search == nullptr)
            return int(QDialog::Rejected);
        Browse.Report("found.local", "192.168.0.7", 5001);
        Browse.Finished();
        Drain();
        search->List()->topLevelItem(0)->setSelected(true);
        if (cancel)
            search->reject();
        else
            search->accept();
        return search->result();
    });
    info.FindButton()->click();
    EXPECT_EQ(info.Address(), "old-host");
    EXPECT_EQ(info.Port(), 4126);

    // The address the search resolved: it works where nothing resolves ".local".
    cancel = false;
    info.FindButton()->click();
    EXPECT_EQ(info.Address(), "192.168.0.7");
    EXPECT_EQ(info.Port(), 5001);

    // No port, no destination: OK says so and keeps the dialog open.
    info.PortEdit()->setText("");
    EXPECT_EQ(info.Port(), 0);
    QString warning;
    modalrun::SetHook([&](QDialog& dialog) {
        warning = static_cast<QMessageBox&>(dialog).text();
        return int(QMessageBox::Ok);
    });
    info.accept();
    EXPECT_NE(info.result(), QDialog::Accepted);
    EXPECT_TRUE(warning.contains("65535")) << warning.toStdString();
}

TEST_F(HostSearchDlgTest, ColumnsAreTranslated) {
    QTranslator translator;
    ASSERT_TRUE(translator.load(QStringLiteral(":/i18n/quillet_ja.qm")));
    QCoreApplication::installTranslator(&translator);
    CHostSearchDlg dialog(nullptr, Browse.Function());
    QTreeWidgetItem* header = dialog.List()->headerItem();
    const QStringList columns{header->text(0), header->text(1), header->text(2)};
    QCoreApplication::removeTranslator(&translator);
    EXPECT_EQ(columns, (QStringList{QString::fromUtf8("ホスト名"), QString::fromUtf8("IPアドレス"),
                                    QString::fromUtf8("コンピュータの説明")}));
}

} // namespace
