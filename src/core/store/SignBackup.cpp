#include "core/store/SignBackup.h"

#include "core/station/Station.h"
#include "core/store/SignedMessage.h"
#include "core/store/SigningCertificate.h"
#include "core/store/ZipMedia.h"
#include "core/util/Base64.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kestrova {

namespace {
constexpr int NotHandedToZip = -99;
constexpr int Base64LineWidth = 72;
} // namespace

int SignedImageArchive::SignBackup(const QString& zipPath, const QString& key, QDateTime& writeTime,
                                   const QDateTime& scanTime, const QString& destDir, const QString& seqText,
                                   const QString& ext, ZipSession* session) {
    LastBackupError.clear();
    const auto addAndCommit = [&](const QString& source, QIODevice* stream) {
        return session ? session->ZipAddAndCommit(zipPath, source, destDir, stream)
                       : m_zips.ZipAddAndCommit(zipPath, source, destDir, stream);
    };
    if (!QFileInfo(destDir).isDir() && !QDir().mkpath(destDir))
        LastBackupError = QStringLiteral("Failed to create new directory for ") + key + ext;

    const auto& setup = m_station.setup();
    const QString localCopy = setup.SetupInfo.Directories[6] + key + ext;
    if (!setup.SigningOn) {
        const int result = addAndCommit(localCopy, nullptr);
        if (result < 1 && result != ZipMedia::FullOrNotMoved) LastBackupError = ZipFailureText(zipPath, key, ext);
        return result;
    }

    const Result<QByteArray> signedMessage =
        SignedMessageFor(key, ext, scanTime, seqText, QFileInfo(zipPath).fileName(), writeTime);
    if (!signedMessage) {
        LastBackupError = signedMessage.error();
        return NotHandedToZip;
    }

    // The message goes into the zip file from memory; no copy of it is ever written to disk.
    QByteArray text = signedMessage.value();
    QBuffer stream(&text);
    if (!stream.open(QIODevice::ReadOnly)) {
        LastBackupError =
            QStringLiteral("Failed to stream signed file ") + destDir + key + QStringLiteral(".eml to memory");
        return NotHandedToZip;
    }
    const int result = addAndCommit(key + QStringLiteral(".eml"), &stream);
    if (result < 1) LastBackupError = ZipFailureText(zipPath, key, ext);
    return result;
}

QString SignedImageArchive::ZipFailureText(const QString& zipPath, const QString& key, const QString& ext) const {
    if (!m_station.setup().SigningOn) return QStringLiteral("Failed to copy ") + key + ext;
    return QStringLiteral("Failed to Save Signed Stream ") + key + ext + QStringLiteral(" to ") + zipPath +
           QStringLiteral(".  This issue may auto-recover.");
}

Result<QByteArray> SignedImageArchive::SignedMessageFor(const QString& key, const QString& ext,
                                                        const QDateTime& scanTime, const QString& seqText,
                                                        const QString& zipFileName, QDateTime& writeTime) const {
    using R = Result<QByteArray>;
    const auto& setup = m_station.setup();
    const QString localCopy = setup.SetupInfo.Directories[6] + key + ext;
    // The image is read whole; nothing else writes a local copy once it is stored.
    QFile file(localCopy);
    if (!file.open(QIODevice::ReadOnly))
        return R::failure(QStringLiteral("Unable to open exclusive access to ") + key + ext + QLatin1Char(' ') +
                          file.errorString());
    ImageMessage m;
    m.wrappedBase64 = WrapLines(file.readAll().toBase64(), Base64LineWidth);
    file.close();

    m.key = key;
    m.ext = ext;
    m.address = setup.CertificateInfo.Address;
    m.scanText = MessageDateText(scanTime);
    writeTime = m_station.clock().now();
    m.writeText = MessageDateText(writeTime);
    m.seqText = seqText;
    m.zipFileName = zipFileName;
    m.cert = m_station.CertMgr2.details;

    const QString signError = QStringLiteral("Error signing ") + key + QStringLiteral(" with ");
    if (!m_station.SMIME1) return R::failure(signError + QStringLiteral("no S/MIME component"));
    if (m_station.CertMgr2.isEmpty()) return R::failure(signError + QStringLiteral("no signing certificate"));
    const Result<QByteArray> signedMessage = m_station.SMIME1->sign(
        setup.CertificateInfo.Store, m_station.CertMgr2.encoded, ImageMessageHeaders(m), ImageMessageBody(m));
    if (!signedMessage) return R::failure(signError + signedMessage.error());
    return R::success(NormaliseLineEnds(signedMessage.value()));
}

int SignedImageArchive::CertificateDaysLeft() {
    if (!m_station.setup().SigningOn) return 0;
    if (!m_station.ui.SignIconVisible) {
        m_station.ui.SignIconVisible = true;
        m_station.notify();
    }
    return DaysUntilExpiry(m_station, m_station.clock().now());
}

} // namespace kestrova
