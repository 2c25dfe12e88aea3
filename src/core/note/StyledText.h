#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// The rich text of a note as the RTF codec sees it: paragraphs of runs, each
// run with one character format. Text is UTF-8.

enum class Alignment { Left, Center, Right, Justify };

struct CharFormat {
    // FontProperty Flags values of the effects.
    static constexpr int kBold = 1;
    static constexpr int kItalic = 2;
    static constexpr int kStrikeOut = 4;
    static constexpr int kUnderline = 8;
    static constexpr int kShadow = 16;
    static constexpr int kEmboss = 32;
    static constexpr int kImprint = 64;
    // RTF's own default size, 12 pt.
    static constexpr int kDefaultHalfPoints = 24;

    std::string FaceName;
    int HalfPoints = kDefaultHalfPoints; // 2 x points, so 10.5 pt is 21
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    bool Shadow = false;
    bool Emboss = false;
    bool Imprint = false;
    std::optional<std::uint32_t> Color; // COLORREF 0x00BBGGRR; none = automatic

    // The effects as FontProperty Flags, and back (unknown bits are ignored).
    int EffectFlags() const;
    void SetEffectFlags(int flags);

    bool operator==(const CharFormat&) const = default;
};

struct TextRun {
    std::string Text;
    CharFormat Format;
    bool operator==(const TextRun&) const = default;
};

struct Paragraph {
    Alignment Align = Alignment::Left;
    std::vector<TextRun> Runs;

    std::string PlainText() const;
    bool operator==(const Paragraph&) const = default;
};

// A document: the default character format (what unformatted text gets: the
// note's own font) and its paragraphs. A document without paragraphs is empty;
// a paragraph without runs is an empty line. Runs never hold line ends.
class CStyledText {
public:
    CStyledText() = default;
    explicit CStyledText(CharFormat defaultFormat) : m_defaultFormat(std::move(defaultFormat)) {}

    // Splits text at LF, CR LF and CR into left-aligned paragraphs of one run in
    // the format. NUL characters are dropped; "" gives an empty document.
    static CStyledText FromPlainText(const std::string& text, const CharFormat& format);

    // The paragraphs joined with "\n".
    std::string PlainText() const;

    const CharFormat& DefaultFormat() const { return m_defaultFormat; }
    void SetDefaultFormat(const CharFormat& format) { m_defaultFormat = format; }

    const std::vector<Paragraph>& Paragraphs() const { return m_paragraphs; }
    std::vector<Paragraph>& Paragraphs() { return m_paragraphs; }
    bool IsEmpty() const { return m_paragraphs.empty(); }

    // Starts a new paragraph at the end.
    Paragraph& AddParagraph(Alignment align = Alignment::Left);
    // Appends text to the last paragraph (starting one when there is none),
    // extending its last run when the format is the same. Empty text is ignored.
    void AppendText(const std::string& text, const CharFormat& format);

    // Drops empty runs and merges neighbouring runs of equal format.
    void Normalize();

    bool operator==(const CStyledText&) const = default;

private:
    CharFormat m_defaultFormat;
    std::vector<Paragraph> m_paragraphs;
};
