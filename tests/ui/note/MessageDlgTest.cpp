#include "ui/note/MessageDlg.h"

#include "NoteTestSupport.h"
#include "core/base/FieldText.h"
#include "core/base/Strings.h"
#include "core/note/RtfWriter.h"
#include "ui/common/RichTextBridge.h"

#include <QAction>
#include <QDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>
#include <QScreen>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <QTranslator>

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr int kId = 1178000000;

QRect PrimaryScreen() {
    return QGuiApplication::primaryScreen()->geometry();
}

SheetProperty Sheet(Rect rect) {
    SheetProperty sheet;
    sheet.ID = kId;
    sheet.Left = rect.Left;
    sheet.Top = rect.Top;
    sheet.Right = rect.Right;
    sheet.Bottom = rect.Bottom;
    sheet.AutoResize = 0;
    return sheet;
}

void DeleteLater() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class MessageDlgTest : public ::testing::Test {
protected:
    static constexpr int kQuiet = 300;

    void SetUp() override {
        m_context->QuietTime = kQuiet;
        m_context->LinkOpener = [this](const QUrl& url) { m_opened.push_back(url); };
        m_dlg = new CMessageDlg(std::make_shared<CNote>(), m_context);
        m_dlg->SetPromptPort(&m_prompt);
        m_dlg->SetSheet(Sheet({100, 120, 300, 220}));
        m_dlg->SetWindowRect({100, 120, 300, 220});
        m_dlg->SetEventHandler(&m_handler);
        m_dlg->Show(ShowCommand::ShowNoActivate);
        Pump(20);
        m_handler.Clear();
    }

    void TearDown() override {
        m_dlg->Dispose();
        DeleteLater();
    }

    // Puts the text in and lets the resulting delayed report pass unnoticed.
    void SetText(const std::string& text) {
        m_dlg->SetBody(text, BodyFormat::PlainText);
        Pump(20);
        m_handler.Clear();
    }

    std::shared_ptr<CNoteContext> m_context = std::make_shared<CNoteContext>();
    CMessageDlg* m_dlg = nullptr;
    CRecordingHandler m_handler;
    CScriptedPrompt m_prompt;
    std::vector<QUrl> m_opened;
};

} // namespace

TEST_F(MessageDlgTest, MoveToTitleTakes255BytesAndRefuses256) {
    SetText(std::string(300, 'a'));
    m_dlg->SelectRange(0, 255);
    m_dlg->RunCommand(CMessageDlg::kCmdMoveToTitle);
    EXPECT_EQ(std::strlen(m_dlg->GetSheet().Title), 255u);
    ASSERT_EQ(m_handler.Titles.size(), 1u);
    EXPECT_EQ(m_handler.Titles[0], std::make_pair(kId, std::string(255, 'a')));
    EXPECT_EQ(m_handler.Changed, std::vector<int>{kId});

    // The same text again changes and reports nothing.
    m_handler.Clear();
    m_dlg->RunCommand(CMessageDlg::kCmdMoveToTitle);
    EXPECT_TRUE(m_handler.Titles.empty());
    EXPECT_TRUE(m_handler.Changed.empty());

    m_dlg->SelectRange(0, 256);
    m_dlg->RunCommand(CMessageDlg::kCmdMoveToTitle);
    ASSERT_EQ(m_prompt.Shown.size(), 1u);
    EXPECT_EQ(m_prompt.Shown[0].first, strings::kTitleTooLong);
    EXPECT_EQ(m_prompt.Shown[0].second, CPromptPort::Icon::Information);
    EXPECT_EQ(std::strlen(m_dlg->GetSheet().Title), 255u);
    EXPECT_TRUE(m_handler.Titles.empty());
    EXPECT_TRUE(m_handler.Changed.empty());

    // The limit counts bytes: 85 three-byte characters fit, 86 do not.
    std::string japanese;
    for (int i = 0; i < 90; ++i)
        japanese += "日";
    SetText(japanese);
    m_dlg->SelectRange(0, 85);
    m_dlg->RunCommand(CMessageDlg::kCmdMoveToTitle);
    EXPECT_EQ(std::string(m_dlg->GetSheet().Title), japanese.substr(0, 255));
    m_dlg->SelectRange(0, 86);
    m_dlg->RunCommand(CMessageDlg::kCmdMoveToTitle);
    EXPECT_EQ(m_prompt.Shown.size(), 2u);
    EXPECT_EQ(std::string(m_dlg->GetSheet().Title), japanese.substr(0, 255));
}

TEST_F(MessageDlgTest, TypingAndResizingReportOnceAfterQuiet) {
    for (int i = 0; i < 6; ++i) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
        QApplication::sendEvent(m_dlg->Editor(), &key);
        Pump(kQuiet / 10);
    }
    m_dlg->resize(220, 110);
    EXPECT_EQ(m_dlg->GetText(), "xxxxxx");
    EXPECT_TRUE(m_handler.Changed.empty());
    EXPECT_TRUE(m_dlg->IsModified());
    Pump(kQuiet + 200);
    EXPECT_EQ(m_handler.Changed, std::vector<int>{kId});
    EXPECT_FALSE(m_dlg->IsModified());

    // An immediate report in between supersedes the pending one.
    m_handler.Clear();
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Y, Qt::NoModifier, QStringLiteral("y"));
    QApplication::sendEvent(m_dlg->Editor(), &key);
    m_dlg->ReportChange(0);
    Pump(kQuiet + 200);
    EXPECT_EQ(m_handler.Changed, std::vector<int>{kId});

    // Without a handler nothing is reported and the note stays unsaved.
    m_dlg->SetEventHandler(nullptr);
    m_dlg->ReportChange(0);
    QApplication::sendEvent(m_dlg->Editor(), &key);
    Pump(kQuiet + 200);
    EXPECT_TRUE(m_dlg->IsModified());
}

TEST_F(MessageDlgTest, DragByStripMovesAndReportsOnRelease) {
    const QPoint start = m_dlg->mapToGlobal(QPoint(10, 50));
    SendMouse(m_dlg, QEvent::MouseButtonPress, start, Qt::LeftButton);
    EXPECT_EQ(m_dlg->cursor().shape(), Qt::PointingHandCursor);
    SendMouse(m_dlg, QEvent::MouseMove, start + QPoint(30, 40), Qt::LeftButton);
    EXPECT_EQ(m_dlg->geometry(), QRect(130, 160, 200, 100));
    SendMouse(m_dlg, QEvent::MouseMove, start + QPoint(35, 45), Qt::LeftButton);
    Pump(10);
    EXPECT_EQ(m_dlg->geometry(), QRect(135, 165, 200, 100));
    EXPECT_TRUE(m_handler.Changed.empty());
    SendMouse(m_dlg, QEvent::MouseButtonRelease, start + QPoint(35, 45), Qt::NoButton);
    Pump(10);
    EXPECT_EQ(m_handler.Changed, std::vector<int>{kId});
    EXPECT_EQ(m_dlg->GetWindowRect(), (Rect{135, 165, 335, 265}));
    EXPECT_EQ(m_dlg->cursor().shape(), Qt::ArrowCursor);

    // Ctrl-drag over the text moves the note and selects nothing.
    m_handler.Clear();
    QWidget* viewport = m_dlg->Editor()->viewport();
    const QPoint inText = viewport->mapToGlobal(QPoint(20, 10));
    SendMouse(viewport, QEvent::MouseButtonPress, inText, Qt::LeftButton, Qt::ControlModifier);
    SendMouse(viewport, QEvent::MouseMove, inText + QPoint(-5, 7), Qt::LeftButton, Qt::ControlModifier);
    SendMouse(viewport, QEvent::MouseButtonRelease, inText + QPoint(-5, 7), Qt::NoButton, Qt::ControlModifier);
    Pump(10);
    EXPECT_EQ(m_dlg->geometry().topLeft(), QPoint(130, 172));
    EXPECT_FALSE(m_dlg->Editor()->textCursor().hasSelection());
    EXPECT_EQ(m_handler.Changed, std::vector<int>{kId});
}

TEST_F(MessageDlgTest, CornerResizeStopsAt50By25AndFollowsAgain) {
    // 4 pixels inside the bottom-right corner.
    const QPoint corner = m_dlg->mapToGlobal(QPoint(196, 96));
    SendMouse(m_dlg, QEvent::MouseButtonPress, corner, Qt::LeftButton);
    EXPECT_EQ(m_dlg->cursor().shape(), Qt::SizeFDiagCursor);
    SendMouse(m_dlg, QEvent::MouseMove, corner - QPoint(150, 75), Qt::LeftButton);
    EXPECT_EQ(m_dlg->size(), QSize(50, 25));
    SendMouse(m_dlg, QEvent::MouseMove, corner - QPoint(151, 75), Qt::LeftButton);
    SendMouse(m_dlg, QEvent::MouseMove, corner - QPoint(180, 90), Qt::LeftButton);
    EXPECT_EQ(m_dlg->size(), QSize(50, 25));
    SendMouse(m_dlg, QEvent::MouseMove, corner - QPoint(140, 70), Qt::LeftButton);
    EXPECT_EQ(m_dlg->geometry(), QRect(100, 120, 60, 30));
    SendMouse(m_dlg, QEvent::MouseButtonRelease, corner - QPoint(140, 70), Qt::NoButton);
    EXPECT_EQ(m_handler.Changed, std::vector<int>{kId});
    // The editor follows the window's size.
    EXPECT_EQ(m_dlg->Editor()->geometry(), QRect(15, 5, 40, 20));

    // The left edge moves the left side only.
    m_dlg->SetWindowRect({100, 120, 300, 220});
    const QPoint left = m_dlg->mapToGlobal(QPoint(2, 50));
    SendMouse(m_dlg, QEvent::MouseButtonPress, left, Qt::LeftButton);
    EXPECT_EQ(m_dlg->cursor().shape(), Qt::SizeHorCursor);
    SendMouse(m_dlg, QEvent::MouseMove, left + QPoint(20, 30), Qt::LeftButton);
    EXPECT_EQ(m_dlg->geometry(), QRect(120, 120, 180, 100));
    SendMouse(m_dlg, QEvent::MouseButtonRelease, left + QPoint(20, 30), Qt::NoButton);

    // Hovering shows the zone cursors.
    const auto hover = [&](QPoint client) {
        SendMouse(m_dlg, QEvent::MouseMove, m_dlg->mapToGlobal(client), Qt::NoButton);
        return m_dlg->cursor().shape();
    };
    EXPECT_EQ(hover({1, 1}), Qt::SizeFDiagCursor);
    EXPECT_EQ(hover({1, 98}), Qt::SizeBDiagCursor);
    EXPECT_EQ(hover({178, 50}), Qt::SizeHorCursor);
    EXPECT_EQ(hover({90, 99}), Qt::SizeVerCursor);
    EXPECT_EQ(hover({8, 50}), Qt::PointingHandCursor);
    EXPECT_EQ(hover({100, 50}), Qt::ArrowCursor);
}

TEST_F(MessageDlgTest, AutoResizeFollowsTextAndSwitchesOffWhenScreenHigh) {
    SetText("one\ntwo\nthree\nfour");
    m_dlg->RunCommand(CMessageDlg::kCmdAutoResize);
    EXPECT_EQ(m_dlg->GetSheet().AutoResize, 1);
    EXPECT_EQ(m_handler.Changed, std::vector<int>{kId});
    Pump(20);
    const int textHeight = static_cast<int>(std::ceil(m_dlg->Editor()->document()->size().height()));
    EXPECT_EQ(m_dlg->geometry(), QRect(100, 120, 200, textHeight + 12));

    // More text: the window grows with it.
    QTextCursor cursor(m_dlg->Editor()->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QStringLiteral("\nfive\nsix"));
    Pump(20);
    EXPECT_GT(m_dlg->height(), textHeight + 12);
    EXPECT_EQ(m_dlg->height(), static_cast<int>(std::ceil(m_dlg->Editor()->document()->size().height())) + 12);

    // Text higher than the screen: the note becomes screen-high at the top and stops following.
    std::string tall;
    for (int i = 0; i < 400; ++i)
        tall += "line\n";
    m_dlg->SetBody(tall, BodyFormat::PlainText);
    Pump(50);
    EXPECT_EQ(m_dlg->GetSheet().AutoResize, 0);
    EXPECT_EQ(m_dlg->geometry(), QRect(100, 0, 200, PrimaryScreen().height()));
    m_dlg->PrepareContextMenu();
    EXPECT_FALSE(m_dlg->Action(CMessageDlg::kCmdAutoResize)->isChecked());
}

TEST_F(MessageDlgTest, ReceivedNoteIsCentredAndShownEvenIfStoredHidden) {
    SheetProperty sheet = Sheet({10, 10, 211, 111});
    sheet.Hidden = 1;
    m_dlg->SetSheet(sheet);
    m_dlg->SetWindowRect({10, 10, 211, 111});
    const std::string document = m_dlg->Serialize();

    auto* received = new CMessageDlg();
    ASSERT_EQ(received->Load(document.c_str(), true), 1);
    EXPECT_TRUE(received->IsVisible());
    EXPECT_TRUE(received->isVisible());
    EXPECT_EQ(received->GetSheet().Hidden, 0);
    const QRect screen = PrimaryScreen();
    EXPECT_EQ(received->geometry(),
              QRect(screen.x() + screen.width() / 2 - 201 / 2, screen.y() + screen.height() / 2 - 101 / 2, 201, 101));
    EXPECT_FALSE(received->IsModified());
    received->Dispose();

    auto* stored = new CMessageDlg();
    ASSERT_EQ(stored->Load(document.c_str(), false), 1);
    EXPECT_FALSE(stored->isVisible());
    EXPECT_EQ(stored->GetSheet().Hidden, 1);
    EXPECT_EQ(stored->GetWindowRect(), (Rect{10, 10, 211, 111}));
    // A document that does not parse is refused with the reader's answer.
    EXPECT_NE(stored->Load("<Quillet><Sheet></Font></Quillet>", false), 1);
    stored->Dispose();
    DeleteLater();
}

TEST_F(MessageDlgTest, SerializeLoadRoundTripKeepsEverything) {
    SheetProperty sheet = Sheet({40, 50, 290, 200});
    std::strcpy(sheet.Title, "Einkauf 買い物");
    sheet.TopWindow = 1;
    sheet.MoveBar = 0;
    sheet.ReadOnly = 1;
    FontProperty font;
    std::memset(font.Name, 0, sizeof font.Name);
    std::strcpy(font.Name, "DejaVu Sans");
    font.Size = 12;
    font.Flags = kFontBold | kFontShadow;
    font.FontColor = 0x00204080;
    font.BackgroundColor = 0x00C0FFEE;
    InformProperty inform;
    inform.Enabled = 1;
    inform.ByTime = 1;
    inform.FireTime = 1900000000;
    m_dlg->SetSheet(sheet);
    m_dlg->SetFont(font);
    m_dlg->SetInform(inform);
    m_dlg->SetWindowRect({40, 50, 290, 200});

    const CharFormat defaults = richtext::DefaultCharFormat(font);
    CStyledText text(defaults);
    text.AddParagraph();
    text.AppendText("milk ", defaults);
    CharFormat red = defaults;
    red.Color = 0x000000FF;
    red.Emboss = true;
    red.Bold = false;
    text.AppendText("eggs", red);
    text.AddParagraph(Alignment::Right);
    CharFormat big = defaults;
    big.HalfPoints = 31;
    big.FaceName = "MS Sans Serif";
    text.AppendText("パン", big);
    m_dlg->SetBody(CRtfWriter::Write(text), BodyFormat::Rtf);

    const std::string document = m_dlg->Serialize();
    CMessageDlg copy;
    ASSERT_EQ(copy.Load(document.c_str(), false), 1);
    const SheetProperty& loaded = copy.GetSheet();
    EXPECT_STREQ(loaded.Title, sheet.Title);
    EXPECT_EQ(copy.GetWindowRect(), (Rect{40, 50, 290, 200}));
    EXPECT_EQ(loaded.TopWindow, 1);
    EXPECT_TRUE(copy.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(loaded.MoveBar, 0);
    EXPECT_EQ(loaded.AutoResize, 0);
    EXPECT_EQ(loaded.ReadOnly, 1);
    EXPECT_TRUE(copy.Editor()->isReadOnly());
    EXPECT_TRUE(copy.GetFont() == font);
    EXPECT_EQ(copy.GetInform().FireTime, 1900000000);
    EXPECT_EQ(richtext::FromDocument(*copy.Editor()->document(), copy.DefaultFormat()), text);
    EXPECT_EQ(copy.Editor()->palette().color(QPalette::Base), QColor(0xEE, 0xFF, 0xC0));
    EXPECT_EQ(copy.Serialize(), document);
}

TEST_F(MessageDlgTest, MenuGreysChecksAndTogglesTopMostInPlace) {
    SetText("some text");
    QMenu* menu = m_dlg->PrepareContextMenu();
    QStringList texts;
    for (QAction* action : menu->actions())
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    EXPECT_EQ(texts, (QStringList{"Undo(&U)", "Copy(&C)", "Paste(&P)", "Cut(&D)", "-", "Font(&F)...",
                                  "Top most window(&T)", "Auto resize(&A)", "Group(&G)", "Send message(&S)...", "-",
                                  "Move to title(&L)", "Property(&O)...", "Hide(&H)", "Dispose message(&X)"}));
    EXPECT_FALSE(m_dlg->Action(CMessageDlg::kCmdCopy)->isEnabled());
    EXPECT_FALSE(m_dlg->Action(CMessageDlg::kCmdCut)->isEnabled());
    EXPECT_FALSE(m_dlg->Action(CMessageDlg::kCmdMoveToTitle)->isEnabled());
    EXPECT_FALSE(m_dlg->Action(CMessageDlg::kCmdUndo)->isEnabled());
    EXPECT_FALSE(m_dlg->Action(CMessageDlg::kCmdTopMost)->isChecked());
    m_dlg->SelectRange(0, 4);
    m_dlg->PrepareContextMenu();
    EXPECT_TRUE(m_dlg->Action(CMessageDlg::kCmdCopy)->isEnabled());
    EXPECT_TRUE(m_dlg->Action(CMessageDlg::kCmdCut)->isEnabled());
    EXPECT_TRUE(m_dlg->Action(CMessageDlg::kCmdMoveToTitle)->isEnabled());
    m_dlg->RunCommand(CMessageDlg::kCmdCut);
    m_dlg->PrepareContextMenu();
    EXPECT_TRUE(m_dlg->Action(CMessageDlg::kCmdUndo)->isEnabled());
    m_dlg->RunCommand(CMessageDlg::kCmdUndo);
    EXPECT_EQ(m_dlg->GetText(), "some text");

    // Top-most goes on and off without moving or hiding the note.
    m_handler.Clear();
    const QRect before = m_dlg->geometry();
    m_dlg->RunCommand(CMessageDlg::kCmdTopMost);
    Pump(20);
    EXPECT_EQ(m_dlg->GetSheet().TopWindow, 1);
    EXPECT_TRUE(m_dlg->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(m_dlg->geometry(), before);
    EXPECT_TRUE(m_dlg->isVisible());
    EXPECT_TRUE(m_handler.ShowChanges.empty());
    EXPECT_EQ(m_handler.Changed, std::vector<int>{kId});
    m_dlg->PrepareContextMenu();
    EXPECT_TRUE(m_dlg->Action(CMessageDlg::kCmdTopMost)->isChecked());
    m_dlg->RunCommand(CMessageDlg::kCmdTopMost);
    Pump(20);
    EXPECT_FALSE(m_dlg->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(m_dlg->geometry(), before);
    EXPECT_EQ(m_dlg->GetSheet().TopWindow, 0);

    // A read-only note offers nothing that would change its text.
    SheetProperty sheet = m_dlg->GetSheet();
    sheet.ReadOnly = 1;
    m_dlg->SetSheet(sheet);
    m_dlg->SelectRange(0, 4);
    m_dlg->PrepareContextMenu();
    EXPECT_FALSE(m_dlg->Action(CMessageDlg::kCmdCut)->isEnabled());
    EXPECT_FALSE(m_dlg->Action(CMessageDlg::kCmdPaste)->isEnabled());
    EXPECT_TRUE(m_dlg->Action(CMessageDlg::kCmdCopy)->isEnabled());
}

TEST_F(MessageDlgTest, GroupPopupChecksMembershipAndReportsClicks) {
    m_handler.GroupNames = {"Family", "Work & Play", "Travel"};
    m_handler.MyGroups = {"Work & Play"};
    m_dlg->PrepareContextMenu();
    QMenu* groups = m_dlg->GroupMenu();
    EXPECT_EQ(groups->menuAction()->text(), QStringLiteral("Group(&G)"));
    const QList<QAction*> items = groups->actions();
    ASSERT_EQ(items.size(), 5);
    EXPECT_EQ(items[0]->text(), QStringLiteral("Group Settings(&S)..."));
    EXPECT_TRUE(items[1]->isSeparator());
    EXPECT_EQ(items[3]->text(), QStringLiteral("Work && Play"));
    EXPECT_FALSE(items[2]->isChecked());
    EXPECT_TRUE(items[3]->isChecked());
    EXPECT_FALSE(items[4]->isChecked());

    items[2]->trigger();
    EXPECT_EQ(m_handler.Added, (std::vector<std::pair<int, std::string>>{{kId, "Family"}}));
    EXPECT_TRUE(items[2]->isChecked());
    m_dlg->RunCommand(CMessageDlg::kCmdFirstGroup + 1);
    EXPECT_EQ(m_handler.Removed, (std::vector<std::pair<int, std::string>>{{kId, "Work & Play"}}));
    items[0]->trigger();
    EXPECT_EQ(m_handler.Requests,
              (std::vector<std::pair<int, int>>{{kId, CMessageEventHandler::kRequestGroupSettings}}));

    // The pop-up is built anew each time; groups past the 25th are listed but disabled.
    m_handler.GroupNames.clear();
    for (int i = 1; i <= 27; ++i)
        m_handler.GroupNames.push_back("g" + std::to_string(i));
    m_handler.MyGroups = {"g26"};
    m_dlg->PrepareContextMenu();
    const QList<QAction*> many = groups->actions();
    ASSERT_EQ(many.size(), 29);
    EXPECT_TRUE(many[26]->isEnabled());
    EXPECT_EQ(m_dlg->Action(CMessageDlg::kCmdLastGroup), many[26]);
    EXPECT_FALSE(many[27]->isEnabled());
    EXPECT_TRUE(many[27]->isChecked());
    EXPECT_FALSE(many[28]->isEnabled());
}

TEST_F(MessageDlgTest, HideShowAndDisposeReport) {
    m_dlg->RunCommand(CMessageDlg::kCmdHide);
    EXPECT_FALSE(m_dlg->IsVisible());
    EXPECT_EQ(m_dlg->GetSheet().Hidden, 1);
    EXPECT_EQ(m_handler.ShowChanges, (std::vector<std::pair<int, bool>>{{kId, false}}));
    EXPECT_EQ(m_handler.Changed, std::vector<int>{kId});
    m_dlg->Show(ShowCommand::Show);
    EXPECT_EQ(m_dlg->GetSheet().Hidden, 0);
    EXPECT_EQ(m_handler.ShowChanges.back(), std::make_pair(kId, true));
    m_dlg->Show(ShowCommand::ShowNoActivate);
    EXPECT_EQ(m_handler.ShowChanges.size(), 2u);

    m_prompt.NextAnswer = CPromptPort::Answer::No;
    m_dlg->RunCommand(CMessageDlg::kCmdDispose);
    EXPECT_EQ(m_prompt.Asked, std::vector<int>{strings::kDeleteMessageConfirm});
    EXPECT_TRUE(m_handler.Deleted.empty());
    m_prompt.NextAnswer = CPromptPort::Answer::Yes;
    m_dlg->RunCommand(CMessageDlg::kCmdDispose);
    EXPECT_EQ(m_handler.Deleted, std::vector<int>{kId});
}

TEST_F(MessageDlgTest, LinksAreShownOpenedAndNotStored) {
    SetText("Visit www.example.com, write to mailto:a@b.org or (https://x.test/p?q=1).\n"
            "ftp://files.test/a and file:///tmp/x.txt; not http:// alone");
    std::vector<QString> urls;
    for (const CMessageDlg::Link& link : m_dlg->Links())
        urls.push_back(link.Url.toString());
    EXPECT_EQ(urls, (std::vector<QString>{"http://www.example.com", "mailto:a@b.org", "https://x.test/p?q=1",
                                          "ftp://files.test/a", "file:///tmp/x.txt"}));
    EXPECT_EQ(m_dlg->Editor()->extraSelections().size(), 5);
    const std::string document = m_dlg->Serialize();
    EXPECT_EQ(document.find("HYPERLINK"), std::string::npos);
    EXPECT_EQ(document.find("\\field"), std::string::npos);

    // Typing a link makes it one.
    QTextCursor cursor(m_dlg->Editor()->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QStringLiteral(" https://new.test"));
    EXPECT_EQ(m_dlg->Links().size(), 6u);

    QWidget* viewport = m_dlg->Editor()->viewport();
    const auto pointAt = [&](int position) {
        QTextCursor at(m_dlg->Editor()->document());
        at.setPosition(position);
        return viewport->mapToGlobal(m_dlg->Editor()->cursorRect(at).center() + QPoint(2, 0));
    };
    const int start = m_dlg->Links()[0].Start;
    SendMouse(viewport, QEvent::MouseButtonPress, pointAt(start + 3), Qt::LeftButton);
    SendMouse(viewport, QEvent::MouseButtonRelease, pointAt(start + 3), Qt::NoButton);
    EXPECT_EQ(m_opened, std::vector<QUrl>{QUrl("http://www.example.com")});
    SendMouse(viewport, QEvent::MouseButtonPress, pointAt(1), Qt::LeftButton);
    SendMouse(viewport, QEvent::MouseButtonRelease, pointAt(1), Qt::NoButton);
    EXPECT_EQ(m_opened.size(), 1u);
}

// The store may dispose of a note while one of its dialogs runs for real (a
// send that deletes the note, say): the dialog must close and the note go later.
TEST(MessageDlgDisposal, DisposedUnderItsOpenDialogClosesItAndIsDeletedAfterwards) {
    for (const int command : {CMessageDlg::kCmdProperty, CMessageDlg::kCmdFont, CMessageDlg::kCmdDispose}) {
        SCOPED_TRACE(command);
        CRecordingHandler handler;
        auto* note = new CMessageDlg();
        note->SetSheet(Sheet({100, 120, 300, 220}));
        note->SetEventHandler(&handler);
        note->Show(ShowCommand::ShowNoActivate);
        Pump(20);
        handler.Clear();
        QPointer<CMessageDlg> guard(note);
        QPointer<QDialog> open;
        bool opened = false;
        int result = -1;
        QTimer::singleShot(0, note, [&] {
            open = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            opened = !open.isNull();
            if (!opened)
                return;
            QObject::connect(open, &QDialog::finished, [&result](int code) { result = code; });
            // Ends the dialog should Dispose fail to, so the test cannot hang.
            QTimer::singleShot(3000, open, [&open] { open->done(QDialog::Accepted); });
            note->Dispose();
        });
        note->RunCommand(command);
        ASSERT_TRUE(opened);
        EXPECT_EQ(result, QDialog::Rejected);
        EXPECT_FALSE(guard.isNull());
        EXPECT_TRUE(handler.Changed.empty());
        EXPECT_TRUE(handler.Deleted.empty());
        DeleteLater();
        EXPECT_TRUE(guard.isNull());
        delete guard.data();
    }
}

TEST(MessageDlgTranslation, JapaneseTextsComeFromTheTranslation) {
    QTranslator translator;
    ASSERT_TRUE(translator.load(QStringLiteral(":/i18n/quillet_ja.qm")));
    QCoreApplication::installTranslator(&translator);
    {
        CMessageDlg note;
        note.PrepareContextMenu();
        EXPECT_EQ(note.Action(CMessageDlg::kCmdUndo)->text(), QStringLiteral("元に戻す(&U)"));
        EXPECT_EQ(note.Action(CMessageDlg::kCmdTopMost)->text(), QStringLiteral("ウィンドウを手前に表示(&T)"));
        EXPECT_EQ(note.Action(CMessageDlg::kCmdDispose)->text(), QStringLiteral("メッセージの削除(&X)"));
        EXPECT_EQ(note.GroupMenu()->menuAction()->text(), QStringLiteral("グループ(&G)"));
        EXPECT_EQ(note.GroupMenu()->actions().value(0)->text(), QStringLiteral("グループ設定(&S)..."));
        EXPECT_EQ(CMessageDlg::StringText(strings::kTitleTooLong),
                  QStringLiteral("選択テキストはタイトルとしては長すぎます。"));
        EXPECT_EQ(CMessageDlg::StringText(strings::kDeleteMessageConfirm), QStringLiteral("本当に削除しますか？"));
    }
    QCoreApplication::removeTranslator(&translator);
}

// The window shows the store's note: what is set through it is the note's, and
// the note lives on under a disposed window until the window is gone.
TEST(MessageDlgFactory, MakesNoteWindowsBoundToTheStoresNote) {
    auto shared = std::make_shared<CNote>();
    MessageWindowPtr window = CreateMessageDlg(shared, std::make_shared<CNoteContext>());
    auto* note = dynamic_cast<CMessageDlg*>(window.get());
    ASSERT_NE(note, nullptr);
    EXPECT_TRUE(note->windowFlags().testFlag(Qt::Tool));
    EXPECT_TRUE(note->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(note->IsModified());
    EXPECT_EQ(note->GetInform().Sound, 1);
    SheetProperty sheet = note->GetSheet();
    CopyField(sheet.Title, "bound");
    note->SetSheet(sheet);
    EXPECT_STREQ(shared->Sheet.Title, "bound");

    QPointer<CMessageDlg> guard(note);
    std::weak_ptr<CNote> weak = shared;
    shared.reset();
    window.reset();
    EXPECT_FALSE(note->isVisible());
    EXPECT_FALSE(weak.expired());
    DeleteLater();
    EXPECT_TRUE(guard.isNull());
    EXPECT_TRUE(weak.expired());
}
