#pragma once

#include "core/note/StyledText.h"

#include <cstddef>
#include <string_view>

// Reads RTF as rich-edit controls and word processors write it into a styled
// text. It never fails: unknown control words and destinations are skipped,
// broken input gives what could be read, and bytes that are not RTF at all
// are taken as plain text.
//
// Paragraphs end at \par; text after the last \par makes one more paragraph,
// so "a\par" and "a" both read as the one paragraph "a" and the writer's
// output (every paragraph ends in \par) reads back as written.
class CRtfReader {
public:
    // Deeper groups are flattened into the group at this depth.
    static constexpr int kMaxGroupDepth = 1000;
    // Control-word parameters are clamped to +-this.
    static constexpr int kMaxParameter = 1000000000;
    // Letters of a control word beyond this are read but the word is unknown.
    static constexpr std::size_t kMaxControlWordLength = 32;

    // base is the format of text that the RTF leaves unformatted (and what
    // \plain restores); its face gives way to the document's \deff font. The
    // result's default format is base with that face.
    static CStyledText Read(std::string_view data, const CharFormat& base = CharFormat());

    // True when the data starts (after white space or a UTF-8 byte-order mark) with "{\rtf".
    static bool IsRtf(std::string_view data);
};
