#pragma once

#include "core/store/MessageWindow.h"

// A note without a window: records, body bytes, a rectangle and a visibility
// flag. Used by tests and by command-line tools.
class CHeadlessMessage : public CMessageWindow {
public:
    // screen is where received notes are centred.
    explicit CHeadlessMessage(Rect screen = {0, 0, 1024, 768});

    int GetId() const override { return m_sheet.ID; }
    void SetId(int id) override { m_sheet.ID = id; }
    const SheetProperty& GetSheet() const override { return m_sheet; }
    void SetSheet(const SheetProperty& sheet) override;
    const FontProperty& GetFont() const override { return m_font; }
    void SetFont(const FontProperty& font) override { m_font = font; }
    const InformProperty& GetInform() const override { return m_inform; }
    void SetInform(const InformProperty& inform) override { m_inform = inform; }
    void SetEventHandler(CMessageEventHandler* handler) override { m_handler = handler; }

    void SetBody(const std::string& data, BodyFormat format) override;
    std::string Serialize() override;
    int Load(const char* document, bool centre) override;

    void Show(ShowCommand command) override;
    bool IsVisible() const override { return m_visible; }
    Rect GetWindowRect() const override { return m_rect; }
    void SetWindowRect(const Rect& rect) override;
    void Move(int x, int y) override;
    void RaiseTopmost() override { ++m_raiseCount; }

    std::string GetText() const override { return m_text; }
    void SelectRange(int start, int length) override;
    bool IsModified() const override { return m_modified; }

    // Where the note reports; tests use it to play the window's part.
    CMessageEventHandler* GetEventHandler() const { return m_handler; }
    // The body as RTF; a plain text is held in the note's font.
    const std::string& GetBody() const { return m_body; }
    BodyFormat GetBodyFormat() const { return m_format; }
    int GetRaiseCount() const { return m_raiseCount; }
    std::pair<int, int> GetSelection() const { return m_selection; }

    // Reports the change now: OnChanged, and the note counts as saved.
    void ReportChange();

private:
    SheetProperty m_sheet;
    FontProperty m_font;
    InformProperty m_inform;
    CMessageEventHandler* m_handler = nullptr;
    Rect m_screen;
    Rect m_rect;
    std::string m_body; // RTF, as it is written
    std::string m_text; // as it was set
    BodyFormat m_format = BodyFormat::Rtf;
    bool m_visible = false;
    bool m_modified = true;
    bool m_loading = false;
    int m_raiseCount = 0;
    std::pair<int, int> m_selection{0, 0};
};
