#pragma once

#include "core/util/DateTime.h"

#include <QLocale>
#include <QString>

namespace kestrova {

// Reads a free-form date and time such as a certificate's expiration text: a numeric date in the
// locale's short date order or as year-month-day, or a month name before or after the day, with
// optional weekday names, ordinal suffixes and a time of day with two-digit hours (AM/PM read).
// Returns 0 when nothing could be read (empty text, no month word, no readable year).
// Throws std::invalid_argument when the day, month and year read are not a calendar date (for
// example day 0 after an unreadable day token): callers catch it. The locale gives the order of
// day, month and year in numeric dates; tests pin one, the station uses the system's.
TDateTime ParseDateText(const QString& text, const QLocale& locale = QLocale::system());

// The locale's conversion of a numeric date "a/b/c" (the locale's own date separator is accepted
// too): the three numbers are taken in the order of the locale's short date format. A year of one
// or two digits falls in 1950-2049. False when the text is not such a date or not a calendar date.
bool ReadShortDate(const QString& text, const QLocale& locale, TDateTime& result);

// The order of day ('d'), month ('M') and year ('y') in the locale's short date format, e.g. "dMy".
QString ShortDateOrder(const QLocale& locale);

} // namespace kestrova
