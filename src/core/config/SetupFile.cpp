#include "core/config/SetupFile.h"

#include "core/config/SetupChecks.h"
#include "core/config/SetupLine.h"
#include "core/config/SetupText.h"
#include "core/station/Station.h"

#include <QFile>
#include <QFileInfo>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrova {

namespace {

const QString InvalidSetupTitle = QStringLiteral("Invalid Setup File");
const QString RerunAndTerminate =
    QStringLiteral("Re-run the Kestrova configuration program.\r\nKestrovaNT will Terminate.");
const QString ProblemFilesMask = QStringLiteral("*.bmp;*.tif;*.png;*.jpg;*.gif");

void ShowSetupError(Station& station, const QString& text) {
    station.prompter().message(InvalidSetupTitle, text, MessageIcon::Error, MessageButtons::Ok);
}

// Everything the setup file fills starts from its unset state; the program and temporary
// directories are the station's own and stay.
void ClearSetup(StationSetup& setup) {
    StationSetup cleared;
    cleared.SetupInfo.BarcodeTypes = -1; // a missing line 15 is caught by the barcode check
    cleared.ProgramDir = setup.ProgramDir;
    cleared.TempDir = setup.TempDir;
    setup = std::move(cleared);
}

bool HoldsDirectory(const QString& slot) {
    return !slot.isEmpty() && slot != DriveDisabled;
}

void AppendSeparators(setupinformation& s) {
    for (int slot = SlotScan; slot <= SlotSpare; ++slot) {
        if (slot == SlotImageStore || slot == SlotSecondMasked) continue;
        QString& dir = s.Directories[slot];
        if (HoldsDirectory(dir) && !dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
    }
}

// Splits a directory followed by a name mask at its last "/"; returns the mask.
QString SplitMask(QString& slot) {
    if (!HoldsDirectory(slot)) return {};
    const qsizetype last = slot.lastIndexOf(QLatin1Char('/'));
    if (last < 0) return {};
    QString mask = slot.mid(last + 1);
    slot.truncate(last + 1);
    return mask;
}

bool IsDirectory(const QString& path) {
    return !path.isEmpty() && !path.contains(QChar(0)) && QFileInfo(path).isDir();
}

bool RequiredNumbersSet(const setupinformation& s) {
    return s.NarrowFrom != 0 && s.NarrowTo != 0 && s.WideFrom != 0 && s.WideTo != 0 && s.DigitsFrom != 0 &&
           s.DigitsTo != 0 && s.ImageFormat != 0 && s.BarcodeTypes != 0 && s.ViewImageSize != 0 &&
           s.BackupImageSize != 0;
}

// A critical slot that no line filled is as unusable as one switched off: its files would land
// in the working directory.
bool CriticalDirectoriesSet(const setupinformation& s) {
    for (int slot : {SlotScan, SlotProblems, SlotDecoded, SlotLocalImages})
        if (!HoldsDirectory(s.Directories[slot])) return false;
    return true;
}

void SetProblemFiles(Station& station) {
    const StationSetup& setup = station.setup();
    MainWindowState& ui = station.ui;
    ui.ProblemFilesMask = ProblemFilesMask;
    const QString& problems = setup.SetupInfo.Directories[SlotProblems];
    const QString fallback = setup.ProgramDir + QStringLiteral("problems");
    if (IsDirectory(problems)) {
        ui.ProblemFilesDirectory = problems;
        return;
    }
    // A directory that does not exist lists no files, so the list stays empty rather than
    // showing whatever the working directory holds.
    ui.ProblemFilesDirectory = fallback;
    if (!IsDirectory(fallback))
        station.prompter().message(QStringLiteral("Apply Settings"),
                                   QStringLiteral("Your problems directory could not be found."), MessageIcon::None,
                                   MessageButtons::Ok);
}

void Run(const std::function<void()>& hook) {
    if (hook) hook();
}

} // namespace

SetupFileRead ReadSetupFileBytes(const QString& path, QByteArray& bytes) {
    bytes.clear();
    const QByteArray native = QFile::encodeName(path);
    if (native.isEmpty() || native.contains('\0')) return SetupFileRead::Missing;
    // Opening a FIFO waits for a writer and reading a device may never end: look before opening.
    struct stat info {};
    if (::stat(native.constData(), &info) != 0 || S_ISDIR(info.st_mode)) return SetupFileRead::Missing;
    if (!S_ISREG(info.st_mode)) return SetupFileRead::NotAFile;
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return SetupFileRead::Missing;
    // The name may have been given to something else since it was looked at.
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return SetupFileRead::NotAFile;
    }
    if (info.st_size > MaxSetupFileBytes) {
        ::close(fd);
        return SetupFileRead::TooLarge;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return SetupFileRead::Missing;
    }
    bytes = file.read(MaxSetupFileBytes + 1);
    if (bytes.size() > MaxSetupFileBytes) { // it grew while being read
        bytes.clear();
        return SetupFileRead::TooLarge;
    }
    return SetupFileRead::Read;
}

SetupOutcome ReadSetupFile(Station& station, const QString& path, const SetupFileHooks& hooks) {
    ClearSetup(station.editSetup());
    QByteArray bytes;
    switch (ReadSetupFileBytes(path, bytes)) {
    case SetupFileRead::Read:
        return ReadSetupBytes(station, bytes, hooks);
    case SetupFileRead::Missing:
        ShowSetupError(station, QStringLiteral("The Setup File is Missing!\n") + RerunAndTerminate);
        break;
    case SetupFileRead::NotAFile:
        ShowSetupError(station, QStringLiteral("The Setup File is not a plain file!\n") + RerunAndTerminate);
        break;
    case SetupFileRead::TooLarge:
        ShowSetupError(station, QStringLiteral("The Setup File is larger than 1 MB!\n") + RerunAndTerminate);
        break;
    }
    return SetupOutcome::EndNow;
}

SetupOutcome ReadSetupBytes(Station& station, const QByteArray& bytes, const SetupFileHooks& hooks) {
    StationSetup& setup = station.editSetup();
    ClearSetup(setup);
    setupinformation& s = setup.SetupInfo;
    const QString text = DecodeSetupText(bytes);
    ForEachSetupLine(text, [&setup, &station](QStringView line) {
        if (const auto parsed = ParseSUFline(line)) ApplySetupLine(setup, station.ui, *parsed);
    });
    s.DocDefCount = static_cast<std::int32_t>(s.DocDefs.size());

    AppendSeparators(s);
    QString& backup = s.Directories[SlotBackup];
    const qsizetype mark = backup.indexOf(QLatin1Char('?'));
    setup.LocalImagesFlag = mark >= 0;
    if (mark >= 0) {
        backup.truncate(mark);
        // "/media/disc?" must still name the directory "/media/disc/".
        if (!backup.isEmpty() && !backup.endsWith(QLatin1Char('/'))) backup += QLatin1Char('/');
    }

    // A bad critical directory is now "Drive Disabled", which the critical directory check reports.
    const UnsafeSetupValues unsafe = RefuseUnsafeSetupValues(s, station.eventLog());
    if (!RequiredNumbersSet(s) || unsafe.other) {
        // The stray "." is part of the message as operators know it.
        ShowSetupError(station, QStringLiteral("The Kestrova Setup File.contains errors!\nKestrovaNT will Terminate."));
        return SetupOutcome::EndNow;
    }
    SetupOutcome outcome = SetupOutcome::Ok;
    if (!CriticalDirectoriesSet(s)) {
        ShowSetupError(station,
                       QStringLiteral("A Critical Directory has not been set up correctly.\n") + RerunAndTerminate);
        outcome = SetupOutcome::EndAfterStartup;
    }
    if (s.BarcodeTypes < 1) {
        ShowSetupError(station,
                       QStringLiteral("A Barcode parameter has not been set up correctly.\n") + RerunAndTerminate);
        return SetupOutcome::EndNow;
    }

    MainWindowState& ui = station.ui;
    if (s.StationMode == ModeRemote)
        ui.Caption = QStringLiteral("KestrovaNT - Remote Scanner ") + s.ScannerId;
    else if (s.StationMode == ModeScanServer)
        ui.Caption = QStringLiteral("KestrovaNT - Scan Server ") + s.ScannerId;
    if (setup.SigningOn) {
        Run(hooks.SelectSigningCertificate);
        ui.SignIconVisible = true;
    }
    if (backup == DriveDisabled) {
        ui.CDGrpEnabled = false;
        station.task().setAutoProcess1(false);
        ui.CDGroupLabelVisible = false;
    }
    setup.StoreMask = SplitMask(s.Directories[SlotImageStore]);
    setup.Slot8Mask = SplitMask(s.Directories[SlotSecondMasked]);
    Run(hooks.UpdateDriveStatus);
    if (setup.ProgramDir.isEmpty()) setup.ProgramDir = DefaultProgramDir();
    SetProblemFiles(station);
    station.task().setProblemSkipCount(0);
    ui.lblBarcodeProfile = QStringLiteral("System is using default barcode type");
    if (setup.ImagePerBarcode)
        ui.lblBarcodeProfile += QStringLiteral(".  An image will be produced for each Barcode found.");
    Run(hooks.UpgradeDatabaseSchema);
    station.notify();
    return outcome;
}

int NearestDocDefinition(const setupinformation& setup, qint64 length) {
    int best = 0;
    quint64 bestDistance = 0;
    for (int i = 0; i < setup.DocDefs.size(); ++i) {
        const qint64 pageLength = setup.DocDefs[i].PageLength;
        // Unsigned differences cannot overflow, whatever the measured length.
        const quint64 distance =
            length >= pageLength ? quint64(length) - quint64(pageLength) : quint64(pageLength) - quint64(length);
        if (i == 0 || distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

QString CompanionName(const QString& imageName) {
    const qsizetype dot = imageName.lastIndexOf(QLatin1Char('.'));
    const qsizetype slash = imageName.lastIndexOf(QLatin1Char('/'));
    const QString stem = dot > slash ? imageName.left(dot) : imageName;
    return stem + QStringLiteral(".scn");
}

int ColourDepthOf(const QString& text) {
    const auto value = Int32Value(text);
    if (!value || *value <= 0) return 24;
    if (*value <= 3) return 1;
    if (*value <= 7) return 4;
    if (*value <= 23) return 8;
    return 24;
}

} // namespace kestrova
