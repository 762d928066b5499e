#pragma once

#include "core/ports/Result.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace kestrova {

class Station;
class ZipMedia;
class ZipSession;

// Archives one stored image into its zip file: the local copy itself, or, on a station that signs,
// an S/MIME message wrapping it. The backup pass and the zip rebuild call it; it never writes to
// the event log but leaves the reason of a failure in LastBackupError. Signing uses the station's
// S/MIME component (Station::SMIME1) and the certificate chosen at start-up (Station::CertMgr2).
class SignedImageArchive {
public:
    SignedImageArchive(Station& station, const ZipMedia& zips) : m_station(station), m_zips(zips) {}

    // Adds local copy key + ext (or its signed message key + ".eml") to zipPath and commits it to
    // destDir when the zip file is complete. Returns ZipAddAndCommit's result when the entry was
    // handed to it, else -99. When signing, writeTime becomes the archive write time. Given a
    // session, the entry goes into the session's open zip file and is written with the session's
    // next commit (or at once, with the move, when it completes the zip file).
    int SignBackup(const QString& zipPath, const QString& key, QDateTime& writeTime, const QDateTime& scanTime,
                   const QString& destDir, const QString& seqText, const QString& ext, ZipSession* session = nullptr);
    // The text SignBackup leaves when the zip file cannot take the entry of key + ext.
    QString ZipFailureText(const QString& zipPath, const QString& key, const QString& ext) const;

    // The signed message of local copy key + ext as SignBackup builds it (lines ended by CR LF),
    // or the failure text SignBackup leaves. writeTime becomes the archive write time.
    Result<QByteArray> SignedMessageFor(const QString& key, const QString& ext, const QDateTime& scanTime,
                                        const QString& seqText, const QString& zipFileName, QDateTime& writeTime) const;

    // Whole days until the signing certificate expires; 0 when the station does not sign. On a
    // station that signs it also shows the certificate icon.
    int CertificateDaysLeft();

    // Re-creates the zip file at zipPath on the media from the local copies of all rows recorded
    // for it (signing them again when the station signs) and puts it back in its place. The file
    // is built in a folder of its own below the zip folder, so that a rebuild that is cut short
    // leaves nothing the backup pass would take for an open zip file, and starts afresh when run
    // again. Returns the last add-and-move result (0 or at least 100 on success); a negative result
    // when a row cannot be archived (LastBackupError "Unable to write ... to Disc" or "Unabled to
    // Sign ...", the file on the media left as it was) or the rebuilt file cannot be moved
    // ("Unabled to write ZipFile ..."); -1 on a database error.
    int RebuildZipFile(const QString& zipPath);
    // Removes what rebuilds cut short left in their folder: a part-built zip file, or a whole one
    // whose move onto the media was done but not yet tidied up. Only one rebuild runs at a time
    // (its caller holds the zip files' lock), so nothing in the folder belongs to a running one.
    // False when a file could not be removed.
    bool RemoveRebuildLeftovers();

    // Why the last SignBackup failed; empty after a success.
    QString LastBackupError;

private:
    Station& m_station;
    const ZipMedia& m_zips;
};

} // namespace kestrova
