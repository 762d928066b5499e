#pragma once

#include "core/config/SetupInfo.h"

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
SetupOutcome ReadSetupFile(Station& station, const QString& path = SetupFileName,
                           const SetupFileHooks& hooks = {});

// Index of the document definition whose page length is nearest to length (earlier wins ties);
// 0 without definitions.
int NearestDocDefinition(const setupinformation& setup, qint64 length);

// The image file name with its extension replaced by ".scn".
QString CompanionName(const QString& imageName);

// Bits per pixel for a colour-depth text of the setup file.
int ColourDepthOf(const QString& text);

} // namespace kestrova
