#pragma once

#include "core/base/Rect.h"

#include <optional>

// Where a note window goes when its text asks for another size or when it
// arrives from another computer: pure arithmetic, so it is tested without a screen.
namespace notegeometry {

// Room the window keeps around the editor's requested size.
inline constexpr int kAutoResizeExtraWidth = 20;
inline constexpr int kAutoResizeExtraHeight = 12;

struct AutoResizeResult {
    // The content is at least a screen high: the note stops following it.
    bool SwitchOff = false;
    // The window's new rectangle; nothing when it keeps the one it has.
    std::optional<Rect> Window;
};

// The editor asks for width x height pixels; the window covers window on a
// screen screenHeight pixels high. The left edge stays; the window moves up as
// far as needed to stay on the screen, and a window that cannot fit becomes
// screen-high at the top unless it is already at least that high.
AutoResizeResult AutoResize(int width, int height, const Rect& window, int screenHeight);

// The window with its size kept, centred on the screen (integer halves).
Rect CentreOnScreen(const Rect& window, const Rect& screen);

} // namespace notegeometry
