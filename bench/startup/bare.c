/* The floor of the start-up figure on this desktop stack: COUNT windows of a
 * note's size, with the hints a note window carries, mapped by a client that
 * does nothing else (no toolkit, no files, the background filled by the X
 * server). Whatever it takes to put them on the screen, the X server and the
 * window manager spend for every program. Runs until killed.
 * Usage: bare COUNT */
#include <xcb/xcb.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static xcb_atom_t intern(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, strlen(name), name), NULL);
    xcb_atom_t atom = r != NULL ? r->atom : XCB_ATOM_NONE;
    free(r);
    return atom;
}

static void set_atoms(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property, const xcb_atom_t* atoms, int n) {
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, property, XCB_ATOM_ATOM, 32, n, atoms);
}

int main(int argc, char** argv) {
    const int count = argc == 2 ? atoi(argv[1]) : -1;
    if (count < 0) {
        fprintf(stderr, "usage: bare COUNT\n");
        return 2;
    }
    xcb_connection_t* c = xcb_connect(NULL, NULL);
    if (xcb_connection_has_error(c)) {
        fprintf(stderr, "bare: no X display\n");
        return 1;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_atom_t type = intern(c, "_NET_WM_WINDOW_TYPE"), utility = intern(c, "_NET_WM_WINDOW_TYPE_UTILITY"),
                     motif = intern(c, "_MOTIF_WM_HINTS"), state = intern(c, "_NET_WM_STATE"),
                     pid_atom = intern(c, "_NET_WM_PID"), protocols = intern(c, "WM_PROTOCOLS");
    const xcb_atom_t skip[2] = {intern(c, "_NET_WM_STATE_SKIP_TASKBAR"), intern(c, "_NET_WM_STATE_SKIP_PAGER")};
    const xcb_atom_t accepted[2] = {intern(c, "WM_DELETE_WINDOW"), intern(c, "WM_TAKE_FOCUS")};
    const uint32_t pid = (uint32_t)getpid();
    const uint32_t input_hint[9] = {1, 1, 0, 0, 0, 0, 0, 0, 0};
    const uint32_t no_decorations[5] = {2, 0, 0, 0, 0};

    const xcb_window_t leader = xcb_generate_id(c);
    xcb_create_window(c, 0, leader, screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY, screen->root_visual, 0,
                      NULL);
    for (int i = 0; i < count; ++i) {
        const xcb_window_t w = xcb_generate_id(c);
        const uint32_t values[2] = {0xFFFF88u, XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_EXPOSURE};
        xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, 20 + (i % 20) * 30, 20 + (i / 20) * 90, 200, 80, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK,
                          values);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8, 10, "bare\0bare\0");
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 4, "bare");
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 32, 9, input_hint);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 32, 1, &leader);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, pid_atom, XCB_ATOM_CARDINAL, 32, 1, &pid);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, motif, motif, 32, 5, no_decorations);
        set_atoms(c, w, type, &utility, 1);
        set_atoms(c, w, state, skip, 2);
        set_atoms(c, w, protocols, accepted, 2);
        xcb_map_window(c, w);
    }
    xcb_flush(c);
    /* Events are read and dropped, as a toolkit would, so that the X server never
     * waits on a full socket. */
    xcb_generic_event_t* event;
    while ((event = xcb_wait_for_event(c)) != NULL)
        free(event);
    xcb_disconnect(c);
    return 0;
}
