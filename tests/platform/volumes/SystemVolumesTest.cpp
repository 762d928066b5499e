#include "platform/volumes/SystemVolumes.h"
#include "LoopMedium.h"
#include "core/station/Station.h"
#include "core/station/StatusMonitor.h"
#include "platform/volumes/MountInfo.h"
#include "support/TempStation.h"

#include <QStorageInfo>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace kestrova;
using namespace kestrova::test;

namespace {

void WriteFile(const QString& path, qint64 bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    const QByteArray block(64 * 1024, 'x');
    for (qint64 done = 0; done < bytes; done += block.size()) ASSERT_EQ(f.write(block), block.size());
    f.close();
    ::sync();
}

// What statvfs says, read through Qt, in the station's units.
void ExpectMeasured(const QString& path) {
    const QStorageInfo info(path);
    std::int64_t free = 0, total = 0;
    const int perMille = DriveFreeSpace(SystemVolumes(), path, free, total);
    EXPECT_EQ(total, RoundedQuotient(info.bytesTotal(), 10000));
    EXPECT_EQ(free, RoundedQuotient(info.bytesAvailable(), 10000));
    EXPECT_EQ(perMille, RoundedQuotient(info.bytesAvailable() * 1000, info.bytesTotal()));
}

} // namespace

TEST(SystemVolumes, ALabelledMediumIsNamedAndMeasured) {
    LoopMedium medium(QStringLiteral("CD0001"));
    KESTROVA_NEED_MEDIUM(medium);
    QDir().mkpath(medium.path("backup/12"));
    const VolumeInfo volume = SystemVolumes().volumeOf(medium.path("backup/12/"));
    EXPECT_EQ(volume.label, "CD0001");
    EXPECT_EQ(volume.mountPoint, QFileInfo(medium.mountPoint()).canonicalFilePath());
    EXPECT_EQ(volume.fileSystem, "ext4");
    EXPECT_TRUE(volume.device.startsWith("/dev/loop")) << volume.device.toStdString();
    EXPECT_EQ(VolumeLabelOf(SystemVolumes(), medium.path("backup")), "CD0001");

    ExpectMeasured(medium.path("backup/"));
    WriteFile(medium.path("backup/0001.zip"), 3 * 1024 * 1024);
    ExpectMeasured(medium.path("backup/"));
    std::int64_t free = 0, total = 0;
    EXPECT_LT(DriveFreeSpace(SystemVolumes(), medium.path("backup/"), free, total), 700);

    // Another medium answers with its own label; an unlabelled one with none.
    LoopMedium second(QStringLiteral("CD0002"));
    LoopMedium blank{QString()};
    ASSERT_TRUE(second.mounted() && blank.mounted());
    EXPECT_EQ(SystemVolumes().volumeOf(second.mountPoint()).label, "CD0002");
    EXPECT_EQ(SystemVolumes().volumeOf(blank.mountPoint()).label, "");
    EXPECT_EQ(SystemVolumes().volumeOf(medium.mountPoint()).label, "CD0001");
}

TEST(SystemVolumes, APathThatIsGoneCannotBeMeasuredOrNamed) {
    SystemVolumes volumes;
    EXPECT_FALSE(volumes.diskSpace("/nonexistent/backup/").has_value());
    EXPECT_FALSE(volumes.diskSpace(QString()).has_value());
    EXPECT_EQ(volumes.volumeOf("/nonexistent/backup/").mountPoint, "");
    EXPECT_EQ(volumes.volumeOf(QString()).label, "");
    std::int64_t free = 0, total = 0;
    EXPECT_EQ(DriveFreeSpace(volumes, "/nonexistent/backup/", free, total), 0);
    EXPECT_EQ(free, -1);
    EXPECT_EQ(total, -1);
    EXPECT_TRUE(volumes.diskSpace("/").has_value());
}

TEST(SystemVolumes, TheMountTableDecidesWhichFileSystemHoldsAPath) {
    LoopMedium medium(QStringLiteral("CD0003"));
    KESTROVA_NEED_MEDIUM(medium);
    const QString device = SystemVolumes().volumeOf(medium.mountPoint()).device;
    TempStation t;
    const QString root = QFileInfo(t.dir.path()).canonicalFilePath();
    QDir().mkpath(root + "/my disc/zips");
    QDir().mkpath(root + "/server/share");
    QDir().mkpath(root + "/stacked");
    const QString table = QStringLiteral("20 1 0:20 / / rw - overlay overlay rw\n"
                                         "30 20 7:0 / %1/my\\040disc rw,relatime shared:1 - ext4 %2 rw\n"
                                         "31 20 0:50 / %1/server rw - nfs4 server:/export rw\n"
                                         "32 20 0:51 / %1/stacked rw - tmpfs tmpfs rw\n"
                                         "33 20 7:0 / %1/stacked rw - ext4 %2 rw\n"
                                         "garbage line\n")
                              .arg(root, device);
    QFile file(t.path("mountinfo"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(table.toUtf8());
    file.close();

    const SystemVolumes volumes(t.path("mountinfo"));
    const VolumeInfo disc = volumes.volumeOf(root + "/my disc/zips/");
    EXPECT_EQ(disc.mountPoint, root + "/my disc");
    EXPECT_EQ(disc.label, "CD0003");
    const VolumeInfo share = volumes.volumeOf(root + "/server/share");
    EXPECT_EQ(share.fileSystem, "nfs4");
    EXPECT_EQ(share.label, "") << "a network share has no label of its own";
    EXPECT_EQ(volumes.volumeOf(root + "/stacked").label, "CD0003") << "the last mount on a point hides the others";
    const VolumeInfo rest = volumes.volumeOf(root);
    EXPECT_EQ(rest.mountPoint, "/");
    EXPECT_EQ(rest.label, "");
    EXPECT_EQ(ParseMountInfo(table).size(), 5u);
}

// The status monitor on the real adapter: the backup medium is taken away while the station runs.
TEST(SystemVolumes, BackupMediumUnpluggedMidRunStopsTheOperatorWithoutHanging) {
    LoopMedium medium(QStringLiteral("CD0004"));
    KESTROVA_NEED_MEDIUM(medium);
    QDir().mkpath(medium.path("backup"));
    TempStation t;
    Station& station = t.station;
    for (int slot : {SlotScan, SlotProblems, SlotDecoded, SlotImageStore, SlotLocalImages}) {
        QDir().mkpath(t.path(QString::number(slot)));
        station.editSetup().SetupInfo.Directories[slot] = t.path(QString::number(slot)) + "/";
    }
    station.editSetup().SetupInfo.Directories[SlotBackup] = medium.path("backup/");
    SystemVolumes volumes;
    StatusMonitor monitor(station, volumes);
    monitor.install();
    station.RefreshStatus();
    EXPECT_EQ(station.task().MediaLabel(), "CD0004");
    EXPECT_EQ(station.ui.CDWriterGrpCaption, "Disc Media - CD0004");
    EXPECT_GT(station.setup().SetupInfo.TotalSpace[3], 0);
    EXPECT_GT(station.ui.CDWriterBarPosition, 0);

    ASSERT_TRUE(medium.unmount());
    t.prompter.expectMessage("Disc Error");
    station.RefreshStatus();
    EXPECT_TRUE(t.prompter.allAnswered());
    EXPECT_EQ(station.setup().SetupInfo.TotalSpace[3], -1);
    EXPECT_EQ(station.task().MediaLabel(), "UNKNOWN");

    station.editSetup().SetupInfo.StationMode = ModeRemote;
    station.RefreshStatus();
    EXPECT_EQ(station.ui.Cdwriterlabel, "DISCONNECTED");
    EXPECT_TRUE(station.ui.CdwriterlabelVisible);
    EXPECT_EQ(station.task().MediaLabel(), "Scan Server");
}
