#include "support/StationDir.h"
#include "support/TestCertificates.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using kestrova::test::ReadFileBytes;
using kestrova::test::RunKestrova;
using kestrova::test::StationDir;
using kestrova::test::TestCa;
using kestrova::test::WriteFile;

namespace {

TEST(SignCommandsTest, SignAnImageVerifyItAndShowTheDaysLeft) {
    StationDir station;
    TestCa ca;
    ASSERT_TRUE(ca.ok());
    ASSERT_TRUE(station.replaceInSetup("21|Signing|0~MY~~~", "21|Signing|1~MY~~1a2b 3c4d~"));
    ASSERT_TRUE(ca.issue(station.path("certificates/MY"), "station", "1A2B3C4D",
                         QDateTime::currentDateTime().addSecs(13 * 86400 + 80000)));
    const QByteArray image = QByteArray("II*\0", 4) + QByteArray(3000, 'x');
    ASSERT_TRUE(WriteFile(station.path("local/12345~REQS1A.tif"), image));

    const auto status = RunKestrova(station, {"status"});
    const QJsonObject signing = QJsonDocument::fromJson(status.out.toUtf8()).object()["signingCertificate"].toObject();
    EXPECT_EQ(signing["CertSerialNumber"].toString(), "1A2B3C4D") << status.out.toStdString();
    EXPECT_EQ(signing["daysLeft"].toInt(), 13);

    const auto signedRun = RunKestrova(station, {"sign-image", "12345~REQS1A"});
    ASSERT_EQ(signedRun.exitCode, 0) << signedRun.err.toStdString();
    ASSERT_TRUE(WriteFile(station.path("m.eml"), signedRun.out.toUtf8()));
    EXPECT_FALSE(ca.openssl({"cms", "-verify", "-CAfile", ca.caFile(), "-in", station.path("m.eml"), "-inform", "SMIME",
                             "-out", station.path("body.txt")})
                     .isNull());

    const auto verified = RunKestrova(station, {"verify-message", "m.eml", "--out", "back.tif", "--ca", ca.caFile()});
    EXPECT_EQ(verified.exitCode, 0) << verified.err.toStdString();
    EXPECT_TRUE(verified.out.contains("Image 12345~REQS1A.tif, 3004 bytes")) << verified.out.toStdString();
    EXPECT_EQ(ReadFileBytes(station.path("back.tif")), image);

    QByteArray tampered = signedRun.out.toUtf8();
    tampered[tampered.size() - 60] = tampered[tampered.size() - 60] == 'A' ? 'B' : 'A';
    ASSERT_TRUE(WriteFile(station.path("bad.eml"), tampered));
    EXPECT_EQ(RunKestrova(station, {"verify-message", "bad.eml", "--out", "bad.tif"}).exitCode, 1);
    EXPECT_FALSE(QFile::exists(station.path("bad.tif")));

    EXPECT_EQ(RunKestrova(station, {"sign-image", "99999~NONE"}).exitCode, 1);
    EXPECT_EQ(RunKestrova(station, {"verify-message"}).exitCode, 2);
}

} // namespace
