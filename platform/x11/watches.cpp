// What the server says of a window that Qt does not: when others cover it whole, and which keys
// were already held down as it got the keyboard.
#include "platform/x11/connection.h"
#include "platform/x11/x11.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QEvent>

#include <bitset>
#include <optional>
#include <utility>

namespace tintel::x11 {
namespace {

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

} // namespace tintel::x11
