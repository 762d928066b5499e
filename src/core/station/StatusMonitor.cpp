#include "core/station/StatusMonitor.h"
#include "core/station/Station.h"
#include "core/util/FileListing.h"

namespace kestrova {

StatusMonitor::StatusMonitor(Station& station, const Volumes& volumes, TImageDataModule* data)
    : m_station(station), m_volumes(volumes), m_data(data) {}

void StatusMonitor::install() {
    m_station.setRefreshStatus([this] { RefreshStatus(); });
}

void StatusMonitor::RefreshStatus() {
    CountScanned();
    CountProblems();
    CountDecoded();
    CountAwaitingBackup();
    UpdateDriveStatus();
    CountAwaitingLIS();
}

std::optional<int> CountFiles(const QString& dir, const QString& wildcard) {
    // A slot that is switched off or was never set holds no files (and must not list the
    // working directory).
    if (dir.isEmpty() || dir == DriveDisabled) return 0;
    const QString listing = ListFiles(dir + wildcard, 0, 0);
    bool ok = false;
    const int count = listing.left(listing.indexOf(QLatin1Char('\r'))).toInt(&ok);
    if (!ok) return std::nullopt;
    return count;
}

void StatusMonitor::CountScanned() {
    const auto& dirs = m_station.SetupInfo.Directories;
    m_station.ui.ScannedWaitingLabel = QString::number(CountFiles(dirs[SlotScan], QStringLiteral("*.bmp")).value_or(0));
}

void StatusMonitor::CountProblems() {
    const QString& dir = m_station.SetupInfo.Directories[SlotProblems];
    int count = CountFiles(dir, QStringLiteral("*.bmp")).value_or(0);
    count += CountFiles(dir, QStringLiteral("*.tif")).value_or(0);
    MainWindowState& ui = m_station.ui;
    ui.ProblemGrpLabel = QString::number(count);
    ui.ProblemGrpLabelColour = ui.ProblemGrpLabel != QLatin1String("0") ? LabelColour::Red : LabelColour::WindowText;
}

void StatusMonitor::CountDecoded() {
    const auto& dirs = m_station.SetupInfo.Directories;
    std::optional<int> counts[3] = {CountFiles(dirs[SlotDecoded], QStringLiteral("*.bmp")),
                                    CountFiles(dirs[SlotDecoded], QStringLiteral("*.tif")), 0};
    if (m_station.SetupInfo.StationMode == ModeScanServer)
        counts[2] = CountFiles(dirs[SlotRemoteDecoded], QStringLiteral("*.tif"));
    int sum = 0;
    for (const std::optional<int>& c : counts) {
        if (!c) return; // the counter keeps what it showed
        sum += *c;
    }
    m_station.ui.DecodedWaitingLabel = QString::number(sum);
}

} // namespace kestrova
