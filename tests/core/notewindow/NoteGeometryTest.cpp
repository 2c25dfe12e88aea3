#include "core/note/NoteGeometry.h"

#include <gtest/gtest.h>

using notegeometry::AutoResize;

TEST(NoteGeometry, AutoResizeFollowsTextAndStaysOnScreen) {
    const int screen = 768;
    // Grows downward with the margins added; the left edge and top stay.
    auto result = AutoResize(180, 188, Rect{100, 100, 300, 200}, screen);
    EXPECT_FALSE(result.SwitchOff);
    EXPECT_EQ(result.Window, (Rect{100, 100, 300, 300}));
    // The width follows the request too.
    EXPECT_EQ(AutoResize(250, 88, Rect{100, 100, 300, 200}, screen).Window, (Rect{100, 100, 370, 200}));
    // Already the requested size: nothing to do, wherever the window is.
    EXPECT_FALSE(AutoResize(180, 88, Rect{5, 7, 205, 107}, screen).Window.has_value());

    // Exactly reaching the bottom edge keeps the top; one more pixel moves it up.
    EXPECT_EQ(AutoResize(180, 300 - 12, Rect{0, 468, 200, 500}, screen).Window, (Rect{0, 468, 200, 768}));
    EXPECT_EQ(AutoResize(180, 301 - 12, Rect{0, 468, 200, 500}, screen).Window, (Rect{0, 467, 200, 768}));
}

TEST(NoteGeometry, AutoResizeSwitchesOffForScreenHighText) {
    const int screen = 768;
    // Content as high as the screen: switched off, window becomes screen-high at the top.
    auto result = AutoResize(180, 768 - 12, Rect{40, 300, 240, 400}, screen);
    EXPECT_TRUE(result.SwitchOff);
    EXPECT_EQ(result.Window, (Rect{40, 0, 240, 768}));

    result = AutoResize(180, 2000, Rect{40, 300, 240, 400}, screen);
    EXPECT_TRUE(result.SwitchOff);
    EXPECT_EQ(result.Window, (Rect{40, 0, 240, 768}));

    // A window already at least that high stays as it is, but is switched off all the same.
    result = AutoResize(180, 800, Rect{40, -10, 240, 802}, screen);
    EXPECT_TRUE(result.SwitchOff);
    EXPECT_FALSE(result.Window.has_value());

    // Screen-high already with the right size: switched off, no move.
    result = AutoResize(180, 1000, Rect{40, 0, 200 + 40, 768}, screen);
    EXPECT_TRUE(result.SwitchOff);
    EXPECT_FALSE(result.Window.has_value());
}

TEST(NoteGeometry, CentreKeepsSizeWithIntegerHalves) {
    EXPECT_EQ(notegeometry::CentreOnScreen(Rect{900, 900, 1101, 1051}, Rect{0, 0, 1024, 768}),
              (Rect{412, 309, 613, 460}));
    // A screen that does not start at the origin.
    EXPECT_EQ(notegeometry::CentreOnScreen(Rect{0, 0, 100, 50}, Rect{1920, 0, 3200, 1024}),
              (Rect{2510, 487, 2610, 537}));
}
