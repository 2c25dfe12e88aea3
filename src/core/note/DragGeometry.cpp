#include "core/note/DragGeometry.h"

namespace {

CDragGeometry::Cursor SizingCursor(bool sizingX, bool sizingY, bool left, bool top) {
    if (sizingX && sizingY)
        return left == top ? CDragGeometry::Cursor::SizeNWSE : CDragGeometry::Cursor::SizeNESW;
    if (sizingX)
        return CDragGeometry::Cursor::SizeWE;
    if (sizingY)
        return CDragGeometry::Cursor::SizeNS;
    return CDragGeometry::Cursor::Arrow;
}

} // namespace

std::optional<CDragGeometry::Cursor> CDragGeometry::Begin(Point client, int width, int height, bool ctrl,
                                                          Point screen) {
    m_last = screen;
    m_moving = m_sizingX = m_sizingY = m_fromLeft = m_fromTop = false;
    if (InMoveStrip(client.X) || ctrl) {
        m_moving = true;
        return Cursor::Hand;
    }
    if (width - client.X < kBorder || client.X < kBorder) {
        m_sizingX = true;
        m_fromLeft = client.X < kBorder;
    }
    if (height - client.Y < kBorder || client.Y < kBorder) {
        m_sizingY = true;
        m_fromTop = client.Y < kBorder;
    }
    if (!m_sizingX && !m_sizingY)
        return std::nullopt;
    return SizingCursor(m_sizingX, m_sizingY, m_fromLeft, m_fromTop);
}

std::optional<Rect> CDragGeometry::Step(Point screen, const Rect& window) {
    const int dx = screen.X - m_last.X;
    const int dy = screen.Y - m_last.Y;
    if (m_moving) {
        m_last = screen;
        return window.MovedTo(window.Left + dx, window.Top + dy);
    }
    if (!m_sizingX && !m_sizingY)
        return std::nullopt;

    int left = window.Left;
    int top = window.Top;
    int width = window.Width();
    int height = window.Height();
    if (m_sizingX) {
        if (m_fromLeft) {
            left += dx;
            width -= dx;
        } else {
            width += dx;
        }
    }
    if (m_sizingY) {
        if (m_fromTop) {
            top += dy;
            height -= dy;
        } else {
            height += dy;
        }
    }
    if (width < kMinWidth || height < kMinHeight)
        return std::nullopt;
    m_last = screen;
    return Rect{left, top, left + width, top + height};
}

void CDragGeometry::End() {
    m_moving = m_sizingX = m_sizingY = m_fromLeft = m_fromTop = false;
}

CDragGeometry::Cursor CDragGeometry::HoverCursor(Point client, int width, int height, bool ctrl) {
    if (InMoveStrip(client.X) || ctrl)
        return Cursor::Hand;
    const bool left = client.X < kBorder;
    const bool right = width - client.X < kBorder;
    const bool top = client.Y < kBorder;
    const bool bottom = height - client.Y < kBorder;
    return SizingCursor(left || right, top || bottom, left, top);
}
