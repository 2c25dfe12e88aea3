#include "core/note/RtfReader.h"
#include "core/note/RtfWriter.h"
#include "core/note/StyledText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

CharFormat Format(const std::string& face, int halfPoints) {
    CharFormat format;
    format.FaceName = face;
    format.HalfPoints = halfPoints;
    return format;
}

CStyledText RoundTrip(const CStyledText& document) {
    return CRtfReader::Read(CRtfWriter::Write(document), document.DefaultFormat());
}

bool IsAscii(const std::string& text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

TEST(RtfRoundTrip, EveryFormatAndAlignmentSurvives) {
    const CharFormat base = Format("Arial", 20);
    CStyledText document(base);

    Paragraph& effects = document.AddParagraph();
    int flag = 1;
    for (const char* name : {"bold", "italic", "strike", "underline", "shadow", "emboss", "imprint"}) {
        CharFormat format = base;
        format.SetEffectFlags(flag);
        effects.Runs.push_back({std::string(name) + " ", format});
        effects.Runs.push_back({"plain ", base});
        flag <<= 1;
    }
    CharFormat all = base;
    all.SetEffectFlags(127);
    effects.Runs.push_back({"all", all});

    Paragraph& faces = document.AddParagraph(Alignment::Center);
    faces.Runs.push_back({"ten and a half ", Format("Arial", 21)});
    faces.Runs.push_back({"times ", Format("Times New Roman", 48)});
    CharFormat red = base;
    red.Color = 0x0000FF;
    CharFormat blue = base;
    blue.Color = 0xFF0000;
    CharFormat black = base;
    black.Color = 0x000000;
    faces.Runs.push_back({"red ", red});
    faces.Runs.push_back({"auto ", base});
    faces.Runs.push_back({"blue ", blue});
    faces.Runs.push_back({"black", black});

    document.AddParagraph(Alignment::Right).Runs.push_back({"right", base});
    document.AddParagraph(Alignment::Justify).Runs.push_back({"justified", base});
    document.AddParagraph(Alignment::Left).Runs.push_back({"left", base});

    EXPECT_EQ(RoundTrip(document), document);

    // The format bits are the note font's Flags values.
    EXPECT_EQ(all.EffectFlags(), 127);
    CharFormat underlined;
    underlined.SetEffectFlags(CharFormat::kUnderline);
    EXPECT_TRUE(underlined.Underline);
    EXPECT_EQ(underlined.EffectFlags(), 8);
}

TEST(RtfRoundTrip, OutputIsStableAndAscii) {
    CStyledText document(Format("ＭＳ 明朝", 18));
    CharFormat bold = document.DefaultFormat();
    bold.Bold = true;
    bold.Color = 0x123456;
    document.AddParagraph().Runs = {{"café ", document.DefaultFormat()}, {"こんにちは", bold}};
    const CStyledText copy = document;

    const std::string first = CRtfWriter::Write(document);
    EXPECT_EQ(CRtfWriter::Write(copy), first);
    EXPECT_TRUE(IsAscii(first));
    EXPECT_EQ(first.rfind("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 ", 0), 0u);
    EXPECT_NE(first.find("\\red86\\green52\\blue18;"), std::string::npos);
    // Writing what was read gives the same bytes again.
    EXPECT_EQ(CRtfWriter::Write(CRtfReader::Read(first, document.DefaultFormat())), first);
}

TEST(RtfRoundTrip, MixedScriptsAndSpecialCharacters) {
    CStyledText document(Format("ＭＳ 明朝", 24));
    const CharFormat base = document.DefaultFormat();
    document.AddParagraph().Runs.push_back({"Crème brûlée, naïve façade, Ærøskøbing, Łódź", base});
    document.AddParagraph().Runs.push_back({"こんにちは、世界。日本語のテキスト", Format("メイリオ", 24)});
    document.AddParagraph().Runs.push_back({"emoji 😀👍🏽 and 𝄞 outside the BMP", base});
    document.AddParagraph().Runs.push_back({"\\back{slash} ; \tab  two  spaces ", base});
    document.AddParagraph().Runs.push_back({"12 digits after a word", Format("Odd;Face{}\\", 25)});
    document.AddParagraph().Runs.push_back({"Ω≈ç√∫ \u00A0nbsp \uFFFD", base});

    const std::string rtf = CRtfWriter::Write(document);
    EXPECT_TRUE(IsAscii(rtf));
    // U+1F600 as a surrogate pair of signed 16-bit numbers.
    EXPECT_NE(rtf.find("\\u-10179?\\u-8704?"), std::string::npos);
    EXPECT_EQ(RoundTrip(document), document);
}

TEST(RtfRoundTrip, EmptyDocumentsAndTrailingParagraphs) {
    const CharFormat base = Format("Arial", 20);

    CStyledText empty(base);
    EXPECT_EQ(RoundTrip(empty), empty);
    EXPECT_TRUE(RoundTrip(empty).IsEmpty());

    CStyledText oneEmptyLine(base);
    oneEmptyLine.AddParagraph();
    EXPECT_EQ(RoundTrip(oneEmptyLine), oneEmptyLine);

    // Empty lines before, between and after text are kept as written.
    CStyledText lines = CStyledText::FromPlainText("\n\na\n\nb\n", base);
    ASSERT_EQ(lines.Paragraphs().size(), 6u);
    EXPECT_EQ(RoundTrip(lines), lines);
    EXPECT_EQ(RoundTrip(lines).PlainText(), "\n\na\n\nb\n");

    // The last \par ends the last paragraph; text after it is one more.
    EXPECT_EQ(CRtfReader::Read("{\\rtf1 a\\par}").Paragraphs().size(), 1u);
    EXPECT_EQ(CRtfReader::Read("{\\rtf1 a}").Paragraphs().size(), 1u);
    EXPECT_EQ(CRtfReader::Read("{\\rtf1 a\\par\\par}").PlainText(), "a\n");
    EXPECT_EQ(CRtfReader::Read("{\\rtf1 a\\par b}").PlainText(), "a\nb");
    // Formatting after the last \par makes no paragraph.
    EXPECT_EQ(CRtfReader::Read("{\\rtf1 a\\par\\b\\i0\\cf0 }").Paragraphs().size(), 1u);
}

TEST(RtfRoundTrip, LineEndsInsideRunsBecomeParagraphs) {
    const CharFormat base = Format("Arial", 20);
    CStyledText document(base);
    document.AddParagraph(Alignment::Center).Runs.push_back({"one\ntwo\r\nthree\rfour", base});
    const CStyledText read = RoundTrip(document);
    ASSERT_EQ(read.Paragraphs().size(), 4u);
    EXPECT_EQ(read.PlainText(), "one\ntwo\nthree\nfour");
    for (const Paragraph& paragraph : read.Paragraphs())
        EXPECT_EQ(paragraph.Align, Alignment::Center);
}

TEST(RtfRoundTrip, InvalidUtf8InTheModelIsWrittenAsWindows1252) {
    const CharFormat base = Format("Arial", 20);
    CStyledText document(base);
    document.AddParagraph().Runs.push_back({std::string("caf\xE9 \x80", 6), base});
    EXPECT_EQ(RoundTrip(document).PlainText(), "café €");
}

TEST(StyledText, PlainTextConversions) {
    const CharFormat base = Format("Arial", 20);
    EXPECT_TRUE(CStyledText::FromPlainText("", base).IsEmpty());

    const CStyledText text = CStyledText::FromPlainText(std::string("a\r\nb\rc\n\nd\0e", 11), base);
    ASSERT_EQ(text.Paragraphs().size(), 5u);
    EXPECT_EQ(text.PlainText(), "a\nb\nc\n\nde");
    EXPECT_TRUE(text.Paragraphs()[3].Runs.empty());
    EXPECT_EQ(text.Paragraphs()[0].Runs[0].Format, base);
    EXPECT_EQ(text.DefaultFormat(), base);

    CStyledText built(base);
    CharFormat bold = base;
    bold.Bold = true;
    built.AppendText("a", base);
    built.AppendText("b", base);
    built.AppendText("", bold);
    built.AppendText("c", bold);
    ASSERT_EQ(built.Paragraphs().size(), 1u);
    ASSERT_EQ(built.Paragraphs()[0].Runs.size(), 2u);
    EXPECT_EQ(built.Paragraphs()[0].Runs[0].Text, "ab");

    built.Paragraphs()[0].Runs.insert(built.Paragraphs()[0].Runs.begin() + 1, {TextRun{"", bold}, TextRun{"x", base}});
    built.Normalize();
    ASSERT_EQ(built.Paragraphs()[0].Runs.size(), 2u);
    EXPECT_EQ(built.Paragraphs()[0].Runs[0].Text, "abx");
}

} // namespace
