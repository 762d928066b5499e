#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace kestrova {

// Size and free room of the file system a path lies on, in its own allocation units.
struct DiskSpace {
    std::uint64_t bytesPerCluster = 0;
    std::uint64_t freeClusters = 0; // free for ordinary users
    std::uint64_t totalClusters = 0;
};

// The file system a path lies on. Fields are empty when they cannot be found.
struct VolumeInfo {
    QString mountPoint;
    QString device;     // e.g. "/dev/sdb1", "/dev/fd0"; the mount source for other file systems
    QString fileSystem; // e.g. "ext4", "nfs4"
    QString label;      // empty for an unlabelled or network file system
};

// Free space and volume labels of the drives the station writes to.
class Volumes {
public:
    virtual ~Volumes() = default;

    // Nothing when the path cannot be queried (missing, unreachable, not permitted).
    virtual std::optional<DiskSpace> diskSpace(const QString& path) const = 0;
    // The file system holding path; all fields empty for a path that does not exist.
    virtual VolumeInfo volumeOf(const QString& path) const = 0;
};

// The label of the medium holding path; empty when it has none or it cannot be read.
inline QString VolumeLabelOf(const Volumes& volumes, const QString& path) {
    return volumes.volumeOf(path).label;
}

// Measures the drive of path: free and total in units of 10,000 bytes (rounded to the nearest,
// halves to even) and the result, the free part in per mille rounded the same way. A drive that
// reports no clusters gives 0, 0 and 0; a path that cannot be queried gives -1 amounts and 0.
int DriveFreeSpace(const Volumes& volumes, const QString& path, std::int64_t& free, std::int64_t& total);

// a / b rounded to the nearest integer, halves to even; b must not be 0.
std::uint64_t RoundedQuotient(unsigned __int128 a, unsigned __int128 b);

} // namespace kestrova
