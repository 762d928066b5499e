#include "core/util/FileUtil.h"

#include "core/util/FaultPoint.h"
#include "core/util/StringUtil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace kestrova {
namespace {

namespace fs = std::filesystem;

fs::path PathOf(const QString& path) {
    return fs::path(QFile::encodeName(path).toStdString());
}

// True when anything (a dangling link included) stands at path.
bool Exists(const QString& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(PathOf(path), ec));
}

bool IsFile(const QString& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(PathOf(path), ec);
    return !ec && fs::exists(status) && !fs::is_directory(status);
}

QString WithSeparator(const QString& dir) {
    return dir.isEmpty() || dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
}

QString SystemError(const std::error_code& ec) {
    return QStringLiteral("ERROR - system error ") + QString::number(ec.value());
}

// rename(2) cannot cross file systems: copy, then remove the source (or the copy, when the source stays).
std::error_code MoveAcross(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    std::error_code ignored;
    fs::copy_file(from, to, fs::copy_options::none, ec);
    if (!ec) fs::remove(from, ec);
    if (ec) fs::remove(to, ignored); // the destination did not exist before: leave nothing half-moved
    return ec;
}

const QString HeldTemporaryPattern = QStringLiteral(".*.copy.tmp");

QString ErrnoText(const QString& what) {
    return what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
}

// True when fd is still the file named path (no one removed or replaced the name meanwhile).
bool StillNamed(int fd, const QByteArray& path) {
    struct stat held {};
    struct stat named {};
    return ::fstat(fd, &held) == 0 && held.st_nlink > 0 && ::lstat(path.constData(), &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

// Opens path for writing, created when missing, and holds it locked; -1 with error set when not.
// A leftover of a killed copy is taken over; a file another copy holds is waited for.
int HoldTemporary(const QByteArray& path, QString& error) {
    for (int attempt = 0; attempt < 10; ++attempt) {
        const int fd = ::open(path.constData(), O_CREAT | O_WRONLY | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd < 0) {
            error = ErrnoText(QStringLiteral("cannot create ") + QFile::decodeName(path));
            return -1;
        }
        if (::flock(fd, LOCK_EX) != 0) {
            error = ErrnoText(QStringLiteral("cannot lock ") + QFile::decodeName(path));
            ::close(fd);
            return -1;
        }
        // A clean-up may have removed the name between the open and the lock: start again.
        if (StillNamed(fd, path) && ::ftruncate(fd, 0) == 0) return fd;
        ::close(fd);
    }
    error = QStringLiteral("cannot hold ") + QFile::decodeName(path);
    return -1;
}

bool WriteAll(int fd, const char* data, qint64 size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(size));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= n;
    }
    return true;
}

} // namespace

QString HeldTemporaryOf(const QString& target) {
    const QFileInfo info(target);
    QString name = info.fileName();
    if (const qsizetype dot = name.lastIndexOf(QLatin1Char('.')); dot > 0) name.truncate(dot);
    return WithSeparator(info.path()) + QLatin1Char('.') + name + QStringLiteral(".copy.tmp");
}

QString CopyThroughHeldTemporary(const QString& source, const QString& target) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot read ") + source + QStringLiteral(": ") + in.errorString();
    const QByteArray temp = QFile::encodeName(HeldTemporaryOf(target));
    QString error;
    const int fd = HoldTemporary(temp, error);
    if (fd < 0) return error;
    const auto fail = [&](const QString& why) {
        ::unlink(temp.constData());
        ::close(fd);
        return why;
    };
    char buffer[65536];
    for (;;) {
        const qint64 n = in.read(buffer, sizeof buffer);
        if (n < 0) return fail(QStringLiteral("cannot read ") + source + QStringLiteral(": ") + in.errorString());
        if (n == 0) break;
        if (!WriteAll(fd, buffer, n)) return fail(ErrnoText(QStringLiteral("cannot write ") + QFile::decodeName(temp)));
    }
    if (::fsync(fd) != 0) return fail(ErrnoText(QStringLiteral("cannot write ") + QFile::decodeName(temp)));
    FaultPoint("copy.written");
    if (::rename(temp.constData(), QFile::encodeName(target).constData()) != 0)
        return fail(ErrnoText(QStringLiteral("cannot rename ") + QFile::decodeName(temp)));
    ::close(fd);
    // The rename reaches the disk too.
    if (const int dir = ::open(QFile::encodeName(QFileInfo(target).path()).constData(), O_RDONLY | O_DIRECTORY);
        dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return {};
}

int RemoveUnheldTemporaries(const QString& dir) {
    const QDir folder(dir);
    int removed = 0;
    for (const QString& name : folder.entryList({HeldTemporaryPattern}, QDir::Files | QDir::Hidden | QDir::System)) {
        const QByteArray path = QFile::encodeName(folder.filePath(name));
        const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0) continue;
        // Held while it is removed: a copy that opens the name meanwhile finds it gone and starts again.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && StillNamed(fd, path) && ::unlink(path.constData()) == 0) ++removed;
        ::close(fd);
    }
    return removed;
}

QString MoveFileChecked(const QString& sourceDir, const QString& sourceName, const QString& destDir,
                        const QString& destName) {
    if (RemoveChar(sourceName, QLatin1Char(' ')).isEmpty()) return QStringLiteral("ERROR - no source filename");
    const QString name = RemoveChar(destName, QLatin1Char(' ')).isEmpty() ? sourceName : destName;
    const QString source = WithSeparator(sourceDir) + sourceName;
    const QString dest = WithSeparator(destDir) + name;
    if (!IsFile(source)) return QStringLiteral("ERROR - no source file");
    if (Exists(dest)) return QStringLiteral("ERROR - destination exists");
    std::error_code ec;
    fs::rename(PathOf(source), PathOf(dest), ec);
    if (ec == std::errc::cross_device_link) ec = MoveAcross(PathOf(source), PathOf(dest));
    return ec ? SystemError(ec) : QStringLiteral("OK");
}

QString MaskedSubPath(const QString& name, const QString& mask) {
    QString group;
    for (qsizetype i = 0; i < mask.size() && i < name.size(); ++i) {
        if (mask[i] == QLatin1Char('*')) group += name[i];
    }
    return group + QLatin1Char('/') + name;
}

QString UniqueNameSuffix(const QString& dir, const QStringList& names, TDateTime time, const Clock& clock) {
    QStringList prefixes, extensions;
    for (const QString& name : names) {
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        const bool hasExtension = dot > name.lastIndexOf(QLatin1Char('/'));
        prefixes << WithSeparator(dir) + (hasExtension ? name.left(dot) : name);
        extensions << (hasExtension ? name.mid(dot) : QString());
    }
    // Five hexadecimal digits give 0x100000 suffixes; once each has been tried and found taken,
    // no suffix is free (or the names cannot be looked up) and the search gives up.
    for (int tries = 0; tries < 0x100000; ++tries) {
        const QString suffix = QString::number(MillisecondsOfDay(time), 16).toUpper().right(5);
        bool taken = false;
        for (qsizetype i = 0; i < prefixes.size() && !taken; ++i) taken = Exists(prefixes[i] + suffix + extensions[i]);
        if (!taken) return suffix;
        // The next millisecond: the clock's time, or one millisecond on when the clock has not
        // moved past the time tried (a standing clock never holds the search up).
        const TDateTime now = ToTDateTime(clock.now());
        time = now > time ? now : time + 1.0 / MillisecondsPerDay;
    }
    return {};
}

QString UniqueNameSuffix(const QString& dir, const QString& name, TDateTime time, const Clock& clock) {
    return UniqueNameSuffix(dir, QStringList{name}, time, clock);
}

} // namespace kestrova
