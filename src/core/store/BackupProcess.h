#pragma once

#include <QDateTime>
#include <QString>
#include <functional>

namespace kestrova {

class Beeper;
class DataQuery;
class SignedImageArchive;
class Station;
class Volumes;
class ZipMedia;

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
// A pass can be killed at any point. The row being archived is written down first (the file
// ".kestrova-backup" in the local images directory), and the next pass settles it from what the
// zip files hold before it starts: a row is given the name of the zip file that holds its image,
// or stays waiting when none does. Rows of a zip file found on the media but not yet marked are
// marked. On the scan server, a copy that is already there with the same bytes counts as copied.
class BackupProcess {
public:
    static constexpr int RowLimit = 50;

    BackupProcess(Station& station, const ZipMedia& zips, SignedImageArchive& archive, const Volumes& volumes,
                  Beeper& beeper);

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
    // Next row; the same row again for its database update only; the same row from the start;
    // end of the pass.
    enum class Step { Next, Repeat, Again, EndPass };

    bool certificateUsable();
    QString mediaLabel() const;
    bool select(DataQuery& q, bool remote);
    Step remoteRow(Row& row);
    Step zipRow(Row& row, bool repeat);
    bool recordZipName(const Row& row, const QString& zipName);
    bool markZipFile(const QString& zipName, const QDateTime& writeTime, const QString& seqText);
    bool holds(const QString& zipPath, const QString& key) const;
    bool settleInterrupted();
    void markMovedZipFiles();
    bool runUpdate(const QString& statement, const std::function<void(DataQuery&)>& bind, QString& error,
                   int* rows = nullptr);

    Station& m_station;
    const ZipMedia& m_zips;
    SignedImageArchive& m_archive;
    const Volumes& m_volumes;
    Beeper& m_beeper;
    std::function<int()> m_daysLeft;
    std::function<void(int)> m_pause;
    BackupSummary m_summary;
    QString m_label;
    // The zip row being handled: what its repeat needs after a failed zip-name update.
    QString m_pendingZipName;
    int m_pendingResult = 0;
};

} // namespace kestrova
