#include "core/store/BackupProcess.h"

#include "core/config/SetupInfo.h"
#include "core/db/TImageDataModule.h"
#include "core/ports/Beeper.h"
#include "core/ports/Volumes.h"
#include "core/station/CursorRestore.h"
#include "core/station/ScreenCursors.h"
#include "core/station/Station.h"
#include "core/store/BackupFiles.h"
#include "core/store/ImageExtensions.h"
#include "core/store/SignBackup.h"
#include "core/store/ZipMedia.h"
#include "core/store/ZipNames.h"
#include "core/util/FaultPoint.h"
#include "core/util/FileUtil.h"

#include <QFileInfo>
#include <QThread>

namespace kestrova {

namespace {

const QString ExpiredHint = QStringLiteral("The Installed Certificate has expired. Unable to sign Images");
const QString WarningHint = QStringLiteral(
    "WARNING!!! The Installed Signing Certificate will expire within 14 days. PLEASE UPDATE CERTIFICATE");
const QString AutocorrectTail = QStringLiteral(" This problem may autocorrect.");

const QString RemoteUpdate = QStringLiteral("Update ImageData Set CDWriteTime = :QCDWriteTime, SentToSystem = "
                                            ":QCSentToSystem, CDLabel = :QCDlabel, ZipName = :QZipName where "
                                            "SeqNumber = :QSeqNumber");

bool LockedBy(const QString& error) {
    return error.toLower().contains(QStringLiteral("locked by"));
}

bool IsFile(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && info.isFile();
}

} // namespace

BackupProcess::BackupProcess(Station& station, const ZipMedia& zips, SignedImageArchive& archive,
                             const Volumes& volumes, Beeper& beeper)
    : m_station(station), m_zips(zips), m_archive(archive), m_volumes(volumes), m_beeper(beeper),
      m_daysLeft([&archive] { return archive.CertificateDaysLeft(); }),
      m_pause([](int ms) { QThread::msleep(static_cast<unsigned long>(ms)); }) {}

BackupProcess::~BackupProcess() = default;

bool BackupProcess::certificateUsable() {
    MainWindowState& ui = m_station.ui;
    ui.CDGroupLabelHint.clear();
    ui.CDGroupLabelColour = LabelColour::WindowText;
    const int days = m_daysLeft();
    bool usable = true;
    if (days < 1) {
        m_beeper.beep();
        m_pause(1000);
        m_beeper.beep();
        m_pause(1000);
        m_beeper.beep();
        ui.CDGroupLabelHint = ExpiredHint;
        ui.CDGroupLabelColour = LabelColour::Red;
        m_station.LogEvent(ExpiredHint);
        usable = false;
    } else if (days < 14) {
        ui.CDGroupLabelHint = WarningHint;
        ui.CDGroupLabelColour = LabelColour::Aqua;
        m_station.LogEvent(WarningHint);
    }
    m_station.notify();
    return usable;
}

QString BackupProcess::mediaLabel() const {
    const StationSetup& setup = m_station.setup();
    if (setup.SetupInfo.StationMode == ModeRemote) return QStringLiteral("Scan Server");
    const QString label = VolumeLabelOf(m_volumes, setup.SetupInfo.Directories[SlotBackup]);
    if (!label.isEmpty()) return label;
    return setup.LocalImagesFlag ? QStringLiteral("Local Images") : QStringLiteral("UNKNOWN");
}

bool BackupProcess::runUpdate(const QString& statement, const std::function<void(DataQuery&)>& bind, QString& error,
                              int* rows) {
    TImageDataModule* db = m_station.DataModule;
    if (!db) {
        error = QStringLiteral("no image database");
        return false;
    }
    db->SetBackupWriteSQL(statement);
    DataQuery& q = db->BackupImageWriteQuery;
    q.clearParams();
    bind(q);
    const bool ok = q.prepare() && q.execSQL();
    error = ok ? QString() : q.errorText();
    if (!ok && error.isEmpty()) error = QStringLiteral("Unknown database error");
    if (rows) *rows = ok ? q.rowsAffected() : 0;
    q.close();
    return ok;
}

bool BackupProcess::select(DataQuery& q, bool remote) {
    q.close();
    q.unprepare();
    q.setSQL(QStringList{QStringLiteral("Select SeqNumber, ReqID, DocDefn, ScanTime from ImageData"),
                         remote ? QStringLiteral("where CDWriteTime is null")
                                : QStringLiteral("where CDWriteTime is null and Zipname is Null")});
    if (q.prepare() && q.open()) return true;
    m_station.LogEvent(QStringLiteral("The backup process cannot read the images waiting for backup: ") +
                       q.errorText() + AutocorrectTail);
    q.close();
    return false;
}

bool BackupProcess::BackupStoredImages() {
    m_summary = {};
    MorePending = false;
    const StationSetup& setup = m_station.setup();
    const QString& backupDir = setup.SetupInfo.Directories[SlotBackup];
    if (backupDir == DriveDisabled || backupDir.isEmpty()) return false;
    if (setup.SigningOn && !certificateUsable()) {
        m_summary.notRun = true;
        return false;
    }
    TImageDataModule* db = m_station.DataModule;
    const QString& localDir = setup.SetupInfo.Directories[SlotLocalImages];
    if (!db || localDir == DriveDisabled || !QFileInfo(localDir).isDir()) {
        m_station.LogEvent(
            QStringLiteral("The backup process cannot run: ") +
            (db ? QStringLiteral("the local images directory ") + localDir + QStringLiteral(" is missing.")
                : QStringLiteral("there is no image database.")));
        m_summary.notRun = true;
        return false;
    }
    // One pass at a time per station: the workstation's timer and a command-line pass never
    // archive the same row.
    m_journal = std::make_unique<BackupJournal>(localDir);
    ZipFilesLock lock(localDir);
    if (!lock.tryLock()) {
        m_station.LogEvent(QStringLiteral("Another backup process of this station is running; this pass ends."));
        m_summary.notRun = true;
        return false;
    }
    const bool remote = setup.SetupInfo.StationMode == ModeRemote;
    m_label = mediaLabel();
    if (!remote) {
        // Files of zip writes that a stop cut short; the lock keeps every other writer out.
        m_zips.RemoveInterruptedWrites(ZipFolder(setup));
        m_zips.ReturnLeftCopies(ZipFolder(setup), [&setup](const QString& name) {
            return ZipDestinationDirOf(setup, WithoutExtension(name));
        });
        if (!settleInterrupted()) {
            m_summary.notRun = true;
            return false;
        }
        markMovedZipFiles();
    }

    DataQuery& q = db->BackupImageDataQuery;
    if (!select(q, remote)) {
        m_summary.notRun = true;
        return false;
    }
    CursorRestore restore(m_station);
    const int cursorA = remote ? crRemSrvA : crCDRomA;
    const int cursorB = remote ? crRemSrvB : crCDRomB;
    m_station.SetScreenCursor(cursorA);
    m_session = std::make_unique<ZipSession>(m_zips);
    m_batch.clear();
    m_batchEnds = false;
    m_gaveBack = false;
    m_keepJournal = false;
    Row row;
    m_iterations = 0;
    q.first();
    while (!q.eof() && !m_station.task().BackupStop() && m_iterations < RowLimit) {
        ++m_iterations;
        row = Row();
        row.seq = q.fieldByName(QStringLiteral("SeqNumber")).asInteger();
        row.seqText = QString::number(row.seq);
        row.key = q.fieldByName(QStringLiteral("ReqID")).asString() + QLatin1Char('~') +
                  q.fieldByName(QStringLiteral("DocDefn")).asString();
        row.scanTime = FromTDateTime(q.fieldByName(QStringLiteral("ScanTime")).asDateTime());
        row.writeTime = m_station.clock().now();
        if (row.key == QLatin1String("~")) {
            q.next();
            continue;
        }
        for (const QString& ext : ImageExtensions) {
            if (IsFile(localDir + row.key + ext)) {
                row.ext = ext;
                break;
            }
        }
        m_station.SetScreenCursor(m_station.ScreenCursorNumber == cursorA ? cursorB : cursorA);
        const Step step = remote ? remoteRow(row) : zipRow(row);
        if (step == Step::EndPass) break;
        if (step == Step::Next) {
            q.next();
            if (!remote && (m_batchEnds || m_batch.size() >= BatchRows)) finishBatch();
            // The zip files stay open over the user interface's turn: the pass holds the zip
            // files' lock, so nothing else changes them meanwhile.
            if (m_iterations % 10 == 0) m_station.processMessages();
        }
    }
    if (!remote) finishBatch();
    m_session.reset();
    m_summary.iterations = m_iterations;
    MorePending = m_iterations >= RowLimit && (!q.eof() || m_gaveBack);
    m_summary.morePending = MorePending;
    q.close();
    return MorePending;
}

BackupProcess::Step BackupProcess::remoteRow(Row& row) {
    const setupinformation& setup = m_station.setup().SetupInfo;
    const QString serverDir = WithTrailingSlash(setup.Directories[SlotBackup]);
    const QString localDir = setup.Directories[SlotLocalImages];
    if (row.ext.isEmpty()) {
        // A pass killed after it deleted the local copy but before it recorded the row left the
        // image on the server only: it is recorded now.
        const QString onServer = ServerCopyOf(serverDir, row.key);
        if (onServer.isEmpty()) {
            m_station.LogEvent(QStringLiteral("No data file exists for a database entry \"") + row.key +
                               QStringLiteral("\" in the backup process."));
            ++m_summary.failed;
            return Step::Next;
        }
        m_station.LogEvent(QStringLiteral("The backup of ") + row.key +
                           QStringLiteral(" was interrupted after it reached the scan server; it is recorded."));
    } else {
        const QString local = localDir + row.key + row.ext;
        const QString target = serverDir + row.key + row.ext;
        const QString temp = serverDir + row.key + QStringLiteral(".tmp");
        if (SameFileContents(local, target)) {
            // Copied by an earlier pass that was stopped before it deleted the local copy.
            if (IsFile(temp)) QFile::remove(temp);
        } else {
            if (!CopyFileDurably(local, temp).isEmpty()) {
                m_station.LogEvent(QStringLiteral("Failed to copy ") + row.key + row.ext +
                                   QStringLiteral(" in the backup process."));
                ++m_summary.failed;
                return Step::Next;
            }
            FaultPoint("backup.remote-copied");
            if (MoveFileChecked(serverDir, row.key + QStringLiteral(".tmp"), serverDir, row.key + row.ext) !=
                QLatin1String("OK")) {
                m_station.LogEvent(QStringLiteral("Failed to rename ") + row.key + row.ext +
                                   QStringLiteral(" in the backup process."));
                ++m_summary.failed;
                return Step::Next;
            }
            FaultPoint("backup.remote-renamed");
        }
        if (!QFile::remove(local)) {
            m_station.LogEvent(QStringLiteral("Failed to delete backup file ") + row.key);
            ++m_summary.failed;
            return Step::Next;
        }
        FaultPoint("backup.remote-deleted");
    }
    QString error;
    const bool ok = runUpdate(
        RemoteUpdate,
        [&](DataQuery& q) {
            q.setParamDateTime(QStringLiteral("QCDWriteTime"), ToTDateTime(row.writeTime));
            q.setParamYesNo(QStringLiteral("QCSentToSystem"), true);
            q.setParamText(QStringLiteral("QCDlabel"), m_label);
            q.setParamText(QStringLiteral("QZipName"), QStringLiteral("NA"));
            q.setParamInteger(QStringLiteral("QSeqNumber"), row.seq);
        },
        error);
    if (!ok) {
        if (!LockedBy(error))
            m_station.LogEvent(QStringLiteral("Transmitting to Media Server # ") + row.seqText + QLatin1Char(' ') +
                               error + AutocorrectTail);
        ++m_summary.failed;
        return Step::Next;
    }
    FaultPoint("backup.remote-recorded");
    ++m_summary.recorded;
    return Step::Next;
}

} // namespace kestrova
