#include "SignRig.h"

#include "core/store/SignedMessage.h"
#include "core/store/SigningCertificate.h"
#include "core/store/ZipNames.h"
#include "core/util/Base64.h"

#include <QCryptographicHash>
#include <QFile>
#include <gtest/gtest.h>

namespace kestrova::signtest {
namespace {

QByteArray Sha(const QByteArray& data) {
    return QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex();
}

QByteArray Tiff(int size) {
    QByteArray t("II*\0", 4);
    while (t.size() < size) t += static_cast<char>(t.size() * 7);
    return t;
}

TEST(SignBackupTest, SignedMessagesVerifyWithOutsideClientsAndHere) {
    SignRig rig;
    ASSERT_TRUE(rig.ca().ok());
    ASSERT_FALSE(rig.station.CertMgr2.isEmpty());
    struct Case {
        const char* key;
        const char* ext;
        int size;
    };
    // The 54-byte image fills exactly one base64 line; the bitmap is attached as ".tif".
    const Case cases[] = {{"12A~REQS1A", ".tif", 54}, {"12B~REQS1B", ".bmp", 54}, {"12C~REQS1C", ".tif", 50000}};
    int count = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        const QByteArray image = Tiff(c.size);
        rig.local(QString::fromLatin1(c.key) + c.ext, image);
        EXPECT_EQ(rig.backupSigned(c.key, c.ext), ++count);
        EXPECT_TRUE(rig.archive.LastBackupError.isEmpty()) << rig.archive.LastBackupError.toStdString();

        const QString z = rig.media.CurrentZipFileFor(c.key);
        const QByteArray eml = rig.entry(z, QString::fromLatin1(c.key) + ".eml");
        ASSERT_TRUE(eml.endsWith("\r\n"));
        EXPECT_EQ(eml.count('\n'), eml.count("\r\n"));

        // openssl yields the signed headers and body byte for byte; Python finds the image in it.
        const QByteArray content = rig.opensslVerify(eml);
        ASSERT_FALSE(content.isNull());
        const auto ours = rig.smime.verify(eml);
        ASSERT_TRUE(ours) << ours.error().toStdString();
        EXPECT_EQ(content, ours.value().headers + "\r\n" + ours.value().body);
        EXPECT_TRUE(ours.value().headers.contains("Subject: " + QByteArray(c.key) + ".tif\r\n"));
        EXPECT_TRUE(ours.value().body.contains("Image Reference       :" + QByteArray(c.key).mid(4) + c.ext + "\r\n"));
        EXPECT_TRUE(ours.value().body.contains("Serial Number         :1A2B3C4D\r\n"));
        EXPECT_EQ(rig.pythonAttachments(content),
                  QByteArray(c.key) + ".tif:" + QByteArray::number(c.size) + ":" + Sha(image) + "\n");

        const auto back = ReadSignedImage(rig.smime, eml);
        ASSERT_TRUE(back);
        EXPECT_EQ(back.value().data, image);

        // One changed byte fails everywhere.
        QByteArray tampered = eml;
        const qsizetype at = tampered.size() - 100;
        tampered[at] = tampered[at] == 'Q' ? 'R' : 'Q';
        EXPECT_TRUE(rig.opensslVerify(tampered).isNull());
        EXPECT_FALSE(rig.smime.verify(tampered));
        EXPECT_EQ(ReadSignedImage(rig.smime, tampered).code(), SignatureFailed);
    }
    // The 54-byte image: one base64 line followed by two empty lines before the closing boundary.
    const auto first = rig.smime.verify(rig.entry(rig.media.CurrentZipFileFor("12A~REQS1A"), "12A~REQS1A.eml"));
    ASSERT_TRUE(first);
    EXPECT_TRUE(first.value().body.contains(EncodeBase64(Tiff(54)).toLatin1() +
                                            "\r\n\r\n\r\n------=_NextPart_Tue,_17_Nov_2009_14:30:15--\r\n"));
    // Nothing but the zip file was written.
    EXPECT_EQ(rig.files(rig.zipFolder()).size(), 1);
}

TEST(SignBackupTest, FailuresLeaveTheirTexts) {
    SignRig rig;
    QDateTime written = rig.clock.now().addDays(-5);
    const QString z = rig.media.CurrentZipFileFor("12A~REQS1A");
    const QString dest = rig.backupDir + "12/";

    // The archive write time comes back when signing.
    rig.clock.set(QDateTime(QDate(2026, 12, 9), QTime(8, 0, 0)));
    rig.local("12A~REQS1A.tif", Tiff(300));
    EXPECT_EQ(rig.archive.SignBackup(z, "12A~REQS1A", written, rig.scanTime, dest, "5", ".tif"), 1);
    EXPECT_EQ(written, rig.clock.now());

    EXPECT_EQ(rig.archive.SignBackup(z, "12B~REQS1B", written, rig.scanTime, dest, "6", ".tif"), -99);
    EXPECT_TRUE(rig.archive.LastBackupError.startsWith("Unable to open exclusive access to 12B~REQS1B.tif "))
        << rig.archive.LastBackupError.toStdString();

    rig.local("12B~REQS1B.tif", Tiff(300));
    rig.station.CertMgr2 = {};
    EXPECT_EQ(rig.archive.SignBackup(z, "12B~REQS1B", written, rig.scanTime, dest, "6", ".tif"), -99);
    EXPECT_EQ(rig.archive.LastBackupError, "Error signing 12B~REQS1B with no signing certificate");

    // A full zip file whose move fails: the stream could not be saved.
    SelectSigningCertificate(rig.station);
    QList<QPair<QString, QByteArray>> full;
    for (int i = 0; i < 100; ++i) full.append({QStringLiteral("F%1~REQ.tif").arg(i), "x"});
    const QString fullZip = rig.zipFolder() + "13~09-11-17 143015 123.zip";
    rig.makeZip(fullZip, full);
    QFile::remove(rig.backupDir + "13");
    test::WriteFile(rig.backupDir + "13", "a file where the directory belongs");
    rig.local("13A~REQS1A.tif", Tiff(300));
    EXPECT_EQ(rig.archive.SignBackup(fullZip, "13A~REQS1A", written, rig.scanTime, rig.backupDir + "13/", "7", ".tif"),
              ZipMedia::FullOrNotMoved);
    EXPECT_EQ(rig.archive.LastBackupError,
              "Failed to Save Signed Stream 13A~REQS1A.tif to " + fullZip + ".  This issue may auto-recover.");

    // Not signing: a missing local copy.
    rig.station.editSetup().SigningOn = false;
    EXPECT_EQ(rig.archive.SignBackup(z, "12C~REQS1C", written, rig.scanTime, dest, "8", ".tif"), -1);
    EXPECT_EQ(rig.archive.LastBackupError, "Failed to copy 12C~REQS1C.tif");
    EXPECT_EQ(rig.archive.CertificateDaysLeft(), 0);
}

TEST(SignBackupTest, CertificateSelectionAndDaysLeft) {
    SignRig rig;
    const QDateTime now = QDateTime::currentDateTime();
    rig.clock.set(now);
    const QString store = rig.station.setup().ProgramDir + "certificates/LAB";
    struct Case {
        const char* serial;
        qint64 secondsLeft;
        int days;
    };
    const Case cases[] = {{"0B", 13 * 86400 + 86400 * 9 / 10, 13}, {"0C", -3600, 0}, {"0D", 43200, 0}};
    for (const Case& c : cases) ASSERT_TRUE(rig.ca().issue(store, c.serial, c.serial, now.addSecs(c.secondsLeft)));
    rig.station.editSetup().CertificateInfo.Store = "LAB";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.serial);
        rig.station.editSetup().CertificateInfo.Serial = QString::fromLatin1(c.serial).toLower().insert(1, ' ');
        rig.station.ui.SignIconVisible = false;
        SelectSigningCertificate(rig.station);
        EXPECT_EQ(rig.station.CertMgr2.details.CertSerialNumber, c.serial);
        EXPECT_EQ(rig.archive.CertificateDaysLeft(), c.days);
        EXPECT_TRUE(rig.station.ui.SignIconVisible);
    }
    EXPECT_EQ(SigningCertificateText(rig.station),
              "Signing Certificate:  0D\nCN=Station S1, O=Lab\nCN=Lab Test CA, O=Lab");

    // A store without the serial: logged, nothing held, signing fails per row.
    rig.station.editSetup().CertificateInfo.Serial = "FF";
    SelectSigningCertificate(rig.station);
    EXPECT_TRUE(rig.station.CertMgr2.isEmpty());
    EXPECT_EQ(rig.log().last(), "Signing certificate FF is not in the store LAB: signed backups will fail");
    EXPECT_LT(rig.archive.CertificateDaysLeft(), 0);

    // A key that is not the certificate's: logged; the certificate is chosen but cannot sign.
    QFile::remove(store + "/0B.key");
    QFile::copy(rig.ca().otherKey(), store + "/0B.key");
    rig.station.editSetup().CertificateInfo.Serial = "0b";
    SelectSigningCertificate(rig.station);
    EXPECT_TRUE(rig.log().last().startsWith("Signing certificate store LAB: the private key of "));
    EXPECT_EQ(rig.station.CertMgr2.details.CertSerialNumber, "0B");
    rig.local("12A~REQS1A.tif", Tiff(300));
    EXPECT_EQ(rig.backupSigned("12A~REQS1A"), -99);
    EXPECT_TRUE(rig.archive.LastBackupError.startsWith("Error signing 12A~REQS1A with the private key of "))
        << rig.archive.LastBackupError.toStdString();
}

} // namespace
} // namespace kestrova::signtest
