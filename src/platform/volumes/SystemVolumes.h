#pragma once

#include "core/ports/Volumes.h"

namespace kestrova {

// Free space from statvfs on the path; the volume label of the file system the path lies on, found
// through /proc/self/mountinfo and read from its device with libblkid (or, where the device cannot
// be read, from the /dev/disk/by-label links udev keeps).
class SystemVolumes : public Volumes {
public:
    // mountInfo: the mount table to read (another file only in tests).
    explicit SystemVolumes(QString mountInfo = QStringLiteral("/proc/self/mountinfo"))
        : m_mountInfo(std::move(mountInfo)) {}

    std::optional<DiskSpace> diskSpace(const QString& path) const override;
    VolumeInfo volumeOf(const QString& path) const override;

    // The label of a block device, empty when it has none or it cannot be read.
    static QString DeviceLabel(const QString& device);

private:
    QString m_mountInfo;
};

} // namespace kestrova
