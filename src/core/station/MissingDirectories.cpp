#include "core/station/MissingDirectories.h"

#include <QFileInfo>

namespace kestrova {

bool DirectoryMissing(const QString& slotValue) {
    if (slotValue.isEmpty() || slotValue == DriveDisabled) return false;
    return slotValue.contains(QChar(0)) || !QFileInfo(slotValue).isDir();
}

QList<MissingDirectory> MissingDirectories(const setupinformation& setup, std::span<const int> slotNumbers) {
    QList<MissingDirectory> missing;
    for (const int slot : slotNumbers) {
        if (slot < SlotScan || slot > SlotSpare) continue;
        const QString& dir = setup.Directories[slot];
        if (DirectoryMissing(dir)) missing.append({slot, dir});
    }
    return missing;
}

QString DirectoryRole(int slot) {
    switch (slot) {
    case SlotScan:
        return QStringLiteral("scan directory");
    case SlotProblems:
        return QStringLiteral("problems directory");
    case SlotDecoded:
        return QStringLiteral("decoded directory");
    case SlotRemoteDecoded:
        return QStringLiteral("remote scanner decoded directory");
    case SlotImageStore:
        return QStringLiteral("image store directory");
    case SlotLocalImages:
        return QStringLiteral("local images directory");
    case SlotBackup:
        return QStringLiteral("backup destination");
    default:
        return QStringLiteral("directory of setup line %1").arg(slot);
    }
}

} // namespace kestrova
