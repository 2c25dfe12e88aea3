#pragma once

#include <cstddef>
#include <string_view>

// Maps byte offsets of a note's UTF-8 text to the character positions an editor
// selects by. A line break ("\r\n", "\r" or "\n") is one character; a byte that is
// not part of valid UTF-8 counts as one character (it reads as U+FFFD).
namespace textoffset {

struct CharOffset {
    std::size_t Utf16 = 0;      // UTF-16 code units (characters beyond U+FFFF count two)
    std::size_t CodePoints = 0; // Unicode code points
    bool operator==(const CharOffset&) const = default;
};

struct CharRange {
    CharOffset Start;
    CharOffset End;
    std::size_t Utf16Length() const { return End.Utf16 - Start.Utf16; }
    std::size_t CodePointLength() const { return End.CodePoints - Start.CodePoints; }
};

// The position of the character at byteOffset. An offset inside a character
// counts to its start; one past the end of the text gives the text's length.
CharOffset CharOffsetOf(std::string_view text, std::size_t byteOffset);

// The characters covered by length bytes from byteOffset: the start rounds down to
// a character start, the end up to a character end, so the whole match is covered.
CharRange CharRangeOf(std::string_view text, std::size_t byteOffset, std::size_t length);

} // namespace textoffset
