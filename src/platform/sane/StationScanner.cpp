#include "platform/sane/StationScanner.h"

#include "core/scan/ScanControlSetup.h"
#include "platform/folderfeed/FolderFeeder.h"
#include "platform/sane/SaneScanner.h"

#include <QDir>

namespace kestrova {

std::unique_ptr<Scanner> CreateStationScanner(const QString& programDir, const ImageCodec& codec,
                                              ScannerDialogs dialogs, QString* problem) {
    ScannerConf conf;
    if (!conf.load(QDir(programDir).filePath(QLatin1String(ScannerConf::FileName))) && problem) *problem = conf.error();
    if (conf.source() == QLatin1String("folder")) {
        const QString folder = conf.feederFolder(programDir);
        return std::make_unique<FolderFeeder>(codec, folder, std::move(conf), std::move(dialogs));
    }
    return std::make_unique<SaneScanner>(codec, std::move(conf), std::move(dialogs));
}

} // namespace kestrova
