#pragma once

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QStringList>
#include <gtest/gtest.h>

namespace kestrova::test {

// Writes bytes to a file, replacing it; false when it cannot.
inline bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
// The same, failing the test when the file cannot be written.
inline void WriteBytes(const QString& path, const QByteArray& bytes) {
    ASSERT_TRUE(WriteFile(path, bytes)) << path.toStdString();
}
// Makes an empty file, failing the test when it cannot.
inline void Touch(const QString& path) {
    WriteBytes(path, {});
}
// A file's bytes; empty when it cannot be read.
inline QByteArray ReadFileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every file below dir (and, with extra, hidden or system ones), relative to dir, sorted.
inline QStringList FilesBelow(const QString& dir, QDir::Filters extra = {}) {
    QStringList found;
    QDirIterator it(dir, QDir::Files | extra, QDirIterator::Subdirectories);
    while (it.hasNext()) found << QDir(dir).relativeFilePath(it.next());
    found.sort();
    return found;
}

} // namespace kestrova::test
