#include "core/admin/MediaTasks.h"

#include "core/config/SetupInfo.h"
#include "core/db/TImageDataModule.h"
#include "core/station/ScreenCursors.h"
#include "core/station/Station.h"
#include "core/store/BackupFiles.h"
#include "core/store/ZipMedia.h"
#include "core/store/ZipNames.h"
#include "core/util/DateTime.h"
#include "core/util/FaultPoint.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <algorithm>

namespace kestrova {

namespace {

void Reset(DataQuery& q, const QString& statement) {
    q.close();
    q.unprepare();
    q.clearParams();
    q.setSQL(statement);
}

} // namespace

CommitSummary CommitWaitingZipFiles(Station& station, const ZipMedia& zips, bool lockHeld) {
    CommitSummary summary;
    TImageDataModule* data = station.DataModule;
    if (!data) return summary;
    ZipFilesLock lock(station.setup().SetupInfo.Directories[SlotLocalImages]);
    if (!lockHeld && !lock.tryLock(ZipFilesLock::Wait)) {
        station.LogEvent(ZipFilesLock::BusyText);
        summary.busy = true;
        return summary;
    }
    DataQuery& list = data->AdminQuery;
    Reset(list, QStringLiteral("select distinct zipname from imagedata where cdlabel is null and zipname is not null"));
    const bool opened = list.prepare() && list.open();
    station.SetScreenCursor(crCDRomA);
    QStringList names;
    if (opened) {
        for (list.first(); !list.eof(); list.next()) names << list.fieldByName(QStringLiteral("zipname")).asString();
    }
    list.close();
    const StationSetup& setup = station.setup();
    for (const QString& z : names) {
        const QString local = ZipFolder(setup) + z + QStringLiteral(".zip");
        const QString destDir = ZipDestinationDirOf(setup, z);
        // A commit stopped between the move and the update left the file complete on the medium
        // and none in the zip folder: its rows are labelled now.
        const bool movedBefore = !QFile::exists(local) && QFile::exists(destDir + z + QStringLiteral(".zip")) &&
                                 zips.VerifyZipFile(destDir + z + QStringLiteral(".zip")) == 0;
        const int r = movedBefore ? 0 : zips.ZipAddAndCommit(local, QString(), destDir, nullptr, true);
        if (r < 0) {
            station.LogEvent(QStringLiteral("Unable to write ZipFile ") + local +
                             QStringLiteral(" to disc media. Images not included on this media"));
            ++summary.failed;
        } else {
            FaultPoint("flush.moved");
            data->SetBackupWriteSQL(QStringLiteral("Update ImageData Set CDWriteTime = :QCDWriteTime, SentToSystem = "
                                                   ":QCSentToSystem, CDLabel = :QCDlabel where Zipname = :QZipName"));
            DataQuery& write = data->BackupImageWriteQuery;
            write.clearParams();
            write.setParamDateTime(QStringLiteral("QCDWriteTime"), ToTDateTime(station.clock().now()));
            write.setParamText(QStringLiteral("QCDlabel"), station.task().MediaLabel());
            write.setParamText(QStringLiteral("QZipName"), z);
            write.setParamYesNo(QStringLiteral("QCSentToSystem"), false);
            // An error here leaves the rows unlabelled although the file is on the media; the next
            // commit then reports the zip file as not writable.
            if (write.prepare()) write.execSQL();
            ++summary.committed;
        }
        station.SetScreenCursor(station.ScreenCursorNumber == crCDRomA ? crCDRomB : crCDRomA);
    }
    station.SetScreenCursor(crDefault);
    if (!opened) station.LogEvent(QStringLiteral("Unable to list the waiting zip files ") + list.errorText());
    return summary;
}

ArchiveOutcome DatabaseArchive::ArchiveDatabaseClick() {
    const ArchiveOutcome outcome = m_station.setup().SetupInfo.StationMode == ModeRemote
                                       ? archivetasks(-1, m_station.clock().now().addDays(-30))
                                       : archivetasks(2, std::nullopt);
    m_station.SetScreenCursor(crDefault);
    return outcome;
}

ArchiveOutcome DatabaseArchive::archivetasks(qint32 keepCount, const std::optional<QDateTime>& cutOff) {
    ArchiveOutcome outcome;
    m_minimums.clear();
    TImageDataModule* data = m_station.DataModule;
    Prompter& prompter = m_station.prompter();
    if (!data) {
        outcome.error = QStringLiteral("No image database");
        return outcome;
    }
    DataQuery& q = data->imageQuery;
    qint32 low = 2147483000;
    if (keepCount == -1) {
        Reset(q, QStringLiteral("select min(SeqNumber) as LowSeqNum from ImageData where CDWriteTime < :CDTime"));
        q.setParamDateTime(QStringLiteral("CDTime"), ToTDateTime(cutOff.value_or(m_station.clock().now())));
        if (!q.prepare() || !q.open()) {
            outcome.error = q.errorText();
            prompter.message(QString(), QStringLiteral("Failed to find a Sequence Number."));
            return outcome;
        }
        if (!q.isEmpty()) {
            q.first();
            low = q.fieldByName(QStringLiteral("LowSeqNum")).asInteger();
        }
        q.close();
    } else {
        Reset(q, QStringLiteral("select distinct CDLabel from ImageData"));
        if (!q.prepare() || !q.open()) {
            outcome.error = q.errorText();
            prompter.message(QString(), QStringLiteral("Failed to retrieve a CD List ") + q.errorText());
            return outcome;
        }
        QStringList labels;
        for (q.first(); !q.eof(); q.next()) labels << q.fieldByName(QStringLiteral("CDLabel")).asString();
        q.close();
        for (const QString& label : labels) {
            // The label is bound as a value: a label holding a double quote is a label like any other.
            Reset(q, QStringLiteral("select min(SeqNumber) as LowSeqNum from ImageData where cdlabel = :QCDLabel"));
            q.setParamText(QStringLiteral("QCDLabel"), label.trimmed());
            if (!q.prepare() || !q.open()) {
                outcome.error = q.errorText();
                prompter.message(QString(),
                                 QStringLiteral("Failed to retrieve a Sequence Number List with ") + q.errorText());
                return outcome;
            }
            if (!q.isEmpty()) {
                q.first();
                m_minimums << QString::asprintf(
                    "%.10u", static_cast<unsigned>(q.fieldByName(QStringLiteral("LowSeqNum")).asInteger()));
            }
            q.close();
        }
        std::sort(m_minimums.begin(), m_minimums.end());
        if (m_minimums.size() < keepCount + 1) {
            outcome.error = QStringLiteral("Nothing to Archive!");
            prompter.message(ArchiveCaption, QStringLiteral("Nothing to Archive!"));
            return outcome;
        }
        while (m_minimums.size() > keepCount) m_minimums.removeFirst();
        bool ok = !m_minimums.isEmpty();
        if (ok) low = m_minimums.first().toInt(&ok);
        if (!ok) {
            outcome.error = QStringLiteral("Error Sorting Sequence Numbers");
            prompter.message(ArchiveCaption, QStringLiteral("Error Sorting Sequence Numbers"), MessageIcon::Error);
            return outcome;
        }
    }
    outcome.LowSeqNum = low;
    outcome.moved = moveRows(outcome);
    return outcome;
}

// Rows below the threshold that have been written to a medium move in one transaction; their local
// copies go only once it has been committed, so a failure anywhere leaves every row in exactly one
// table and every local copy of a row still in ImageData in place.
bool DatabaseArchive::moveRows(ArchiveOutcome& outcome) {
    TImageDataModule& data = *m_station.DataModule;
    DataQuery& q = data.imageQuery;
    const QString written = QStringLiteral(" and CDWriteTime is not null");
    QString error;
    if (!data.ensureOpen(&error)) {
        outcome.error = error;
        return false;
    }
    QSqlDatabase db = data.Database1();
    if (!db.transaction()) {
        outcome.error = db.lastError().text();
        return false;
    }
    auto rollBack = [&](const QString& reason) {
        q.close();
        db.rollback();
        outcome.error = reason;
        return false;
    };
    Reset(q, QStringLiteral("INSERT INTO ImageArchive (SeqNumber, DocDefn, ReqID, ScanTime,   ViewTime, CDWriteTime, "
                            "CDLabel, SentToSystem, BarcodeData, ImageInfo, Verified, ZipName, Replicated) SELECT "
                            "SeqNumber, DocDefn, ReqID, ScanTime, ViewTime, CDWriteTime,  CDLabel, SentToSystem, "
                            "BarcodeData, ImageInfo, Verified, ZipName, Replicated FROM imagedata WHERE "
                            "imagedata.SeqNumber < :LowSeqNum") +
                 written);
    q.setParamInteger(QStringLiteral("LowSeqNum"), outcome.LowSeqNum);
    if (!q.prepare() || !q.execSQL()) {
        const QString reason = q.errorText();
        rollBack(reason);
        m_station.prompter().message(QString(), QStringLiteral("Unable to Archive Database Entries ") +
                                                    QLatin1Char('\r') + reason);
        return false;
    }
    outcome.rows = q.rowsAffected();
    // The writer's lock is held from the copy on, so these are the rows just copied.
    Reset(q, QStringLiteral("select ReqId, DocDefn from ImageData where SeqNumber < :LowSeqNum") + written);
    q.setParamInteger(QStringLiteral("LowSeqNum"), outcome.LowSeqNum);
    if (!q.prepare() || !q.open()) return rollBack(q.errorText());
    QStringList localCopies;
    const QString localDir = m_station.setup().SetupInfo.Directories[SlotLocalImages];
    for (q.first(); !q.eof(); q.next()) {
        localCopies << localDir + q.fieldByName(QStringLiteral("ReqId")).asString() + QLatin1Char('~') +
                           q.fieldByName(QStringLiteral("DocDefn")).asString() + QStringLiteral(".tif");
    }
    q.close();
    Reset(q, QStringLiteral("DELETE FROM imagedata WHERE imagedata.SeqNumber < :LowSeqNum") + written);
    q.setParamInteger(QStringLiteral("LowSeqNum"), outcome.LowSeqNum);
    if (!q.prepare() || !q.execSQL()) return rollBack(q.errorText());
    q.close();
    if (!db.commit()) {
        const QString reason = db.lastError().text();
        db.rollback();
        outcome.error = reason;
        return false;
    }
    for (const QString& path : localCopies) {
        // A missing copy or one in use stays as it is.
        if (QFile::remove(path)) ++outcome.localDeleted;
    }
    return true;
}

} // namespace kestrova
