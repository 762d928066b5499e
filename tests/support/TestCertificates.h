#pragma once

#include "TestFiles.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace kestrova::test {

// A test certificate authority made with the openssl command, issuing station certificates with
// chosen serial numbers and end times into certificate store directories.
class TestCa {
public:
    TestCa();
    bool ok() const { return m_ok; }
    QString caFile() const { return m_dir.path() + QStringLiteral("/ca.pem"); }
    QString stationKey() const { return m_dir.path() + QStringLiteral("/st.key"); }
    QString otherKey() const { return m_dir.path() + QStringLiteral("/other.key"); }

    // Issues a certificate for the station key with this serial (hexadecimal) ending at notAfter,
    // and writes it into storeDir as name + ".pem" with the key beside it as name + ".key" (or, with
    // combined, in the same file). False (and a failed test expectation) when openssl fails.
    bool issue(const QString& storeDir, const QString& name, const QString& serialHex, const QDateTime& notAfter,
               bool combined = false, const QString& subject = QStringLiteral("/CN=Station S1/O=Lab"));
    // The same certificate as a PKCS#12 file name + ".p12" with this password.
    bool issueP12(const QString& storeDir, const QString& name, const QString& serialHex, const QDateTime& notAfter,
                  const QString& password);

    // Runs openssl with args in the CA's directory; its standard output, or a null array on failure
    // (error set to what it said).
    QByteArray openssl(const QStringList& args, QString* error = nullptr, const QByteArray& input = {}) const;
    QString path(const QString& name) const { return m_dir.path() + QLatin1Char('/') + name; }

private:
    bool issueCert(const QString& serialHex, const QDateTime& notAfter, const QString& subject, QString& pemPath);

    QTemporaryDir m_dir;
    bool m_ok = false;
    int m_issued = 0;
};

} // namespace kestrova::test
