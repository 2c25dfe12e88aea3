#include "core/note/NoteGeometry.h"

namespace notegeometry {

AutoResizeResult AutoResize(int width, int height, const Rect& window, int screenHeight) {
    AutoResizeResult result;
    const int newWidth = width + kAutoResizeExtraWidth;
    int newHeight = height + kAutoResizeExtraHeight;
    int top = window.Top;
    if (window.Top + newHeight <= screenHeight) {
        // fits where it is
    } else if (newHeight < screenHeight) {
        top = screenHeight - newHeight;
    } else {
        result.SwitchOff = true;
        if (window.Height() >= newHeight)
            return result;
        top = 0;
        newHeight = screenHeight;
    }
    if (window.Width() == newWidth && window.Height() == newHeight)
        return result;
    result.Window = Rect{window.Left, top, window.Left + newWidth, top + newHeight};
    return result;
}

Rect CentreOnScreen(const Rect& window, const Rect& screen) {
    return window.MovedTo(screen.Left + screen.Width() / 2 - window.Width() / 2,
                          screen.Top + screen.Height() / 2 - window.Height() / 2);
}

} // namespace notegeometry
