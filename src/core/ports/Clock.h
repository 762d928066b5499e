#pragma once

#include <QDateTime>

namespace kestrova {

// Local wall-clock time. Tests of timers, name suffixes and date rules use a settable clock.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

} // namespace kestrova
