#include "core/store/Note.h"

#include "core/store/PropParser.h"

#include <cstring>

bool CNote::Parse(const char* document) {
    CPropParser reader;
    if (reader.Parse(document) != 1)
        return false;
    Sheet = reader.m_sheet;
    Font = reader.m_font;
    Inform = reader.m_inform;
    Body = std::move(reader.m_body);
    return true;
}

std::string CNote::Serialize() const {
    CPropParser document;
    document.m_sheet = Sheet;
    document.m_hasSheet = true;
    document.m_font = Font;
    document.m_hasFont = true;
    if (Inform.Enabled == 1) {
        document.m_inform = Inform;
        document.m_hasInform = true;
    }
    document.m_body = Body;
    return document.MakeDocument();
}

namespace {

// The sheet has no padding; its title is compared over all of its bytes, as
// the font's name is.
bool SameSheet(const SheetProperty& a, const SheetProperty& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool SameInform(const InformProperty& a, const InformProperty& b) {
    return a.Enabled == b.Enabled && a.ByDate == b.ByDate && a.ByTime == b.ByTime && a.FireTime == b.FireTime &&
           a.StartTime == b.StartTime && a.Repeat == b.Repeat && a.Cycle == b.Cycle && a.Sound == b.Sound &&
           a.Topmost == b.Topmost && std::memcmp(a.WavePath, b.WavePath, sizeof a.WavePath) == 0;
}

} // namespace

bool operator==(const CNote& a, const CNote& b) {
    return SameSheet(a.Sheet, b.Sheet) && a.Font == b.Font && SameInform(a.Inform, b.Inform) && a.Body == b.Body &&
           a.Modified == b.Modified;
}
