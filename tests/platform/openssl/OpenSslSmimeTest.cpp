#include "platform/openssl/OpenSslSmime.h"
#include "support/TestCertificates.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace kestrova {
namespace {

using test::ReadFileBytes;
using test::TestCa;
using test::WriteFile;

const QByteArray Headers = "From: s1@lab.invalid\r\nTo: s1@lab.invalid\r\nSubject: A~REQ.tif\r\n"
                           "Content-Type: text/plain\r\nMIME-Version: 1.0\r\n";
const QByteArray Body = "line one\r\nline two\r\n";

// One CA and one stores directory for the whole suite: making keys takes time.
class OpenSslSmimeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ca = new TestCa;
        stores = new QTemporaryDir;
        const QDateTime year = QDateTime::currentDateTime().addDays(365);
        ca->issue(storeDir("MY"), "a-chain", "0A", year);
        ca->issue(storeDir("MY"), "b-station", "1A2B3C4D", year, true);
        ca->issueP12(storeDir("MY"), "c-empty", "5E", year, "");
        ca->issueP12(storeDir("MY"), "d-pass", "6F", year, "s3cret");
        WriteFile(storeDir("MY") + "/d-pass.pass", "s3cret\n");
        ::chmod(QFile::encodeName(storeDir("MY") + "/d-pass.pass").constData(), 0600);
        ca->issueP12(storeDir("OPEN"), "e-open", "7A", year, "s3cret");
        WriteFile(storeDir("OPEN") + "/e-open.pass", "s3cret\n");
        ::chmod(QFile::encodeName(storeDir("OPEN") + "/e-open.pass").constData(), 0644);
        ca->issue(storeDir("WRONG"), "w", "99", year);
        QFile::remove(storeDir("WRONG") + "/w.key");
        QFile::copy(ca->otherKey(), storeDir("WRONG") + "/w.key");
        WriteFile(storeDir("WRONG") + "/garbage.pem", "not a certificate");
        ca->issue(storeDir("NOKEY"), "n", "98", year);
        QFile::remove(storeDir("NOKEY") + "/n.key");
    }
    static void TearDownTestSuite() {
        delete ca;
        delete stores;
    }
    static QString storeDir(const char* name) { return stores->path() + QLatin1Char('/') + QLatin1String(name); }

    static TestCa* ca;
    static QTemporaryDir* stores;
    OpenSslSmime smime{stores->path()};
};
TestCa* OpenSslSmimeTest::ca = nullptr;
QTemporaryDir* OpenSslSmimeTest::stores = nullptr;

QStringList Serials(OpenSslSmime& smime, const CertificateList& list) {
    QStringList serials;
    for (const QByteArray& c : list.certificates) {
        const auto d = smime.details(c);
        serials << (d ? d.value().CertSerialNumber : QStringLiteral("?"));
    }
    return serials;
}

TEST_F(OpenSslSmimeTest, ListsPemAndPkcs12CertificatesWithTheirTexts) {
    ASSERT_TRUE(ca->ok());
    const auto listed = smime.listCertificates("MY");
    ASSERT_TRUE(listed) << listed.error().toStdString();
    EXPECT_EQ(Serials(smime, listed.value()), (QStringList{"0A", "1A2B3C4D", "5E", "6F"}));
    EXPECT_TRUE(listed.value().problems.isEmpty()) << listed.value().problems.join('\n').toStdString();

    const auto d = smime.details(listed.value().certificates[1]);
    ASSERT_TRUE(d);
    EXPECT_EQ(d.value().CertSubject, "CN=Station S1, O=Lab");
    EXPECT_EQ(d.value().CertIssuer, "CN=Lab Test CA, O=Lab");
    const QDateTime expires =
        QLocale::c().toDateTime(d.value().CertExpirationDate, QStringLiteral("dd MMMM yyyy hh:mm:ss"));
    EXPECT_LT(qAbs(expires.secsTo(QDateTime::currentDateTime().addDays(365))), 120)
        << d.value().CertExpirationDate.toStdString();
}

TEST_F(OpenSslSmimeTest, StoreProblemsAreListedLineByLine) {
    const auto wrong = smime.listCertificates("WRONG");
    ASSERT_TRUE(wrong);
    EXPECT_EQ(Serials(smime, wrong.value()), QStringList{"99"}); // listed, but it cannot sign
    ASSERT_EQ(wrong.value().problems.size(), 2);
    EXPECT_TRUE(wrong.value().problems[0].contains("no certificate in")) << wrong.value().problems[0].toStdString();
    EXPECT_TRUE(wrong.value().problems[1].endsWith("w.pem does not belong to its certificate"));
    const auto signedWrong = smime.sign("WRONG", wrong.value().certificates[0], Headers, Body);
    ASSERT_FALSE(signedWrong);
    EXPECT_TRUE(signedWrong.error().contains("does not belong"));

    const auto noKey = smime.listCertificates("NOKEY");
    ASSERT_TRUE(noKey);
    ASSERT_EQ(noKey.value().problems.size(), 1);
    EXPECT_TRUE(noKey.value().problems[0].startsWith("no private key for the certificate"));

    // A password file others can read is refused (root included: the mode is checked, not access).
    const auto open = smime.listCertificates("OPEN");
    ASSERT_TRUE(open);
    EXPECT_TRUE(open.value().certificates.isEmpty());
    ASSERT_EQ(open.value().problems.size(), 1);
    EXPECT_TRUE(open.value().problems[0].contains("readable by nobody else"));

    EXPECT_FALSE(smime.listCertificates("MISSING"));
    EXPECT_FALSE(smime.listCertificates("../MY"));
}

TEST_F(OpenSslSmimeTest, SignedMessagesVerifyHereAndWithOpenssl) {
    const auto listed = smime.listCertificates("MY");
    ASSERT_TRUE(listed);
    for (const QByteArray& cert : listed.value().certificates) {
        const auto message = smime.sign("MY", cert, Headers, Body);
        ASSERT_TRUE(message) << message.error().toStdString();
        const auto back = smime.verify(message.value());
        ASSERT_TRUE(back) << back.error().toStdString();
        EXPECT_EQ(back.value().headers, Headers);
        EXPECT_EQ(back.value().body, Body);
        EXPECT_TRUE(smime.verifyWithCa(message.value(), ca->caFile()));

        ASSERT_TRUE(WriteFile(ca->path("m.eml"), message.value()));
        QString said;
        const QByteArray out = ca->openssl({"cms", "-verify", "-CAfile", ca->caFile(), "-in", "m.eml", "-inform",
                                            "SMIME", "-binary", "-out", "body.txt"},
                                           &said);
        ASSERT_FALSE(out.isNull()) << said.toStdString();
        EXPECT_EQ(ReadFileBytes(ca->path("body.txt")), Headers + "\r\n" + Body);
        // Signed with SHA-256.
        const QByteArray printed = ca->openssl({"cms", "-cmsout", "-print", "-in", "m.eml", "-inform", "SMIME"});
        EXPECT_TRUE(printed.contains("sha256")) << printed.left(400).toStdString();
    }
}

TEST_F(OpenSslSmimeTest, AChangedByteFailsAndSha1MessagesStillVerify) {
    const auto listed = smime.listCertificates("MY");
    ASSERT_TRUE(listed);
    const auto message = smime.sign("MY", listed.value().certificates[1], Headers, Body);
    ASSERT_TRUE(message);
    QByteArray tampered = message.value();
    const qsizetype at = tampered.indexOf("\r\n\r\n") + 200;
    tampered[at] = tampered[at] == 'A' ? 'B' : 'A';
    EXPECT_FALSE(smime.verify(tampered));
    EXPECT_FALSE(smime.verify(Headers + "\r\n" + Body));

    // A message an older station signed with SHA-1.
    ASSERT_TRUE(WriteFile(ca->path("content.txt"), Headers + "\r\n" + Body));
    QString said;
    const QByteArray sha1 =
        ca->openssl({"cms", "-sign", "-md", "sha1", "-nodetach", "-binary", "-signer", storeDir("MY") + "/a-chain.pem",
                     "-inkey", ca->stationKey(), "-in", "content.txt", "-outform", "SMIME"},
                    &said);
    ASSERT_FALSE(sha1.isNull()) << said.toStdString();
    const auto back = smime.verify(sha1);
    ASSERT_TRUE(back) << back.error().toStdString();
    EXPECT_EQ(back.value().body, Body);
}

} // namespace
} // namespace kestrova
