#pragma once

// What the rooms of the X11 layer share: the program's connection, its atoms, replies freed.

#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace tintel::x11 {

struct FreeReply
{
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply>;

// The program's connection to the X server; nothing off X11.
xcb_connection_t* connection();
xcb_window_t rootWindow(xcb_connection_t* c);
// Asked of the server once for each name.
xcb_atom_t atom(xcb_connection_t* c, const char* name, bool onlyIfExists = false);
// Asks for more events on the window's native window, keeping Qt's; answers its id.
xcb_window_t selectEvents(QWidget* window, uint32_t events);

// A watch that a window owns, among its children.
template <typename Watch>
Watch* findWatch(QWidget* window)
{
    for (QObject* child : window->children()) {
        if (auto* watch = dynamic_cast<Watch*>(child))
            return watch;
    }
    return nullptr;
}

} // namespace tintel::x11
