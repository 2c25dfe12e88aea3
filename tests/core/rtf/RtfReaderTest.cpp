#include "core/note/RtfReader.h"
#include "core/note/RtfWriter.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

const std::vector<TextRun>& Runs(const CStyledText& document, std::size_t paragraph) {
    static const std::vector<TextRun> none;
    return paragraph < document.Paragraphs().size() ? document.Paragraphs()[paragraph].Runs : none;
}

TEST(RtfReader, JapaneseRichEditNote) {
    const std::string rtf =
        "{\\rtf1\\ansi\\ansicpg932\\deff0\\deflang1033\\deflangfe1041{\\fonttbl{\\f0\\fnil\\fcharset128 "
        "\\'82\\'6c\\'82\\'72 \\'96\\'be\\'92\\'a9;}}{\\colortbl ;\\red255\\green0\\blue0;}\r\n"
        "{\\*\\generator Riched20 10.0.19041}\\viewkind4\\uc1\\pard\\lang1041\\f0\\fs18 "
        "\\'82\\'b1\\'82\\'f1\\'82\\'c9\\'82\\'bf\\'82\\'cd\\par \\cf1\\b bold red\\cf0\\b0\\par }";
    const CStyledText document = CRtfReader::Read(rtf);

    EXPECT_EQ(document.PlainText(), "こんにちは\nbold red");
    EXPECT_EQ(document.DefaultFormat().FaceName, "ＭＳ 明朝");
    ASSERT_EQ(Runs(document, 0).size(), 1u);
    const CharFormat& first = Runs(document, 0)[0].Format;
    EXPECT_EQ(first.FaceName, "ＭＳ 明朝");
    EXPECT_EQ(first.HalfPoints, 18);
    EXPECT_FALSE(first.Bold);
    EXPECT_FALSE(first.Color.has_value());
    ASSERT_EQ(Runs(document, 1).size(), 1u);
    const CharFormat& second = Runs(document, 1)[0].Format;
    EXPECT_TRUE(second.Bold);
    EXPECT_EQ(second.Color, 0x0000FFu);
}

TEST(RtfReader, UnicodeWithFallbacks) {
    // \uc1: one fallback character, even when it is a \'hh.
    EXPECT_EQ(CRtfReader::Read("{\\rtf1\\uc1 caf\\u233\\'e9 ok}").PlainText(), "café ok");
    EXPECT_EQ(CRtfReader::Read("{\\rtf1\\uc1 \\u233?x}").PlainText(), "éx");
    // A double-byte fallback needs \uc2; the skip count is restored with the group.
    EXPECT_EQ(CRtfReader::Read("{\\rtf1\\ansicpg932{\\uc2\\u12371\\'82\\'b1}\\u12435?n}").PlainText(), "こんn");
    // \uc0: nothing to skip.
    EXPECT_EQ(CRtfReader::Read("{\\rtf1\\uc0\\u12371 a}").PlainText(), "こa");
    // Negative values are UTF-16 units; pairs join, lone halves become U+FFFD.
    EXPECT_EQ(CRtfReader::Read("{\\rtf1 \\u-10179?\\u-8704?}").PlainText(), "😀");
    EXPECT_EQ(CRtfReader::Read("{\\rtf1 \\u-10179?x\\u-8704?}").PlainText(), "\uFFFDx\uFFFD");
    EXPECT_EQ(CRtfReader::Read("{\\rtf1 \\u-10179?}").PlainText(), "\uFFFD");
    // A brace ends the fallback early.
    EXPECT_EQ(CRtfReader::Read("{\\rtf1\\uc3 \\u233{x}yz}").PlainText(), "éxyz");
}

TEST(RtfReader, SkipsIgnorableAndUnknownDestinations) {
    const std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial{\\*\\panose 020b0604020202020204};}}"
                            "{\\stylesheet{\\s0 Normal;}}{\\info{\\title secret}{\\author someone}}"
                            "{\\*\\generator Riched20 10.0.19041;}{\\*\\unknowndest hidden {nested} text}"
                            "{\\header page header}{\\pict\\wmetafile8 0123abcd}"
                            "{\\*\\shppict{\\pict\\bin5 }}{x}}}visible {\\*\\bkmkstart b1}"
                            "{\\field{\\*\\fldinst HYPERLINK \"http://example.org\"}{\\fldrslt link}} done}";
    const CStyledText document = CRtfReader::Read(rtf);
    EXPECT_EQ(document.PlainText(), "visible link done");
    EXPECT_EQ(document.DefaultFormat().FaceName, "Arial");
}

TEST(RtfReader, GroupsSaveAndRestoreFormats) {
    const CStyledText document =
        CRtfReader::Read("{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1 Courier New;}}{\\colortbl;\\red0\\green128\\blue0;}"
                         "\\f0\\fs20 a{\\b\\f1\\fs30\\cf1 b{\\i\\ul\\strike\\shad\\embo\\impr c}d}e{\\qc "
                         "centred\\par}{\\b x\\plain y}}");
    ASSERT_EQ(document.Paragraphs().size(), 2u);
    const auto& runs = Runs(document, 0);
    ASSERT_EQ(runs.size(), 5u);
    EXPECT_EQ(runs[0].Text, "a");
    EXPECT_EQ(runs[0].Format.FaceName, "Arial");
    EXPECT_EQ(runs[0].Format.EffectFlags(), 0);
    EXPECT_EQ(runs[1].Text, "b");
    EXPECT_EQ(runs[1].Format.FaceName, "Courier New");
    EXPECT_EQ(runs[1].Format.HalfPoints, 30);
    EXPECT_EQ(runs[1].Format.EffectFlags(), CharFormat::kBold);
    EXPECT_EQ(runs[1].Format.Color, 0x008000u);
    EXPECT_EQ(runs[2].Text, "c");
    EXPECT_EQ(runs[2].Format.EffectFlags(), 127);
    EXPECT_EQ(runs[3].Text, "d");
    EXPECT_EQ(runs[3].Format, runs[1].Format);
    EXPECT_EQ(runs[4].Text, "ecentred");
    EXPECT_EQ(runs[4].Format, runs[0].Format);
    EXPECT_EQ(document.Paragraphs()[0].Align, Alignment::Center);

    // \plain returns to the base format with the \deff face; the alignment ended with its group.
    const auto& last = Runs(document, 1);
    ASSERT_EQ(last.size(), 2u);
    EXPECT_EQ(document.Paragraphs()[1].Align, Alignment::Left);
    EXPECT_TRUE(last[0].Format.Bold);
    EXPECT_EQ(last[1].Format.HalfPoints, CharFormat::kDefaultHalfPoints);
    EXPECT_FALSE(last[1].Format.Bold);
    EXPECT_EQ(last[1].Format.FaceName, "Arial");
}

TEST(RtfReader, EffectSwitchesAndColourTable) {
    const CStyledText document =
        CRtfReader::Read("{\\rtf1{\\colortbl\\red0\\green0\\blue255;\\red1\\green2\\blue3;}"
                         "\\b\\i\\ul\\strike\\shad\\embo\\impr A\\b0\\i0\\ul0\\strike0\\shad0\\embo0\\impr0 B"
                         "\\ulw\\striked1 C\\ulnone\\striked0 D\\cf0 E\\cf1 F\\cf99 G\\ulc1 H}");
    const auto& runs = Runs(document, 0);
    ASSERT_EQ(runs.size(), 7u);
    EXPECT_EQ(runs[0].Format.EffectFlags(), 127);
    EXPECT_EQ(runs[1].Format.EffectFlags(), 0);
    EXPECT_EQ(runs[2].Format.EffectFlags(), CharFormat::kUnderline | CharFormat::kStrikeOut);
    EXPECT_EQ(runs[3].Format.EffectFlags(), 0);
    // Without a leading empty entry \cf0 is a real colour; out-of-table indexes are automatic.
    EXPECT_EQ(runs[4].Format.Color, 0xFF0000u);
    EXPECT_EQ(runs[5].Format.Color, 0x030201u);
    EXPECT_FALSE(runs[6].Format.Color.has_value());
    // The underline colour is not an underline.
    EXPECT_EQ(runs[6].Text, "GH");
    EXPECT_EQ(runs[6].Format.EffectFlags(), 0);
}

TEST(RtfReader, CodePages) {
    // \ansicpg for fonts without a character set.
    EXPECT_EQ(CRtfReader::Read("{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8\\'e2\\'e5\\'f2}").PlainText(), "Привет");
    EXPECT_EQ(CRtfReader::Read("{\\rtf1\\ansi caf\\'e9 \\'80}").PlainText(), "café €");
    // The font's character set wins over \ansicpg.
    const std::string fonts =
        "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fcharset0 A;}{\\f1\\fcharset128 B;}"
        "{\\f2\\fcharset134 C;}{\\f3\\fcharset129 D;}{\\f4\\fcharset136 E;}{\\f5\\fcharset238 F;}"
        "{\\f6\\fcharset161 G;}{\\f7\\fcharset2 Symbol;}{\\f8\\fcharset177 H;}{\\f9\\cpg1251 I;}}";
    const auto text = [&](const std::string& body) { return CRtfReader::Read(fonts + body + "}").PlainText(); };
    EXPECT_EQ(text("\\f1\\'82\\'a0\\'83\\'41"), "あア");
    // A lead byte in hex with its trail byte as a literal character.
    EXPECT_EQ(text("\\f1\\'83A\\'83\\\\x"), "アソx");
    EXPECT_EQ(text("\\f2\\'c4\\'e3\\'ba\\'c3"), "你好");
    EXPECT_EQ(text("\\f3\\'be\\'c8\\'b3\\'e7"), "안녕");
    EXPECT_EQ(text("\\f4\\'a4\\'40"), "一");
    EXPECT_EQ(text("\\f5\\'a3\\'f3d\\'9f"), "Łódź");
    EXPECT_EQ(text("\\f6\\'e1"), "α");
    EXPECT_EQ(text("\\f7\\'b7"), "·");
    EXPECT_EQ(text("\\f8\\'f9"), "ש");
    EXPECT_EQ(text("\\f9\\'e4\\'e0"), "да");
    // A lead byte cut off by a format change, or bytes the code page lacks: U+FFFD, nothing else lost.
    EXPECT_EQ(text("\\f1\\'82\\b x"), "\uFFFDx");
    EXPECT_EQ(text("\\f0\\'81y"), "\uFFFDy");
}

TEST(RtfReader, ControlSymbolsAndSpecialCharacters) {
    const CStyledText document =
        CRtfReader::Read("{\\rtf1 a\\~b\\-c\\_d\\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote "
                         "\\\\\\{\\}\\tab t\\line l\\\r\nm\\unknownword9 n\\'0a\\'00o}");
    EXPECT_EQ(document.PlainText(), "a\u00A0bc\u2011d—–•‘’“”\\{}\tt\nl\nmno");
}

TEST(RtfReader, DeffFontAndBaseFormat) {
    CharFormat base;
    base.FaceName = "Note Face";
    base.HalfPoints = 22;
    base.Bold = true;
    // No font table: the base face; \deff names the face of unformatted text.
    const CStyledText bare = CRtfReader::Read("{\\rtf1 x}", base);
    EXPECT_EQ(bare.DefaultFormat(), base);
    ASSERT_EQ(Runs(bare, 0).size(), 1u);
    EXPECT_EQ(Runs(bare, 0)[0].Format.FaceName, "Note Face");
    EXPECT_EQ(Runs(bare, 0)[0].Format.HalfPoints, 22);
    EXPECT_FALSE(Runs(bare, 0)[0].Format.Bold);

    const CStyledText withDeff = CRtfReader::Read("{\\rtf1\\deff1{\\fonttbl{\\f0 Zero;}{\\f1 One;}} x\\f7 y}", base);
    EXPECT_EQ(withDeff.DefaultFormat().FaceName, "One");
    ASSERT_EQ(Runs(withDeff, 0).size(), 1u);
    EXPECT_EQ(Runs(withDeff, 0)[0].Format.FaceName, "One");
}

TEST(RtfReader, NotRtfIsPlainText) {
    CharFormat base;
    base.FaceName = "Arial";
    EXPECT_FALSE(CRtfReader::IsRtf("hello {\\rtf1}"));
    EXPECT_TRUE(CRtfReader::IsRtf("\xEF\xBB\xBF \r\n{\\rtf1}"));

    const CStyledText text = CRtfReader::Read("line one\r\nzwei: gr\xC3\xBC\xC3\x9F\x65\nWin: caf\xE9 \x93q\x94", base);
    EXPECT_EQ(text.PlainText(), "line one\nzwei: grüße\nWin: café “q”");
    EXPECT_EQ(text.Paragraphs()[0].Runs[0].Format, base);
    EXPECT_EQ(CRtfReader::Read("{\\rtf", base).PlainText(), "");
    EXPECT_EQ(CRtfReader::Read("{\\rt not rtf}", base).PlainText(), "{\\rt not rtf}");
}

TEST(RtfReader, BrokenInputGivesBestEffort) {
    // Unbalanced and truncated.
    EXPECT_EQ(CRtfReader::Read("{\\rtf1 abc").PlainText(), "abc");
    EXPECT_EQ(CRtfReader::Read("{\\rtf1 {\\b abc").PlainText(), "abc");
    EXPECT_EQ(CRtfReader::Read("{\\rtf1 a}} b}").PlainText(), "a");
    EXPECT_EQ(CRtfReader::Read("{\\rtf1 a\\").PlainText(), "a");
    EXPECT_EQ(CRtfReader::Read("{\\rtf1 a\\'8").PlainText(), "a");
    EXPECT_EQ(CRtfReader::Read("{\\rtf1 a\\'4x}").PlainText(), "ax");
    EXPECT_EQ(CRtfReader::Read("{\\rtf1 a\\'zz}").PlainText(), "azz");
    EXPECT_EQ(CRtfReader::Read("{\\rtf1 a\\bin999999999").PlainText(), "a");
    EXPECT_EQ(CRtfReader::Read("{\\rtf1{\\fonttbl{\\f0 Unterminated").PlainText(), "");

    // Huge numbers are clamped.
    const CStyledText huge = CRtfReader::Read("{\\rtf1\\fs99999999999999999999 x\\fs-5 y\\u99999999999 z}");
    ASSERT_EQ(Runs(huge, 0).size(), 1u);
    EXPECT_EQ(Runs(huge, 0)[0].Format.HalfPoints, CRtfReader::kMaxParameter);
    EXPECT_EQ(huge.PlainText(), "xy\uFFFD");

    // Nesting past the limit is flattened: text and the closing braces still line up.
    const int depth = 100000;
    std::string deep = "{\\rtf1 ";
    deep += std::string(depth, '{') + "\\b deep" + std::string(depth, '}') + " after}trailing";
    const CStyledText nested = CRtfReader::Read(deep);
    EXPECT_EQ(nested.PlainText(), "deep after");
    ASSERT_EQ(Runs(nested, 0).size(), 2u);
    EXPECT_TRUE(Runs(nested, 0)[0].Format.Bold);
    EXPECT_FALSE(Runs(nested, 0)[1].Format.Bold);

    // An over-long control word is consumed and ignored.
    EXPECT_EQ(CRtfReader::Read("{\\rtf1 a\\" + std::string(5000, 'b') + " c}").PlainText(), "ac");
}

// Random RTF-like input: the reader must finish, and its result must survive the writer.
TEST(RtfReader, RandomInputSurvivesWriteAndReadBack) {
    const std::vector<std::string> tokens = {
        "{",
        "}",
        "\\par ",
        "\\b ",
        "\\b0 ",
        "\\u-10179?",
        "\\u-8704?",
        "\\u12371?",
        "\\uc0 ",
        "\\uc2 ",
        "\\'82",
        "\\'a0",
        "\\'e9",
        "\\'0d",
        "\\*",
        "\\fonttbl",
        "\\f1 ",
        "\\colortbl",
        "\\red9",
        ";",
        "\\cf1 ",
        "\\qc ",
        "\\pard ",
        "\\plain ",
        "text ",
        "\\\\",
        "\\{",
        "\\}",
        "\\tab ",
        "\\line ",
        "\\bin3 ",
        "\\fcharset128 ",
        "\\ansicpg932 ",
        "\\~",
        "é",
        "\t",
        "\r\n",
        "\\u",
        "\\fs-1 ",
        "\\pict ",
        "\\",
        "\\'",
        "x",
        "\xFF",
        "\\ul ",
        std::string(1, '\0'),
        "\\f2 ",
        "{\\fonttbl{\\f2 ;}}",
        "\\'3b",
        "\\deff2 ",
    };
    std::mt19937 random(12345);
    for (int round = 0; round < 2000; ++round) {
        std::string input = "{\\rtf1 ";
        const int count = static_cast<int>(random() % 60);
        for (int i = 0; i < count; ++i)
            input += tokens[random() % tokens.size()];
        const CStyledText first = CRtfReader::Read(input);
        const std::string written = CRtfWriter::Write(first);
        const CStyledText second = CRtfReader::Read(written, first.DefaultFormat());
        ASSERT_EQ(second.PlainText(), first.PlainText()) << input;
        ASSERT_EQ(second, first) << input;
        ASSERT_EQ(CRtfWriter::Write(second), written) << input;
    }
}

} // namespace
