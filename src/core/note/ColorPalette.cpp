#include "core/note/ColorPalette.h"

namespace {

constexpr ColorRef Rgb(unsigned r, unsigned g, unsigned b) {
    return static_cast<ColorRef>(r | (g << 8) | (b << 16));
}

constexpr std::array<ColorRef, CColorPalette::kCells> kInitialColors = {
    Rgb(0, 0, 0),       Rgb(128, 0, 0),     Rgb(0, 128, 0),     Rgb(128, 128, 0),   Rgb(0, 0, 128),
    Rgb(128, 0, 128),   Rgb(0, 128, 128),   Rgb(192, 192, 192), Rgb(192, 220, 192), Rgb(166, 202, 240),
    Rgb(255, 251, 240), Rgb(160, 160, 164), Rgb(128, 128, 128), Rgb(255, 0, 0),     Rgb(0, 255, 0),
    Rgb(255, 255, 0),   Rgb(0, 0, 255),     Rgb(255, 0, 255),   Rgb(0, 255, 255),   Rgb(255, 255, 255),
};

constexpr std::array<int, CColorPalette::kCells> kInitialRanks = {1,  3,  5,  7,  9,  11, 13, 15, 17, 19,
                                                                  20, 18, 16, 14, 12, 10, 8,  6,  4,  2};

} // namespace

CColorPalette::CColorPalette() {
    Reset();
}

CColorPalette& CColorPalette::Shared() {
    static CColorPalette palette;
    return palette;
}

void CColorPalette::Reset() {
    m_colors = kInitialColors;
    m_ranks = kInitialRanks;
}

void CColorPalette::Choose(int cell) {
    if (cell < 0 || cell >= kCells)
        return;
    const int rank = m_ranks[cell];
    for (int& other : m_ranks) {
        if (other < rank)
            ++other;
    }
    m_ranks[cell] = 1;
}

int CColorPalette::ChooseColor(ColorRef color) {
    color &= 0x00FFFFFF;
    int chosen = -1;
    for (int cell = 0; cell < kCells; ++cell) {
        if (m_colors[cell] == color) {
            chosen = cell;
            break;
        }
    }
    if (chosen < 0) {
        for (int cell = 0; cell < kCells; ++cell) {
            if (m_ranks[cell] == kCells)
                chosen = cell;
        }
        m_colors[chosen] = color;
    }
    Choose(chosen);
    return chosen;
}
