#include "core/note/Arrangement.h"

#include <algorithm>

namespace arrangement {

std::vector<Placement> Arrange(const std::vector<ArrangedNote>& ordered, Corner corner, int width, int height,
                               int gap) {
    const bool upper = corner == Corner::UpperLeft || corner == Corner::UpperRight;
    const bool right = corner == Corner::UpperRight || corner == Corner::LowerRight;
    const int columnStart = upper ? 0 : height + gap;

    std::vector<Placement> placements;
    int column = 0;
    int columnWidth = 0;
    int y = columnStart;
    for (const ArrangedNote& note : ordered) {
        if (!note.Visible)
            continue;
        const int w = note.Window.Width();
        const int h = note.Window.Height();

        if (upper ? y + h > height : y - h < 0) {
            column += columnWidth;
            y = columnStart;
            columnWidth = 0;
        }
        const int x = right ? width - column - w : column;
        if (upper) {
            placements.push_back({note.Id, {x, y}});
            y += h + gap;
        } else {
            y -= h + gap;
            placements.push_back({note.Id, {x, y}});
        }
        if (columnWidth < w)
            columnWidth = w + gap;
    }
    return placements;
}

bool IsOnScreen(const Rect& note, const Rect& screen) {
    return !(note.Bottom < screen.Top || note.Top > screen.Bottom || note.Right < screen.Left ||
             note.Left > screen.Right);
}

std::optional<Rect> RelocateIntoScreen(const Rect& note, const Rect& primary, const std::vector<Rect>& screens) {
    if (IsOnScreen(note, primary) ||
        std::any_of(screens.begin(), screens.end(), [&](const Rect& s) { return IsOnScreen(note, s); }))
        return std::nullopt;

    int dx = 0;
    int dy = 0;
    if (note.Bottom < primary.Top)
        dy = primary.Top - note.Top;
    else if (note.Top > primary.Bottom)
        dy = primary.Bottom - note.Bottom;
    if (note.Right < primary.Left)
        dx = primary.Left - note.Left;
    else if (note.Left > primary.Right)
        dx = primary.Right - note.Right;
    return Rect{note.Left + dx, note.Top + dy, note.Right + dx, note.Bottom + dy};
}

} // namespace arrangement
