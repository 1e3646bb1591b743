// Who has the keyboard, and a window that does not take it until the user comes to it.
#include "platform/x11/connection.h"
#include "platform/x11/x11.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QWindow>

#include <algorithm>

namespace tintel::x11 {
namespace {

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

} // namespace

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

} // namespace tintel::x11
