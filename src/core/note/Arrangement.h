#pragma once

#include "core/base/Rect.h"

#include <optional>
#include <vector>

// Screen geometry of the Order commands, as pure computations over rectangles.
namespace arrangement {

enum class Corner { UpperLeft, LowerLeft, UpperRight, LowerRight };

struct Placement {
    int Id = 0;
    Point Position;
    bool operator==(const Placement&) const = default;
};

struct ArrangedNote {
    int Id = 0;
    Rect Window;
    bool Visible = true;
};

// Lines the visible notes up in columns from a corner of a width x height
// screen, in the order given, leaving gap pixels between notes and columns.
// Hidden notes keep their places and get no placement. A note taller than the
// screen starts a column of its own; in the lower corners the column break is
// tested before the gap is taken off, so a note can start up to gap pixels
// above the top edge.
std::vector<Placement> Arrange(const std::vector<ArrangedNote>& ordered, Corner corner, int width, int height, int gap);

// True when any pixel row or column of the note touches the screen (edges included).
bool IsOnScreen(const Rect& note, const Rect& screen);

// Where a note must go so that it can be seen: nothing when it is even partly
// on any of the screens; otherwise it is shifted, size unchanged, just far
// enough onto the primary screen (vertically, horizontally or both).
std::optional<Rect> RelocateIntoScreen(const Rect& note, const Rect& primary, const std::vector<Rect>& screens);

} // namespace arrangement
