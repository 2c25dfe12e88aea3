#include "core/store/PropParser.h"

#include "core/base/FieldText.h"
#include "core/stream/BinToHexOutputStream.h"
#include "core/stream/HexToBinInputStream.h"
#include "core/stream/MemInputStream.h"
#include "core/stream/MemOutputStream.h"
#include "core/xml/AttributeList.h"
#include "core/xml/SimpleXMLParser.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

// Every setter leaves its field unchanged when the element lacks the attribute.

void SetBool(std::int32_t& field, const char* value) {
    if (value != nullptr)
        field = std::strcmp(value, "True") == 0 ? 1 : 0;
}

void SetInt(std::int32_t& field, const char* value) {
    if (value != nullptr)
        field = ParseDecimal32(value);
}

void SetColor(ColorRef& field, const char* value) {
    if (value != nullptr)
        field = ParseDecimalBits32(value);
}

void SetTime(std::int64_t& field, const char* value) {
    if (value != nullptr)
        field = ParseDecimal64(value);
}

template <std::size_t N> void SetText(char (&field)[N], const char* value) {
    if (value != nullptr)
        CopyField(field, UnescapeAttribute(value));
}

std::int32_t ClampToInt32(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
}

bool Is(const char* name, const char* expected) {
    return std::strcmp(name, expected) == 0;
}

const char* BoolText(std::int32_t value) {
    return value == 1 ? "True" : "False";
}

// Builds the document line by line; every line ends with CR LF.
class CDocumentWriter {
public:
    explicit CDocumentWriter(std::string& document) : m_document(document) {}

    CDocumentWriter& operator<<(std::string_view text) {
        m_document.append(text);
        return *this;
    }
    CDocumentWriter& operator<<(const char* text) { return *this << std::string_view(text); }
    CDocumentWriter& operator<<(std::int32_t value) { return *this << std::to_string(value); }
    CDocumentWriter& operator<<(std::uint32_t value) { return *this << std::to_string(value); }
    CDocumentWriter& operator<<(std::int64_t value) { return *this << std::to_string(value); }

    // A text value, made safe for a double-quoted attribute.
    template <std::size_t N> CDocumentWriter& Text(const char (&field)[N]) {
        return *this << EscapeAttribute(FieldText(field));
    }
    CDocumentWriter& Text(const std::string& value) { return *this << EscapeAttribute(value); }

    void End() { m_document.append("\r\n"); }
    void Line(std::string_view text) {
        *this << text;
        End();
    }

private:
    std::string& m_document;
};

void WriteFont(CDocumentWriter& w, const FontProperty& font, bool signedFontColor) {
    (w << "<Font Name=\"").Text(font.Name) << "\" Size=\"" << font.Size << "\"/>";
    w.End();
    if (signedFontColor)
        w << "<FontColor Color=\"" << static_cast<std::int32_t>(font.FontColor) << "\"/>";
    else
        w << "<FontColor Color=\"" << font.FontColor << "\"/>";
    w.End();
    w << "<BackgroundColor Color=\"" << font.BackgroundColor << "\"/>";
    w.End();
    w << "<FontAttribute Flags=\"" << font.Flags << "\"/>";
    w.End();
}

void WriteBody(CDocumentWriter& w, const std::string& body) {
    CMemOutputStream text(1024);
    CBinToHexOutputStream hex(&text);
    // The hex stream takes at most INT_MAX / 2 bytes a write.
    constexpr std::size_t kChunk = 1 << 20;
    for (std::size_t offset = 0; offset < body.size(); offset += kChunk) {
        const std::size_t count = std::min(kChunk, body.size() - offset);
        hex.Write(body.data() + offset, static_cast<int>(count));
    }
    w << std::string_view(text.GetBuffer(), static_cast<std::size_t>(text.GetLength()));
    w.End();
}

} // namespace

CPropParser::CPropertyHandler::CPropertyHandler() {
    // A present section starts from zero, apart from these.
    m_application = ApplicationProperty{};
    m_application.OrderFlag = 3;
    m_sheet = SheetProperty{};
    m_sheet.AutoResize = 0;
    m_sheet.MoveBar = 1;
    m_inform.Sound = 0;
    m_inform.Topmost = 0;
}

void CPropParser::CPropertyHandler::characters(const char* text, int length) {
    // Runs of blanks between tags arrive empty; they must not wipe a decoded body.
    if (!m_inMessage || length <= 0)
        return;
    CMemInputStream source(text, length);
    CHexToBinInputStream hex(&source);
    std::string decoded(static_cast<std::size_t>(length) / 2 + 1, '\0');
    std::size_t used = 0;
    while (used < decoded.size()) {
        const int read = hex.Read(decoded.data() + used, static_cast<int>(decoded.size() - used));
        if (read <= 0)
            break;
        used += static_cast<std::size_t>(read);
    }
    decoded.resize(used);
    m_body = std::move(decoded);
}

void CPropParser::CPropertyHandler::startElement(const char* name, const CAttributeList& attributes) {
    // Values are copied out at once: the list reuses one buffer per accessor.
    auto value = [&attributes](const char* attribute) { return attributes.getValue(attribute); };

    // Application.
    if (Is(name, "ApplicationProperty")) {
        m_hasApplication = true;
    } else if (Is(name, "EnableStartup")) {
        SetBool(m_application.EnableStartup, value("Bool"));
    } else if (Is(name, "SavePath")) {
        SetText(m_application.SavePath, value("Path"));
    } else if (Is(name, "OrderFlag")) {
        SetInt(m_application.OrderFlag, value("Flag"));
    } else if (Is(name, "EnableOutOfWindow")) {
        SetBool(m_application.EnableOutOfWindow, value("Bool"));
    } else if (Is(name, "MessageGap")) {
        SetInt(m_application.MessageGap, value("Value"));
    }
    // Sheet.
    else if (Is(name, "SheetProperty")) {
        m_hasSheet = true;
    } else if (Is(name, "SheetTitle")) {
        SetText(m_sheet.Title, value("Title"));
    } else if (Is(name, "SheetID")) {
        SetInt(m_sheet.ID, value("ID"));
    } else if (Is(name, "SheetDimension")) {
        std::int64_t x = m_sheet.Left;
        std::int64_t y = m_sheet.Top;
        std::int64_t width = static_cast<std::int64_t>(m_sheet.Right) - m_sheet.Left;
        std::int64_t height = static_cast<std::int64_t>(m_sheet.Bottom) - m_sheet.Top;
        if (const char* v = value("X"))
            x = ParseDecimal32(v);
        if (const char* v = value("Y"))
            y = ParseDecimal32(v);
        if (const char* v = value("Width"))
            width = ParseDecimal32(v);
        if (const char* v = value("Height"))
            height = ParseDecimal32(v);
        m_sheet.Left = ClampToInt32(x);
        m_sheet.Top = ClampToInt32(y);
        m_sheet.Right = ClampToInt32(x + width);
        m_sheet.Bottom = ClampToInt32(y + height);
    } else if (Is(name, "SheetDisplay")) {
        if (const char* v = value("Bool"))
            m_sheet.Hidden = std::strcmp(v, "False") == 0 ? 1 : 0;
    } else if (Is(name, "TopWindow")) {
        SetBool(m_sheet.TopWindow, value("Bool"));
    } else if (Is(name, "AutoResize")) {
        SetBool(m_sheet.AutoResize, value("Bool"));
    } else if (Is(name, "MoveBar")) {
        SetBool(m_sheet.MoveBar, value("Bool"));
    } else if (Is(name, "ReadOnly")) {
        SetBool(m_sheet.ReadOnly, value("Bool"));
    }
    // Fonts: the document's, or the current group's inside GroupProperty.
    else if (Is(name, "FontProperty")) {
        m_hasFont = true;
    } else if (Is(name, "Font")) {
        FontProperty& font = FontTarget();
        SetText(font.Name, value("Name"));
        SetInt(font.Size, value("Size"));
        if (const char* v = value("Bold"); v != nullptr && std::strcmp(v, "True") == 0)
            font.Flags |= kFontBold;
        if (const char* v = value("Italic"); v != nullptr && std::strcmp(v, "True") == 0)
            font.Flags |= kFontItalic;
    } else if (Is(name, "FontColor")) {
        SetColor(FontTarget().FontColor, value("Color"));
    } else if (Is(name, "BackgroundColor")) {
        SetColor(FontTarget().BackgroundColor, value("Color"));
    } else if (Is(name, "FontAttribute")) {
        SetInt(FontTarget().Flags, value("Flags"));
    }
    // Network.
    else if (Is(name, "NetworkProperty")) {
        m_hasNetwork = true;
    } else if (Is(name, "AcceptConnection")) {
        SetBool(m_network.AcceptConnection, value("Bool"));
    } else if (Is(name, "EnableUPnP")) {
        SetBool(m_network.EnableUPnP, value("Bool"));
    } else if (Is(name, "ConfirmReceive")) {
        SetBool(m_network.ConfirmReceive, value("Bool"));
    } else if (Is(name, "ConfirmExpire")) {
        SetInt(m_network.ConfirmExpire, value("Time"));
    } else if (Is(name, "ReceiveChannel")) {
        SetText(m_network.Address, value("Address"));
        if (const char* v = value("Port"))
            m_network.Port = static_cast<std::uint16_t>(static_cast<std::uint32_t>(ParseDecimal32(v)) & 0xFFFF);
    } else if (Is(name, "AcceptTransfer")) {
        SetBool(m_network.AcceptTransfer, value("Bool"));
        const char* v = value("Bool");
        if (v != nullptr && std::strcmp(v, "True") == 0) {
            SetText(m_network.User, value("User"));
            SetText(m_network.Passwd, value("Passwd"));
        }
    } else if (Is(name, "AllowAll")) {
        SetBool(m_network.AllowAll, value("Bool"));
    } else if (Is(name, "NetworkInfo")) {
        NetworkInfo info;
        SetText(info.Network, value("Network"));
        SetText(info.Mask, value("Mask"));
        m_network.NetworkInfoList.push_back(info);
    }
    // Reminder.
    else if (Is(name, "InformProperty")) {
        m_hasInform = true;
        m_inform.Enabled = 1;
    } else if (Is(name, "InformBy")) {
        if (const char* v = value("Method")) {
            m_inform.ByDate = std::strcmp(v, "Date") == 0 ? 1 : 0;
            m_inform.ByTime = m_inform.ByDate ? 0 : 1;
        }
        SetTime(m_inform.FireTime, value("Param"));
        SetTime(m_inform.StartTime, value("StartDate"));
    } else if (Is(name, "InformSound")) {
        SetBool(m_inform.Sound, value("Bool"));
        SetText(m_inform.WavePath, value("WavePath"));
    } else if (Is(name, "InformTopmost")) {
        SetBool(m_inform.Topmost, value("Bool"));
    } else if (Is(name, "InformRepeat")) {
        SetBool(m_inform.Repeat, value("Bool"));
        SetInt(m_inform.Cycle, value("Cycle"));
    }
    // Groups.
    else if (Is(name, "GroupList")) {
        m_hasGroupList = true;
    } else if (Is(name, "ChangeGroupProp")) {
        if (const char* v = value("Bool"))
            m_groups.SetChangeGroupProp(std::strcmp(v, "True") == 0 ? 1 : 0);
    } else if (Is(name, "ChangeEntireMessage")) {
        if (const char* v = value("Bool"))
            m_groups.SetChangeEntireMessage(std::strcmp(v, "True") == 0 ? 1 : 0);
    } else if (Is(name, "Group")) {
        const char* v = value("Name");
        m_groupName = v != nullptr ? UnescapeAttribute(v) : std::string();
        m_groupMembers.clear();
        m_inGroup = true;
    } else if (Is(name, "Element")) {
        // A member outside any group has nowhere to go.
        if (m_inGroup) {
            GroupMember member;
            if (const char* v = value("ID"))
                member.ID = ParseDecimal32(v);
            if (const char* v = value("Name"))
                member.Title = UnescapeAttribute(v);
            m_groupMembers.push_back(std::move(member));
        }
    } else if (Is(name, "GroupProperty")) {
        m_inGroupProperty = true;
    } else if (Is(name, "Message")) {
        m_inMessage = true;
    }
}

void CPropParser::CPropertyHandler::endElement(const char* name) {
    if (Is(name, "Message")) {
        m_inMessage = false;
    } else if (Is(name, "GroupProperty")) {
        m_inGroupProperty = false;
        if (m_inGroup)
            m_groups.SetProperty(m_groupName, m_groupFont);
    } else if (Is(name, "Group")) {
        if (!m_inGroup)
            return;
        m_groups.SetMembers(m_groupName, std::move(m_groupMembers));
        m_groupMembers.clear();
        // Every group read from a document ends up with a property.
        if (!m_groups.HasProperty(m_groupName))
            m_groups.SetProperty(m_groupName, m_font);
        m_inGroup = false;
    }
}

int CPropParser::Parse(const char* text) {
    m_hasApplication = m_hasSheet = m_hasFont = m_hasNetwork = m_hasInform = m_hasGroupList = false;
    if (text == nullptr)
        return CSimpleXMLParser::kNothingParsed;
    const std::size_t length = std::strlen(text);
    if (length > static_cast<std::size_t>(INT_MAX))
        return CSimpleXMLParser::kNothingParsed;

    CPropertyHandler handler;
    CSimpleXMLParser parser;
    parser.setDocumentHandler(&handler);
    CMemInputStream stream(text, static_cast<int>(length));
    const int result = parser.parse(&stream);
    if (result != CSimpleXMLParser::kParsed)
        return result;

    if (handler.m_hasApplication) {
        m_application = handler.m_application;
        m_hasApplication = true;
    }
    if (handler.m_hasSheet) {
        m_sheet = handler.m_sheet;
        m_hasSheet = true;
    }
    if (handler.m_hasNetwork) {
        m_network = std::move(handler.m_network);
        m_hasNetwork = true;
    }
    if (handler.m_hasInform) {
        m_inform = handler.m_inform;
        m_hasInform = true;
    }
    m_font = handler.m_font;
    m_hasFont = true;
    if (!handler.m_body.empty())
        m_body = std::move(handler.m_body);
    if (handler.m_hasGroupList) {
        m_groups = std::move(handler.m_groups);
        m_hasGroupList = true;
    }
    return result;
}

void CPropParser::MakeDocument(std::string& document) const {
    document.clear();
    CDocumentWriter w(document);
    w.Line("<?xml version=\"1.0\" ?>");
    w.Line("<Quillet>");

    if (m_hasApplication) {
        const ApplicationProperty& a = m_application;
        w.Line("<ApplicationProperty>");
        (w << "<EnableStartup Bool=\"" << BoolText(a.EnableStartup) << "\"/>").End();
        (w << "<SavePath Path=\"").Text(a.SavePath) << "\"/>";
        w.End();
        (w << "<OrderFlag Flag=\"" << a.OrderFlag << "\"/>").End();
        (w << "<EnableOutOfWindow Bool=\"" << BoolText(a.EnableOutOfWindow) << "\"/>").End();
        (w << "<MessageGap Value=\"" << a.MessageGap << "\"/>").End();
        w.Line("</ApplicationProperty>");
    }

    if (m_hasSheet) {
        const SheetProperty& s = m_sheet;
        // Width and height in 64 bits: a rectangle spanning more than 2^31 must not overflow.
        const auto width = static_cast<std::int64_t>(s.Right) - s.Left;
        const auto height = static_cast<std::int64_t>(s.Bottom) - s.Top;
        w.Line("<SheetProperty>");
        (w << "<SheetTitle Title=\"").Text(s.Title) << "\"/>";
        w.End();
        (w << "<SheetID ID=\"" << s.ID << "\"/>").End();
        (w << "<SheetDimension X=\"" << s.Left << "\" Y=\"" << s.Top << "\" Width=\"" << ClampToInt32(width)
           << "\" Height=\"" << ClampToInt32(height) << "\"/>")
            .End();
        (w << "<SheetDisplay Bool=\"" << (s.Hidden == 1 ? "False" : "True") << "\"/>").End();
        (w << "<TopWindow Bool=\"" << BoolText(s.TopWindow) << "\"/>").End();
        (w << "<AutoResize Bool=\"" << BoolText(s.AutoResize) << "\"/>").End();
        (w << "<MoveBar Bool=\"" << BoolText(s.MoveBar) << "\"/>").End();
        (w << "<ReadOnly Bool=\"" << BoolText(s.ReadOnly) << "\"/>").End();
        w.Line("</SheetProperty>");
    }

    if (m_hasFont) {
        w.Line("<FontProperty>");
        WriteFont(w, m_font, true);
        w.Line("</FontProperty>");
    }

    if (m_hasNetwork) {
        const NetworkProperty& n = m_network;
        w.Line("<NetworkProperty>");
        (w << "<AcceptConnection Bool=\"" << BoolText(n.AcceptConnection) << "\"/>").End();
        (w << "<EnableUPnP Bool=\"" << BoolText(n.EnableUPnP) << "\"/>").End();
        (w << "<ConfirmReceive Bool=\"" << BoolText(n.ConfirmReceive) << "\"/>").End();
        (w << "<ConfirmExpire Time=\"" << n.ConfirmExpire << "\"/>").End();
        (w << "<ReceiveChannel Address=\"").Text(n.Address)
            << "\" Port=\"" << static_cast<std::int32_t>(n.Port) << "\"/>";
        w.End();
        if (n.AcceptTransfer == 1) {
            (w << "<AcceptTransfer Bool=\"True\" User=\"").Text(n.User) << "\" Passwd=\"";
            w.Text(n.Passwd) << "\"/>";
            w.End();
        } else {
            w.Line("<AcceptTransfer Bool=\"False\"/>");
        }
        (w << "<AllowAll Bool=\"" << BoolText(n.AllowAll) << "\"/>").End();
        if (!n.NetworkInfoList.empty()) {
            w.Line("<NetworkInfoList>");
            for (const NetworkInfo& info : n.NetworkInfoList) {
                (w << "<NetworkInfo Network=\"").Text(info.Network) << "\" Mask=\"";
                w.Text(info.Mask) << "\"/>";
                w.End();
            }
            w.Line("</NetworkInfoList>");
        }
        w.Line("</NetworkProperty>");
    }

    if (m_hasInform) {
        const InformProperty& i = m_inform;
        w.Line("<InformProperty>");
        // Times in full 64 bits: a 32-bit field would wrap in 2038.
        (w << "<InformBy Method=\"" << (i.ByDate == 1 ? "Date" : "Time") << "\" StartDate=\"" << i.StartTime
           << "\" Param=\"" << i.FireTime << "\"/>")
            .End();
        (w << "<InformSound Bool=\"" << BoolText(i.Sound) << "\" WavePath=\"").Text(i.WavePath) << "\"/>";
        w.End();
        (w << "<InformTopmost Bool=\"" << BoolText(i.Topmost) << "\"/>").End();
        (w << "<InformRepeat Bool=\"" << BoolText(i.Repeat) << "\" Cycle=\"" << i.Cycle << "\"/>").End();
        w.Line("</InformProperty>");
    }

    if (!m_body.empty()) {
        w.Line("<Message>");
        WriteBody(w, m_body);
        w.Line("</Message>");
    }

    if (m_hasGroupList) {
        w.Line("<GroupList>");
        (w << "<ChangeGroupProp Bool=\"" << BoolText(m_groups.GetChangeGroupProp()) << "\"/>").End();
        (w << "<ChangeEntireMessage Bool=\"" << BoolText(m_groups.GetChangeEntireMessage()) << "\"/>").End();
        for (const std::string& name : m_groups.GetGroupNames()) {
            (w << "<Group Name=\"").Text(name) << "\">";
            w.End();
            for (const GroupMember& member : *m_groups.GetMembers(name)) {
                (w << "<Element Name=\"").Text(member.Title)
                    << "\" ID=\"" << static_cast<std::int32_t>(member.ID) << "\"/>";
                w.End();
            }
            if (const auto property = m_groups.GetProperty(name)) {
                w.Line("<GroupProperty>");
                WriteFont(w, *property, false);
                w.Line("</GroupProperty>");
            }
            w.Line("</Group>");
        }
        w.Line("</GroupList>");
    }

    w.Line("</Quillet>");
}

std::string CPropParser::MakeDocument() const {
    std::string document;
    MakeDocument(document);
    return document;
}

void CPropParser::SetMessage(const void* data, int length) {
    if (data == nullptr || length <= 0)
        m_body.clear();
    else
        m_body.assign(static_cast<const char*>(data), static_cast<std::size_t>(length));
}

void CPropParser::SetGroupList(const CGroup& groups) {
    m_groups = groups;
    m_hasGroupList = true;
}
