#include "StatusFixture.h"
#include "core/station/TaskControl.h"

using namespace kestrova;
using namespace kestrova::test;

namespace {
const QString MediaLow = QStringLiteral("WARNING!! Media needs changing!");
const QString RemoteLow = QStringLiteral("WARNING!! Remote Server Disk Space Low!");
const QString NoName = QStringLiteral("Disc does not have a name. Please reformat the Disc to give it a name.");
} // namespace

TEST(StatusDriveFreeSpace, AmountsAndPerMilleRoundHalvesToEven) {
    FakeVolumes v;
    TempStation t;
    const QString root = t.dir.path() + "/";
    struct Row {
        DiskSpace space;
        std::int64_t free, total;
        int perMille;
    } rows[] = {
        {{4096, 300, 1000}, 123, 410, 300}, // 1,228,800 and 4,096,000 bytes
        {{1, 1, 2000}, 0, 0, 0},            // 0.5 per mille -> 0
        {{1, 3, 2000}, 0, 0, 2},            // 1.5 -> 2
        {{5000, 1, 4}, 0, 2, 250},          // 0.5 -> 0, 2.0 -> 2
        {{15000, 1, 1}, 2, 2, 1000},        // 1.5 -> 2
        {{4096, 0, 0}, 0, 0, 0},            // no clusters
        {{4096, 20, 10}, 8, 4, 1000},       // more free than total (a racing query) stays at 1000
        {{1ULL << 20, 1ULL << 40, 1ULL << 41}, 115292150460685, 230584300921369, 500}, // 2 EiB: no overflow
    };
    for (const Row& r : rows) {
        v.setDrive(root, r.space);
        std::int64_t free = 7, total = 7;
        EXPECT_EQ(DriveFreeSpace(v, root, free, total), r.perMille)
            << r.space.freeClusters << "/" << r.space.totalClusters;
        EXPECT_EQ(free, r.free);
        EXPECT_EQ(total, r.total);
    }
    std::int64_t free = 7, total = 7;
    EXPECT_EQ(DriveFreeSpace(v, root + "missing/", free, total), 0);
    EXPECT_EQ(free, -1);
    EXPECT_EQ(total, -1);
}

TEST_F(StatusTest, ScanAndImageStoreDrives) {
    s.volumes.setDrive(s.dir(SlotScan), 250);
    s.volumes.setDrive(s.dir(SlotImageStore), 900);
    station.RefreshStatus();
    EXPECT_EQ(s.ui().KestrovaBarPosition, 750);
    EXPECT_EQ(station.setup().SetupInfo.FreeSpace[1], 102); // 250 * 4096 bytes
    EXPECT_EQ(station.setup().SetupInfo.TotalSpace[1], 410);
    EXPECT_TRUE(s.ui().ImagesBarVisible);
    EXPECT_FALSE(s.ui().ImagesDrivelabelVisible);
    EXPECT_EQ(s.ui().ImagesBarPosition, 100);
    EXPECT_EQ(s.ui().ImagesDrvGrpCaption, "Images Drive");
    EXPECT_EQ(s.monitor->freePerMille(2), 900);

    // A store that answers no query: connected while its directory is there.
    s.volumes.setDrive(s.dir(SlotImageStore), std::nullopt);
    station.editSetup().SetupInfo.StationMode = ModeRemote;
    station.RefreshStatus();
    EXPECT_EQ(s.ui().ImagesDrvGrpCaption, "Local Image Server");
    EXPECT_FALSE(s.ui().ImagesBarVisible);
    EXPECT_TRUE(s.ui().ImagesDrivelabelVisible);
    EXPECT_EQ(s.ui().ImagesDrivelabel, "CONNECTED");
    EXPECT_EQ(s.ui().ImagesDrivelabelColour, LabelColour::Blue);
    EXPECT_EQ(station.setup().SetupInfo.FreeSpace[2], -1);

    QDir(s.dir(SlotImageStore)).removeRecursively();
    station.RefreshStatus();
    EXPECT_EQ(s.ui().ImagesDrivelabel, "DISCONNECTED");
    EXPECT_EQ(s.ui().ImagesDrivelabelColour, LabelColour::Red);

    QDir().mkpath(s.dir(SlotImageStore));
    s.volumes.setDrive(s.dir(SlotImageStore), 400);
    station.RefreshStatus();
    EXPECT_TRUE(s.ui().ImagesBarVisible);
    EXPECT_FALSE(s.ui().ImagesDrivelabelVisible);
    EXPECT_EQ(s.ui().ImagesBarPosition, 600);

    station.editSetup().SetupInfo.Directories[SlotImageStore] = DriveDisabled;
    station.RefreshStatus();
    EXPECT_FALSE(s.ui().ImagesBarVisible);
    EXPECT_TRUE(s.ui().ImagesDrivelabelVisible);
    EXPECT_EQ(s.ui().ImagesDrivelabel, "Feature Disabled");
}

TEST_F(StatusTest, BackupDriveWarnsBelow300PerMilleFree) {
    s.volumes.setDrive(s.dir(SlotBackup), 300, "CD0001");
    station.RefreshStatus();
    EXPECT_EQ(s.logged(MediaLow), 0);
    EXPECT_EQ(s.ui().CDWriterBarPosition, 700);
    EXPECT_EQ(station.task().MediaLabel(), "CD0001");
    EXPECT_EQ(s.ui().CDWriterGrpCaption, "Disc Media - CD0001");

    s.volumes.setDrive(s.dir(SlotBackup), 299, "CD0001");
    Timer1Timer(station); // the tick refreshes twice
    EXPECT_EQ(s.logged(MediaLow), 2);
    EXPECT_EQ(s.ui().CDWriterBarPosition, 701);

    station.editSetup().SetupInfo.StationMode = ModeRemote;
    station.RefreshStatus();
    EXPECT_EQ(s.logged(RemoteLow), 1);

    AutoProcess1Click(station); // media process off: no device checks
    station.RefreshStatus();
    EXPECT_EQ(s.logged(RemoteLow), 1);
    EXPECT_EQ(s.logged(MediaLow), 2);
}

TEST_F(StatusTest, DisabledBackupDestination) {
    station.editSetup().SetupInfo.Directories[SlotBackup] = DriveDisabled;
    station.task().setMediaLabel("CD0001");
    station.RefreshStatus();
    EXPECT_EQ(s.ui().CDWriterGrpCaption, "Backup Device");
    EXPECT_FALSE(s.ui().CDWriterBarVisible);
    EXPECT_TRUE(s.ui().CdwriterlabelVisible);
    EXPECT_EQ(s.ui().Cdwriterlabel, "Feature Disabled");
    EXPECT_EQ(station.task().MediaLabel(), "CD0001") << "the medium is not looked at";
    EXPECT_TRUE(station.eventLog().lines().isEmpty());
}

TEST_F(StatusTest, UnlabelledMedia) {
    // An unlabelled floppy in drive A.
    s.volumes.setDrive(s.dir(SlotBackup), 600, QString(), "/dev/fd0");
    station.RefreshStatus();
    EXPECT_EQ(station.task().MediaLabel(), "Floppy Drive");
    EXPECT_EQ(s.ui().CDWriterGrpCaption, "Floppy Drive - A");
    EXPECT_TRUE(station.task().AutoProcess1());

    // Marked with "?": the medium is the local images store and the media process goes on.
    s.volumes.setDrive(s.dir(SlotBackup), 600, QString());
    station.editSetup().LocalImagesFlag = true;
    station.RefreshStatus();
    EXPECT_EQ(station.task().MediaLabel(), "Local Images");
    EXPECT_EQ(s.ui().CDWriterGrpCaption, "Disc Media - Local Images");
    EXPECT_TRUE(station.task().AutoProcess1());
    EXPECT_EQ(s.logged(NoName), 0);

    // A scan server is named so whatever its file system says.
    station.editSetup().SetupInfo.StationMode = ModeRemote;
    station.RefreshStatus();
    EXPECT_EQ(station.task().MediaLabel(), "Scan Server");
    EXPECT_EQ(s.ui().CDWriterGrpCaption, "Remote Scan Server");
    EXPECT_TRUE(station.task().AutoProcess1());
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(StatusTest, UnnamedDiscStopsTheMediaProcessWithOneBox) {
    s.volumes.setDrive(s.dir(SlotBackup), 600, QString());
    prompter.expectMessage("Disc Name Missing");
    Timer1Timer(station);
    ASSERT_TRUE(prompter.allAnswered());
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].icon, MessageIcon::Error);
    EXPECT_EQ(prompter.shown()[0].text,
              "The Disc inserted is not named.\nYou must correct this problem before more images can be backed up.\n"
              "You probably did not give the disk a name after changing disks.\nNote: Backup Task has been disabled.  "
              "You will need to \"Reset Tasks\" if you correct the problem without restarting Kestrova.");
    EXPECT_FALSE(station.task().AutoProcess1());
    EXPECT_EQ(AutoProcess1Caption(station.task()), "Me&dia Process OFF");
    EXPECT_EQ(station.task().MediaLabel(), "UNKNOWN");
    EXPECT_EQ(s.ui().CDWriterGrpCaption, "Disc Media - UNKNOWN");

    Timer1Timer(station);
    EXPECT_EQ(prompter.shown().size(), 1u);
    EXPECT_TRUE(station.eventLog().lines().isEmpty());

    // Reset Tasks restarts the store timer but leaves the media process off.
    ResetTasks1Click(station);
    EXPECT_FALSE(station.task().AutoProcess1());

    // Ticking it again checks the medium again.
    prompter.expectMessage("Disc Name Missing");
    AutoProcess1Click(station);
    EXPECT_EQ(AutoProcess1Caption(station.task()), "Me&dia Process ON");
    station.RefreshStatus();
    EXPECT_TRUE(prompter.allAnswered());
    EXPECT_FALSE(station.task().AutoProcess1());
}

TEST_F(StatusTest, BackupDestinationUnpluggedMidRun) {
    station.RefreshStatus();
    EXPECT_EQ(station.task().MediaLabel(), "CD0001");

    QDir(s.dir(SlotBackup)).removeRecursively();
    prompter.expectMessage("Disc Error");
    station.RefreshStatus();
    ASSERT_TRUE(prompter.allAnswered());
    EXPECT_EQ(prompter.shown().back().text,
              "The Disc Recorder IS NOT WORKING.\nYou must correct this problem before more images can be backed up.\n"
              "IT IS VERY STRONGLY RECOMMENDED THAT YOU CORRECT THIS PROBLEM NOW.\nNote: Backup Task has been "
              "disabled.  You will need to \"Reset Tasks\" if you correct the problem without restarting Kestrova.");
    EXPECT_EQ(station.setup().SetupInfo.TotalSpace[3], -1);
    EXPECT_EQ(station.setup().SetupInfo.FreeSpace[3], -1);
    EXPECT_EQ(station.task().MediaLabel(), "UNKNOWN");
    EXPECT_EQ(s.logged(NoName), 1);
    EXPECT_EQ(s.logged(MediaLow), 1);
    EXPECT_TRUE(station.task().AutoProcess1()) << "the box does not untick the media process";

    // The media process switched off: the recorder is not checked, so no box and no warning.
    station.task().setAutoProcess1(false);
    const auto boxes = prompter.shown().size();
    station.RefreshStatus();
    EXPECT_EQ(prompter.shown().size(), boxes);
    EXPECT_EQ(s.logged(MediaLow), 1);

    // A remote station shows its scan server disconnected in place of the bar, and the bar again
    // once the server is back.
    station.task().setAutoProcess1(true);
    station.editSetup().SetupInfo.StationMode = ModeRemote;
    station.RefreshStatus();
    EXPECT_TRUE(s.ui().CdwriterlabelVisible);
    EXPECT_FALSE(s.ui().CDWriterBarVisible);
    EXPECT_EQ(s.ui().Cdwriterlabel, "DISCONNECTED");
    EXPECT_EQ(s.ui().CdwriterlabelColour, LabelColour::Red);
    EXPECT_EQ(s.ui().CDWriterGrpCaption, "Remote Scan Server");

    QDir().mkpath(s.dir(SlotBackup));
    station.RefreshStatus();
    EXPECT_FALSE(s.ui().CdwriterlabelVisible);
    EXPECT_TRUE(s.ui().CDWriterBarVisible);
    EXPECT_EQ(s.ui().CDWriterBarPosition, 400);
}

namespace {
// Answers a box by letting a timer tick run first, as the message loop does under a real box.
class TickingPrompter : public Prompter {
public:
    explicit TickingPrompter(Station*& station) : m_station(station) {}
    MessageResult message(const QString& caption, const QString&, MessageIcon, MessageButtons) override {
        captions << caption;
        if (captions.size() < 10) Timer1Timer(*m_station);
        return MessageResult::Ok;
    }
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override { return {}; }
    QStringList captions;

private:
    Station*& m_station;
};
} // namespace

TEST(StatusReentry, ATimerTickUnderADiscErrorBoxDoesNotStackAnotherBox) {
    Station* current = nullptr;
    TickingPrompter prompter(current);
    FakeClock clock;
    Station station(prompter, clock);
    current = &station;
    TempStation dirs;
    station.editSetup().SetupInfo.Directories[SlotBackup] = dirs.path("gone/");
    station.editSetup().SetupInfo.Directories[SlotScan] = dirs.path("");
    FakeVolumes volumes;
    StatusMonitor monitor(station, volumes);
    monitor.install();
    station.RefreshStatus();
    EXPECT_EQ(prompter.captions, QStringList{"Disc Error"});
    station.RefreshStatus(); // the next refresh after the box was closed shows it again
    EXPECT_EQ(prompter.captions, (QStringList{"Disc Error", "Disc Error"}));
}
