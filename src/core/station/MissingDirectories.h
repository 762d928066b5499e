#pragma once

#include "core/config/SetupInfo.h"

#include <QList>
#include <QString>
#include <array>
#include <span>

namespace kestrova {

// A configured directory slot whose directory is not there.
struct MissingDirectory {
    int slot = 0;
    QString path;
    bool operator==(const MissingDirectory&) const = default;
};

// Whether a slot's value names a directory (neither empty nor "Drive Disabled") that does not
// exist as a directory now; a regular file of that name counts as missing.
bool DirectoryMissing(const QString& slotValue);

// The slots among `slotNumbers` (e.g. WorkingDirectorySlots, or std::array<int, 2>{SlotDecoded,
// SlotImageStore}), in that order, whose directory is set but missing. Slots 5 and 8 must have been
// split from their masks already, as reading the setup file does.
QList<MissingDirectory> MissingDirectories(const setupinformation& setup, std::span<const int> slotNumbers);

// The directories the station works in: scan, problems, decoded, remote-scanner decoded, image
// store and local images (slots 1-6). The backup destination has its own device checks.
inline constexpr std::array<int, 6> WorkingDirectorySlots = {SlotScan,          SlotProblems,   SlotDecoded,
                                                             SlotRemoteDecoded, SlotImageStore, SlotLocalImages};

// The role of a directory slot in words, e.g. "decoded directory", for messages.
QString DirectoryRole(int slot);

} // namespace kestrova
