/* Starts a program and waits, on X events rather than by polling, until COUNT
 * of its top-level windows larger than 64 pixels (either side) are viewable,
 * and FILE (when given) is not empty. Prints "ms kib pid": milliseconds from
 * the start to that moment, the program's peak resident memory (VmHWM) then,
 * and its pid. The program is left running, its output discarded. Exit status 1 after 60 s.
 * Usage: ready COUNT FILE|- PROGRAM [ARGUMENT...] */
#include <xcb/xcb.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

enum { kMaxWindows = 4096, kBig = 64, kTimeoutMs = 60000, kFilePollMs = 5 };

struct tracked {
    xcb_window_t id;
    int pid;       /* 0 until the window has _NET_WM_PID */
    int ask_pid;   /* the property may have changed since it was last read */
    int ready;     /* counted as viewable and big; kept until an event says otherwise */
};

static struct tracked windows[kMaxWindows];
static int window_count;

static double now_ms(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

static long peak_kib(pid_t pid) {
    char path[64], line[256];
    long kib = -1;
    snprintf(path, sizeof path, "/proc/%d/status", (int)pid);
    FILE* f = fopen(path, "r");
    if (f == NULL)
        return -1;
    while (fgets(line, sizeof line, f) != NULL)
        if (sscanf(line, "VmHWM: %ld", &kib) == 1)
            break;
    fclose(f);
    return kib;
}

static int file_ready(const char* file) {
    struct stat st;
    return file == NULL || (stat(file, &st) == 0 && st.st_size > 0);
}

static xcb_atom_t intern(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, strlen(name), name), NULL);
    xcb_atom_t atom = r != NULL ? r->atom : XCB_ATOM_NONE;
    free(r);
    return atom;
}

static void track(xcb_connection_t* c, xcb_window_t id) {
    if (window_count == kMaxWindows)
        return;
    windows[window_count].id = id;
    windows[window_count].pid = 0;
    windows[window_count].ask_pid = 1; /* once after the selection, then on change */
    windows[window_count].ready = 0;
    ++window_count;
    const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(c, id, XCB_CW_EVENT_MASK, &mask);
}

static struct tracked* find(xcb_window_t id) {
    int i;
    for (i = 0; i < window_count; ++i)
        if (windows[i].id == id)
            return &windows[i];
    return NULL;
}

/* An unmap or reparent anywhere can hide a window counted before. */
static void forget_ready(void) {
    int i;
    for (i = 0; i < window_count; ++i)
        windows[i].ready = 0;
}

static void untrack(xcb_window_t id) {
    int i;
    for (i = 0; i < window_count; ++i) {
        if (windows[i].id == id) {
            windows[i] = windows[--window_count];
            return;
        }
    }
}

/* The program's big viewable windows. Only what may have changed is asked,
 * all at once: the observer must not load the X server it measures through. */
static int count_ready(xcb_connection_t* c, xcb_atom_t pid_atom, pid_t pid) {
    static xcb_get_property_cookie_t pids[kMaxWindows];
    static xcb_get_window_attributes_cookie_t attributes[kMaxWindows];
    static xcb_get_geometry_cookie_t geometries[kMaxWindows];
    static int asked[kMaxWindows];
    int i, n = 0;
    for (i = 0; i < window_count; ++i) {
        struct tracked* w = &windows[i];
        if (w->ask_pid)
            pids[i] = xcb_get_property(c, 0, w->id, pid_atom, XCB_ATOM_CARDINAL, 0, 1);
        asked[i] = !w->ready && (w->ask_pid || w->pid == pid);
        if (asked[i]) {
            attributes[i] = xcb_get_window_attributes(c, w->id);
            geometries[i] = xcb_get_geometry(c, w->id);
        }
    }
    for (i = 0; i < window_count; ++i) {
        struct tracked* w = &windows[i];
        if (w->ask_pid) {
            w->ask_pid = 0;
            xcb_get_property_reply_t* p = xcb_get_property_reply(c, pids[i], NULL);
            if (p != NULL && p->format == 32 && xcb_get_property_value_length(p) == 4)
                w->pid = (int)*(uint32_t*)xcb_get_property_value(p);
            free(p);
        }
        if (asked[i]) {
            xcb_get_window_attributes_reply_t* a = xcb_get_window_attributes_reply(c, attributes[i], NULL);
            xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(c, geometries[i], NULL);
            w->ready = a != NULL && g != NULL && w->pid == pid && a->map_state == XCB_MAP_STATE_VIEWABLE &&
                       (g->width > kBig || g->height > kBig);
            free(a);
            free(g);
        }
        n += w->ready;
    }
    return n;
}

int main(int argc, char** argv) {
    if (argc < 4) {
        fprintf(stderr, "usage: ready COUNT FILE|- PROGRAM [ARGUMENT...]\n");
        return 2;
    }
    const int wanted = atoi(argv[1]);
    const char* file = strcmp(argv[2], "-") == 0 ? NULL : argv[2];
    xcb_connection_t* c = xcb_connect(NULL, NULL);
    if (xcb_connection_has_error(c)) {
        fprintf(stderr, "ready: no X display\n");
        return 2;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const xcb_atom_t pid_atom = intern(c, "_NET_WM_PID");
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
    free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), NULL)); /* selected before the start */

    const double start = now_ms();
    const pid_t pid = fork();
    if (pid == 0) {
        close(xcb_get_file_descriptor(c));
        /* Its output is not ours: a caller reading ours must not wait for it. */
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        close(null);
        execvp(argv[3], argv + 3);
        _exit(127);
    }
    if (pid < 0)
        return 2;

    struct pollfd fd = {xcb_get_file_descriptor(c), POLLIN, 0};
    int dirty = 0, file_seen = 0;
    for (;;) {
        xcb_generic_event_t* e;
        while ((e = xcb_poll_for_event(c)) != NULL) {
            switch (e->response_type & 0x7f) {
            case XCB_CREATE_NOTIFY: {
                const xcb_create_notify_event_t* create = (const xcb_create_notify_event_t*)e;
                if (create->parent == root)
                    track(c, create->window);
                dirty = 1;
                break;
            }
            case XCB_DESTROY_NOTIFY:
                untrack(((const xcb_destroy_notify_event_t*)e)->window);
                dirty = 1;
                break;
            case XCB_PROPERTY_NOTIFY: {
                const xcb_property_notify_event_t* property = (const xcb_property_notify_event_t*)e;
                struct tracked* w = property->atom == pid_atom ? find(property->window) : NULL;
                if (w != NULL) {
                    w->ask_pid = 1;
                    w->ready = 0;
                    dirty = 1;
                }
                break;
            }
            case XCB_CONFIGURE_NOTIFY: {
                struct tracked* w = find(((const xcb_configure_notify_event_t*)e)->window);
                if (w != NULL)
                    w->ready = 0;
                dirty = 1;
                break;
            }
            case XCB_UNMAP_NOTIFY:
            case XCB_REPARENT_NOTIFY:
                forget_ready();
                dirty = 1;
                break;
            case XCB_MAP_NOTIFY:
                dirty = 1;
                break;
            default:
                break;
            }
            free(e);
        }
        if (xcb_connection_has_error(c))
            return 1;
        if (!file_seen && file_ready(file)) {
            file_seen = 1;
            dirty = 1;
        }
        if (dirty && file_seen) {
            dirty = 0;
            if (count_ready(c, pid_atom, pid) >= wanted) {
                const double ready = now_ms();
                printf("%.0f %ld %d\n", ready - start, peak_kib(pid), (int)pid);
                return 0;
            }
            continue; /* the replies may have brought events */
        }
        if (now_ms() - start > kTimeoutMs) {
            kill(pid, SIGTERM);
            return 1;
        }
        poll(&fd, 1, file_seen ? 100 : kFilePollMs);
    }
}
