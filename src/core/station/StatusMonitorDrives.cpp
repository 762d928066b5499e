#include "core/ports/Volumes.h"
#include "core/station/Station.h"
#include "core/station/StatusMonitor.h"

#include <QDir>
#include <algorithm>

namespace kestrova {

namespace {

const QString BackupDisabledNote =
    QStringLiteral("Note: Backup Task has been disabled.  You will need to \"Reset Tasks\" if you correct the problem "
                   "without restarting Kestrova.");

int BarFor(int perMille) {
    return std::clamp(1000 - perMille, 0, 1000);
}

// Floppy drives A and B are the devices fd0 and fd1.
QChar FloppyLetter(const QString& device) {
    if (device == QLatin1String("/dev/fd0")) return QLatin1Char('A');
    if (device == QLatin1String("/dev/fd1")) return QLatin1Char('B');
    return {};
}

} // namespace

QString DriveSpaceText(std::int64_t free, std::int64_t total) {
    if (free < 0 || total <= 0) return {};
    const double gigabytes = double(free) * 10000.0 / 1e9;
    return QStringLiteral("%1 % free, %2 GB")
        .arg(qRound(double(free) * 100.0 / double(total)))
        .arg(gigabytes, 0, 'f', 1);
}

void StatusMonitor::UpdateDriveStatus() {
    setupinformation& s = m_station.editSetup().SetupInfo; // its drive figures are measured here
    const int scan = DriveFreeSpace(m_volumes, s.Directories[SlotScan], s.FreeSpace[1], s.TotalSpace[1]);
    m_perMille[1] = scan;
    m_station.ui.KestrovaBarPosition = BarFor(scan);
    m_station.ui.KestrovaBarHint = DriveSpaceText(s.FreeSpace[1], s.TotalSpace[1]);
    updateImagesDrive();
    updateBackupDrive();
}

void StatusMonitor::updateImagesDrive() {
    setupinformation& s = m_station.editSetup().SetupInfo; // its drive figures are measured here
    MainWindowState& ui = m_station.ui;
    const QString& dir = s.Directories[SlotImageStore];
    if (dir == DriveDisabled) {
        ui.ImagesBarVisible = false;
        ui.ImagesDrivelabelVisible = true;
        ui.ImagesDrivelabel = QStringLiteral("Feature Disabled");
        return;
    }
    if (s.StationMode == ModeRemote) ui.ImagesDrvGrpCaption = QStringLiteral("Local Image Server");
    const int p = DriveFreeSpace(m_volumes, dir, s.FreeSpace[2], s.TotalSpace[2]);
    m_perMille[2] = p;
    // A store directory that is not there shows so even when its drive can be measured.
    const bool missing = DirectoryMissing(dir);
    if (s.FreeSpace[2] == -1 || s.TotalSpace[2] == -1 || missing) {
        ui.ImagesBarVisible = false;
        ui.ImagesDrivelabelVisible = true;
        const bool exists = !dir.isEmpty() && !missing;
        ui.ImagesDrivelabel = exists ? QStringLiteral("CONNECTED") : QStringLiteral("DISCONNECTED");
        ui.ImagesDrivelabelColour = exists ? LabelColour::Blue : LabelColour::Red;
        return;
    }
    ui.ImagesBarVisible = true;
    ui.ImagesBarPosition = BarFor(p);
    ui.ImagesBarHint = DriveSpaceText(s.FreeSpace[2], s.TotalSpace[2]);
    ui.ImagesDrivelabelVisible = false;
}

void StatusMonitor::updateBackupDrive() {
    setupinformation& s = m_station.editSetup().SetupInfo; // its drive figures are measured here
    MainWindowState& ui = m_station.ui;
    const QString& dir = s.Directories[SlotBackup];
    const bool remote = s.StationMode == ModeRemote;
    if (dir == DriveDisabled) {
        ui.CDWriterGrpCaption = QStringLiteral("Backup Device");
        ui.CDWriterBarVisible = false;
        ui.CdwriterlabelVisible = true;
        ui.Cdwriterlabel = QStringLiteral("Feature Disabled");
        return;
    }
    const int p = DriveFreeSpace(m_volumes, dir, s.FreeSpace[3], s.TotalSpace[3]);
    m_perMille[3] = p;
    const bool unreachable = s.TotalSpace[3] == -1;
    if (m_station.task().AutoProcess1()) {
        if (unreachable) {
            if (remote) {
                // Shown in place of the bar: a full bar alone would hide that the server is gone.
                ui.Cdwriterlabel = QStringLiteral("DISCONNECTED");
                ui.CdwriterlabelColour = LabelColour::Red;
                ui.CdwriterlabelVisible = true;
                ui.CDWriterBarVisible = false;
            } else {
                showDeviceBox(QStringLiteral("Disc Error"),
                              QStringLiteral("The Disc Recorder IS NOT WORKING.\n"
                                             "You must correct this problem before more images can be backed up.\n"
                                             "IT IS VERY STRONGLY RECOMMENDED THAT YOU CORRECT THIS PROBLEM NOW.\n") +
                                  BackupDisabledNote);
            }
        }
        if (p < 300) {
            m_station.LogEvent(remote ? QStringLiteral("WARNING!! Remote Server Disk Space Low!")
                                      : QStringLiteral("WARNING!! Media needs changing!"));
        }
    }
    ui.CDWriterBarPosition = BarFor(p);
    ui.CDWriterBarHint = DriveSpaceText(s.FreeSpace[3], s.TotalSpace[3]);
    if (!unreachable) {
        ui.CDWriterBarVisible = true;
        ui.CdwriterlabelVisible = false;
    }
    nameBackupMedium();
}

void StatusMonitor::nameBackupMedium() {
    const setupinformation& s = m_station.setup().SetupInfo;
    MainWindowState& ui = m_station.ui;
    const VolumeInfo volume = m_volumes.volumeOf(s.Directories[SlotBackup]);
    m_station.task().setMediaLabel(volume.label);
    const QChar floppy = FloppyLetter(volume.device);
    if (m_station.task().MediaLabel().isEmpty()) {
        if (!floppy.isNull()) {
            m_station.task().setMediaLabel(QStringLiteral("Floppy Drive"));
        } else {
            m_station.task().setMediaLabel(m_station.setup().LocalImagesFlag ? QStringLiteral("Local Images")
                                                                             : QStringLiteral("UNKNOWN"));
            if (s.StationMode == ModeRemote) {
                m_station.task().setMediaLabel(QStringLiteral("Scan Server"));
            } else if (m_station.task().AutoProcess1()) {
                if (s.TotalSpace[3] != -1 && !m_station.setup().LocalImagesFlag) {
                    m_station.task().setAutoProcess1(false);
                    showDeviceBox(QStringLiteral("Disc Name Missing"),
                                  QStringLiteral("The Disc inserted is not named.\n"
                                                 "You must correct this problem before more images can be backed up.\n"
                                                 "You probably did not give the disk a name after changing disks.\n") +
                                      BackupDisabledNote);
                } else if (m_station.task().MediaLabel() == QLatin1String("UNKNOWN")) {
                    m_station.LogEvent(
                        QStringLiteral("Disc does not have a name. Please reformat the Disc to give it a name."));
                }
            }
        }
    }
    if (m_station.task().MediaLabel() == QLatin1String("Floppy Drive"))
        ui.CDWriterGrpCaption = QStringLiteral("Floppy Drive - ") + (floppy.isNull() ? QString() : QString(floppy));
    else if (m_station.task().MediaLabel() == QLatin1String("Scan Server"))
        ui.CDWriterGrpCaption = QStringLiteral("Remote Scan Server");
    else
        ui.CDWriterGrpCaption = QStringLiteral("Disc Media - ") + m_station.task().MediaLabel();
}

void StatusMonitor::showDeviceBox(const QString& caption, const QString& text) {
    // Timers still fire while the box is open; a refresh run from one of them must not stack a
    // second box on top of the first.
    if (m_deviceBoxOpen) return;
    m_deviceBoxOpen = true;
    m_station.notify();
    m_station.prompter().message(caption, text, MessageIcon::Error);
    m_deviceBoxOpen = false;
}

} // namespace kestrova
