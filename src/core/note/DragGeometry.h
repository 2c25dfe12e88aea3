#pragma once

#include "core/base/Rect.h"

#include <optional>

// The mouse arithmetic of a note window: which zone a point lies in, and where
// the window goes while the user drags it by the move strip (or anywhere with
// Ctrl) or by a border.
class CDragGeometry {
public:
    enum class Cursor { Arrow, Hand, SizeNWSE, SizeNESW, SizeWE, SizeNS };

    // Client x range of the move strip, both ends included.
    static constexpr int kMoveStripLeft = 6;
    static constexpr int kMoveStripRight = 14;
    // Width of the resizing zones along the client edges.
    static constexpr int kBorder = 5;
    static constexpr int kMinWidth = 50;
    static constexpr int kMinHeight = 25;

    // Left button down at client point client of a width x height client area,
    // screen being the same point in screen coordinates. Answers the cursor to
    // show, or nothing when the press starts no drag and the cursor stays.
    std::optional<Cursor> Begin(Point client, int width, int height, bool ctrl, Point screen);

    // The mouse moved to screen point screen while the window covers window.
    // Answers the window's new rectangle, or nothing when it stays where it is:
    // no drag is running, or the step would make it smaller than the minimum
    // (then the last point is kept, so the window follows again once the mouse
    // comes back).
    std::optional<Rect> Step(Point screen, const Rect& window);

    // Button released: the drag is over.
    void End();

    bool IsDragging() const { return m_moving || m_sizingX || m_sizingY; }
    bool IsMoving() const { return m_moving; }
    bool IsSizingX() const { return m_sizingX; }
    bool IsSizingY() const { return m_sizingY; }
    bool IsFromLeft() const { return m_fromLeft; }
    bool IsFromTop() const { return m_fromTop; }
    Point LastPoint() const { return m_last; }

    // The cursor for a mouse hovering at client point client without a drag.
    static Cursor HoverCursor(Point client, int width, int height, bool ctrl);
    static bool InMoveStrip(int x) { return x >= kMoveStripLeft && x <= kMoveStripRight; }

private:
    bool m_moving = false;
    bool m_sizingX = false;
    bool m_sizingY = false;
    bool m_fromLeft = false;
    bool m_fromTop = false;
    Point m_last;
};
