#include "core/note/RtfWriter.h"

#include "core/note/CodePageDecoder.h"
#include "core/note/Utf8.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

namespace {

class CWriter {
public:
    std::string Write(const CStyledText& text);

private:
    struct Current {
        int Font = 0;
        int HalfPoints = 0;
        int Effects = 0;
        int Color = 0; // 0 = automatic
    };

    int FontIndex(const std::string& face);
    int ColorIndex(const std::optional<std::uint32_t>& color);
    void CollectTables(const CStyledText& text);
    void WriteHeader();
    void WriteFormat(const CharFormat& format, bool all);
    void WriteText(std::string_view text);
    void WriteWord(std::string_view word);
    void WriteWord(std::string_view word, int parameter);
    void WriteUnicode(char32_t cp);
    void WriteFontName(std::string_view name);
    void WriteParagraphEnd();
    void EndFallback(bool beforeLiteral);

    std::string m_out;
    bool m_needSpace = false;
    bool m_fallbackPending = false;
    std::vector<std::string> m_fonts;
    std::map<std::string, int> m_fontIndex;
    std::vector<std::uint32_t> m_colors;
    std::map<std::uint32_t, int> m_colorIndex;
    Current m_current;
    Alignment m_align = Alignment::Left;
};

// Text as valid UTF-8: bytes that are not UTF-8 are read as Windows-1252, as the reader does.
std::string ValidUtf8(std::string_view text) {
    if (utf8::IsValid(text))
        return std::string(text);
    CCodePageDecoder decoder;
    std::string valid;
    decoder.DecodeUtf8OrLatin1(text, valid);
    return valid;
}

int CWriter::FontIndex(const std::string& face) {
    const auto [found, added] = m_fontIndex.emplace(face, static_cast<int>(m_fonts.size()));
    if (added)
        m_fonts.push_back(face);
    return found->second;
}

int CWriter::ColorIndex(const std::optional<std::uint32_t>& color) {
    if (!color)
        return 0;
    const std::uint32_t rgb = *color & 0xFFFFFF;
    const auto [found, added] = m_colorIndex.emplace(rgb, static_cast<int>(m_colors.size()) + 1);
    if (added)
        m_colors.push_back(rgb);
    return found->second;
}

void CWriter::CollectTables(const CStyledText& text) {
    FontIndex(text.DefaultFormat().FaceName);
    ColorIndex(text.DefaultFormat().Color);
    for (const Paragraph& paragraph : text.Paragraphs()) {
        for (const TextRun& run : paragraph.Runs) {
            FontIndex(run.Format.FaceName);
            ColorIndex(run.Format.Color);
        }
    }
}

void CWriter::WriteHeader() {
    m_out += "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl";
    for (std::size_t i = 0; i < m_fonts.size(); ++i) {
        m_out += "{\\f" + std::to_string(i) + "\\fnil\\fcharset0 ";
        WriteFontName(m_fonts[i]);
        EndFallback(false);
        m_out += ";}";
    }
    m_out += "}\r\n{\\colortbl ;";
    for (std::uint32_t rgb : m_colors) {
        m_out += "\\red" + std::to_string(rgb & 0xFF) + "\\green" + std::to_string((rgb >> 8) & 0xFF) + "\\blue" +
                 std::to_string((rgb >> 16) & 0xFF) + ";";
    }
    m_out += "}\r\n\\viewkind4\\uc1\\pard";
}

// The '?' after \uN. Before a literal character it is written as \'3f: readers
// that take "?text" for one token (unrtf) would otherwise drop the text.
void CWriter::EndFallback(bool beforeLiteral) {
    if (!m_fallbackPending)
        return;
    m_fallbackPending = false;
    m_out += beforeLiteral ? "\\'3f" : "?";
}

void CWriter::WriteWord(std::string_view word) {
    EndFallback(false);
    m_out += '\\';
    m_out += word;
    m_needSpace = true;
}

void CWriter::WriteWord(std::string_view word, int parameter) {
    EndFallback(false);
    m_out += '\\';
    m_out += word;
    m_out += std::to_string(parameter);
    m_needSpace = true;
}

void CWriter::WriteFormat(const CharFormat& format, bool all) {
    const int font = FontIndex(format.FaceName);
    const int halfPoints = std::max(format.HalfPoints, 1);
    const int effects = format.EffectFlags();
    const int color = ColorIndex(format.Color);
    if (all || font != m_current.Font)
        WriteWord("f", font);
    if (all || halfPoints != m_current.HalfPoints)
        WriteWord("fs", halfPoints);
    struct Effect {
        int Flag;
        const char* On;
        const char* Off;
    };
    static const Effect kEffects[] = {
        {CharFormat::kBold, "b", "b0"},           {CharFormat::kItalic, "i", "i0"},
        {CharFormat::kUnderline, "ul", "ulnone"}, {CharFormat::kStrikeOut, "strike", "strike0"},
        {CharFormat::kShadow, "shad", "shad0"},   {CharFormat::kEmboss, "embo", "embo0"},
        {CharFormat::kImprint, "impr", "impr0"},
    };
    const int changed = all ? effects : effects ^ m_current.Effects;
    for (const Effect& effect : kEffects) {
        if (changed & effect.Flag)
            WriteWord((effects & effect.Flag) ? effect.On : effect.Off);
    }
    if ((all && color != 0) || (!all && color != m_current.Color))
        WriteWord("cf", color);
    m_current = Current{font, halfPoints, effects, color};
}

void CWriter::WriteUnicode(char32_t cp) {
    const auto unit = [this](std::uint32_t u) {
        EndFallback(false);
        m_out += "\\u";
        // RTF takes the UTF-16 unit as a signed 16-bit number.
        m_out += std::to_string(u > 0x7FFF ? static_cast<int>(u) - 0x10000 : static_cast<int>(u));
        m_fallbackPending = true;
    };
    if (cp >= 0x10000) {
        const std::uint32_t v = cp - 0x10000;
        unit(0xD800 + (v >> 10));
        unit(0xDC00 + (v & 0x3FF));
    } else {
        unit(cp);
    }
    m_needSpace = false;
}

void CWriter::WriteParagraphEnd() {
    EndFallback(false);
    m_out += "\\par\r\n";
    m_needSpace = false;
}

void CWriter::WriteText(std::string_view text) {
    static const char kHex[] = "0123456789abcdef";
    std::size_t pos = 0;
    while (pos < text.size()) {
        char32_t cp;
        if (!utf8::Next(text, pos, cp))
            cp = utf8::kReplacement;
        if (cp == '\r') {
            if (pos < text.size() && text[pos] == '\n')
                ++pos;
            WriteParagraphEnd();
        } else if (cp == '\n') {
            WriteParagraphEnd();
        } else if (cp == '\t') {
            WriteWord("tab");
        } else if (cp == 0) {
            continue;
        } else if (cp < 0x20) {
            EndFallback(false);
            m_out += "\\'";
            m_out += kHex[cp >> 4];
            m_out += kHex[cp & 0xF];
            m_needSpace = false;
        } else if (cp == '\\' || cp == '{' || cp == '}') {
            EndFallback(false);
            m_out += '\\';
            m_out += static_cast<char>(cp);
            m_needSpace = false;
        } else if (cp < 0x80) {
            EndFallback(cp != ' ');
            if (m_needSpace)
                m_out += ' ';
            m_needSpace = false;
            m_out += static_cast<char>(cp);
        } else {
            WriteUnicode(cp);
        }
    }
}

void CWriter::WriteFontName(std::string_view name) {
    static const char kHex[] = "0123456789abcdef";
    const std::string valid = ValidUtf8(name);
    std::size_t pos = 0;
    while (pos < valid.size()) {
        char32_t cp;
        utf8::Next(valid, pos, cp);
        if (cp < 0x20)
            continue; // the reader drops control characters from names
        EndFallback(cp < 0x80 && cp != ' ' && cp != '\\' && cp != '{' && cp != '}' && cp != ';');
        if (cp == '\\' || cp == '{' || cp == '}') {
            m_out += '\\';
            m_out += static_cast<char>(cp);
        } else if (cp == ';') {
            // A literal ';' would end the name.
            m_out += "\\'";
            m_out += kHex[cp >> 4];
            m_out += kHex[cp & 0xF];
        } else if (cp < 0x80) {
            m_out += static_cast<char>(cp);
        } else {
            WriteUnicode(cp);
        }
    }
}

std::string CWriter::Write(const CStyledText& text) {
    CollectTables(text);
    WriteHeader();
    WriteFormat(text.DefaultFormat(), true);
    for (const Paragraph& paragraph : text.Paragraphs()) {
        if (paragraph.Align != m_align) {
            switch (paragraph.Align) {
            case Alignment::Center:
                WriteWord("qc");
                break;
            case Alignment::Right:
                WriteWord("qr");
                break;
            case Alignment::Justify:
                WriteWord("qj");
                break;
            default:
                WriteWord("ql");
                break;
            }
            m_align = paragraph.Align;
        }
        for (const TextRun& run : paragraph.Runs) {
            if (run.Text.empty())
                continue;
            WriteFormat(run.Format, false);
            if (utf8::IsValid(run.Text))
                WriteText(run.Text);
            else
                WriteText(ValidUtf8(run.Text));
        }
        WriteParagraphEnd();
    }
    EndFallback(false);
    m_out += "}";
    return std::move(m_out);
}

} // namespace

std::string CRtfWriter::Write(const CStyledText& text) {
    CWriter writer;
    return writer.Write(text);
}
