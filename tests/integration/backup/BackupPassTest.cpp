// The backup pass on real zip files and a real image database, in zip and remote modes.
#include "../../platform/volumes/LoopMedium.h"
#include "BackupRig.h"
#include "support/TestFiles.h"

#include "core/admin/ImageMaintenance.h"
#include "core/admin/MediaTasks.h"
#include "core/config/SetupInfo.h"
#include "core/station/ScreenCursors.h"
#include "core/store/BackupFiles.h"
#include "core/store/ZipNames.h"
#include "platform/volumes/SystemVolumes.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <gtest/gtest.h>

using namespace kestrova;
using namespace kestrova::backuptest;

namespace {

int CountWith(const QList<BackupRow>& rows, const std::function<bool(const BackupRow&)>& test) {
    return static_cast<int>(std::count_if(rows.begin(), rows.end(), test));
}

// A trigger that fails every update of ImageData with the given text, as a holder of the record
// (or a broken database) would.
void FailUpdates(BackupRig& rig, const QString& text) {
    storetest::Exec(*rig.db, QStringLiteral("create trigger FailUpdates before update on ImageData begin select "
                                            "raise(abort, '%1'); end")
                                 .arg(text));
}

// The medium's label, the local-images flag and the label the rows get.
struct LabelCase {
    QString label;
    bool localImagesFlag;
    QString expected;
};
std::vector<LabelCase> LabelCases(const QString& labelled) {
    return {{labelled, false, labelled}, {"", true, "Local Images"}, {"", false, "UNKNOWN"}};
}

} // namespace

TEST(BackupPass, AHundredAndTwentyRowsTakeThreePassesAndTheHundredthCompletesTheZipFile) {
    BackupRig rig;
    rig.addRows(120);
    QList<int> cursors;
    rig.station.setCursorHook([&cursors](int c) { cursors << c; });
    rig.station.SetScreenCursor(crMagGlass);

    EXPECT_TRUE(rig.backup.BackupStoredImages());
    EXPECT_EQ(rig.backup.lastSummary().recorded, 50);
    QList<BackupRow> rows = rig.backupRows();
    EXPECT_EQ(CountWith(rows, [](const BackupRow& r) { return !r.ZipName.isEmpty(); }), 50);
    EXPECT_EQ(CountWith(rows, [](const BackupRow& r) { return !r.CDWriteTime.isEmpty(); }), 0);
    EXPECT_EQ(rig.station.ScreenCursorNumber, crMagGlass);
    EXPECT_TRUE(cursors.contains(crCDRomA) && cursors.contains(crCDRomB));
    EXPECT_FALSE(cursors.contains(crRemSrvA));

    rig.clock.advanceMs(1000);
    EXPECT_TRUE(rig.backup.BackupStoredImages());
    EXPECT_EQ(rig.backup.lastSummary().completed, 1);
    rows = rig.backupRows();
    const QString first = rows[0].ZipName;
    const auto inFirst = [&first](const BackupRow& r) { return r.ZipName == first; };
    EXPECT_EQ(CountWith(rows, inFirst), 100);
    // One update marked the hundred rows: the same write time and label on every one.
    QSet<QString> times;
    for (const BackupRow& r : rows) {
        if (!inFirst(r)) continue;
        times << r.CDWriteTime;
        EXPECT_EQ(r.CDLabel, QStringLiteral("DISC0042"));
        EXPECT_FALSE(r.SentToSystem);
    }
    EXPECT_EQ(times.size(), 1);
    EXPECT_FALSE(times.contains(QString()));
    EXPECT_TRUE(QFile::exists(rig.backupDir + "12/" + first + ".zip"));
    EXPECT_FALSE(QFile::exists(rig.zipFolder() + first + ".zip"));

    rig.clock.advanceMs(1000);
    EXPECT_FALSE(rig.backup.BackupStoredImages());
    EXPECT_FALSE(rig.backup.MorePending);
    rows = rig.backupRows();
    EXPECT_EQ(CountWith(rows, [](const BackupRow& r) { return r.ZipName.isEmpty(); }), 0);
    const QString second = rows.last().ZipName;
    EXPECT_NE(second, first);
    EXPECT_EQ(CountWith(rows, [&second](const BackupRow& r) { return r.ZipName == second && r.CDWriteTime.isEmpty(); }),
              20);

    // Every image is in exactly one zip file, each read back by an outside tool.
    QStringList expected;
    for (const BackupRow& r : rows) expected << r.key + ".tif";
    expected.sort();
    QStringList all = rig.zipEntriesBelow(rig.backupDir) + rig.zipEntriesBelow(rig.zipFolder());
    all.sort();
    EXPECT_EQ(all, expected);
    EXPECT_EQ(rig.zipEntriesBelow(rig.backupDir).size(), 100);
    EXPECT_FALSE(QFile::exists(rig.localDir + ".kestrova-backup"));
    EXPECT_TRUE(QDir(rig.backupDir + "12").entryList(QDir::Hidden | QDir::Files).filter(".tmp").isEmpty());
}

TEST(BackupPass, TheMediaLabelFollowsTheMediumAndTheLocalImagesFlag) {
    for (const LabelCase& c : LabelCases("DISC0042")) {
        BackupRig rig;
        rig.volumes.setDrive(rig.backupDir, 500, c.label);
        rig.station.editSetup().LocalImagesFlag = c.localImagesFlag;
        rig.addRows(100);
        rig.backup.BackupStoredImages();
        rig.backup.BackupStoredImages();
        EXPECT_EQ(rig.row(100).CDLabel, c.expected);
        EXPECT_EQ(rig.row(1).CDLabel, c.expected);
    }
}

TEST(BackupPass, EmptyKeysAndMissingLocalCopiesArePassedOver) {
    BackupRig rig;
    rig.addRows(3);
    storetest::Exec(*rig.db,
                    "insert into ImageData (SeqNumber, ReqID, DocDefn, SentToSystem) values (9, '', '', false)");
    QFile::remove(rig.localDir + rig.row(2).key + ".tif");
    rig.backup.BackupStoredImages();
    const QStringList log = rig.log();
    EXPECT_EQ(
        log, QStringList{"No data file exists for a database entry \"" + rig.row(2).key + "\" in the backup process."});
    EXPECT_FALSE(rig.row(1).ZipName.isEmpty());
    EXPECT_TRUE(rig.row(2).ZipName.isEmpty());
    EXPECT_TRUE(rig.row(9).ZipName.isEmpty());
    EXPECT_EQ(rig.backup.lastSummary().iterations, 4);
}

TEST(BackupPass, AnExpiredCertificateTouchesNoRowAndBeepsThreeTimes) {
    for (const std::uint8_t mode : {ModeSingle, ModeRemote}) {
        BackupRig rig;
        rig.station.editSetup().SetupInfo.StationMode = mode;
        rig.station.editSetup().SigningOn = true;
        rig.addRows(3);
        rig.daysLeft = 0;
        for (int tick = 1; tick <= 2; ++tick) {
            EXPECT_FALSE(rig.backup.BackupStoredImages());
            EXPECT_EQ(rig.beeper.beeps, 3 * tick);
        }
        EXPECT_EQ(rig.pauses, (QList<int>{1000, 1000, 1000, 1000}));
        for (const BackupRow& r : rig.backupRows()) {
            EXPECT_TRUE(r.ZipName.isEmpty());
            EXPECT_TRUE(r.CDWriteTime.isEmpty());
        }
        EXPECT_TRUE(QFileInfo::exists(rig.localDir + rig.row(1).key + ".tif"));
        EXPECT_EQ(rig.station.ui.CDGroupLabelHint, "The Installed Certificate has expired. Unable to sign Images");
        EXPECT_EQ(rig.station.ui.CDGroupLabelColour, LabelColour::Red);
        EXPECT_EQ(rig.log().filter("The Installed Certificate has expired").size(), 2);
    }
}

TEST(BackupPass, ACertificateRunningOutWarnsOnEveryPassAndGoesOn) {
    const QString warning =
        "WARNING!!! The Installed Signing Certificate will expire within 14 days. PLEASE UPDATE CERTIFICATE";
    struct Case {
        int days;
        bool warned;
    };
    for (const Case& c : {Case{1, true}, Case{13, true}, Case{14, false}}) {
        BackupRig rig;
        rig.station.editSetup().SigningOn = true;
        rig.addRows(2);
        rig.daysLeft = c.days;
        rig.backup.BackupStoredImages();
        rig.backup.BackupStoredImages();
        EXPECT_EQ(rig.beeper.beeps, 0);
        EXPECT_EQ(rig.backup.lastSummary().iterations, 2) << "the pass goes on";
        EXPECT_EQ(rig.log().filter(warning).size(), c.warned ? 2 : 0) << c.days;
        EXPECT_EQ(rig.station.ui.CDGroupLabelHint, c.warned ? warning : QString());
        EXPECT_EQ(rig.station.ui.CDGroupLabelColour, c.warned ? LabelColour::Aqua : LabelColour::WindowText);
    }
}

TEST(BackupPass, RemoteModeCopiesToTheServerAndDeletesTheLocalCopy) {
    BackupRig rig;
    rig.station.editSetup().SetupInfo.StationMode = ModeRemote;
    rig.addRows(4);
    QList<int> cursors;
    rig.station.setCursorHook([&cursors](int c) { cursors << c; });
    const QString k1 = rig.row(1).key, k2 = rig.row(2).key, k3 = rig.row(3).key, k4 = rig.row(4).key;
    const QByteArray image2 = test::ReadFileBytes(rig.localDir + k2 + ".tif");
    // Row 2: a copy with the same bytes is already there (a pass stopped before its deletion),
    // with the ".tmp" of a copy stopped half-way. Row 3: another file holds its name. Row 4: its
    // local copy was deleted by a pass stopped before the update; the server has it.
    QFile::copy(rig.localDir + k2 + ".tif", rig.backupDir + k2 + ".tif");
    rig.writeBytes("x", "half");
    QFile::rename(rig.decodedDir + "x", rig.backupDir + k2 + ".tmp");
    ASSERT_TRUE(test::WriteFile(rig.backupDir + k3 + ".tif", "a different image"));
    QFile::rename(rig.localDir + k4 + ".tif", rig.backupDir + k4 + ".tif");

    EXPECT_FALSE(rig.backup.BackupStoredImages());
    for (const qint32 seq : {1, 2, 4}) {
        const BackupRow r = rig.row(seq);
        EXPECT_EQ(r.ZipName, "NA");
        EXPECT_EQ(r.CDLabel, "Scan Server");
        EXPECT_TRUE(r.SentToSystem);
        EXPECT_FALSE(r.CDWriteTime.isEmpty());
        EXPECT_FALSE(QFile::exists(rig.localDir + r.key + ".tif"));
        EXPECT_TRUE(QFile::exists(rig.backupDir + r.key + ".tif"));
        EXPECT_FALSE(QFile::exists(rig.backupDir + r.key + ".tmp"));
    }
    EXPECT_EQ(test::ReadFileBytes(rig.backupDir + k2 + ".tif"), image2);
    EXPECT_TRUE(cursors.contains(crRemSrvA) && cursors.contains(crRemSrvB));

    // The name taken by another file: the row waits, its ".tmp" stays, on every pass.
    EXPECT_TRUE(rig.row(3).CDWriteTime.isEmpty());
    EXPECT_TRUE(QFile::exists(rig.backupDir + k3 + ".tmp"));
    EXPECT_TRUE(QFile::exists(rig.localDir + k3 + ".tif"));
    rig.backup.BackupStoredImages();
    const QString renameFailure = "Failed to rename " + k3 + ".tif in the backup process.";
    EXPECT_EQ(rig.log().filter(renameFailure).size(), 2);
    EXPECT_EQ(rig.log().filter("was interrupted after it reached the scan server").size(), 1);
    Q_UNUSED(k1);
}

TEST(BackupPass, DatabaseErrorsAreLoggedUnlessTheRecordIsLockedBySomeone) {
    struct Case {
        std::uint8_t mode;
        QString error;
        QString logged; // empty: nothing logged
    };
    const QString tail = " This problem may autocorrect.";
    for (const Case& c : {Case{ModeSingle, "Record LoCkEd By LIS", ""},
                          Case{ModeSingle, "disk I/O trouble", "Updating ZIP Archive Write event for Sequence # 1 "},
                          Case{ModeRemote, "record locked by user lis", ""},
                          Case{ModeRemote, "disk I/O trouble", "Transmitting to Media Server # 1 "}}) {
        SCOPED_TRACE(c.error.toStdString());
        BackupRig rig;
        rig.station.editSetup().SetupInfo.StationMode = c.mode;
        rig.addRows(2);
        FailUpdates(rig, c.error);
        const bool more = rig.backup.BackupStoredImages();
        const QStringList log = rig.log();
        if (c.logged.isEmpty()) {
            EXPECT_TRUE(log.isEmpty()) << log.join('\n').toStdString();
        } else {
            ASSERT_FALSE(log.isEmpty());
            EXPECT_TRUE(log.first().startsWith(c.logged)) << log.first().toStdString();
            EXPECT_TRUE(log.first().contains(c.error)) << log.first().toStdString();
            EXPECT_TRUE(log.first().endsWith(tail));
        }
        if (c.mode == ModeSingle) {
            // The zip name update is tried again for the same row until the pass's limit.
            EXPECT_EQ(rig.backup.lastSummary().iterations, BackupProcess::RowLimit);
            EXPECT_TRUE(more);
            EXPECT_EQ(rig.entries(rig.media.CurrentZipFileFor(rig.row(1).key)).size(), 1);
        } else {
            EXPECT_EQ(rig.backup.lastSummary().iterations, 2);
        }
        for (const BackupRow& r : rig.backupRows()) EXPECT_TRUE(r.CDWriteTime.isEmpty());
    }
}

TEST(BackupPass, ARowNeverGetsTheNameOfAZipFileThatDoesNotHoldItsImage) {
    BackupRig rig;
    rig.addRows(101);
    rig.backup.BackupStoredImages();
    const QString name = rig.row(1).ZipName;
    // The media cannot take the zip file when it completes: a directory stands in the way of its
    // temporary copy.
    ASSERT_TRUE(QDir().mkpath(rig.backupDir + "12/." + name + ".zip.tmp"));
    rig.backup.BackupStoredImages();
    EXPECT_EQ(rig.row(100).ZipName, name) << "the 100th image is in the zip file that could not move";
    EXPECT_TRUE(rig.row(100).CDWriteTime.isEmpty());
    EXPECT_TRUE(rig.row(101).ZipName.isEmpty()) << "the full zip file did not take the 101st image";
    EXPECT_EQ(rig.entries(rig.zipFolder() + name + ".zip").size(), 100);
    EXPECT_FALSE(rig.log().filter("Error in Backup Process").isEmpty());

    // The media takes it again: the full zip file moves, its rows are marked, the 101st row goes
    // into the group's next zip file.
    QDir(rig.backupDir + "12/." + name + ".zip.tmp").removeRecursively();
    rig.clock.advanceMs(5000);
    rig.backup.BackupStoredImages();
    EXPECT_FALSE(rig.row(100).CDWriteTime.isEmpty());
    EXPECT_EQ(rig.row(1).CDLabel, "DISC0042");
    EXPECT_FALSE(rig.row(101).ZipName.isEmpty());
    EXPECT_NE(rig.row(101).ZipName, name);
    EXPECT_EQ(rig.entries(rig.backupDir + "12/" + name + ".zip").size(), 100);
}

TEST(BackupPass, ARowWhoseZipNameCannotBeRecordedKeepsItsImageAndTheRowsAfterItWait) {
    BackupRig rig;
    rig.addRows(5);
    // Row 3 is held by someone else: the batch's transaction fails with it.
    storetest::Exec(*rig.db, "create trigger HoldThree before update on ImageData when old.SeqNumber = 3 begin "
                             "select raise(abort, 'Record locked by LIS'); end");
    EXPECT_TRUE(rig.backup.BackupStoredImages()) << "row 3 is tried until the pass's limit";
    EXPECT_EQ(rig.backup.lastSummary().iterations, BackupProcess::RowLimit);
    EXPECT_TRUE(rig.log().isEmpty()) << rig.log().join('\n').toStdString();
    const QString name = rig.row(1).ZipName;
    ASSERT_FALSE(name.isEmpty());
    EXPECT_EQ(rig.row(2).ZipName, name);
    for (const qint32 seq : {3, 4, 5}) EXPECT_TRUE(rig.row(seq).ZipName.isEmpty()) << seq;
    // The zip file holds the rows up to the one that failed; the rows after it went back to waiting.
    EXPECT_EQ(rig.entries(rig.zipFolder() + name + ".zip").size(), 3);

    storetest::Exec(*rig.db, "drop trigger HoldThree");
    EXPECT_FALSE(rig.backup.BackupStoredImages());
    for (const qint32 seq : {1, 2, 3, 4, 5}) EXPECT_EQ(rig.row(seq).ZipName, name) << seq;
    QStringList expected;
    for (const BackupRow& r : rig.backupRows()) expected << r.key + ".tif";
    QStringList held = rig.entries(rig.zipFolder() + name + ".zip");
    expected.sort();
    held.sort();
    EXPECT_EQ(held, expected);
    EXPECT_FALSE(QFile::exists(rig.localDir + ".kestrova-backup"));
}

TEST(BackupPass, BackupStopEndsThePassAfterTheCurrentRow) {
    BackupRig rig;
    rig.addRows(30);
    int pumped = 0;
    rig.station.setMessagePump([&] {
        ++pumped;
        rig.station.task().setBackupStop(true);
    });
    rig.backup.BackupStoredImages();
    EXPECT_EQ(pumped, 1);
    EXPECT_EQ(rig.backup.lastSummary().iterations, 10);
    EXPECT_FALSE(rig.backup.MorePending);
}

TEST(BackupPass, WhatStoppedZipWritesLeftInTheZipFolderIsRemoved) {
    BackupRig rig;
    rig.addRows(3);
    rig.backup.BackupStoredImages();
    const QString name = rig.row(1).ZipName;
    ASSERT_FALSE(name.isEmpty());
    // A libzip write and a fetch from the media, both stopped half-way.
    for (const QString& stray : {name + ".zip.Xy12Zq", "." + name + ".copy.tmp"}) {
        QFile f(rig.zipFolder() + stray);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("half");
    }
    rig.addRows(1, "12", 4);
    rig.backup.BackupStoredImages();
    EXPECT_EQ(QDir(rig.zipFolder()).entryList(QDir::Files | QDir::Hidden), QStringList{name + ".zip"});
    EXPECT_EQ(rig.entries(rig.zipFolder() + name + ".zip").size(), 4);
}

TEST(BackupPass, TheOperatorsChangesToZipFilesWaitForThePassToEnd) {
    BackupRig rig;
    rig.addRows(30);
    ImageMaintenance maintenance(rig.station, rig.media);
    const QString first = rig.backupRows().first().key + ".tif";
    int turns = 0;
    rig.station.setMessagePump([&] {
        if (++turns > 1) return;
        // The pass has its zip file open with ten images in it, none written yet.
        const CommitSummary commit = CommitWaitingZipFiles(rig.station, rig.media);
        EXPECT_TRUE(commit.busy);
        EXPECT_EQ(commit.committed + commit.failed, 0);
        QString error;
        EXPECT_FALSE(maintenance.killrecord(first, error));
        EXPECT_EQ(error, ZipFilesLock::BusyText);
        EXPECT_TRUE(rig.row(1).ZipName.isEmpty()) << "rows are recorded once their zip file is written";
    });
    rig.backup.BackupStoredImages();
    EXPECT_EQ(turns, 3);
    EXPECT_EQ(rig.log(), QStringList{ZipFilesLock::BusyText});
    const QString name = rig.row(1).ZipName;
    ASSERT_FALSE(name.isEmpty());
    EXPECT_EQ(rig.entries(rig.zipFolder() + name + ".zip").size(), 30);
    for (const BackupRow& r : rig.backupRows()) EXPECT_EQ(r.ZipName, name) << r.SeqNumber;

    // After the pass the same tasks go ahead.
    QString error;
    EXPECT_TRUE(maintenance.killrecord(first, error)) << error.toStdString();
    EXPECT_EQ(rig.entries(rig.zipFolder() + name + ".zip").size(), 29);
    EXPECT_EQ(CommitWaitingZipFiles(rig.station, rig.media).committed, 1);
    EXPECT_EQ(rig.entries(rig.backupDir + "12/" + name + ".zip").size(), 29);
}

TEST(BackupPass, ZipFilesReachALoopMountedMediumUnderItsLabel) {
    for (const LabelCase& c : LabelCases("CD0001")) {
        test::LoopMedium medium(c.label);
        KESTROVA_NEED_MEDIUM(medium);
        BackupRig rig;
        rig.station.editSetup().SetupInfo.Directories[SlotBackup] = medium.mountPoint() + "/";
        rig.station.editSetup().LocalImagesFlag = c.localImagesFlag;
        SystemVolumes volumes;
        BackupProcess backup(rig.station, rig.media, rig.archive, volumes, rig.beeper);
        rig.addRows(100);
        backup.BackupStoredImages();
        backup.BackupStoredImages();
        EXPECT_EQ(rig.row(1).CDLabel, c.expected);
        const QString zip = medium.mountPoint() + "/12/" + rig.row(1).ZipName + ".zip";
        ASSERT_TRUE(QFile::exists(zip));
        EXPECT_EQ(QProcess::execute("unzip", {"-tq", zip}), 0);
        EXPECT_EQ(rig.zipEntriesBelow(medium.mountPoint()).size(), 100);
    }
}
