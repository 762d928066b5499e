#include "core/util/DateTime.h"

#include <cmath>
#include <stdexcept>

namespace kestrova {

QDate DateTimeEpoch() {
    return QDate(1899, 12, 30);
}

TDateTime ToTDateTime(const QDateTime& local) {
    if (!local.isValid()) return EmptyDateTime;
    const QDateTime l = local.toLocalTime();
    const double days = static_cast<double>(DateTimeEpoch().daysTo(l.date()));
    const double ms = static_cast<double>(l.time().msecsSinceStartOfDay());
    // Dates before the epoch count their time of day backwards, as the old date values did.
    return days < 0 ? days - ms / MillisecondsPerDay : days + ms / MillisecondsPerDay;
}

TDateTime ToTDateTime(QDate date, QTime time) {
    if (!date.isValid()) return EmptyDateTime;
    const double days = static_cast<double>(DateTimeEpoch().daysTo(date));
    const double ms = time.isValid() ? static_cast<double>(time.msecsSinceStartOfDay()) : 0.0;
    return days < 0 ? days - ms / MillisecondsPerDay : days + ms / MillisecondsPerDay;
}

QDate DateOf(TDateTime value) {
    double whole = std::trunc(value);
    const qint64 ms = std::llround(std::fabs(value - whole) * MillisecondsPerDay);
    if (ms >= static_cast<qint64>(MillisecondsPerDay)) whole += value < 0 ? -1 : 1;
    return DateTimeEpoch().addDays(static_cast<qint64>(whole));
}

QTime TimeOf(TDateTime value) {
    return QTime::fromMSecsSinceStartOfDay(static_cast<int>(MillisecondsOfDay(value)));
}

QDateTime FromTDateTime(TDateTime value) {
    double whole = std::trunc(value);
    double frac = std::fabs(value - whole);
    qint64 ms = std::llround(frac * MillisecondsPerDay);
    if (ms >= static_cast<qint64>(MillisecondsPerDay)) {
        ms -= static_cast<qint64>(MillisecondsPerDay);
        whole += value < 0 ? -1 : 1;
    }
    const QDate date = DateTimeEpoch().addDays(static_cast<qint64>(whole));
    return QDateTime(date, QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms)));
}

TDateTime EncodeDate(int year, int month, int day) {
    const QDate d(year, month, day);
    if (!d.isValid()) throw std::invalid_argument("Invalid argument to date encode");
    return static_cast<double>(DateTimeEpoch().daysTo(d));
}

TDateTime EncodeTime(int hour, int minute, int second, int msec) {
    return (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + msec) / MillisecondsPerDay;
}

qint64 MillisecondsOfDay(TDateTime value) {
    const double frac = std::fabs(value - std::trunc(value));
    qint64 ms = std::llround(frac * MillisecondsPerDay);
    return ms % static_cast<qint64>(MillisecondsPerDay);
}

} // namespace kestrova
