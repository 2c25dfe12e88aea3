#pragma once

#include "core/store/MessageWindow.h"

// A note without a window: a rectangle and a visibility flag over the note.
// Used by tests and by command-line tools.
class CHeadlessMessage : public CMessageWindow {
public:
    // screen is where received notes are centred.
    explicit CHeadlessMessage(std::shared_ptr<CNote> note = std::make_shared<CNote>(), Rect screen = {0, 0, 1024, 768});

    void SetSheet(const SheetProperty& sheet) override;
    void SetFont(const FontProperty& font) override { Model().Font = font; }
    void SetInform(const InformProperty& inform) override { Model().Inform = inform; }
    void SetEventHandler(CMessageEventHandler* handler) override { m_handler = handler; }

    void SetBody(const std::string& data, BodyFormat format) override;
    void Present(bool centre) override;
    void Commit() override;

    void Show(ShowCommand command) override;
    bool IsVisible() const override { return m_visible; }
    Rect GetWindowRect() const override { return m_rect; }
    void SetWindowRect(const Rect& rect) override;
    void Move(int x, int y) override;
    void RaiseTopmost() override { ++m_raiseCount; }

    std::string GetText() const override { return m_text; }
    void SelectRange(int start, int length) override;

    // Where the note reports; tests use it to play the window's part.
    CMessageEventHandler* GetEventHandler() const { return m_handler; }
    // The body as RTF; a plain text is held in the note's font.
    const std::string& GetBody() const { return Note().Body; }
    BodyFormat GetBodyFormat() const { return m_format; }
    int GetRaiseCount() const { return m_raiseCount; }
    std::pair<int, int> GetSelection() const { return m_selection; }

    // Reports the change now: OnChanged, and the note counts as saved.
    void ReportChange();

private:
    CMessageEventHandler* m_handler = nullptr;
    Rect m_screen;
    Rect m_rect;
    std::string m_text; // as it was set
    BodyFormat m_format = BodyFormat::Rtf;
    bool m_visible = false;
    bool m_loading = false;
    int m_raiseCount = 0;
    std::pair<int, int> m_selection{0, 0};
};

// The window factory of a store without a display.
MessageWindowPtr CreateHeadlessMessage(std::shared_ptr<CNote> note);
