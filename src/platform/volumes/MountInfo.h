#pragma once

#include <QString>
#include <QStringView>
#include <vector>

namespace kestrova {

// One line of /proc/self/mountinfo.
struct MountEntry {
    QString mountPoint;
    QString fileSystem;
    QString source;
};

// The entries of a mountinfo text in file order; malformed lines are skipped. Octal escapes
// ("\040" for a blank) are decoded.
std::vector<MountEntry> ParseMountInfo(QStringView text);

// The entry mounted where an absolute, canonical path lies: the longest mount point that holds it,
// the last mounted of equal ones (it hides the others). Null when none holds it.
const MountEntry* MountHolding(const std::vector<MountEntry>& mounts, const QString& path);

// True for file systems reached over the network, which carry no volume label of their own.
bool IsNetworkFileSystem(const QString& fileSystem);

} // namespace kestrova
