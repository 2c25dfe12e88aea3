#pragma once

#include <functional>

// The end of the X connection ends the process: Qt calls exit(1) when it sees
// the connection broken, and Xlib does the same from its fatal-error handler.
// Many X sessions end exactly so, and it is the notes' session end too. While
// an object of this class lives (one at a time, on the user-interface thread,
// made once the event loop is about to run), the end of the connection runs
// the save on that thread and then ends the process at once, before the exit
// handlers tear windows down behind a display that is gone. Xlib calls that
// fail meanwhile return their error instead of exiting, and writes to the
// closed connection do not raise SIGPIPE. The save must not need the display.
class CDisplayLoss {
public:
    explicit CDisplayLoss(std::function<void()> save);
    ~CDisplayLoss();

    CDisplayLoss(const CDisplayLoss&) = delete;
    CDisplayLoss& operator=(const CDisplayLoss&) = delete;

private:
    std::function<void()> m_save;
};
