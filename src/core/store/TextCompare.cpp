#include "core/store/TextCompare.h"

#include <cstddef>
#include <cstdint>

namespace {

// Marks a byte that is not part of a valid sequence; above every code point, so
// it never equals a decoded character.
constexpr uint32_t kRawByte = 0x110000;

// Decodes the character at text[pos] and advances pos. Overlong forms,
// surrogates, values past U+10FFFF and cut sequences give one raw byte.
uint32_t NextUnit(std::string_view text, size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    int length = 0;
    uint32_t cp = 0;
    uint32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        cp = lead & 0x1F;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        cp = lead & 0x0F;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        cp = lead & 0x07;
        minimum = 0x10000;
    }
    if (length == 0 || text.size() - pos < static_cast<size_t>(length)) {
        ++pos;
        return kRawByte + lead;
    }
    for (int i = 1; i < length; ++i) {
        const auto c = static_cast<unsigned char>(text[pos + i]);
        if ((c & 0xC0) != 0x80) {
            ++pos;
            return kRawByte + lead;
        }
        cp = (cp << 6) | (c & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++pos;
        return kRawByte + lead;
    }
    pos += static_cast<size_t>(length);
    return cp;
}

// Blocks where an upper-case letter is followed by its lower-case form: the
// upper-case letters sit at even code points, or at odd ones.
struct PairBlock {
    uint32_t first;
    uint32_t last;
    bool upperIsEven;
};

constexpr PairBlock kPairBlocks[] = {
    {0x100, 0x12F, true}, {0x132, 0x137, true}, {0x139, 0x148, false}, {0x14A, 0x177, true},  {0x179, 0x17E, false},
    {0x3D8, 0x3EF, true}, {0x460, 0x481, true}, {0x48A, 0x4BF, true},  {0x4C1, 0x4CE, false}, {0x4D0, 0x52F, true},
};

uint32_t FoldPair(uint32_t cp) {
    for (const PairBlock& block : kPairBlocks) {
        if (cp >= block.first && cp <= block.last)
            return ((cp % 2 == 0) == block.upperIsEven) ? cp + 1 : cp;
    }
    return cp;
}

// Simple (one-to-one) case folding for the scripts host names are typed in.
uint32_t FoldCase(uint32_t cp) {
    if (cp < 0x80)
        return (cp >= 'A' && cp <= 'Z') ? cp + 0x20 : cp;
    // Latin-1 Supplement.
    if (cp == 0xB5)
        return 0x3BC;
    if ((cp >= 0xC0 && cp <= 0xD6) || (cp >= 0xD8 && cp <= 0xDE))
        return cp + 0x20;
    if (cp < 0x100)
        return cp;

    // Latin Extended-A. U+0130 and U+0131 (Turkish dotted/dotless i) have no
    // simple fold and stay as they are.
    if (cp <= 0x17F) {
        if (cp == 0x178)
            return 0xFF;
        if (cp == 0x17F)
            return 's';
        return FoldPair(cp);
    }

    // Greek and Coptic.
    if (cp >= 0x370 && cp <= 0x3FF) {
        switch (cp) {
        case 0x370:
        case 0x372:
        case 0x376:
            return cp + 1;
        case 0x37F:
            return 0x3F3;
        case 0x386:
            return 0x3AC;
        case 0x388:
        case 0x389:
        case 0x38A:
            return cp + 0x25;
        case 0x38C:
            return 0x3CC;
        case 0x38E:
        case 0x38F:
            return cp + 0x3F;
        case 0x3C2:
            return 0x3C3;
        case 0x3CF:
            return 0x3D7;
        case 0x3D0:
            return 0x3B2;
        case 0x3D1:
            return 0x3B8;
        case 0x3D5:
            return 0x3C6;
        case 0x3D6:
            return 0x3C0;
        case 0x3F0:
            return 0x3BA;
        case 0x3F1:
            return 0x3C1;
        case 0x3F4:
            return 0x3B8;
        case 0x3F5:
            return 0x3B5;
        case 0x3F7:
        case 0x3FA:
            return cp + 1;
        case 0x3F9:
            return 0x3F2;
        default:
            break;
        }
        if ((cp >= 0x391 && cp <= 0x3A1) || (cp >= 0x3A3 && cp <= 0x3AB))
            return cp + 0x20;
        if (cp >= 0x3FD)
            return cp - 0x82;
        return FoldPair(cp);
    }

    // Cyrillic and Cyrillic Supplement.
    if (cp >= 0x400 && cp <= 0x52F) {
        if (cp <= 0x40F)
            return cp + 0x50;
        if (cp <= 0x42F)
            return cp + 0x20;
        if (cp == 0x4C0)
            return 0x4CF;
        return FoldPair(cp);
    }
    return cp;
}

} // namespace

bool EqualsIgnoreCaseUtf8(std::string_view a, std::string_view b) {
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const uint32_t x = NextUnit(a, i);
        const uint32_t y = NextUnit(b, j);
        if (x != y && FoldCase(x) != FoldCase(y))
            return false;
    }
    return i == a.size() && j == b.size();
}
