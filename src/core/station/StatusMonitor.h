#pragma once

#include "core/station/MissingDirectories.h"

#include <QList>
#include <QString>
#include <array>
#include <optional>

namespace kestrova {

class Station;
class TImageDataModule;
class Volumes;

// The status monitor of the main window: counts the images waiting at every stage, measures the
// three drives, names the backup medium and stops the operator when the backup device is missing
// or unnamed. It writes what it finds into the station (ui, SetupInfo.FreeSpace/TotalSpace,
// MediaLabel) and the windows render it.
// "N % free, X GB" for a drive's free and total space in units of 10,000 bytes; empty when unknown.
QString DriveSpaceText(std::int64_t free, std::int64_t total);

class StatusMonitor {
public:
    // Without data the monitor counts on the station's DataModule; while there is none the
    // database counters are left alone.
    StatusMonitor(Station& station, const Volumes& volumes, TImageDataModule* data = nullptr);

    // Makes Station::RefreshStatus run this monitor.
    void install();

    // Checks the working directories, then runs the counters and drive measurements in order.
    void RefreshStatus();
    // Logs each working directory (WorkingDirectorySlots) that has gone missing or come back
    // since the last check: once per change, not on every refresh.
    void CheckDirectories();
    void CountScanned();
    void CountProblems();
    void CountDecoded();
    void CountAwaitingBackup();
    void UpdateDriveStatus();
    void CountAwaitingLIS();

    // Free part in per mille of drive 1 (scan), 2 (image store) or 3 (backup) at its last
    // measurement; nothing when it has not been measured.
    std::optional<int> freePerMille(int drive) const { return m_perMille.at(drive); }

    // The working directories found missing by the last CheckDirectories.
    const QList<MissingDirectory>& missingDirectories() const { return m_missing; }

private:
    void updateImagesDrive();
    void updateBackupDrive();
    void nameBackupMedium();
    void showDeviceBox(const QString& caption, const QString& text);
    TImageDataModule* data() const;

    Station& m_station;
    const Volumes& m_volumes;
    TImageDataModule* m_data;
    std::array<std::optional<int>, 4> m_perMille{};
    bool m_deviceBoxOpen = false;
    QList<MissingDirectory> m_missing;
};

// The text a file counter shows instead of a number while one of its directories is missing.
inline const QString MissingCounterText = QStringLiteral("MISSING");

// The number of plain files in dir that match the wildcard, read from the file listing; nothing
// when the listing cannot be read. A missing directory lists no files: callers check it first.
std::optional<int> CountFiles(const QString& dir, const QString& wildcard);

} // namespace kestrova
