#include "core/note/DragGeometry.h"

#include <gtest/gtest.h>

using Cursor = CDragGeometry::Cursor;

namespace {

constexpr int kW = 200;
constexpr int kH = 100;
const Rect kWindow{300, 200, 300 + kW, 200 + kH};

} // namespace

TEST(DragGeometry, MoveStripOrCtrlMovesWholeWindow) {
    CDragGeometry drag;
    // The strip works whether or not a bar is drawn there; its ends are included.
    for (int x : {6, 14}) {
        EXPECT_EQ(drag.Begin({x, 50}, kW, kH, false, {306, 250}), Cursor::Hand);
        EXPECT_TRUE(drag.IsMoving());
    }
    EXPECT_FALSE(drag.Begin({15, 50}, kW, kH, false, {315, 250}).has_value());
    EXPECT_FALSE(drag.IsDragging());

    // Ctrl anywhere, even in a border zone, moves.
    EXPECT_EQ(drag.Begin({198, 98}, kW, kH, true, {498, 298}), Cursor::Hand);
    EXPECT_FALSE(drag.IsSizingX());
    const auto moved = drag.Step({478, 318}, kWindow);
    ASSERT_TRUE(moved.has_value());
    EXPECT_EQ(*moved, (Rect{280, 220, 480, 320}));
    EXPECT_EQ(drag.LastPoint(), (Point{478, 318}));
    // The next step is measured from the point just applied.
    EXPECT_EQ(*drag.Step({479, 318}, *moved), (Rect{281, 220, 481, 320}));

    drag.End();
    EXPECT_FALSE(drag.IsDragging());
    EXPECT_FALSE(drag.Step({500, 500}, kWindow).has_value());
}

TEST(DragGeometry, BorderZonesPickEdgesAndCursors) {
    CDragGeometry drag;
    // 4 pixels inside the bottom-right corner: both ways, right and bottom edges held.
    EXPECT_EQ(drag.Begin({kW - 4, kH - 4}, kW, kH, false, {0, 0}), Cursor::SizeNWSE);
    EXPECT_TRUE(drag.IsSizingX());
    EXPECT_TRUE(drag.IsSizingY());
    EXPECT_FALSE(drag.IsFromLeft());
    EXPECT_FALSE(drag.IsFromTop());
    // 5 pixels in is outside the zone.
    EXPECT_FALSE(drag.Begin({kW - 5, 50}, kW, kH, false, {0, 0}).has_value());

    EXPECT_EQ(drag.Begin({0, 0}, kW, kH, false, {0, 0}), Cursor::SizeNWSE);
    EXPECT_TRUE(drag.IsFromLeft() && drag.IsFromTop());
    EXPECT_EQ(drag.Begin({2, kH - 1}, kW, kH, false, {0, 0}), Cursor::SizeNESW);
    EXPECT_EQ(drag.Begin({kW - 1, 3}, kW, kH, false, {0, 0}), Cursor::SizeNESW);
    EXPECT_EQ(drag.Begin({4, 50}, kW, kH, false, {0, 0}), Cursor::SizeWE);
    EXPECT_FALSE(drag.IsSizingY());
    EXPECT_EQ(drag.Begin({100, kH - 2}, kW, kH, false, {0, 0}), Cursor::SizeNS);
    EXPECT_FALSE(drag.IsSizingX());

    EXPECT_EQ(CDragGeometry::HoverCursor({10, 1}, kW, kH, false), Cursor::Hand);
    EXPECT_EQ(CDragGeometry::HoverCursor({100, 50}, kW, kH, true), Cursor::Hand);
    EXPECT_EQ(CDragGeometry::HoverCursor({100, 50}, kW, kH, false), Cursor::Arrow);
    EXPECT_EQ(CDragGeometry::HoverCursor({1, 1}, kW, kH, false), Cursor::SizeNWSE);
    EXPECT_EQ(CDragGeometry::HoverCursor({kW - 1, kH - 1}, kW, kH, false), Cursor::SizeNWSE);
    EXPECT_EQ(CDragGeometry::HoverCursor({1, kH - 1}, kW, kH, false), Cursor::SizeNESW);
    EXPECT_EQ(CDragGeometry::HoverCursor({kW - 1, 0}, kW, kH, false), Cursor::SizeNESW);
    EXPECT_EQ(CDragGeometry::HoverCursor({kW - 3, 50}, kW, kH, false), Cursor::SizeWE);
    EXPECT_EQ(CDragGeometry::HoverCursor({100, 0}, kW, kH, false), Cursor::SizeNS);
}

TEST(DragGeometry, SizingMovesOnlyTheHeldEdges) {
    CDragGeometry drag;
    drag.Begin({1, 50}, kW, kH, false, {301, 250});
    EXPECT_EQ(*drag.Step({291, 260}, kWindow), (Rect{290, 200, 500, 300}));

    drag.Begin({100, 1}, kW, kH, false, {400, 201});
    EXPECT_EQ(*drag.Step({410, 221}, kWindow), (Rect{300, 220, 500, 300}));

    drag.Begin({kW - 1, kH - 1}, kW, kH, false, {499, 299});
    EXPECT_EQ(*drag.Step({509, 289}, kWindow), (Rect{300, 200, 510, 290}));
}

TEST(DragGeometry, StopsAtMinimumAndFollowsAgain) {
    CDragGeometry drag;
    drag.Begin({kW - 2, kH - 2}, kW, kH, false, {498, 298});
    // Down to exactly 50 x 25 is allowed.
    auto rect = drag.Step({348, 223}, kWindow);
    ASSERT_TRUE(rect.has_value());
    EXPECT_EQ(rect->Width(), 50);
    EXPECT_EQ(rect->Height(), 25);
    // One pixel further would make it 49 wide: refused, the last point stays.
    EXPECT_FALSE(drag.Step({347, 223}, *rect).has_value());
    EXPECT_FALSE(drag.Step({300, 223}, *rect).has_value());
    EXPECT_EQ(drag.LastPoint(), (Point{348, 223}));
    // Back past the stop point, the window follows from where it stopped.
    const auto again = drag.Step({358, 228}, *rect);
    ASSERT_TRUE(again.has_value());
    EXPECT_EQ(*again, (Rect{300, 200, 360, 230}));

    // Dragging the left edge right keeps the right edge in place until the stop.
    drag.Begin({0, 50}, kW, kH, false, {300, 250});
    EXPECT_EQ(*drag.Step({450, 250}, kWindow), (Rect{450, 200, 500, 300}));
    EXPECT_FALSE(drag.Step({451, 250}, Rect{450, 200, 500, 300}).has_value());
}
