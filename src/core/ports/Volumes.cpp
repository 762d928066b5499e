#include "core/ports/Volumes.h"

#include <algorithm>

namespace kestrova {

std::uint64_t RoundedQuotient(unsigned __int128 a, unsigned __int128 b) {
    unsigned __int128 q = a / b;
    const unsigned __int128 r = a % b;
    const unsigned __int128 twice = r * 2;
    if (twice > b || (twice == b && (q & 1) != 0)) ++q;
    return static_cast<std::uint64_t>(q);
}

int DriveFreeSpace(const Volumes& volumes, const QString& path, std::int64_t& free, std::int64_t& total) {
    const std::optional<DiskSpace> space = volumes.diskSpace(path);
    if (!space) {
        free = -1;
        total = -1;
        return 0;
    }
    if (space->totalClusters == 0) {
        free = 0;
        total = 0;
        return 0;
    }
    // Amounts from the byte counts, so that a nearly full medium still shows what is left.
    constexpr unsigned __int128 Unit = 10000;
    const unsigned __int128 cluster = space->bytesPerCluster;
    free = static_cast<std::int64_t>(RoundedQuotient(cluster * space->freeClusters, Unit));
    total = static_cast<std::int64_t>(RoundedQuotient(cluster * space->totalClusters, Unit));
    const std::uint64_t freeClusters = std::min(space->freeClusters, space->totalClusters);
    return static_cast<int>(RoundedQuotient(static_cast<unsigned __int128>(freeClusters) * 1000, space->totalClusters));
}

} // namespace kestrova
