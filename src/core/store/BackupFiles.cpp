#include "core/store/BackupFiles.h"

#include "core/store/ConvertJournal.h"
#include "core/store/ImageExtensions.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace kestrova {

BackupJournal::BackupJournal(const QString& localDir) : m_path(localDir + QStringLiteral(".kestrova-backup")) {}

QString BackupJournal::begin(const BackupEntry& entry) {
    const QString text = QString::number(entry.sequence) + QLatin1Char('\n') + entry.key + QLatin1Char('\n') +
                         entry.zipPath + QLatin1Char('\n') + entry.destDir + QLatin1Char('\n');
    return ReplaceFileContents(m_path, text.toUtf8());
}

std::optional<BackupEntry> BackupJournal::pending() const {
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    // A journal cut short names no row: the row it was written for had not been archived yet.
    if (lines.size() < 4) return std::nullopt;
    BackupEntry entry;
    bool ok = false;
    entry.sequence = lines[0].toInt(&ok);
    if (!ok || lines[1].isEmpty() || lines[2].isEmpty()) return std::nullopt;
    entry.key = lines[1];
    entry.zipPath = lines[2];
    entry.destDir = lines[3];
    return entry;
}

QString BackupJournal::clear() {
    if (!QFileInfo::exists(m_path) || QFile::remove(m_path)) return {};
    return QStringLiteral("cannot remove ") + m_path;
}

QString CopyFileDurably(const QString& source, const QString& target) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) return in.errorString();
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) return out.errorString();
    QByteArray buffer;
    while (!in.atEnd()) {
        buffer = in.read(1 << 20);
        if (buffer.isEmpty() && in.error() != QFileDevice::NoError) return in.errorString();
        if (out.write(buffer) != buffer.size()) return out.errorString();
    }
    if (!out.flush()) return out.errorString();
    if (::fsync(out.handle()) != 0) return QString::fromLocal8Bit(std::strerror(errno));
    out.close();
    return out.error() == QFileDevice::NoError ? QString() : out.errorString();
}

bool SameFileContents(const QString& a, const QString& b) {
    const QFileInfo ia(a), ib(b);
    if (!ia.isFile() || !ib.isFile() || ia.size() != ib.size()) return false;
    QFile fa(a), fb(b);
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly)) return false;
    while (!fa.atEnd()) {
        const QByteArray x = fa.read(1 << 20);
        if (x != fb.read(x.size())) return false;
        if (x.isEmpty()) return false;
    }
    return fb.atEnd();
}

QString ServerCopyOf(const QString& serverDir, const QString& key) {
    for (const QString& ext : ImageExtensions) {
        const QFileInfo info(serverDir + key + ext);
        if (info.isFile()) return info.filePath();
    }
    return {};
}

} // namespace kestrova
