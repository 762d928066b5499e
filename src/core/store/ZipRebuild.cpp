#include "core/db/TImageDataModule.h"
#include "core/station/ScreenCursors.h"
#include "core/station/Station.h"
#include "core/store/ImageExtensions.h"
#include "core/store/SignBackup.h"
#include "core/store/ZipMedia.h"
#include "core/store/ZipNames.h"
#include "core/util/FaultPoint.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kestrova {

namespace {

struct RebuildRow {
    QString key;
    QString seqText;
    TDateTime writeTime = 0.0;
};

// The folder a zip file is rebuilt in: below the zip folder, where the backup pass never looks.
QString RebuildFolder(const StationSetup& setup) {
    return ZipFolder(setup) + QStringLiteral("Rebuild/");
}

} // namespace

bool SignedImageArchive::RemoveRebuildLeftovers() {
    const QDir folder(RebuildFolder(m_station.setup()));
    bool removed = true;
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System))
        removed = QFile::remove(folder.filePath(name)) && removed;
    return removed;
}

int SignedImageArchive::RebuildZipFile(const QString& zipPath) {
    const QFileInfo info(zipPath);
    const QString name = WithoutExtension(info.fileName());
    const QString destDir = WithTrailingSlash(info.path());
    const QString folder = RebuildFolder(m_station.setup());
    const QString local = folder + info.fileName();
    LastBackupError.clear();
    if (!m_station.DataModule) return -1;

    DataQuery& q = m_station.DataModule->VerifyZipFileQuery;
    q.close();
    q.unprepare();
    q.clearParams();
    q.setParamText(QStringLiteral("QZipName"), name);
    QList<RebuildRow> rows;
    if (!q.prepare() || !q.open()) {
        LastBackupError = q.errorText();
        q.close();
        return -1;
    }
    for (q.first(); !q.eof(); q.next()) {
        // A deleted image has no local copy any more and belongs in no zip file.
        if (q.fieldByName(QStringLiteral("CDLabel")).asString() == QLatin1String("Deleted")) continue;
        rows.append({q.fieldByName(QStringLiteral("Reqid")).asString() + QLatin1Char('~') +
                         q.fieldByName(QStringLiteral("DocDefn")).asString(),
                     QString::number(q.fieldByName(QStringLiteral("SeqNumber")).asInteger()),
                     q.fieldByName(QStringLiteral("CDWriteTime")).asDateTime()});
    }
    q.close();

    // What a rebuild cut short left behind is started over.
    if (!QDir().mkpath(folder) || !RemoveRebuildLeftovers()) {
        LastBackupError = QStringLiteral("Unabled to write ZipFile ") + zipPath;
        return -1;
    }
    const int cursor = m_station.ScreenCursorNumber;
    const QString localImages = m_station.setup().SetupInfo.Directories[6];
    // The file is written once, when it is complete or after its last row, not once per row.
    ZipSession session(m_zips);
    int r = 0;
    int n = 0;
    for (const RebuildRow& row : rows) {
        m_station.SetScreenCursor(n++ % 2 == 0 ? crFileStA : crFileStB);
        QString ext;
        for (const QString& candidate : ImageExtensions) {
            if (QFileInfo::exists(localImages + row.key + candidate)) {
                ext = candidate;
                break;
            }
        }
        QDateTime writeTime = m_station.clock().now();
        r = SignBackup(local, row.key, writeTime, FromTDateTime(row.writeTime), destDir, row.seqText, ext, &session);
        if (r <= 0) {
            LastBackupError = r == ZipMedia::FullOrNotMoved
                                  ? QStringLiteral("Unable to write ") + row.key + ext + QStringLiteral(" to Disc")
                                  : QStringLiteral("Unabled to Sign ") + row.key + ext;
            // The file on the media stays as it was; the part built here is of no use.
            QFile::remove(local);
            m_station.SetScreenCursor(cursor);
            return r < 0 ? r : -1;
        }
        FaultPoint("rebuild.added");
    }
    m_station.SetScreenCursor(cursor);
    if (r < ZipCapacity) r = session.ZipAddAndCommit(local, QString(), destDir, nullptr, true);
    if (r < 0) LastBackupError = QStringLiteral("Unabled to write ZipFile ") + zipPath;
    return r;
}

} // namespace kestrova
