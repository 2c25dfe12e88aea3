#include "ui/note/TaskbarHint.h"

#include <QWidget>
#include <QWindow>

#ifdef QUILLET_HAVE_XCB
#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#endif

namespace taskbarhint {

#ifdef QUILLET_HAVE_XCB
namespace {

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    if (reply == nullptr)
        return XCB_ATOM_NONE;
    const xcb_atom_t atom = reply->atom;
    std::free(reply);
    return atom;
}

} // namespace

void SkipTaskbar(QWidget* window, bool mapped) {
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11 == nullptr || x11->connection() == nullptr)
        return;
    xcb_connection_t* connection = x11->connection();
    static const xcb_atom_t state = Atom(connection, "_NET_WM_STATE");
    static const xcb_atom_t skipTaskbar = Atom(connection, "_NET_WM_STATE_SKIP_TASKBAR");
    static const xcb_atom_t skipPager = Atom(connection, "_NET_WM_STATE_SKIP_PAGER");
    if (state == XCB_ATOM_NONE || skipTaskbar == XCB_ATOM_NONE || skipPager == XCB_ATOM_NONE)
        return;

    // A native window made here holds none of our states yet: no need to read
    // them back, which is a round trip to the server for every note shown.
    const bool fresh = !window->testAttribute(Qt::WA_WState_Created);
    window->winId(); // creates the native window when there is none yet
    // The platform window's id: it can differ from the widget's cached one after a re-creation.
    const auto id = static_cast<xcb_window_t>(window->windowHandle()->winId());
    if (mapped) {
        xcb_client_message_event_t event;
        std::memset(&event, 0, sizeof event);
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = id;
        event.type = state;
        event.data.data32[0] = 1; // _NET_WM_STATE_ADD
        event.data.data32[1] = skipTaskbar;
        event.data.data32[2] = skipPager;
        event.data.data32[3] = 1; // from a normal application
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
        xcb_send_event(connection, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&event));
        xcb_flush(connection);
        return;
    }
    // Keep what is there (Qt merges its own states into the property when it maps).
    bool hasTaskbar = false;
    bool hasPager = false;
    xcb_get_property_reply_t* reply = nullptr;
    if (!fresh)
        reply = xcb_get_property_reply(connection, xcb_get_property(connection, 0, id, state, XCB_ATOM_ATOM, 0, 1024),
                                       nullptr);
    if (reply != nullptr) {
        if (reply->format == 32 && reply->type == XCB_ATOM_ATOM) {
            const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
            const int count = xcb_get_property_value_length(reply) / static_cast<int>(sizeof(xcb_atom_t));
            for (int i = 0; i < count; ++i) {
                hasTaskbar = hasTaskbar || atoms[i] == skipTaskbar;
                hasPager = hasPager || atoms[i] == skipPager;
            }
        }
        std::free(reply);
    }
    xcb_atom_t added[2];
    std::uint32_t count = 0;
    if (!hasTaskbar)
        added[count++] = skipTaskbar;
    if (!hasPager)
        added[count++] = skipPager;
    if (count > 0)
        xcb_change_property(connection, XCB_PROP_MODE_APPEND, id, state, XCB_ATOM_ATOM, 32, count, added);
    xcb_flush(connection);
}
#else
void SkipTaskbar(QWidget*, bool) {}
#endif

} // namespace taskbarhint
