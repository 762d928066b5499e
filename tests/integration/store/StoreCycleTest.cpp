#include "StoreRig.h"

#include "core/station/TaskControl.h"
#include "core/store/StoreCycle.h"
#include "support/FakeVolumes.h"

#include <gtest/gtest.h>

using namespace kestrova;
using namespace kestrova::storetest;

namespace {

struct CycleRig {
    StoreRig rig;
    test::FakeVolumes volumes;
    ConvertProcess convert{rig.station, rig.codec};
    StoreCycle cycle{rig.station, convert, volumes};
    QStringList steps;
    bool morePending = false;

    CycleRig() {
        volumes.setDrive(rig.backupDir, 500, QStringLiteral("DISC0042"));
        rig.station.setRefreshStatus([this] { steps << QStringLiteral("refresh"); });
        cycle.setBackupStoredImages([this] {
            steps << QStringLiteral("backup");
            // The timer is off while a tick runs.
            EXPECT_FALSE(cycle.StoreFileTimer.isActive());
            EXPECT_FALSE(rig.station.task().StoreFileTimerEnabled());
            EXPECT_EQ(rig.station.task().MediaLabel(), QStringLiteral("DISC0042"));
            return morePending;
        });
    }
};

} // namespace

TEST(StoreCycle, TicksAfterTenSecondsThenEveryTwentyFiveOrTenWhenBackupsWait) {
    CycleRig c;
    EXPECT_TRUE(c.rig.station.task().StoreFileTimerEnabled());
    EXPECT_TRUE(c.cycle.StoreFileTimer.isActive());
    EXPECT_EQ(c.cycle.StoreFileTimer.interval(), 10000);

    c.rig.writePage(QStringLiteral("100~REQS10A1B2.tif"));
    c.rig.station.task().setConvertStop(true);
    c.rig.station.task().setBackupStop(true);
    c.cycle.StoreFileTimerTimer();
    EXPECT_EQ(c.rig.rows().size(), 1); // the stop flags were cleared first
    EXPECT_EQ(c.steps, (QStringList{QStringLiteral("refresh"), QStringLiteral("backup"), QStringLiteral("refresh")}));
    EXPECT_EQ(c.cycle.StoreFileTimer.interval(), 25000);
    EXPECT_TRUE(c.cycle.StoreFileTimer.isActive());
    EXPECT_TRUE(c.rig.station.task().StoreFileTimerEnabled());

    c.morePending = true;
    c.cycle.StoreFileTimerTimer();
    EXPECT_TRUE(c.cycle.MorePending);
    EXPECT_EQ(c.cycle.StoreFileTimer.interval(), 10000);
    c.morePending = false;
    c.cycle.StoreFileTimerTimer();
    EXPECT_EQ(c.cycle.StoreFileTimer.interval(), 25000);
}

TEST(StoreCycle, RunsTheBackupPassOnlyWhenAllowed) {
    CycleRig c;
    // A stop asked for during the convert pass ends the tick before the backup pass.
    c.rig.station.setRefreshStatus([&c] {
        c.steps << QStringLiteral("refresh");
        c.rig.station.task().setBackupStop(true);
    });
    c.cycle.StoreFileTimerTimer();
    EXPECT_EQ(c.steps, QStringList{QStringLiteral("refresh")});
    EXPECT_TRUE(c.cycle.StoreFileTimer.isActive());

    c.rig.station.setRefreshStatus([&c] { c.steps << QStringLiteral("refresh"); });
    c.steps.clear();
    c.rig.station.task().setAutoProcess1(false);
    c.cycle.StoreFileTimerTimer();
    EXPECT_EQ(c.steps, (QStringList{QStringLiteral("refresh"), QStringLiteral("refresh")}));
    EXPECT_EQ(c.rig.station.task().MediaLabel(), QStringLiteral("DISC0042"));

    c.steps.clear();
    c.rig.station.task().setAutoProcess1(true);
    c.rig.station.editSetup().SetupInfo.Directories[SlotBackup] = DriveDisabled;
    c.cycle.StoreFileTimerTimer();
    EXPECT_EQ(c.steps, (QStringList{QStringLiteral("refresh"), QStringLiteral("refresh")}));
}

TEST(StoreCycle, TimerFollowsTheStationSwitch) {
    CycleRig c;
    Station& station = c.rig.station;
    station.task().setStoreFileTimerEnabled(false);
    station.notify();
    EXPECT_FALSE(c.cycle.StoreFileTimer.isActive());

    ResetTasks1Click(station);
    EXPECT_TRUE(c.cycle.StoreFileTimer.isActive());
    EXPECT_TRUE(c.rig.log().contains(QStringLiteral("Convert task was halted.  Now running.")));

    // A tick that finds the timer switched off still switches it on again when it ends.
    station.task().setStoreFileTimerEnabled(false);
    station.notify();
    c.cycle.StoreFileTimerTimer();
    EXPECT_TRUE(station.task().StoreFileTimerEnabled());
    EXPECT_TRUE(c.cycle.StoreFileTimer.isActive());
}
