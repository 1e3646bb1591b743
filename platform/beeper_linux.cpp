#include "platform/beeper.h"
#include "core/xsettings.h"
#include "platform/log.h"
#include "platform/x11.h"

#include <QApplication>

#if TINTEL_HAVE_CANBERRA
#include <canberra.h>

#include <condition_variable>
#include <mutex>
#include <thread>
#endif

using namespace Qt::StringLiterals;

namespace tintel {

namespace {

// The sound theme the desktop publishes through XSettings, or "freedesktop" when there is none.
// Read once at start-up: the beep itself asks the X server nothing.
[[maybe_unused]] QString desktopSoundTheme()
{
    const QString theme = xsettingsString(x11::xsettings(), "Net/SoundThemeName");
    return theme.isEmpty() ? u"freedesktop"_s : theme;
}

} // namespace

#if TINTEL_HAVE_CANBERRA

// libcanberra waits for the sound server inside its calls (connecting, creating the stream), so
// they run on a thread of their own and a slow or absent server never holds the message window.
class DesktopBeeper::EventSound
{
public:
    explicit EventSound(const QString& theme) : m_theme(theme.toUtf8()), m_thread([this] { run(); })
    {}
    ~EventSound()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_one();
        m_thread.join();
    }
    EventSound(const EventSound&) = delete;
    EventSound& operator=(const EventSound&) = delete;

    void play()
    {
        {
            const std::lock_guard lock(m_mutex);
            ++m_pending;
        }
        m_wake.notify_one();
    }

private:
    ca_context* open() const
    {
        ca_context* context = nullptr;
        if (const int status = ca_context_create(&context); status != CA_SUCCESS) {
            qCInfo(lcPlatform, "no sound context: %s", ca_strerror(status));
            return nullptr;
        }
        // The server names the stream after these, and the desktop finds the program's entry and
        // icon from them; they must be set before the connection is made.
        ca_context_change_props(context, CA_PROP_APPLICATION_NAME, "Tintel", CA_PROP_APPLICATION_ID,
                                "org.example.tintel", CA_PROP_APPLICATION_ICON_NAME, "tintel",
                                CA_PROP_CANBERRA_XDG_THEME_NAME, m_theme.constData(),
                                static_cast<const char*>(nullptr));
        // The sample goes to the server's cache now, so that the alarm plays it without a theme
        // lookup or a file to decode.
        if (const int status = ca_context_open(context); status == CA_SUCCESS)
            ca_context_cache(context, CA_PROP_EVENT_ID, "bell", CA_PROP_MEDIA_ROLE, "event",
                             static_cast<const char*>(nullptr));
        else
            qCInfo(lcPlatform, "no sound server: %s", ca_strerror(status));
        return context;
    }

    static int play(ca_context* context)
    {
        const int status = ca_context_play(context, 0, CA_PROP_EVENT_ID, "bell", CA_PROP_MEDIA_ROLE,
                                           "event", CA_PROP_CANBERRA_CACHE_CONTROL, "volatile",
                                           static_cast<const char*>(nullptr));
        if (status != CA_SUCCESS)
            qCInfo(lcPlatform, "bell sound not played: %s", ca_strerror(status));
        return status;
    }

    void run()
    {
        ca_context* context = open();
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_stopping || m_pending > 0; });
            if (m_stopping)
                break;
            --m_pending;
            lock.unlock();
            // libcanberra does not reconnect by itself: a sound server that was restarted since
            // the start, or came up after it, gets a fresh connection.
            if (!context || play(context) != CA_SUCCESS) {
                if (context)
                    ca_context_destroy(context);
                context = open();
                if (context)
                    play(context);
            }
            lock.lock();
        }
        lock.unlock();
        if (context)
            ca_context_destroy(context);
    }

    const QByteArray m_theme;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    int m_pending = 0;
    bool m_stopping = false;
    std::thread m_thread; // last: it starts running as soon as it is built
};

DesktopBeeper::DesktopBeeper() : m_sound(std::make_unique<EventSound>(desktopSoundTheme())) {}
DesktopBeeper::~DesktopBeeper() = default;

void DesktopBeeper::beep()
{
    QApplication::beep();
    m_sound->play();
}

#else

class DesktopBeeper::EventSound
{};

DesktopBeeper::DesktopBeeper() = default;
DesktopBeeper::~DesktopBeeper() = default;
void DesktopBeeper::beep()
{
    QApplication::beep();
}
#endif

} // namespace tintel
