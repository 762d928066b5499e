#include "core/station/StatusMonitor.h"
#include "core/station/Station.h"
#include "core/util/FileListing.h"

#include <QStringList>

namespace kestrova {

StatusMonitor::StatusMonitor(Station& station, const Volumes& volumes, TImageDataModule* data)
    : m_station(station), m_volumes(volumes), m_data(data) {}

void StatusMonitor::install() {
    m_station.setRefreshStatus([this] { RefreshStatus(); });
}

namespace {

// The hint of a counter: a line for each of its directories that is missing; empty while all are
// there.
QString MissingHint(const setupinformation& setup, std::span<const int> slotNumbers) {
    QStringList lines;
    for (const MissingDirectory& m : MissingDirectories(setup, slotNumbers))
        lines << QStringLiteral("The %1 %2 is missing.").arg(DirectoryRole(m.slot), m.path);
    return lines.join(QLatin1Char('\n'));
}

} // namespace

void StatusMonitor::RefreshStatus() {
    CheckDirectories();
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

void StatusMonitor::CheckDirectories() {
    const QList<MissingDirectory> now = MissingDirectories(m_station.setup().SetupInfo, WorkingDirectorySlots);
    for (const MissingDirectory& m : now)
        if (!m_missing.contains(m))
            m_station.LogEvent(
                QStringLiteral("Directory missing: the %1 %2 does not exist.").arg(DirectoryRole(m.slot), m.path));
    for (const MissingDirectory& m : std::as_const(m_missing))
        if (!now.contains(m))
            m_station.LogEvent(
                QStringLiteral("Directory found: the %1 %2 exists again.").arg(DirectoryRole(m.slot), m.path));
    m_missing = now;
}

void StatusMonitor::CountScanned() {
    const setupinformation& s = m_station.setup().SetupInfo;
    MainWindowState& ui = m_station.ui;
    ui.ScannedWaitingLabelHint = MissingHint(s, std::array<int, 1>{SlotScan});
    const bool missing = !ui.ScannedWaitingLabelHint.isEmpty();
    ui.ScannedWaitingLabel =
        missing ? MissingCounterText
                : QString::number(CountFiles(s.Directories[SlotScan], QStringLiteral("*.bmp")).value_or(0));
    ui.ScannedWaitingLabelColour = missing ? LabelColour::Red : LabelColour::WindowText;
}

void StatusMonitor::CountProblems() {
    const setupinformation& s = m_station.setup().SetupInfo;
    const QString& dir = s.Directories[SlotProblems];
    MainWindowState& ui = m_station.ui;
    ui.ProblemGrpLabelHint = MissingHint(s, std::array<int, 1>{SlotProblems});
    if (!ui.ProblemGrpLabelHint.isEmpty()) {
        ui.ProblemGrpLabel = MissingCounterText;
    } else {
        int count = CountFiles(dir, QStringLiteral("*.bmp")).value_or(0);
        count += CountFiles(dir, QStringLiteral("*.tif")).value_or(0);
        ui.ProblemGrpLabel = QString::number(count);
    }
    ui.ProblemGrpLabelColour = ui.ProblemGrpLabel != QLatin1String("0") ? LabelColour::Red : LabelColour::WindowText;
}

void StatusMonitor::CountDecoded() {
    const setupinformation& s = m_station.setup().SetupInfo;
    const auto& dirs = s.Directories;
    const bool scanServer = s.StationMode == ModeScanServer;
    MainWindowState& ui = m_station.ui;
    ui.DecodedWaitingLabelHint = scanServer ? MissingHint(s, std::array<int, 2>{SlotDecoded, SlotRemoteDecoded})
                                            : MissingHint(s, std::array<int, 1>{SlotDecoded});
    if (!ui.DecodedWaitingLabelHint.isEmpty()) {
        ui.DecodedWaitingLabel = MissingCounterText;
        ui.DecodedWaitingLabelColour = LabelColour::Red;
        return;
    }
    std::optional<int> counts[3] = {CountFiles(dirs[SlotDecoded], QStringLiteral("*.bmp")),
                                    CountFiles(dirs[SlotDecoded], QStringLiteral("*.tif")), 0};
    if (scanServer) counts[2] = CountFiles(dirs[SlotRemoteDecoded], QStringLiteral("*.tif"));
    int sum = 0;
    for (const std::optional<int>& c : counts) {
        if (!c) return; // the counter keeps what it showed
        sum += *c;
    }
    ui.DecodedWaitingLabel = QString::number(sum);
    ui.DecodedWaitingLabelColour = LabelColour::WindowText;
}

} // namespace kestrova
