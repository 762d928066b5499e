#pragma once

#include "core/db/DbEngine.h"
#include "core/util/DateTime.h"

#include <QString>
#include <QVariant>
#include <optional>

namespace kestrova {

// Date-time values are stored as local wall-clock time. In SQLite they are text of the form
// "yyyy-mm-dd hh:nn:ss" with ".zzz" added only when there are milliseconds, so that text order is
// time order and equal instants compare equal; PostgreSQL keeps them in "timestamp" columns.
QString DateTimeText(TDateTime value);

// Reads "yyyy-m-d", "yyyy-m-d h:n", "yyyy-m-d h:n:s[.zzz]" (date and time in either order, or an
// ISO "T" between them). Nothing for anything else or for a date or time out of range.
std::optional<TDateTime> ParseDateTimeText(const QString& text);

// The value a field of a result reads as, whatever the engine delivered.
QString VariantAsString(const QVariant& value);
qint32 VariantAsInteger(const QVariant& value);
TDateTime VariantAsDateTime(const QVariant& value);
bool VariantAsBoolean(const QVariant& value);

// Values as they are bound to the engine.
QVariant DateTimeBindValue(TDateTime value);
QVariant YesNoBindValue(bool value, DbEngine engine);

} // namespace kestrova
