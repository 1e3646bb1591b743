#pragma once

#include <QDateTime>

namespace tintel {

// Local wall-clock reading to the millisecond. Every rule takes its readings as arguments, so
// tests move time instead of waiting for it.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock final : public Clock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

} // namespace tintel
