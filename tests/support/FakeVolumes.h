#pragma once

#include "core/ports/Volumes.h"

#include <QFileInfo>
#include <map>

namespace kestrova::test {

// Drives for tests of the status rules: each registered drive holds the paths below its mount
// point (the longest one wins). As with the real file systems, a path that does not exist cannot
// be measured and has no label, so removing a directory unplugs it. Unregistered paths lie on an
// unlabelled drive that is half free.
class FakeVolumes : public Volumes {
public:
    struct Drive {
        std::optional<DiskSpace> space; // nothing: the drive does not answer
        VolumeInfo volume;
    };

    // A drive of 1000 clusters of 4096 bytes with freePerMille of them free.
    void setDrive(const QString& mountPoint, int freePerMille, const QString& label = {},
                  const QString& device = QStringLiteral("/dev/sdz1")) {
        setDrive(mountPoint, DiskSpace{4096, std::uint64_t(freePerMille), 1000}, label, device);
    }
    void setDrive(const QString& mountPoint, std::optional<DiskSpace> space, const QString& label = {},
                  const QString& device = QStringLiteral("/dev/sdz1")) {
        m_drives[mountPoint] = Drive{space, VolumeInfo{mountPoint, device, QStringLiteral("ext4"), label}};
    }

    std::optional<DiskSpace> diskSpace(const QString& path) const override {
        if (!QFileInfo::exists(path)) return std::nullopt;
        const Drive* d = driveOf(path);
        return d ? d->space : DiskSpace{4096, 500, 1000};
    }
    VolumeInfo volumeOf(const QString& path) const override {
        if (!QFileInfo::exists(path)) return {};
        const Drive* d = driveOf(path);
        return d ? d->volume : VolumeInfo{QStringLiteral("/"), QStringLiteral("/dev/sda1"), QStringLiteral("ext4"), {}};
    }

private:
    const Drive* driveOf(const QString& path) const {
        const Drive* best = nullptr;
        qsizetype bestLength = -1;
        for (const auto& [mount, drive] : m_drives) {
            if (path.startsWith(mount) && mount.size() > bestLength) {
                best = &drive;
                bestLength = mount.size();
            }
        }
        return best;
    }
    std::map<QString, Drive> m_drives;
};

} // namespace kestrova::test
