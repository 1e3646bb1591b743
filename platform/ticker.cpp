#include "platform/ticker.h"
#include "platform/clock.h"

#include <QTimer>

#include <algorithm>
#include <chrono>
#include <thread>

namespace tintel {
namespace {

// A repeating 1000 ms timer drifts against the wall clock and can skip a whole second. Re-arming
// a precise single shot for the next whole second, from a fresh clock reading each time, keeps
// one tick per wall-clock second and re-aligns after a clock change or a resume.
class WallSecondTicker final : public Ticker
{
public:
    WallSecondTicker(const Clock& clock, QObject* parent) : Ticker(parent), m_clock(clock)
    {
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::PreciseTimer);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            // Qt's timers wait in whole milliseconds rounded up, and wake one or two after
            // their time: armed a little before the second, the ticker sleeps the rest, which
            // costs no processor time and brings the tick to within a millisecond of it.
            if (const auto left = m_due - std::chrono::steady_clock::now();
                left > std::chrono::steady_clock::duration::zero() &&
                left <= std::chrono::milliseconds(kEarlyMs + 1))
                std::this_thread::sleep_until(m_due);
            const qint64 now = m_clock.now().toMSecsSinceEpoch();
            const qint64 early = m_second - now;
            // The timer runs on the monotonic clock: a wall clock slewed, or set back by less
            // than a second, can make it wake before the second it was armed for. Ticking then
            // would show the old second again, so it waits for the rest of it. A clock set back
            // further is a new time: the tick comes at once and the ticker re-aligns.
            if (early > 0 && early < 1000) {
                armTimer(early);
                return;
            }
            // Re-arm before the tick: a modal box opened by a handler must not stop the clock.
            armFrom(now);
            Q_EMIT tick();
        });
    }

    void start() override
    {
        m_active = true;
        arm();
    }
    void stop() override
    {
        m_active = false;
        m_timer.stop();
    }
    bool isActive() const override { return m_active; }

private:
    // How long before the second the timer wakes. The readings are whole milliseconds, cut down,
    // so the sleep to the instant due never ends before the second.
    static constexpr int kEarlyMs = 2;

    void armTimer(qint64 untilSecond)
    {
        m_due = std::chrono::steady_clock::now() + std::chrono::milliseconds(untilSecond);
        m_timer.start(std::max(0, int(untilSecond) - kEarlyMs));
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
    QTimer m_timer;
    bool m_active = false;
    // The wall-clock second, in ms since the epoch, that the timer is armed for.
    qint64 m_second = 0;
    // When that second comes on the monotonic clock, as far as the last reading tells.
    std::chrono::steady_clock::time_point m_due;
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
