#include "core/db/SchemaIndexes.h"
#include "core/db/TImageDataModule.h"
#include "core/station/Station.h"

#include <array>

namespace kestrova {

namespace {

struct ColumnUpgrade {
    const char* probe;
    const char* addToImageData;
    const char* imageDataLog;
    const char* addToImageArchive;
    const char* imageArchiveLog;
};

constexpr std::array<ColumnUpgrade, 5> COLUMN_UPGRADES{{
    {"Select ZipName from ImageData", "Alter Table ImageData add ZIPName Text (40)", "ImageData Column ZipName Created",
     "Alter Table ImageArchive add ZIPName Text (40)", "ImageArchive Column ZipName Created"},
    {"Select BarcodeData from ImageData", "Alter Table ImageData add BarcodeData memo",
     "ImageData Column BarcodeData Created", "Alter Table ImageArchive add BarcodeData memo",
     "ImageArchive Column BarcodeData Created"},
    {"Select Verified from ImageData", "Alter Table ImageData add Verified Number", "ImageData Column Verified Created",
     "Alter Table ImageArchive add Verified number", "ImageArchive Column Verified Created"},
    {"Select ImageInfo from ImageData", "Alter Table ImageData add ImageInfo memo",
     "ImageData Column ImageInfo Created", "Alter Table ImageArchive add ImageInfo memo",
     "ImageArchive Column ImageInfo Created"},
    {"Select Replicated from ImageData", "Alter Table ImageData add Replicated YesNo",
     "ImageData Column Replicated Created", "Alter Table ImageArchive add Replicated YesNo",
     "ImageArchive Column Replicated Created"},
}};

} // namespace

void TImageDataModule::UpgradeDatabaseSchema() {
    DataQuery& q = ColumnCheckQuery;
    // A file that is no database (or a server that cannot be reached) would only make every probe
    // and statement fail unseen: say so once, plainly, and leave the database alone.
    q.close();
    q.unprepare();
    q.setSQL(QStringLiteral("select count(*) from ImageData where 1 = 0"));
    if (!q.open()) {
        m_station.LogEvent(QStringLiteral("Image database %1 cannot be used: %2").arg(m_location, q.errorText()));
        q.close();
        q.unprepare();
        return;
    }
    q.close();
    // Stations starting together on a server upgrade one after the other; the lock goes with the
    // session if the station dies meanwhile.
    const bool server = m_engine == DbEngine::PostgreSQL;
    if (server) {
        q.setSQL(QStringLiteral("select pg_advisory_lock(5301790)"));
        q.open();
        q.close();
    }
    for (const ColumnUpgrade& u : COLUMN_UPGRADES) {
        q.unprepare();
        // The probe names the column and reads no row: the engine refuses an unknown column
        // before it looks at the table's rows.
        q.setSQL(QString::fromLatin1(u.probe) + QStringLiteral(" where 1 = 0"));
        const bool exists = q.open();
        q.close();
        if (exists) continue;
        q.setSQL(QString::fromLatin1(u.addToImageData));
        if (q.execSQL()) m_station.LogEvent(QString::fromLatin1(u.imageDataLog));
        q.setSQL(QString::fromLatin1(u.addToImageArchive));
        if (q.execSQL()) m_station.LogEvent(QString::fromLatin1(u.imageArchiveLog));
    }
    // Databases made from an older template lack the newer indexes. Only the missing ones are made:
    // even "if not exists" waits for the table's write lock, which the LIS may be holding.
    QStringList existing;
    q.setSQL(server ? QStringLiteral("select indexname from pg_indexes where schemaname = current_schema()")
                    : QStringLiteral("select name from sqlite_master where type = \"index\""));
    if (q.open()) {
        for (q.first(); !q.eof(); q.next()) existing << q.field(0).asString().toLower();
    }
    q.close();
    for (const QString& index : ImageIndexStatements(m_engine)) {
        if (existing.contains(IndexNameOf(index).toLower())) continue;
        q.setSQL(index);
        q.execSQL();
    }
    if (server) {
        q.setSQL(QStringLiteral("select pg_advisory_unlock(5301790)"));
        q.open();
        q.close();
    }
    q.unprepare();
}

} // namespace kestrova
