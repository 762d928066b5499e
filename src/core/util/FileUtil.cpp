#include "core/util/FileUtil.h"

#include "core/util/StringUtil.h"

#include <QFile>
#include <filesystem>
#include <system_error>

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

} // namespace

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
