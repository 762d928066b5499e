#include "SignRig.h"

#include "core/store/SignedMessage.h"
#include "core/store/ZipNames.h"
#include "core/util/DateTime.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace kestrova::signtest {
namespace {

const QString ZipName = QStringLiteral("12~09-11-17 143015 123");

// Three rows archived in one zip file on the media, each with its local copy.
struct RebuildRig : SignRig {
    RebuildRig() {
        for (int i = 0; i < 3; ++i) {
            const QString req = QStringLiteral("12%1").arg(QChar('A' + i));
            DataQuery& q = db->AdminQuery;
            q.close();
            q.unprepare();
            q.setSQL("insert into ImageData (SeqNumber, ReqID, DocDefn, ZipName, CDWriteTime) values "
                     "(:QSeq, :QReqId, \"REQS1A\", :QZip, :QCDWriteTime)");
            q.setParamInteger("QSeq", 10 + i);
            q.setParamText("QReqId", req);
            q.setParamText("QZip", ZipName);
            q.setParamDateTime("QCDWriteTime", ToTDateTime(scanTime));
            EXPECT_TRUE(q.prepare() && q.execSQL()) << q.errorText().toStdString();
            local(req + "~REQS1A" + (i == 1 ? ".bmp" : ".tif"), QByteArray("II*") + req.toLatin1().repeated(50));
        }
    }
    QString onMedia() const { return backupDir + "12/" + ZipName + ".zip"; }

    // Every recorded image is in the file on the media as a message that verifies and holds it.
    void expectComplete() {
        EXPECT_EQ(media.VerifyZipFile(onMedia()), 0);
        for (int i = 0; i < 3; ++i) {
            const QString key = QStringLiteral("12%1~REQS1A").arg(QChar('A' + i));
            const auto image = ReadSignedImage(smime, entry(onMedia(), key + ".eml"));
            ASSERT_TRUE(image) << image.error().toStdString();
            EXPECT_EQ(image.value().data, test::ReadFileBytes(localDir + key + (i == 1 ? ".bmp" : ".tif")));
            EXPECT_FALSE(opensslVerify(entry(onMedia(), key + ".eml")).isNull());
        }
        // Nothing is left in the zip folder for the backup pass to take.
        EXPECT_EQ(files(zipFolder()), QStringList());
    }
};

TEST(ZipRebuildTest, DeletedFileAndMissingEntryAreRebuilt) {
    RebuildRig rig;
    ASSERT_EQ(rig.media.VerifyZipFile(rig.onMedia()), ZipMedia::ArchiveMissing);
    EXPECT_EQ(rig.archive.RebuildZipFile(rig.onMedia()), 0);
    EXPECT_TRUE(rig.archive.LastBackupError.isEmpty()) << rig.archive.LastBackupError.toStdString();
    rig.expectComplete();
    // A rebuilt message carries the media write time as its scan time.
    const auto content = rig.smime.verify(rig.entry(rig.onMedia(), "12A~REQS1A.eml"));
    ASSERT_TRUE(content);
    EXPECT_TRUE(content.value().body.contains("Scan Time             :Tue, 17 Nov 2009 14:30:15\r\n"));

    // An entry removed from the file on the media.
    QString error;
    {
        auto zip = rig.zips.open(rig.onMedia(), error);
        ASSERT_TRUE(zip);
        EXPECT_EQ(zip->remove({"12B~REQS1A.eml"}), 1);
        ASSERT_TRUE(zip->commit());
    }
    ASSERT_EQ(rig.media.VerifyZipFile(rig.onMedia()), 1);
    EXPECT_EQ(rig.archive.RebuildZipFile(rig.onMedia()), 0);
    rig.expectComplete();
}

TEST(ZipRebuildTest, ARowThatCannotBeArchivedGivesANegativeResult) {
    RebuildRig rig;
    // A rebuild cut short before left its part behind; it is started over.
    QDir().mkpath(rig.zipFolder() + "Rebuild");
    rig.makeZip(rig.zipFolder() + "Rebuild/" + ZipName + ".zip", {{"stale.tif", "x"}});
    ASSERT_EQ(rig.archive.RebuildZipFile(rig.onMedia()), 0);
    EXPECT_EQ(rig.entries(rig.onMedia()).size(), 3);

    const QByteArray before = test::ReadFileBytes(rig.onMedia());
    QFile::remove(rig.localDir + "12B~REQS1A.bmp");
    EXPECT_LT(rig.archive.RebuildZipFile(rig.onMedia()), 0);
    EXPECT_EQ(rig.archive.LastBackupError, "Unabled to Sign 12B~REQS1A");
    EXPECT_EQ(test::ReadFileBytes(rig.onMedia()), before); // the media copy is left alone
    EXPECT_EQ(rig.files(rig.zipFolder()), QStringList());

    // Not signing: the missing copy cannot be added either.
    rig.station.editSetup().SigningOn = false;
    EXPECT_LT(rig.archive.RebuildZipFile(rig.onMedia()), 0);
    EXPECT_EQ(rig.archive.LastBackupError, "Unabled to Sign 12B~REQS1A");

    // Once its row is marked "Deleted" (as deleting an image does), the rebuild passes it over.
    storetest::Exec(*rig.db, "update ImageData set CDLabel = 'Deleted' where ReqID = '12B'");
    EXPECT_EQ(rig.archive.RebuildZipFile(rig.onMedia()), 0) << rig.archive.LastBackupError.toStdString();
    EXPECT_EQ(rig.entries(rig.onMedia()).size(), 2);
    storetest::Exec(*rig.db, "update ImageData set CDLabel = null where ReqID = '12B'");

    // The rebuilt file cannot be moved: the group directory on the media is a file now.
    rig.local("12B~REQS1A.bmp");
    QDir(rig.backupDir + "12").removeRecursively();
    test::WriteFile(rig.backupDir + "12", "in the way");
    EXPECT_LT(rig.archive.RebuildZipFile(rig.onMedia()), 0);
    EXPECT_EQ(rig.archive.LastBackupError, "Unabled to write ZipFile " + rig.onMedia());
}

} // namespace
} // namespace kestrova::signtest
