#pragma once

class QWidget;

namespace taskbarhint {

// Asks the X11 window manager to keep a top-level window out of the task bar
// and the pager (_NET_WM_STATE_SKIP_TASKBAR, _NET_WM_STATE_SKIP_PAGER). Before
// the window is mapped the hint goes into its property (window managers read it
// at map time and drop it when the window is withdrawn, so set it before every
// show); once mapped, the window manager is asked by a client message. Does
// nothing on other platforms.
void SkipTaskbar(QWidget* window, bool mapped);

// Keeps a window that is being shown from taking the focus. Qt says so
// (_NET_WM_USER_TIME 0) on a helper window it makes, and clears the window's
// own time, while mapping; some window managers (icewm) read only the
// window's own, and would focus every note shown. From Hold() until the
// destructor has written the time back onto the window, the X server serves
// this program alone, so the window manager cannot handle the map in between.
// Hold() right before the map: nothing slow may run while held. Does nothing
// on other platforms.
class CQuietMap {
public:
    explicit CQuietMap(QWidget* window);
    ~CQuietMap();
    CQuietMap(const CQuietMap&) = delete;
    CQuietMap& operator=(const CQuietMap&) = delete;

    void Hold();

private:
    QWidget* m_window;
    bool m_held = false;
};

// Lets the window manager focus a window shown from now on as it sees fit,
// undoing what CQuietMap wrote on it.
void AllowFocusOnMap(QWidget* window);

} // namespace taskbarhint
