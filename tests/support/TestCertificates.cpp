#include "support/TestCertificates.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace kestrova::test {

namespace {

const char* const CaConfig = R"([ca]
default_ca = station_ca
[station_ca]
database = index.txt
serial = serial
new_certs_dir = issued
default_md = sha256
policy = any_name
unique_subject = no
copy_extensions = none
[any_name]
commonName = supplied
organizationName = optional
)";

} // namespace

QByteArray TestCa::openssl(const QStringList& args, QString* error, const QByteArray& input) const {
    QProcess p;
    p.setWorkingDirectory(m_dir.path());
    p.start(QStringLiteral("openssl"), args);
    if (!p.waitForStarted(10000)) {
        if (error) *error = QStringLiteral("openssl does not start");
        return {};
    }
    if (!input.isEmpty()) p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(60000);
    const QByteArray out = p.readAllStandardOutput();
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        if (error) *error = QString::fromUtf8(p.readAllStandardError());
        return {};
    }
    if (error) *error = QString::fromUtf8(p.readAllStandardError());
    return out.isNull() ? QByteArray("") : out;
}

TestCa::TestCa() {
    QString error;
    QDir(m_dir.path()).mkpath(QStringLiteral("issued"));
    m_ok = WriteFile(path(QStringLiteral("ca.cnf")), CaConfig) && WriteFile(path(QStringLiteral("index.txt")), {}) &&
           !openssl({"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", "ca.key", "-out", "ca.pem", "-days",
                     "3650", "-subj", "/CN=Lab Test CA/O=Lab"},
                    &error)
                .isNull() &&
           !openssl({"genpkey", "-algorithm", "RSA", "-pkeyopt", "rsa_keygen_bits:2048", "-out", "st.key"}, &error)
                .isNull() &&
           !openssl({"genpkey", "-algorithm", "RSA", "-pkeyopt", "rsa_keygen_bits:2048", "-out", "other.key"}, &error)
                .isNull();
    EXPECT_TRUE(m_ok) << error.toStdString();
}

bool TestCa::issueCert(const QString& serialHex, const QDateTime& notAfter, const QString& subject, QString& pemPath) {
    QString error;
    const QString n = QString::number(++m_issued);
    pemPath = path(QStringLiteral("cert") + n + QStringLiteral(".pem"));
    const QString start = QDateTime::currentDateTimeUtc().addDays(-30).toString(QStringLiteral("yyyyMMddhhmmss")) + 'Z';
    const QString end = notAfter.toUTC().toString(QStringLiteral("yyyyMMddhhmmss")) + 'Z';
    const bool done =
        // Tests issue the same serial number more than once: the CA forgets what it issued.
        WriteFile(path(QStringLiteral("index.txt")), {}) &&
        WriteFile(path(QStringLiteral("serial")), serialHex.toLatin1() + '\n') &&
        !openssl({"req", "-new", "-key", "st.key", "-out", "st.csr", "-subj", subject}, &error).isNull() &&
        !openssl({"ca", "-batch", "-config", "ca.cnf", "-cert", "ca.pem", "-keyfile", "ca.key", "-in", "st.csr", "-out",
                  pemPath, "-notext", "-startdate", start, "-enddate", end},
                 &error)
             .isNull();
    EXPECT_TRUE(done) << error.toStdString();
    return done;
}

bool TestCa::issue(const QString& storeDir, const QString& name, const QString& serialHex, const QDateTime& notAfter,
                   bool combined, const QString& subject) {
    QString pem;
    if (!issueCert(serialHex, notAfter, subject, pem)) return false;
    QDir().mkpath(storeDir);
    const QByteArray cert = ReadFileBytes(pem);
    const QByteArray key = ReadFileBytes(stationKey());
    if (combined) return WriteFile(storeDir + QLatin1Char('/') + name + QStringLiteral(".pem"), cert + key);
    return WriteFile(storeDir + QLatin1Char('/') + name + QStringLiteral(".pem"), cert) &&
           WriteFile(storeDir + QLatin1Char('/') + name + QStringLiteral(".key"), key);
}

bool TestCa::issueP12(const QString& storeDir, const QString& name, const QString& serialHex, const QDateTime& notAfter,
                      const QString& password) {
    QString pem;
    if (!issueCert(serialHex, notAfter, QStringLiteral("/CN=Station S1/O=Lab"), pem)) return false;
    QDir().mkpath(storeDir);
    QString error;
    const bool done = !openssl({"pkcs12", "-export", "-in", pem, "-inkey", "st.key", "-out",
                                storeDir + QLatin1Char('/') + name + QStringLiteral(".p12"), "-passout",
                                QStringLiteral("pass:") + password},
                               &error)
                           .isNull();
    EXPECT_TRUE(done) << error.toStdString();
    return done;
}

} // namespace kestrova::test
