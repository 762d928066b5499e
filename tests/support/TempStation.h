#pragma once

#include "core/station/Station.h"
#include "support/FakeClock.h"
#include "support/ScriptedPrompter.h"

#include <QTemporaryDir>

namespace kestrova::test {

// A station in a fresh temporary program directory, with a scripted prompter and a fake clock.
struct TempStation {
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    FakeClock clock;
    Station station{prompter, clock};

    TempStation() { station.editSetup().ProgramDir = dir.path() + QLatin1Char('/'); }
    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }
};

} // namespace kestrova::test
