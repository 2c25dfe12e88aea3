#include "core/note/Arrangement.h"

#include <gtest/gtest.h>

using namespace arrangement;

namespace {
ArrangedNote Note(int id, int w, int h, bool visible = true) {
    return {id, Rect{500, 500, 500 + w, 500 + h}, visible};
}
} // namespace

TEST(Arrange, UpperLeftStacksNotesInListOrder) {
    const auto placed =
        Arrange({Note(1, 80, 100), Note(2, 90, 150), Note(3, 70, 120)}, Corner::UpperLeft, 1024, 768, 0);
    EXPECT_EQ(placed, (std::vector<Placement>{{1, {0, 0}}, {2, {0, 100}}, {3, {0, 250}}}));
}

TEST(Arrange, HiddenNotesKeepTheirPlaces) {
    const auto placed =
        Arrange({Note(1, 80, 100), Note(2, 90, 150, false), Note(3, 70, 120)}, Corner::UpperLeft, 1024, 768, 5);
    EXPECT_EQ(placed, (std::vector<Placement>{{1, {0, 0}}, {3, {0, 105}}}));
}

TEST(Arrange, LowerRightSingleNoteTouchesTheCorner) {
    EXPECT_EQ(Arrange({Note(7, 200, 100)}, Corner::LowerRight, 1024, 768, 0),
              (std::vector<Placement>{{7, {824, 668}}}));
    // With a gap the first note still touches the corner.
    EXPECT_EQ(Arrange({Note(7, 200, 100)}, Corner::LowerLeft, 1024, 768, 10), (std::vector<Placement>{{7, {0, 668}}}));
}

TEST(Arrange, ColumnsBreakAndStartBeyondTheWidestNote) {
    // Three 300-pixel notes on a 700-pixel screen: two fit, the third starts a column.
    const auto upper =
        Arrange({Note(1, 100, 300), Note(2, 150, 300), Note(3, 120, 300)}, Corner::UpperRight, 1000, 700, 10);
    EXPECT_EQ(upper, (std::vector<Placement>{{1, {900, 0}}, {2, {850, 310}}, {3, {1000 - 160 - 120, 0}}}));

    const auto lower =
        Arrange({Note(1, 100, 300), Note(2, 150, 300), Note(3, 120, 300)}, Corner::LowerLeft, 1000, 700, 10);
    EXPECT_EQ(lower, (std::vector<Placement>{{1, {0, 400}}, {2, {0, 90}}, {3, {160, 400}}}));
}

TEST(Arrange, LowerCornerBreakIgnoresTheGap) {
    // After one 350-pixel note the cursor is at 360; 360 - 350 >= 0 so no break,
    // and the second note starts 10 pixels above the top edge.
    const auto placed = Arrange({Note(1, 50, 350), Note(2, 50, 350)}, Corner::LowerLeft, 800, 700, 10);
    EXPECT_EQ(placed, (std::vector<Placement>{{1, {0, 350}}, {2, {0, -10}}}));
}

TEST(Arrange, TallNoteStartsItsOwnColumnAndSticksOut) {
    const auto placed = Arrange({Note(1, 60, 100), Note(2, 80, 900), Note(3, 40, 50)}, Corner::UpperLeft, 800, 600, 0);
    EXPECT_EQ(placed, (std::vector<Placement>{{1, {0, 0}}, {2, {60, 0}}, {3, {140, 0}}}));
}

TEST(Relocate, OnePixelOnScreenStaysOnePixelOffMoves) {
    const Rect screen{0, 0, 1024, 768};
    EXPECT_FALSE(RelocateIntoScreen({1024, 100, 1224, 200}, screen, {screen}));
    EXPECT_EQ(RelocateIntoScreen({1025, 100, 1225, 200}, screen, {screen}), (Rect{824, 100, 1024, 200}));
    EXPECT_EQ(RelocateIntoScreen({-301, 100, -1, 200}, screen, {screen}), (Rect{0, 100, 300, 200}));
    EXPECT_FALSE(RelocateIntoScreen({-300, 100, 0, 200}, screen, {screen}));
    EXPECT_EQ(RelocateIntoScreen({10, -90, 110, -1}, screen, {screen}), (Rect{10, 0, 110, 89}));
    EXPECT_EQ(RelocateIntoScreen({10, 769, 110, 869}, screen, {screen}), (Rect{10, 668, 110, 768}));
    // Off in both directions: both shifts apply.
    EXPECT_EQ(RelocateIntoScreen({2000, 2000, 2100, 2050}, screen, {screen}), (Rect{924, 718, 1024, 768}));
}

TEST(Relocate, NoteOnAnotherMonitorIsLeftAlone) {
    const Rect primary{0, 0, 1920, 1080};
    const Rect second{1920, 0, 3200, 1024};
    EXPECT_FALSE(RelocateIntoScreen({2500, 300, 2700, 400}, primary, {primary, second}));
    // Below the shorter second monitor it is off every screen: back onto the primary one.
    EXPECT_EQ(RelocateIntoScreen({2500, 1100, 2700, 1200}, primary, {primary, second}), (Rect{1720, 980, 1920, 1080}));
}
