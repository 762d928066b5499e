#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

namespace kestrova {

class Station;
class ZipMedia;

// What a commit of the waiting zip files did.
struct CommitSummary {
    int committed = 0; // zip files moved onto the backup destination and their rows labelled
    int failed = 0;    // zip files left in the zip folder (an event log line each)
    bool busy = false; // a backup pass held the zip files: nothing was done (an event log line)
};

// Moves every zip file that still waits in the zip folder (a zip name on rows without a media
// label), whatever its size, into its group's directory on the backup destination, and gives its
// rows the current media label, one write time per zip file and SentToSystem false. A zip file that
// cannot be moved keeps its rows unlabelled and is tried again next time. Runs on the data module's
// AdminQuery and BackupImageWriteQuery.
// Takes the zip files' lock (ZipFilesLock) for the run, unless the caller holds it already.
CommitSummary CommitWaitingZipFiles(Station& station, const ZipMedia& zips, bool lockHeld = false);

// How an archive run of the image database ended.
struct ArchiveOutcome {
    bool moved = false;   // the rows below the threshold were copied and removed in one transaction
    qint32 LowSeqNum = 0; // the threshold found (rows below it are archived)
    int rows = 0;         // rows moved into ImageArchive
    int localDeleted = 0; // local ".tif" copies deleted
    QString error;        // the reason when the run stopped, also when nothing was shown
};

// The archive of the image database: rows below a threshold move from ImageData to ImageArchive
// in one transaction, and once that has been committed their local ".tif" copies are deleted. A
// row not yet written to any medium never moves (its local copy is all its backup has). The
// threshold keeps the rows of the keepCount newest media, or with keepCount -1 it is the lowest
// sequence number of the rows written before cutOff.
class DatabaseArchive {
public:
    explicit DatabaseArchive(Station& station) : m_station(station) {}

    // The button: the REMOTE station keeps 30 days, the others two media.
    ArchiveOutcome ArchiveDatabaseClick();
    ArchiveOutcome archivetasks(qint32 keepCount, const std::optional<QDateTime>& cutOff);

    // The media minimums of the last media-rule run, "%.10u" each, sorted.
    const QStringList& mediaMinimums() const { return m_minimums; }

private:
    bool moveRows(ArchiveOutcome& outcome);

    Station& m_station;
    QStringList m_minimums;
};

inline const QString ArchiveCaption = QStringLiteral("Archive Database");

} // namespace kestrova
