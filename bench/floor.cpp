// The floor the benchmark sets Tintel against: the least a program can do to show a new picture
// at each wall-clock second. Plain xcb, no toolkit: it sleeps until the exact second on the
// realtime clock, fills its window with the second's shade and flushes.

#include <xcb/xcb.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <time.h>

int main()
{
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "floor: no X display\n");
        return 1;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;

    // Away from the top right-hand corner and from the baseline clock: a covered window reports
    // no drawing. No event is asked for, so nothing waits to be read.
    const xcb_window_t window = xcb_generate_id(connection);
    const std::uint32_t values[] = {screen->black_pixel, 0};
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 40, 300, 160, 40, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
    const char title[] = "Floor clock";
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME,
                        XCB_ATOM_STRING, 8, sizeof title - 1, title);
    const xcb_gcontext_t gc = xcb_generate_id(connection);
    xcb_create_gc(connection, gc, window, 0, nullptr);
    xcb_map_window(connection, window);
    xcb_flush(connection);

    const xcb_rectangle_t whole = {0, 0, 160, 40};
    for (;;) {
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        const timespec next = {now.tv_sec + 1, 0};
        while (clock_nanosleep(CLOCK_REALTIME, TIMER_ABSTIME, &next, nullptr) == EINTR) {
        }
        // A grey that differs from one second to the next, so that every second is a change.
        const std::uint32_t grey = std::uint32_t(next.tv_sec % 2 ? 0x40 : 0xc0) * 0x010101u;
        xcb_change_gc(connection, gc, XCB_GC_FOREGROUND, &grey);
        xcb_poly_fill_rectangle(connection, window, gc, 1, &whole);
        if (xcb_flush(connection) <= 0)
            return 0;
    }
}
