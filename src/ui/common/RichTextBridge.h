#pragma once

#include "core/base/Properties.h"
#include "core/note/StyledText.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <QTextCharFormat>

#include <string>

class QTextDocument;

// Maps the RTF codec's styled text to a QTextDocument and back.
//
// A note's own font (its FontProperty) is the editor's default: runs in that
// format carry no character properties, so they follow the note's font when it
// changes. Only what differs from it is set on a run. Shadow, emboss and imprint
// have no Qt rendering; they ride along as user properties. The RTF face name is
// kept as well, so a face that is not installed ("MS Sans Serif") is shown in a
// substitute but written back under its own name.
namespace richtext {

// User properties of QTextCharFormat.
inline constexpr int kShadowProperty = QTextFormat::UserProperty + 1;
inline constexpr int kEmbossProperty = QTextFormat::UserProperty + 2;
inline constexpr int kImprintProperty = QTextFormat::UserProperty + 3;
inline constexpr int kFaceNameProperty = QTextFormat::UserProperty + 4;

QColor ToQColor(ColorRef color);
ColorRef ToColorRef(const QColor& color);

// The installed family that shows an RTF face: the face itself, or the
// platform's default sans font for the stored default face and for no face.
QString DisplayFamily(const std::string& face);

// The format of unformatted text in a note with this font.
CharFormat DefaultCharFormat(const FontProperty& font);
// The widget font for a default format (family, size, bold, italic, underline, strike-out).
QFont ToQFont(const CharFormat& format);

// The character properties that make a run of format differ from defaults.
QTextCharFormat ToQt(const CharFormat& format, const CharFormat& defaults);
// The run format of Qt properties; what they leave unset comes from defaults.
CharFormat FromQt(const QTextCharFormat& format, const CharFormat& defaults);

// Replaces the document's content. The document's default font should be
// ToQFont(defaults) and the editor's text colour defaults.Color.
void ToDocument(const CStyledText& text, QTextDocument& document, const CharFormat& defaults);
// The document as styled text with defaults as its default format. One empty
// paragraph is an empty document.
CStyledText FromDocument(const QTextDocument& document, const CharFormat& defaults);

// Body bytes in: RTF, or anything else as plain text.
void LoadRtf(const std::string& rtf, QTextDocument& document, const CharFormat& defaults);
void LoadPlainText(const std::string& text, QTextDocument& document, const CharFormat& defaults);
// Body bytes out.
std::string SaveRtf(const QTextDocument& document, const CharFormat& defaults);

} // namespace richtext
