#pragma once

#include "../zip/ZipRig.h"
#include "core/store/SignBackup.h"
#include "platform/openssl/OpenSslSmime.h"
#include "support/TestCertificates.h"

#include <QByteArray>
#include <QString>

namespace kestrova::signtest {

// A zip rig on a station that signs, with the store "MY" below its program directory holding a
// station certificate (serial 1A2B3C4D, a year to go) issued by a test CA made for the suite.
struct SignRig : ziptest::ZipRig {
    SignRig();

    // The CA of the whole suite (keys take time to make).
    static test::TestCa& ca();
    QString storeDir() const { return station.setup().ProgramDir + QStringLiteral("certificates/MY"); }
    // Signs the local copy key + ext into its group's zip file as the backup pass does.
    int backupSigned(const QString& key, const QString& ext = QStringLiteral(".tif"));
    // The data of an entry of an archive.
    QByteArray entry(const QString& zipPath, const QString& name) const;
    // Runs `openssl cms -verify` with the CA on a message; the signed content, or a null array when
    // it fails.
    QByteArray opensslVerify(const QByteArray& message) const;
    // The attachments Python's e-mail parser finds in a MIME text: "name:size:sha256" per line.
    QByteArray pythonAttachments(const QByteArray& mime) const;

    OpenSslSmime smime;
    SignedImageArchive archive{station, media};
    QDateTime scanTime{QDate(2009, 11, 17), QTime(14, 30, 15)};
};

} // namespace kestrova::signtest
