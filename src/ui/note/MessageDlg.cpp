#include "ui/note/MessageDlg.h"

#include "core/base/FieldText.h"
#include "core/base/PromptPort.h"
#include "core/base/Strings.h"
#include "core/note/NoteGeometry.h"
#include "core/note/ReminderSchedule.h"
#include "core/store/MessageEventHandler.h"
#include "core/store/PropParser.h"
#include "platform/Messenger.h"
#include "ui/common/AppStrings.h"
#include "ui/common/Clock.h"
#include "ui/common/MessageBoxPrompt.h"
#include "ui/common/ModalRun.h"
#include "ui/common/RichTextBridge.h"
#include "ui/common/SoundPort.h"
#include "ui/dialogs/FontDlg.h"
#include "ui/dialogs/PropertyDlg.h"
#include "ui/note/TaskbarHint.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextEdit>
#include <QWindow>
#include <qdrawutil.h>

#include <algorithm>
#include <cmath>
#include <cstring>

Q_LOGGING_CATEGORY(lcNote, "quillet.note", QtInfoMsg)

namespace {

// Where "Send with Messenger" appears while a messenger runs.
constexpr int kMessengerPosition = 9;

CMessenger& Messenger(const CNoteContext& context) {
    static CMessenger shared;
    return context.Messenger != nullptr ? *context.Messenger : shared;
}

// The menu as it stands before the window's own changes; 0 is a separator.
// Commands of later features slot in here by position.
constexpr int kMenuLayout[] = {
    CMessageDlg::kCmdUndo,
    CMessageDlg::kCmdCopy,
    CMessageDlg::kCmdPaste,
    CMessageDlg::kCmdCut,
    0,
    CMessageDlg::kCmdFont,
    CMessageDlg::kCmdTopMost,
    CMessageDlg::kCmdAutoResize,
    CMessageDlg::kCmdGroupMenu,
    CMessageDlg::kCmdSend,
    0,
    CMessageDlg::kCmdMoveToTitle,
    CMessageDlg::kCmdProperty,
    CMessageDlg::kCmdHide,
    CMessageDlg::kCmdDispose,
};

// The move bar's rectangle: x 9 to 12, 5 pixels from the top and bottom.
constexpr int kMoveBarLeft = 9;
constexpr int kMoveBarWidth = 4;
constexpr int kMoveBarInset = 5;

// Space the text layout leaves around the text (the editor has no frame).
constexpr qreal kDocumentMargin = 2;

Qt::CursorShape ToQtCursor(CDragGeometry::Cursor cursor) {
    switch (cursor) {
    case CDragGeometry::Cursor::Hand:
        return Qt::PointingHandCursor;
    case CDragGeometry::Cursor::SizeNWSE:
        return Qt::SizeFDiagCursor;
    case CDragGeometry::Cursor::SizeNESW:
        return Qt::SizeBDiagCursor;
    case CDragGeometry::Cursor::SizeWE:
        return Qt::SizeHorCursor;
    case CDragGeometry::Cursor::SizeNS:
        return Qt::SizeVerCursor;
    case CDragGeometry::Cursor::Arrow:
        break;
    }
    return Qt::ArrowCursor;
}

QRect ToQRect(const Rect& rect) {
    return QRect(rect.Left, rect.Top, rect.Width(), rect.Height());
}

Rect PrimaryScreenRect() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return Rect{0, 0, 1024, 768};
    const QRect g = screen->geometry();
    return Rect{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
}

// A QTextEdit that takes text and rich text from the clipboard but no images:
// the note body has no place for them.
class CNoteEdit : public QTextEdit {
public:
    using QTextEdit::QTextEdit;

protected:
    bool canInsertFromMimeData(const QMimeData* source) const override {
        return source->hasText() || source->hasHtml();
    }
    void insertFromMimeData(const QMimeData* source) override {
        if (source->hasHtml() || source->hasText())
            QTextEdit::insertFromMimeData(source);
    }
};

QString CommandText(int command) {
    switch (command) {
    case CMessageDlg::kCmdUndo:
        return CMessageDlg::tr("Undo(&U)");
    case CMessageDlg::kCmdCopy:
        return CMessageDlg::tr("Copy(&C)");
    case CMessageDlg::kCmdPaste:
        return CMessageDlg::tr("Paste(&P)");
    case CMessageDlg::kCmdCut:
        return CMessageDlg::tr("Cut(&D)");
    case CMessageDlg::kCmdFont:
        return CMessageDlg::tr("Font(&F)...");
    case CMessageDlg::kCmdTopMost:
        return CMessageDlg::tr("Top most window(&T)");
    case CMessageDlg::kCmdAutoResize:
        return CMessageDlg::tr("Auto resize(&A)");
    case CMessageDlg::kCmdSendWithMessenger:
        return CMessageDlg::StringText(strings::kSendWithMessenger);
    case CMessageDlg::kCmdSend:
        return CMessageDlg::tr("Send message(&S)...");
    case CMessageDlg::kCmdMoveToTitle:
        return CMessageDlg::tr("Move to title(&L)");
    case CMessageDlg::kCmdProperty:
        return CMessageDlg::tr("Property(&O)...");
    case CMessageDlg::kCmdHide:
        return CMessageDlg::tr("Hide(&H)");
    case CMessageDlg::kCmdDispose:
        return CMessageDlg::tr("Dispose message(&X)");
    default:
        return QString();
    }
}

// "&" in a group name is a character, not a mnemonic marker.
QString MenuEscaped(const QString& text) {
    QString escaped = text;
    escaped.replace(QLatin1Char('&'), QLatin1String("&&"));
    return escaped;
}

} // namespace

CMessageDlg::CMessageDlg(std::shared_ptr<CNote> note, std::shared_ptr<CNoteContext> context, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint), CMessageWindow(std::move(note)),
      m_context(std::move(context)) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setMouseTracking(true);

    m_editor = new CNoteEdit(this);
    m_editor->setFrameShape(QFrame::NoFrame);
    m_editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_editor->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_editor->setLineWrapMode(QTextEdit::WidgetWidth);
    m_editor->setTabChangesFocus(false);
    m_editor->setAcceptRichText(true);
    m_editor->document()->setDocumentMargin(kDocumentMargin);
    m_editor->viewport()->setMouseTracking(true);
    m_editor->viewport()->installEventFilter(this);
    m_editor->installEventFilter(this);

    QTextDocument* document = m_editor->document();
    connect(document, &QTextDocument::contentsChanged, this, &CMessageDlg::OnTextChanged);
    connect(document->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged, this,
            [this] { RequestResize(); });

    m_saveTimer.setSingleShot(true);
    connect(&m_saveTimer, &QTimer::timeout, this, &CMessageDlg::OnSaveTimer);
    connect(&m_reminderTimer, &QTimer::timeout, this, &CMessageDlg::ReminderTick);

    // A note without a rectangle yet starts centred, as a dialog would.
    const Rect initial = notegeometry::CentreOnScreen(Rect{0, 0, kInitialWidth, kInitialHeight}, PrimaryScreenRect());
    setGeometry(ToQRect(initial));
    m_lastPos = pos();
    m_lastSize = size();
    PlaceEditor();
    SetFont(FontProperty(GetFont()));
}

CMessageDlg::~CMessageDlg() = default;

// ---- records ---------------------------------------------------------------

void CMessageDlg::SetSheet(const SheetProperty& sheet) {
    Model().Sheet = sheet;
    ApplyTopMost(Model().Sheet.TopWindow == 1);
    m_editor->setReadOnly(Model().Sheet.ReadOnly == 1);
    RestoreEditorCursor();
    update();
}

void CMessageDlg::SetFont(const FontProperty& font) {
    Model().Font = font;
    // The body is written against the default format.
    m_bodyDirty = true;
    m_defaultFormat = richtext::DefaultCharFormat(Model().Font);
    m_editor->setFont(richtext::ToQFont(m_defaultFormat));
    ApplyColours();
    update();
}

void CMessageDlg::ApplyColours() {
    const QColor background = richtext::ToQColor(Model().Font.BackgroundColor);
    QPalette editorPalette = m_editor->palette();
    editorPalette.setColor(QPalette::Base, background);
    editorPalette.setColor(QPalette::Window, background);
    editorPalette.setColor(QPalette::Text, richtext::ToQColor(Model().Font.FontColor));
    m_editor->setPalette(editorPalette);
    m_editor->viewport()->setAutoFillBackground(true);
}

void CMessageDlg::SetBody(const std::string& data, BodyFormat format) {
    QTextDocument* document = m_editor->document();
    document->setUndoRedoEnabled(false);
    if (format == BodyFormat::Rtf)
        richtext::LoadRtf(data, *document, m_defaultFormat);
    else
        richtext::LoadPlainText(data, *document, m_defaultFormat);
    document->setUndoRedoEnabled(true);
    m_editor->moveCursor(QTextCursor::Start);
    // RTF is kept as it came until the text is edited.
    if (format == BodyFormat::Rtf)
        Model().Body = data;
    m_bodyDirty = format != BodyFormat::Rtf;
}

void CMessageDlg::Commit() {
    const Rect rect = GetWindowRect();
    SheetProperty& sheet = Model().Sheet;
    sheet.Left = rect.Left;
    sheet.Top = rect.Top;
    sheet.Right = rect.Right;
    sheet.Bottom = rect.Bottom;
    if (m_bodyDirty) {
        Model().Body = richtext::SaveRtf(*m_editor->document(), m_defaultFormat);
        m_bodyDirty = false;
    }
}

void CMessageDlg::Present(bool centre) {
    m_loading = true;
    Model().Modified = false;
    const CNote note = Note();
    SetSheet(note.Sheet);
    SetFont(note.Font);
    SetInform(note.Inform);
    const bool reminderChanged = Model().Modified;

    Rect rect{note.Sheet.Left, note.Sheet.Top, note.Sheet.Right, note.Sheet.Bottom};
    if (rect.Width() <= 0 || rect.Height() <= 0)
        rect = GetWindowRect().MovedTo(rect.Left, rect.Top);
    if (centre) {
        Model().Sheet.Hidden = 0;
        rect = notegeometry::CentreOnScreen(rect, PrimaryScreenRect());
    }
    setGeometry(ToQRect(rect));
    m_lastPos = pos();
    m_lastSize = size();
    PlaceEditor();

    SetBody(note.Body, BodyFormat::Rtf);
    if (GetSheet().Hidden == 0)
        Show(ShowCommand::ShowNoActivate);
    m_editor->setReadOnly(GetSheet().ReadOnly == 1);
    m_loading = false;
    if (reminderChanged) {
        // The store gives the window its handler after the load: report then.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (IsModified())
                    ReportChange(0);
            },
            Qt::QueuedConnection);
    }
}

// ---- reminder --------------------------------------------------------------

namespace {

bool SameInform(const InformProperty& a, const InformProperty& b) {
    return a.Enabled == b.Enabled && a.ByDate == b.ByDate && a.ByTime == b.ByTime && a.FireTime == b.FireTime &&
           a.StartTime == b.StartTime && a.Repeat == b.Repeat && a.Cycle == b.Cycle && a.Sound == b.Sound &&
           a.Topmost == b.Topmost && std::strncmp(a.WavePath, b.WavePath, sizeof a.WavePath) == 0;
}

} // namespace

void CMessageDlg::SetInform(const InformProperty& inform) {
    if (ApplyReminder(inform))
        ReportChange(0);
}

bool CMessageDlg::ApplyReminder(const InformProperty& inform) {
    m_reminderTimer.stop();
    const reminder::SetResult result = reminder::Set(inform, uiclock::Now());
    Model().Inform = result.Inform;
    if (result.Outcome == reminder::SetOutcome::Scheduled)
        m_reminderTimer.start(std::max(Context().ReminderPeriod, 1));
    else if (result.Outcome == reminder::SetOutcome::Missed)
        ShowMissedReminder(result.MissedMinutes);
    // A repaired, advanced or removed record has to reach the file.
    if (SameInform(inform, Model().Inform))
        return false;
    Model().Modified = true;
    return true;
}

void CMessageDlg::ShowMissedReminder(std::int64_t minutes) {
    // Not modal: loading notes at start-up must not wait for the user.
    auto* box = new QMessageBox(QMessageBox::Information, tr("Warning"), QString(), QMessageBox::Ok, this);
    const QString title = QString::fromStdString(GetDisplayTitle());
    const QString pattern = StringText(strings::kReminderMissed);
    // One pass, so a "%d" in the title stays as it is.
    QString text;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == QLatin1Char('%') && i + 1 < pattern.size() && pattern[i + 1] == QLatin1Char('s')) {
            text += title;
            ++i;
        } else if (pattern[i] == QLatin1Char('%') && i + 1 < pattern.size() && pattern[i + 1] == QLatin1Char('d')) {
            text += QString::number(minutes);
            ++i;
        } else {
            text += pattern[i];
        }
    }
    box->setText(text);
    box->setObjectName(QStringLiteral("MissedReminder"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

void CMessageDlg::ReminderTick() {
    const reminder::TickResult tick = reminder::Tick(Model().Inform, uiclock::Now());
    if (!tick.KeepTimer)
        m_reminderTimer.stop();
    if (!tick.Fire)
        return;
    const bool changed = !SameInform(Model().Inform, tick.Inform);
    Model().Inform = tick.Inform;
    if (!m_shown)
        Show(ShowCommand::Show);
    if (tick.Raise) {
        Model().Sheet.TopWindow = 1;
        ApplyTopMost(true);
        Action(kCmdTopMost)->setChecked(true);
        raise();
    }
    if (tick.PlaySound) {
        if (tick.WavePath.empty())
            CSoundPort::Default().Beep();
        else
            CSoundPort::Default().PlayFile(tick.WavePath);
    }
    if (Context().ReminderFired)
        Context().ReminderFired(*this);
    // The advanced or removed record is saved now rather than at the next edit.
    if (changed || tick.Raise)
        ReportChange(0);
}

// ---- window ----------------------------------------------------------------

void CMessageDlg::Show(ShowCommand command) {
    switch (command) {
    case ShowCommand::Hide:
        hide();
        break;
    case ShowCommand::Show:
        AcceptFocus();
        setAttribute(Qt::WA_ShowWithoutActivating, false);
        show();
        raise();
        activateWindow();
        setAttribute(Qt::WA_ShowWithoutActivating, true);
        break;
    case ShowCommand::ShowNoActivate:
        ShowWithoutFocus();
        break;
    }
}

// Some window managers give the focus to every window they map, whatever
// _NET_WM_USER_TIME says (icewm does). At start-up that moved the focus through
// every note in turn, and each move laid out and repainted two notes. Until the
// window is on the screen it tells the window manager that it takes no focus;
// from then on a click focuses it as usual.
void CMessageDlg::ShowWithoutFocus() {
    setAttribute(Qt::WA_ShowWithoutActivating, true);
    if (!isVisible())
        SetRefusesFocus(true);
    show();
    if (windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus))
        windowHandle()->installEventFilter(this);
}

void CMessageDlg::AcceptFocus() {
    if (QWindow* window = windowHandle())
        window->removeEventFilter(this);
    SetRefusesFocus(false);
}

// Changed in place: setting a window flag on the widget would re-create the window.
void CMessageDlg::SetRefusesFocus(bool refuses) {
    if (windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus) == refuses)
        return;
    overrideWindowFlags(windowFlags() ^ Qt::WindowDoesNotAcceptFocus);
    if (QWindow* window = windowHandle())
        window->setFlags(windowFlags());
}

void CMessageDlg::setVisible(bool visible) {
    const bool showing = visible && !isVisible();
    WId hinted = 0;
    if (showing) {
        taskbarhint::SkipTaskbar(this, false);
        hinted = windowHandle() != nullptr ? windowHandle()->winId() : 0;
    }
    QWidget::setVisible(visible);
    // The platform may have re-created the native window while showing it (a
    // changed top-most flag does); that one is mapped already.
    if (showing && windowHandle() != nullptr && windowHandle()->winId() != hinted)
        taskbarhint::SkipTaskbar(this, true);
}

void CMessageDlg::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous() && !m_reflagging)
        ShownChanged(true);
}

void CMessageDlg::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (!event->spontaneous() && !m_reflagging)
        ShownChanged(false);
}

void CMessageDlg::ShownChanged(bool shown) {
    if (shown == m_shown)
        return;
    m_shown = shown;
    Model().Sheet.Hidden = shown ? 0 : 1;
    if (m_handler != nullptr)
        m_handler->OnShowChanged(GetId(), shown);
    ReportChange(0);
}

Rect CMessageDlg::GetWindowRect() const {
    const QRect g = geometry();
    return Rect{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
}

void CMessageDlg::SetWindowRect(const Rect& rect) {
    Model().Sheet.Left = rect.Left;
    Model().Sheet.Top = rect.Top;
    Model().Sheet.Right = rect.Right;
    Model().Sheet.Bottom = rect.Bottom;
    setGeometry(ToQRect(rect));
    update();
    if (pos() != m_lastPos) {
        m_lastPos = pos();
        ReportChange(0);
    }
}

void CMessageDlg::Move(int x, int y) {
    move(x, y);
    if (pos() != m_lastPos) {
        m_lastPos = pos();
        ReportChange(0);
    }
}

void CMessageDlg::RaiseTopmost() {
    if (Model().Sheet.TopWindow == 1 && isVisible())
        raise();
}

void CMessageDlg::ApplyTopMost(bool on) {
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) == on)
        return;
    // The re-created window would keep refusing the focus, with nobody to lift it.
    AcceptFocus();
    // Changing a window flag re-creates the native window, which hides it; put it
    // back where it was without telling anyone it was hidden.
    const QRect geometryBefore = geometry();
    const bool wasVisible = isVisible();
    m_reflagging = true;
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    setGeometry(geometryBefore);
    if (wasVisible) {
        const bool noActivate = testAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_ShowWithoutActivating, true);
        show();
        setAttribute(Qt::WA_ShowWithoutActivating, noActivate);
    }
    m_reflagging = false;
}

std::string CMessageDlg::GetText() const {
    return m_editor->toPlainText().toStdString();
}

void CMessageDlg::SelectRange(int start, int length) {
    QTextCursor cursor(m_editor->document());
    const int end = m_editor->document()->characterCount() - 1;
    const int from = std::clamp(start, 0, end);
    const int to = std::clamp(from + std::max(length, 0), from, end);
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    m_editor->setTextCursor(cursor);
    m_editor->ensureCursorVisible();
}

void CMessageDlg::Dispose() {
    m_handler = nullptr;
    m_saveTimer.stop();
    m_reminderTimer.stop();
    hide();
    if (m_nestedRuns == 0) {
        deleteLater();
        return;
    }
    // A deletion posted inside a nested loop runs inside it and would destroy the
    // dialog under its own exec(): end the runs, innermost first, and wait.
    m_disposed = true;
    if (m_menu != nullptr)
        m_menu->close();
    const QList<QDialog*> dialogs = findChildren<QDialog*>();
    for (auto it = dialogs.rbegin(); it != dialogs.rend(); ++it)
        (*it)->reject();
}

bool CMessageDlg::RunNested(const std::function<void()>& run) {
    ++m_nestedRuns;
    run();
    if (--m_nestedRuns == 0 && m_disposed)
        deleteLater();
    return !m_disposed;
}

// ---- seams -----------------------------------------------------------------

CPromptPort* CMessageDlg::Prompt() {
    if (m_prompt != nullptr)
        return m_prompt;
    if (Context().Prompt != nullptr)
        return Context().Prompt;
    if (!m_messageBoxPrompt)
        m_messageBoxPrompt = std::make_unique<CMessageBoxPrompt>(this, CMessageBoxPrompt::AppTitle(), tr("Error"));
    return m_messageBoxPrompt.get();
}

QString CMessageDlg::StringText(int id) {
    return NoteStringText(id);
}

// ---- change reporting ------------------------------------------------------

void CMessageDlg::ReportChange(int delay) {
    if (m_loading)
        return;
    if (delay <= 0) {
        if (m_handler == nullptr)
            return;
        // The store learns of the change with the note up to date.
        Commit();
        Model().Modified = false;
        m_handler->OnChanged(GetId());
        return;
    }
    if (m_saveTimer.isActive()) {
        m_saveTimer.stop();
        qCDebug(lcNote) << "note" << GetId() << "save timer restarted";
    }
    m_saveTimer.start(delay);
    Model().Modified = true;
}

void CMessageDlg::OnSaveTimer() {
    if (!Model().Modified || m_handler == nullptr)
        return;
    Commit();
    Model().Modified = false;
    m_handler->OnChanged(GetId());
}

void CMessageDlg::OnTextChanged() {
    m_bodyDirty = true;
    UpdateLinks();
    ReportChange(std::max(Context().QuietTime, 1));
}

// ---- layout and painting ---------------------------------------------------

void CMessageDlg::PlaceEditor() {
    m_editor->setGeometry(kEditorLeft, kEditorTop, std::max(width() - kEditorLeft - kEditorRight, 0),
                          std::max(height() - kEditorTop - kEditorBottom, 0));
}

void CMessageDlg::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlaceEditor();
    if (size() != m_lastSize) {
        m_lastSize = size();
        ReportChange(std::max(Context().QuietTime, 1));
    }
}

void CMessageDlg::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (pos() == m_lastPos)
        return;
    m_lastPos = pos();
    // A drag reports once, when the button is released.
    if (!m_drag.IsDragging() && !m_reflagging)
        ReportChange(0);
}

void CMessageDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor background = richtext::ToQColor(Model().Font.BackgroundColor);
    painter.fillRect(rect(), background);
    if (Model().Sheet.MoveBar == 1) {
        const QRect bar(kMoveBarLeft, kMoveBarInset, kMoveBarWidth, height() - 2 * kMoveBarInset);
        qDrawWinPanel(&painter, bar, QPalette(background), false);
    }
}

void CMessageDlg::RequestResize() {
    if (Model().Sheet.AutoResize != 1 || m_loading)
        return;
    QTextDocument* document = m_editor->document();
    const int textHeight = static_cast<int>(std::ceil(document->size().height()));
    const auto result =
        notegeometry::AutoResize(m_editor->width(), textHeight, GetWindowRect(), PrimaryScreenRect().Height());
    if (result.SwitchOff)
        Model().Sheet.AutoResize = 0;
    if (result.Window) {
        setGeometry(ToQRect(*result.Window));
        update();
    }
}

// ---- mouse -----------------------------------------------------------------

bool CMessageDlg::MousePress(QPoint client, QPoint global, Qt::KeyboardModifiers modifiers, QWidget* cursorOwner) {
    const auto cursor = m_drag.Begin({client.x(), client.y()}, width(), height(),
                                     modifiers.testFlag(Qt::ControlModifier), {global.x(), global.y()});
    if (cursor)
        cursorOwner->setCursor(ToQtCursor(*cursor));
    return m_drag.IsDragging();
}

bool CMessageDlg::MouseMove(QPoint client, QPoint global, Qt::KeyboardModifiers modifiers, QWidget* cursorOwner) {
    if (m_drag.IsDragging()) {
        if (const auto rect = m_drag.Step({global.x(), global.y()}, GetWindowRect())) {
            setGeometry(ToQRect(*rect));
            update();
        }
        return true;
    }
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    if (cursorOwner == this)
        setCursor(ToQtCursor(CDragGeometry::HoverCursor({client.x(), client.y()}, width(), height(), ctrl)));
    return false;
}

bool CMessageDlg::MouseRelease(QWidget* cursorOwner) {
    const bool dragged = m_drag.IsDragging();
    m_drag.End();
    if (cursorOwner == this)
        setCursor(Qt::ArrowCursor);
    else
        RestoreEditorCursor();
    update();
    if (dragged)
        ReportChange(0);
    return dragged;
}

void CMessageDlg::RestoreEditorCursor() {
    m_editor->viewport()->setCursor(m_editor->isReadOnly() ? Qt::ArrowCursor : Qt::IBeamCursor);
}

void CMessageDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        MousePress(event->position().toPoint(), event->globalPosition().toPoint(), event->modifiers(), this);
    QWidget::mousePressEvent(event);
}

void CMessageDlg::mouseMoveEvent(QMouseEvent* event) {
    MouseMove(event->position().toPoint(), event->globalPosition().toPoint(), event->modifiers(), this);
    QWidget::mouseMoveEvent(event);
}

void CMessageDlg::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        MouseRelease(this);
    QWidget::mouseReleaseEvent(event);
}

bool CMessageDlg::eventFilter(QObject* watched, QEvent* event) {
    // Exposed means mapped: the window manager has made its choice of focus.
    if (event->type() == QEvent::Expose && watched == windowHandle() && windowHandle()->isExposed())
        AcceptFocus();
    if (event->type() == QEvent::ContextMenu && (watched == m_editor || watched == m_editor->viewport())) {
        auto* menuEvent = static_cast<QContextMenuEvent*>(event);
        QPoint global = menuEvent->globalPos();
        if (menuEvent->reason() == QContextMenuEvent::Keyboard)
            global = m_editor->viewport()->mapToGlobal(m_editor->cursorRect().center());
        ShowContextMenu(global);
        return true;
    }
    if (watched != m_editor->viewport())
        return QWidget::eventFilter(watched, event);

    QWidget* viewport = m_editor->viewport();
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            break;
        const QPoint local = mouse->position().toPoint();
        if (MousePress(viewport->mapTo(this, local), mouse->globalPosition().toPoint(), mouse->modifiers(), viewport))
            return true; // a Ctrl-drag moves the note instead of selecting text
        const QUrl link = LinkAt(local);
        if (!link.isEmpty()) {
            OpenLink(link);
            return true;
        }
        break;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint local = mouse->position().toPoint();
        if (MouseMove(viewport->mapTo(this, local), mouse->globalPosition().toPoint(), mouse->modifiers(), viewport))
            return true;
        if (mouse->buttons() == Qt::NoButton) {
            if (mouse->modifiers().testFlag(Qt::ControlModifier) || !LinkAt(local).isEmpty())
                viewport->setCursor(Qt::PointingHandCursor);
            else
                RestoreEditorCursor();
        }
        break;
    }
    case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && MouseRelease(viewport))
            return true;
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

// ---- links -----------------------------------------------------------------

void CMessageDlg::UpdateLinks() {
    static const QRegularExpression pattern(
        QStringLiteral(R"((?:\b(?:https?|ftp|file)://|\bmailto:|\bwww\.)[^\s<>"]+)"),
        QRegularExpression::CaseInsensitiveOption);
    static const QString trailing = QStringLiteral(".,;:!?'\")]}>");
    m_links.clear();
    const QString text = m_editor->document()->toPlainText();
    QList<QTextEdit::ExtraSelection> selections;
    QTextCharFormat look;
    look.setForeground(palette().color(QPalette::Link));
    look.setFontUnderline(true);
    for (auto it = pattern.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        QString found = match.captured();
        while (!found.isEmpty() && trailing.contains(found.back()))
            found.chop(1);
        if (found.endsWith(QLatin1String("://")) || found.endsWith(QLatin1Char(':')) ||
            found.compare(QLatin1String("www."), Qt::CaseInsensitive) == 0)
            continue;
        const QString address =
            found.startsWith(QLatin1String("www."), Qt::CaseInsensitive) ? QStringLiteral("http://") + found : found;
        const QUrl url(address, QUrl::TolerantMode);
        if (!url.isValid())
            continue;
        const int start = static_cast<int>(match.capturedStart());
        const int end = start + static_cast<int>(found.size());
        m_links.push_back(Link{start, end, url});

        QTextEdit::ExtraSelection selection;
        selection.cursor = QTextCursor(m_editor->document());
        selection.cursor.setPosition(start);
        selection.cursor.setPosition(end, QTextCursor::KeepAnchor);
        selection.format = look;
        selections.append(selection);
    }
    m_editor->setExtraSelections(selections);
}

QUrl CMessageDlg::LinkAt(QPoint viewportPoint) const {
    if (m_links.empty())
        return QUrl();
    const QPoint documentPoint(viewportPoint.x() + m_editor->horizontalScrollBar()->value(),
                               viewportPoint.y() + m_editor->verticalScrollBar()->value());
    const int position = m_editor->document()->documentLayout()->hitTest(documentPoint, Qt::ExactHit);
    if (position < 0)
        return QUrl();
    for (const Link& link : m_links) {
        if (position >= link.Start && position < link.End)
            return link.Url;
        if (position == link.End) {
            // The right half of the link's last character.
            QTextCursor boundary(m_editor->document());
            boundary.setPosition(link.End);
            if (viewportPoint.x() < m_editor->cursorRect(boundary).center().x())
                return link.Url;
        }
    }
    return QUrl();
}

void CMessageDlg::OpenLink(const QUrl& url) {
    if (Context().LinkOpener)
        Context().LinkOpener(url);
    else
        QDesktopServices::openUrl(url);
}

// ---- context menu ----------------------------------------------------------

QMenu* CMessageDlg::ContextMenu() {
    // Built when first wanted: most notes never show theirs, and a hundred
    // menus of fifteen items each are a noticeable part of the start-up.
    if (m_menu == nullptr)
        BuildContextMenu();
    return m_menu;
}

void CMessageDlg::BuildContextMenu() {
    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("MessageMenu"));
    for (const int command : kMenuLayout) {
        if (command == 0) {
            m_menu->addSeparator();
            continue;
        }
        if (command == kCmdGroupMenu) {
            m_groupMenu = m_menu->addMenu(StringText(strings::kGroupMenu) + QStringLiteral("(&G)"));
            m_groupMenu->menuAction()->setData(kCmdGroupMenu);
            continue;
        }
        QAction* action = m_menu->addAction(CommandText(command));
        action->setData(command);
        if (command == kCmdTopMost || command == kCmdAutoResize)
            action->setCheckable(true);
        connect(action, &QAction::triggered, this, [this, command] { RunCommand(command); });
    }
}

QMenu* CMessageDlg::GroupMenu() {
    ContextMenu();
    return m_groupMenu;
}

QAction* CMessageDlg::Action(int command) {
    for (QMenu* menu : {ContextMenu(), m_groupMenu}) {
        for (QAction* action : menu->actions()) {
            if (!action->isSeparator() && action->data().userType() == QMetaType::Int &&
                action->data().toInt() == command)
                return action;
        }
    }
    return nullptr;
}

QMenu* CMessageDlg::PrepareContextMenu() {
    const bool hasSelection = m_editor->textCursor().hasSelection();
    const bool editable = !m_editor->isReadOnly();
    Action(kCmdUndo)->setEnabled(editable && m_editor->document()->isUndoAvailable());
    Action(kCmdCopy)->setEnabled(hasSelection);
    Action(kCmdPaste)->setEnabled(m_editor->canPaste());
    Action(kCmdCut)->setEnabled(editable && hasSelection);
    Action(kCmdMoveToTitle)->setEnabled(hasSelection);
    Action(kCmdTopMost)->setChecked(Model().Sheet.TopWindow == 1);
    Action(kCmdAutoResize)->setChecked(Model().Sheet.AutoResize == 1);
    RebuildGroupMenu();
    UpdateMessengerItem();
    UpdateExtraMenu();
    return ContextMenu();
}

void CMessageDlg::UpdateMessengerItem() {
    const bool running = Messenger(Context()).IsMessengerRunning();
    const QList<QAction*> actions = m_menu->actions();
    QAction* current = actions.size() > kMessengerPosition ? actions[kMessengerPosition] : nullptr;
    const bool present = current != nullptr && !current->isSeparator() &&
                         current->data().userType() == QMetaType::Int &&
                         current->data().toInt() == kCmdSendWithMessenger;
    if (running && !present) {
        auto* item = new QAction(CommandText(kCmdSendWithMessenger), m_menu);
        item->setData(kCmdSendWithMessenger);
        connect(item, &QAction::triggered, this, [this] { RunCommand(kCmdSendWithMessenger); });
        m_menu->insertAction(current, item);
    } else if (!running && present) {
        m_menu->removeAction(current);
        delete current;
    }
}

void CMessageDlg::SendWithMessenger() {
    Messenger(Context()).PutPluginMessage(Serialize());
}

void CMessageDlg::UpdateExtraMenu() {
    const QPointer<QMenu>& extra = Context().ExtraMenu;
    QAction* wanted = extra.isNull() ? nullptr : extra->menuAction();
    if (m_extraAction == wanted && (wanted != nullptr || m_extraSeparator.isNull()))
        return;
    if (!m_extraAction.isNull())
        m_menu->removeAction(m_extraAction);
    delete m_extraSeparator.data();
    m_extraAction = wanted;
    if (wanted != nullptr) {
        m_extraSeparator = m_menu->addSeparator();
        m_menu->addAction(wanted);
    }
}

void CMessageDlg::RebuildGroupMenu() {
    m_groupMenu->clear();
    QAction* settings = m_groupMenu->addAction(StringText(strings::kGroupSettingsItem));
    settings->setData(kCmdGroupSettings);
    connect(settings, &QAction::triggered, this, [this] { RunCommand(kCmdGroupSettings); });
    m_groupMenu->addSeparator();

    std::vector<std::string> names;
    std::vector<std::string> mine;
    if (m_handler != nullptr) {
        m_handler->GetGroupNames(names);
        m_handler->GetMessageGroups(GetId(), mine);
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string name = names[i];
        QAction* item = m_groupMenu->addAction(MenuEscaped(QString::fromStdString(name)));
        item->setCheckable(true);
        item->setChecked(std::find(mine.begin(), mine.end(), name) != mine.end());
        // Only the first groups have commands; the rest are listed but cannot be chosen.
        if (static_cast<int>(i) < kMaxMenuGroups)
            item->setData(kCmdFirstGroup + static_cast<int>(i));
        else
            item->setEnabled(false);
        connect(item, &QAction::triggered, this, [this, name](bool checked) {
            if (m_handler == nullptr)
                return;
            if (checked)
                m_handler->OnAddToGroup(GetId(), name);
            else
                m_handler->OnRemoveFromGroup(GetId(), name);
        });
    }
}

void CMessageDlg::contextMenuEvent(QContextMenuEvent* event) {
    ShowContextMenu(event->globalPos());
}

void CMessageDlg::ShowContextMenu(const QPoint& globalPos) {
    RunNested([&] { PrepareContextMenu()->exec(globalPos); });
}

void CMessageDlg::RunCommand(int command) {
    switch (command) {
    case kCmdUndo:
        m_editor->undo();
        break;
    case kCmdCopy:
        m_editor->copy();
        break;
    case kCmdPaste:
        m_editor->paste();
        break;
    case kCmdCut:
        m_editor->cut();
        break;
    case kCmdTopMost:
        ToggleTopMost();
        break;
    case kCmdAutoResize:
        ToggleAutoResize();
        break;
    case kCmdMoveToTitle:
        MoveSelectionToTitle();
        break;
    case kCmdHide:
        Show(ShowCommand::Hide);
        break;
    case kCmdDispose:
        AskDispose();
        break;
    case kCmdFont:
        EditFont();
        break;
    case kCmdProperty:
        EditProperty();
        break;
    case kCmdSendWithMessenger:
        SendWithMessenger();
        break;
    case kCmdSend:
        if (m_handler != nullptr)
            m_handler->OnSend(GetId());
        break;
    case kCmdGroupSettings:
        if (m_handler != nullptr)
            m_handler->OnRequest(GetId(), CMessageEventHandler::kRequestGroupSettings);
        break;
    default:
        if (command >= kCmdFirstGroup && command <= kCmdLastGroup) {
            if (QAction* item = Action(command))
                item->trigger();
        }
        break;
    }
}

void CMessageDlg::ToggleTopMost() {
    Model().Sheet.TopWindow = Model().Sheet.TopWindow == 1 ? 0 : 1;
    ApplyTopMost(Model().Sheet.TopWindow == 1);
    Action(kCmdTopMost)->setChecked(Model().Sheet.TopWindow == 1);
    ReportChange(0);
}

void CMessageDlg::ToggleAutoResize() {
    Model().Sheet.AutoResize = Model().Sheet.AutoResize == 1 ? 0 : 1;
    Action(kCmdAutoResize)->setChecked(Model().Sheet.AutoResize == 1);
    if (Model().Sheet.AutoResize == 1)
        RequestResize();
    ReportChange(0);
}

void CMessageDlg::MoveSelectionToTitle() {
    const QTextCursor cursor = m_editor->textCursor();
    if (!cursor.hasSelection())
        return;
    QString selected = cursor.selectedText();
    // Paragraph and line breaks would break the title's single line in menus.
    selected.replace(QChar(QChar::ParagraphSeparator), QLatin1Char(' '));
    selected.replace(QChar(QChar::LineSeparator), QLatin1Char(' '));
    selected.remove(QChar(QChar::ObjectReplacementCharacter));
    const std::string title = selected.toStdString();
    if (title.size() >= sizeof Model().Sheet.Title) {
        RunNested([&] { Prompt()->ShowMessage(strings::kTitleTooLong, {}, CPromptPort::Icon::Information); });
        return;
    }
    if (title == Model().Sheet.Title)
        return;
    std::memset(Model().Sheet.Title, 0, sizeof Model().Sheet.Title);
    std::memcpy(Model().Sheet.Title, title.data(), title.size());
    if (m_handler != nullptr)
        m_handler->OnTitleChanged(GetId(), GetDisplayTitle());
    ReportChange(0);
}

void CMessageDlg::AskDispose() {
    CPromptPort::Answer answer = CPromptPort::Answer::No;
    if (!RunNested([&] { answer = Prompt()->AskYesNo(strings::kDeleteMessageConfirm, {}); }) ||
        answer != CPromptPort::Answer::Yes)
        return;
    if (m_handler != nullptr)
        m_handler->OnDelete(GetId());
}

void CMessageDlg::EditFont() {
    QTextCursor cursor = m_editor->textCursor();
    const bool selection = cursor.hasSelection();
    FontProperty start = Model().Font;
    if (selection) {
        // The format of the selection's first character.
        QTextCursor first(m_editor->document());
        first.setPosition(cursor.selectionStart());
        first.movePosition(QTextCursor::NextCharacter);
        const CharFormat format = richtext::FromQt(first.charFormat(), m_defaultFormat);
        if (!format.FaceName.empty())
            CopyField(start.Name, format.FaceName);
        start.Size = format.HalfPoints / 2;
        start.Flags = format.EffectFlags();
        start.FontColor = format.Color.value_or(Model().Font.FontColor);
    }
    CFontDlg dialog(start, this);
    int result = QDialog::Rejected;
    if (!RunNested([&] { result = modalrun::Exec(dialog); }) || result != QDialog::Accepted)
        return;
    const FontProperty& chosen = dialog.GetFont();
    if (selection) {
        CharFormat format = m_defaultFormat;
        format.FaceName = std::string(FieldText(chosen.Name));
        format.HalfPoints = chosen.Size * 2;
        format.SetEffectFlags(chosen.Flags);
        format.Color = chosen.FontColor;
        cursor.setCharFormat(richtext::ToQt(format, m_defaultFormat));
        Model().Font.BackgroundColor = chosen.BackgroundColor;
        ApplyColours();
    } else {
        SetFont(chosen);
    }
    update();
    ReportChange(0);
}

void CMessageDlg::EditProperty() {
    CPropertyDlg dialog(Model().Sheet, Model().Inform, this);
    int result = QDialog::Rejected;
    if (!RunNested([&] { result = modalrun::Exec(dialog); }) || result != QDialog::Accepted)
        return;
    const std::string oldTitle(FieldText(Model().Sheet.Title));
    SheetProperty sheet = dialog.GetSheet();
    // The window may have moved since the dialog took its copy.
    const Rect rect = GetWindowRect();
    sheet.Left = rect.Left;
    sheet.Top = rect.Top;
    sheet.Right = rect.Right;
    sheet.Bottom = rect.Bottom;
    SetSheet(sheet);
    Action(kCmdTopMost)->setChecked(Model().Sheet.TopWindow == 1);
    Action(kCmdAutoResize)->setChecked(Model().Sheet.AutoResize == 1);
    if (oldTitle != FieldText(Model().Sheet.Title) && m_handler != nullptr)
        m_handler->OnTitleChanged(GetId(), GetDisplayTitle());
    ApplyReminder(dialog.GetInform());
    if (Model().Sheet.AutoResize == 1)
        RequestResize();
    update();
    ReportChange(0);
}

MessageWindowPtr CreateMessageDlg(std::shared_ptr<CNote> note, std::shared_ptr<CNoteContext> context) {
    return MessageWindowPtr(new CMessageDlg(std::move(note), std::move(context)));
}
