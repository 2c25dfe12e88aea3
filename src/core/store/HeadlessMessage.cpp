#include "core/store/HeadlessMessage.h"

#include "core/base/FieldText.h"
#include "core/note/NoteGeometry.h"
#include "core/note/RtfWriter.h"
#include "core/note/StyledText.h"
#include "core/store/MessageEventHandler.h"
#include "core/store/PropParser.h"

CHeadlessMessage::CHeadlessMessage(Rect screen) : m_screen(screen) {}

void CHeadlessMessage::SetSheet(const SheetProperty& sheet) {
    m_sheet = sheet;
    m_rect = {sheet.Left, sheet.Top, sheet.Right, sheet.Bottom};
}

void CHeadlessMessage::SetBody(const std::string& data, BodyFormat format) {
    m_format = format;
    m_text = data;
    if (format == BodyFormat::Rtf) {
        m_body = data;
        return;
    }
    // As a note window holds it: rich text, the text in the note's own font.
    CharFormat text;
    text.FaceName = std::string(FieldText(m_font.Name));
    text.HalfPoints = m_font.Size * 2;
    text.SetEffectFlags(m_font.Flags);
    text.Color = m_font.FontColor;
    m_body = CRtfWriter::Write(CStyledText::FromPlainText(data, text));
}

std::string CHeadlessMessage::Serialize() {
    return MakeMessageDocument(m_sheet, m_rect, m_font, m_inform, m_body);
}

int CHeadlessMessage::Load(const char* text, bool centre) {
    CPropParser document;
    const int result = document.Parse(text);
    if (result != 1)
        return result;

    m_loading = true;
    m_modified = false;
    SetSheet(document.m_sheet);
    SetFont(document.m_font);
    SetInform(document.m_inform);
    if (centre) {
        m_sheet.Hidden = 0;
        m_rect = notegeometry::CentreOnScreen(m_rect, m_screen);
    }
    SetBody(document.m_body, BodyFormat::Rtf);
    if (m_sheet.Hidden == 0)
        Show(ShowCommand::ShowNoActivate);
    m_loading = false;
    return 1;
}

void CHeadlessMessage::Show(ShowCommand command) {
    const bool shown = command != ShowCommand::Hide;
    if (shown == m_visible)
        return;
    m_visible = shown;
    m_sheet.Hidden = shown ? 0 : 1;
    if (m_handler != nullptr)
        m_handler->OnShowChanged(m_sheet.ID, shown);
    ReportChange();
}

void CHeadlessMessage::SetWindowRect(const Rect& rect) {
    m_rect = rect;
    m_sheet.Left = rect.Left;
    m_sheet.Top = rect.Top;
    m_sheet.Right = rect.Right;
    m_sheet.Bottom = rect.Bottom;
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
    m_modified = false;
    m_handler->OnChanged(m_sheet.ID);
}
