#include "core/db/PostgresSchema.h"

#include "core/db/DbErrors.h"
#include "core/db/SchemaIndexes.h"

#include <QSqlError>
#include <QSqlQuery>

namespace kestrova {

namespace {

// Text columns are citext, so = and like ignore letter case for the station and the LIS alike.
QString TableStatement(const QString& name, const QString& seqConstraint) {
    return QStringLiteral("CREATE TABLE IF NOT EXISTS %1 ("
                          " SeqNumber integer NOT NULL%2,"
                          " ReqID citext, DocDefn citext,"
                          " ScanTime timestamp, ViewTime timestamp, CDWriteTime timestamp,"
                          " CDLabel citext,"
                          " SentToSystem boolean NOT NULL DEFAULT false,"
                          " BarcodeData citext, ImageInfo citext, Verified integer,"
                          " ZipName citext CHECK (char_length(ZipName) <= 40),"
                          " Replicated boolean NOT NULL DEFAULT false)")
        .arg(name, seqConstraint);
}

const QString NextSeqView = QStringLiteral(
    "CREATE OR REPLACE VIEW NextSeq AS SELECT greatest(coalesce((SELECT max(SeqNumber) FROM ImageData), 0),"
    " coalesce((SELECT max(SeqNumber) FROM ImageArchive), 0)) + 1 AS NextSeqNum");

// Serialises schema creation between stations that start together.
const QString SchemaLock = QStringLiteral("SELECT pg_advisory_xact_lock(5301790)");

} // namespace

SchemaResult EnsurePostgresSchema(QSqlDatabase db) {
    SchemaResult result;
    QSqlQuery q(db);
    auto run = [&](const QString& sql) {
        if (q.exec(sql)) return true;
        result.error = DbErrorText(q.lastError(), DbEngine::PostgreSQL);
        return false;
    };
    auto missing = [&](const char* relation, bool& isMissing) {
        if (!run(QStringLiteral("SELECT to_regclass('%1') IS NULL").arg(QLatin1String(relation))) || !q.next())
            return false;
        isMissing = q.value(0).toBool();
        return true;
    };
    bool tableMissing = false;
    bool viewMissing = false;
    if (!run(QStringLiteral("BEGIN")) || !run(SchemaLock) || !missing("imagedata", tableMissing) ||
        !missing("nextseq", viewMissing)) {
        q.exec(QStringLiteral("ROLLBACK"));
        return result;
    }
    bool ok = true;
    if (tableMissing) {
        ok = run(QStringLiteral("CREATE EXTENSION IF NOT EXISTS citext")) &&
             run(TableStatement(QStringLiteral("ImageData"), QStringLiteral(" UNIQUE"))) &&
             run(TableStatement(QStringLiteral("ImageArchive"), QString()));
        for (const QString& index : ImageIndexStatements(DbEngine::PostgreSQL)) ok = ok && run(index);
    }
    if (ok && (tableMissing || viewMissing)) ok = run(NextSeqView);
    if (!ok || !run(QStringLiteral("COMMIT"))) {
        q.exec(QStringLiteral("ROLLBACK"));
        return result;
    }
    result.ok = true;
    result.created = tableMissing;
    return result;
}

} // namespace kestrova
