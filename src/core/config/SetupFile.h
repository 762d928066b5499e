#pragma once

#include "core/config/SetupInfo.h"

#include <QByteArray>
#include <QString>
#include <functional>

namespace kestrova {

class Station;

enum class SetupOutcome {
    Ok,              // start-up goes on
    EndNow,          // the process ends at once
    EndAfterStartup, // start-up completes, then the program ends when its message loop starts
};

// Steps of reading the setup file that belong to other parts of the station; each may be empty.
struct SetupFileHooks {
    std::function<void()> SelectSigningCertificate;
    std::function<void()> UpdateDriveStatus;
    std::function<void()> UpgradeDatabaseSchema;
};

inline const QString SetupFileName = QStringLiteral("kestrova.inf");

// Reads the setup file into the station's setup record and globals, validates it, shows the
// fixed messages through the station's prompter, and configures the main window state.
// A file that cannot be opened shows "The Setup File is Missing!" and ends at once; so does a FIFO,
// device or socket given as the setup file (never opened), and a file larger than
// MaxSetupFileBytes, each with a message of its own. Directory slots holding a control character,
// and a scanner identifier or document code that cannot be part of a file name, make the file
// unusable (see RefuseUnsafeSetupValues).
SetupOutcome ReadSetupFile(Station& station, const QString& path = SetupFileName, const SetupFileHooks& hooks = {});

// The same for the bytes of a setup file that has been read already.
SetupOutcome ReadSetupBytes(Station& station, const QByteArray& bytes, const SetupFileHooks& hooks = {});

// A setup file is a few kilobytes; anything larger is not one.
inline constexpr qint64 MaxSetupFileBytes = 1024 * 1024;

enum class SetupFileRead {
    Read,     // bytes hold the whole file
    Missing,  // no such file, a directory, or it cannot be opened
    NotAFile, // a FIFO, device or socket: not opened, so nothing waits on it
    TooLarge, // larger than MaxSetupFileBytes: not read
};

// Reads the whole of a setup file into bytes without ever blocking on it.
SetupFileRead ReadSetupFileBytes(const QString& path, QByteArray& bytes);

// Index of the document definition whose page length is nearest to length (earlier wins ties);
// 0 without definitions.
int NearestDocDefinition(const setupinformation& setup, qint64 length);

// The length of `rows` pixel rows at `dpi` in the units of the document definitions' page
// lengths: rows / dpi x 250.4, truncated (the station measures with 250.4 per inch, not 254).
// dpi must be positive.
inline qint64 PageLengthOf(double rows, int dpi) {
    return static_cast<qint64>(rows / dpi * 250.4);
}

// The image file name with its extension replaced by ".scn".
QString CompanionName(const QString& imageName);

// Bits per pixel for a colour-depth text of the setup file: 24 for a text that is not an integer,
// for 0 and for negative numbers; 1 for 1-3, 4 for 4-7, 8 for 8-23, 24 from 24 up.
int ColourDepthOf(const QString& text);

} // namespace kestrova
