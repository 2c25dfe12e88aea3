#pragma once

#include "core/base/Properties.h"

#include <array>

// The 20 colours of the colour buttons' pop-up, with a recency rank for each:
// 1 = used last, 20 = used longest ago. One table serves every colour button
// for the run of the program; it is not stored.
class CColorPalette {
public:
    static constexpr int kCells = 20;

    CColorPalette();

    // The table all colour buttons share.
    static CColorPalette& Shared();

    ColorRef Color(int cell) const { return m_colors.at(cell); }
    int Rank(int cell) const { return m_ranks.at(cell); }

    // A cell was chosen: it becomes the most recent, the cells used after it
    // move one rank back. Out-of-range cells are ignored.
    void Choose(int cell);
    // A colour from the full chooser: the first cell holding it is chosen;
    // when none does, it replaces the colour used longest ago. Returns the cell.
    int ChooseColor(ColorRef color);

    // Back to the initial contents.
    void Reset();

private:
    std::array<ColorRef, kCells> m_colors{};
    std::array<int, kCells> m_ranks{};
};
