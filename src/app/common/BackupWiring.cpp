#include "app/common/BackupWiring.h"

#include "core/ports/Beeper.h"
#include "core/store/BackupProcess.h"
#include "core/store/SignBackup.h"
#include "core/store/ZipMedia.h"
#include "platform/volumes/SystemVolumes.h"
#include "platform/zip/LibzipArchive.h"

namespace kestrova {

struct BackupWiring::Parts {
    explicit Parts(Station& station)
        : zips(station, zipFactory), archive(station, zips), backup(station, zips, archive, volumes, beeper) {}

    const LibzipFactory zipFactory;
    const ZipMedia zips;
    SignedImageArchive archive;
    const SystemVolumes volumes;
    TerminalBeeper beeper;
    BackupProcess backup;
};

BackupWiring::BackupWiring(Station& station) : m_parts(std::make_unique<Parts>(station)) {}

BackupWiring::~BackupWiring() = default;

BackupProcess& BackupWiring::process() {
    return m_parts->backup;
}

const Volumes& BackupWiring::volumes() const {
    return m_parts->volumes;
}

} // namespace kestrova
