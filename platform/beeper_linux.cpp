#include "platform/beeper.h"
#include "core/xsettings.h"
#include "platform/log.h"
#include "platform/x11/x11.h"

#include <QApplication>

#include <utility>

#if TINTEL_HAVE_CANBERRA
#include <canberra.h>
#include <dlfcn.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#endif

using namespace Qt::StringLiterals;

namespace tintel {

namespace {

// The sound theme the desktop publishes through XSettings, or "freedesktop" when there is none.
// Read as the sound is prepared, seconds ahead, so the beep asks the X server nothing; an alarm
// that came without its seconds of warning reads it as it rings.
[[maybe_unused]] QString desktopSoundTheme()
{
    const QString theme = xsettingsString(x11::xsettings(), "Net/SoundThemeName");
    return theme.isEmpty() ? u"freedesktop"_s : theme;
}

#if TINTEL_HAVE_CANBERRA
// A sound thread still held up by the server when main returns would wake among statics being
// destroyed (the logging category it writes to among them): the process ends before they go.
void endBeforeTheStatics(int status, void*)
{
    std::fflush(nullptr);
    std::_Exit(status);
}
#endif

} // namespace

#if TINTEL_HAVE_CANBERRA
// Outside the anonymous namespace, as EventSound's worker (a member of a named class) holds one.
// libcanberra, opened by name rather than linked: with the sound server's client library and the
// codecs it brings, it weighs some 2 MiB that a countdown does not need until its last seconds.
struct Canberra
{
    decltype(&ca_context_create) create;
    decltype(&ca_context_change_props) changeProps;
    decltype(&ca_context_open) open;
    decltype(&ca_context_cache) cache;
    decltype(&ca_context_play) play;
    decltype(&ca_context_destroy) destroy;
    decltype(&ca_strerror) strerror;

    // Not closed again: the sound server's client keeps threads of its own in there.
    static std::optional<Canberra> load(const QByteArray& name)
    {
        void* library = dlopen(name.constData(), RTLD_NOW | RTLD_LOCAL);
        if (!library) {
            qCInfo(lcPlatform, "no desktop sound: %s", dlerror());
            return std::nullopt;
        }
        Canberra ca{};
        const bool found = resolve(library, "ca_context_create", ca.create) &&
                           resolve(library, "ca_context_change_props", ca.changeProps) &&
                           resolve(library, "ca_context_open", ca.open) &&
                           resolve(library, "ca_context_cache", ca.cache) &&
                           resolve(library, "ca_context_play", ca.play) &&
                           resolve(library, "ca_context_destroy", ca.destroy) &&
                           resolve(library, "ca_strerror", ca.strerror);
        if (!found) {
            qCInfo(lcPlatform, "no desktop sound: %s", dlerror());
            dlclose(library);
            return std::nullopt;
        }
        return ca;
    }

private:
    template <typename Function>
    static bool resolve(void* library, const char* name, Function& function)
    {
        function = reinterpret_cast<Function>(dlsym(library, name));
        return function != nullptr;
    }
};

// libcanberra waits for the sound server inside its calls (connecting, creating the stream), so
// they run on a thread of their own and a slow or absent server never holds the message window.
// A server that takes the connection and never answers keeps a call waiting for some twenty
// seconds: the thread's state is shared with it, so that the program can end without it.
class DesktopBeeper::EventSound
{
public:
    EventSound(const QByteArray& library, const QString& theme)
        : m_worker(std::make_shared<Worker>(library, theme.toUtf8())),
          m_thread([worker = m_worker] { worker->run(); })
    {}
    ~EventSound()
    {
        std::unique_lock lock(m_worker->mutex);
        m_worker->stopping = true;
        m_worker->wake.notify_one();
        // The program ends when its last window goes, running-copy guard and all: a thread held
        // up by the server is not waited for, and the process ends as main returns.
        const bool finished = m_worker->wake.wait_for(lock, std::chrono::milliseconds(250),
                                                      [this] { return m_worker->finished; });
        lock.unlock();
        if (finished) {
            m_thread.join();
        } else {
            qCInfo(lcPlatform, "sound server not answering at the end: not waited for");
            m_thread.detach();
            on_exit(endBeforeTheStatics, nullptr);
        }
    }
    EventSound(const EventSound&) = delete;
    EventSound& operator=(const EventSound&) = delete;

    void play()
    {
        {
            const std::lock_guard lock(m_worker->mutex);
            m_worker->requests.push_back(std::chrono::steady_clock::now());
        }
        m_worker->wake.notify_all();
    }

private:
    struct Worker
    {
        Worker(QByteArray library, QByteArray theme)
            : library(std::move(library)), theme(std::move(theme))
        {}

        ca_context* open() const
        {
            ca_context* context = nullptr;
            if (const int status = ca->create(&context); status != CA_SUCCESS) {
                qCInfo(lcPlatform, "no sound context: %s", ca->strerror(status));
                return nullptr;
            }
            // The server names the stream after these, and the desktop finds the program's entry
            // and icon from them; they must be set before the connection is made.
            ca->changeProps(context, CA_PROP_APPLICATION_NAME, "Tintel", CA_PROP_APPLICATION_ID,
                            "org.example.tintel", CA_PROP_APPLICATION_ICON_NAME, "tintel",
                            CA_PROP_CANBERRA_XDG_THEME_NAME, theme.constData(),
                            static_cast<const char*>(nullptr));
            // The sample goes to the server's cache now, so that the alarm plays it without a
            // theme lookup or a file to decode.
            if (const int status = ca->open(context); status == CA_SUCCESS)
                ca->cache(context, CA_PROP_EVENT_ID, "bell", CA_PROP_MEDIA_ROLE, "event",
                          static_cast<const char*>(nullptr));
            else
                qCInfo(lcPlatform, "no sound server: %s", ca->strerror(status));
            return context;
        }

        int play(ca_context* context) const
        {
            const int status = ca->play(context, 0, CA_PROP_EVENT_ID, "bell", CA_PROP_MEDIA_ROLE,
                                        "event", CA_PROP_CANBERRA_CACHE_CONTROL, "volatile",
                                        static_cast<const char*>(nullptr));
            if (status != CA_SUCCESS)
                qCInfo(lcPlatform, "bell sound not played: %s", ca->strerror(status));
            return status;
        }

        void run()
        {
            ca = Canberra::load(library);
            ca_context* context = ca ? open() : nullptr;
            std::unique_lock lock(mutex);
            for (;;) {
                wake.wait(lock, [this] { return stopping || !requests.empty(); });
                if (stopping)
                    break;
                const auto requested = requests.front();
                requests.pop_front();
                lock.unlock();
                // A sound held up by the server would come long after the alarm it belongs to.
                const bool late =
                    std::chrono::steady_clock::now() - requested > std::chrono::seconds(1);
                if (late)
                    qCInfo(lcPlatform, "bell sound dropped: the sound server kept it waiting");
                // libcanberra does not reconnect by itself: a sound server that was restarted
                // since the start, or came up after it, gets a fresh connection.
                if (ca && !late && (!context || play(context) != CA_SUCCESS)) {
                    if (context)
                        ca->destroy(context);
                    context = open();
                    if (context)
                        play(context);
                }
                lock.lock();
            }
            lock.unlock();
            if (context)
                ca->destroy(context);
            lock.lock();
            finished = true;
            wake.notify_all();
        }

        const QByteArray library;
        const QByteArray theme;
        std::optional<Canberra> ca; // the thread's own
        std::mutex mutex;
        std::condition_variable wake;
        std::deque<std::chrono::steady_clock::time_point> requests;
        bool stopping = false;
        bool finished = false;
    };

    const std::shared_ptr<Worker> m_worker;
    std::thread m_thread; // last: it starts running as soon as it is built
};

DesktopBeeper::DesktopBeeper(QByteArray soundLibrary)
    : m_soundLibrary(soundLibrary.isEmpty() ? QByteArray(TINTEL_CANBERRA_SONAME) : soundLibrary)
{}
DesktopBeeper::~DesktopBeeper() = default;

void DesktopBeeper::prepare()
{
    if (!m_sound)
        m_sound = std::make_unique<EventSound>(m_soundLibrary, desktopSoundTheme());
}

void DesktopBeeper::beep()
{
    QApplication::beep();
    // An alarm that came without its seconds of warning (the clock set forward past it) still
    // sounds, a little late.
    prepare();
    m_sound->play();
}

#else

class DesktopBeeper::EventSound
{};

DesktopBeeper::DesktopBeeper(QByteArray soundLibrary) : m_soundLibrary(std::move(soundLibrary)) {}
DesktopBeeper::~DesktopBeeper() = default;
void DesktopBeeper::prepare()
{
    if (!m_sound) {
        m_sound = std::make_unique<EventSound>();
        qCInfo(lcPlatform, "no desktop sound: built without libcanberra");
    }
}
void DesktopBeeper::beep()
{
    QApplication::beep();
}
#endif

} // namespace tintel
