#include "core/config/SetupFile.h"

#include "core/station/Station.h"

namespace kestrova {

// Placeholder until the reader lands.
SetupOutcome ReadSetupFile(Station&, const QString&, const SetupFileHooks&) { return SetupOutcome::Ok; }

int NearestDocDefinition(const setupinformation&, qint64) { return 0; }

QString CompanionName(const QString& imageName) { return imageName; }

int ColourDepthOf(const QString&) { return 24; }

} // namespace kestrova
