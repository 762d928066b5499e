#pragma once

#include <QDateTime>
#include <QString>

namespace kestrova {

class Station;
class ZipMedia;

// Archives one stored image into its zip file: the local copy itself, or, on a station that signs,
// an S/MIME message wrapping it. The backup pass and the zip rebuild call it; it never writes to
// the event log but leaves the reason of a failure in LastBackupError.
class SignedImageArchive {
public:
    SignedImageArchive(Station& station, const ZipMedia& zips) : m_station(station), m_zips(zips) {}

    // Adds local copy key + ext (or its signed message key + ".eml") to zipPath and commits it to
    // destDir when the zip file is complete. Returns ZipAddAndCommit's result when the entry was
    // handed to it, else -99. When signing, writeTime becomes the archive write time.
    int SignBackup(const QString& zipPath, const QString& key, QDateTime& writeTime, const QDateTime& scanTime,
                   const QString& destDir, const QString& seqText, const QString& ext);

    // Whole days until the signing certificate expires; 0 when the station does not sign.
    int CertificateDaysLeft();

    // Why the last SignBackup failed; empty after a success.
    QString LastBackupError;

private:
    Station& m_station;
    const ZipMedia& m_zips;
};

} // namespace kestrova
