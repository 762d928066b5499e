#include "ZipRig.h"

#include "core/store/ZipNames.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace kestrova::ziptest {
namespace {

QString Key(int i) {
    return QStringLiteral("12%1~REQ").arg(i, 6, 10, QLatin1Char('0'));
}

TEST(ZipNamesTest, GroupStampAndDestination) {
    EXPECT_EQ(ZipFileName(QStringLiteral("12"), QDateTime(QDate(2009, 11, 17), QTime(14, 30, 15, 123))),
              QStringLiteral("12~09-11-17 143015 123.zip"));
    EXPECT_EQ(ZipGroupOf(QStringLiteral("12345678~REQ"), QStringLiteral("**")), QStringLiteral("12"));
    EXPECT_EQ(ZipGroupOf(QStringLiteral("12345678~REQ"), QStringLiteral("-**-*")), QStringLiteral("235"));
    EXPECT_EQ(ZipGroupOf(QStringLiteral("12345678~REQ"), QString()), QString());
    ZipRig rig;
    EXPECT_EQ(ZipDestinationDir(rig.station.setup(), QStringLiteral("12")), rig.backupDir + QStringLiteral("12/"));
    EXPECT_EQ(ZipDestinationDir(rig.station.setup(), QString()), rig.backupDir);
    EXPECT_EQ(rig.zipFolder(), rig.localDir + QStringLiteral("ZipFiles/"));
}

TEST(ZipLifeCycleTest, HundredthImageMovesTheFileAndTheNextStartsANewOne) {
    ZipRig rig;
    rig.clock.set(QDateTime(QDate(2009, 11, 17), QTime(14, 30, 15, 123)));
    const QString first = rig.media.CurrentZipFileFor(Key(0));
    EXPECT_EQ(first, rig.zipFolder() + QStringLiteral("12~09-11-17 143015 123.zip"));
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(rig.backup(Key(i) + QStringLiteral(".tif")), i + 1) << i;
        rig.clock.advanceMs(7);
    }
    const QString moved = rig.backupDir + QStringLiteral("12/") + QFileInfo(first).fileName();
    EXPECT_FALSE(QFile::exists(first));
    ASSERT_TRUE(QFile::exists(moved));
    const QStringList names = rig.entries(moved);
    EXPECT_EQ(names.size(), 100);
    EXPECT_EQ(names.first(), Key(0) + QStringLiteral(".tif"));

    // The next image of the group opens a new file stamped with the time it is asked for.
    const QString next = rig.media.CurrentZipFileFor(Key(100));
    EXPECT_EQ(next, rig.zipFolder() + ZipFileName(QStringLiteral("12"), rig.clock.now()));
    EXPECT_NE(next, first);
    EXPECT_EQ(rig.backup(Key(100) + QStringLiteral(".tif")), 1);
    EXPECT_EQ(rig.entries(next), QStringList{Key(100) + QStringLiteral(".tif")});
    // An image of another group does not join it.
    EXPECT_NE(rig.media.CurrentZipFileFor(QStringLiteral("99000001~REQ")), next);
    // Nor does a group that merely starts alike: a short key gives the group "1".
    EXPECT_NE(rig.media.CurrentZipFileFor(QStringLiteral("1")), next);
}

TEST(ZipLifeCycleTest, EmptyMaskNamesFilesWithoutGroupStraightIntoTheBackupDirectory) {
    ZipRig rig;
    rig.station.editSetup().StoreMask.clear();
    const QString z = rig.media.CurrentZipFileFor(Key(1));
    EXPECT_EQ(QFileInfo(z).fileName(), QStringLiteral("~26-12-08 140500 000.zip"));
    EXPECT_EQ(rig.backup(Key(1) + QStringLiteral(".tif")), 1);
    EXPECT_EQ(rig.media.CurrentZipFileFor(QStringLiteral("99~HIST")), z);
    EXPECT_EQ(rig.media.ZipAddAndCommit(z, QString(), ZipDestinationDir(rig.station.setup(), QString()), nullptr, true),
              0);
    EXPECT_EQ(rig.files(rig.backupDir), QStringList{QStringLiteral("~26-12-08 140500 000.zip")});
}

TEST(ZipLifeCycleTest, ForcedMoveTakesAnOpenFileWithItsEntriesToTheMedia) {
    ZipRig rig;
    const QString z = rig.media.CurrentZipFileFor(Key(0));
    for (int i = 0; i < 37; ++i) ASSERT_EQ(rig.backup(Key(i) + QStringLiteral(".tif")), i + 1);
    const QString dest = rig.backupDir + QStringLiteral("12/");
    EXPECT_EQ(rig.media.ZipAddAndCommit(z, QString(), dest, nullptr, true), 0);
    EXPECT_TRUE(QDir(rig.zipFolder()).entryList(QDir::Files).isEmpty());
    EXPECT_EQ(rig.entries(dest + QFileInfo(z).fileName()).size(), 37);
    // A signed message comes as a stream, named after its source.
    QBuffer message;
    message.setData("signed message");
    message.open(QIODevice::ReadOnly);
    const QString z2 = rig.media.CurrentZipFileFor(Key(0));
    EXPECT_EQ(
        rig.media.ZipAddAndCommit(z2, QStringLiteral("/nowhere/") + Key(0) + QStringLiteral(".eml"), dest, &message),
        1);
    EXPECT_EQ(rig.entries(z2), QStringList{Key(0) + QStringLiteral(".eml")});
}

TEST(ZipLifeCycleTest, FailuresKeepTheZipFileAndRetryTheMove) {
    ZipRig rig;
    const QString z = rig.media.CurrentZipFileFor(Key(0));
    const QString dest = rig.backupDir + QStringLiteral("12/");
    EXPECT_EQ(rig.media.ZipAddAndCommit(z, rig.localDir + QStringLiteral("missing.tif"), dest), ZipMedia::NoFile);
    QBuffer closed;
    EXPECT_EQ(rig.media.ZipAddAndCommit(z, QStringLiteral("x.eml"), dest, &closed), ZipMedia::NoStream);
    EXPECT_FALSE(QFile::exists(z));

    // A destination below a regular file cannot be made: the entry stays in the open file.
    rig.local(QStringLiteral("plain"));
    const QString blocked = rig.localDir + QStringLiteral("plain/12/");
    EXPECT_EQ(rig.media.ZipAddAndCommit(z, rig.local(Key(0) + QStringLiteral(".tif")), blocked, nullptr, true),
              ZipMedia::NoDestination);
    EXPECT_EQ(rig.entries(z).size(), 1);

    // A full file whose move fails stays; the next add tries the move again and still adds nothing.
    for (int i = 1; i < 100; ++i) ASSERT_EQ(rig.media.AddToZip(z, rig.local(Key(i) + QStringLiteral(".tif"))), i + 1);
    const QString more = rig.local(Key(100) + QStringLiteral(".tif"));
    EXPECT_EQ(rig.media.AddToZip(z, more), ZipMedia::FullOrNotMoved);
    EXPECT_EQ(rig.media.ZipAddAndCommit(z, more, blocked), ZipMedia::FullOrNotMoved);
    EXPECT_TRUE(QFile::exists(z));
    // The group directory is made on the way, as on a fresh disc.
    EXPECT_EQ(rig.media.ZipAddAndCommit(z, more, dest), ZipMedia::FullOrNotMoved);
    EXPECT_FALSE(QFile::exists(z));
    EXPECT_EQ(rig.entries(dest + QFileInfo(z).fileName()).size(), 100);

    // A file already on the media under the same name is replaced.
    rig.makeZip(z, {{QStringLiteral("new.tif"), "new"}});
    EXPECT_EQ(rig.media.MoveZipToDestination(z, rig.backupDir + QStringLiteral("12"), 5), 5);
    EXPECT_EQ(rig.entries(dest + QFileInfo(z).fileName()), QStringList{QStringLiteral("new.tif")});

    // A damaged zip file cannot take entries.
    QFile bad(z);
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a zip file at all, but long enough to look like one");
    bad.close();
    EXPECT_EQ(rig.media.AddToZip(z, more), ZipMedia::AddFailed);
}

} // namespace
} // namespace kestrova::ziptest
