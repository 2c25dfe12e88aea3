#pragma once

// A window rectangle in screen pixels; Right and Bottom are exclusive.
struct Rect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    Rect MovedTo(int x, int y) const { return {x, y, x + Width(), y + Height()}; }
    bool operator==(const Rect&) const = default;
};

struct Point {
    int X = 0;
    int Y = 0;
    bool operator==(const Point&) const = default;
};
