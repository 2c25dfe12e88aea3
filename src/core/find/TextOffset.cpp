#include "core/find/TextOffset.h"

namespace textoffset {

namespace {

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Bytes and UTF-16 units of the character starting at pos.
std::size_t CharacterAt(std::string_view text, std::size_t pos, std::size_t& units) {
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = at(pos);
    const std::size_t left = text.size() - pos;
    units = 1;
    if (lead == '\r' && left >= 2 && at(pos + 1) == '\n')
        return 2;
    if (lead < 0x80)
        return 1;
    // The second byte's allowed range rules out overlong forms, surrogates and
    // values past U+10FFFF.
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 1;
    }
    if (left < length || at(pos + 1) < low || at(pos + 1) > high)
        return 1;
    for (std::size_t i = 2; i < length; ++i) {
        if (!IsContinuation(at(pos + i)))
            return 1;
    }
    units = length == 4 ? 2 : 1;
    return length;
}

// Counts the characters before byteOffset; with roundUp a character that the
// offset falls inside is counted too.
CharOffset Count(std::string_view text, std::size_t byteOffset, bool roundUp) {
    CharOffset offset;
    std::size_t pos = 0;
    while (pos < text.size() && pos < byteOffset) {
        std::size_t units = 0;
        const std::size_t length = CharacterAt(text, pos, units);
        if (pos + length > byteOffset && !roundUp)
            break;
        offset.Utf16 += units;
        ++offset.CodePoints;
        pos += length;
    }
    return offset;
}

} // namespace

CharOffset CharOffsetOf(std::string_view text, std::size_t byteOffset) {
    return Count(text, byteOffset, false);
}

CharRange CharRangeOf(std::string_view text, std::size_t byteOffset, std::size_t length) {
    const std::size_t start = byteOffset < text.size() ? byteOffset : text.size();
    const std::size_t end = start + (length < text.size() - start ? length : text.size() - start);
    return CharRange{Count(text, start, false), Count(text, end, true)};
}

} // namespace textoffset
