#include "ui/common/RichTextBridge.h"

#include "core/note/CodePageDecoder.h"
#include "core/note/RtfReader.h"
#include "core/note/RtfWriter.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QPointer>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

namespace richtext {

namespace {

// Sizes a note may ask for; beyond them the text would be unreadable or the
// layout absurd (RTF itself stops at 1638 pt).
constexpr int kMinHalfPoints = 2;
constexpr int kMaxHalfPoints = 3276;
constexpr int kFallbackPoints = 9;

constexpr char16_t kLineSeparator = 0x2028;
constexpr char16_t kObjectReplacement = 0xFFFC;

Qt::Alignment ToQtAlignment(Alignment align) {
    switch (align) {
    case Alignment::Center:
        return Qt::AlignHCenter;
    case Alignment::Right:
        return Qt::AlignRight;
    case Alignment::Justify:
        return Qt::AlignJustify;
    case Alignment::Left:
        break;
    }
    return Qt::AlignLeft;
}

Alignment FromQtAlignment(Qt::Alignment align) {
    const Qt::Alignment horizontal = align & Qt::AlignHorizontal_Mask;
    if (horizontal & Qt::AlignHCenter)
        return Alignment::Center;
    if (horizontal & Qt::AlignJustify)
        return Alignment::Justify;
    if ((horizontal & Qt::AlignRight) && !(horizontal & Qt::AlignLeft))
        return Alignment::Right;
    return Alignment::Left;
}

bool BoolProperty(const QTextCharFormat& format, int property, bool fallback) {
    return format.hasProperty(property) ? format.boolProperty(property) : fallback;
}

} // namespace

QColor ToQColor(ColorRef color) {
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

ColorRef ToColorRef(const QColor& color) {
    const QColor rgb = color.toRgb();
    return static_cast<ColorRef>(rgb.red()) | static_cast<ColorRef>(rgb.green()) << 8 |
           static_cast<ColorRef>(rgb.blue()) << 16;
}

namespace {

// Asking the font database for a family it lacks runs fontconfig's whole
// substitution (about a million instructions), and every note asks when its
// window is made and again when it is loaded: the answer is kept until the
// application's font database changes.
bool HasDefaultFace() {
    static QPointer<QGuiApplication> watched;
    static std::optional<bool> answer;
    if (qGuiApp == nullptr)
        return QFontDatabase::hasFamily(QString::fromLatin1(kDefaultFontName));
    if (watched != qGuiApp) {
        watched = qGuiApp;
        answer.reset();
        QObject::connect(qGuiApp, &QGuiApplication::fontDatabaseChanged, qGuiApp, [] { answer.reset(); });
    }
    if (!answer)
        answer = QFontDatabase::hasFamily(QString::fromLatin1(kDefaultFontName));
    return *answer;
}

} // namespace

QString DisplayFamily(const std::string& face) {
    const QString family = QString::fromStdString(face);
    if (face.empty() || face == kDefaultFontName) {
        if (!face.empty() && HasDefaultFace())
            return family;
        return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    }
    return family;
}

CharFormat DefaultCharFormat(const FontProperty& font) {
    CharFormat format;
    format.FaceName.assign(font.Name, strnlen(font.Name, sizeof font.Name));
    const int points = font.Size > 0 ? font.Size : kFallbackPoints;
    format.HalfPoints = std::clamp(points * 2, kMinHalfPoints, kMaxHalfPoints);
    format.SetEffectFlags(font.Flags);
    format.Color = font.FontColor & 0xFFFFFF;
    return format;
}

QFont ToQFont(const CharFormat& format) {
    QFont font(DisplayFamily(format.FaceName));
    font.setPointSizeF(format.HalfPoints / 2.0);
    font.setBold(format.Bold);
    font.setItalic(format.Italic);
    font.setUnderline(format.Underline);
    font.setStrikeOut(format.StrikeOut);
    return font;
}

QTextCharFormat ToQt(const CharFormat& format, const CharFormat& defaults) {
    QTextCharFormat qt;
    if (format.FaceName != defaults.FaceName) {
        qt.setFontFamilies({DisplayFamily(format.FaceName)});
        qt.setProperty(kFaceNameProperty, QString::fromStdString(format.FaceName));
    }
    if (format.HalfPoints != defaults.HalfPoints)
        qt.setFontPointSize(std::clamp(format.HalfPoints, kMinHalfPoints, kMaxHalfPoints) / 2.0);
    if (format.Bold != defaults.Bold)
        qt.setFontWeight(format.Bold ? QFont::Bold : QFont::Normal);
    if (format.Italic != defaults.Italic)
        qt.setFontItalic(format.Italic);
    if (format.Underline != defaults.Underline)
        qt.setFontUnderline(format.Underline);
    if (format.StrikeOut != defaults.StrikeOut)
        qt.setFontStrikeOut(format.StrikeOut);
    if (format.Shadow != defaults.Shadow)
        qt.setProperty(kShadowProperty, format.Shadow);
    if (format.Emboss != defaults.Emboss)
        qt.setProperty(kEmbossProperty, format.Emboss);
    if (format.Imprint != defaults.Imprint)
        qt.setProperty(kImprintProperty, format.Imprint);
    // Automatic colour shows in the note's text colour, like unformatted text.
    if (format.Color && format.Color != defaults.Color)
        qt.setForeground(ToQColor(*format.Color));
    return qt;
}

CharFormat FromQt(const QTextCharFormat& qt, const CharFormat& defaults) {
    CharFormat format = defaults;
    const QStringList families = qt.fontFamilies().toStringList();
    if (!families.isEmpty() && !families.first().isEmpty()) {
        const QString stored = qt.stringProperty(kFaceNameProperty);
        if (!stored.isEmpty() && DisplayFamily(stored.toStdString()) == families.first())
            format.FaceName = stored.toStdString();
        else
            format.FaceName = families.first().toStdString();
    }
    if (qt.hasProperty(QTextFormat::FontPointSize) && qt.fontPointSize() > 0)
        format.HalfPoints =
            std::clamp(static_cast<int>(std::lround(qt.fontPointSize() * 2)), kMinHalfPoints, kMaxHalfPoints);
    if (qt.hasProperty(QTextFormat::FontWeight))
        format.Bold = qt.fontWeight() > QFont::Medium;
    format.Italic = BoolProperty(qt, QTextFormat::FontItalic, defaults.Italic);
    if (qt.hasProperty(QTextFormat::TextUnderlineStyle) || qt.hasProperty(QTextFormat::FontUnderline))
        format.Underline = qt.fontUnderline();
    format.StrikeOut = BoolProperty(qt, QTextFormat::FontStrikeOut, defaults.StrikeOut);
    format.Shadow = BoolProperty(qt, kShadowProperty, defaults.Shadow);
    format.Emboss = BoolProperty(qt, kEmbossProperty, defaults.Emboss);
    format.Imprint = BoolProperty(qt, kImprintProperty, defaults.Imprint);
    if (qt.hasProperty(QTextFormat::ForegroundBrush) && qt.foreground().style() != Qt::NoBrush)
        format.Color = ToColorRef(qt.foreground().color());
    return format;
}

void ToDocument(const CStyledText& text, QTextDocument& document, const CharFormat& defaults) {
    document.clear();
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    bool first = true;
    for (const Paragraph& paragraph : text.Paragraphs()) {
        QTextBlockFormat block;
        if (paragraph.Align != Alignment::Left)
            block.setAlignment(ToQtAlignment(paragraph.Align));
        if (first)
            cursor.setBlockFormat(block);
        else
            cursor.insertBlock(block, QTextCharFormat());
        first = false;
        for (const TextRun& run : paragraph.Runs)
            cursor.insertText(QString::fromUtf8(run.Text.data(), static_cast<qsizetype>(run.Text.size())),
                              ToQt(run.Format, defaults));
    }
    cursor.endEditBlock();
}

CStyledText FromDocument(const QTextDocument& document, const CharFormat& defaults) {
    CStyledText text(defaults);
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const Alignment align = FromQtAlignment(block.blockFormat().alignment());
        text.AddParagraph(align);
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid())
                continue;
            const CharFormat format = FromQt(fragment.charFormat(), defaults);
            const QString content = fragment.text();
            QString piece;
            for (const QChar c : content) {
                if (c == QChar(kLineSeparator)) {
                    // A line break inside a paragraph: runs hold no line ends, so it
                    // becomes a paragraph end.
                    text.AppendText(piece.toStdString(), format);
                    piece.clear();
                    text.AddParagraph(align);
                } else if (c != QChar(kObjectReplacement)) {
                    piece += c;
                }
            }
            text.AppendText(piece.toStdString(), format);
        }
    }
    if (text.Paragraphs().size() == 1 && text.Paragraphs().front().Runs.empty())
        text.Paragraphs().clear();
    return text;
}

void LoadRtf(const std::string& rtf, QTextDocument& document, const CharFormat& defaults) {
    ToDocument(CRtfReader::Read(rtf, defaults), document, defaults);
}

void LoadPlainText(const std::string& text, QTextDocument& document, const CharFormat& defaults) {
    // Bytes that are not UTF-8 are read as Windows-1252, as the RTF reader does.
    CCodePageDecoder decoder;
    std::string utf8;
    decoder.DecodeUtf8OrLatin1(text, utf8);
    ToDocument(CStyledText::FromPlainText(utf8, defaults), document, defaults);
}

std::string SaveRtf(const QTextDocument& document, const CharFormat& defaults) {
    return CRtfWriter::Write(FromDocument(document, defaults));
}

} // namespace richtext
