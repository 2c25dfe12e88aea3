#include "core/note/StyledText.h"

#include <utility>

int CharFormat::EffectFlags() const {
    return (Bold ? kBold : 0) | (Italic ? kItalic : 0) | (StrikeOut ? kStrikeOut : 0) | (Underline ? kUnderline : 0) |
           (Shadow ? kShadow : 0) | (Emboss ? kEmboss : 0) | (Imprint ? kImprint : 0);
}

void CharFormat::SetEffectFlags(int flags) {
    Bold = (flags & kBold) != 0;
    Italic = (flags & kItalic) != 0;
    StrikeOut = (flags & kStrikeOut) != 0;
    Underline = (flags & kUnderline) != 0;
    Shadow = (flags & kShadow) != 0;
    Emboss = (flags & kEmboss) != 0;
    Imprint = (flags & kImprint) != 0;
}

std::string Paragraph::PlainText() const {
    std::string text;
    for (const TextRun& run : Runs)
        text += run.Text;
    return text;
}

CStyledText CStyledText::FromPlainText(const std::string& text, const CharFormat& format) {
    CStyledText document(format);
    if (text.empty())
        return document;
    std::string line;
    const auto endLine = [&] {
        document.AddParagraph();
        if (!line.empty())
            document.m_paragraphs.back().Runs.push_back(TextRun{std::move(line), format});
        line.clear();
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            endLine();
        } else if (c == '\n') {
            endLine();
        } else if (c != '\0') {
            line += c;
        }
    }
    endLine();
    return document;
}

std::string CStyledText::PlainText() const {
    std::string text;
    for (std::size_t i = 0; i < m_paragraphs.size(); ++i) {
        if (i > 0)
            text += '\n';
        for (const TextRun& run : m_paragraphs[i].Runs)
            text += run.Text;
    }
    return text;
}

Paragraph& CStyledText::AddParagraph(Alignment align) {
    m_paragraphs.push_back(Paragraph{align, {}});
    return m_paragraphs.back();
}

void CStyledText::AppendText(const std::string& text, const CharFormat& format) {
    if (text.empty())
        return;
    if (m_paragraphs.empty())
        AddParagraph();
    std::vector<TextRun>& runs = m_paragraphs.back().Runs;
    if (!runs.empty() && runs.back().Format == format)
        runs.back().Text += text;
    else
        runs.push_back(TextRun{text, format});
}

void CStyledText::Normalize() {
    for (Paragraph& paragraph : m_paragraphs) {
        std::vector<TextRun> merged;
        for (TextRun& run : paragraph.Runs) {
            if (run.Text.empty())
                continue;
            if (!merged.empty() && merged.back().Format == run.Format)
                merged.back().Text += run.Text;
            else
                merged.push_back(std::move(run));
        }
        paragraph.Runs = std::move(merged);
    }
}
