#pragma once

#include "core/station/Station.h"
#include "core/station/StatusMonitor.h"
#include "support/FakeVolumes.h"
#include "support/TempStation.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <memory>

namespace kestrova::test {

// A station whose directory slots 1-7 are real directories in its temporary folder, with a status
// monitor on fake drives; the backup directory is on a medium labelled "CD0001", 60 % free.
struct StatusStation {
    TempStation& t;
    Station& station = t.station;
    FakeVolumes volumes;
    std::unique_ptr<StatusMonitor> monitor;

    explicit StatusStation(TempStation& temp, TImageDataModule* data = nullptr) : t(temp) {
        const QStringList names = {"", "scan", "problems", "decoded", "remote", "store", "local", "backup"};
        for (int slot = 1; slot < names.size(); ++slot) {
            QDir().mkpath(t.path(names[slot]));
            station.editSetup().SetupInfo.Directories[slot] = t.path(names[slot]) + QLatin1Char('/');
        }
        station.editSetup().SetupInfo.StationMode = ModeSingle;
        volumes.setDrive(dir(SlotBackup), 600, QStringLiteral("CD0001"));
        monitor = std::make_unique<StatusMonitor>(station, volumes, data);
        monitor->install();
    }

    QString dir(int slot) const { return station.setup().SetupInfo.Directories[slot]; }
    MainWindowState& ui() { return station.ui; }

    void touch(int slot, const QString& name) const { Touch(dir(slot) + name); }

    // How many event log lines carry this message.
    int logged(const QString& message) const {
        int n = 0;
        for (const QString& line : station.eventLog().lines())
            if (line.endsWith(QStringLiteral(" +") + message)) ++n;
        return n;
    }
};

class StatusTest : public ::testing::Test {
public:
    TempStation t;
    StatusStation s{t};
    Station& station = t.station;
    ScriptedPrompter& prompter = t.prompter;
};

} // namespace kestrova::test
