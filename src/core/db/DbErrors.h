#pragma once

#include "core/db/DbEngine.h"

#include <QSqlError>
#include <QString>

namespace kestrova {

// True when the error means that another holder of the database (another station, the LIS) has
// the rows or the file locked: SQLite busy or locked, PostgreSQL lock timeout, deadlock or
// serialization failure.
bool IsLockError(const QSqlError& error, DbEngine engine);

// True when the connection itself was lost (server gone, network down); the next statement then
// opens it again.
bool IsConnectionLost(const QSqlError& error, DbEngine engine);

// True when a row was refused because its key is taken already (another station or the LIS
// inserted the same sequence number first).
bool IsUniqueViolation(const QSqlError& error, DbEngine engine);

// The text callers see for an error. A lock error always contains "locked by", which is how the
// passes recognise the errors they leave to a later attempt.
QString DbErrorText(const QSqlError& error, DbEngine engine);

} // namespace kestrova
