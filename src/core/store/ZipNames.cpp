#include "core/store/ZipNames.h"

#include "core/config/SetupInfo.h"
#include "core/config/StationSetup.h"
#include "core/util/FileUtil.h"

namespace kestrova {

QString WithTrailingSlash(const QString& dir) {
    return dir.isEmpty() || dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
}

QString WithoutExtension(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? fileName.left(dot) : fileName;
}

QString ZipFolder(const StationSetup& setup) {
    return WithTrailingSlash(setup.SetupInfo.Directories[SlotLocalImages]) + QStringLiteral("ZipFiles/");
}

QString ZipGroupOf(const QString& key, const QString& storeMask) {
    const QString sub = MaskedSubPath(key, storeMask);
    return sub.left(sub.indexOf(QLatin1Char('/')));
}

QString ZipFileName(const QString& group, const QDateTime& created) {
    return group + QLatin1Char('~') + created.toString(QStringLiteral("yy-MM-dd hhmmss zzz")) + QStringLiteral(".zip");
}

QString ZipDestinationDir(const StationSetup& setup, const QString& group) {
    return WithTrailingSlash(WithTrailingSlash(setup.SetupInfo.Directories[SlotBackup]) + group);
}

QString ZipDestinationDirOf(const StationSetup& setup, const QString& zipName) {
    return ZipDestinationDir(setup, zipName.section(QLatin1Char('~'), 0, 0));
}

} // namespace kestrova
