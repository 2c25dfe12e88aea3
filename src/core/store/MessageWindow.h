#pragma once

#include "core/base/Properties.h"
#include "core/base/Rect.h"

#include <memory>
#include <string>

class CMessageEventHandler;

enum class ShowCommand { Hide, Show, ShowNoActivate };
enum class BodyFormat { Rtf, PlainText };

// What the store needs of a note window. The desktop window implements it in the
// user interface; CHeadlessMessage implements it without a display.
//
// A window keeps its note's records. Whenever it is shown or hidden it sets
// Hidden to the inverse, calls OnShowChanged and reports the change; it reports
// through the handler it was given, and skips reports while it has none.
class CMessageWindow {
public:
    virtual ~CMessageWindow() = default;

    virtual int GetId() const = 0;
    virtual void SetId(int id) = 0;

    virtual const SheetProperty& GetSheet() const = 0;
    // Copies the record and applies its top-most band; no move, no resize.
    virtual void SetSheet(const SheetProperty& sheet) = 0;
    virtual const FontProperty& GetFont() const = 0;
    // Copies the record, applies it as the default format and background, redraws.
    virtual void SetFont(const FontProperty& font) = 0;
    virtual const InformProperty& GetInform() const = 0;
    virtual void SetInform(const InformProperty& inform) = 0;
    virtual void SetEventHandler(CMessageEventHandler* handler) = 0;

    // Replaces the content with the bytes, read as RTF or as plain text.
    virtual void SetBody(const std::string& data, BodyFormat format) = 0;
    // The note document of the window's current state.
    virtual std::string Serialize() = 0;
    // Reads a note document; with centre set the note is shown centred on the
    // screen. Answers 1 on success, else the document reader's result.
    virtual int Load(const char* document, bool centre) = 0;

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
    // A change has not been reported yet.
    virtual bool IsModified() const = 0;

    // Called by the store instead of delete, so a window can outlive the call
    // that disposed of it (a toolkit may have it on its stack).
    virtual void Dispose() { delete this; }

    // The Title, or the creation time when the Title is empty.
    std::string GetDisplayTitle() const;
    // The ID read as a creation time, local time, "%Y/%m/%d %H:%M:%S".
    std::string GetCreationTimeText() const;
};

std::string FormatCreationTime(int id);

// The note document every note window writes: the sheet with the window's
// current rectangle, the font, the reminder only while it is enabled, the body.
std::string MakeMessageDocument(SheetProperty& sheet, const Rect& window, const FontProperty& font,
                                const InformProperty& inform, const std::string& body);

struct MessageWindowDisposer {
    void operator()(CMessageWindow* window) const {
        if (window != nullptr)
            window->Dispose();
    }
};
using MessageWindowPtr = std::unique_ptr<CMessageWindow, MessageWindowDisposer>;
