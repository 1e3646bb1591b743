#pragma once

#include <QObject>

namespace tintel {

class Clock;

// A window timer. Stopped when created; ticks on the user-interface thread once started.
class Ticker : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    virtual void start() = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;

Q_SIGNALS:
    void tick();
};

enum class TickerKind {
    // Ticks just after each wall-clock second: for the clocks and the countdown.
    WallSecond,
    // Ticks every 1000 ms from its start: for the splash, which only counts.
    Interval,
};

class TickerFactory
{
public:
    virtual ~TickerFactory() = default;
    // The ticker is owned by parent, so it ends with its window.
    virtual Ticker* create(TickerKind kind, QObject* parent) = 0;
};

class SystemTickerFactory final : public TickerFactory
{
public:
    explicit SystemTickerFactory(const Clock& clock) : m_clock(clock) {}
    Ticker* create(TickerKind kind, QObject* parent) override;

private:
    const Clock& m_clock;
};

} // namespace tintel
