// The floor the benchmark sets Tintel against: the least a program can do to show a new picture
// at each wall-clock second. Plain xcb, no toolkit: it sleeps until the exact second on the
// realtime clock, fills its window with the second's shade and flushes.
//
//   floor                      the clock, titled "Floor clock"
//   floor --cover X Y W H      a still black window over that rectangle, above every other one,
//                              to hide a window that keeps itself on top

#include <xcb/xcb.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <time.h>
#include <unistd.h>

namespace {

// The window manager leaves an override-redirect window alone, so it stays where it is mapped: on
// top of the stack.
int cover(xcb_connection_t* connection, xcb_screen_t* screen, char** geometry)
{
    int numbers[4];
    for (int i = 0; i < 4; ++i)
        numbers[i] = std::atoi(geometry[i]);
    const xcb_window_t window = xcb_generate_id(connection);
    const std::uint32_t values[] = {screen->black_pixel, 1};
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root,
                      std::int16_t(numbers[0]), std::int16_t(numbers[1]), std::uint16_t(numbers[2]),
                      std::uint16_t(numbers[3]), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
    const char title[] = "Floor cover";
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME,
                        XCB_ATOM_STRING, 8, sizeof title - 1, title);
    xcb_map_window(connection, window);
    xcb_flush(connection);
    for (;;)
        pause();
}

} // namespace

int main(int argc, char** argv)
{
    const bool covering = argc == 6 && std::strcmp(argv[1], "--cover") == 0;
    if (argc != 1 && !covering) {
        std::fprintf(stderr, "usage: floor [--cover X Y WIDTH HEIGHT]\n");
        return 2;
    }
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "floor: no X display\n");
        return 1;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (covering)
        return cover(connection, screen, argv + 2);

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
