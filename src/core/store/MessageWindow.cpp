#include "core/store/MessageWindow.h"

#include "core/base/FieldText.h"

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

CMessageWindow::CMessageWindow(std::shared_ptr<CNote> note) : m_note(std::move(note)) {}

int CMessageWindow::Load(const char* document, bool centre) {
    CNote read;
    if (!read.Parse(document))
        return 0;
    read.Modified = false;
    *m_note = std::move(read);
    Present(centre);
    return 1;
}

std::string CMessageWindow::Serialize() {
    Commit();
    return m_note->Serialize();
}
