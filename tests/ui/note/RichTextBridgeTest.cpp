#include "ui/common/RichTextBridge.h"

#include "core/note/RtfReader.h"
#include "core/note/RtfWriter.h"

#include <QFontDatabase>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <cstring>

namespace {

FontProperty NoteFont() {
    FontProperty font; // "MS Sans Serif", 9 pt
    font.FontColor = 0x00102030;
    return font;
}

// A document as a user builds it in the editor: formats merged onto the default.
void AddRun(QTextCursor& cursor, const QString& text, const QTextCharFormat& format) {
    cursor.insertText(text, format);
}

} // namespace

TEST(RichTextBridge, ColoursAndDefaultFormatFollowTheNoteFont) {
    EXPECT_EQ(richtext::ToQColor(0x000000FF), QColor(255, 0, 0));
    EXPECT_EQ(richtext::ToQColor(0x00FF8000), QColor(0, 0x80, 0xFF));
    EXPECT_EQ(richtext::ToColorRef(QColor(1, 2, 3)), 0x00030201u);
    EXPECT_EQ(richtext::ToColorRef(richtext::ToQColor(0x003CE6F0)), 0x003CE6F0u);

    FontProperty font = NoteFont();
    font.Size = 11;
    font.Flags = kFontBold | kFontUnderline | kFontEmboss;
    const CharFormat format = richtext::DefaultCharFormat(font);
    EXPECT_EQ(format.FaceName, "MS Sans Serif");
    EXPECT_EQ(format.HalfPoints, 22);
    EXPECT_TRUE(format.Bold && format.Underline && format.Emboss);
    EXPECT_FALSE(format.Italic || format.StrikeOut || format.Shadow || format.Imprint);
    EXPECT_EQ(format.Color, 0x00102030u);
    // A broken stored size still gives readable text.
    font.Size = -3;
    EXPECT_EQ(richtext::DefaultCharFormat(font).HalfPoints, 18);

    const QFont qfont = richtext::ToQFont(format);
    EXPECT_DOUBLE_EQ(qfont.pointSizeF(), 11.0);
    EXPECT_TRUE(qfont.bold());
    EXPECT_TRUE(qfont.underline());

    // The stored default face shows in an installed font when it is missing.
    if (!QFontDatabase::hasFamily(QStringLiteral("MS Sans Serif"))) {
        EXPECT_EQ(richtext::DisplayFamily("MS Sans Serif"),
                  QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
    }
    EXPECT_EQ(richtext::DisplayFamily("Courier New"), QStringLiteral("Courier New"));
}

TEST(RichTextBridge, StyledTextRoundTripsThroughDocumentAndRtf) {
    const CharFormat defaults = richtext::DefaultCharFormat(NoteFont());
    CStyledText text(defaults);
    text.AddParagraph();
    text.AppendText("plain ", defaults);
    const auto add = [&](const std::string& run, auto change) {
        CharFormat format = defaults;
        change(format);
        text.AppendText(run, format);
    };
    add("bold ", [](CharFormat& c) { c.Bold = true; });
    add("italic ", [](CharFormat& c) { c.Italic = true; });
    add("under ", [](CharFormat& c) { c.Underline = true; });
    add("strike ", [](CharFormat& c) { c.StrikeOut = true; });
    add("shadow ", [](CharFormat& c) { c.Shadow = true; });
    add("emboss ", [](CharFormat& c) { c.Emboss = true; });
    add("imprint ", [](CharFormat& c) { c.Imprint = true; });
    add("red ", [](CharFormat& c) { c.Color = 0x000000FF; });
    add("courier ", [](CharFormat& c) { c.FaceName = "Courier New"; });
    add("half ", [](CharFormat& c) { c.HalfPoints = 21; });
    add("all", [](CharFormat& c) { c.SetEffectFlags(127); });
    text.AddParagraph(Alignment::Center);
    text.AppendText("日本語のテキスト", defaults);
    text.AddParagraph(Alignment::Right);
    text.AddParagraph(Alignment::Justify);
    add("justified ＭＳ 明朝", [](CharFormat& c) { c.FaceName = "ＭＳ 明朝"; });

    QTextDocument document;
    richtext::ToDocument(text, document, defaults);
    ASSERT_EQ(document.blockCount(), 4);
    EXPECT_EQ(document.findBlockByNumber(1).blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(document.findBlockByNumber(1).text(), QStringLiteral("日本語のテキスト"));

    // What Qt sees: real properties where Qt can draw them, user properties otherwise.
    const QTextBlock first = document.begin();
    QTextCursor probe(&document);
    const auto formatAt = [&](int position) {
        probe.setPosition(position + 1);
        return probe.charFormat();
    };
    const int bold = first.text().indexOf(QStringLiteral("bold"));
    EXPECT_EQ(formatAt(bold).fontWeight(), QFont::Bold);
    EXPECT_TRUE(formatAt(first.text().indexOf(QStringLiteral("shadow"))).boolProperty(richtext::kShadowProperty));
    EXPECT_TRUE(formatAt(first.text().indexOf(QStringLiteral("emboss"))).boolProperty(richtext::kEmbossProperty));
    EXPECT_TRUE(formatAt(first.text().indexOf(QStringLiteral("imprint"))).boolProperty(richtext::kImprintProperty));
    EXPECT_EQ(formatAt(first.text().indexOf(QStringLiteral("red"))).foreground().color(), QColor(255, 0, 0));
    EXPECT_DOUBLE_EQ(formatAt(first.text().indexOf(QStringLiteral("half"))).fontPointSize(), 10.5);
    // Text in the note's own format carries nothing, so it follows the note font.
    EXPECT_TRUE(formatAt(0).properties().isEmpty() || !formatAt(0).hasProperty(QTextFormat::FontPointSize));

    const std::string rtf = richtext::SaveRtf(document, defaults);
    for (const char* word : {"\\b", "\\i", "\\ul", "\\strike", "\\shad", "\\embo", "\\impr", "\\fs21", "Courier New"})
        EXPECT_NE(rtf.find(word), std::string::npos) << word;
    EXPECT_EQ(rtf.find("HYPERLINK"), std::string::npos);

    QTextDocument again;
    richtext::LoadRtf(rtf, again, defaults);
    CStyledText expected = text;
    expected.Normalize();
    EXPECT_EQ(richtext::FromDocument(again, defaults), expected);
    EXPECT_EQ(richtext::SaveRtf(again, defaults), rtf);
}

TEST(RichTextBridge, DocumentEditedInQtSurvivesRtf) {
    const CharFormat defaults = richtext::DefaultCharFormat(NoteFont());
    QTextDocument document;
    document.setDefaultFont(richtext::ToQFont(defaults));
    QTextCursor cursor(&document);
    AddRun(cursor, QStringLiteral("Hello "), QTextCharFormat());
    QTextCharFormat styled;
    styled.setFontWeight(QFont::Bold);
    styled.setFontItalic(true);
    styled.setFontUnderline(true);
    styled.setFontStrikeOut(true);
    styled.setForeground(QColor(0, 128, 255));
    styled.setFontPointSize(14.5);
    styled.setFontFamilies({QStringLiteral("DejaVu Serif")});
    styled.setProperty(richtext::kShadowProperty, true);
    styled.setProperty(richtext::kImprintProperty, true);
    AddRun(cursor, QStringLiteral("world"), styled);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    cursor.insertBlock(centred);
    AddRun(cursor, QStringLiteral("こんにちは"), QTextCharFormat());
    // Shift+Enter puts a line separator into the block; it becomes a paragraph end.
    AddRun(cursor, QString(QChar(QChar::LineSeparator)) + QStringLiteral("next"), QTextCharFormat());

    const CStyledText styledText = richtext::FromDocument(document, defaults);
    ASSERT_EQ(styledText.Paragraphs().size(), 3u);
    const CharFormat& world = styledText.Paragraphs()[0].Runs.at(1).Format;
    EXPECT_TRUE(world.Bold && world.Italic && world.Underline && world.StrikeOut && world.Shadow && world.Imprint);
    EXPECT_FALSE(world.Emboss);
    EXPECT_EQ(world.HalfPoints, 29);
    EXPECT_EQ(world.FaceName, "DejaVu Serif");
    EXPECT_EQ(world.Color, 0x00FF8000u);
    EXPECT_EQ(styledText.Paragraphs()[2].Align, Alignment::Center);
    EXPECT_EQ(styledText.Paragraphs()[2].PlainText(), "next");

    QTextDocument again;
    richtext::LoadRtf(richtext::SaveRtf(document, defaults), again, defaults);
    EXPECT_EQ(richtext::FromDocument(again, defaults), styledText);
    EXPECT_EQ(again.toPlainText(), QStringLiteral("Hello world\nこんにちは\nnext"));
}

TEST(RichTextBridge, StoredFaceIsWrittenBackUnderItsOwnName) {
    // The note's default is some other face; a run keeps "MS Sans Serif" even
    // though Qt shows it in a substitute.
    FontProperty font = NoteFont();
    std::strcpy(font.Name, "Arial");
    const CharFormat defaults = richtext::DefaultCharFormat(font);
    CharFormat msSans = defaults;
    msSans.FaceName = "MS Sans Serif";
    const QTextCharFormat qt = richtext::ToQt(msSans, defaults);
    EXPECT_EQ(qt.fontFamilies().toStringList().value(0), richtext::DisplayFamily("MS Sans Serif"));
    EXPECT_EQ(richtext::FromQt(qt, defaults).FaceName, "MS Sans Serif");

    // A family picked in Qt afterwards wins over the stored name.
    QTextCharFormat changed = qt;
    changed.setFontFamilies({QStringLiteral("DejaVu Sans Mono")});
    EXPECT_EQ(richtext::FromQt(changed, defaults).FaceName, "DejaVu Sans Mono");
}

TEST(RichTextBridge, PlainBodiesAndEmptyDocuments) {
    const CharFormat defaults = richtext::DefaultCharFormat(NoteFont());
    QTextDocument document;
    richtext::LoadPlainText("first\r\nsecond\rthird\ncaf\xE9", document, defaults);
    EXPECT_EQ(document.toPlainText(), QStringLiteral("first\nsecond\nthird\ncafé"));
    // A plain body that looks like RTF stays text.
    richtext::LoadPlainText("{\\rtf1 not rtf}", document, defaults);
    EXPECT_EQ(document.toPlainText(), QStringLiteral("{\\rtf1 not rtf}"));

    document.clear();
    EXPECT_TRUE(richtext::FromDocument(document, defaults).IsEmpty());
    QTextDocument again;
    richtext::LoadRtf(richtext::SaveRtf(document, defaults), again, defaults);
    EXPECT_TRUE(again.isEmpty());

    // Garbage in the body never fails: it is read as well as it can be.
    richtext::LoadRtf(std::string("{\\rtf1{{{\\b\0x", 14), again, defaults);
    EXPECT_FALSE(again.toPlainText().contains(QStringLiteral("rtf")));
}
