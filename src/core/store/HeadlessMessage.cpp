#include "core/store/HeadlessMessage.h"

#include "core/base/FieldText.h"
#include "core/note/NoteGeometry.h"
#include "core/note/RtfWriter.h"
#include "core/note/StyledText.h"
#include "core/store/MessageEventHandler.h"

CHeadlessMessage::CHeadlessMessage(std::shared_ptr<CNote> note, Rect screen)
    : CMessageWindow(std::move(note)), m_screen(screen) {}

void CHeadlessMessage::SetSheet(const SheetProperty& sheet) {
    Model().Sheet = sheet;
    m_rect = {sheet.Left, sheet.Top, sheet.Right, sheet.Bottom};
}

void CHeadlessMessage::SetBody(const std::string& data, BodyFormat format) {
    m_format = format;
    m_text = data;
    if (format == BodyFormat::Rtf) {
        Model().Body = data;
        return;
    }
    // As a note window holds it: rich text, the text in the note's own font.
    const FontProperty& font = GetFont();
    CharFormat text;
    text.FaceName = std::string(FieldText(font.Name));
    text.HalfPoints = font.Size * 2;
    text.SetEffectFlags(font.Flags);
    text.Color = font.FontColor;
    Model().Body = CRtfWriter::Write(CStyledText::FromPlainText(data, text));
}

void CHeadlessMessage::Present(bool centre) {
    m_loading = true;
    const SheetProperty& sheet = GetSheet();
    m_rect = {sheet.Left, sheet.Top, sheet.Right, sheet.Bottom};
    if (centre) {
        Model().Sheet.Hidden = 0;
        m_rect = notegeometry::CentreOnScreen(m_rect, m_screen);
    }
    m_format = BodyFormat::Rtf;
    m_text = Note().Body;
    if (GetSheet().Hidden == 0)
        Show(ShowCommand::ShowNoActivate);
    m_loading = false;
}

void CHeadlessMessage::Commit() {
    SheetProperty& sheet = Model().Sheet;
    sheet.Left = m_rect.Left;
    sheet.Top = m_rect.Top;
    sheet.Right = m_rect.Right;
    sheet.Bottom = m_rect.Bottom;
}

void CHeadlessMessage::Show(ShowCommand command) {
    const bool shown = command != ShowCommand::Hide;
    if (shown == m_visible)
        return;
    m_visible = shown;
    Model().Sheet.Hidden = shown ? 0 : 1;
    if (m_handler != nullptr)
        m_handler->OnShowChanged(GetId(), shown);
    ReportChange();
}

void CHeadlessMessage::SetWindowRect(const Rect& rect) {
    m_rect = rect;
    Commit();
    ReportChange();
}

void CHeadlessMessage::Move(int x, int y) {
    m_rect = m_rect.MovedTo(x, y);
    ReportChange();
}

void CHeadlessMessage::SelectRange(int start, int length) {
    m_selection = {start, length};
}

void CHeadlessMessage::ReportChange() {
    // Without a handler nobody saves the note, so it stays modified.
    if (m_loading || m_handler == nullptr)
        return;
    Commit();
    Model().Modified = false;
    m_handler->OnChanged(GetId());
}

MessageWindowPtr CreateHeadlessMessage(std::shared_ptr<CNote> note) {
    return MessageWindowPtr(new CHeadlessMessage(std::move(note)));
}
