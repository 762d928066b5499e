#include "core/db/NumberedInsert.h"

#include "core/db/DbErrors.h"
#include "core/db/TImageDataModule.h"

#include <QSqlError>
#include <QSqlQuery>

namespace kestrova {

namespace {

// Held by a station on a server from the numbering of a new row to its commit.
const QString NumberingLock = QStringLiteral("SELECT pg_advisory_xact_lock(5301791)");

// Runs one transaction-control statement; false with the engine's words.
bool Control(TImageDataModule& db, const QString& sql, NumberedInsertResult& result) {
    QSqlQuery q(db.Database1());
    if (q.exec(sql)) return true;
    result.error = DbErrorText(q.lastError(), db.engine());
    result.lockError = IsLockError(q.lastError(), db.engine());
    if (IsConnectionLost(q.lastError(), db.engine())) db.connectionLost();
    return false;
}

} // namespace

NumberedInsertResult InsertWithNextSeq(TImageDataModule& db, DataQuery& q, int maxAttempts) {
    NumberedInsertResult result;
    const bool server = db.engine() == DbEngine::PostgreSQL;
    while (result.attempts < maxAttempts) {
        ++result.attempts;
        result.error.clear();
        result.lockError = false;
        if (!db.ensureOpen(&result.error)) return result;
        // SQLite: the write lock at once, so the number read is the one no other writer can take.
        if (!Control(db, server ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE"), result)) return result;
        bool ok = !server || Control(db, NumberingLock, result);
        bool taken = false;
        if (ok) {
            ok = q.execSQL();
            if (!ok) {
                result.error = q.errorText();
                result.lockError = q.lockError();
                taken = q.uniqueViolation();
            }
        }
        if (ok && Control(db, QStringLiteral("COMMIT"), result)) {
            result.ok = true;
            return result;
        }
        NumberedInsertResult ignored; // the first failure is the one worth telling
        Control(db, QStringLiteral("ROLLBACK"), ignored);
        if (!taken) return result;
    }
    return result;
}

} // namespace kestrova
