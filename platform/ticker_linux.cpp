#include "platform/ticker.h"
#include "platform/clock.h"
#include "platform/log.h"

#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/timerfd.h>
#include <unistd.h>

namespace tintel {
namespace {

// A repeating 1000 ms timer drifts against the wall clock and can skip a whole second. Re-arming
// a single shot for the next whole second, from a fresh clock reading each time, keeps one tick
// per wall-clock second and re-aligns after a clock change or a resume. The single shot is a
// timerfd on the monotonic clock, armed to the nanosecond: Qt's timers count whole milliseconds
// and wake one or two late, and waking early to sleep the rest would cost a wake-up a second.
class WallSecondTicker final : public Ticker
{
public:
    WallSecondTicker(const Clock& clock, QObject* parent)
        : Ticker(parent), m_clock(clock),
          m_fd(timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK)),
          m_notifier(m_fd, QSocketNotifier::Read)
    {
        if (m_fd < 0) {
            qCWarning(lcPlatform, "no timerfd (%s): the clocks tick by a millisecond timer",
                      std::strerror(errno));
            m_notifier.setEnabled(false);
        }
        m_fallback.setSingleShot(true);
        m_fallback.setTimerType(Qt::PreciseTimer);
        connect(&m_fallback, &QTimer::timeout, this, &WallSecondTicker::wake);
        connect(&m_notifier, &QSocketNotifier::activated, this, [this] {
            quint64 expirations = 0;
            if (::read(m_fd, &expirations, sizeof expirations) == sizeof expirations)
                wake();
        });
    }
    ~WallSecondTicker() override
    {
        // The event loop lets go of the descriptor before it is closed.
        m_notifier.setEnabled(false);
        if (m_fd >= 0)
            ::close(m_fd);
    }
    WallSecondTicker(const WallSecondTicker&) = delete;
    WallSecondTicker& operator=(const WallSecondTicker&) = delete;

    void start() override
    {
        m_active = true;
        arm();
    }
    void stop() override
    {
        m_active = false;
        m_fallback.stop();
        const itimerspec disarm{};
        if (m_fd >= 0)
            timerfd_settime(m_fd, 0, &disarm, nullptr);
    }
    bool isActive() const override { return m_active; }

private:
    void wake()
    {
        const qint64 now = m_clock.now().toMSecsSinceEpoch();
        const qint64 early = m_second - now;
        // A wall clock slewed, or set back by less than a second, can make the monotonic
        // timer come before the second it was armed for. Ticking then would show the old
        // second again, so it waits for the rest of it. A clock set back further is a new
        // time: the tick comes at once and the ticker re-aligns.
        if (early > 0 && early < 1000) {
            armTimer(early);
            return;
        }
        // Re-arm before the tick: a modal box opened by a handler must not stop the clock.
        armFrom(now);
        Q_EMIT tick();
    }

    // The readings are whole milliseconds, cut down, so the instant armed is never before the
    // second, and at most a millisecond after it. The wait is relative: a faked or stepped
    // clock in this process then agrees with the kernel's on how long it is.
    void armTimer(qint64 untilSecondMs)
    {
        if (m_fd < 0) {
            m_fallback.start(int(untilSecondMs) + 1);
            return;
        }
        // Zero would disarm the timer.
        const qint64 wait = std::max<qint64>(untilSecondMs, 0) * 1'000'000 + 1;
        itimerspec in{};
        in.it_value.tv_sec = time_t(wait / 1'000'000'000);
        in.it_value.tv_nsec = long(wait % 1'000'000'000);
        timerfd_settime(m_fd, 0, &in, nullptr);
    }
    void arm() { armFrom(m_clock.now().toMSecsSinceEpoch()); }
    void armFrom(qint64 now)
    {
        if (!m_active)
            return;
        m_second = (now / 1000 + 1) * 1000;
        armTimer(m_second - now);
    }

    const Clock& m_clock;
    const int m_fd;
    QSocketNotifier m_notifier;
    QTimer m_fallback;
    bool m_active = false;
    // The wall-clock second, in ms since the epoch, that the timer is armed for.
    qint64 m_second = 0;
};

class IntervalTicker final : public Ticker
{
public:
    explicit IntervalTicker(QObject* parent) : Ticker(parent)
    {
        m_timer.setInterval(1000);
        connect(&m_timer, &QTimer::timeout, this, &Ticker::tick);
    }
    void start() override { m_timer.start(); }
    void stop() override { m_timer.stop(); }
    bool isActive() const override { return m_timer.isActive(); }

private:
    QTimer m_timer;
};

} // namespace

Ticker* SystemTickerFactory::create(TickerKind kind, QObject* parent)
{
    if (kind == TickerKind::WallSecond)
        return new WallSecondTicker(m_clock, parent);
    return new IntervalTicker(parent);
}

} // namespace tintel

#include "moc_ticker.cpp"
