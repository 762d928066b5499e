#pragma once

#include "core/ports/Clock.h"

namespace kestrova::test {

// A clock that stands still until a test moves it.
class FakeClock : public Clock {
public:
    explicit FakeClock(QDateTime at = QDateTime(QDate(2026, 12, 8), QTime(14, 5, 0))) : m_now(std::move(at)) {}
    QDateTime now() const override { return m_now; }
    void set(const QDateTime& at) { m_now = at; }
    void advanceMs(qint64 ms) { m_now = m_now.addMSecs(ms); }

private:
    QDateTime m_now;
};

} // namespace kestrova::test
