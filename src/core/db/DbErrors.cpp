#include "core/db/DbErrors.h"

namespace kestrova {

bool IsLockError(const QSqlError& error, DbEngine engine) {
    if (!error.isValid()) return false;
    const QString code = error.nativeErrorCode();
    if (engine == DbEngine::PostgreSQL)
        return code == QLatin1String("55P03") || code == QLatin1String("40P01") || code == QLatin1String("40001");
    bool ok = false;
    const int primary = code.toInt(&ok) & 0xff; // extended result codes keep the primary code in the low byte
    if (ok && (primary == 5 || primary == 6)) return true; // SQLITE_BUSY, SQLITE_LOCKED
    const QString text = error.databaseText().toLower();
    return text.contains(QLatin1String("database is locked")) || text.contains(QLatin1String("table is locked"));
}

bool IsUniqueViolation(const QSqlError& error, DbEngine engine) {
    if (!error.isValid()) return false;
    const QString code = error.nativeErrorCode();
    if (engine == DbEngine::PostgreSQL) return code == QLatin1String("23505");
    bool ok = false;
    const int value = code.toInt(&ok);
    if (ok && (value == 2067 || value == 1555)) return true; // SQLITE_CONSTRAINT_UNIQUE, _PRIMARYKEY
    // Without extended codes the primary code (19, constraint) needs the text to tell which one.
    return (!ok || (value & 0xff) == 19) &&
           error.databaseText().contains(QLatin1String("UNIQUE constraint failed"), Qt::CaseInsensitive);
}

bool IsConnectionLost(const QSqlError& error, DbEngine engine) {
    if (!error.isValid() || engine != DbEngine::PostgreSQL) return false;
    const QString code = error.nativeErrorCode();
    if (code.startsWith(QLatin1String("08")) || code == QLatin1String("57P01") || code == QLatin1String("57P02") ||
        code == QLatin1String("57P03"))
        return true;
    // libpq reports a dropped connection without a SQLSTATE.
    const QString text = error.databaseText().toLower() + QLatin1Char(' ') + error.driverText().toLower();
    return code.isEmpty() && (text.contains(QLatin1String("server closed the connection")) ||
                              text.contains(QLatin1String("no connection to the server")) ||
                              text.contains(QLatin1String("connection to server")));
}

QString DbErrorText(const QSqlError& error, DbEngine engine) {
    QString text = error.databaseText().trimmed();
    const QString driver = error.driverText().trimmed();
    if (text.isEmpty())
        text = driver;
    else if (!driver.isEmpty() && !text.contains(driver))
        text = driver + QStringLiteral(": ") + text;
    if (text.isEmpty()) text = QStringLiteral("Unknown database error");
    if (IsLockError(error, engine) && !text.contains(QLatin1String("locked by"), Qt::CaseInsensitive))
        text += QStringLiteral(" (record locked by another user of the image database)");
    return text;
}

} // namespace kestrova
