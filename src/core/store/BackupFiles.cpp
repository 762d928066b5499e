#include "core/store/BackupFiles.h"

#include "core/store/ConvertJournal.h"
#include "core/store/ImageExtensions.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace kestrova {

ZipFilesLock::ZipFilesLock(const QString& localDir) {
    // Without a local images directory there are neither zip files nor passes to keep apart.
    if (localDir.isEmpty() || !QFileInfo(localDir).isDir()) return;
    m_lock = std::make_unique<QLockFile>(QDir(localDir).filePath(QStringLiteral(".kestrova-backup.lock")));
    m_lock->setStaleLockTime(0);
}

ZipFilesLock::~ZipFilesLock() = default;

bool ZipFilesLock::tryLock(int waitMs) {
    if (!m_lock || m_lock->tryLock(0)) return true;
    qint64 pid = 0;
    QString host;
    QString app;
    if (m_lock->getLockInfo(&pid, &host, &app) && pid == QCoreApplication::applicationPid()) return false;
    return waitMs > 0 && m_lock->tryLock(waitMs);
}

BackupJournal::BackupJournal(const QString& localDir) : m_path(localDir + QStringLiteral(".kestrova-backup")) {}

namespace {

QString JournalLine(const BackupEntry& entry) {
    return QString::number(entry.sequence) + QLatin1Char('\t') + entry.key + QLatin1Char('\t') + entry.zipPath +
           QLatin1Char('\t') + entry.destDir + QLatin1Char('\n');
}

} // namespace

QString BackupJournal::add(const BackupEntry& entry) {
    // Appended: a line cut short by a stop is no row (its image had not gone in yet), and no new
    // file is made for every row.
    QFile file(m_path);
    const QByteArray line = JournalLine(entry).toUtf8();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) return file.errorString();
    if (file.write(line) != line.size() || !file.flush()) return file.errorString();
    m_entries.append(entry);
    return {};
}

QString BackupJournal::replace(const QList<BackupEntry>& entries) {
    QString text;
    for (const BackupEntry& e : entries) text += JournalLine(e);
    const QString error = ReplaceFileContents(m_path, text.toUtf8());
    if (error.isEmpty()) m_entries = entries;
    return error;
}

void BackupJournal::dropLast() {
    if (!m_entries.isEmpty()) m_entries.removeLast();
}

QList<BackupEntry> BackupJournal::pending() const {
    QList<BackupEntry> entries;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) return entries;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    const auto parse = [&entries](const QStringList& fields) {
        BackupEntry entry;
        bool ok = false;
        entry.sequence = fields[0].toInt(&ok);
        if (!ok || fields[1].isEmpty() || fields[2].isEmpty()) return;
        entry.key = fields[1];
        entry.zipPath = fields[2];
        entry.destDir = fields[3];
        entries.append(entry);
    };
    if (!lines.first().contains(QLatin1Char('\t'))) {
        // The one-row form of earlier versions: number, key, zip file and destination, a line each.
        if (lines.size() >= 4) parse(lines.mid(0, 4));
        return entries;
    }
    // The last piece follows the last line break: empty, or a line cut short.
    for (const QString& line : lines.mid(0, lines.size() - 1)) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() == 4) parse(fields);
    }
    return entries;
}

QString BackupJournal::clear() {
    m_entries.clear();
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
