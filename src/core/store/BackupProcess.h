#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <functional>
#include <memory>

namespace kestrova {

class Beeper;
class DataQuery;
class SignedImageArchive;
class Station;
class Volumes;
class ZipMedia;
class ZipSession;
class BackupJournal;

// What one backup pass did.
struct BackupSummary {
    int iterations = 0;       // rows started, repeats included (at most 50)
    int recorded = 0;         // rows given their zip name (zip modes) or their write time (remote mode)
    int completed = 0;        // zip files completed and moved to the media by this pass
    int failed = 0;           // rows left waiting after an error
    bool morePending = false; // the pass stopped at its row limit
    bool notRun = false;      // nothing was done: expired certificate, no database, another pass running
};

// The backup pass of the store cycle: at most 50 ImageData rows that have not reached the backup
// media yet. A remote station copies each local copy to the scan server and deletes it; any other
// station archives each one (or its signed message) into its group's zip file, and a zip file
// that is complete moves onto the media and its rows get their write time and media label.
// Reports through the event log only.
//
// Zip modes work in batches: the rows of the pass, or those up to the row that completes a zip
// file. The zip files stay open while the batch's images go in and are written once at the end of
// the batch; then the batch's rows get their zip names in one transaction. A row is given a zip
// name only once the zip file on disk holds its image. The pass holds the station's zip files'
// lock (ZipFilesLock) throughout, so the operator's changes to zip files wait for its end, also
// when the user interface has its turn in the middle of the pass.
//
// A pass can be killed at any point. Each row of the batch is written down before its image goes
// in (the file ".kestrova-backup" in the local images directory), and the next pass settles them
// from what the zip files hold before it starts: a row is given the name of the zip file that
// holds its image, or stays waiting when none does. Rows of a zip file found on the media but not
// yet marked are marked. On the scan server, a copy that is already there with the same bytes
// counts as copied.
class BackupProcess {
public:
    static constexpr int RowLimit = 50;

    // Rows of a batch: the zip files are written and the rows recorded at least this often.
    static constexpr int BatchRows = RowLimit;

    BackupProcess(Station& station, const ZipMedia& zips, SignedImageArchive& archive, const Volumes& volumes,
                  Beeper& beeper);
    ~BackupProcess();

    // One pass; returns MorePending.
    bool BackupStoredImages();

    bool MorePending = false;
    const BackupSummary& lastSummary() const { return m_summary; }

    // The signing certificate's remaining days (default: the archive's CertificateDaysLeft) and
    // the wait between the warning beeps (default: sleeping that long).
    void setCertificateDaysLeft(std::function<int()> daysLeft) { m_daysLeft = std::move(daysLeft); }
    void setPause(std::function<void(int ms)> pause) { m_pause = std::move(pause); }

private:
    struct Row {
        qint32 seq = 0;
        QString seqText;
        QString key;
        QString ext; // of the local copy found
        QDateTime scanTime;
        QDateTime writeTime;
    };
    // A row whose image went into a zip file of the batch, waiting for its zip name.
    struct Archived {
        Row row;
        QString zipPath;
        QString zipName;
        QString destDir;
        int result = 0; // SignBackup's; at least ZipCapacity when the zip file was completed and moved
    };
    // Next row; the same row from the start; end of the pass.
    enum class Step { Next, Again, EndPass };

    bool certificateUsable();
    QString mediaLabel() const;
    bool select(DataQuery& q, bool remote);
    Step remoteRow(Row& row);
    Step zipRow(Row& row);
    void finishBatch();
    bool recordZipNames(const QList<Archived>& rows);
    void recordOneByOne(const QList<Archived>& rows);
    QList<Archived> giveBack(const QList<Archived>& rows);
    bool recordZipName(const Row& row, const QString& zipName);
    bool markZipFile(const QString& zipName, const QDateTime& writeTime, const QString& seqText);
    bool holds(const QString& zipPath, const QString& key) const;
    bool settleInterrupted();
    void markMovedZipFiles();
    bool runUpdate(const QString& statement, const std::function<void(DataQuery&)>& bind, QString& error,
                   int* rows = nullptr);
    bool control(const QString& statement, QString& error);

    Station& m_station;
    const ZipMedia& m_zips;
    SignedImageArchive& m_archive;
    const Volumes& m_volumes;
    Beeper& m_beeper;
    std::function<int()> m_daysLeft;
    std::function<void(int)> m_pause;
    BackupSummary m_summary;
    QString m_label;
    int m_iterations = 0;
    // The batch in progress (zip modes).
    std::unique_ptr<ZipSession> m_session;
    std::unique_ptr<BackupJournal> m_journal;
    QList<Archived> m_batch;
    bool m_batchEnds = false;   // the last row completed a zip file or found it full
    bool m_gaveBack = false;    // rows were taken out of their zip file again: they wait for a later pass
    bool m_keepJournal = false; // a row in a zip file could not be recorded: the next pass settles it
};

} // namespace kestrova
