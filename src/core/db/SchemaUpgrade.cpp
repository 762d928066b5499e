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
    for (const ColumnUpgrade& u : COLUMN_UPGRADES) {
        q.unprepare();
        q.setSQL(QString::fromLatin1(u.probe));
        const bool exists = q.open();
        q.close();
        if (exists) continue;
        q.setSQL(QString::fromLatin1(u.addToImageData));
        if (q.execSQL()) m_station.LogEvent(QString::fromLatin1(u.imageDataLog));
        q.setSQL(QString::fromLatin1(u.addToImageArchive));
        if (q.execSQL()) m_station.LogEvent(QString::fromLatin1(u.imageArchiveLog));
    }
    // Databases made from an older template lack the indexes of the newer columns.
    for (const QString& index : ImageIndexStatements()) {
        q.setSQL(index);
        q.execSQL();
    }
    q.unprepare();
}

} // namespace kestrova
