// The zip-mode rows of the backup pass, and the settling of what a stopped pass left behind.
#include "core/config/SetupInfo.h"
#include "core/db/DbEngine.h"
#include "core/db/DbErrors.h"
#include "core/db/TImageDataModule.h"
#include "core/station/Station.h"
#include "core/store/BackupFiles.h"
#include "core/store/BackupProcess.h"
#include "core/store/SignBackup.h"
#include "core/store/ZipMedia.h"
#include "core/store/ZipNames.h"
#include "core/util/FaultPoint.h"

#include <QFileInfo>
#include <QSqlQuery>
#include <utility>

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

BackupProcess::Step BackupProcess::zipRow(Row& row) {
    const StationSetup& setup = m_station.setup();
    if (row.ext.isEmpty()) {
        m_station.LogEvent(QStringLiteral("No data file exists for a database entry \"") + row.key +
                           QStringLiteral("\" in the backup process."));
        ++m_summary.failed;
        return Step::Next;
    }
    const QString destDir = ZipDestinationDir(setup, ZipGroupOf(row.key, setup.StoreMask));
    const QString zip = m_session->CurrentZipFileFor(row.key);
    if (zip.isEmpty()) {
        m_station.LogEvent(QStringLiteral("Unable to create the ZIP folder for media Write process"));
        return Step::EndPass;
    }
    const QString name = WithoutExtension(QFileInfo(zip).fileName());
    const QString journalError = m_journal->add({row.seq, row.key, zip, destDir});
    if (!journalError.isEmpty()) {
        m_station.LogEvent(QStringLiteral("Cannot back up ") + row.key +
                           QStringLiteral(" because the backup journal ") + m_journal->path() +
                           QStringLiteral(" cannot be written: ") + journalError);
        return Step::EndPass;
    }
    FaultPoint("backup.journal");
    int result =
        m_archive.SignBackup(zip, row.key, row.writeTime, row.scanTime, destDir, row.seqText, row.ext, m_session.get());
    FaultPoint("backup.archived");
    if (result >= ZipCapacity) m_batchEnds = true;
    if (result < 1) {
        m_station.LogEvent(QStringLiteral("Error in Backup Process ") + m_archive.LastBackupError);
        if (result != ZipMedia::FullOrNotMoved) {
            ++m_summary.failed;
            return Step::Next;
        }
        // The zip file was full from an earlier failed move (this image was not added, the move
        // was tried again), or this image went in last and the move failed. A row is only ever
        // given the name of a zip file that holds its image. The batch ends here, so the rows of
        // that zip file are recorded before it is marked.
        m_batchEnds = true;
        const QString mediaCopy = MediaCopyOf(zip, destDir);
        const bool moved = !IsFile(zip) && IsFile(mediaCopy);
        const bool held = holds(moved ? mediaCopy : zip, row.key);
        if (!held) {
            if (moved) {
                // The full zip file is on the media now: its rows are marked and this row goes
                // into the group's next zip file.
                m_journal->dropLast();
                finishBatch();
                markZipFile(name, row.writeTime, row.seqText);
                ++m_summary.completed;
                return Step::Again;
            }
            ++m_summary.failed;
            return Step::Next;
        }
        result = moved ? ZipCapacity : ZipCapacity - 1;
    }
    m_batch.append({row, zip, name, destDir, result});
    return Step::Next;
}

void BackupProcess::finishBatch() {
    m_batchEnds = false;
    // The next batch opens its zip files afresh, from what is on disk.
    struct Reopen {
        BackupProcess& pass;
        ~Reopen() { pass.m_session = std::make_unique<ZipSession>(pass.m_zips); }
    } reopen{*this};
    if (m_batch.isEmpty()) {
        // Rows written down that did not get in stay waiting; nothing is left to settle, unless
        // a row in a zip file could not be recorded.
        if (!m_keepJournal) static_cast<void>(m_journal->clear());
        return;
    }
    const QList<Archived> batch = std::exchange(m_batch, {});
    // Write the zip files; the rows of one that cannot be written stay waiting (the session
    // answers the same failure for every row of it).
    QList<Archived> held;
    for (const Archived& a : batch) {
        if (m_session->commit(a.zipPath)) {
            held << a;
            continue;
        }
        m_station.LogEvent(QStringLiteral("Error in Backup Process ") +
                           m_archive.ZipFailureText(a.zipPath, a.row.key, a.row.ext));
        ++m_summary.failed;
    }
    FaultPoint("backup.batch-written");
    if (held.isEmpty() || recordZipNames(held)) {
        FaultPoint("backup.batch-recorded");
        m_summary.recorded += static_cast<int>(held.size());
        for (const Archived& a : held) {
            if (a.result < ZipCapacity) continue;
            markZipFile(a.zipName, a.row.writeTime, a.row.seqText);
            ++m_summary.completed;
        }
        static_cast<void>(m_journal->clear());
        return;
    }
    // One row's update failed and took the batch's with it: the rows are recorded one at a time.
    recordOneByOne(held);
}

bool BackupProcess::control(const QString& statement, QString& error) {
    TImageDataModule* db = m_station.DataModule;
    QSqlQuery q(db->Database1());
    if (q.exec(statement)) return true;
    error = DbErrorText(q.lastError(), db->engine());
    if (IsConnectionLost(q.lastError(), db->engine())) db->connectionLost();
    return false;
}

bool BackupProcess::recordZipNames(const QList<Archived>& rows) {
    TImageDataModule* db = m_station.DataModule;
    QString error;
    if (!db || !db->ensureOpen(&error)) return false;
    // The write lock is taken once for the batch and held only for its updates.
    const bool server = db->engine() == DbEngine::PostgreSQL;
    if (!control(server ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE"), error)) return false;
    for (const Archived& a : rows) {
        const bool ok = runUpdate(
            ZipNameUpdate,
            [&](DataQuery& q) {
                q.setParamInteger(QStringLiteral("QSeqNum"), a.row.seq);
                q.setParamText(QStringLiteral("QZipname"), a.zipName);
            },
            error);
        if (!ok) {
            control(QStringLiteral("ROLLBACK"), error);
            return false;
        }
        FaultPoint("backup.zipname");
    }
    if (control(QStringLiteral("COMMIT"), error)) return true;
    control(QStringLiteral("ROLLBACK"), error);
    return false;
}

void BackupProcess::recordOneByOne(const QList<Archived>& rows) {
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const Archived& a = rows[i];
        // A row whose update fails is tried again, each try counting against the pass's limit.
        while (!recordZipName(a.row, a.zipName)) {
            if (m_iterations >= RowLimit || m_station.task().BackupStop()) {
                // This row keeps its image and its place in the journal (the next pass records
                // it); the rows after it had not been reached and go back to waiting.
                m_keepJournal = true;
                QList<BackupEntry> kept;
                for (const Archived& k : QList<Archived>{a} + giveBack(rows.mid(i + 1)))
                    kept.append({k.row.seq, k.row.key, k.zipPath, k.destDir});
                static_cast<void>(m_journal->replace(kept));
                return;
            }
            ++m_iterations;
        }
        FaultPoint("backup.zipname");
        ++m_summary.recorded;
        if (a.result >= ZipCapacity) {
            markZipFile(a.zipName, a.row.writeTime, a.row.seqText);
            ++m_summary.completed;
        }
    }
    static_cast<void>(m_journal->clear());
}

QList<BackupProcess::Archived> BackupProcess::giveBack(const QList<Archived>& rows) {
    // A zip file already moved to the media, or one that cannot be written again, keeps them: they
    // are returned, for the journal to settle.
    QList<Archived> kept;
    QStringList zips;
    for (const Archived& a : rows) {
        if (!m_session->remove(a.zipPath, {a.row.key + a.row.ext, a.row.key + QStringLiteral(".eml")})) {
            kept << a;
        } else if (!zips.contains(a.zipPath)) {
            zips << a.zipPath;
        }
    }
    for (const QString& zip : zips) {
        if (m_session->commit(zip)) continue;
        for (const Archived& a : rows)
            if (a.zipPath == zip) kept << a;
    }
    m_gaveBack = kept.size() < rows.size();
    return kept;
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
    for (const BackupEntry& entry : m_journal->pending()) {
        const QString name = WithoutExtension(QFileInfo(entry.zipPath).fileName());
        const bool held =
            holds(entry.zipPath, entry.key) || holds(MediaCopyOf(entry.zipPath, entry.destDir), entry.key);
        if (!held) {
            m_station.LogEvent(QStringLiteral("The backup of ") + entry.key +
                               QStringLiteral(" was interrupted before it was archived; it is backed up again."));
            continue;
        }
        QString error;
        const bool ok = runUpdate(
            ZipNameUpdate,
            [&](DataQuery& q) {
                q.setParamInteger(QStringLiteral("QSeqNum"), entry.sequence);
                q.setParamText(QStringLiteral("QZipname"), name);
            },
            error);
        if (!ok) {
            m_station.LogEvent(QStringLiteral("Cannot settle the interrupted backup of ") + entry.key +
                               QStringLiteral(": ") + error + QStringLiteral("; backing up waits for the next pass."));
            return false;
        }
        m_station.LogEvent(QStringLiteral("The backup of ") + entry.key +
                           QStringLiteral(" was interrupted after it went into ") + name +
                           QStringLiteral("; it is recorded."));
    }
    const QString cleared = m_journal->clear();
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
        const QString destDir = ZipDestinationDirOf(setup, name);
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
