#include "core/note/ColorPalette.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

namespace {

constexpr ColorRef Rgb(unsigned r, unsigned g, unsigned b) {
    return static_cast<ColorRef>(r | (g << 8) | (b << 16));
}

bool RanksArePermutation(const CColorPalette& palette) {
    std::array<int, CColorPalette::kCells> ranks{};
    for (int cell = 0; cell < CColorPalette::kCells; ++cell)
        ranks[cell] = palette.Rank(cell);
    std::sort(ranks.begin(), ranks.end());
    for (int i = 0; i < CColorPalette::kCells; ++i) {
        if (ranks[i] != i + 1)
            return false;
    }
    return true;
}

TEST(ColorPalette, CustomColoursReplaceTheLeastRecentAndChoosingReRanks) {
    CColorPalette palette;
    EXPECT_EQ(palette.Color(10), Rgb(255, 251, 240));
    EXPECT_EQ(palette.Rank(10), 20);

    // The first colour not in the table takes cell 11, the one used longest ago.
    const ColorRef custom = Rgb(12, 34, 56);
    EXPECT_EQ(palette.ChooseColor(custom), 10);
    EXPECT_EQ(palette.Color(10), custom);
    EXPECT_EQ(palette.Rank(10), 1);
    EXPECT_EQ(palette.Rank(0), 2);  // black was rank 1
    EXPECT_EQ(palette.Rank(9), 20); // cell 10 (rank 19) is now the oldest
    EXPECT_TRUE(RanksArePermutation(palette));

    // The next custom colour goes to the new oldest cell.
    EXPECT_EQ(palette.ChooseColor(Rgb(1, 2, 3)), 9);

    // Choosing cell 11 again: it gets rank 1, those used after it move back one.
    palette.Choose(10);
    EXPECT_EQ(palette.Rank(10), 1);
    EXPECT_EQ(palette.Rank(9), 2);
    EXPECT_EQ(palette.Rank(0), 3);
    EXPECT_EQ(palette.Rank(19), 4); // white, initially 2
    EXPECT_TRUE(RanksArePermutation(palette));
}

TEST(ColorPalette, ColourAlreadyInTableSelectsItsCellAndChangesNoColour) {
    CColorPalette palette;
    EXPECT_EQ(palette.ChooseColor(Rgb(255, 0, 0)), 13);
    EXPECT_EQ(palette.Color(13), Rgb(255, 0, 0));
    EXPECT_EQ(palette.Color(10), Rgb(255, 251, 240));
    EXPECT_EQ(palette.Rank(13), 1);
    // A value with bits above the colour is the same colour.
    EXPECT_EQ(palette.ChooseColor(0xFF000000u | Rgb(0, 0, 255)), 16);
    // Choosing the most recent cell changes nothing.
    palette.Choose(16);
    EXPECT_EQ(palette.Rank(16), 1);
    EXPECT_EQ(palette.Rank(13), 2);
    palette.Choose(-1);
    palette.Choose(CColorPalette::kCells);
    EXPECT_TRUE(RanksArePermutation(palette));
}

} // namespace
