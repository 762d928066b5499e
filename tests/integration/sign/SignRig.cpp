#include "SignRig.h"

#include "core/store/SigningCertificate.h"
#include "core/store/ZipNames.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace kestrova::signtest {

test::TestCa& SignRig::ca() {
    static test::TestCa* theCa = new test::TestCa;
    return *theCa;
}

SignRig::SignRig() : smime(station.setup().ProgramDir + QStringLiteral("certificates/")) {
    StationSetup& setup = station.editSetup();
    setup.SigningOn = true;
    setup.CertificateInfo.Store = QStringLiteral("MY");
    setup.CertificateInfo.Serial = QStringLiteral("1a 2b 3c 4d");
    setup.CertificateInfo.Address = QStringLiteral("scan1@lab.invalid");
    station.SMIME1 = &smime;
    EXPECT_TRUE(ca().issue(storeDir(), QStringLiteral("station"), QStringLiteral("1A2B3C4D"),
                           QDateTime::currentDateTime().addDays(365)));
    SelectSigningCertificate(station);
}

int SignRig::backupSigned(const QString& key, const QString& ext) {
    const QString z = media.CurrentZipFileFor(key);
    const QString dest = ZipDestinationDir(station.setup(), ZipGroupOf(key, station.setup().StoreMask));
    QDateTime written;
    return archive.SignBackup(z, key, written, scanTime, dest, QStringLiteral("17"), ext);
}

QByteArray SignRig::entry(const QString& zipPath, const QString& name) const {
    QString error;
    const auto zip = zips.open(zipPath, error);
    QByteArray data;
    EXPECT_TRUE(zip && zip->read(name, data)) << name.toStdString();
    return data;
}

QByteArray SignRig::opensslVerify(const QByteArray& message) const {
    test::WriteFile(ca().path(QStringLiteral("in.eml")), message);
    QFile::remove(ca().path(QStringLiteral("out.txt")));
    if (ca().openssl({"cms", "-verify", "-CAfile", ca().caFile(), "-in", "in.eml", "-inform", "SMIME", "-binary",
                      "-out", "out.txt"})
            .isNull())
        return {};
    return test::ReadFileBytes(ca().path(QStringLiteral("out.txt")));
}

QByteArray SignRig::pythonAttachments(const QByteArray& mime) const {
    QProcess p;
    p.start(QStringLiteral("python3"),
            {"-c", "import sys, email, hashlib\n"
                   "m = email.message_from_bytes(sys.stdin.buffer.read())\n"
                   "for part in m.walk():\n"
                   "    if part.get_filename():\n"
                   "        data = part.get_payload(decode=True)\n"
                   "        print('%s:%d:%s' % (part.get_filename(), len(data), hashlib.sha256(data).hexdigest()))\n"});
    p.write(mime);
    p.closeWriteChannel();
    p.waitForFinished(30000);
    return p.readAllStandardOutput();
}

} // namespace kestrova::signtest
