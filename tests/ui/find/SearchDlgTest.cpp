#include "ui/find/SearchDlg.h"

#include "core/base/FieldText.h"
#include "core/base/Strings.h"
#include "core/store/DataBase.h"
#include "ui/note/MessageDlg.h"
#include "ui/note/NoteTestSupport.h"

#include <QAction>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTextCursor>
#include <QTextEdit>
#include <QTranslator>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

// Readable failure messages.
void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

constexpr int kFirstId = 1178000000;
constexpr int kDay = 86400;

void DeleteLater() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Runs the event loop until done() holds or the time is up.
template <typename Done> bool PumpUntil(Done done, int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > milliseconds)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

class SearchDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        // One note a day, so the Date column orders the notes by creation.
        m_store = std::make_unique<CDataBase>(
            [](std::shared_ptr<CNote> note) {
                return CreateMessageDlg(std::move(note), std::make_shared<CNoteContext>());
            },
            [this] { return m_now += kDay; });
        m_dlg = std::make_unique<CSearchDlg>(*m_store);
    }

    void TearDown() override {
        m_dlg.reset();
        m_store.reset();
        DeleteLater();
    }

    int AddNote(const std::string& text, const std::string& title = std::string()) {
        const int id = m_store->AddMessage(text);
        if (!title.empty()) {
            SheetProperty sheet = m_store->GetMessage(id)->GetSheet();
            CopyField(sheet.Title, title);
            m_store->GetMessage(id)->SetSheet(sheet);
        }
        return id;
    }

    // Starts a search and waits for its end.
    void Search(const QString& pattern) {
        m_dlg->SearchEdit()->setText(pattern);
        m_dlg->StartButton()->click();
        ASSERT_TRUE(PumpUntil([this] { return !m_dlg->IsSearching(); }, 10000));
    }

    QTreeWidget* List() const { return m_dlg->ResultList(); }
    QString Cell(int row, int column) const { return List()->topLevelItem(row)->text(column); }
    CMessageDlg* Note(int id) const { return dynamic_cast<CMessageDlg*>(m_store->GetMessage(id)); }
    QString Selected(int id) const { return Note(id)->Editor()->textCursor().selectedText(); }

    void SelectRows(const std::vector<int>& rows) {
        List()->clearSelection();
        for (const int row : rows)
            List()->topLevelItem(row)->setSelected(true);
    }

    std::time_t m_now = kFirstId - kDay;
    std::unique_ptr<CDataBase> m_store;
    std::unique_ptr<CSearchDlg> m_dlg;
};

TEST_F(SearchDlgTest, ListsEachNoteOnceAtItsFirstCaseSensitiveMatch) {
    const int twice = AddNote("xx abc yy abc");
    AddNote("ABC in capitals only");
    const int once = AddNote("the abc");
    AddNote("nothing here");

    m_dlg->SearchEdit()->setText(QStringLiteral("abc"));
    m_dlg->StartButton()->click();
    // The end of the search reaches the dialog as a queued call.
    EXPECT_TRUE(m_dlg->IsSearching());
    EXPECT_EQ(m_dlg->StartButton()->text(), QStringLiteral("Stop search(&T)"));
    ASSERT_TRUE(PumpUntil([this] { return !m_dlg->IsSearching(); }, 10000));
    EXPECT_EQ(m_dlg->StartButton()->text(), QStringLiteral("Start search(&F)"));

    ASSERT_EQ(m_dlg->Results().size(), 2u);
    EXPECT_EQ(m_dlg->Results()[0].ID, twice);
    EXPECT_EQ(m_dlg->Results()[0].Offset, 3u);
    EXPECT_EQ(m_dlg->Results()[0].Length, 3u);
    EXPECT_EQ(m_dlg->Results()[1].ID, once);
    ASSERT_EQ(List()->topLevelItemCount(), 2);
    EXPECT_EQ(Cell(0, CSearchDlg::kDateColumn), QString::fromStdString(FormatCreationTime(twice)));
    EXPECT_EQ(Cell(1, CSearchDlg::kDateColumn), QString::fromStdString(FormatCreationTime(once)));

    // A new search replaces the results; an empty string finds nothing.
    Search(QStringLiteral("ABC"));
    EXPECT_EQ(List()->topLevelItemCount(), 1);
    Search(QString());
    EXPECT_EQ(List()->topLevelItemCount(), 0);
    EXPECT_TRUE(m_dlg->Results().empty());
    EXPECT_EQ(m_dlg->StartButton()->text(), QStringLiteral("Start search(&F)"));
}

TEST_F(SearchDlgTest, TitleColumnShowsTheTitleFieldOnly) {
    const int untitled = AddNote("find me");
    const int titled = AddNote("find me too", "Shopping");
    Search(QStringLiteral("find"));
    ASSERT_EQ(List()->topLevelItemCount(), 2);
    EXPECT_EQ(Cell(0, CSearchDlg::kDateColumn), QString::fromStdString(FormatCreationTime(untitled)));
    EXPECT_EQ(Cell(0, CSearchDlg::kTitleColumn), QString());
    EXPECT_EQ(Cell(1, CSearchDlg::kDateColumn), QString::fromStdString(FormatCreationTime(titled)));
    EXPECT_EQ(Cell(1, CSearchDlg::kTitleColumn), QStringLiteral("Shopping"));
    EXPECT_EQ(List()->headerItem()->text(0), QStringLiteral("Date"));
    EXPECT_EQ(List()->headerItem()->text(1), QStringLiteral("Title"));
    EXPECT_GE(List()->columnWidth(0), CSearchDlg::kDateWidth);
}

TEST_F(SearchDlgTest, HeaderClicksSortAndOpenFollowsTheShownOrder) {
    const int b = AddNote("key 1", "Beta");
    const int c = AddNote("key 2", "Gamma");
    const int a = AddNote("key 3", "Alpha");
    Search(QStringLiteral("key"));
    ASSERT_EQ(List()->topLevelItemCount(), 3);
    EXPECT_EQ(m_dlg->SortedColumn(), -1);
    QHeaderView* header = List()->header();

    // Date: newest first, then oldest first.
    emit header->sectionClicked(CSearchDlg::kDateColumn);
    EXPECT_EQ(Cell(0, 1), QStringLiteral("Alpha"));
    EXPECT_EQ(Cell(2, 1), QStringLiteral("Beta"));
    EXPECT_EQ(m_dlg->SortedColumn(), CSearchDlg::kDateColumn);
    EXPECT_FALSE(m_dlg->IsSortAscending(CSearchDlg::kDateColumn));
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
    emit header->sectionClicked(CSearchDlg::kDateColumn);
    EXPECT_EQ(Cell(0, 1), QStringLiteral("Beta"));
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
    EXPECT_TRUE(m_dlg->IsSortAscending(CSearchDlg::kDateColumn));

    // Title: ascending at the first click; the arrow moves to that column.
    emit header->sectionClicked(CSearchDlg::kTitleColumn);
    EXPECT_EQ(Cell(0, 1), QStringLiteral("Alpha"));
    EXPECT_EQ(Cell(1, 1), QStringLiteral("Beta"));
    EXPECT_EQ(Cell(2, 1), QStringLiteral("Gamma"));
    EXPECT_EQ(header->sortIndicatorSection(), CSearchDlg::kTitleColumn);
    EXPECT_EQ(m_dlg->SortedColumn(), CSearchDlg::kTitleColumn);

    m_store->ShowMessage(0, ShowCommand::Hide);
    SelectRows({0});
    m_dlg->OpenSelected();
    EXPECT_TRUE(m_store->IsVisible(a));
    EXPECT_FALSE(m_store->IsVisible(b));
    EXPECT_FALSE(m_store->IsVisible(c));
    EXPECT_EQ(Selected(a), QStringLiteral("key"));

    emit header->sectionClicked(CSearchDlg::kTitleColumn);
    EXPECT_EQ(Cell(0, 1), QStringLiteral("Gamma"));
    SelectRows({0});
    m_dlg->OpenSelected();
    EXPECT_TRUE(m_store->IsVisible(c));
    EXPECT_FALSE(m_store->IsVisible(b));

    // A new search forgets the order and the arrow.
    Search(QStringLiteral("key"));
    EXPECT_EQ(m_dlg->SortedColumn(), -1);
    EXPECT_TRUE(m_dlg->IsSortAscending(CSearchDlg::kDateColumn));
    EXPECT_FALSE(m_dlg->IsSortAscending(CSearchDlg::kTitleColumn));
}

TEST_F(SearchDlgTest, OpenSelectsTheMatchInEveryChosenNote) {
    const int plain = AddNote("needle first");
    const int japanese = AddNote("日本語の行\r\n二行目です ä\n\n三行目: needle はここ");
    const int emoji = AddNote("😀 絵文字の後の 漢字 needle");
    AddNote("no match");
    Search(QStringLiteral("needle"));
    ASSERT_EQ(List()->topLevelItemCount(), 3);

    // Nothing selected: Open is greyed.
    List()->clearSelection();
    EXPECT_FALSE(m_dlg->PrepareContextMenu()->actions().value(0)->isEnabled());
    EXPECT_EQ(m_dlg->OpenAction()->text(), QStringLiteral("Open(&O)"));

    m_store->ShowMessage(0, ShowCommand::Hide);
    SelectRows({0, 1, 2});
    ASSERT_TRUE(m_dlg->PrepareContextMenu()->actions().value(0)->isEnabled());
    m_dlg->OpenAction()->trigger();
    for (const int id : {plain, japanese, emoji}) {
        EXPECT_TRUE(m_store->IsVisible(id)) << id;
        EXPECT_EQ(Selected(id), QStringLiteral("needle")) << id;
    }

    // A Japanese search string, after line breaks.
    m_store->ShowMessage(0, ShowCommand::Hide);
    Search(QStringLiteral("二行目"));
    ASSERT_EQ(List()->topLevelItemCount(), 1);
    SelectRows({0});
    emit List()->itemDoubleClicked(List()->topLevelItem(0), 0);
    EXPECT_TRUE(m_store->IsVisible(japanese));
    EXPECT_FALSE(m_store->IsVisible(plain));
    EXPECT_EQ(Selected(japanese), QStringLiteral("二行目"));

    // Enter on the list opens too, and does not start a new search.
    m_store->ShowMessage(0, ShowCommand::Hide);
    m_dlg->ShowDialog();
    List()->setFocus();
    ASSERT_EQ(m_dlg->focusWidget(), List());
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(List(), &enter);
    EXPECT_TRUE(m_store->IsVisible(japanese));
    EXPECT_FALSE(m_dlg->IsSearching());
    EXPECT_EQ(List()->topLevelItemCount(), 1);
}

TEST_F(SearchDlgTest, RowsOfDeletedOrEditedNotesOpenSafely) {
    const int gone = AddNote("target one");
    const int edited = AddNote("target two");
    const int kept = AddNote("target three");
    Search(QStringLiteral("target"));
    ASSERT_EQ(List()->topLevelItemCount(), 3);

    m_store->DeleteMessage(gone);
    DeleteLater();
    Note(edited)->SetBody("moved:\nnow the target is here", BodyFormat::PlainText);
    m_store->ShowMessage(0, ShowCommand::Hide);
    SelectRows({0, 1, 2});
    m_dlg->OpenSelected();
    EXPECT_EQ(m_store->GetMessage(gone), nullptr);
    EXPECT_TRUE(m_store->IsVisible(edited));
    EXPECT_EQ(Selected(edited), QStringLiteral("target"));
    EXPECT_TRUE(m_store->IsVisible(kept));
    EXPECT_EQ(Selected(kept), QStringLiteral("target"));

    // The string gone from the note: it is shown, nothing is selected.
    Note(kept)->SetBody("rewritten", BodyFormat::PlainText);
    SelectRows({2});
    m_dlg->OpenSelected();
    EXPECT_TRUE(Selected(kept).isEmpty());
}

TEST_F(SearchDlgTest, StopAndCloseNeverWaitForTheWorker) {
    // Text that defeats the search's filter: every other window agrees with the
    // pattern up to its last byte. Each note ends with a match, so the search
    // reports rows all along. The whole search still takes only some tens of
    // milliseconds, hence the short pumps before stopping it.
    std::string run;
    for (int i = 0; i < 2000; ++i)
        run += "ab";
    const std::string match = run + "aa";
    std::string text;
    for (int i = 0; i < 5; ++i)
        text += run + run + '\n';
    text += match;
    for (int i = 0; i < 100; ++i)
        AddNote(text);
    const int shortNote = AddNote("a short note with the word");
    const QString pattern = QString::fromStdString(match);

    m_dlg->SearchEdit()->setText(pattern);
    m_dlg->StartButton()->click();
    Pump(10);
    ASSERT_TRUE(m_dlg->IsSearching()) << "the search ended too soon to be stopped";
    QElapsedTimer timer;
    timer.start();
    m_dlg->StartButton()->click();
    EXPECT_LT(timer.elapsed(), 500);
    EXPECT_FALSE(m_dlg->IsSearching());
    EXPECT_EQ(m_dlg->StartButton()->text(), QStringLiteral("Start search(&F)"));
    EXPECT_TRUE(PumpUntil([this] { return !m_dlg->HasRunningWorker(); }, 3000));
    EXPECT_LT(m_dlg->Results().size(), 100u);

    // Stop and start again at once: the new search does not wait for the old
    // one, and rows of the old one still on their way are dropped.
    m_dlg->StartButton()->click();
    Pump(10);
    m_dlg->StartButton()->click();
    m_dlg->SearchEdit()->setText(QStringLiteral("word"));
    timer.restart();
    m_dlg->StartButton()->click();
    EXPECT_LT(timer.elapsed(), 2000);
    ASSERT_TRUE(PumpUntil([this] { return !m_dlg->IsSearching(); }, 10000));
    EXPECT_TRUE(PumpUntil([this] { return !m_dlg->HasRunningWorker(); }, 3000));
    Pump(50);
    ASSERT_EQ(m_dlg->Results().size(), 1u);
    EXPECT_EQ(m_dlg->Results()[0].ID, shortNote);
    EXPECT_EQ(List()->topLevelItemCount(), 1);

    // Close during a search: hidden, emptied, and no row arrives later.
    m_dlg->ShowDialog();
    m_dlg->SearchEdit()->setText(QStringLiteral("a"));
    m_dlg->StartButton()->click();
    timer.restart();
    m_dlg->CloseButton()->click();
    EXPECT_LT(timer.elapsed(), 500);
    EXPECT_FALSE(m_dlg->isVisible());
    Pump(100);
    EXPECT_EQ(List()->topLevelItemCount(), 0);
    EXPECT_TRUE(m_dlg->Results().empty());

    // Destroying the dialog during a search ends its worker quickly.
    m_dlg->SearchEdit()->setText(pattern);
    m_dlg->StartButton()->click();
    Pump(50);
    timer.restart();
    m_dlg.reset();
    EXPECT_LT(timer.elapsed(), 2000);
}

TEST_F(SearchDlgTest, ShowDialogAndJapaneseTexts) {
    EXPECT_FALSE(m_dlg->isVisible());
    m_dlg->ShowDialog();
    EXPECT_TRUE(m_dlg->isVisible());
    m_dlg->Close();
    EXPECT_FALSE(m_dlg->isVisible());

    QTranslator translator;
    ASSERT_TRUE(translator.load(QStringLiteral(":/i18n/quillet_ja.qm")));
    QCoreApplication::installTranslator(&translator);
    {
        CSearchDlg dlg(*m_store);
        EXPECT_EQ(dlg.windowTitle(), QStringLiteral("文字列検索"));
        EXPECT_EQ(dlg.StartButton()->text(), QStringLiteral("検索開始(&F)"));
        EXPECT_EQ(dlg.CloseButton()->text(), QStringLiteral("閉じる"));
        EXPECT_EQ(dlg.OpenAction()->text(), QStringLiteral("開く(&O)"));
        EXPECT_EQ(dlg.ResultList()->headerItem()->text(0), QStringLiteral("生成日"));
        EXPECT_EQ(dlg.ResultList()->headerItem()->text(1), QStringLiteral("タイトル"));
        EXPECT_EQ(CSearchDlg::StringText(strings::kSearchStop), QStringLiteral("検索中止(&T)"));
    }
    QCoreApplication::removeTranslator(&translator);
}

} // namespace
