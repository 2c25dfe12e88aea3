#pragma once

#include "core/base/Properties.h"
#include "core/base/Rect.h"
#include "core/store/Note.h"

#include <memory>
#include <string>

class CMessageEventHandler;

enum class ShowCommand { Hide, Show, ShowNoActivate };
enum class BodyFormat { Rtf, PlainText };

// A view of one note: what the store needs of a note window. The desktop
// window implements it in the user interface; CHeadlessMessage implements it
// without a display.
//
// The note lives in the store; the view shares it, so that a view the store
// has disposed of may still be deleted later without reading freed memory.
// The records are the note's; the view applies them to its window. The body
// is converted between the view's editor and the note only at the edges of
// editing: when the note is shown, when a change is reported, and when the
// store asks for the document (Commit).
//
// Whenever a view is shown or hidden it sets Hidden to the inverse, calls
// OnShowChanged and reports the change; it reports through the handler it was
// given, and skips reports while it has none.
class CMessageWindow {
public:
    explicit CMessageWindow(std::shared_ptr<CNote> note = std::make_shared<CNote>());
    virtual ~CMessageWindow() = default;
    CMessageWindow(const CMessageWindow&) = delete;
    CMessageWindow& operator=(const CMessageWindow&) = delete;

    const CNote& Note() const { return *m_note; }
    int GetId() const { return m_note->Sheet.ID; }
    void SetId(int id) { m_note->Sheet.ID = id; }
    const SheetProperty& GetSheet() const { return m_note->Sheet; }
    const FontProperty& GetFont() const { return m_note->Font; }
    const InformProperty& GetInform() const { return m_note->Inform; }
    // A change has not been reported yet.
    bool IsModified() const { return m_note->Modified; }

    // Copies the record into the note and applies its top-most band; no move, no resize.
    virtual void SetSheet(const SheetProperty& sheet) = 0;
    // Copies the record into the note, applies it as the default format and background.
    virtual void SetFont(const FontProperty& font) = 0;
    virtual void SetInform(const InformProperty& inform) = 0;
    virtual void SetEventHandler(CMessageEventHandler* handler) = 0;

    // Replaces the content with the bytes, read as RTF or as plain text.
    virtual void SetBody(const std::string& data, BodyFormat format) = 0;
    // Shows the note as it is: records, rectangle and body; with centre set
    // (a received note) it is shown centred on the screen.
    virtual void Present(bool centre) = 0;
    // Brings the note up to date with the window: its rectangle, and its body
    // when the text was edited.
    virtual void Commit() = 0;

    virtual void Show(ShowCommand command) = 0;
    virtual bool IsVisible() const = 0;
    virtual Rect GetWindowRect() const = 0;
    // Records the rectangle in the sheet and moves the window there.
    virtual void SetWindowRect(const Rect& rect) = 0;
    // Moves without resizing and without changing the z-order.
    virtual void Move(int x, int y) = 0;
    // Places a top-most note at the top of the z-order again.
    virtual void RaiseTopmost() = 0;

    virtual std::string GetText() const = 0;
    virtual void SelectRange(int start, int length) = 0;

    // Called by the store instead of delete, so a window can outlive the call
    // that disposed of it (a toolkit may have it on its stack).
    virtual void Dispose() { delete this; }

    // Reads a note document into the note and presents it. Answers 1 on
    // success, else the document reader's result (the note unchanged).
    int Load(const char* document, bool centre);
    // The note document as of now.
    std::string Serialize();

    // The Title, or the creation time when the Title is empty.
    std::string GetDisplayTitle() const;
    // The ID read as a creation time, local time, "%Y/%m/%d %H:%M:%S".
    std::string GetCreationTimeText() const;

protected:
    CNote& Model() { return *m_note; }

private:
    std::shared_ptr<CNote> m_note;
};

std::string FormatCreationTime(int id);

struct MessageWindowDisposer {
    void operator()(CMessageWindow* window) const {
        if (window != nullptr)
            window->Dispose();
    }
};
using MessageWindowPtr = std::unique_ptr<CMessageWindow, MessageWindowDisposer>;
