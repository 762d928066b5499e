#include "core/store/SignBackup.h"

#include "core/station/Station.h"
#include "core/store/ZipMedia.h"

#include <QDir>
#include <QFileInfo>

namespace kestrova {

namespace {
constexpr int NotHandedToZip = -99;
} // namespace

int SignedImageArchive::SignBackup(const QString& zipPath, const QString& key, QDateTime& writeTime,
                                   const QDateTime& scanTime, const QString& destDir, const QString& seqText,
                                   const QString& ext) {
    Q_UNUSED(writeTime);
    Q_UNUSED(scanTime);
    Q_UNUSED(seqText);
    LastBackupError.clear();
    if (!QFileInfo(destDir).isDir() && !QDir().mkpath(destDir))
        LastBackupError = QStringLiteral("Failed to create new directory for ") + key + ext;

    const auto& setup = m_station.setup();
    if (!setup.SigningOn) {
        const QString localCopy = setup.SetupInfo.Directories[6] + key + ext;
        const int result = m_zips.ZipAddAndCommit(zipPath, localCopy, destDir);
        if (result < 1 && result != ZipMedia::FullOrNotMoved)
            LastBackupError = QStringLiteral("Failed to copy ") + key + ext;
        return result;
    }
    LastBackupError = QStringLiteral("Error signing ") + key + QStringLiteral(" with no signing certificate");
    return NotHandedToZip;
}

int SignedImageArchive::CertificateDaysLeft() {
    return 0;
}

} // namespace kestrova
