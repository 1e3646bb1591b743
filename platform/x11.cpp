#include "platform/x11.h"

#include <QAbstractNativeEventFilter>
#include <QElapsedTimer>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#ifdef TINTEL_HAVE_XCB
#include <xcb/xcb.h>

#include <algorithm>
#include <bitset>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>
#endif

namespace tintel::x11 {

#ifdef TINTEL_HAVE_XCB
namespace {

struct FreeReply
{
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply>;

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

xcb_atom_t atom(xcb_connection_t* c, const char* name, bool onlyIfExists = false)
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

bool supportedByWindowManager(xcb_connection_t* c, xcb_atom_t what)
{
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, rootWindow(c), atom(c, "_NET_SUPPORTED"), XCB_ATOM_ATOM, 0, 4096),
        nullptr));
    if (!reply || reply->format != 32)
        return false;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    const auto* end = atoms + xcb_get_property_value_length(reply.get()) / 4;
    return std::find(atoms, end, what) != end;
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

// Asks for more events on the window's native window, keeping Qt's; answers its id.
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

// Watches one window for VisibilityNotify: the server sends one when the window's visible part
// goes from some to none or back, and nothing in between.
class CoverWatch final : public QObject, public QAbstractNativeEventFilter
{
public:
    CoverWatch(QWidget* window, std::function<void(bool)> report)
        : QObject(window), m_window(window), m_report(std::move(report))
    {
        // A native window made anew (flags changed while hidden, a new screen) has no mask of ours.
        window->installEventFilter(this);
        qApp->installNativeEventFilter(this);
        select();
    }

    void renew()
    {
        // What happened while no event was asked for is unknown; a window drawn for nothing
        // costs little, one left stale on screen would show the wrong time.
        setCovered(false);
        select();
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != m_window || event->type() != QEvent::WinIdChange)
            return false;
        if (m_window->internalWinId()) {
            renew();
        } else {
            // The native window is gone while the widget lives (the widget deletes this watch
            // before its own native window): whatever comes next starts out seen.
            m_id = XCB_NONE;
            setCovered(false);
        }
        return false;
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (m_id == XCB_NONE || eventType != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        switch (event->response_type & 0x7f) {
        case XCB_VISIBILITY_NOTIFY: {
            const auto* visibility = static_cast<const xcb_visibility_notify_event_t*>(message);
            if (visibility->window == m_id)
                setCovered(visibility->state == XCB_VISIBILITY_FULLY_OBSCURED);
            break;
        }
        case XCB_UNMAP_NOTIFY:
            // Out of sight, not covered: the server reports afresh when the window is mapped
            // again, and a window shown meanwhile draws its first picture.
            if (static_cast<const xcb_unmap_notify_event_t*>(message)->window == m_id)
                setCovered(false);
            break;
        default:
            break;
        }
        return false;
    }

private:
    void select() { m_id = selectEvents(m_window, XCB_EVENT_MASK_VISIBILITY_CHANGE); }

    void setCovered(bool covered)
    {
        if (covered == m_covered)
            return;
        m_covered = covered;
        m_report(covered);
    }

    QWidget* m_window;
    std::function<void(bool)> m_report;
    xcb_window_t m_id = XCB_NONE;
    bool m_covered = false;
};

// Watches one window for the keys already held down as it gets the keyboard: the server follows
// each FocusIn with a KeymapNotify of the whole keyboard, in the same stream, so that a key
// pressed once the window has the keyboard is never taken for an old one.
class HeldKeys final : public QObject, public QAbstractNativeEventFilter
{
public:
    explicit HeldKeys(QWidget* window) : QObject(window), m_window(window)
    {
        window->installEventFilter(this);
        qApp->installNativeEventFilter(this);
        select();
    }

    void select() { m_id = selectEvents(m_window, XCB_EVENT_MASK_KEYMAP_STATE); }
    bool held(quint32 keycode) const { return keycode < m_held.size() && m_held.test(keycode); }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_window && event->type() == QEvent::WinIdChange)
            select();
        return false;
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (m_id == XCB_NONE || eventType != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        const int type = event->response_type & 0x7f;
        const bool focusCame = m_focusCame;
        m_focusCame = false;
        if (m_release) {
            // A server that repeats a held key by a release and a press at the same instant
            // has not let it go.
            const auto* press = static_cast<const xcb_key_press_event_t*>(message);
            if (type != XCB_KEY_PRESS || press->detail != m_release->first ||
                press->time != m_release->second)
                m_held.reset(m_release->first);
            m_release.reset();
        }
        switch (type) {
        case XCB_FOCUS_IN:
            m_focusCame = static_cast<const xcb_focus_in_event_t*>(message)->event == m_id;
            break;
        case XCB_KEYMAP_NOTIFY:
            if (focusCame) {
                const auto* keymap = static_cast<const xcb_keymap_notify_event_t*>(message);
                // The first byte is for keycodes 8 to 15: 0 to 7 name no key.
                for (std::size_t code = 8; code < m_held.size(); ++code)
                    m_held.set(code, (keymap->keys[code / 8 - 1] >> (code % 8)) & 1);
            }
            break;
        case XCB_KEY_RELEASE: {
            const auto* release = static_cast<const xcb_key_release_event_t*>(message);
            if (release->event == m_id && m_held.test(release->detail))
                m_release = std::make_pair(release->detail, release->time);
            break;
        }
        default:
            break;
        }
        return false;
    }

private:
    QWidget* m_window;
    xcb_window_t m_id = XCB_NONE;
    bool m_focusCame = false;
    std::bitset<256> m_held;
    // A held key's release, until the next event tells whether it was one.
    std::optional<std::pair<xcb_keycode_t, xcb_timestamp_t>> m_release;
};

// Whether the window that has the keyboard is another program's, full screen: KWin keeps an
// active full-screen window above every window kept on top.
bool activeIsFullScreen(xcb_connection_t* c)
{
    Reply<xcb_get_property_reply_t> active(xcb_get_property_reply(
        c,
        xcb_get_property(c, 0, rootWindow(c), atom(c, "_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW, 0, 1),
        nullptr));
    if (!active || active->format != 32 || xcb_get_property_value_length(active.get()) != 4)
        return false;
    const xcb_window_t window =
        *static_cast<const xcb_window_t*>(xcb_get_property_value(active.get()));
    if (window == XCB_NONE)
        return false;
    Reply<xcb_get_property_reply_t> state(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, atom(c, "_NET_WM_STATE"), XCB_ATOM_ATOM, 0, 64),
        nullptr));
    if (!state || state->format != 32)
        return false;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(state.get()));
    const auto* end = atoms + xcb_get_property_value_length(state.get()) / 4;
    return std::find(atoms, end, atom(c, "_NET_WM_STATE_FULLSCREEN")) != end;
}

// Keeps a window from taking the keyboard until the user comes to it. Window managers that focus
// what appears under a resting pointer, or every new window, would hand it the keys the user is
// typing into another program. Refusing input (WM_HINTS) leaves the window manager only the
// request WM_TAKE_FOCUS, which the window answers itself: refused while the window manager is
// still placing it, taken afterwards (a switch key, Alt+Tab); a click on it, or a taskbar's or
// pager's request for it, gives it the keyboard at once. Qt (checked with 6.4) also asks the
// window manager to give an application-modal window the keyboard once mapped, and takes that
// request, which the X server also hands back to Qt, for the keyboard given.
class FocusRefusal final : public QObject, public QAbstractNativeEventFilter
{
public:
    explicit FocusRefusal(QWidget* window) : QObject(window), m_window(window)
    {
        window->setAttribute(Qt::WA_ShowWithoutActivating);
        m_id = xcb_window_t(window->winId());
        m_handle = window->windowHandle();
        m_handle->setFlag(Qt::WindowDoesNotAcceptFocus, true);
        m_handle->installEventFilter(this);
        window->installEventFilter(this);
        qApp->installNativeEventFilter(this);
        // A pager's request goes to the root, where a listener for its children's changes hears
        // it too; heard only while the window refuses, as it wakes the program at every move of
        // any window.
        xcb_connection_t* c = connection();
        Reply<xcb_get_window_attributes_reply_t> root(xcb_get_window_attributes_reply(
            c, xcb_get_window_attributes(c, rootWindow(c)), nullptr));
        if (root && !(root->your_event_mask & XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY)) {
            m_listening = true;
            setRootMask(root->your_event_mask | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY);
        }
    }

    ~FocusRefusal() override { stopListening(); }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_window && event->type() == QEvent::Show)
            comeAboveFullScreen();
        if (watched != m_handle || !m_refusing)
            return false;
        if (event->type() == QEvent::MouseButtonPress)
            take(XCB_CURRENT_TIME);
        return false;
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        xcb_connection_t* c = connection();
        const int type = event->response_type & 0x7f;
        if (c && type == XCB_PROPERTY_NOTIFY) {
            // The window manager marks the window managed as it maps it: the time from which
            // its own requests are told from the user's.
            const auto* change = static_cast<const xcb_property_notify_event_t*>(message);
            if (change->window == m_id && change->atom == atom(c, "WM_STATE") &&
                !m_managed.isValid()) {
                m_managed.start();
                m_managedAt = change->time;
            }
        }
        if (!c || type != XCB_CLIENT_MESSAGE)
            return false;
        const auto* request = static_cast<const xcb_client_message_event_t*>(message);
        if (request->window != m_id)
            return false;
        if (request->type == atom(c, "_NET_ACTIVE_WINDOW")) {
            const uint32_t source = request->data.data32[0];
            // Source 1: an application's request, the window's own. Qt would take it, or
            // any other request the root hands it while the window listens there, for the
            // keyboard given.
            const bool swallow = m_refusing || (source == 1 && !m_ownRequestSeen);
            m_ownRequestSeen = m_ownRequestSeen || source == 1;
            // Source 2, or 0 from an older one: a pager or a taskbar, in the user's name.
            if (m_refusing && source != 1)
                take(request->data.data32[1]);
            return swallow;
        }
        // Requests about the window that other programs send the window manager reach it too
        // while it listens on the root: none is the window's to act on.
        if (request->type != atom(c, "WM_PROTOCOLS"))
            return m_listening;
        if (!m_refusing || request->data.data32[0] != atom(c, "WM_TAKE_FOCUS"))
            return false;
        // A window manager's request made as it maps the window carries the time of what set it
        // off, a moment after; the user's switch key comes later, by the server's clock and ours.
        const xcb_timestamp_t time = request->data.data32[1];
        if (m_managed.isValid() && m_managed.elapsed() >= kPlacing &&
            (time == XCB_CURRENT_TIME || qint32(time - m_managedAt) >= kPlacing))
            take(time);
        return true;
    }

private:
    // Long enough for a window manager to finish with a new window, short of a person's reach
    // for a switch key after seeing it, in ms.
    static constexpr qint32 kPlacing = 400;

    // In front of a full-screen program the user is in, as a critical notification, which KWin
    // keeps above it; KWin then draws no title bar. Others know no such kind and take the next.
    // Written as the window is about to be mapped, after Qt's own list, which Qt writes again at
    // the next change of flags: that comes only as the window takes the keyboard, when it is the
    // active window, above the full-screen one.
    void comeAboveFullScreen()
    {
        xcb_connection_t* c = connection();
        if (!c || !activeIsFullScreen(c))
            return;
        const xcb_atom_t kinds[] = {atom(c, "_KDE_NET_WM_WINDOW_TYPE_CRITICAL_NOTIFICATION"),
                                    atom(c, "_NET_WM_WINDOW_TYPE_DIALOG"),
                                    atom(c, "_NET_WM_WINDOW_TYPE_NORMAL")};
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, m_id, atom(c, "_NET_WM_WINDOW_TYPE"),
                            XCB_ATOM_ATOM, 32, 3, kinds);
        xcb_flush(c);
    }

    void setRootMask(uint32_t mask)
    {
        xcb_connection_t* c = connection();
        xcb_change_window_attributes(c, rootWindow(c), XCB_CW_EVENT_MASK, &mask);
        xcb_flush(c);
    }

    void stopListening()
    {
        xcb_connection_t* c = m_listening ? connection() : nullptr;
        m_listening = false;
        if (!c)
            return;
        // What else was asked of the root meanwhile stays asked.
        Reply<xcb_get_window_attributes_reply_t> root(xcb_get_window_attributes_reply(
            c, xcb_get_window_attributes(c, rootWindow(c)), nullptr));
        if (root)
            setRootMask(root->your_event_mask & ~uint32_t(XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY));
    }

    void take(xcb_timestamp_t time)
    {
        m_refusing = false;
        stopListening();
        m_handle->setFlag(Qt::WindowDoesNotAcceptFocus, false);
        m_window->setAttribute(Qt::WA_ShowWithoutActivating, false);
        renewEventMasks(m_window);
        if (xcb_connection_t* c = connection()) {
            xcb_set_input_focus(c, XCB_INPUT_FOCUS_PARENT, m_id, time);
            xcb_flush(c);
        }
    }

    QWidget* m_window;
    QWindow* m_handle;
    xcb_window_t m_id;
    QElapsedTimer m_managed;
    xcb_timestamp_t m_managedAt = XCB_CURRENT_TIME;
    // Whether the window listens on the root for pagers' requests.
    bool m_listening = false;
    bool m_refusing = true;
    bool m_ownRequestSeen = false;
};

// Qt (checked with 6.4) declares a dialog or a splash that has no owner transient for a hidden
// window of its own, and a window whose owner is hidden transient for that owner: window managers
// take either for a fault ("Invalid WM_TRANSIENT_FOR"). At each showing, a window whose owner is
// not mapped loses it, and one left without an owner is shown as a window of its own, of the same
// kind on the desktop (Qt's own property for it), which Qt then declares transient for nothing.
class OwnerCheck final : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Show || !watched->isWidgetType())
            return false;
        auto* window = static_cast<QWidget*>(watched);
        QWindow* handle = window->isWindow() ? window->windowHandle() : nullptr;
        if (!handle)
            return false;
        if (handle->transientParent() && !handle->transientParent()->isExposed())
            handle->setTransientParent(nullptr);
        const int kind = desktopKind(handle->type());
        if (handle->transientParent() || kind == 0)
            return false;
        handle->setProperty("_q_xcb_wm_window_type", kind);
        handle->setFlags((handle->flags() & ~Qt::WindowType_Mask) | Qt::Window);
        renewEventMasks(window);
        return false;
    }

private:
    // Qt's own numbers for the desktop's window types, for the kinds of window it declares
    // transient.
    static int desktopKind(Qt::WindowType type)
    {
        switch (type) {
        case Qt::Dialog:
        case Qt::Sheet:
            return 0x80;
        case Qt::SplashScreen:
            return 0x40;
        case Qt::Tool:
        case Qt::Drawer:
            return 0x20;
        default:
            return 0;
        }
    }
};

template <typename Watch>
Watch* findWatch(QWidget* window)
{
    for (QObject* child : window->children()) {
        if (auto* watch = dynamic_cast<Watch*>(child))
            return watch;
    }
    return nullptr;
}

} // namespace

void watchCovered(QWidget* window, std::function<void(bool)> covered)
{
    if (connection())
        new CoverWatch(window, std::move(covered));
}

void renewEventMasks(QWidget* window)
{
    if (auto* watch = findWatch<CoverWatch>(window))
        watch->renew();
    if (auto* watch = findWatch<HeldKeys>(window))
        watch->select();
}

void watchHeldKeys(QWidget* window)
{
    if (connection() && !findWatch<HeldKeys>(window))
        new HeldKeys(window);
}

bool heldFromBefore(QWidget* window, quint32 keycode)
{
    const HeldKeys* watch = findWatch<HeldKeys>(window);
    return watch && watch->held(keycode);
}

void declareOnlyMappedOwners()
{
    static OwnerCheck* check = nullptr;
    if (!check && connection()) {
        check = new OwnerCheck(qApp);
        qApp->installEventFilter(check);
    }
}

void showWithoutFocus(QWidget* window)
{
    if (connection() && !findWatch<FocusRefusal>(window))
        new FocusRefusal(window);
}

std::optional<unsigned> inputFocus()
{
    xcb_connection_t* c = connection();
    if (!c)
        return std::nullopt;
    Reply<xcb_get_input_focus_reply_t> reply(
        xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    if (!reply)
        return std::nullopt;
    return reply->focus;
}

std::optional<QMargins> frameExtents(QWidget* window)
{
    xcb_connection_t* c = connection();
    if (!c)
        return std::nullopt;
    const auto id = static_cast<xcb_window_t>(window->winId());
    const xcb_atom_t extents = atom(c, "_NET_FRAME_EXTENTS");
    if (auto known = readExtents(c, id, extents))
        return known;
    const xcb_atom_t request = atom(c, "_NET_REQUEST_FRAME_EXTENTS");
    if (!supportedByWindowManager(c, request))
        return supportedByWindowManager(c, extents) ? std::nullopt : parentFrame(c, id);
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = id;
    event.type = request;
    xcb_send_event(c, 0, rootWindow(c),
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(c);
    // The window manager answers within a millisecond or two, and the window waits for it when
    // it is the message of an alarm: asked again often. A busy one gets a fifth of a second.
    for (int attempt = 0; attempt < 800; ++attempt) {
        if (auto answered = readExtents(c, id, extents))
            return answered;
        std::this_thread::sleep_for(std::chrono::microseconds(250));
    }
    return std::nullopt;
}

bool framesPublished()
{
    xcb_connection_t* c = connection();
    return !c || supportedByWindowManager(c, atom(c, "_NET_FRAME_EXTENTS")) ||
           supportedByWindowManager(c, atom(c, "_NET_REQUEST_FRAME_EXTENTS"));
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

#else

QByteArray xsettings()
{
    return {};
}
std::optional<QMargins> frameExtents(QWidget*)
{
    return std::nullopt;
}
bool framesPublished()
{
    return true;
}
std::optional<QSize> clientSize(QWidget*)
{
    return std::nullopt;
}
std::optional<QSize> screenSize(const QScreen*)
{
    return std::nullopt;
}
std::optional<QMargins> panelStruts()
{
    return std::nullopt;
}
bool moveClient(QWidget*, QPoint)
{
    return false;
}
void watchCovered(QWidget*, std::function<void(bool)>) {}
void renewEventMasks(QWidget*) {}
std::optional<unsigned> inputFocus()
{
    return std::nullopt;
}
void watchHeldKeys(QWidget*) {}
bool heldFromBefore(QWidget*, quint32)
{
    return false;
}
void showWithoutFocus(QWidget*) {}
void declareOnlyMappedOwners() {}

#endif

} // namespace tintel::x11
