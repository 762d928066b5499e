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

} // namespace kestrova
