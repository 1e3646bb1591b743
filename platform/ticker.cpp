#include "platform/ticker.h"
#include "platform/clock.h"

#include <QTimer>

namespace tintel {
namespace {

// A repeating 1000 ms timer drifts against the wall clock and can skip a whole second. Re-arming
// a precise single shot for just after the next whole second, from a fresh clock reading each
// time, keeps one tick per wall-clock second and re-aligns after a clock change or a resume.
class WallSecondTicker final : public Ticker
{
public:
    WallSecondTicker(const Clock& clock, QObject* parent) : Ticker(parent), m_clock(clock)
    {
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::PreciseTimer);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            // Re-arm before the tick: a modal box opened by a handler must not stop the clock.
            arm();
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
    static constexpr int kMarginMs = 5;

    void arm()
    {
        if (!m_active)
            return;
        const int msec = m_clock.now().time().msec();
        m_timer.start(1000 - msec + kMarginMs);
    }

    const Clock& m_clock;
    QTimer m_timer;
    bool m_active = false;
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
