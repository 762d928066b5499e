#include "core/db/SchemaIndexes.h"

namespace kestrova {

QStringList ImageIndexStatements() {
    return {
        QStringLiteral("CREATE INDEX IF NOT EXISTS IX_ImageData_ZipName ON ImageData (ZipName)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS IX_ImageData_CDLabel ON ImageData (CDLabel)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS IX_ImageData_ReqID ON ImageData (ReqID, DocDefn)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS IX_ImageData_CDWriteTime ON ImageData (CDWriteTime)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS IX_ImageArchive_SeqNumber ON ImageArchive (SeqNumber)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS IX_ImageArchive_ReqID ON ImageArchive (ReqID, DocDefn)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS IX_ImageArchive_CDLabel ON ImageArchive (CDLabel)"),
    };
}

QStringList ImageIndexStatements(DbEngine engine) {
    QStringList statements = ImageIndexStatements();
    // The rows the backup pass still has to take, in the order it takes them; its counter reads
    // only these. Few rows at any time, so the index stays small however large the table grows.
    statements << QStringLiteral("CREATE INDEX IF NOT EXISTS IX_ImageData_AwaitingBackup ON ImageData (SeqNumber) "
                                 "WHERE CDWriteTime IS NULL");
    if (engine == DbEngine::SQLite) {
        // The rows the LIS has not taken (the "Awaiting Lab IS" counter). SQLite uses a partial
        // index only when the statement repeats its condition as written: yes/no is 0 or 1 here.
        statements << QStringLiteral("CREATE INDEX IF NOT EXISTS IX_ImageData_AwaitingLIS ON ImageData (SeqNumber) "
                                     "WHERE SentToSystem = 0");
    } else {
        statements << QStringLiteral("CREATE INDEX IF NOT EXISTS IX_ImageData_AwaitingLIS ON ImageData (SeqNumber) "
                                     "WHERE SentToSystem = false");
        // Request numbers compare without regard to letter case, which a plain index cannot serve
        // for like: the statements' like on a column is sent as lower(column::text) LIKE lower(...)
        // (see the dialect layer), which this index serves for a fixed prefix.
        statements << QStringLiteral("CREATE INDEX IF NOT EXISTS IX_ImageData_ReqIDPrefix ON ImageData "
                                     "((lower(ReqID::text)) text_pattern_ops)");
    }
    return statements;
}

QString IndexNameOf(const QString& statement) {
    const QString marker = QStringLiteral("IF NOT EXISTS ");
    const qsizetype at = statement.indexOf(marker);
    if (at < 0) return {};
    return statement.mid(at + marker.size()).section(QLatin1Char(' '), 0, 0);
}

} // namespace kestrova
