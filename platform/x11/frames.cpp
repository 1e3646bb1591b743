// The frames window managers draw around windows, the panels they keep free, where windows go.
#include "platform/x11/connection.h"
#include "platform/x11/x11.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <chrono>
#include <map>
#include <thread>
#include <vector>

namespace tintel::x11 {
namespace {

// What the window manager has told, kept until another window manager takes over: what it
// supports, and the frame it gave each kind of window, so that a window of a kind already framed
// is placed without waiting on the window manager (an alarm's message, whose kind the countdown
// has framed seconds before).
class Told final : public QAbstractNativeEventFilter
{
public:
    static Told& of(xcb_connection_t* c)
    {
        static Told* told = nullptr;
        if (!told || told->m_connection != c) {
            delete told;
            told = new Told(c);
        }
        return *told;
    }

    bool supports(xcb_atom_t what)
    {
        if (!m_supported) {
            m_supported.emplace();
            Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
                m_connection,
                xcb_get_property(m_connection, 0, rootWindow(m_connection),
                                 atom(m_connection, "_NET_SUPPORTED"), XCB_ATOM_ATOM, 0, 4096),
                nullptr));
            if (reply && reply->format == 32) {
                const auto* atoms =
                    static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
                m_supported->assign(atoms, atoms + xcb_get_property_value_length(reply.get()) / 4);
            }
        }
        return std::find(m_supported->begin(), m_supported->end(), what) != m_supported->end();
    }

    // Nothing inside: the window manager left a window of that kind unanswered.
    std::map<QByteArray, std::optional<QMargins>> frames;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
            return false;
        const auto* change = static_cast<const xcb_property_notify_event_t*>(message);
        if (change->window == rootWindow(m_connection) &&
            change->atom == atom(m_connection, "_NET_SUPPORTED")) {
            m_supported.reset();
            frames.clear();
        }
        return false;
    }

private:
    explicit Told(xcb_connection_t* c) : m_connection(c) { qApp->installNativeEventFilter(this); }
    ~Told() override
    {
        if (qApp)
            qApp->removeNativeEventFilter(this);
    }

    xcb_connection_t* m_connection;
    std::optional<std::vector<xcb_atom_t>> m_supported;
};

// A kind of window, by its class and title bar, not by whether it stays on top: flags alone are
// not enough, as metacity frames the countdown and the new-alarm window 5 pixels apart.
QByteArray frameKind(const QWidget* window)
{
    const Qt::WindowFlags flags =
        window->windowFlags() & ~(Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus);
    return window->metaObject()->className() + QByteArray::number(flags.toInt());
}

std::optional<QMargins> readExtents(xcb_connection_t* c, xcb_window_t window, xcb_atom_t extents)
{
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, extents, XCB_ATOM_CARDINAL, 0, 4), nullptr));
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) != 16)
        return std::nullopt;
    const auto* value = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    // Left, right, top, bottom.
    return QMargins(int(value[0]), int(value[2]), int(value[1]), int(value[3]));
}

// The frame a reparenting window manager drew, read from the window's ancestor just under the
// root: for window managers that publish no frame extents, once the window is mapped.
std::optional<QMargins> parentFrame(xcb_connection_t* c, xcb_window_t id)
{
    xcb_window_t frame = id;
    for (;;) {
        Reply<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(c, xcb_query_tree(c, frame), nullptr));
        if (!tree)
            return std::nullopt;
        if (tree->parent == tree->root || tree->parent == XCB_NONE)
            break;
        frame = tree->parent;
    }
    if (frame == id)
        return std::nullopt;
    Reply<xcb_get_geometry_reply_t> outer(
        xcb_get_geometry_reply(c, xcb_get_geometry(c, frame), nullptr));
    Reply<xcb_get_geometry_reply_t> inner(
        xcb_get_geometry_reply(c, xcb_get_geometry(c, id), nullptr));
    Reply<xcb_translate_coordinates_reply_t> at(
        xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, id, frame, 0, 0), nullptr));
    if (!outer || !inner || !at)
        return std::nullopt;
    const int border = outer->border_width;
    return QMargins(at->dst_x + border, at->dst_y + border,
                    outer->width - at->dst_x - inner->width + border,
                    outer->height - at->dst_y - inner->height + border);
}

std::optional<QSize> geometry(xcb_connection_t* c, xcb_window_t window)
{
    Reply<xcb_get_geometry_reply_t> reply(
        xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
    if (!reply)
        return std::nullopt;
    return QSize(reply->width, reply->height);
}

} // namespace

std::optional<QMargins> frameExtents(QWidget* window)
{
    xcb_connection_t* c = connection();
    if (!c)
        return std::nullopt;
    Told& told = Told::of(c);
    const auto id = static_cast<xcb_window_t>(window->winId());
    const xcb_atom_t extents = atom(c, "_NET_FRAME_EXTENTS");
    const QByteArray kind = frameKind(window);
    if (auto known = readExtents(c, id, extents))
        return told.frames[kind] = known;
    const xcb_atom_t request = atom(c, "_NET_REQUEST_FRAME_EXTENTS");
    if (!told.supports(request))
        return told.supports(extents) ? std::nullopt : parentFrame(c, id);
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = id;
    event.type = request;
    xcb_send_event(c, 0, rootWindow(c),
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(c);
    // Asked all the same: once framed, the window reads its own, and is placed again if the
    // window manager framed it otherwise (Form's check after the first showing).
    const auto earlier = told.frames.find(kind);
    if (earlier != told.frames.end() && earlier->second)
        return earlier->second;
    // The answer comes within a millisecond or two. A busy window manager gets a fifth of a
    // second, and five milliseconds once it has left a window of the kind unanswered: the
    // alarm's message, whose kind the countdown asks about seconds before, never waits on it.
    const int attempts = earlier != told.frames.end() ? 20 : 800;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (auto answered = readExtents(c, id, extents))
            return told.frames[kind] = answered;
        std::this_thread::sleep_for(std::chrono::microseconds(250));
    }
    return told.frames[kind] = std::nullopt;
}

bool framesPublished()
{
    xcb_connection_t* c = connection();
    return !c || Told::of(c).supports(atom(c, "_NET_FRAME_EXTENTS")) ||
           Told::of(c).supports(atom(c, "_NET_REQUEST_FRAME_EXTENTS"));
}

std::optional<QSize> clientSize(QWidget* window)
{
    xcb_connection_t* c = connection();
    if (!c)
        return std::nullopt;
    return geometry(c, static_cast<xcb_window_t>(window->winId()));
}

std::optional<QMargins> panelStruts()
{
    xcb_connection_t* c = connection();
    if (!c)
        return std::nullopt;
    const xcb_window_t root = rootWindow(c);
    Reply<xcb_get_property_reply_t> area(xcb_get_property_reply(
        c, xcb_get_property(c, 0, root, atom(c, "_NET_WORKAREA"), XCB_ATOM_CARDINAL, 0, 4),
        nullptr));
    if (!area || area->type != XCB_ATOM_NONE)
        return std::nullopt;
    // Panels stand on the root, or among the managed windows when the window manager frames them.
    std::vector<xcb_window_t> windows;
    Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr));
    if (tree) {
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        windows.assign(children, children + xcb_query_tree_children_length(tree.get()));
    }
    Reply<xcb_get_property_reply_t> clients(xcb_get_property_reply(
        c, xcb_get_property(c, 0, root, atom(c, "_NET_CLIENT_LIST"), XCB_ATOM_WINDOW, 0, 4096),
        nullptr));
    if (clients && clients->format == 32) {
        const auto* ids = static_cast<const xcb_window_t*>(xcb_get_property_value(clients.get()));
        windows.insert(windows.end(), ids, ids + xcb_get_property_value_length(clients.get()) / 4);
    }
    // Asked of every window at once: one round trip, not one a window.
    const xcb_atom_t partial = atom(c, "_NET_WM_STRUT_PARTIAL");
    const xcb_atom_t plain = atom(c, "_NET_WM_STRUT");
    struct Asked
    {
        xcb_get_window_attributes_cookie_t state;
        xcb_get_property_cookie_t partial, plain;
    };
    std::vector<Asked> asked;
    for (const xcb_window_t window : windows) {
        asked.push_back({xcb_get_window_attributes(c, window),
                         xcb_get_property(c, 0, window, partial, XCB_ATOM_CARDINAL, 0, 4),
                         xcb_get_property(c, 0, window, plain, XCB_ATOM_CARDINAL, 0, 4)});
    }
    QMargins taken;
    for (const Asked& one : asked) {
        Reply<xcb_get_window_attributes_reply_t> state(
            xcb_get_window_attributes_reply(c, one.state, nullptr));
        Reply<xcb_get_property_reply_t> strut(xcb_get_property_reply(c, one.partial, nullptr));
        Reply<xcb_get_property_reply_t> old(xcb_get_property_reply(c, one.plain, nullptr));
        if (!state || state->map_state != XCB_MAP_STATE_VIEWABLE)
            continue;
        // The partial strut's first four values are the plain one's: left, right, top, bottom.
        const xcb_get_property_reply_t* value =
            strut && strut->format == 32 && xcb_get_property_value_length(strut.get()) == 16
                ? strut.get()
                : old.get();
        if (!value || value->format != 32 || xcb_get_property_value_length(value) != 16)
            continue;
        const auto* sides = static_cast<const uint32_t*>(xcb_get_property_value(value));
        taken = QMargins(
            std::max(taken.left(), int(sides[0])), std::max(taken.top(), int(sides[2])),
            std::max(taken.right(), int(sides[1])), std::max(taken.bottom(), int(sides[3])));
    }
    return taken;
}

std::optional<QSize> screenSize(const QScreen* screen)
{
    xcb_connection_t* c = connection();
    if (!c || !screen || QGuiApplication::screens().size() != 1)
        return std::nullopt;
    const std::optional<QSize> root = geometry(c, rootWindow(c));
    // A root window larger than the one monitor says nothing about the monitor.
    if (!root || qRound(root->width() / screen->devicePixelRatio()) != screen->size().width() ||
        qRound(root->height() / screen->devicePixelRatio()) != screen->size().height())
        return std::nullopt;
    return root;
}

bool moveClient(QWidget* window, QPoint devicePos)
{
    xcb_connection_t* c = connection();
    if (!c)
        return false;
    const int32_t values[] = {devicePos.x(), devicePos.y()};
    xcb_configure_window(c, static_cast<xcb_window_t>(window->winId()),
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, values);
    xcb_flush(c);
    return true;
}

} // namespace tintel::x11
