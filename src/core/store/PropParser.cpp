#include "core/store/PropParser.h"

#include "core/base/FieldText.h"
#include "core/stream/BinToHexOutputStream.h"
#include "core/stream/HexToBinInputStream.h"
#include "core/stream/TextInputStream.h"
#include "core/stream/MemOutputStream.h"
#include "core/xml/AttributeList.h"
#include "core/xml/SimpleXMLParser.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>

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

// Most values hold no reference and are taken as they are, without a copy.
// One scan finds both a reference and the end of the value.
std::string Unescaped(const char* value) {
    const char* stop = strchrnul(value, '&');
    return *stop == '\0' ? std::string(value, stop) : UnescapeAttribute(value);
}

template <std::size_t N> void SetText(char (&field)[N], const char* value) {
    if (value == nullptr)
        return;
    const char* stop = strchrnul(value, '&');
    if (*stop == '\0')
        CopyField(field, std::string_view(value, static_cast<std::size_t>(stop - value)));
    else
        CopyField(field, UnescapeAttribute(value));
}

std::int32_t ClampToInt32(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
}

// The element names of the vocabulary. Documents carry a few hundred elements,
// so each is told by a byte or two and one compare, not by trying every name
// in turn.
enum class Tag {
    Other,
    // Application.
    ApplicationProperty,
    EnableStartup,
    SavePath,
    OrderFlag,
    EnableOutOfWindow,
    MessageGap,
    // Sheet.
    SheetProperty,
    SheetTitle,
    SheetID,
    SheetDimension,
    SheetDisplay,
    TopWindow,
    AutoResize,
    MoveBar,
    ReadOnly,
    // Fonts.
    FontProperty,
    Font,
    FontColor,
    BackgroundColor,
    FontAttribute,
    // Network.
    NetworkProperty,
    AcceptConnection,
    EnableUPnP,
    ConfirmReceive,
    ConfirmExpire,
    ReceiveChannel,
    AcceptTransfer,
    AllowAll,
    NetworkInfo,
    // Reminder.
    InformProperty,
    InformBy,
    InformSound,
    InformTopmost,
    InformRepeat,
    // Groups and body.
    GroupList,
    ChangeGroupProp,
    ChangeEntireMessage,
    Group,
    Element,
    GroupProperty,
    Message,
};

// Bytes From..To-1 of name against the same bytes of literal, in order and only up
// to the first that differs: a shorter name stops at its terminator, so nothing
// past it is read. Names carry no length, and a strlen for every element cost
// more than telling them apart.
template <std::size_t From, std::size_t To, std::size_t N, std::size_t... I>
[[gnu::always_inline]] inline bool SameBytes(const char* name, const char (&literal)[N], std::index_sequence<I...>) {
    static_assert(From <= To && To <= N);
    return ((name[From + I] == literal[From + I]) && ...);
}

template <std::size_t From, std::size_t To, std::size_t N>
[[gnu::always_inline]] inline bool SameBytes(const char* name, const char (&literal)[N]) {
    return SameBytes<From, To>(name, literal, std::make_index_sequence<To - From>{});
}

// The rest of name from From on, its terminator included, is the rest of literal.
// Bytes before From are the caller's to have matched.
template <std::size_t From, std::size_t N>
[[gnu::always_inline]] inline Tag Match(const char* name, const char (&literal)[N], Tag tag) {
    return SameBytes<From, N>(name, literal) ? tag : Tag::Other;
}

// Told by the first byte and, within a family sharing a prefix, by the byte after
// it; every candidate is then confirmed to its end.
Tag TagOf(const char* name) {
    switch (name[0]) {
    case 'A':
        switch (name[1]) {
        case 'c':
            if (!SameBytes<2, 6>(name, "Accept"))
                break;
            switch (name[6]) {
            case 'C':
                return Match<7>(name, "AcceptConnection", Tag::AcceptConnection);
            case 'T':
                return Match<7>(name, "AcceptTransfer", Tag::AcceptTransfer);
            }
            break;
        case 'l':
            return Match<2>(name, "AllowAll", Tag::AllowAll);
        case 'p':
            return Match<2>(name, "ApplicationProperty", Tag::ApplicationProperty);
        case 'u':
            return Match<2>(name, "AutoResize", Tag::AutoResize);
        }
        break;
    case 'B':
        return Match<1>(name, "BackgroundColor", Tag::BackgroundColor);
    case 'C':
        switch (name[1]) {
        case 'h':
            if (!SameBytes<2, 6>(name, "Change"))
                break;
            switch (name[6]) {
            case 'E':
                return Match<7>(name, "ChangeEntireMessage", Tag::ChangeEntireMessage);
            case 'G':
                return Match<7>(name, "ChangeGroupProp", Tag::ChangeGroupProp);
            }
            break;
        case 'o':
            if (!SameBytes<2, 7>(name, "Confirm"))
                break;
            switch (name[7]) {
            case 'E':
                return Match<8>(name, "ConfirmExpire", Tag::ConfirmExpire);
            case 'R':
                return Match<8>(name, "ConfirmReceive", Tag::ConfirmReceive);
            }
            break;
        }
        break;
    case 'E':
        switch (name[1]) {
        case 'l':
            return Match<2>(name, "Element", Tag::Element);
        case 'n':
            if (!SameBytes<2, 6>(name, "Enable"))
                break;
            switch (name[6]) {
            case 'O':
                return Match<7>(name, "EnableOutOfWindow", Tag::EnableOutOfWindow);
            case 'S':
                return Match<7>(name, "EnableStartup", Tag::EnableStartup);
            case 'U':
                return Match<7>(name, "EnableUPnP", Tag::EnableUPnP);
            }
            break;
        }
        break;
    case 'F':
        if (!SameBytes<1, 4>(name, "Font"))
            break;
        switch (name[4]) {
        case '\0':
            return Tag::Font;
        case 'A':
            return Match<5>(name, "FontAttribute", Tag::FontAttribute);
        case 'C':
            return Match<5>(name, "FontColor", Tag::FontColor);
        case 'P':
            return Match<5>(name, "FontProperty", Tag::FontProperty);
        }
        break;
    case 'G':
        if (!SameBytes<1, 5>(name, "Group"))
            break;
        switch (name[5]) {
        case '\0':
            return Tag::Group;
        case 'L':
            return Match<6>(name, "GroupList", Tag::GroupList);
        case 'P':
            return Match<6>(name, "GroupProperty", Tag::GroupProperty);
        }
        break;
    case 'I':
        if (!SameBytes<1, 6>(name, "Inform"))
            break;
        switch (name[6]) {
        case 'B':
            return Match<7>(name, "InformBy", Tag::InformBy);
        case 'P':
            return Match<7>(name, "InformProperty", Tag::InformProperty);
        case 'R':
            return Match<7>(name, "InformRepeat", Tag::InformRepeat);
        case 'S':
            return Match<7>(name, "InformSound", Tag::InformSound);
        case 'T':
            return Match<7>(name, "InformTopmost", Tag::InformTopmost);
        }
        break;
    case 'M':
        switch (name[1]) {
        case 'e':
            if (!SameBytes<2, 7>(name, "Message"))
                break;
            switch (name[7]) {
            case '\0':
                return Tag::Message;
            case 'G':
                return Match<8>(name, "MessageGap", Tag::MessageGap);
            }
            break;
        case 'o':
            return Match<2>(name, "MoveBar", Tag::MoveBar);
        }
        break;
    case 'N':
        if (!SameBytes<1, 7>(name, "Network"))
            break;
        switch (name[7]) {
        case 'I':
            return Match<8>(name, "NetworkInfo", Tag::NetworkInfo);
        case 'P':
            return Match<8>(name, "NetworkProperty", Tag::NetworkProperty);
        }
        break;
    case 'O':
        return Match<1>(name, "OrderFlag", Tag::OrderFlag);
    case 'R':
        if (!SameBytes<1, 2>(name, "Re"))
            break;
        switch (name[2]) {
        case 'a':
            return Match<3>(name, "ReadOnly", Tag::ReadOnly);
        case 'c':
            return Match<3>(name, "ReceiveChannel", Tag::ReceiveChannel);
        }
        break;
    case 'S':
        switch (name[1]) {
        case 'a':
            return Match<2>(name, "SavePath", Tag::SavePath);
        case 'h':
            if (!SameBytes<2, 5>(name, "Sheet"))
                break;
            switch (name[5]) {
            case 'D':
                if (const Tag tag = Match<6>(name, "SheetDimension", Tag::SheetDimension); tag != Tag::Other)
                    return tag;
                return Match<6>(name, "SheetDisplay", Tag::SheetDisplay);
            case 'I':
                return Match<6>(name, "SheetID", Tag::SheetID);
            case 'P':
                return Match<6>(name, "SheetProperty", Tag::SheetProperty);
            case 'T':
                return Match<6>(name, "SheetTitle", Tag::SheetTitle);
            }
            break;
        }
        break;
    case 'T':
        return Match<1>(name, "TopWindow", Tag::TopWindow);
    }
    return Tag::Other;
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

// A present section starts from the records' defaults, apart from a few.

ApplicationProperty& CPropParser::CPropertyHandler::Application() {
    return m_application ? *m_application : m_application.emplace();
}

SheetProperty& CPropParser::CPropertyHandler::Sheet() {
    if (!m_sheet)
        m_sheet.emplace().AutoResize = 0;
    return *m_sheet;
}

NetworkProperty& CPropParser::CPropertyHandler::Network() {
    return m_network ? *m_network : m_network.emplace();
}

InformProperty& CPropParser::CPropertyHandler::Inform() {
    if (!m_inform) {
        InformProperty& inform = m_inform.emplace();
        inform.Sound = 0;
        inform.Topmost = 0;
    }
    return *m_inform;
}

void CPropParser::CPropertyHandler::characters(const char* text, int length) {
    // Runs of blanks between tags arrive empty; they must not wipe a decoded body.
    if (!m_inMessage || length <= 0)
        return;
    // Decoded through a small buffer and appended: resizing first would zero
    // the whole body only to overwrite it.
    const auto count = static_cast<std::size_t>(length);
    m_body.clear();
    m_body.reserve((count + 1) / 2);
    constexpr std::size_t kChunk = 2048; // characters, even
    unsigned char bytes[kChunk / 2];
    for (std::size_t offset = 0; offset < count; offset += kChunk) {
        const std::size_t n = std::min(kChunk, count - offset);
        DecodeHex(text + offset, n, bytes);
        m_body.append(reinterpret_cast<const char*>(bytes), (n + 1) / 2);
    }
}

void CPropParser::CPropertyHandler::startElement(const char* name, const CAttributeList& attributes) {
    auto value = [&attributes](const auto& attribute) { return attributes.findValue(attribute); };

    switch (TagOf(name)) {
    // Application.
    case Tag::ApplicationProperty:
        m_hasApplication = true;
        break;
    case Tag::EnableStartup:
        SetBool(Application().EnableStartup, value("Bool"));
        break;
    case Tag::SavePath:
        SetText(Application().SavePath, value("Path"));
        break;
    case Tag::OrderFlag:
        SetInt(Application().OrderFlag, value("Flag"));
        break;
    case Tag::EnableOutOfWindow:
        SetBool(Application().EnableOutOfWindow, value("Bool"));
        break;
    case Tag::MessageGap:
        SetInt(Application().MessageGap, value("Value"));
        break;
    // Sheet.
    case Tag::SheetProperty:
        m_hasSheet = true;
        break;
    case Tag::SheetTitle:
        SetText(Sheet().Title, value("Title"));
        break;
    case Tag::SheetID:
        SetInt(Sheet().ID, value("ID"));
        break;
    case Tag::SheetDimension: {
        SheetProperty& sheet = Sheet();
        std::int64_t x = sheet.Left;
        std::int64_t y = sheet.Top;
        std::int64_t width = static_cast<std::int64_t>(sheet.Right) - sheet.Left;
        std::int64_t height = static_cast<std::int64_t>(sheet.Bottom) - sheet.Top;
        if (const char* v = value("X"))
            x = ParseDecimal32(v);
        if (const char* v = value("Y"))
            y = ParseDecimal32(v);
        if (const char* v = value("Width"))
            width = ParseDecimal32(v);
        if (const char* v = value("Height"))
            height = ParseDecimal32(v);
        sheet.Left = ClampToInt32(x);
        sheet.Top = ClampToInt32(y);
        sheet.Right = ClampToInt32(x + width);
        sheet.Bottom = ClampToInt32(y + height);
        break;
    }
    case Tag::SheetDisplay:
        if (const char* v = value("Bool"))
            Sheet().Hidden = std::strcmp(v, "False") == 0 ? 1 : 0;
        break;
    case Tag::TopWindow:
        SetBool(Sheet().TopWindow, value("Bool"));
        break;
    case Tag::AutoResize:
        SetBool(Sheet().AutoResize, value("Bool"));
        break;
    case Tag::MoveBar:
        SetBool(Sheet().MoveBar, value("Bool"));
        break;
    case Tag::ReadOnly:
        SetBool(Sheet().ReadOnly, value("Bool"));
        break;
    // Fonts: the document's, or the current group's inside GroupProperty.
    case Tag::FontProperty:
        m_hasFont = true;
        break;
    case Tag::Font: {
        FontProperty& font = FontTarget();
        SetText(font.Name, value("Name"));
        SetInt(font.Size, value("Size"));
        if (const char* v = value("Bold"); v != nullptr && std::strcmp(v, "True") == 0)
            font.Flags |= kFontBold;
        if (const char* v = value("Italic"); v != nullptr && std::strcmp(v, "True") == 0)
            font.Flags |= kFontItalic;
        break;
    }
    case Tag::FontColor:
        SetColor(FontTarget().FontColor, value("Color"));
        break;
    case Tag::BackgroundColor:
        SetColor(FontTarget().BackgroundColor, value("Color"));
        break;
    case Tag::FontAttribute:
        SetInt(FontTarget().Flags, value("Flags"));
        break;
    // Network.
    case Tag::NetworkProperty:
        m_hasNetwork = true;
        break;
    case Tag::AcceptConnection:
        SetBool(Network().AcceptConnection, value("Bool"));
        break;
    case Tag::EnableUPnP:
        SetBool(Network().EnableUPnP, value("Bool"));
        break;
    case Tag::ConfirmReceive:
        SetBool(Network().ConfirmReceive, value("Bool"));
        break;
    case Tag::ConfirmExpire:
        SetInt(Network().ConfirmExpire, value("Time"));
        break;
    case Tag::ReceiveChannel:
        SetText(Network().Address, value("Address"));
        if (const char* v = value("Port"))
            Network().Port = static_cast<std::uint16_t>(static_cast<std::uint32_t>(ParseDecimal32(v)) & 0xFFFF);
        break;
    case Tag::AcceptTransfer: {
        NetworkProperty& network = Network();
        const char* v = value("Bool");
        SetBool(network.AcceptTransfer, v);
        if (network.AcceptTransfer == 1 && v != nullptr) {
            SetText(network.User, value("User"));
            SetText(network.Passwd, value("Passwd"));
        }
        break;
    }
    case Tag::AllowAll:
        SetBool(Network().AllowAll, value("Bool"));
        break;
    case Tag::NetworkInfo: {
        NetworkInfo info;
        SetText(info.Network, value("Network"));
        SetText(info.Mask, value("Mask"));
        Network().NetworkInfoList.push_back(info);
        break;
    }
    // Reminder.
    case Tag::InformProperty:
        m_hasInform = true;
        Inform().Enabled = 1;
        break;
    case Tag::InformBy: {
        InformProperty& inform = Inform();
        if (const char* v = value("Method")) {
            inform.ByDate = std::strcmp(v, "Date") == 0 ? 1 : 0;
            inform.ByTime = inform.ByDate ? 0 : 1;
        }
        SetTime(inform.FireTime, value("Param"));
        SetTime(inform.StartTime, value("StartDate"));
        break;
    }
    case Tag::InformSound:
        SetBool(Inform().Sound, value("Bool"));
        SetText(Inform().WavePath, value("WavePath"));
        break;
    case Tag::InformTopmost:
        SetBool(Inform().Topmost, value("Bool"));
        break;
    case Tag::InformRepeat:
        SetBool(Inform().Repeat, value("Bool"));
        SetInt(Inform().Cycle, value("Cycle"));
        break;
    // Groups.
    case Tag::GroupList:
        m_hasGroupList = true;
        break;
    case Tag::ChangeGroupProp:
        if (const char* v = value("Bool"))
            m_groups.SetChangeGroupProp(std::strcmp(v, "True") == 0 ? 1 : 0);
        break;
    case Tag::ChangeEntireMessage:
        if (const char* v = value("Bool"))
            m_groups.SetChangeEntireMessage(std::strcmp(v, "True") == 0 ? 1 : 0);
        break;
    case Tag::Group: {
        KeepUnendedGroupProperty();
        const char* v = value("Name");
        m_groupName = v != nullptr ? Unescaped(v) : std::string();
        m_groupMembers.clear();
        // The list moves into the group table at the end tag; groups are small.
        m_groupMembers.reserve(8);
        m_inGroup = true;
        break;
    }
    case Tag::Element:
        // A member outside any group has nowhere to go.
        if (m_inGroup) {
            GroupMember member;
            if (const char* v = value("ID"))
                member.ID = ParseDecimal32(v);
            if (const char* v = value("Name"))
                member.Title = Unescaped(v);
            m_groupMembers.push_back(std::move(member));
        }
        break;
    case Tag::GroupProperty:
        m_inGroupProperty = true;
        break;
    case Tag::Message:
        m_inMessage = true;
        break;
    case Tag::Other:
        break;
    }
}

void CPropParser::CPropertyHandler::endElement(const char* name) {
    // Only three names matter here; most end tags are ruled out by their first byte.
    if (name[0] != 'M' && name[0] != 'G')
        return;
    switch (TagOf(name)) {
    case Tag::Message:
        m_inMessage = false;
        break;
    case Tag::GroupProperty:
        m_inGroupProperty = false;
        if (m_inGroup)
            m_groupProperty = m_groupFont;
        break;
    case Tag::Group:
        if (!m_inGroup)
            return;
        // Every group read from a document ends up with a property: its own, or
        // the document's font unless one was recorded for the name before.
        m_groups.SetGroup(std::move(m_groupName), std::move(m_groupMembers),
                          m_groupProperty ? *m_groupProperty : m_font, !m_groupProperty);
        m_groupMembers.clear();
        m_inGroup = false;
        m_groupProperty.reset();
        break;
    default:
        break;
    }
}

void CPropParser::CPropertyHandler::endDocument() {
    KeepUnendedGroupProperty();
}

void CPropParser::CPropertyHandler::KeepUnendedGroupProperty() {
    if (m_inGroup && m_groupProperty)
        m_groups.SetProperty(m_groupName, *m_groupProperty);
    m_groupProperty.reset();
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
    CTextInputStream stream(text, length);
    const int result = parser.parse(&stream);
    if (result != CSimpleXMLParser::kParsed)
        return result;

    if (handler.m_hasApplication) {
        m_application = handler.Application();
        m_hasApplication = true;
    }
    if (handler.m_hasSheet) {
        m_sheet = handler.Sheet();
        m_hasSheet = true;
    }
    if (handler.m_hasNetwork) {
        m_network = std::move(handler.Network());
        m_hasNetwork = true;
    }
    if (handler.m_hasInform) {
        m_inform = handler.Inform();
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
