#include "core/note/RtfReader.h"

#include "core/note/CodePageDecoder.h"
#include "core/note/Utf8.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

enum class Destination : std::uint8_t { Text, FontTable, ColorTable, Skip };

// clang-format off
enum class Word {
    // document
    Ansi, AnsiCodePage, Mac, Pc, Pca, DefaultFont, UnicodeSkip, Unicode,
    // destinations
    FontTable, ColorTable, SkipDestination,
    // font and colour tables
    Charset, FontCodePage, Red, Green, Blue,
    // character format
    Plain, Font, FontSize, Bold, Italic, Underline, UnderlineNone, StrikeOut, Shadow, Emboss, Imprint, Color,
    // paragraph
    ParagraphDefault, AlignLeft, AlignCenter, AlignRight, AlignJustify,
    // text
    ParagraphBreak, Tab, Character,
};
// clang-format on

struct WordInfo {
    Word Kind;
    char32_t Character = 0; // for Word::Character
};

const std::unordered_map<std::string_view, WordInfo>& Words() {
    static const std::unordered_map<std::string_view, WordInfo> words = [] {
        std::unordered_map<std::string_view, WordInfo> w;
        w["ansi"] = {Word::Ansi};
        w["ansicpg"] = {Word::AnsiCodePage};
        w["mac"] = {Word::Mac};
        w["pc"] = {Word::Pc};
        w["pca"] = {Word::Pca};
        w["deff"] = {Word::DefaultFont};
        w["uc"] = {Word::UnicodeSkip};
        w["u"] = {Word::Unicode};
        w["fonttbl"] = {Word::FontTable};
        w["colortbl"] = {Word::ColorTable};
        // Destinations whose text is never shown.
        // clang-format off
        for (const char* name : {
                 "info", "stylesheet", "pict", "header", "headerl", "headerr", "headerf", "footer", "footerl",
                 "footerr", "footerf", "footnote", "annotation", "atnid", "atnauthor", "object", "objdata", "fldinst",
                 "xe", "tc", "txe", "rxe", "bkmkstart", "bkmkend", "listtable", "listoverridetable", "revtbl",
                 "rsidtbl", "filetbl", "latentstyles", "themedata", "colorschememapping", "datastore", "xmlnstbl",
                 "generator", "author", "operator", "title", "subject", "keywords", "comment", "doccomm", "company",
                 "category", "manager", "hlinkbase", "creatim", "revtim", "printim", "buptim", "template", "private",
                 "nonshppict", "shp", "shpinst", "sp", "sn", "sv", "pntxta", "pntxtb", "docvar", "userprops",
                 "pgdsctbl", "mmathPr", "protusertbl", "passwordhash"})
            // clang-format on
            w[name] = {Word::SkipDestination};
        w["fcharset"] = {Word::Charset};
        w["cpg"] = {Word::FontCodePage};
        w["red"] = {Word::Red};
        w["green"] = {Word::Green};
        w["blue"] = {Word::Blue};
        w["plain"] = {Word::Plain};
        w["f"] = {Word::Font};
        w["fs"] = {Word::FontSize};
        w["b"] = {Word::Bold};
        w["i"] = {Word::Italic};
        for (const char* name :
             {"ul", "uld", "uldb", "uldash", "uldashd", "uldashdd", "ulhair", "ulhwave", "ulldash", "ulth", "ulthd",
              "ulthdash", "ulthdashd", "ulthdashdd", "ulthldash", "ululdbwave", "ulw", "ulwave"})
            w[name] = {Word::Underline};
        w["ulnone"] = {Word::UnderlineNone};
        w["strike"] = {Word::StrikeOut};
        w["striked"] = {Word::StrikeOut};
        w["shad"] = {Word::Shadow};
        w["embo"] = {Word::Emboss};
        w["impr"] = {Word::Imprint};
        w["cf"] = {Word::Color};
        w["pard"] = {Word::ParagraphDefault};
        w["ql"] = {Word::AlignLeft};
        w["qc"] = {Word::AlignCenter};
        w["qr"] = {Word::AlignRight};
        w["qj"] = {Word::AlignJustify};
        w["qd"] = {Word::AlignJustify};
        for (const char* name : {"par", "line", "page", "sect", "row"})
            w[name] = {Word::ParagraphBreak};
        for (const char* name : {"tab", "cell", "nestcell"})
            w[name] = {Word::Tab};
        const std::pair<const char*, char32_t> characters[] = {
            {"emdash", 0x2014},    {"endash", 0x2013},    {"bullet", 0x2022},  {"lquote", 0x2018},  {"rquote", 0x2019},
            {"ldblquote", 0x201C}, {"rdblquote", 0x201D}, {"emspace", 0x2003}, {"enspace", 0x2002}, {"qmspace", 0x2005},
            {"zwj", 0x200D},       {"zwnj", 0x200C},      {"ltrmark", 0x200E}, {"rtlmark", 0x200F}, {"zwbo", 0x200B},
        };
        for (const auto& [name, character] : characters)
            w[name] = {Word::Character, character};
        return w;
    }();
    return words;
}

struct FontEntry {
    std::string Name;
    int Charset = -1;
    int CodePage = 0;
};

// What a group saves and restores.
struct State {
    Destination Dest = Destination::Text;
    Alignment Align = Alignment::Left;
    int Font = -1; // -1: the \deff font
    int HalfPoints = CharFormat::kDefaultHalfPoints;
    int Effects = 0; // CharFormat effect flags
    int Color = -1;  // colour-table index; -1 automatic
    int UnicodeSkip = 1;
};

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

class CParser {
public:
    CParser(std::string_view data, const CharFormat& base) : m_data(data), m_base(base) {
        m_state.HalfPoints = base.HalfPoints;
    }

    CStyledText Run();

private:
    // Tokens
    void ControlSequence();
    void ControlWord(std::string_view name, bool hasParameter, int parameter);
    void OpenGroup();
    bool CloseGroup();
    bool ConsumeSkip();

    // Text
    void AppendByte(char byte);
    void DropHighSurrogate();
    void AppendCodePoint(char32_t cp);
    void AppendUnicode(int value);
    void FlushBytes();
    void FlushRun();
    void Flush();
    void BreakParagraph();
    void FinishDocument();

    // Tables
    void CommitFontName();
    void CommitColor();

    int CodePageOfText() const;
    const FontEntry* FindFont(int index) const;
    CharFormat CurrentFormat() const;
    void SetEffect(int flag, bool hasParameter, int parameter);

    std::string_view m_data;
    std::size_t m_pos = 0;
    CharFormat m_base;
    CCodePageDecoder m_decoder;

    State m_state;
    std::vector<State> m_stack;
    int m_flattened = 0; // groups opened past the depth limit
    int m_skipCount = 0; // fallback characters still to skip after \uN
    char16_t m_highSurrogate = 0;

    int m_ansiCodePage = CCodePageDecoder::kWindowsLatin1;
    int m_defaultFont = 0; // RTF assumes \deff0
    std::map<int, FontEntry> m_fonts;
    int m_fontEntry = -1; // font being defined in the table
    bool m_fontNameOpen = false;
    std::string m_fontName;
    std::vector<std::optional<std::uint32_t>> m_colors;
    int m_red = 0, m_green = 0, m_blue = 0;
    bool m_colorSet = false;

    std::string m_bytes; // code-page bytes not yet decoded
    bool m_bytesAscii = true;
    std::string m_text; // decoded text of the run being built
    Paragraph m_paragraph;
    CStyledText m_document;
};

CStyledText CParser::Run() {
    while (m_pos < m_data.size()) {
        const char c = m_data[m_pos];
        if (c == '{') {
            ++m_pos;
            m_skipCount = 0;
            OpenGroup();
        } else if (c == '}') {
            ++m_pos;
            m_skipCount = 0;
            if (!CloseGroup())
                return std::move(m_document);
        } else if (c == '\\') {
            ControlSequence();
        } else if (c == '\r' || c == '\n') {
            ++m_pos;
        } else {
            // A stretch of literal text.
            std::size_t end = m_pos + 1;
            while (end < m_data.size()) {
                const char d = m_data[end];
                if (d == '{' || d == '}' || d == '\\' || d == '\r' || d == '\n')
                    break;
                ++end;
            }
            while (m_pos < end && m_skipCount > 0) {
                --m_skipCount;
                ++m_pos;
            }
            if (m_state.Dest == Destination::ColorTable) {
                for (; m_pos < end; ++m_pos) {
                    if (m_data[m_pos] == ';')
                        CommitColor();
                }
            } else if (m_state.Dest == Destination::FontTable) {
                for (; m_pos < end; ++m_pos) {
                    if (m_data[m_pos] == ';')
                        CommitFontName();
                    else if (m_fontNameOpen)
                        AppendByte(m_data[m_pos]);
                }
            } else if (m_state.Dest == Destination::Text) {
                if (m_pos < end)
                    DropHighSurrogate();
                for (; m_pos < end; ++m_pos) {
                    const char byte = m_data[m_pos];
                    m_bytesAscii = m_bytesAscii && static_cast<unsigned char>(byte) < 0x80;
                    m_bytes += byte;
                }
            }
            m_pos = end;
        }
    }
    // Truncated: keep what was read.
    FinishDocument();
    return std::move(m_document);
}

void CParser::OpenGroup() {
    Flush();
    if (static_cast<int>(m_stack.size()) >= CRtfReader::kMaxGroupDepth) {
        ++m_flattened;
        return;
    }
    m_stack.push_back(m_state);
}

bool CParser::CloseGroup() {
    Flush();
    if (m_flattened > 0) {
        --m_flattened;
        return true;
    }
    if (m_stack.empty())
        return false;
    if (m_state.Dest == Destination::FontTable)
        CommitFontName();
    if (m_state.Dest == Destination::ColorTable && m_colorSet)
        CommitColor();
    if (m_stack.size() == 1) {
        // The document's own group ends here; the last paragraph keeps its alignment.
        FinishDocument();
        return false;
    }
    m_state = m_stack.back();
    m_stack.pop_back();
    return true;
}

bool CParser::ConsumeSkip() {
    if (m_skipCount <= 0)
        return false;
    --m_skipCount;
    return true;
}

void CParser::ControlSequence() {
    // m_data[m_pos] is the backslash.
    if (m_pos + 1 >= m_data.size()) {
        m_pos = m_data.size();
        return;
    }
    const char c = m_data[m_pos + 1];
    if (IsLetter(c)) {
        std::size_t end = m_pos + 1;
        while (end < m_data.size() && IsLetter(m_data[end]))
            ++end;
        const std::string_view name = m_data.substr(m_pos + 1, end - m_pos - 1);
        bool hasParameter = false;
        bool negative = false;
        long long value = 0;
        if (end + 1 < m_data.size() && m_data[end] == '-' && IsDigit(m_data[end + 1])) {
            negative = true;
            ++end;
        }
        while (end < m_data.size() && IsDigit(m_data[end])) {
            hasParameter = true;
            value = std::min<long long>(value * 10 + (m_data[end] - '0'), CRtfReader::kMaxParameter);
            ++end;
        }
        if (end < m_data.size() && m_data[end] == ' ')
            ++end;
        m_pos = end;
        const int parameter = static_cast<int>(negative ? -value : value);
        if (name.size() > CRtfReader::kMaxControlWordLength)
            return;
        // \bin data is raw bytes even in a skipped destination or a fallback.
        if (name == "bin") {
            Flush();
            if (hasParameter && parameter > 0)
                m_pos += std::min<std::size_t>(static_cast<std::size_t>(parameter), m_data.size() - m_pos);
            ConsumeSkip();
            return;
        }
        if (ConsumeSkip())
            return;
        ControlWord(name, hasParameter, parameter);
        return;
    }

    m_pos += 2;
    if (c == '\'') {
        int value = 0;
        int digits = 0;
        while (digits < 2 && m_pos < m_data.size() && HexValue(m_data[m_pos]) >= 0) {
            value = value * 16 + HexValue(m_data[m_pos]);
            ++m_pos;
            ++digits;
        }
        if (ConsumeSkip() || digits < 2)
            return;
        if (m_state.Dest == Destination::Text || (m_state.Dest == Destination::FontTable && m_fontNameOpen))
            AppendByte(static_cast<char>(value));
        return;
    }
    if (ConsumeSkip())
        return;
    switch (c) {
    case '\\':
    case '{':
    case '}':
        if (m_state.Dest == Destination::Text || (m_state.Dest == Destination::FontTable && m_fontNameOpen))
            AppendByte(c);
        return;
    case '*':
        // An ignorable destination: none of them carries text we show.
        Flush();
        if (m_stack.size() > 1)
            m_state.Dest = Destination::Skip;
        return;
    case '~':
        AppendCodePoint(0x00A0);
        return;
    case '_':
        AppendCodePoint(0x2011);
        return;
    case '\r':
    case '\n':
        ControlWord("par", false, 0);
        return;
    case '\t':
        ControlWord("tab", false, 0);
        return;
    default:
        // \- (optional hyphen), \| and \: (index entries) and unknown symbols show nothing.
        Flush();
        return;
    }
}

void CParser::ControlWord(std::string_view name, bool hasParameter, int parameter) {
    const auto& words = Words();
    const auto found = words.find(name);
    if (found == words.end()) {
        Flush();
        return;
    }
    const WordInfo& info = found->second;
    if (m_state.Dest == Destination::Skip)
        return;

    // Text-producing words collect into the pending text without a flush.
    switch (info.Kind) {
    case Word::Unicode:
        AppendUnicode(parameter);
        m_skipCount = m_state.UnicodeSkip;
        return;
    case Word::Character:
        AppendCodePoint(info.Character);
        return;
    case Word::Tab:
        AppendCodePoint('\t');
        return;
    default:
        break;
    }

    Flush();
    switch (info.Kind) {
    case Word::Ansi:
        m_ansiCodePage = CCodePageDecoder::kWindowsLatin1;
        return;
    case Word::AnsiCodePage:
        if (hasParameter && parameter > 0)
            m_ansiCodePage = parameter;
        return;
    case Word::Mac:
        m_ansiCodePage = 10000;
        return;
    case Word::Pc:
        m_ansiCodePage = 437;
        return;
    case Word::Pca:
        m_ansiCodePage = 850;
        return;
    case Word::DefaultFont:
        if (hasParameter)
            m_defaultFont = parameter;
        return;
    case Word::UnicodeSkip:
        if (hasParameter)
            m_state.UnicodeSkip = std::clamp(parameter, 0, 255);
        return;
    case Word::FontTable:
        if (m_stack.size() > 1) {
            m_state.Dest = Destination::FontTable;
            m_fontNameOpen = false;
        }
        return;
    case Word::ColorTable:
        if (m_stack.size() > 1) {
            m_state.Dest = Destination::ColorTable;
            m_colorSet = false;
            m_red = m_green = m_blue = 0;
        }
        return;
    case Word::SkipDestination:
        if (m_stack.size() > 1)
            m_state.Dest = Destination::Skip;
        return;
    default:
        break;
    }

    if (m_state.Dest == Destination::FontTable) {
        switch (info.Kind) {
        case Word::Font:
            CommitFontName();
            if (hasParameter) {
                m_fontEntry = parameter;
                m_fonts[parameter] = FontEntry();
                m_fontNameOpen = true;
            }
            return;
        case Word::Charset:
            if (m_fontNameOpen && hasParameter)
                m_fonts[m_fontEntry].Charset = parameter;
            return;
        case Word::FontCodePage:
            if (m_fontNameOpen && hasParameter && parameter > 0)
                m_fonts[m_fontEntry].CodePage = parameter;
            return;
        default:
            return;
        }
    }
    if (m_state.Dest == Destination::ColorTable) {
        const int component = std::clamp(parameter, 0, 255);
        switch (info.Kind) {
        case Word::Red:
            m_red = component;
            m_colorSet = true;
            return;
        case Word::Green:
            m_green = component;
            m_colorSet = true;
            return;
        case Word::Blue:
            m_blue = component;
            m_colorSet = true;
            return;
        default:
            return;
        }
    }

    switch (info.Kind) {
    case Word::Plain:
        m_state.Font = -1;
        m_state.HalfPoints = m_base.HalfPoints;
        m_state.Effects = 0;
        m_state.Color = -1;
        return;
    case Word::Font:
        if (hasParameter)
            m_state.Font = parameter;
        return;
    case Word::FontSize:
        if (!hasParameter)
            m_state.HalfPoints = CharFormat::kDefaultHalfPoints;
        else if (parameter > 0)
            m_state.HalfPoints = parameter;
        return;
    case Word::Bold:
        SetEffect(CharFormat::kBold, hasParameter, parameter);
        return;
    case Word::Italic:
        SetEffect(CharFormat::kItalic, hasParameter, parameter);
        return;
    case Word::Underline:
        SetEffect(CharFormat::kUnderline, hasParameter, parameter);
        return;
    case Word::UnderlineNone:
        m_state.Effects &= ~CharFormat::kUnderline;
        return;
    case Word::StrikeOut:
        SetEffect(CharFormat::kStrikeOut, hasParameter, parameter);
        return;
    case Word::Shadow:
        SetEffect(CharFormat::kShadow, hasParameter, parameter);
        return;
    case Word::Emboss:
        SetEffect(CharFormat::kEmboss, hasParameter, parameter);
        return;
    case Word::Imprint:
        SetEffect(CharFormat::kImprint, hasParameter, parameter);
        return;
    case Word::Color:
        m_state.Color = hasParameter ? parameter : -1;
        return;
    case Word::ParagraphDefault:
        m_state.Align = Alignment::Left;
        return;
    case Word::AlignLeft:
        m_state.Align = Alignment::Left;
        return;
    case Word::AlignCenter:
        m_state.Align = Alignment::Center;
        return;
    case Word::AlignRight:
        m_state.Align = Alignment::Right;
        return;
    case Word::AlignJustify:
        m_state.Align = Alignment::Justify;
        return;
    case Word::ParagraphBreak:
        if (m_state.Dest == Destination::Text)
            BreakParagraph();
        return;
    default:
        return;
    }
}

void CParser::SetEffect(int flag, bool hasParameter, int parameter) {
    if (!hasParameter || parameter != 0)
        m_state.Effects |= flag;
    else
        m_state.Effects &= ~flag;
}

void CParser::DropHighSurrogate() {
    if (m_highSurrogate == 0)
        return;
    m_highSurrogate = 0;
    FlushBytes();
    if (m_state.Dest == Destination::Text)
        utf8::Append(m_text, utf8::kReplacement);
    else if (m_state.Dest == Destination::FontTable && m_fontNameOpen)
        utf8::Append(m_fontName, utf8::kReplacement);
}

void CParser::AppendByte(char byte) {
    DropHighSurrogate();
    m_bytesAscii = m_bytesAscii && static_cast<unsigned char>(byte) < 0x80;
    m_bytes += byte;
}

void CParser::AppendUnicode(int value) {
    if (value < 0)
        value += 65536;
    if (value < 0 || value > 0x10FFFF) {
        AppendCodePoint(utf8::kReplacement);
        return;
    }
    const auto cp = static_cast<char32_t>(value);
    if (cp >= 0xDC00 && cp <= 0xDFFF && m_highSurrogate != 0) {
        const char32_t high = m_highSurrogate;
        m_highSurrogate = 0;
        AppendCodePoint(0x10000 + ((high - 0xD800) << 10) + (cp - 0xDC00));
        return;
    }
    if (cp >= 0xD800 && cp <= 0xDBFF) {
        DropHighSurrogate();
        FlushBytes();
        m_highSurrogate = static_cast<char16_t>(cp);
        return;
    }
    AppendCodePoint(cp); // a lone low surrogate becomes U+FFFD there
}

void CParser::AppendCodePoint(char32_t cp) {
    if (m_state.Dest == Destination::Skip || m_state.Dest == Destination::ColorTable)
        return;
    if (m_state.Dest == Destination::FontTable && !m_fontNameOpen)
        return;
    DropHighSurrogate();
    FlushBytes();
    std::string& target = m_state.Dest == Destination::FontTable ? m_fontName : m_text;
    if (cp == 0 || cp == '\r' || cp == '\n')
        return;
    utf8::Append(target, cp);
}

void CParser::FlushBytes() {
    if (m_bytes.empty())
        return;
    const bool font = m_state.Dest == Destination::FontTable;
    std::string& target = font ? m_fontName : m_text;
    const std::size_t start = target.size();
    if (m_bytesAscii) {
        target += m_bytes;
    } else {
        int codePage = 0;
        if (font && m_fontNameOpen) {
            const FontEntry& entry = m_fonts[m_fontEntry];
            codePage = entry.CodePage > 0 ? entry.CodePage : CCodePageDecoder::CodePageOfCharset(entry.Charset);
        } else if (!font) {
            codePage = CodePageOfText();
        }
        if (codePage == 0)
            codePage = m_ansiCodePage;
        m_decoder.Decode(codePage, m_bytes, target);
    }
    m_bytes.clear();
    m_bytesAscii = true;
    // Line ends and NULs never live inside a run: paragraphs carry the breaks.
    target.erase(std::remove_if(target.begin() + static_cast<std::ptrdiff_t>(start), target.end(),
                                [](char c) { return c == '\0' || c == '\r' || c == '\n'; }),
                 target.end());
}

void CParser::FlushRun() {
    if (m_text.empty())
        return;
    CharFormat format = CurrentFormat();
    if (!m_paragraph.Runs.empty() && m_paragraph.Runs.back().Format == format)
        m_paragraph.Runs.back().Text += m_text;
    else
        m_paragraph.Runs.push_back(TextRun{std::move(m_text), std::move(format)});
    m_text.clear();
}

void CParser::Flush() {
    DropHighSurrogate();
    FlushBytes();
    if (m_state.Dest == Destination::Text)
        FlushRun();
}

void CParser::BreakParagraph() {
    m_paragraph.Align = m_state.Align;
    m_document.Paragraphs().push_back(std::move(m_paragraph));
    m_paragraph = Paragraph();
}

void CParser::FinishDocument() {
    Flush();
    if (m_state.Dest == Destination::FontTable)
        CommitFontName();
    if (!m_paragraph.Runs.empty())
        BreakParagraph();
    CharFormat defaultFormat = m_base;
    if (const FontEntry* font = FindFont(m_defaultFont); font != nullptr && !font->Name.empty())
        defaultFormat.FaceName = font->Name;
    m_document.SetDefaultFormat(defaultFormat);
}

void CParser::CommitFontName() {
    if (!m_fontNameOpen)
        return;
    DropHighSurrogate();
    FlushBytes();
    std::string name;
    name.reserve(m_fontName.size());
    for (char c : m_fontName) {
        if (static_cast<unsigned char>(c) >= 0x20)
            name += c;
    }
    m_fonts[m_fontEntry].Name = std::move(name);
    m_fontName.clear();
    m_fontNameOpen = false;
}

void CParser::CommitColor() {
    if (m_colorSet)
        m_colors.emplace_back(static_cast<std::uint32_t>(m_red) | static_cast<std::uint32_t>(m_green) << 8 |
                              static_cast<std::uint32_t>(m_blue) << 16);
    else
        m_colors.emplace_back(std::nullopt);
    m_red = m_green = m_blue = 0;
    m_colorSet = false;
}

const FontEntry* CParser::FindFont(int index) const {
    const auto found = m_fonts.find(index >= 0 ? index : m_defaultFont);
    return found == m_fonts.end() ? nullptr : &found->second;
}

int CParser::CodePageOfText() const {
    const FontEntry* font = FindFont(m_state.Font);
    if (font == nullptr)
        return 0;
    if (font->CodePage > 0)
        return font->CodePage;
    return CCodePageDecoder::CodePageOfCharset(font->Charset);
}

CharFormat CParser::CurrentFormat() const {
    CharFormat format;
    // A font missing from the table is the \deff font; a font named "" stays unnamed.
    const FontEntry* font = FindFont(m_state.Font);
    if (font == nullptr)
        font = FindFont(m_defaultFont);
    format.FaceName = font != nullptr ? font->Name : m_base.FaceName;
    format.HalfPoints = m_state.HalfPoints;
    format.SetEffectFlags(m_state.Effects);
    if (m_state.Color >= 0 && static_cast<std::size_t>(m_state.Color) < m_colors.size())
        format.Color = m_colors[static_cast<std::size_t>(m_state.Color)];
    return format;
}

std::size_t RtfStart(std::string_view data) {
    std::size_t pos = 0;
    if (data.substr(0, 3) == "\xEF\xBB\xBF")
        pos = 3;
    while (pos < data.size() && (data[pos] == ' ' || data[pos] == '\t' || data[pos] == '\r' || data[pos] == '\n'))
        ++pos;
    return data.substr(pos, 5) == "{\\rtf" ? pos : std::string_view::npos;
}

} // namespace

CStyledText CRtfReader::Read(std::string_view data, const CharFormat& base) {
    const std::size_t start = RtfStart(data);
    if (start == std::string_view::npos) {
        CCodePageDecoder decoder;
        std::string text;
        decoder.DecodeUtf8OrLatin1(data, text);
        return CStyledText::FromPlainText(text, base);
    }
    CParser parser(data.substr(start), base);
    return parser.Run();
}

bool CRtfReader::IsRtf(std::string_view data) {
    return RtfStart(data) != std::string_view::npos;
}
