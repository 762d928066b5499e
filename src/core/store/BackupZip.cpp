// The zip-mode rows of the backup pass, and the settling of what a stopped pass left behind.
#include "core/config/SetupInfo.h"
#include "core/db/TImageDataModule.h"
#include "core/station/Station.h"
#include "core/store/BackupFiles.h"
#include "core/store/BackupProcess.h"
#include "core/store/SignBackup.h"
#include "core/store/ZipMedia.h"
#include "core/store/ZipNames.h"
#include "core/util/FaultPoint.h"

#include <QFileInfo>

namespace kestrova {

namespace {

const QString AutocorrectTail = QStringLiteral(" This problem may autocorrect.");
const QString ZipNameUpdate = QStringLiteral("Update ImageData Set ZipName = :QZipname where SeqNumber = :QSeqNum");
const QString CompletionUpdate = QStringLiteral("Update ImageData Set CDWriteTime = :QCDWriteTime, SentToSystem = "
                                                ":QCSentToSystem, CDLabel = :QCDlabel where Zipname = :QZipName");

bool LockedBy(const QString& error) {
    return error.toLower().contains(QStringLiteral("locked by"));
}

bool IsFile(const QString& path) {
    return QFileInfo(path).isFile();
}

QString MediaCopyOf(const QString& zipPath, const QString& destDir) {
    return WithTrailingSlash(destDir) + QFileInfo(zipPath).fileName();
}

} // namespace

bool BackupProcess::holds(const QString& zipPath, const QString& key) const {
    return IsFile(zipPath) && m_zips.CountMissingFromZip(zipPath, {key}) == 0;
}

BackupProcess::Step BackupProcess::zipRow(Row& row, bool repeat) {
    const StationSetup& setup = m_station.setup();
    BackupJournal journal(setup.SetupInfo.Directories[SlotLocalImages]);
    if (!repeat) {
        if (row.ext.isEmpty()) {
            m_station.LogEvent(QStringLiteral("No data file exists for a database entry \"") + row.key +
                               QStringLiteral("\" in the backup process."));
            ++m_summary.failed;
            return Step::Next;
        }
        const QString destDir = ZipDestinationDir(setup, ZipGroupOf(row.key, setup.StoreMask));
        const QString zip = m_zips.CurrentZipFileFor(row.key);
        if (zip.isEmpty()) {
            m_station.LogEvent(QStringLiteral("Unable to create the ZIP folder for media Write process"));
            return Step::EndPass;
        }
        const QString name = WithoutExtension(QFileInfo(zip).fileName());
        const QString journalError = journal.begin({row.seq, row.key, zip, destDir});
        if (!journalError.isEmpty()) {
            m_station.LogEvent(QStringLiteral("Cannot back up ") + row.key +
                               QStringLiteral(" because the backup journal ") + journal.path() +
                               QStringLiteral(" cannot be written: ") + journalError);
            return Step::EndPass;
        }
        FaultPoint("backup.journal");
        int result = m_archive.SignBackup(zip, row.key, row.writeTime, row.scanTime, destDir, row.seqText, row.ext);
        FaultPoint("backup.archived");
        if (result < 1) {
            m_station.LogEvent(QStringLiteral("Error in Backup Process ") + m_archive.LastBackupError);
            if (result != ZipMedia::FullOrNotMoved) {
                journal.clear();
                ++m_summary.failed;
                return Step::Next;
            }
            // The zip file was full from an earlier failed move (this image was not added, the
            // move was tried again), or this image went in last and the move failed. A row is
            // only ever given the name of a zip file that holds its image.
            const QString mediaCopy = MediaCopyOf(zip, destDir);
            const bool moved = !IsFile(zip) && IsFile(mediaCopy);
            const bool held = holds(moved ? mediaCopy : zip, row.key);
            if (!held) {
                journal.clear();
                if (moved) {
                    // The full zip file is on the media now: its rows are marked and this row
                    // goes into the group's next zip file.
                    markZipFile(name, row.writeTime, row.seqText);
                    ++m_summary.completed;
                    return Step::Again;
                }
                ++m_summary.failed;
                return Step::Next;
            }
            result = moved ? ZipCapacity : ZipCapacity - 1;
        }
        m_pendingZipName = name;
        m_pendingResult = result;
    }
    if (!recordZipName(row, m_pendingZipName)) return Step::Repeat;
    FaultPoint("backup.zipname");
    ++m_summary.recorded;
    if (m_pendingResult >= ZipCapacity) {
        markZipFile(m_pendingZipName, row.writeTime, row.seqText);
        ++m_summary.completed;
    }
    journal.clear();
    return Step::Next;
}

bool BackupProcess::recordZipName(const Row& row, const QString& zipName) {
    QString error;
    const bool ok = runUpdate(
        ZipNameUpdate,
        [&](DataQuery& q) {
            q.setParamInteger(QStringLiteral("QSeqNum"), row.seq);
            q.setParamText(QStringLiteral("QZipname"), zipName);
        },
        error);
    if (!ok && !LockedBy(error))
        m_station.LogEvent(QStringLiteral("Updating ZIP Archive Write event for Sequence # ") + row.seqText +
                           QLatin1Char(' ') + error + AutocorrectTail);
    return ok;
}

bool BackupProcess::markZipFile(const QString& zipName, const QDateTime& writeTime, const QString& seqText) {
    QString error;
    const bool ok = runUpdate(
        CompletionUpdate,
        [&](DataQuery& q) {
            q.setParamDateTime(QStringLiteral("QCDWriteTime"), ToTDateTime(writeTime));
            q.setParamYesNo(QStringLiteral("QCSentToSystem"), false);
            q.setParamText(QStringLiteral("QCDlabel"), m_label);
            q.setParamText(QStringLiteral("QZipName"), zipName);
        },
        error);
    if (!ok && !LockedBy(error))
        m_station.LogEvent(QStringLiteral("Updating Media Write event for Sequence # ") + seqText + QLatin1Char(' ') +
                           error + AutocorrectTail);
    FaultPoint("backup.completed");
    return ok;
}

bool BackupProcess::settleInterrupted() {
    BackupJournal journal(m_station.setup().SetupInfo.Directories[SlotLocalImages]);
    const std::optional<BackupEntry> entry = journal.pending();
    if (entry) {
        const QString name = WithoutExtension(QFileInfo(entry->zipPath).fileName());
        const bool held =
            holds(entry->zipPath, entry->key) || holds(MediaCopyOf(entry->zipPath, entry->destDir), entry->key);
        if (held) {
            QString error;
            const bool ok = runUpdate(
                ZipNameUpdate,
                [&](DataQuery& q) {
                    q.setParamInteger(QStringLiteral("QSeqNum"), entry->sequence);
                    q.setParamText(QStringLiteral("QZipname"), name);
                },
                error);
            if (!ok) {
                m_station.LogEvent(QStringLiteral("Cannot settle the interrupted backup of ") + entry->key +
                                   QStringLiteral(": ") + error +
                                   QStringLiteral("; backing up waits for the next pass."));
                return false;
            }
            m_station.LogEvent(QStringLiteral("The backup of ") + entry->key +
                               QStringLiteral(" was interrupted after it went into ") + name +
                               QStringLiteral("; it is recorded."));
        } else {
            m_station.LogEvent(QStringLiteral("The backup of ") + entry->key +
                               QStringLiteral(" was interrupted before it was archived; it is backed up again."));
        }
    }
    const QString cleared = journal.clear();
    if (!cleared.isEmpty()) {
        m_station.LogEvent(QStringLiteral("Cannot settle the interrupted backup: ") + cleared);
        return false;
    }
    return true;
}

void BackupProcess::markMovedZipFiles() {
    TImageDataModule* db = m_station.DataModule;
    DataQuery& q = db->BackupImageDataQuery;
    q.close();
    q.unprepare();
    q.setSQL(
        QStringLiteral("select distinct ZipName from ImageData where CDWriteTime is null and ZipName is not null"));
    QStringList names;
    if (q.prepare() && q.open()) {
        for (q.first(); !q.eof(); q.next()) names << q.fieldByName(QStringLiteral("ZipName")).asString();
    }
    q.close();
    const StationSetup& setup = m_station.setup();
    for (const QString& name : names) {
        const qsizetype tilde = name.indexOf(QLatin1Char('~'));
        const QString destDir = ZipDestinationDir(setup, tilde < 0 ? name : name.left(tilde));
        const QString local = ZipFolder(setup) + name + QStringLiteral(".zip");
        if (IsFile(local)) {
            // A complete zip file whose move failed (the media was away) or was stopped.
            if (m_zips.EntryCount(local) < ZipCapacity) continue;
            if (m_zips.ZipAddAndCommit(local, QString(), destDir, nullptr, true) < 0) continue;
        } else if (!IsFile(MediaCopyOf(local, destDir))) {
            continue;
        }
        m_station.LogEvent(QStringLiteral("The zip file ") + name +
                           QStringLiteral(" is on the media but its images were not marked; they are marked now."));
        if (markZipFile(name, m_station.clock().now(), QString())) ++m_summary.completed;
    }
}

} // namespace kestrova
