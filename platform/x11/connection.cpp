#include "platform/x11/connection.h"

#include <QGuiApplication>

#include <cstring>
#include <map>
#include <string>
#include <utility>

namespace tintel::x11 {

xcb_connection_t* connection()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_window_t rootWindow(xcb_connection_t* c)
{
    return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
}

xcb_atom_t atom(xcb_connection_t* c, const char* name, bool onlyIfExists)
{
    // An atom keeps its number for as long as the server runs: asked once, not at each alarm.
    static std::map<std::pair<xcb_connection_t*, std::string>, xcb_atom_t> known;
    const auto key = std::make_pair(c, std::string(name));
    if (const auto it = known.find(key); it != known.end())
        return it->second;
    const auto length = static_cast<uint16_t>(std::strlen(name));
    Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, onlyIfExists, length, name), nullptr));
    const xcb_atom_t found = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    if (found != XCB_ATOM_NONE)
        known.emplace(key, found);
    return found;
}

xcb_window_t selectEvents(QWidget* window, uint32_t events)
{
    xcb_connection_t* c = connection();
    const xcb_window_t id = c ? xcb_window_t(window->internalWinId()) : xcb_window_t(XCB_NONE);
    if (id == XCB_NONE)
        return id;
    // Changing the mask replaces the whole of this client's mask on the window, Qt's with it.
    Reply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, id), nullptr));
    if (!attributes || (attributes->your_event_mask & events) == events)
        return id;
    const uint32_t mask = attributes->your_event_mask | events;
    xcb_change_window_attributes(c, id, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);
    return id;
}

} // namespace tintel::x11
