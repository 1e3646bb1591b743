// What the desktop publishes on the root window and its settings daemon's window.
#include "platform/x11/connection.h"
#include "platform/x11/x11.h"

namespace tintel::x11 {

QByteArray xsettings()
{
    xcb_connection_t* c = connection();
    if (!c)
        return {};
    // Atoms that nobody interned mean that no settings daemon ever ran on this display.
    const xcb_atom_t selection = atom(c, "_XSETTINGS_S0", true);
    const xcb_atom_t property = atom(c, "_XSETTINGS_SETTINGS", true);
    if (selection == XCB_ATOM_NONE || property == XCB_ATOM_NONE)
        return {};
    Reply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr));
    if (!owner || owner->owner == XCB_NONE)
        return {};
    // A window that vanishes between the two requests answers with an error, read as nothing.
    Reply<xcb_get_property_reply_t> value(xcb_get_property_reply(
        c, xcb_get_property(c, 0, owner->owner, property, property, 0, 1u << 20), nullptr));
    if (!value || value->format != 8)
        return {};
    return QByteArray(static_cast<const char*>(xcb_get_property_value(value.get())),
                      xcb_get_property_value_length(value.get()));
}

QByteArray rootText(const char* name)
{
    xcb_connection_t* c = connection();
    const xcb_atom_t property = c ? atom(c, name, true) : xcb_atom_t(XCB_ATOM_NONE);
    if (property == XCB_ATOM_NONE)
        return {};
    Reply<xcb_get_property_reply_t> value(xcb_get_property_reply(
        c, xcb_get_property(c, 0, rootWindow(c), property, XCB_ATOM_STRING, 0, 1024), nullptr));
    if (!value || value->format != 8)
        return {};
    return QByteArray(static_cast<const char*>(xcb_get_property_value(value.get())),
                      xcb_get_property_value_length(value.get()));
}

} // namespace tintel::x11
