#include "ui/app/DisplayLoss.h"

#include <QGuiApplication>
#include <QMetaObject>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <utility>

#ifdef QUILLET_HAVE_X11
#include <X11/Xlib.h>
#endif

namespace {

std::function<void()>* g_save = nullptr;
std::thread::id g_uiThread;
bool g_saving = false;
bool g_exitRegistered = false;
struct sigaction g_previousPipe {};

// Once, on the user-interface thread only: the notes are not thread-safe.
void SaveAndEnd() {
    if (g_save == nullptr || g_saving || std::this_thread::get_id() != g_uiThread)
        return;
    g_saving = true;
    (*g_save)();
    std::fflush(nullptr);
    std::_Exit(1);
}

void OnExit() {
    SaveAndEnd();
}

#ifdef QUILLET_HAVE_X11
XIOErrorHandler g_previousIoHandler = nullptr;

// Xlib calls the exit handler below when this returns.
int OnIoError(Display*) {
    if (!g_saving)
        std::fputs("quillet: the connection to the X server is gone\n", stderr);
    return 0;
}

// Not saving here: inside Xlib's error path the display is half torn down, and
// the save must not reach it. The failed call returns, and the save runs from
// the event loop, or from Qt's exit if that comes first.
void OnIoErrorExit(Display*, void*) {
    if (!g_saving && qApp != nullptr)
        QMetaObject::invokeMethod(
            qApp, [] { SaveAndEnd(); }, Qt::QueuedConnection);
}

Display* XDisplay() {
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 != nullptr ? x11->display() : nullptr;
}
#endif

} // namespace

CDisplayLoss::CDisplayLoss(std::function<void()> save) : m_save(std::move(save)) {
    g_save = &m_save;
    g_uiThread = std::this_thread::get_id();
    // Exit handlers run last registered first: this one comes before those of
    // everything made so far. It cannot be taken back, so it stays harmless.
    if (!g_exitRegistered)
        g_exitRegistered = std::atexit(OnExit) == 0;
    // A write to the closed X socket raises SIGPIPE, which would end the
    // process before the save; the write's error is enough.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, &g_previousPipe);
#ifdef QUILLET_HAVE_X11
    if (Display* display = XDisplay()) {
        g_previousIoHandler = XSetIOErrorHandler(OnIoError);
        XSetIOErrorExitHandler(display, OnIoErrorExit, nullptr);
    }
#endif
}

CDisplayLoss::~CDisplayLoss() {
#ifdef QUILLET_HAVE_X11
    if (Display* display = XDisplay()) {
        XSetIOErrorExitHandler(display, nullptr, nullptr);
        XSetIOErrorHandler(g_previousIoHandler);
    }
#endif
    sigaction(SIGPIPE, &g_previousPipe, nullptr);
    g_save = nullptr;
}
