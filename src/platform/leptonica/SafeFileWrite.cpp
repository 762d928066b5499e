#include "platform/leptonica/SafeFileWrite.h"

#include "core/util/FaultPoint.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrova::leptonica {

namespace {

QString ErrnoText() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Creates an empty file beside target with a fresh name; returns its path, or empty on failure.
QString CreateTemporaryBeside(const QString& target, QString& error) {
    const QFileInfo info(target);
    const QString dir = info.absolutePath();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString candidate = dir + QLatin1String("/.") + info.fileName() + QLatin1Char('.') +
                                  QString::number(QRandomGenerator::global()->generate(), 16) + QLatin1String(".tmp");
        const int fd = ::open(QFile::encodeName(candidate).constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
        if (fd >= 0) {
            struct stat st {};
            if (::stat(QFile::encodeName(target).constData(), &st) == 0) ::fchmod(fd, st.st_mode & 07777);
            ::close(fd);
            return candidate;
        }
        if (errno != EEXIST) {
            error = QStringLiteral("cannot create a file in %1: %2").arg(QDir::toNativeSeparators(dir), ErrnoText());
            return QString();
        }
    }
    error = QStringLiteral("no free temporary name in %1").arg(QDir::toNativeSeparators(dir));
    return QString();
}

bool CopyContents(const QString& from, const QString& to, QString& error) {
    QFile in(from);
    QFile out(to);
    if (!in.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read %1: %2").arg(from, in.errorString());
        return false;
    }
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        error = QStringLiteral("cannot write %1: %2").arg(to, out.errorString());
        return false;
    }
    char buffer[65536];
    for (;;) {
        const qint64 n = in.read(buffer, sizeof buffer);
        if (n < 0) {
            error = QStringLiteral("cannot read %1: %2").arg(from, in.errorString());
            return false;
        }
        if (n == 0) break;
        if (out.write(buffer, n) != n) {
            error = QStringLiteral("cannot write %1: %2").arg(to, out.errorString());
            return false;
        }
    }
    if (!out.flush()) {
        error = QStringLiteral("cannot write %1: %2").arg(to, out.errorString());
        return false;
    }
    return true;
}

} // namespace

Status WriteThroughTemporary(const QString& path, bool keepContents,
                             const std::function<Status(const QByteArray& tempPath)>& write,
                             const std::function<Status(const QString& tempPath)>& check) {
    QString error;
    const QString temp = CreateTemporaryBeside(path, error);
    if (temp.isEmpty()) return Status::failure(error);

    auto fail = [&temp](QString message) {
        QFile::remove(temp);
        return Status::failure(std::move(message));
    };
    if (keepContents && !CopyContents(path, temp, error)) return fail(error);

    Status written = write(QFile::encodeName(temp));
    if (!written) return fail(written.error());
    if (check) {
        Status checked = check(temp);
        if (!checked) return fail(checked.error());
    }
    FaultPoint("temporary-written");
    if (std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(path).constData()) != 0) {
        return fail(QStringLiteral("cannot put %1 in place: %2").arg(path, ErrnoText()));
    }
    return Status::success();
}

} // namespace kestrova::leptonica
