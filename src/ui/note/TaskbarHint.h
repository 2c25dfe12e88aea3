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

} // namespace taskbarhint
