#include "core/store/MessageWindow.h"

#include "core/base/FieldText.h"
#include "core/store/PropParser.h"

#include <ctime>

std::string FormatCreationTime(int id) {
    // IDs are the low 32 bits of the creation time.
    const std::time_t time = static_cast<std::time_t>(static_cast<std::uint32_t>(id));
    std::tm local{};
    if (localtime_r(&time, &local) == nullptr)
        return {};
    char text[64];
    const size_t n = std::strftime(text, sizeof text, "%Y/%m/%d %H:%M:%S", &local);
    return std::string(text, n);
}

std::string CMessageWindow::GetDisplayTitle() const {
    const auto title = FieldText(GetSheet().Title);
    return title.empty() ? GetCreationTimeText() : std::string(title);
}

std::string CMessageWindow::GetCreationTimeText() const {
    return FormatCreationTime(GetId());
}

std::string MakeMessageDocument(SheetProperty& sheet, const Rect& window, const FontProperty& font,
                                const InformProperty& inform, const std::string& body) {
    sheet.Left = window.Left;
    sheet.Top = window.Top;
    sheet.Right = window.Right;
    sheet.Bottom = window.Bottom;

    CPropParser document;
    document.m_sheet = sheet;
    document.m_hasSheet = true;
    document.m_font = font;
    document.m_hasFont = true;
    if (inform.Enabled == 1) {
        document.m_inform = inform;
        document.m_hasInform = true;
    }
    document.m_body = body;
    return document.MakeDocument();
}
