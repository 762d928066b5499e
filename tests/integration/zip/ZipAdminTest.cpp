#include "ZipRig.h"

#include "core/store/ZipNames.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace kestrova::ziptest {
namespace {

using Entries = QList<QPair<QString, QByteArray>>;

TEST(ZipAdminTest, CountMissingTakesEitherEntryOfAnImage) {
    ZipRig rig;
    const QString z = rig.localDir + QStringLiteral("12~a.zip");
    EXPECT_EQ(rig.media.CountMissingFromZip(z, {QStringLiteral("A~REQ")}), ZipMedia::ArchiveMissing);
    rig.makeZip(z, {{QStringLiteral("A~REQ.eml"), "a"}, {QStringLiteral("b~req.eml"), "b"}, {"C~REQ.tif", "c"}});
    EXPECT_EQ(rig.media.CountMissingFromZip(z, {QStringLiteral("A~REQ"), QStringLiteral("B~REQ")}), 0);
    EXPECT_EQ(rig.media.CountMissingFromZip(
                  z, {QStringLiteral("A~REQ"), QStringLiteral("C~REQ"), QStringLiteral("D~REQ"), "A~REQ"}),
              2);
}

TEST(ZipAdminTest, VerifyCountsTheRecordedImagesTheFileLacks) {
    ZipRig rig;
    const QString z = rig.backupDir + QStringLiteral("12~09-11-17 143015 123.zip");
    for (const char* row : {"1, 'R1', 'REQS1A'", "2, 'R2', 'REQS1B'", "3, 'R3', 'HISTS1C'", "4, 'R4', 'REQS1D'"}) {
        storetest::Exec(*rig.db, QStringLiteral("insert into ImageData (SeqNumber, ReqID, DocDefn, ZipName) values "
                                                "(%1, '12~09-11-17 143015 123')")
                                     .arg(QLatin1String(row)));
    }
    storetest::Exec(*rig.db, QStringLiteral("insert into ImageData (SeqNumber, ReqID, DocDefn, ZipName) values "
                                            "(5, 'R5', 'REQS1E', 'other')"));
    EXPECT_EQ(rig.media.VerifyZipFile(z), ZipMedia::ArchiveMissing);
    rig.makeZip(
        z, {{QStringLiteral("r1~reqs1a.tif"), "1"}, {QStringLiteral("R3~HISTS1C.eml"), "3"}, {"R5~REQS1E.tif", "5"}});
    EXPECT_EQ(rig.media.VerifyZipFile(z), 2);

    // A database error is shown to the operator.
    storetest::Exec(*rig.db, QStringLiteral("drop table ImageData"));
    rig.prompter.expectMessage(QString());
    EXPECT_EQ(rig.media.VerifyZipFile(z), -1);
    ASSERT_EQ(rig.prompter.shown().size(), 1u);
    EXPECT_TRUE(rig.prompter.shown()[0].text.startsWith(QStringLiteral("ERROR")));
    EXPECT_GT(rig.prompter.shown()[0].text.size(), 5);
}

TEST(ZipAdminTest, DeleteFetchesAMovedFileRemovesBothEntriesAndPutsItBack) {
    ZipRig rig;
    const QString z = rig.media.CurrentZipFileFor(QStringLiteral("12~REQ"));
    const QString dest = rig.backupDir + QStringLiteral("12/");
    const QString onMedia = dest + QFileInfo(z).fileName();
    EXPECT_EQ(rig.media.DeleteFromZip(z, QStringLiteral("12A~REQ.tif"), dest), -2);

    rig.makeZip(z, {{QStringLiteral("12A~REQ.tif"), "a"},
                    {QStringLiteral("12A~REQ.eml"), "a signed"},
                    {QStringLiteral("12B~REQ.tif"), "b"}});
    ASSERT_EQ(rig.media.ZipAddAndCommit(z, QString(), dest, nullptr, true), 0);
    EXPECT_EQ(rig.media.DeleteFromZip(z, QStringLiteral("12A~REQ.tif"), dest), 1);
    EXPECT_FALSE(QFile::exists(z));
    EXPECT_EQ(rig.entries(onMedia), QStringList{QStringLiteral("12B~REQ.tif")});

    // Deleting the last image of a moved file leaves no file on the media that still holds it.
    EXPECT_EQ(rig.media.DeleteFromZip(z, QStringLiteral("12B~REQ.tif"), dest), 0);
    EXPECT_FALSE(QFile::exists(onMedia));
    EXPECT_FALSE(QFile::exists(z));

    // An open file is changed where it is and stays open.
    rig.makeZip(z, {{QStringLiteral("12C~REQ.eml"), "c"}, {QStringLiteral("12D~REQ.tif"), "d"}});
    EXPECT_EQ(rig.media.DeleteFromZip(z, QStringLiteral("12C~REQ.tif"), dest), 1);
    EXPECT_EQ(rig.entries(z), QStringList{QStringLiteral("12D~REQ.tif")});

    // A damaged file on the media is left as it was, and no copy of it stays in the zip folder.
    QFile::remove(z);
    ASSERT_TRUE(test::WriteFile(onMedia, "damaged damaged damaged damaged damaged damaged"));
    EXPECT_EQ(rig.media.DeleteFromZip(z, QStringLiteral("12D~REQ.tif"), dest), ZipMedia::AddFailed);
    EXPECT_FALSE(QFile::exists(z));
    EXPECT_EQ(test::ReadFileBytes(onMedia), QByteArray("damaged damaged damaged damaged damaged damaged"));
}

TEST(ZipAdminTest, ACopyAStoppedDeletionLeftInTheZipFolderGoesBackToTheMedia) {
    ZipRig rig;
    const QString z = rig.media.CurrentZipFileFor(QStringLiteral("12~REQ"));
    const QString dest = rig.backupDir + QStringLiteral("12/");
    const QString onMedia = dest + QFileInfo(z).fileName();
    rig.makeZip(z, {{QStringLiteral("12A~REQ.tif"), "a"}, {QStringLiteral("12B~REQ.tif"), "b"}});
    ASSERT_EQ(rig.media.ZipAddAndCommit(z, QString(), dest, nullptr, true), 0);
    const auto destDirOf = [&](const QString&) { return dest; };

    // Stopped after the fetch: the deletion asked again changes the copy and puts it back.
    ASSERT_TRUE(QFile::copy(onMedia, z));
    EXPECT_EQ(rig.media.DeleteFromZip(z, QStringLiteral("12A~REQ.tif"), dest), 1);
    EXPECT_FALSE(QFile::exists(z));
    EXPECT_EQ(rig.entries(onMedia), QStringList{QStringLiteral("12B~REQ.tif")});

    // Stopped after the changed copy was written, before it went back: the next pass returns it.
    rig.makeZip(z, {{QStringLiteral("12C~REQ.tif"), "c"}});
    EXPECT_EQ(rig.media.ReturnLeftCopies(rig.zipFolder(), destDirOf), 1);
    EXPECT_FALSE(QFile::exists(z));
    EXPECT_EQ(rig.entries(onMedia), QStringList{QStringLiteral("12C~REQ.tif")});
    // An open zip file, whose name the media does not hold, stays where it is.
    const QString open = rig.zipFolder() + QStringLiteral("12~open.zip");
    rig.makeZip(open, {{QStringLiteral("12D~REQ.tif"), "d"}});
    EXPECT_EQ(rig.media.ReturnLeftCopies(rig.zipFolder(), destDirOf), 0);
    EXPECT_TRUE(QFile::exists(open));
}

TEST(ZipAdminTest, ExtractSelectsByPrefixAndOverwrites) {
    ZipRig rig;
    const QString z = rig.backupDir + QStringLiteral("12~x.zip");
    const QString t = rig.dir.path() + QStringLiteral("/out");
    EXPECT_EQ(rig.media.ExtractFromZip(z, QStringLiteral("12A~REQ"), t),
              QStringLiteral("ERROR: Archive ") + z + QStringLiteral(" not found."));

    rig.makeZip(z, {{QStringLiteral("12A~REQ.eml"), "signed a"},
                    {QStringLiteral("12A~REQ.tif"), "image a"},
                    {QStringLiteral("12AB~REQ.tif"), "image ab"}});
    QDir().mkpath(t);
    ASSERT_TRUE(test::WriteFile(t + QStringLiteral("/12A~REQ.eml"), "an older, longer copy of the message"));
    EXPECT_EQ(rig.media.ExtractFromZip(z, QStringLiteral("12A~REQ"), t), QStringLiteral("12A~REQ.eml\n"));
    EXPECT_EQ(test::ReadFileBytes(t + QStringLiteral("/12A~REQ.eml")), QByteArray("signed a"));
    EXPECT_EQ(rig.media.ExtractFromZip(z, QStringLiteral("12A*"), t + QStringLiteral("/all/")),
              QStringLiteral("12A~REQ.eml\n12A~REQ.tif\n12AB~REQ.tif\n"));
    EXPECT_EQ(test::ReadFileBytes(t + QStringLiteral("/all/12AB~REQ.tif")), QByteArray("image ab"));
    for (const QString& spec : {QStringLiteral("*"), QStringLiteral("99~REQ")})
        EXPECT_EQ(rig.media.ExtractFromZip(z, spec, t),
                  QStringLiteral("ERROR: File ") + spec + QStringLiteral(" not Present in Archive ") + z);
}

TEST(ZipAdminTest, ExtractRefusesEntriesThatWouldLeaveTheTargetDirectory) {
    ZipRig rig;
    const QString z = rig.backupDir + QStringLiteral("evil.zip");
    const QString t = rig.dir.path() + QStringLiteral("/out/");
    QFile file(z);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(RawZip({{"12A~REQ.tif", "fine"}, {"../escaped.txt", "outside"}, {"/tmp/abs.txt", "outside"}}));
    file.close();
    ASSERT_EQ(rig.entries(z).size(), 3);
    EXPECT_EQ(rig.media.ExtractFromZip(z, QStringLiteral("12A"), t), QStringLiteral("12A~REQ.tif\n"));
    for (const QString& spec : {QStringLiteral("..*"), QStringLiteral("*.txt"), QStringLiteral("/tmp/abs.txt")}) {
        const QString result = rig.media.ExtractFromZip(z, spec, t);
        EXPECT_TRUE(result.startsWith(QStringLiteral("ERROR: Zip File extraction error "))) << result.toStdString();
    }
    EXPECT_FALSE(QFile::exists(rig.dir.path() + QStringLiteral("/escaped.txt")));
    EXPECT_FALSE(QFile::exists(QStringLiteral("/tmp/abs.txt")));
    EXPECT_EQ(rig.files(t), QStringList{QStringLiteral("12A~REQ.tif")});
}

} // namespace
} // namespace kestrova::ziptest
