#pragma once

#include "core/base/Properties.h"
#include "core/note/DragGeometry.h"
#include "core/note/StyledText.h"
#include "core/store/MessageWindow.h"
#include "ui/note/NoteContext.h"

#include <QLoggingCategory>
#include <QPoint>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class CMessageEventHandler;
class CMessenger;
class CPromptPort;
class QAction;
class QMenu;
class QTextEdit;

Q_DECLARE_LOGGING_CATEGORY(lcNote)

// A note on the desktop: a frameless, captionless tool window (no task-bar
// entry) filled with the note's background colour, holding a rich-text editor.
// The window keeps the note's records, moves and resizes with the mouse, offers
// the note's context menu, follows links, and reports every change to the
// store's handler: typing and resizing after a quiet time, the rest at once.
class CMessageDlg : public QWidget, public CMessageWindow {
    Q_OBJECT

public:
    // Context-menu commands.
    static constexpr int kCmdUndo = 32780;
    static constexpr int kCmdCopy = 32783;
    static constexpr int kCmdPaste = 32779;
    static constexpr int kCmdCut = 32784;
    static constexpr int kCmdFont = 32818;
    static constexpr int kCmdTopMost = 32816;
    static constexpr int kCmdAutoResize = 32814;
    static constexpr int kCmdGroupMenu = 32793;
    static constexpr int kCmdSendWithMessenger = 32821;
    static constexpr int kCmdSend = 32795;
    static constexpr int kCmdMoveToTitle = 32820;
    static constexpr int kCmdProperty = 32771;
    static constexpr int kCmdHide = 32782;
    static constexpr int kCmdDispose = 32776;
    // The group pop-up: its settings item and one command per group.
    static constexpr int kCmdGroupSettings = 33268;
    static constexpr int kCmdFirstGroup = 33269;
    static constexpr int kCmdLastGroup = 33293;
    static constexpr int kMaxMenuGroups = kCmdLastGroup - kCmdFirstGroup + 1;

    static constexpr int kDefaultQuietTime = CNoteContext::kDefaultQuietTime;
    // Size of a window whose note has no rectangle yet.
    static constexpr int kInitialWidth = 200;
    static constexpr int kInitialHeight = 100;
    // The editor's inset from the window edges.
    static constexpr int kEditorLeft = 15;
    static constexpr int kEditorTop = 5;
    static constexpr int kEditorRight = 5;
    static constexpr int kEditorBottom = 5;

    explicit CMessageDlg(std::shared_ptr<CNote> note = std::make_shared<CNote>(),
                         std::shared_ptr<CNoteContext> context = std::make_shared<CNoteContext>(),
                         QWidget* parent = nullptr);
    ~CMessageDlg() override;

    // CMessageWindow
    void SetSheet(const SheetProperty& sheet) override;
    void SetFont(const FontProperty& font) override;
    // Sets the reminder: repairs the record, moves a repeating one past now,
    // reports a missed one-time reminder (without waiting for the user) and
    // removes it, and runs the reminder timer while one is waiting. A record
    // that had to change is reported as a change.
    void SetInform(const InformProperty& inform) override;
    void SetEventHandler(CMessageEventHandler* handler) override { m_handler = handler; }
    void SetBody(const std::string& data, BodyFormat format) override;
    void Present(bool centre) override;
    void Commit() override;
    void Show(ShowCommand command) override;
    bool IsVisible() const override { return m_shown; }
    Rect GetWindowRect() const override;
    void SetWindowRect(const Rect& rect) override;
    void Move(int x, int y) override;
    void RaiseTopmost() override;
    std::string GetText() const override;
    void SelectRange(int start, int length) override;
    // Hides the window at once and deletes it when control returns to the event
    // loop, so the store may dispose of a note from inside one of its handlers.
    // While the window runs a dialog, a question or its menu, that is closed
    // and the deletion waits until the last such run has returned.
    void Dispose() override;

    // What this window shares with the program's other notes.
    CNoteContext& Context() const { return *m_context; }
    // Where this window's questions go instead of the context's; tests set it.
    void SetPromptPort(CPromptPort* prompt) { m_prompt = prompt; }

    bool IsReminderRunning() const { return m_reminderTimer.isActive(); }
    // One tick of the reminder timer.
    void ReminderTick();

    // The translated text of a string id the window uses.
    static QString StringText(int id);

    QTextEdit* Editor() const { return m_editor; }
    CharFormat DefaultFormat() const { return m_defaultFormat; }
    // Brings the context menu up to date as before it is shown: greying, check
    // marks and a fresh group pop-up.
    QMenu* PrepareContextMenu();
    QMenu* GroupMenu();
    // The menu item of a command (group items: after PrepareContextMenu), or null.
    QAction* Action(int command);
    // Runs a menu command as if the item had been chosen.
    void RunCommand(int command);

    // Reports the change now (delay 0) or after delay milliseconds of quiet.
    void ReportChange(int delay);
    // Fits the window to the text when AutoResize is on.
    void RequestResize();
    bool IsLoading() const { return m_loading; }

    struct Link {
        int Start = 0; // document positions, end excluded
        int End = 0;
        QUrl Url;
    };
    const std::vector<Link>& Links() const { return m_links; }
    // The link under a point of the editor's viewport, or an empty URL.
    QUrl LinkAt(QPoint viewportPoint) const;

    // Keeps the window out of the task bar each time it is shown.
    void setVisible(bool visible) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QMenu* ContextMenu();
    void BuildContextMenu();
    void ShowContextMenu(const QPoint& globalPos);
    void RebuildGroupMenu();
    void UpdateExtraMenu();
    void UpdateMessengerItem();
    void SendWithMessenger();
    void MoveSelectionToTitle();
    void ToggleTopMost();
    void ToggleAutoResize();
    void AskDispose();
    void EditFont();
    void EditProperty();
    // Setting without the report; true when the record had to change.
    bool ApplyReminder(const InformProperty& inform);
    void ShowMissedReminder(std::int64_t minutes);

    void ApplyTopMost(bool on);
    // Shows the window without giving it the focus, see the definition.
    void ShowWithoutFocus();
    void AcceptFocus();
    void SetRefusesFocus(bool refuses);
    void ApplyColours();
    void ShownChanged(bool shown);
    void PlaceEditor();
    void OnSaveTimer();
    void OnTextChanged();
    void UpdateLinks();
    void OpenLink(const QUrl& url);

    // The three mouse steps, for the window's own events and the editor's.
    bool MousePress(QPoint client, QPoint global, Qt::KeyboardModifiers modifiers, QWidget* cursorOwner);
    bool MouseMove(QPoint client, QPoint global, Qt::KeyboardModifiers modifiers, QWidget* cursorOwner);
    bool MouseRelease(QWidget* cursorOwner);
    void RestoreEditorCursor();

    CPromptPort* Prompt();
    // Runs a nested event loop of the window; false when the window was
    // disposed meanwhile: the caller must then leave it alone.
    bool RunNested(const std::function<void()>& run);

    CharFormat m_defaultFormat;
    std::shared_ptr<CNoteContext> m_context;
    CMessageEventHandler* m_handler = nullptr;
    CPromptPort* m_prompt = nullptr;
    std::unique_ptr<CPromptPort> m_messageBoxPrompt;

    QTextEdit* m_editor = nullptr;
    QMenu* m_menu = nullptr;
    QMenu* m_groupMenu = nullptr;
    QPointer<QAction> m_extraAction;
    QPointer<QAction> m_extraSeparator;
    QTimer m_saveTimer;
    QTimer m_reminderTimer;
    CDragGeometry m_drag;
    std::vector<Link> m_links;

    // The editor holds text the note's body does not have yet.
    bool m_bodyDirty = true;
    bool m_loading = false;
    bool m_shown = false;
    bool m_reflagging = false;
    int m_nestedRuns = 0;
    bool m_disposed = false;
    QPoint m_lastPos;
    QSize m_lastSize;
};

// The window factory the application hands to the store.
MessageWindowPtr CreateMessageDlg(std::shared_ptr<CNote> note, std::shared_ptr<CNoteContext> context);
