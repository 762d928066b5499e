#include "core/store/ZipMedia.h"

#include "core/db/TImageDataModule.h"
#include "core/station/Station.h"
#include "core/store/BackupFiles.h"
#include "core/store/ZipNames.h"
#include "core/util/FaultPoint.h"
#include "core/util/FileUtil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QRegularExpression>
#include <QSaveFile>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <unistd.h>

namespace kestrova {

namespace {

bool IsFile(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && info.isFile();
}

bool ReadSource(const QString& path, QIODevice* stream, QByteArray& data) {
    if (stream) {
        if (!stream->isOpen() || !stream->isReadable()) return false;
        if (!stream->isSequential() && !stream->seek(0)) return false;
        data = stream->readAll();
        return true;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    data = file.readAll();
    return file.error() == QFileDevice::NoError;
}

// An entry name that stays inside the directory it is extracted into.
bool SafeEntryName(const QString& name) {
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}

// Forces a rename in dir to the disk.
void SyncDirectory(const QString& dir) {
    const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

QString ZipMedia::CurrentZipFileFor(const QString& key) const {
    const QString folder = ZipFolder(m_station.setup());
    if (!QDir().mkpath(folder)) return {};
    const QString group = ZipGroupOf(key, m_station.setup().StoreMask);
    // Every zip file of the group is named group + "~": a bare group + "*" would also take the
    // files of longer groups that start alike.
    const QStringList open =
        QDir(folder).entryList({group + QStringLiteral("~*.zip")}, QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    if (!open.isEmpty()) return folder + open.first();
    // A new name never repeats that of a zip file already on the media (a clock that stands or
    // goes back): the rows of both would carry one zip name, and one file would replace the other.
    const QString destDir = ZipDestinationDir(m_station.setup(), group);
    QDateTime stamp = m_station.clock().now();
    while (QFileInfo::exists(destDir + ZipFileName(group, stamp))) stamp = stamp.addMSecs(1);
    return folder + ZipFileName(group, stamp);
}

int ZipMedia::addEntries(ZipArchive& zip, const QString& source, QIODevice* stream, bool& added) const {
    if (zip.count() >= ZipCapacity) return FullOrNotMoved;
    int result = FullOrNotMoved;
    for (QString s : source.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (s.endsWith(QLatin1Char('\r'))) s.chop(1);
        if (s.isEmpty()) continue;
        QByteArray data;
        if (!ReadSource(s, stream, data)) return stream ? NoStream : NoFile;
        if (!zip.add(QFileInfo(s).fileName(), data, m_station.clock().now(), 9)) return AddFailed;
        added = true;
        result = zip.count();
    }
    return result;
}

int ZipMedia::AddToZip(const QString& zipPath, const QString& source, QIODevice* stream) const {
    QString error;
    const std::unique_ptr<ZipArchive> zip = m_zips.open(zipPath, error);
    if (!zip) return AddFailed;
    bool added = false;
    const int result = addEntries(*zip, source, stream, added);
    // What was added before a failure is kept, as each add stands on its own.
    if (added && !zip->commit()) return AddFailed;
    return result;
}

int ZipMedia::ZipAddAndCommit(const QString& zipPath, const QString& source, const QString& destDir, QIODevice* stream,
                              bool force) const {
    int r = 0;
    if (!source.isEmpty()) r = AddToZip(zipPath, source, stream);
    if (r == FullOrNotMoved) {
        // A full file whose move failed before (the media was away) is moved now; its group
        // directory may not exist yet on the media that has come since.
        QDir().mkpath(destDir);
        return MoveZipToDestination(zipPath, destDir, FullOrNotMoved);
    }
    if (r >= 0 && (r >= ZipCapacity || force)) {
        if (!QDir().mkpath(destDir)) return NoDestination;
        r = MoveZipToDestination(zipPath, destDir, r);
    }
    return r;
}

int ZipMedia::MoveZipToDestination(const QString& zipPath, const QString& destDir, int value) const {
    if (!IsFile(zipPath)) return FullOrNotMoved;
    const QString name = QFileInfo(zipPath).fileName();
    const QString target = WithTrailingSlash(destDir) + name;
    // The copy reaches the media under a temporary name and is renamed over the target once it is
    // whole and on the disk, so the media never holds a half-written zip file under its name. The
    // temporary name is the same on every try: a copy a stopped move left behind is replaced.
    const QString temp = WithTrailingSlash(destDir) + QLatin1Char('.') + name + QStringLiteral(".tmp");
    if (!CopyFileDurably(zipPath, temp).isEmpty()) {
        QFile::remove(temp);
        return FullOrNotMoved;
    }
    FaultPoint("zip.media-copied");
    if (std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(target).constData()) != 0) {
        QFile::remove(temp);
        return FullOrNotMoved;
    }
    SyncDirectory(destDir);
    FaultPoint("zip.media-renamed");
    QFile::remove(zipPath);
    return value;
}

int ZipMedia::EntryCount(const QString& zipPath) const {
    QString error;
    const std::unique_ptr<ZipArchive> zip = m_zips.open(zipPath, error);
    return zip ? zip->count() : -1;
}

int ZipMedia::CountMissingFromZip(const QString& zipPath, QStringList names) const {
    if (!IsFile(zipPath)) return ArchiveMissing;
    QString error;
    const std::unique_ptr<ZipArchive> zip = m_zips.open(zipPath, error);
    // An archive that cannot be read holds none of its images.
    if (!zip) return static_cast<int>(names.size());
    for (const QString& entry : zip->entryNames()) {
        const QString base = WithoutExtension(entry);
        for (qsizetype i = 0; i < names.size(); ++i) {
            if (names[i].compare(base, Qt::CaseInsensitive) == 0) {
                names.removeAt(i);
                break;
            }
        }
    }
    return static_cast<int>(names.size());
}

int ZipMedia::VerifyZipFile(const QString& zipPath) const {
    if (!m_station.DataModule) return -1;
    DataQuery& q = m_station.DataModule->VerifyZipFileQuery;
    q.close();
    q.unprepare();
    q.clearParams();
    q.setParamText(QStringLiteral("QZipName"), WithoutExtension(QFileInfo(zipPath).fileName()));
    QStringList names;
    if (!q.prepare() || !q.open()) {
        m_station.prompter().message(QString(), QStringLiteral("ERROR") + q.errorText(), MessageIcon::Error);
        q.close();
        return -1;
    }
    for (q.first(); !q.eof(); q.next()) {
        // A deleted image has left its zip file on purpose (its row stays, marked).
        if (q.fieldByName(QStringLiteral("CDLabel")).asString() == QLatin1String("Deleted")) continue;
        names << q.fieldByName(QStringLiteral("Reqid")).asString() + QLatin1Char('~') +
                     q.fieldByName(QStringLiteral("DocDefn")).asString();
    }
    q.close();
    return CountMissingFromZip(zipPath, names);
}

int ZipMedia::RemoveInterruptedWrites(const QString& dir) const {
    static const QRegularExpression libzipTemporary(QStringLiteral("^.+\\.zip\\.[A-Za-z0-9]{6}$"),
                                                    QRegularExpression::CaseInsensitiveOption);
    const QDir folder(dir);
    int removed = RemoveUnheldTemporaries(dir);
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (libzipTemporary.match(name).hasMatch() && QFile::remove(folder.filePath(name))) ++removed;
    }
    return removed;
}

int ZipMedia::ReturnLeftCopies(const QString& dir, const std::function<QString(const QString&)>& destDirOf) const {
    const QDir folder(dir);
    int returned = 0;
    for (const QString& name : folder.entryList({QStringLiteral("*.zip")}, QDir::Files)) {
        const QString destDir = destDirOf(name);
        if (!IsFile(WithTrailingSlash(destDir) + name)) continue;
        if (ZipAddAndCommit(folder.filePath(name), QString(), destDir, nullptr, true) >= 0) ++returned;
    }
    return returned;
}

int ZipMedia::DeleteFromZip(const QString& localZipPath, const QString& entryName, const QString& destDir) const {
    const QString mediaCopy = WithTrailingSlash(destDir) + QFileInfo(localZipPath).fileName();
    // A zip file both here and on the media is one a stopped move or deletion left here: it is
    // changed here and put back like a fetched one.
    const bool onMedia = IsFile(mediaCopy);
    const bool fetched = !IsFile(localZipPath);
    if (fetched) {
        if (!onMedia) return -2;
        QDir().mkpath(QFileInfo(localZipPath).absolutePath());
        QFile::remove(localZipPath);
        // Fetched whole under a held hidden name: a stopped fetch leaves no half zip file here.
        if (!CopyThroughHeldTemporary(mediaCopy, localZipPath).isEmpty()) return -50;
    }
    // A fetched copy that cannot be changed is dropped: the media still holds the zip file, and a
    // stray copy in the zip folder would be taken as the group's open zip file.
    const auto fail = [&] {
        if (fetched) QFile::remove(localZipPath);
        return AddFailed;
    };
    QString error;
    const std::unique_ptr<ZipArchive> zip = m_zips.open(localZipPath, error);
    if (!zip) return fail();
    zip->remove({entryName, WithoutExtension(entryName) + QStringLiteral(".eml")});
    const int left = zip->count();
    if (!zip->commit()) return fail();
    if (!onMedia) return left;
    if (left == 0) {
        // The archive is gone with its last entry; so must its copy on the media be, or the
        // deleted image would stay there.
        return QFile::remove(mediaCopy) ? 0 : AddFailed;
    }
    return ZipAddAndCommit(localZipPath, QString(), destDir, nullptr, true) < 0 ? AddFailed : left;
}

QString ZipMedia::ExtractFromZip(const QString& zipPath, const QString& spec, const QString& targetDir) const {
    if (!IsFile(zipPath)) return QStringLiteral("ERROR: Archive ") + zipPath + QStringLiteral(" not found.");
    const QString extractError = QStringLiteral("ERROR: Zip File extraction error ");
    QString error;
    const std::unique_ptr<ZipArchive> zip = m_zips.open(zipPath, error);
    if (!zip) return extractError + error;

    const qsizetype star = spec.indexOf(QLatin1Char('*'));
    const QString prefix = star < 0 ? spec : spec.left(star);
    QStringList selected;
    if (spec != QLatin1String("*")) {
        for (const QString& entry : zip->entryNames()) {
            if (!entry.startsWith(prefix, Qt::CaseInsensitive)) continue;
            selected << entry;
            if (star < 0) break;
        }
    }
    if (selected.isEmpty())
        return QStringLiteral("ERROR: File ") + spec + QStringLiteral(" not Present in Archive ") + zipPath;
    for (const QString& entry : selected) {
        if (!SafeEntryName(entry))
            return extractError + QStringLiteral("entry ") + entry +
                   QStringLiteral(" would be written outside the target directory");
    }

    const QString target = WithTrailingSlash(targetDir);
    if (!QDir().mkpath(target)) return extractError + QStringLiteral("cannot create ") + target;
    QString names;
    for (const QString& entry : selected) {
        QByteArray data;
        if (const Status read = zip->read(entry, data); !read) return extractError + read.error();
        QSaveFile out(target + entry);
        if (!out.open(QIODevice::WriteOnly) || out.write(data) != data.size() || !out.commit())
            return extractError + out.errorString();
        names += entry + QLatin1Char('\n');
    }
    return names;
}

QString ZipSession::CurrentZipFileFor(const QString& key) {
    const QString group = ZipGroupOf(key, m_media.m_station.setup().StoreMask);
    if (const auto held = m_groups.constFind(group); held != m_groups.constEnd() && isOpen(*held)) return *held;
    return m_media.CurrentZipFileFor(key);
}

ZipSession::Open* ZipSession::open(const QString& zipPath, const QString& group) {
    if (const auto it = m_open.find(zipPath); it != m_open.end()) return &it->second;
    Open entry;
    QString error;
    entry.zip = m_media.m_zips.open(zipPath, error);
    if (!entry.zip) return nullptr;
    entry.group = group;
    m_groups.insert(group, zipPath);
    return &m_open.emplace(zipPath, std::move(entry)).first->second;
}

void ZipSession::close(const QString& zipPath) {
    const auto it = m_open.find(zipPath);
    if (it == m_open.end()) return;
    if (m_groups.value(it->second.group) == zipPath) m_groups.remove(it->second.group);
    m_open.erase(it);
}

Status ZipSession::commit(const QString& zipPath) {
    const auto it = m_open.find(zipPath);
    if (it == m_open.end()) return Status::success();
    Open& entry = it->second;
    if (!entry.zip) return Status::failure(entry.error);
    if (!entry.changed) return Status::success();
    const Status written = entry.zip->commit();
    if (!written) {
        // The file stays as it was; what waited for it is dropped.
        entry.error = written.error();
        entry.zip.reset();
        return written;
    }
    entry.changed = false;
    return written;
}

bool ZipSession::remove(const QString& zipPath, const QStringList& names) {
    const auto it = m_open.find(zipPath);
    if (it == m_open.end() || !it->second.zip) return false;
    if (it->second.zip->remove(names) > 0) it->second.changed = true;
    return true;
}

int ZipSession::ZipAddAndCommit(const QString& zipPath, const QString& source, const QString& destDir,
                                QIODevice* stream, bool force) {
    int r = 0;
    if (!source.isEmpty()) {
        // A zip file is named group + "~" + its time stamp.
        const QString name = QFileInfo(zipPath).fileName();
        Open* entry = open(zipPath, name.left(std::max<qsizetype>(name.lastIndexOf(QLatin1Char('~')), 0)));
        if (!entry || !entry->zip) return ZipMedia::AddFailed;
        r = m_media.addEntries(*entry->zip, source, stream, entry->changed);
    }
    if (r == ZipMedia::FullOrNotMoved) {
        // A full file whose move failed before is moved now (see ZipMedia::ZipAddAndCommit).
        if (!commit(zipPath)) return ZipMedia::FullOrNotMoved;
        close(zipPath);
        QDir().mkpath(destDir);
        return m_media.MoveZipToDestination(zipPath, destDir, ZipMedia::FullOrNotMoved);
    }
    if (r >= 0 && (r >= ZipCapacity || force)) {
        if (!commit(zipPath)) return ZipMedia::AddFailed;
        close(zipPath);
        if (!QDir().mkpath(destDir)) return ZipMedia::NoDestination;
        r = m_media.MoveZipToDestination(zipPath, destDir, r);
    }
    return r;
}

} // namespace kestrova
