#pragma once

#include <QDateTime>

namespace kestrova {

// The one date-time representation of the station: whole and fractional days since
// 30 December 1899 00:00:00 local time. The empty date is 0.
using TDateTime = double;

constexpr TDateTime EmptyDateTime = 0.0;
constexpr double MillisecondsPerDay = 86400000.0;

QDate DateTimeEpoch();
TDateTime ToTDateTime(const QDateTime& local);
QDateTime FromTDateTime(TDateTime value);
TDateTime EncodeDate(int year, int month, int day); // throws std::invalid_argument for no calendar date
TDateTime EncodeTime(int hour, int minute, int second, int msec);
// The value made of a calendar date and a time of day (no time-zone conversion).
TDateTime ToTDateTime(QDate date, QTime time);
// The calendar date and the time of day of a value, without any time-zone adjustment.
QDate DateOf(TDateTime value);
QTime TimeOf(TDateTime value);
// Milliseconds since midnight of the value, rounded to the nearest millisecond.
qint64 MillisecondsOfDay(TDateTime value);

} // namespace kestrova
