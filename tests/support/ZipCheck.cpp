#include "ZipCheck.h"

#include <QDirIterator>
#include <QProcess>
#include <gtest/gtest.h>

namespace kestrova::test {

QStringList CheckedZipEntries(const QString& zip) {
    QProcess python;
    python.start(QStringLiteral("python3"), {QStringLiteral("-c"),
                                             QStringLiteral("import sys, zipfile\n"
                                                            "z = zipfile.ZipFile(sys.argv[1])\n"
                                                            "bad = z.testzip()\n"
                                                            "assert bad is None, bad\n"
                                                            "print('\\n'.join(z.namelist()))\n"),
                                             zip});
    EXPECT_TRUE(python.waitForFinished(60000));
    EXPECT_EQ(python.exitCode(), 0) << zip.toStdString() << python.readAllStandardError().toStdString();
    return QString::fromUtf8(python.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QStringList CheckedZipEntriesBelow(const QString& dir) {
    QStringList entries;
    QDirIterator it(dir, {QStringLiteral("*.zip")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) entries << CheckedZipEntries(it.next());
    entries.sort();
    return entries;
}

} // namespace kestrova::test
