#pragma once

#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

namespace kestrova::test {

// A file in a temporary directory whose access list the tests set and read back with the acl
// package's setfacl and getfacl.
class AclTestFile {
public:
    AclTestFile() : m_path(m_dir.filePath(QStringLiteral("12345678~REQS10A3C4D5.tif"))) {
        QFile file(m_path);
        if (file.open(QIODevice::WriteOnly)) file.write("II*\0", 4);
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    }

    const QString& path() const { return m_path; }
    QString dirPath() const { return m_dir.path(); }

    // Empty when named entries can be set on the file; otherwise why not.
    QString unsupportedReason() const {
        const QString error = setfacl({QStringLiteral("-m"), QStringLiteral("user:nobody:r")});
        if (!error.isEmpty()) return QStringLiteral("no ACLs on %1: %2").arg(m_dir.path(), error);
        return setfacl({QStringLiteral("-b")});
    }

    // Runs setfacl with these arguments on the file; the error text, or empty.
    QString setfacl(QStringList args) const { return Run(QStringLiteral("setfacl"), args << m_path).second; }

    // The file's ACL as getfacl prints it, one entry a line, without the comment lines.
    QStringList entries() const {
        const auto [out, error] = Run(QStringLiteral("getfacl"), {QStringLiteral("--omit-header"), m_path});
        QStringList lines = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (QString& line : lines) line = line.section(QLatin1Char('\t'), 0, 0); // drops "#effective:..."
        return lines;
    }

private:
    static std::pair<QString, QString> Run(const QString& program, const QStringList& args) {
        QProcess p;
        p.start(program, args);
        if (!p.waitForFinished(10000)) return {{}, program + QStringLiteral(" did not run")};
        const QString err = QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
        if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
            return {{}, err.isEmpty() ? program + QStringLiteral(" failed") : err};
        return {QString::fromLocal8Bit(p.readAllStandardOutput()), {}};
    }

    QTemporaryDir m_dir;
    QString m_path;
};

} // namespace kestrova::test
